#include "cli/CliJournal.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QStringList>

namespace vantrel {
namespace {

constexpr const char* kColumns[] = {"time",      "port",     "longAddress", "tag",
                                    "operation", "sent",     "before",      "status",
                                    "result",    "response", "deviceStatus"};

// A value as one CSV field: texts as they are, objects as compact JSON,
// quoted where the field needs it.
QString CsvField(const QJsonValue& value) {
  QString text;
  if (value.isString()) {
    text = value.toString();
  } else if (value.isObject()) {
    text = QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
  } else if (value.isDouble()) {
    text = QString::number(value.toDouble());
  }
  if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
      text.contains(QLatin1Char('\n'))) {
    text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
  }
  return text;
}

bool Since(const QJsonObject& record, const std::optional<QDate>& since) {
  if (!since) return true;
  const QDateTime time =
      QDateTime::fromString(record.value(QStringLiteral("time")).toString(), Qt::ISODate);
  return time.isValid() && time.date() >= *since;
}

}  // namespace

std::string FormatJournal(const JournalContents& journal, bool csv, std::optional<QDate> since) {
  QStringList lines;
  if (csv) {
    QStringList header;
    for (const char* column : kColumns) header << QString::fromLatin1(column);
    lines << header.join(QLatin1Char(','));
  }
  for (const QJsonObject& record : journal.records) {
    if (!Since(record, since)) continue;
    if (!csv) {
      lines << QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
      continue;
    }
    QStringList fields;
    for (const char* column : kColumns) {
      fields << CsvField(record.value(QString::fromLatin1(column)));
    }
    lines << fields.join(QLatin1Char(','));
  }
  return lines.isEmpty() ? std::string() : lines.join(QLatin1Char('\n')).toStdString() + "\n";
}

}  // namespace vantrel
