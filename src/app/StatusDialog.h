// "设备状态": the additional device status (command 48) of the instrument the
// HART page addresses, in words, with the buttons that acknowledge it and
// reset its configuration-changed flag. The main frame reads the status as it
// opens it; the lines follow every read that ends while it is open.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace vantrel {

class CVantrelView;

class StatusDialog : public QDialog {
  Q_OBJECT

 public:
  // `view` must outlive the dialog.
  explicit StatusDialog(CVantrelView& view, QWidget* parent = nullptr);

  QListWidget* lines() const { return lines_; }

 private:
  void operationEnded(int op, int result);
  void showStatus();

  CVantrelView& view_;
  QListWidget* lines_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* read_ = nullptr;
  QPushButton* acknowledge_ = nullptr;
  QPushButton* reset_ = nullptr;
};

}  // namespace vantrel
