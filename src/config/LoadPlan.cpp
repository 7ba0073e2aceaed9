#include "config/LoadPlan.h"

#include <algorithm>
#include <cstdio>

#include "config/JsonText.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"
#include "engine/EngineTexts.h"
#include "engine/Instrument.h"
#include "engine/NumberText.h"

namespace vantrel {
namespace {

std::string LongAddressText(const Configuration& c) {
  return FormatLongAddressText(LongAddressToShow(c.manufacturer, c.deviceType, c.deviceId));
}

}  // namespace

IdentityMatch CompareIdentity(const Configuration& instrument, const Configuration& file) {
  if (instrument.manufacturer != file.manufacturer || instrument.deviceType != file.deviceType) {
    return IdentityMatch::OtherModel;
  }
  return instrument.deviceId == file.deviceId ? IdentityMatch::Same : IdentityMatch::OtherDevice;
}

std::string IdentityText(const Configuration& c) {
  char text[96];
  std::snprintf(text, sizeof text,
                "manufacturer 0x%02x, device type 0x%02x, device ID %02x%02x%02x", c.manufacturer,
                c.deviceType, c.deviceId[0], c.deviceId[1], c.deviceId[2]);
  return text;
}

std::string IdentityWords(const Configuration& c) {
  return ModelText({c.manufacturer, c.deviceType}) + Tr(texts::kModelSeparator) +
         Tr(texts::kDeviceId) + DeviceIdText(c.deviceId);
}

bool ChosenByDefault(const std::string& field, IdentityMatch match) {
  return !(match == IdentityMatch::OtherDevice && field == "tag");
}

std::vector<FieldDifference> Differences(const Configuration& a, const Configuration& b,
                                         bool withAddress) {
  std::vector<FieldDifference> out;
  auto add = [&out](const char* field, bool differ, std::string mine, std::string theirs) {
    if (differ) out.push_back({field, std::move(mine), std::move(theirs)});
  };
  add("tag", a.tag != b.tag, a.tag, b.tag);
  add("descriptor", a.descriptor != b.descriptor, a.descriptor, b.descriptor);
  add("message", a.message != b.message, a.message, b.message);
  add("date", a.date != b.date, FormatDateText(a.date), FormatDateText(b.date));
  add("range.upper", a.upperRange != b.upperRange, JsonFloat(a.upperRange),
      JsonFloat(b.upperRange));
  add("range.lower", a.lowerRange != b.lowerRange, JsonFloat(a.lowerRange),
      JsonFloat(b.lowerRange));
  add("range.unit", a.unitIndex != b.unitIndex, UnitName(a.unitIndex), UnitName(b.unitIndex));
  add("damping", a.damping != b.damping, JsonFloat(a.damping), JsonFloat(b.damping));
  add("sensor.type", b.sensorTypeIndex >= 0 && a.sensorTypeIndex != b.sensorTypeIndex,
      SensorTypeName(a.sensorTypeIndex), SensorTypeName(b.sensorTypeIndex));
  if (withAddress) {
    add("pollingAddress", a.pollingAddress != b.pollingAddress, std::to_string(a.pollingAddress),
        std::to_string(b.pollingAddress));
    add("longAddress", LongAddressText(a) != LongAddressText(b), LongAddressText(a),
        LongAddressText(b));
  }
  return out;
}

std::vector<PlannedWrite> LoadWrites(const Configuration& mine, const Configuration& file,
                                     const std::vector<std::string>& fields) {
  const auto chosen = [&fields](const char* field) {
    return std::find(fields.begin(), fields.end(), field) != fields.end();
  };
  // The value an operation sends for `field`: the file's when chosen.
  const auto pick = [&chosen, &mine, &file](const char* field, auto member) {
    return chosen(field) ? file.*member : mine.*member;
  };
  std::vector<PlannedWrite> writes;
  if (chosen("tag") || chosen("descriptor") || chosen("message") || chosen("date")) {
    writes.push_back(
        {OP_WRITE_DEVICE_INFO, [tag = pick("tag", &Configuration::tag),
                                descriptor = pick("descriptor", &Configuration::descriptor),
                                message = pick("message", &Configuration::message),
                                date = pick("date", &Configuration::date)](DeviceData& d) {
           d.tag = tag;
           d.descriptor = descriptor;
           d.message = message;
           d.date = date;
         }});
  }
  if (chosen("range.upper") || chosen("range.lower") || chosen("range.unit") || chosen("damping")) {
    writes.push_back(
        {OP_WRITE_CONFIG, [unit = pick("range.unit", &Configuration::unitIndex),
                           upper = pick("range.upper", &Configuration::upperRange),
                           lower = pick("range.lower", &Configuration::lowerRange),
                           damping = pick("damping", &Configuration::damping)](DeviceData& d) {
           d.unitIndex = unit;
           d.upperRangeText = JsonFloat(upper);
           d.lowerRangeText = JsonFloat(lower);
           d.dampingText = JsonFloat(damping);
         }});
  }
  if (chosen("sensor.type")) {
    writes.push_back({OP_WRITE_SENSOR_CONFIG,
                      [type = file.sensorTypeIndex](DeviceData& d) { d.sensorTypeIndex = type; }});
  }
  if (chosen("longAddress")) {
    writes.push_back({OP_WRITE_LONG_ADDRESS,
                      [text = LongAddressText(file)](DeviceData& d) { d.longAddressText = text; }});
  }
  // Last: the instrument answers at its new address from then on.
  if (chosen("pollingAddress")) {
    writes.push_back({OP_WRITE_POLL_ADDRESS, [address = file.pollingAddress](DeviceData& d) {
                        d.newPollAddress = address;
                      }});
  }
  return writes;
}

}  // namespace vantrel
