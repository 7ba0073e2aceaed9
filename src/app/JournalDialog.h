// 操作记录: the change journal in a table, newest first, in the window's
// words; filtered by instrument and by days, the same records exported to
// CSV for a spreadsheet; a record's own JSON on a double-click.
#pragma once

#include <QDialog>

#include <cstddef>
#include <vector>

#include "app/FileDialogs.h"
#include "config/Journal.h"
#include "config/JournalText.h"

class QComboBox;
class QDateEdit;
class QHBoxLayout;
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
  // 全部仪表, then each instrument the journal names (its long address as
  // the item's data).
  QComboBox* instrumentFilter() const { return instrumentFilter_; }
  QDateEdit* fromDate() const { return fromDate_; }
  QDateEdit* toDate() const { return toDate_; }
  // Replaces the file dialog of the export.
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

  // Reads the journal again and shows it, over every day it holds.
  void reload();
  // The records the filters let through as CSV, UTF-8 with a byte-order
  // mark so that spreadsheet programs show the Chinese texts.
  bool exportTo(const QString& file, QString* error) const;

 private:
  QHBoxLayout* makeFilters();
  void makeTable();
  void refillInstruments();
  void showRecords();
  void showRecord(int row);
  void exportCsv();
  JournalFilter filter() const;

  QString path_;
  JournalContents journal_;
  std::vector<std::size_t> shown_;  // the record of each row
  QComboBox* instrumentFilter_ = nullptr;
  QDateEdit* fromDate_ = nullptr;
  QDateEdit* toDate_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  FileChooser chooser_;
};

}  // namespace vantrel
