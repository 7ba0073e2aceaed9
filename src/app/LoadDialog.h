// 载入组态: the fields where the instrument and the file differ, a check box
// each (checked as ChosenByDefault says for the instrument the file is
// loaded into); 写入 writes the checked ones, 取消 nothing.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "config/LoadPlan.h"

class QPushButton;
class QTableWidget;

namespace vantrel {

class LoadDialog : public QDialog {
  Q_OBJECT

 public:
  LoadDialog(const std::vector<FieldDifference>& differences, IdentityMatch match,
             QWidget* parent = nullptr);

  // A field of Differences as the pages name it: "测量上限" for
  // "range.upper".
  static QString fieldName(const std::string& field);

  QTableWidget* table() const { return table_; }
  QPushButton* writeButton() const { return writeButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  // The fields whose boxes are checked.
  std::vector<std::string> chosenFields() const;

 private:
  std::vector<FieldDifference> differences_;
  QTableWidget* table_ = nullptr;
  QPushButton* writeButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace vantrel
