// "操作提醒": asks the engineer to wait for a stable pressure before a
// calibration step or a current trim, naming the operation and the last
// reading of the instrument, with a warning where the reading makes the step
// look wrong. OK (the default button, Enter) confirms; Cancel, Esc and the
// close box refuse.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "engine/DeviceData.h"
#include "tabs/PageServices.h"

namespace Ui {
class CDialogConfirm;
}

namespace vantrel {

// What the instrument last read in this connection: command 3's primary
// variable and loop current.
struct LastReading {
  float primaryVariable = 0.0f;
  std::uint8_t unitCode = 0;
  float loopCurrent = 0.0f;     // mA
  float percentOfRange = 0.0f;  // of the 4-20 mA span
};

// The lines the dialog adds to its question.
struct ConfirmText {
  QString operation;  // "清除零点 — 当前压力 50.12 kPa，量程的 50 %"
  QString warning;    // empty: none
};

// A zero cleared with more than this share of the span on the instrument
// is warned of.
constexpr double kZeroWarningPercent = 5.0;

// The lines for `op`, from the reading (none: "尚未读取") and the range the
// instrument last gave.
ConfirmText ConfirmationText(OperationCode op, const DeviceData& data,
                             const std::optional<LastReading>& reading);

class CDialogConfirm : public QDialog {
  Q_OBJECT

 public:
  explicit CDialogConfirm(QWidget* parent = nullptr, const ConfirmText& text = {});
  ~CDialogConfirm() override;

 private:
  std::unique_ptr<Ui::CDialogConfirm> ui_;
};

// The window's confirmation: CDialogConfirm, modal, in front of every window,
// with the lines `describe` gives for the operation.
class DialogConfirmer : public Confirmer {
 public:
  using Describe = std::function<ConfirmText(OperationCode op)>;
  DialogConfirmer(QWidget* parent, Describe describe)
      : parent_(parent), describe_(std::move(describe)) {}
  bool confirm(OperationCode op) override;

 private:
  QWidget* parent_;
  Describe describe_;
};

}  // namespace vantrel
