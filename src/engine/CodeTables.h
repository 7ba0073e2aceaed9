// The code tables behind the configuration and current tabs' combo boxes:
// units, sensor types, gain steps and current points. A table's index is the
// position of its entry in the combo box, filled in table order; texts are
// UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// ---------------------------------------------------------------------------
// Units (combo 单位). The list text is the combo box entry; the display text
// is what follows a process value.

struct UnitEntry {
  std::uint8_t code;  // HART units code
  std::string_view listText;
  std::string_view displayText;
  std::string_view name;  // in plain ASCII, for the command line ("degC")
};

constexpr std::size_t kUnitCount = 10;
const std::array<UnitEntry, kUnitCount>& UnitTable();

// The units code that the pressure calibrations always send: kPa.
constexpr std::uint8_t kPressureCalibrationUnitCode = 12;

// Units code of the combo index; nullopt outside 0..kUnitCount-1 (including
// -1, no selection).
std::optional<std::uint8_t> UnitCodeForIndex(int index);

// Combo index of a units code; nullopt for a code the table does not hold.
std::optional<int> UnitIndexForCode(std::uint8_t code);

// Display text of a units code; empty for a code the table does not hold.
std::string UnitDisplayText(std::uint8_t code);

// Equal but for the case of ASCII letters; other bytes (UTF-8 text) must
// match exactly. How the tables' names are looked up.
bool SameName(std::string_view a, std::string_view b);

// Combo index of a unit named by its ASCII name, list text or display text
// ("degC", "°C", "℃"), ASCII letters in any case; nullopt for other names.
std::optional<int> UnitIndexForName(std::string_view name);

// The secondary variable carries a unit only for the temperature codes 32-35.
bool SecondaryVariableHasUnit(std::uint8_t code);

// Display text after the secondary variable: the unit's display text for
// codes 32-35, otherwise empty.
std::string SecondaryUnitDisplayText(std::uint8_t code);

// ---------------------------------------------------------------------------
// Sensor types (combo 类型). The index is also the byte that the sensor
// configuration commands exchange. The limit texts fill the sensor limit
// edits.

struct SensorTypeEntry {
  std::string_view name;  // the list text, "K型热电偶"
  std::string_view lowerLimitText;
  std::string_view upperLimitText;
  std::string_view shortName;  // in plain ASCII, "K", "Pt100"
};

constexpr std::size_t kSensorTypeCount = 12;
const std::array<SensorTypeEntry, kSensorTypeCount>& SensorTypeTable();

// The entry of a combo index; nullptr when nothing (or nothing valid) is
// selected, in which case the limit texts are left as they are.
const SensorTypeEntry* SensorTypeAt(int index);

// Index of a sensor type named by its short name (ASCII letters in any case)
// or its list text; nullopt for other names.
std::optional<int> SensorTypeIndexForName(std::string_view name);

// ---------------------------------------------------------------------------
// Gain steps (combo 放大倍数): the index is the byte that the gain commands
// exchange, the factor is 2 to the power of the index.

constexpr std::size_t kGainCount = 7;
const std::array<std::string_view, kGainCount>& GainTable();

// The factor of a gain step with an x in front: "x1" ... "x64".
std::string GainName(int index);

// The plain ASCII names of a unit ("kPa", "degC") and a sensor type ("Pt100");
// empty for an index outside the table.
std::string UnitName(int index);
std::string SensorTypeName(int index);
// Index of a gain named "x1" ... "x64" (the x in any case); nullopt for
// other names.
std::optional<int> GainIndexForName(std::string_view name);

// ---------------------------------------------------------------------------
// Current points (combo 输出理论值): the two output points that can be
// forced and trimmed.

struct CurrentPointEntry {
  std::string_view text;
  float milliamps;
};

constexpr std::size_t kCurrentPointCount = 2;
const std::array<CurrentPointEntry, kCurrentPointCount>& CurrentPointTable();

// Current in mA of a combo index; nullopt outside 0..1.
std::optional<float> CurrentPointValue(int index);

// Index of a current that is exactly one of the points (4.0 or 20.0 mA);
// nullopt for any other value, which cannot be trimmed.
std::optional<int> CurrentPointIndex(float milliamps);

}  // namespace vantrel
