#include "engine/CodeTables.h"

#include "link/Translate.h"

namespace vantrel {

namespace {

// "°C" and "°F" in the list are a degree sign and a letter; the display uses
// the single characters ℃ (U+2103) and ℉ (U+2109).
constexpr std::array<UnitEntry, kUnitCount> kUnits = {{
    {32, "°C", "℃", "degC"},
    {33, "°F", "℉", "degF"},
    {34, "°R", "°R", "degR"},
    {35, "K", "K", "K"},
    {11, "Pa", "Pa", "Pa"},
    {12, "kPa", "kPa", "kPa"},
    {237, "MPa", "MPa", "MPa"},
    {45, "m", "m", "m"},
    {48, "cm", "cm", "cm"},
    {49, "mm", "mm", "mm"},
}};

constexpr std::array<SensorTypeEntry, kSensorTypeCount> kSensorTypes = {{
    {VANTREL_TR_NOOP("core", "K型热电偶"), "-200 ℃", "1300 ℃", "K"},
    {VANTREL_TR_NOOP("core", "E型热电偶"), "-270 ℃", "1000 ℃", "E"},
    {VANTREL_TR_NOOP("core", "S型热电偶"), "0 ℃", "1600 ℃", "S"},
    {VANTREL_TR_NOOP("core", "B型热电偶"), "600 ℃", "1800 ℃", "B"},
    {VANTREL_TR_NOOP("core", "J型热电偶"), "-210 ℃", "1200 ℃", "J"},
    {VANTREL_TR_NOOP("core", "T型热电偶"), "-270 ℃", "400 ℃", "T"},
    {VANTREL_TR_NOOP("core", "R型热电偶"), "0 ℃", "1600 ℃", "R"},
    {VANTREL_TR_NOOP("core", "N型热电偶"), "-270 ℃", "1300 ℃", "N"},
    {VANTREL_TR_NOOP("core", "Pt100型热电阻"), "-200 ℃", "850 ℃", "Pt100"},
    {VANTREL_TR_NOOP("core", "Cu100型热电阻"), "-50 ℃", "150 ℃", "Cu100"},
    {VANTREL_TR_NOOP("core", "Cu50型热电阻"), "-50 ℃", "150 ℃", "Cu50"},
    {VANTREL_TR_NOOP("core", "Pt1000型热电阻"), "-200 ℃", "850 ℃", "Pt1000"},
}};

constexpr std::array<std::string_view, kGainCount> kGains = {"1", "2", "4", "8", "16", "32", "64"};

constexpr std::array<CurrentPointEntry, kCurrentPointCount> kCurrentPoints = {{
    {"4mA", 4.0f},
    {"20mA", 20.0f},
}};

template <typename Table>
bool InTable(const Table& table, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < table.size();
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const std::array<UnitEntry, kUnitCount>& UnitTable() {
  return kUnits;
}

std::optional<std::uint8_t> UnitCodeForIndex(int index) {
  if (!InTable(kUnits, index)) return std::nullopt;
  return kUnits[static_cast<std::size_t>(index)].code;
}

std::optional<int> UnitIndexForCode(std::uint8_t code) {
  for (std::size_t i = 0; i < kUnits.size(); ++i) {
    if (kUnits[i].code == code) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string UnitDisplayText(std::uint8_t code) {
  const auto index = UnitIndexForCode(code);
  if (!index) return {};
  return std::string(kUnits[static_cast<std::size_t>(*index)].displayText);
}

std::optional<int> UnitIndexForName(std::string_view name) {
  for (std::size_t i = 0; i < kUnits.size(); ++i) {
    const UnitEntry& unit = kUnits[i];
    if (SameName(name, unit.name) || SameName(name, unit.listText) ||
        SameName(name, unit.displayText)) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

bool SecondaryVariableHasUnit(std::uint8_t code) {
  return code >= 32 && code <= 35;
}

std::string SecondaryUnitDisplayText(std::uint8_t code) {
  return SecondaryVariableHasUnit(code) ? UnitDisplayText(code) : std::string();
}

const std::array<SensorTypeEntry, kSensorTypeCount>& SensorTypeTable() {
  return kSensorTypes;
}

const SensorTypeEntry* SensorTypeAt(int index) {
  if (!InTable(kSensorTypes, index)) return nullptr;
  return &kSensorTypes[static_cast<std::size_t>(index)];
}

std::optional<int> SensorTypeIndexForName(std::string_view name) {
  for (std::size_t i = 0; i < kSensorTypes.size(); ++i) {
    if (SameName(name, kSensorTypes[i].shortName) || name == kSensorTypes[i].name) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

const std::array<std::string_view, kGainCount>& GainTable() {
  return kGains;
}

std::string GainName(int index) {
  if (!InTable(kGains, index)) return {};
  return "x" + std::string(kGains[static_cast<std::size_t>(index)]);
}

std::string UnitName(int index) {
  return InTable(kUnits, index) ? std::string(kUnits[static_cast<std::size_t>(index)].name)
                                : std::string();
}

std::string SensorTypeName(int index) {
  return InTable(kSensorTypes, index)
             ? std::string(kSensorTypes[static_cast<std::size_t>(index)].shortName)
             : std::string();
}

std::optional<int> GainIndexForName(std::string_view name) {
  for (std::size_t i = 0; i < kGains.size(); ++i) {
    if (SameName(name, GainName(static_cast<int>(i)))) return static_cast<int>(i);
  }
  return std::nullopt;
}

const std::array<CurrentPointEntry, kCurrentPointCount>& CurrentPointTable() {
  return kCurrentPoints;
}

std::optional<float> CurrentPointValue(int index) {
  if (!InTable(kCurrentPoints, index)) return std::nullopt;
  return kCurrentPoints[static_cast<std::size_t>(index)].milliamps;
}

std::optional<int> CurrentPointIndex(float milliamps) {
  for (std::size_t i = 0; i < kCurrentPoints.size(); ++i) {
    if (kCurrentPoints[i].milliamps == milliamps) return static_cast<int>(i);
  }
  return std::nullopt;
}

}  // namespace vantrel
