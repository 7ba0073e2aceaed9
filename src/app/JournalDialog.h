// 操作记录: the change journal in a table, newest first, and its export to
// CSV for a spreadsheet.
#pragma once

#include <QDialog>

#include "app/FileDialogs.h"
#include "config/Journal.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vantrel {

class JournalDialog : public QDialog {
  Q_OBJECT

 public:
  JournalDialog(QString path, QWidget* parent = nullptr);

  QTableWidget* table() const { return table_; }
  QPushButton* exportButton() const { return exportButton_; }
  QLabel* note() const { return note_; }
  // Replaces the file dialog of the export.
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

  // Reads the journal again and shows it.
  void reload();
  // The journal as CSV, UTF-8 with a byte-order mark so that spreadsheet
  // programs show the Chinese texts.
  bool exportTo(const QString& file, QString* error) const;

 private:
  void exportCsv();

  QString path_;
  JournalContents journal_;
  QTableWidget* table_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  FileChooser chooser_;
};

}  // namespace vantrel
