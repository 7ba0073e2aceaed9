#include "cli/CliLists.h"

#include "config/KnownModels.h"

#include <cstdio>

#include "cli/CliOutput.h"
#include "engine/CodeTables.h"
#include "engine/UnitCodes.h"
#include "link/Translate.h"
#include "port/SerialPort.h"

namespace vantrel {
namespace {

// One row: fields as (key, JSON value, plain text).
struct Field {
  const char* key;
  std::string json;
  std::string plain;
};

Field Text(const char* key, const std::string& text) {
  return {key, JsonString(text), text};
}

Field Number(const char* key, long long value) {
  return {key, std::to_string(value), std::to_string(value)};
}

Field Id(const char* key, std::optional<unsigned> id) {
  if (!id) return {key, "null", "-"};
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04x", *id);
  return {key, JsonString(hex), hex};
}

std::string Row(const std::vector<Field>& fields, bool json) {
  std::string line = json ? "{" : "";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (json) {
      line += (i ? ", " : "") + JsonString(fields[i].key) + ": " + fields[i].json;
    } else {
      line += (i ? "  " : "") + (fields[i].plain.empty() ? std::string("-") : fields[i].plain);
    }
  }
  return line + (json ? "}\n" : "\n");
}

std::string Units(bool json) {
  std::string out;
  for (std::size_t i = 0; i < UnitTable().size(); ++i) {
    const UnitEntry& unit = UnitTable()[i];
    out += Row({Number("index", static_cast<long long>(i)), Text("name", std::string(unit.name)),
                Text("text", std::string(unit.listText)), Number("code", unit.code)},
               json);
  }
  return out;
}

// The whole HART unit table: code, kind, name and text.
std::string AllUnits(bool json) {
  std::string out;
  for (const HartUnit& unit : HartUnitTable()) {
    out += Row(
        {Number("code", unit.code), Text("name", std::string(unit.name)),
         Text("text", std::string(unit.text)), Text("kind", std::string(UnitKindName(unit.kind)))},
        json);
  }
  return out;
}

std::string Gains(bool json) {
  std::string out;
  for (std::size_t i = 0; i < GainTable().size(); ++i) {
    out += Row({Number("index", static_cast<long long>(i)),
                Text("name", GainName(static_cast<int>(i))), Number("factor", 1LL << i)},
               json);
  }
  return out;
}

std::string Sensors(bool json) {
  std::string out;
  for (std::size_t i = 0; i < SensorTypeTable().size(); ++i) {
    const SensorTypeEntry& sensor = SensorTypeTable()[i];
    out += Row(
        {Number("index", static_cast<long long>(i)), Text("name", std::string(sensor.shortName)),
         Text("text", Tr(std::string(sensor.name))),
         Text("lower", std::string(sensor.lowerLimitText)),
         Text("upper", std::string(sensor.upperLimitText))},
        json);
  }
  return out;
}

std::string Ports(bool json) {
  std::string out;
  for (const SerialPortInfo& port : SerialPort::availablePortInfos()) {
    const auto id = [](std::optional<quint16> value) {
      return value ? std::optional<unsigned>(*value) : std::nullopt;
    };
    out += Row({Text("name", port.portName.toStdString()),
                Text("description", port.description.toStdString()),
                Text("manufacturer", port.manufacturer.toStdString()),
                Text("serialNumber", port.serialNumber.toStdString()),
                Id("vendorId", id(port.vendorId)), Id("productId", id(port.productId))},
               json);
  }
  return out;
}

// The models confirmed for the family's own commands (the family's own is
// always known and not listed).
std::string Models(bool json) {
  std::string out;
  for (const InstrumentModel& model : LoadKnownModels()) {
    out += Row({Text("model", ModelWord(model)), Number("manufacturerCode", model.manufacturer),
                Number("deviceType", model.deviceType)},
               json);
  }
  return out;
}

}  // namespace

bool IsListName(const std::string& what) {
  return what == "units" || what == "units --all" || what == "gains" || what == "sensors" ||
         what == "ports" || what == "models";
}

std::string FormatList(const std::string& what, bool json) {
  if (what == "units") return Units(json);
  if (what == "units --all") return AllUnits(json);
  if (what == "gains") return Gains(json);
  if (what == "sensors") return Sensors(json);
  if (what == "models") return Models(json);
  return Ports(json);
}

}  // namespace vantrel
