#include "config/Configuration.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "config/JsonText.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"

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

std::string DateText(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

// The number in a limit text of the sensor table ("-200 ℃").
std::string LimitNumber(std::string_view text) {
  return JsonFloat(std::strtof(std::string(text).c_str(), nullptr));
}

std::string UnitName(int index) {
  if (index < 0 || index >= static_cast<int>(kUnitCount)) return "null";
  return JsonString(std::string(UnitTable()[static_cast<std::size_t>(index)].name));
}

std::string Sensor(int index) {
  if (index < 0 || index >= static_cast<int>(kSensorTypeCount)) return "null";
  const SensorTypeEntry& sensor = SensorTypeTable()[static_cast<std::size_t>(index)];
  return "{\"type\": " + JsonString(std::string(sensor.shortName)) +
         ", \"lower\": " + LimitNumber(sensor.lowerLimitText) +
         ", \"upper\": " + LimitNumber(sensor.upperLimitText) + ", \"unit\": \"degC\"}";
}

}  // namespace

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

std::string ConfigurationJson(const Configuration& c) {
  const LongAddressBytes shown = LongAddressToShow(c.manufacturer, c.deviceType, c.deviceId);
  const std::string unit = UnitName(c.unitIndex);
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
  out += "  \"date\": " + JsonString(DateText(c.date)) + ",\n";
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
