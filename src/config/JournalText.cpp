#include "config/JournalText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QSet>
#include <QStringList>

#include <string>

#include "engine/EngineTexts.h"
#include "engine/OperationTable.h"
#include "link/HartCommands.h"

namespace vantrel {
namespace {

// A text marked under "vantrel", in the language the program runs in.
QString Ui(const char* source) {
  return QCoreApplication::translate("vantrel", source);
}

QString Key(const char* key) {
  return QString::fromLatin1(key);
}

// The operations the name of their command does not fit: two commands, a
// command two operations share, or a page whose button says it otherwise.
// Every other operation is named by its one command.
const struct {
  OperationCode op;
  const char* name;
} kOperationNames[] = {
    {OP_WRITE_DEVICE_INFO, QT_TRANSLATE_NOOP("vantrel", "修改设备信息")},
    {OP_WRITE_CONFIG, QT_TRANSLATE_NOOP("vantrel", "修改组态")},
    {OP_CALIBRATE_CURRENT, QT_TRANSLATE_NOOP("vantrel", "输出电流校准")},
    {OP_CALIBRATE_50MV, QT_TRANSLATE_NOOP("vantrel", "50mV 校准")},
    {OP_CALIBRATE_0MV, QT_TRANSLATE_NOOP("vantrel", "0mV 校准")},
    {OP_CLEAR_ZERO, QT_TRANSLATE_NOOP("vantrel", "清除零点")},
};

// A value the journal records, by the name its page gives it, in the order
// the change text lists them. `name` nullptr: named by the operation.
struct ValueName {
  const char* key;
  const char* name;
  const char* unit = nullptr;
  bool rangeUnit = false;  // in the unit recorded with it ("unit")
};

const ValueName kValues[] = {
    {"tag", QT_TRANSLATE_NOOP("vantrel", "标签")},
    {"descriptor", QT_TRANSLATE_NOOP("vantrel", "描述符")},
    {"message", QT_TRANSLATE_NOOP("vantrel", "消息")},
    {"date", QT_TRANSLATE_NOOP("vantrel", "日期")},
    {"longTag", QT_TRANSLATE_NOOP("vantrel", "长标签")},
    {"unit", QT_TRANSLATE_NOOP("vantrel", "单位")},
    {"upper", QT_TRANSLATE_NOOP("vantrel", "测量上限"), nullptr, true},
    {"lower", QT_TRANSLATE_NOOP("vantrel", "测量下限"), nullptr, true},
    {"damping", QT_TRANSLATE_NOOP("vantrel", "阻尼时间"), "s"},
    {"sensorType", QT_TRANSLATE_NOOP("vantrel", "传感器类型")},
    {"gain", QT_TRANSLATE_NOOP("vantrel", "放大倍数")},
    {"offset", QT_TRANSLATE_NOOP("vantrel", "偏移值"), "℃"},
    {"pollingAddress", QT_TRANSLATE_NOOP("vantrel", "短地址")},
    {"loopCurrentMode", QT_TRANSLATE_NOOP("vantrel", "回路电流模式")},
    {"longAddress", QT_TRANSLATE_NOOP("vantrel", "长地址")},
    {"current", QT_TRANSLATE_NOOP("vantrel", "固定电流输出"), "mA"},
    {"point", QT_TRANSLATE_NOOP("vantrel", "输出理论值"), "mA"},
    {"actual", QT_TRANSLATE_NOOP("vantrel", "实际电流输出"), "mA"},
    {"pressure", nullptr, "kPa"},
    {"row1Adm", "ADM1"},
    {"row1Adl", "ADL1"},
    {"row2Adm", "ADM2"},
    {"row2Adl", "ADL2"},
};

// The pressure of a calibration, named as its page names it.
QString PressureName(const QString& op) {
  if (op == QLatin1String("calibrate-low")) return Ui(QT_TRANSLATE_NOOP("vantrel", "低端压力值"));
  if (op == QLatin1String("calibrate-high")) return Ui(QT_TRANSLATE_NOOP("vantrel", "高端压力值"));
  if (op == QLatin1String("calibrate-mid")) return Ui(QT_TRANSLATE_NOOP("vantrel", "中点压力值"));
  return QStringLiteral("pressure");
}

// One side of a change: "250" and "kPa".
struct Shown {
  QString value;
  QString unit;
  QString whole() const { return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit; }
};

QString PlainText(const QJsonValue& value) {
  if (value.isString() && !value.toString().isEmpty()) return value.toString();
  if (value.isBool()) return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
  if (value.isObject()) {
    return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
  }
  return QStringLiteral("—");  // nothing: null, an empty text
}

// `value` of `side` ("sent" or "before"); a range value takes the unit of
// its side, or the one sent when its side holds none.
Shown ShownValue(const ValueName& name, const QJsonValue& value, const QJsonObject& side,
                 const QJsonObject& sent) {
  if (!value.isDouble()) return {PlainText(value), {}};
  const double number = value.toDouble();
  const QString key = Key(name.key);
  if (key == QLatin1String("loopCurrentMode")) {
    return {number != 0 ? Ui(QT_TRANSLATE_NOOP("vantrel", "启用"))
                        : Ui(QT_TRANSLATE_NOOP("vantrel", "禁用")),
            {}};
  }
  // 0 mA releases the fixed current.
  if (key == QLatin1String("current") && number == 0) {
    return {Ui(QT_TRANSLATE_NOOP("vantrel", "退出")), {}};
  }
  QString unit = name.unit ? QString::fromUtf8(name.unit) : QString();
  if (name.rangeUnit) {
    const QString unitKey = QStringLiteral("unit");
    unit = side.value(unitKey).toString(sent.value(unitKey).toString());
  }
  return {QString::number(number, 'g', QLocale::FloatingPointShortest), unit};
}

struct Change {
  QString text;
  bool changed;
};

Change Describe(const QString& name, const Shown& sent, const std::optional<Shown>& before) {
  const QString arrow = QStringLiteral(" → ");
  if (!before) return {name + arrow + sent.whole(), true};
  if (before->whole() == sent.whole()) return {name + QLatin1Char(' ') + sent.whole(), false};
  const QString was = before->unit == sent.unit ? before->value : before->whole();
  return {name + QLatin1Char(' ') + was + arrow + sent.whole(), true};
}

}  // namespace

QString JournalOperationText(const QJsonObject& record) {
  const QString word = record.value(QStringLiteral("operation")).toString();
  const std::optional<OperationCode> op = OperationFromWord(word.toStdString());
  if (!op) return word;
  for (const auto& entry : kOperationNames) {
    if (entry.op == *op) return Ui(entry.name);
  }
  const StepList& steps = OperationRowOf(*op).steps;
  const HartCommandInfo* command = steps.size() == 1 ? FindHartCommand(steps[0].command) : nullptr;
  return command ? QString::fromStdString(Tr(std::string(command->name))) : word;
}

QString JournalChangeText(const QJsonObject& record) {
  const QJsonObject sent = record.value(QStringLiteral("sent")).toObject();
  const QJsonObject before = record.value(QStringLiteral("before")).toObject();
  const QString op = record.value(QStringLiteral("operation")).toString();
  QStringList all;
  QStringList changed;
  const auto add = [&](const ValueName& name, const QString& key, const QString& shownName) {
    std::optional<Shown> was;
    if (before.contains(key)) was = ShownValue(name, before.value(key), before, sent);
    const Change change = Describe(shownName, ShownValue(name, sent.value(key), sent, sent), was);
    all << change.text;
    if (change.changed) changed << change.text;
  };
  QSet<QString> named;
  for (const ValueName& name : kValues) {
    const QString key = Key(name.key);
    named.insert(key);
    if (!sent.contains(key)) continue;
    add(name, key, name.name ? Ui(name.name) : PressureName(op));
  }
  for (auto it = sent.begin(); it != sent.end(); ++it) {
    if (!named.contains(it.key())) add(ValueName{"", nullptr}, it.key(), it.key());
  }
  return (changed.isEmpty() ? all : changed)
      .join(QString::fromStdString(Tr(texts::kReasonSeparator)));
}

QString JournalResultText(const QJsonObject& record) {
  static const struct {
    const char* word;
    const char* text;
  } kResults[] = {
      {"success", QT_TRANSLATE_NOOP("vantrel", "成功")},
      {"failure", QT_TRANSLATE_NOOP("vantrel", "失败")},
      {"no-reply", QT_TRANSLATE_NOOP("vantrel", "无应答")},
      {"interrupted", QT_TRANSLATE_NOOP("vantrel", "已中断")},
  };
  const QString word = record.value(QStringLiteral("result")).toString();
  for (const auto& result : kResults) {
    if (word == QLatin1String(result.word)) return Ui(result.text);
  }
  return word;
}

QString JournalTimeText(const QJsonObject& record) {
  const QString text = record.value(QStringLiteral("time")).toString();
  const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
  return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : text;
}

QString CompactLongAddress(const QString& longAddress) {
  const QStringList bytes = longAddress.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (bytes.size() != 5) return longAddress;
  QString compact;
  for (const QString& byte : bytes) {
    bool ok = false;
    const uint value = byte.mid(2).toUInt(&ok, 16);
    if (!byte.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || !ok || value > 0xFF) {
      return longAddress;
    }
    compact += QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
  }
  return compact;
}

std::vector<JournalInstrument> JournalInstruments(const JournalContents& journal) {
  std::vector<JournalInstrument> instruments;
  QSet<QString> seen;
  for (auto it = journal.records.rbegin(); it != journal.records.rend(); ++it) {
    const QString address = it->value(QStringLiteral("longAddress")).toString();
    if (address.isEmpty() || seen.contains(address)) continue;
    seen.insert(address);
    instruments.push_back({address, it->value(QStringLiteral("tag")).toString()});
  }
  return instruments;
}

QString JournalInstrumentText(const JournalInstrument& instrument) {
  const QString compact = CompactLongAddress(instrument.longAddress);
  const QString id = compact == instrument.longAddress ? compact : compact.right(6);
  if (instrument.tag.isEmpty()) return id;
  return Ui(QT_TRANSLATE_NOOP("vantrel", "%1（%2）")).arg(instrument.tag, id);
}

bool JournalMatches(const QJsonObject& record, const JournalFilter& filter) {
  if (!filter.longAddress.isEmpty() &&
      record.value(QStringLiteral("longAddress")).toString() != filter.longAddress) {
    return false;
  }
  if (!filter.from && !filter.to) return true;
  const QDateTime time =
      QDateTime::fromString(record.value(QStringLiteral("time")).toString(), Qt::ISODate);
  if (!time.isValid()) return true;
  const QDate day = time.date();
  return (!filter.from || day >= *filter.from) && (!filter.to || day <= *filter.to);
}

JournalContents FilteredJournal(const JournalContents& journal, const JournalFilter& filter) {
  JournalContents filtered;
  filtered.warnings = journal.warnings;
  filtered.error = journal.error;
  for (const QJsonObject& record : journal.records) {
    if (JournalMatches(record, filter)) filtered.records.push_back(record);
  }
  return filtered;
}

}  // namespace vantrel
