#include "config/Configuration.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "config/JsonText.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"
#include "engine/NumberText.h"

namespace vantrel {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(byte, sizeof byte, "%02x", bytes[i]);
    text += byte;
  }
  return text;
}

// The number in a limit text of the sensor table ("-200 ℃").
std::string LimitNumber(std::string_view text) {
  return JsonFloat(std::strtof(std::string(text).c_str(), nullptr));
}

std::string Sensor(int index) {
  if (index < 0 || index >= static_cast<int>(kSensorTypeCount)) return "null";
  const SensorTypeEntry& sensor = SensorTypeTable()[static_cast<std::size_t>(index)];
  return "{\"type\": " + JsonString(std::string(sensor.shortName)) +
         ", \"lower\": " + LimitNumber(sensor.lowerLimitText) +
         ", \"upper\": " + LimitNumber(sensor.upperLimitText) + ", \"unit\": \"degC\"}";
}

}  // namespace

bool SaveConfigurationFile(const QString& file, const DeviceData& data, std::uint8_t pollingAddress,
                           QString* error) {
  const QDateTime now = QDateTime::currentDateTime();
  const std::string text = ConfigurationJson(
      ConfigurationOf(data, pollingAddress, now.toOffsetFromUtc(now.offsetFromUtc())));
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !out.commit()) {
    if (error) *error = out.errorString();
    return false;
  }
  return true;
}

std::vector<OperationCode> ConfigurationReads() {
  return {OP_READ_LONG_ADDRESS,  OP_READ_DEVICE_INFO, OP_READ_CONFIG,
          OP_READ_SENSOR_CONFIG, OP_READ_GAIN,        OP_READ_OFFSET};
}

Configuration ConfigurationOf(const DeviceData& data, std::uint8_t pollingAddress, QDateTime time) {
  Configuration c;
  c.time = std::move(time);
  c.manufacturer = data.longAddress[0];
  c.deviceType = data.longAddress[1];
  c.deviceId = {data.longAddress[2], data.longAddress[3], data.longAddress[4]};
  c.hartRevision = data.hartRevision;
  c.tag = data.tag;
  c.descriptor = data.descriptor;
  c.message = data.message;
  c.date = data.date;
  c.pollingAddress = pollingAddress;
  c.unitIndex = data.unitIndex;
  c.upperRange = data.upperRange;
  c.lowerRange = data.lowerRange;
  c.damping = data.damping;
  c.sensorTypeIndex = data.sensorTypeIndex;
  c.gainIndex = data.gainIndex;
  c.offsetTenths = data.offsetTenths;
  return c;
}

namespace {

// Reads the fields of a configuration one after another; the first that is
// wrong is kept, with its name.
class FieldReader {
 public:
  explicit FieldReader(const QJsonObject& root) : root_(root) {}

  const std::string& error() const { return error_; }

  QJsonValue value(const char* path) const {
    const QString name = QString::fromLatin1(path);
    const int dot = name.indexOf('.');
    if (dot < 0) return root_.value(name);
    return root_.value(name.left(dot)).toObject().value(name.mid(dot + 1));
  }

  void fail(const char* path, const char* why) {
    if (error_.empty()) error_ = std::string(path) + ": " + why;
  }

  int integer(const char* path, int min, int max) {
    const QJsonValue v = value(path);
    const double number = v.toDouble(std::nan(""));
    if (!v.isDouble() || number != std::floor(number) || number < min || number > max) {
      fail(path, "not a whole number in range");
      return min;
    }
    return static_cast<int>(number);
  }

  float number(const char* path) {
    const QJsonValue v = value(path);
    const double number = v.toDouble();
    if (!v.isDouble() || !std::isfinite(static_cast<float>(number))) {
      fail(path, "not a number");
      return 0.0f;
    }
    return static_cast<float>(number);
  }

  std::string text(const char* path, std::size_t longest) {
    const QJsonValue v = value(path);
    const std::string text = v.toString().toStdString();
    if (!v.isString()) {
      fail(path, "not a text");
    } else if (text.size() > longest) {
      fail(path, "too long");
    } else if (const std::optional<std::string> bad = FirstUnpackableCharacter(text)) {
      fail(path, (*bad + " cannot be written (space to _, letters in any case)").c_str());
    }
    return text;
  }

  // A name of a code table, or null where null is allowed.
  int choice(const char* path, std::optional<int> (*byName)(std::string_view), bool nullable) {
    const QJsonValue v = value(path);
    if (nullable && v.isNull()) return -1;
    const std::optional<int> index = byName(v.toString().toStdString());
    if (!v.isString() || !index) fail(path, "not a name the program knows");
    return index.value_or(-1);
  }

 private:
  const QJsonObject& root_;
  std::string error_;
};

std::optional<std::array<std::uint8_t, 3>> DeviceIdOf(const QString& hex) {
  bool ok = false;
  const unsigned id = hex.toUInt(&ok, 16);
  if (hex.size() != 6 || !ok) return std::nullopt;
  return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(id >> 16),
                                     static_cast<std::uint8_t>(id >> 8),
                                     static_cast<std::uint8_t>(id)};
}

std::optional<CalendarDate> DateOf(const QString& text) {
  const QStringList parts = text.split('-');
  if (parts.size() != 3 || parts[0].size() != 4 || parts[1].size() != 2 || parts[2].size() != 2) {
    return std::nullopt;
  }
  const CalendarDate date{parts[0].toInt(), parts[1].toInt(), parts[2].toInt()};
  if (date.year < 1900 || date.year > 2155 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month)) {
    return std::nullopt;
  }
  return date;
}

}  // namespace

std::string ParseConfiguration(const QByteArray& text, Configuration& c) {
  QJsonParseError parse;
  const QJsonDocument document = QJsonDocument::fromJson(text, &parse);
  if (parse.error != QJsonParseError::NoError) {
    return "not JSON: " + parse.errorString().toStdString();
  }
  if (!document.isObject()) return "not a configuration: not a JSON object";
  const QJsonObject root = document.object();
  if (root.value(QStringLiteral("format")).toString() != QLatin1String(kConfigurationFormat)) {
    return "format: not a vantrel-configuration";
  }
  FieldReader r(root);
  const int version = r.integer("version", 1, 1000000);
  if (!r.error().empty()) return r.error();
  if (version > kConfigurationVersion) {
    return "version: " + std::to_string(version) + " is newer than this program reads";
  }
  c.manufacturer = static_cast<std::uint8_t>(r.integer("identity.manufacturer", 0, 255));
  c.deviceType = static_cast<std::uint8_t>(r.integer("identity.deviceType", 0, 255));
  c.hartRevision = static_cast<std::uint8_t>(r.integer("identity.hartRevision", 0, 255));
  const std::optional<std::array<std::uint8_t, 3>> id =
      DeviceIdOf(r.value("identity.deviceId").toString());
  if (!id) r.fail("identity.deviceId", "not six hex digits");
  c.deviceId = id.value_or(std::array<std::uint8_t, 3>{});
  c.tag = r.text("tag", 8);
  c.descriptor = r.text("descriptor", 16);
  c.message = r.text("message", 32);
  const std::optional<CalendarDate> date = DateOf(r.value("date").toString());
  if (!date) r.fail("date", "not a date YYYY-MM-DD from 1900 to 2155");
  c.date = date.value_or(CalendarDate{2000, 1, 1});
  c.pollingAddress = static_cast<std::uint8_t>(r.integer("pollingAddress", 0, 15));
  c.upperRange = r.number("range.upper");
  c.lowerRange = r.number("range.lower");
  c.unitIndex = r.choice("range.unit", UnitIndexForName, false);
  c.damping = r.number("damping.value");
  if (r.error().empty() && c.damping < 0.0f) r.fail("damping.value", "less than 0");
  c.sensorTypeIndex = r.choice("sensor.type", SensorTypeIndexForName, true);
  c.gainIndex = GainIndexForName(r.value("gain").toString().toStdString()).value_or(-1);
  const double offset = r.value("offset.value").toDouble();
  c.offsetTenths = static_cast<std::int16_t>(std::lround(std::clamp(offset, -3000.0, 3000.0) * 10));
  return r.error();
}

std::string ConfigurationJson(const Configuration& c) {
  const LongAddressBytes shown = LongAddressToShow(c.manufacturer, c.deviceType, c.deviceId);
  const std::string unitName = UnitName(c.unitIndex);
  const std::string unit = unitName.empty() ? "null" : JsonString(unitName);
  std::string out = "{\n";
  out += "  \"format\": " + JsonString(kConfigurationFormat) + ",\n";
  out += "  \"version\": " + std::to_string(kConfigurationVersion) + ",\n";
  out += "  \"time\": " + JsonString(c.time.toString(Qt::ISODate).toStdString()) + ",\n";
  out += "  \"identity\": {\"manufacturer\": " + std::to_string(c.manufacturer) +
         ", \"deviceType\": " + std::to_string(c.deviceType) +
         ", \"deviceId\": " + JsonString(Hex(c.deviceId.data(), c.deviceId.size())) +
         ", \"longAddress\": " + JsonString(FormatLongAddressText(shown)) +
         ", \"hartRevision\": " + std::to_string(c.hartRevision) + "},\n";
  out += "  \"tag\": " + JsonString(c.tag) + ",\n";
  out += "  \"descriptor\": " + JsonString(c.descriptor) + ",\n";
  out += "  \"message\": " + JsonString(c.message) + ",\n";
  out += "  \"date\": " + JsonString(FormatDateText(c.date)) + ",\n";
  out += "  \"pollingAddress\": " + std::to_string(c.pollingAddress) + ",\n";
  out += "  \"range\": {\"upper\": " + JsonFloat(c.upperRange) +
         ", \"lower\": " + JsonFloat(c.lowerRange) + ", \"unit\": " + unit + "},\n";
  out += "  \"damping\": {\"value\": " + JsonFloat(c.damping) + ", \"unit\": \"s\"},\n";
  out += "  \"sensor\": " + Sensor(c.sensorTypeIndex) + ",\n";
  out +=
      "  \"gain\": " + (c.gainIndex < 0 ? std::string("null") : JsonString(GainName(c.gainIndex))) +
      ",\n";
  out += "  \"offset\": {\"value\": " + JsonFloat(static_cast<float>(c.offsetTenths) / 10.0f) +
         ", \"unit\": \"degC\"}\n";
  return out + "}\n";
}

}  // namespace vantrel
