// "操作提醒": asks the engineer to wait for a stable pressure before a
// calibration step. OK (the default button, Enter) confirms; Cancel, Esc and
// the close box refuse.
#pragma once

#include <QDialog>

#include <memory>

#include "tabs/PageServices.h"

namespace Ui {
class CDialogConfirm;
}

namespace vantrel {

class CDialogConfirm : public QDialog {
  Q_OBJECT

 public:
  explicit CDialogConfirm(QWidget* parent = nullptr);
  ~CDialogConfirm() override;

 private:
  std::unique_ptr<Ui::CDialogConfirm> ui_;
};

// The window's confirmation: CDialogConfirm, modal, in front of every window.
class DialogConfirmer : public Confirmer {
 public:
  explicit DialogConfirmer(QWidget* parent) : parent_(parent) {}
  bool confirm() override;

 private:
  QWidget* parent_;
};

}  // namespace vantrel
