#include "config/Journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStandardPaths>
#include <QStringList>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "config/JsonText.h"
#include "engine/CodeTables.h"
#include "engine/FrameDecoder.h"
#include "engine/NumberText.h"
#include "engine/OperationTable.h"
#include "link/HartCommands.h"

namespace vantrel {
namespace {

// Collects the values of one operation; with `knownOnly` it leaves out what
// the program does not know: values never read, or read from no field that
// `readFields` names (PageField bits).
class ValueList : public SentValues {
 public:
  ValueList(bool knownOnly, unsigned readFields) : knownOnly_(knownOnly), readFields_(readFields) {}
  void text(unsigned field, const char* key, const std::string& value) override {
    if (!knownOnly_) {
      values_.emplace_back(key, JsonString(value));
    } else if (isRead(field) && !value.empty()) {
      values_.emplace_back(key, JsonString(value));
    }
  }
  void number(unsigned field, const char* key, const std::string& value) override {
    const std::optional<double> number = ParseNumber(value);
    if (!knownOnly_) {
      values_.emplace_back(key,
                           number ? JsonFloat(static_cast<float>(*number)) : JsonString(value));
    } else if (isRead(field) && number) {
      values_.emplace_back(key, JsonFloat(static_cast<float>(*number)));
    }
  }
  void given(const char* key, float value) override {
    if (!knownOnly_) values_.emplace_back(key, JsonFloat(value));
  }
  void name(unsigned field, const char* key, int index, std::string (*nameOf)(int)) override {
    if (!knownOnly_) {
      values_.emplace_back(key, index >= 0 ? JsonString(nameOf(index)) : std::string("null"));
    } else if (isRead(field) && index >= 0) {
      values_.emplace_back(key, JsonString(nameOf(index)));
    }
  }
  JournalValues take() { return std::move(values_); }

 private:
  bool isRead(unsigned field) const { return (readFields_ & field) == field; }

  bool knownOnly_;
  unsigned readFields_;
  JournalValues values_;
};

std::string ValuesJson(const JournalValues& values) {
  std::string out = "{";
  for (std::size_t i = 0; i < values.size(); ++i) {
    out += (i ? ", " : "") + JsonString(values[i].first) + ": " + values[i].second;
  }
  return out + "}";
}

bool SyncToDisk(QFile& file) {
  if (!file.flush()) return false;
#ifdef _WIN32
  return _commit(file.handle()) == 0;
#else
  return fsync(file.handle()) == 0;
#endif
}

}  // namespace

bool IsJournaled(OperationCode op) {
  return OperationRowOf(op).changes != Changes::Nothing;
}

JournalValues JournalValuesOf(OperationCode op, const DeviceData& data, bool knownOnly) {
  ValueList values(knownOnly, data.readFields);
  if (const RecordSent record = OperationRowOf(op).recordSent) record(values, data);
  return values.take();
}

std::string JournalLine(const JournalRecord& r) {
  const auto optionalText = [](const std::string& text) {
    return text.empty() ? std::string("null") : JsonString(text);
  };
  std::string line =
      "{\"time\": " + JsonString(r.time.toString(Qt::ISODate).toStdString()) +
      ", \"port\": " + JsonString(r.port) + ", \"longAddress\": " + optionalText(r.longAddress) +
      ", \"tag\": " + optionalText(r.tag) +
      ", \"operation\": " + JsonString(std::string(OperationWord(r.op))) +
      ", \"sent\": " + ValuesJson(r.sent) + ", \"before\": " + ValuesJson(r.before) +
      ", \"status\": " + optionalText(r.status) + ", \"result\": " + JsonString(r.result);
  if (r.result == "no-reply" || r.result == "interrupted") line += ", \"outcome\": \"unknown\"";
  line += ", \"response\": ";
  if (r.responseCode) {
    line += "{\"code\": " + std::to_string(*r.responseCode) +
            ", \"text\": " + JsonString(ResponseCodeText(*r.responseCode)) + "}";
  } else {
    line += "null";
  }
  line += ", \"deviceStatus\": ";
  if (r.deviceStatus) {
    std::string bits = "[";
    const std::vector<std::string> texts = DeviceStatusTexts(*r.deviceStatus);
    for (std::size_t i = 0; i < texts.size(); ++i) bits += (i ? ", " : "") + JsonString(texts[i]);
    line += "{\"byte\": " + std::to_string(*r.deviceStatus) + ", \"bits\": " + bits + "]}";
  } else {
    line += "null";
  }
  return line + "}";
}

namespace {

// The file's last byte is not a line end: its last line was cut off.
bool EndsWithoutLineEnd(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() == 0) return false;
  char last = '\n';
  return file.seek(file.size() - 1) && file.getChar(&last) && last != '\n';
}

}  // namespace

QString Journal::defaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/vantrel/journal.jsonl");
}

Journal::Journal(QString path, qint64 rollOverBytes)
    : path_(std::move(path)), rollOverBytes_(rollOverBytes) {}

bool Journal::append(const std::string& line, QString* error) {
  const QFileInfo info(path_);
  if (!QDir().mkpath(info.absolutePath())) {
    if (error) *error = QStringLiteral("cannot make the folder %1").arg(info.absolutePath());
    return false;
  }
  if (info.exists() && info.size() >= rollOverBytes_ && !rollOver(error)) return false;
  QFile file(path_);
  QByteArray bytes = QByteArray::fromStdString(line) + '\n';
  if (EndsWithoutLineEnd(path_)) bytes.prepend('\n');  // a cut last line stays a line of its own
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() ||
      !SyncToDisk(file)) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

// journal.jsonl becomes journal-20261208-093000.jsonl (-2, -3 … when that
// name is taken): nothing is ever overwritten or deleted.
bool Journal::rollOver(QString* error) {
  const QFileInfo info(path_);
  const QString stem =
      info.dir().filePath(info.completeBaseName() + QLatin1Char('-') +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
  QString target = stem + QStringLiteral(".jsonl");
  for (int n = 2; QFileInfo::exists(target); ++n) {
    target = stem + QStringLiteral("-%1.jsonl").arg(n);
  }
  if (QFile::rename(path_, target)) return true;
  if (error) *error = QStringLiteral("cannot rename %1 to %2").arg(path_, target);
  return false;
}

JournalContents ReadJournal(const QString& path) {
  JournalContents contents;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (file.exists()) contents.error = file.errorString();
    return contents;  // no journal yet: nothing was recorded
  }
  return ParseJournalLines(file.readAll().split('\n'));
}

JournalContents ParseJournalLines(const QList<QByteArray>& lines) {
  JournalContents contents;
  for (int i = 0; i < lines.size(); ++i) {
    if (lines[i].trimmed().isEmpty()) continue;
    QJsonParseError parse;
    const QJsonDocument record = QJsonDocument::fromJson(lines[i], &parse);
    if (parse.error == QJsonParseError::NoError && record.isObject()) {
      contents.records.push_back(record.object());
      continue;
    }
    const bool last = i == lines.size() - 1;  // no line end after it
    contents.warnings.push_back("line " + std::to_string(i + 1) + ": " +
                                (last ? "cut off" : "not a record") + ", skipped");
  }
  return contents;
}

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
