#include "cli/CliOutput.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "cli/CliOperations.h"
#include "config/JsonText.h"
#include "engine/FrameDecoder.h"

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
  if (const auto* words = std::get_if<std::vector<std::string>>(&value)) {
    for (std::size_t i = 0; i < words->size(); ++i) {
      if (i > 0) list += json ? ", " : " ";
      list += json ? JsonString((*words)[i]) : (*words)[i];
    }
    return json ? list + "]" : list;
  }
  const auto& numbers = std::get<std::vector<int>>(value);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) list += json ? ", " : " ";
    list += std::to_string(numbers[i]);
  }
  return json ? list + "]" : list;
}

}  // namespace

const char* ResultWord(const CliOutcome& outcome) {
  return outcome.skipped ? "skipped" : OperationResultWord(outcome.result);
}

namespace {

const char* ClassWord(ResponseClass responseClass) {
  switch (responseClass) {
    case ResponseClass::Success:
      return "success";
    case ResponseClass::Warning:
      return "warning";
    case ResponseClass::Error:
      break;
    case ResponseClass::CommunicationError:
      return "communication-error";
  }
  return "error";
}

std::string JsonList(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) list += (i ? ", " : "") + JsonString(texts[i]);
  return list + "]";
}

std::string JsonResponse(const CliOutcome& o) {
  if (!o.responseCode) return "null";
  return "{\"code\": " + std::to_string(*o.responseCode) + ", \"class\": \"" +
         ClassWord(ClassifyResponse(*o.responseCode)) +
         "\", \"text\": " + JsonString(ResponseCodeText(*o.responseCode)) + "}";
}

std::string JsonDeviceStatus(const CliOutcome& o) {
  if (!o.deviceStatus) return "null";
  return "{\"byte\": " + std::to_string(*o.deviceStatus) +
         ", \"bits\": " + JsonList(DeviceStatusTexts(*o.deviceStatus)) + "}";
}

// Codes as numbers, the device ID as six lower-case hex digits.
std::string JsonInstrument(const Instrument& i) {
  return "{\"hartRevision\": " + std::to_string(i.hartRevision) +
         ", \"manufacturerCode\": " + std::to_string(i.model.manufacturer) +
         ", \"deviceType\": " + std::to_string(i.model.deviceType) + ", \"deviceId\": \"" +
         DeviceIdText(i.deviceId) + "\", \"deviceRevision\": " + std::to_string(i.deviceRevision) +
         "}";
}

std::string JsonOutcome(const CliOutcome& o, const CliValues& values) {
  std::string out = "{\"operation\": " + JsonString(std::string(OperationWord(o.op))) +
                    ", \"result\": \"" + ResultWord(o) + "\"" +
                    ", \"status\": " + (o.hasStatus ? JsonString(o.status) : "null") +
                    ", \"progress\": " + std::to_string(o.progress) + ", \"values\": {";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ", ";
    out += JsonString(values[i].first) + ": " + ValueText(values[i].second, true);
  }
  out += "}, \"messages\": " + JsonList(o.messages);
  out += ", \"retries\": " + std::to_string(o.retries);
  out += ", \"response\": " + JsonResponse(o);
  out += ", \"deviceStatus\": " + JsonDeviceStatus(o);
  out += ", \"reason\": " + (o.reason.empty() ? std::string("null") : JsonString(o.reason));
  if (o.instrument) out += ", \"instrument\": " + JsonInstrument(*o.instrument);
  if (o.journalNotWritten) out += ", \"journal\": \"not written\"";
  return out + "}\n";
}

// The same facts as the JSON object, a line each.
std::string PlainOutcome(const CliOutcome& o, const CliValues& values) {
  std::string out =
      std::string(OperationWord(o.op)) + ": " + (o.hasStatus ? o.status : "(no status)") + "\n";
  out += std::string("result=") + ResultWord(o) + "\n";
  if (o.skipped) return out;
  out += "progress=" + std::to_string(o.progress) + "\n";
  for (const auto& [key, value] : values) {
    out += std::string(key) + "=" + ValueText(value, false) + "\n";
  }
  for (const std::string& message : o.messages) out += "message=" + message + "\n";
  out += "retries=" + std::to_string(o.retries) + "\n";
  if (o.responseCode) {
    out += "response=" + std::to_string(*o.responseCode) + " " + ResponseCodeText(*o.responseCode) +
           "\n";
  }
  if (o.deviceStatus) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", *o.deviceStatus);
    std::string bits;
    for (const std::string& bit : DeviceStatusTexts(*o.deviceStatus)) bits += " " + bit;
    out += std::string("deviceStatus=") + hex + bits + "\n";
  }
  if (!o.reason.empty()) out += "reason=" + o.reason + "\n";
  if (o.instrument) {
    out += "instrument=HART " + std::to_string(o.instrument->hartRevision) + " " +
           ModelWord(o.instrument->model) + " " + DeviceIdText(o.instrument->deviceId) + " rev " +
           std::to_string(o.instrument->deviceRevision) + "\n";
  }
  return out;
}

}  // namespace

std::string FormatOutcome(const CliOutcome& outcome, const CliShown& shown, bool json) {
  const CliValues values = outcome.succeeded() ? ValuesOf(outcome.op, shown) : CliValues{};
  return json ? JsonOutcome(outcome, values) : PlainOutcome(outcome, values);
}

}  // namespace vantrel
