#include "app/JournalDialog.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "records/StoreJournal.h"
#include "tabs/DataExchange.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {
namespace {

enum Column { kTime, kPort, kLongAddress, kTag, kOperation, kChange, kStatus, kResult, kColumns };

const char* const kTitles[kColumns] = {
    QT_TRANSLATE_NOOP("vantrel", "时间"),   QT_TRANSLATE_NOOP("vantrel", "端口"),
    QT_TRANSLATE_NOOP("vantrel", "长地址"), QT_TRANSLATE_NOOP("vantrel", "标签"),
    QT_TRANSLATE_NOOP("vantrel", "操作"),   QT_TRANSLATE_NOOP("vantrel", "修改内容"),
    QT_TRANSLATE_NOOP("vantrel", "状态"),   QT_TRANSLATE_NOOP("vantrel", "结果"),
};

// A cell's text and, where the text leaves something out, its tooltip.
struct Cell {
  QString text;
  QString tip;
};

QString Text(const QJsonObject& record, const char* key) {
  return record.value(QLatin1String(key)).toString();
}

std::array<Cell, kColumns> Cells(const QJsonObject& r) {
  const QString address = Text(r, "longAddress");
  return {{{JournalTimeText(r), Text(r, "time")},
           {Text(r, "port"), {}},
           {CompactLongAddress(address), address},
           {Text(r, "tag"), {}},
           {JournalOperationText(r), Text(r, "operation")},
           {JournalChangeText(r), {}},
           {Text(r, "status"), {}},
           {JournalResultText(r),
            r.value(QLatin1String("response"))[QLatin1String("text")].toString()}}};
}

QDate DayOf(const QJsonObject& record) {
  return QDateTime::fromString(Text(record, "time"), Qt::ISODate).date();
}

}  // namespace

JournalDialog::JournalDialog(QString path, QWidget* parent)
    : QDialog(parent), path_(std::move(path)) {
  setObjectName(QStringLiteral("journalDialog"));
  setWindowTitle(tr("操作记录"));
  QHBoxLayout* filters = makeFilters();
  makeTable();
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("journalNote"));
  note_->setWordWrap(true);
  exportButton_ = new QPushButton(tr("导出CSV…"), this);
  exportButton_->setObjectName(QStringLiteral("buttonExportJournal"));
  auto* close = new QPushButton(tr("关闭"), this);
  connect(exportButton_, &QPushButton::clicked, this, &JournalDialog::exportCsv);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(note_, 1);
  buttons->addWidget(exportButton_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(900, 420);
  reload();
}

// 仪表 [全部仪表 ▾]  日期 [from] 至 [to]: every change shows the records
// again.
QHBoxLayout* JournalDialog::makeFilters() {
  instrumentFilter_ = new QComboBox(this);
  instrumentFilter_->setObjectName(QStringLiteral("journalInstrumentFilter"));
  instrumentFilter_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  connect(instrumentFilter_, &QComboBox::currentIndexChanged, this, &JournalDialog::showRecords);
  const auto dateEdit = [this](const char* name) {
    auto* edit = new QDateEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    connect(edit, &QDateEdit::dateChanged, this, &JournalDialog::showRecords);
    return edit;
  };
  fromDate_ = dateEdit("journalFromDate");
  toDate_ = dateEdit("journalToDate");

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(tr("仪表"), this));
  row->addWidget(instrumentFilter_);
  row->addSpacing(12);
  row->addWidget(new QLabel(tr("日期"), this));
  row->addWidget(fromDate_);
  row->addWidget(new QLabel(tr("至"), this));
  row->addWidget(toDate_);
  row->addStretch(1);
  return row;
}

// Columns as wide as what they hold; what changed takes the room left.
void JournalDialog::makeTable() {
  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("journalTable"));
  table_->setColumnCount(kColumns);
  QStringList titles;
  for (const char* title : kTitles) titles << UiText(title);
  table_->setHorizontalHeaderLabels(titles);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(false);
  table_->horizontalHeader()->setSectionResizeMode(kChange, QHeaderView::Stretch);
  connect(table_, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { showRecord(row); });
}

void JournalDialog::reload() {
  journal_ = LoadJournal(path_);
  refillInstruments();
  QDate first = QDate::currentDate();
  QDate last = first;
  for (const QJsonObject& record : journal_.records) {
    const QDate day = DayOf(record);
    if (!day.isValid()) continue;
    first = std::min(first, day);
    last = std::max(last, day);
  }
  {
    const QSignalBlocker fromBlocker(fromDate_);
    const QSignalBlocker toBlocker(toDate_);
    fromDate_->setDate(first);
    toDate_->setDate(last);
  }
  showRecords();
  QString note = QDir::toNativeSeparators(path_);
  if (!journal_.error.isEmpty()) note += QStringLiteral("：") + journal_.error;
  if (!journal_.warnings.empty()) {
    note += tr("（%1 行无法读取，已跳过）").arg(journal_.warnings.size());
  }
  note_->setText(note);
}

// The instrument chosen stays chosen when the journal still names it.
void JournalDialog::refillInstruments() {
  const QString chosen = instrumentFilter_->currentData().toString();
  const QSignalBlocker blocker(instrumentFilter_);
  instrumentFilter_->clear();
  instrumentFilter_->addItem(tr("全部仪表"), QString());
  for (const JournalInstrument& instrument : JournalInstruments(journal_)) {
    instrumentFilter_->addItem(JournalInstrumentText(instrument), instrument.longAddress);
    instrumentFilter_->setItemData(instrumentFilter_->count() - 1,
                                   CompactLongAddress(instrument.longAddress), Qt::ToolTipRole);
  }
  instrumentFilter_->setCurrentIndex(std::max(0, instrumentFilter_->findData(chosen)));
}

JournalFilter JournalDialog::filter() const {
  JournalFilter filter;
  filter.longAddress = instrumentFilter_->currentData().toString();
  filter.from = fromDate_->date();
  filter.to = toDate_->date();
  return filter;
}

void JournalDialog::showRecords() {
  const JournalFilter chosen = filter();
  shown_.clear();
  for (std::size_t i = journal_.records.size(); i-- > 0;) {
    if (JournalMatches(journal_.records[i], chosen)) shown_.push_back(i);
  }
  table_->setRowCount(0);
  table_->setRowCount(static_cast<int>(shown_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const std::array<Cell, kColumns> cells = Cells(journal_.records[shown_[row]]);
    for (int column = 0; column < kColumns; ++column) {
      auto* item = new QTableWidgetItem(cells[column].text);
      item->setToolTip(cells[column].tip.isEmpty() ? cells[column].text : cells[column].tip);
      table_->setItem(row, column, item);
    }
  }
  table_->resizeColumnsToContents();
}

// The record as the journal holds it, for what the table leaves out.
void JournalDialog::showRecord(int row) {
  if (row < 0 || row >= static_cast<int>(shown_.size())) return;
  auto* dialog = new QDialog(this);
  dialog->setObjectName(QStringLiteral("journalRecordDialog"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(tr("原始记录"));
  const QJsonDocument record(journal_.records[shown_[static_cast<std::size_t>(row)]]);
  auto* text =
      new QPlainTextEdit(QString::fromUtf8(record.toJson(QJsonDocument::Indented)), dialog);
  text->setObjectName(QStringLiteral("journalRecordText"));
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* close = new QPushButton(tr("关闭"), dialog);
  connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(text);
  layout->addLayout(buttons);
  dialog->resize(560, 480);
  dialog->open();
}

bool JournalDialog::exportTo(const QString& file, QString* error) const {
  const QByteArray csv =
      QByteArray("\xEF\xBB\xBF") +
      QByteArray::fromStdString(FormatJournal(FilteredJournal(journal_, filter()), true, {}));
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(csv) != csv.size() || !out.commit()) {
    if (error) *error = out.errorString();
    return false;
  }
  return true;
}

void JournalDialog::exportCsv() {
  const FileDialogTexts texts{tr("导出操作记录"), tr("CSV 文件 (*.csv)"), QStringLiteral("csv")};
  const QString suggested = InDocuments(
      tr("操作记录_%1.csv").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
  QPointer<JournalDialog> self(this);
  ChooseFile(this, texts, suggested, chooser_, [self](const QString& file) {
    if (!self || file.isEmpty()) return;
    QString error;
    if (self->exportTo(file, &error)) {
      self->note_->setText(tr("已导出到 %1").arg(QDir::toNativeSeparators(file)));
      return;
    }
    ShowMessageBox(self, MessageIcon::Error,
                   tr("无法导出操作记录：%1（%2）").arg(QDir::toNativeSeparators(file), error));
  });
}

}  // namespace vantrel
