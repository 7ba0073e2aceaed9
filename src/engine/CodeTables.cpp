#include "engine/CodeTables.h"

namespace vantrel {

namespace {

// "°C" and "°F" in the list are a degree sign and a letter; the display uses
// the single characters ℃ (U+2103) and ℉ (U+2109).
constexpr std::array<UnitEntry, kUnitCount> kUnits = {{
    {32, "°C", "℃"},
    {33, "°F", "℉"},
    {34, "°R", "°R"},
    {35, "K", "K"},
    {11, "Pa", "Pa"},
    {12, "kPa", "kPa"},
    {237, "MPa", "MPa"},
    {45, "m", "m"},
    {48, "cm", "cm"},
    {49, "mm", "mm"},
}};

constexpr std::array<SensorTypeEntry, kSensorTypeCount> kSensorTypes = {{
    {"K型热电偶", "-200 ℃", "1300 ℃"},
    {"E型热电偶", "-270 ℃", "1000 ℃"},
    {"S型热电偶", "0 ℃", "1600 ℃"},
    {"B型热电偶", "600 ℃", "1800 ℃"},
    {"J型热电偶", "-210 ℃", "1200 ℃"},
    {"T型热电偶", "-270 ℃", "400 ℃"},
    {"R型热电偶", "0 ℃", "1600 ℃"},
    {"N型热电偶", "-270 ℃", "1300 ℃"},
    {"Pt100型热电阻", "-200 ℃", "850 ℃"},
    {"Cu100型热电阻", "-50 ℃", "150 ℃"},
    {"Cu50型热电阻", "-50 ℃", "150 ℃"},
    {"Pt1000型热电阻", "-200 ℃", "850 ℃"},
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

const std::array<std::string_view, kGainCount>& GainTable() {
  return kGains;
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
