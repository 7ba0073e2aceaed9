#include "app/JournalDialog.h"

#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "tabs/DataExchange.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {
namespace {

struct Column {
  const char* key;
  const char* title;
};

const Column kColumns[] = {
    {"time", QT_TRANSLATE_NOOP("vantrel", "时间")},
    {"port", QT_TRANSLATE_NOOP("vantrel", "端口")},
    {"longAddress", QT_TRANSLATE_NOOP("vantrel", "长地址")},
    {"tag", QT_TRANSLATE_NOOP("vantrel", "标签")},
    {"operation", QT_TRANSLATE_NOOP("vantrel", "操作")},
    {"sent", QT_TRANSLATE_NOOP("vantrel", "写入值")},
    {"before", QT_TRANSLATE_NOOP("vantrel", "原值")},
    {"status", QT_TRANSLATE_NOOP("vantrel", "状态")},
    {"result", QT_TRANSLATE_NOOP("vantrel", "结果")},
};

QString Cell(const QJsonValue& value) {
  if (value.isObject()) {
    return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
  }
  return value.isDouble() ? QString::number(value.toDouble()) : value.toString();
}

}  // namespace

JournalDialog::JournalDialog(QString path, QWidget* parent)
    : QDialog(parent), path_(std::move(path)) {
  setObjectName(QStringLiteral("journalDialog"));
  setWindowTitle(tr("操作记录"));
  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("journalTable"));
  table_->setColumnCount(static_cast<int>(std::size(kColumns)));
  QStringList titles;
  for (const Column& column : kColumns) titles << UiText(column.title);
  table_->setHorizontalHeaderLabels(titles);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
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
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(900, 420);
  reload();
}

void JournalDialog::reload() {
  journal_ = ReadJournal(path_);
  const int rows = static_cast<int>(journal_.records.size());
  table_->setRowCount(rows);
  for (int row = 0; row < rows; ++row) {
    const QJsonObject& record = journal_.records[static_cast<std::size_t>(rows - 1 - row)];
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
      const QString key = QString::fromLatin1(kColumns[column].key);
      table_->setItem(row, column, new QTableWidgetItem(Cell(record.value(key))));
    }
  }
  QString note = QDir::toNativeSeparators(path_);
  if (!journal_.error.isEmpty()) note += QStringLiteral("：") + journal_.error;
  if (!journal_.warnings.empty()) {
    note += tr("（%1 行无法读取，已跳过）").arg(journal_.warnings.size());
  }
  note_->setText(note);
}

bool JournalDialog::exportTo(const QString& file, QString* error) const {
  const QByteArray csv =
      QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(FormatJournal(journal_, true, {}));
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
    QString error;
    if (!self || file.isEmpty() || self->exportTo(file, &error)) return;
    ShowMessageBox(self, MessageIcon::Error,
                   tr("无法导出操作记录：%1（%2）").arg(QDir::toNativeSeparators(file), error));
  });
}

}  // namespace vantrel
