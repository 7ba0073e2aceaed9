#include "cli/CliOutput.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "cli/CliOperations.h"

namespace vantrel {
namespace {

std::string FloatText(float value, bool json) {
  if (!std::isfinite(value)) return json ? "null" : (std::isnan(value) ? "nan" : "inf");
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

std::string ValueText(const CliValue& value, bool json) {
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
  const CliValues values = outcome.ended && outcome.result == OperationResult::Success
                               ? ValuesOf(outcome.op, data)
                               : CliValues{};
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
