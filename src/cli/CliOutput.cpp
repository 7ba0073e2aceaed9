#include "cli/CliOutput.h"

#include <cmath>
#include <cstdio>
#include <variant>
#include <vector>

#include "engine/CodeTables.h"

namespace vantrel {
namespace {

// A value as the page shows it: text, a whole number, a float (six
// significant digits, as the view's number fields), or a list of numbers.
using Value = std::variant<std::string, long long, float, std::vector<int>>;
using Values = std::vector<std::pair<const char*, Value>>;

std::string DateText(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

Values ValuesOf(OperationCode op, const DeviceData& d) {
  switch (op) {
    case OP_SEARCH: {
      std::vector<int> found;
      for (std::size_t i = 0; i < d.foundFlags.size(); ++i) {
        if (d.foundFlags[i]) found.push_back(static_cast<int>(i));
      }
      return {{"found", found}};
    }
    case OP_READ_CURRENT:
      return {{"loopCurrent", d.loopCurrent},
              {"percentOfRange", d.percentOfRange},
              {"pvText", d.pvText},
              {"svText", d.svText}};
    case OP_READ_DEVICE_INFO:
      return {{"tag", d.tag},
              {"descriptor", d.descriptor},
              {"message", d.message},
              {"date", DateText(d.date)}};
    case OP_READ_LONG_ADDRESS:
      return {{"longAddressText", d.longAddressText}};
    case OP_READ_CONFIG: {
      const std::optional<std::uint8_t> code = UnitCodeForIndex(d.unitIndex);
      const std::string unitText =
          code ? std::string(UnitTable()[static_cast<std::size_t>(d.unitIndex)].listText) : "";
      return {{"unitIndex", static_cast<long long>(d.unitIndex)},
              {"unitText", unitText},
              {"upperRangeText", d.upperRangeText},
              {"lowerRangeText", d.lowerRangeText},
              {"dampingText", d.dampingText}};
    }
    case OP_READ_SENSOR_CONFIG:
      return {{"sensorTypeIndex", static_cast<long long>(d.sensorTypeIndex)},
              {"sensorLowerText", d.sensorLowerText},
              {"sensorUpperText", d.sensorUpperText}};
    case OP_READ_RESISTANCE:
      return {{"resistance", d.resistance}};
    case OP_CALIBRATE_RESISTANCE:
      return {{"rRefText", d.rRefText}, {"vRefText", d.vRefText}};
    case OP_READ_OFFSET:
      return {{"offsetText", d.offsetText}};
    case OP_READ_CAL_ROW1:
      return {{"row1AdmText", d.row1AdmText}, {"row1AdlText", d.row1AdlText}};
    case OP_READ_CAL_ROW2:
      return {{"row2AdmText", d.row2AdmText}, {"row2AdlText", d.row2AdlText}};
    case OP_READ_VOLTAGE:
      return {{"millivoltText", d.millivoltText}};
    case OP_READ_GAIN: {
      const std::string gainText =
          d.gainIndex >= 0 && d.gainIndex < static_cast<int>(kGainCount)
              ? std::string(GainTable()[static_cast<std::size_t>(d.gainIndex)])
              : "";
      return {{"gainIndex", static_cast<long long>(d.gainIndex)}, {"gainText", gainText}};
    }
    case OP_POLL:
      return {{"pressureCode", static_cast<long long>(d.pressureCode)}};
    default:
      return {};
  }
}

std::string FloatText(float value, bool json) {
  if (!std::isfinite(value)) return json ? "null" : (std::isnan(value) ? "nan" : "inf");
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

std::string ValueText(const Value& value, bool json) {
  if (const auto* text = std::get_if<std::string>(&value)) return json ? JsonString(*text) : *text;
  if (const auto* whole = std::get_if<long long>(&value)) return std::to_string(*whole);
  if (const auto* number = std::get_if<float>(&value)) return FloatText(*number, json);
  std::string list = json ? "[" : "";
  const auto& numbers = std::get<std::vector<int>>(value);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) list += json ? ", " : " ";
    list += std::to_string(numbers[i]);
  }
  return json ? list + "]" : list;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string FormatOutcome(const CliOutcome& outcome, const DeviceData& data, bool json) {
  const std::string word(OperationWord(outcome.op));
  const Values values = outcome.ended && outcome.result == OperationResult::Success
                            ? ValuesOf(outcome.op, data)
                            : Values{};
  std::string out;
  if (json) {
    out = "{\"operation\": " + JsonString(word) +
          ", \"status\": " + (outcome.hasStatus ? JsonString(outcome.status) : "null") +
          ", \"progress\": " + std::to_string(outcome.progress) + ", \"values\": {";
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) out += ", ";
      out += JsonString(values[i].first) + ": " + ValueText(values[i].second, true);
    }
    out += "}, \"messages\": [";
    for (std::size_t i = 0; i < outcome.messages.size(); ++i) {
      if (i > 0) out += ", ";
      out += JsonString(outcome.messages[i]);
    }
    out += "]";
    if (!outcome.ended) out += ", \"error\": \"no reply\"";
    return out + "}\n";
  }
  out = word + ": " + (outcome.hasStatus ? outcome.status : "(no status)") +
        (outcome.ended ? "" : " (no reply)") + "\n";
  out += "progress=" + std::to_string(outcome.progress) + "\n";
  for (const auto& [key, value] : values)
    out += std::string(key) + "=" + ValueText(value, false) + "\n";
  for (const std::string& message : outcome.messages) out += "message=" + message + "\n";
  return out;
}

}  // namespace vantrel
