#include "engine/CodeTables.h"
#include "engine/UnitCodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Expected texts are spelled as UTF-8 byte escapes, so that the check does not
// depend on how either source file was saved.
#define DEGREE "\xC2\xB0"
#define CELSIUS "\xE2\x84\x83"     // U+2103, one character
#define FAHRENHEIT "\xE2\x84\x89"  // U+2109, one character
#define THERMOCOUPLE "\xE5\x9E\x8B\xE7\x83\xAD\xE7\x94\xB5\xE5\x81\xB6"
#define RTD "\xE5\x9E\x8B\xE7\x83\xAD\xE7\x94\xB5\xE9\x98\xBB"

// A few entries as the HART units codes and the page spell them.
TEST(UnitTable, SpotValues) {
  const struct {
    int index;
    std::uint8_t code;
    const char* listText;
    const char* displayText;
  } spots[] = {{0, 32, DEGREE "C", CELSIUS},
               {1, 33, DEGREE "F", FAHRENHEIT},
               {5, 12, "kPa", "kPa"},
               {6, 237, "MPa", "MPa"},
               {9, 49, "mm", "mm"}};
  for (const auto& spot : spots) {
    SCOPED_TRACE(spot.index);
    EXPECT_EQ(UnitCodeForIndex(spot.index), spot.code);
    EXPECT_EQ(UnitTable()[static_cast<std::size_t>(spot.index)].listText, spot.listText);
    EXPECT_EQ(UnitDisplayText(spot.code), spot.displayText);
  }
}

// Every entry: index to code and back, and a text to show after a value.
TEST(UnitTable, RoundTrips) {
  ASSERT_EQ(UnitTable().size(), kUnitCount);
  for (int index = 0; index < static_cast<int>(kUnitCount); ++index) {
    SCOPED_TRACE(index);
    const std::optional<std::uint8_t> code = UnitCodeForIndex(index);
    ASSERT_TRUE(code);
    EXPECT_EQ(UnitIndexForCode(*code), index);
    EXPECT_FALSE(UnitDisplayText(*code).empty());
  }
  EXPECT_EQ(UnitCodeForIndex(-1), std::nullopt);  // no selection
  EXPECT_EQ(UnitCodeForIndex(static_cast<int>(kUnitCount)), std::nullopt);
}

TEST(UnitTable, UnknownCodesHaveNoIndexAndNoText) {
  for (int code : {7, 0, 13, 31, 36, 44, 236, 255}) {
    const auto byte = static_cast<std::uint8_t>(code);
    EXPECT_EQ(UnitIndexForCode(byte), std::nullopt) << code;
    EXPECT_EQ(UnitDisplayText(byte), "") << code;
  }
}

TEST(UnitTable, SecondaryVariableGetsAUnitOnlyForTemperatures) {
  const struct {
    int code;
    const char* text;  // empty: no unit
  } cases[] = {{32, CELSIUS}, {33, FAHRENHEIT}, {34, DEGREE "R"}, {35, "K"}, {31, ""},
               {36, ""},      {11, ""},         {12, ""},         {237, ""}, {7, ""}};
  for (const auto& c : cases) {
    const auto code = static_cast<std::uint8_t>(c.code);
    EXPECT_EQ(SecondaryVariableHasUnit(code), *c.text != '\0') << c.code;
    EXPECT_EQ(SecondaryUnitDisplayText(code), c.text) << c.code;
  }
  EXPECT_EQ(UnitDisplayText(kPressureCalibrationUnitCode), "kPa");
}

// The first and last thermocouple and resistance thermometer; the index is
// the byte the sensor commands exchange.
TEST(SensorTypeTable, SpotValues) {
  const struct {
    int index;
    const char* name;
    const char* lower;
    const char* upper;
  } spots[] = {{0, "K" THERMOCOUPLE, "-200 " CELSIUS, "1300 " CELSIUS},
               {7, "N" THERMOCOUPLE, "-270 " CELSIUS, "1300 " CELSIUS},
               {8, "Pt100" RTD, "-200 " CELSIUS, "850 " CELSIUS},
               {11, "Pt1000" RTD, "-200 " CELSIUS, "850 " CELSIUS}};
  ASSERT_EQ(SensorTypeTable().size(), 12u);
  for (const auto& spot : spots) {
    SCOPED_TRACE(spot.index);
    const SensorTypeEntry* entry = SensorTypeAt(spot.index);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, spot.name);
    EXPECT_EQ(entry->lowerLimitText, spot.lower);
    EXPECT_EQ(entry->upperLimitText, spot.upper);
  }
  for (int index : {-1, 12, 255}) EXPECT_EQ(SensorTypeAt(index), nullptr) << index;
}

// The index is the byte the gain commands exchange; the factor is 2 to its
// power.
TEST(GainTable, TextsArePowersOfTwo) {
  ASSERT_EQ(GainTable().size(), 7u);
  for (std::size_t i = 0; i < GainTable().size(); ++i) {
    EXPECT_EQ(GainTable()[i], std::to_string(1 << i)) << i;
  }
}

TEST(CurrentPoints, OnlyFourAndTwentyMilliamps) {
  ASSERT_EQ(CurrentPointTable().size(), 2u);
  EXPECT_EQ(CurrentPointTable()[0].text, "4mA");
  EXPECT_EQ(CurrentPointTable()[1].text, "20mA");
  EXPECT_EQ(CurrentPointValue(0), 4.0f);
  EXPECT_EQ(CurrentPointValue(1), 20.0f);
  EXPECT_EQ(CurrentPointValue(-1), std::nullopt);
  EXPECT_EQ(CurrentPointValue(2), std::nullopt);

  const struct {
    float milliamps;
    std::optional<int> index;
  } cases[] = {{4.0f, 0},
               {20.0f, 1},
               {12.0f, std::nullopt},
               {std::nextafter(4.0f, 5.0f), std::nullopt},
               {std::nextafter(20.0f, 0.0f), std::nullopt},
               {NAN, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(CurrentPointIndex(c.milliamps), c.index) << c.milliamps;
}

// ---------------------------------------------------------------------------
// The whole table of HART units codes.

#define CODE_TEXT "\xE4\xBB\xA3\xE7\xA0\x81 "  // "代码 ", before the code
#define CUBED "\xC2\xB3"
#define OMEGA "\xCE\xA9"

// Codes of every kind, as the common tables of the protocol define them.
TEST(UnitCodes, SpotValues) {
  const struct {
    int code;
    UnitKind kind;
    const char* text;
    const char* name;
  } spots[] = {
      {1, UnitKind::Pressure, "inH2O", "inH2O"},
      {6, UnitKind::Pressure, "psi", "psi"},
      {145, UnitKind::Pressure, "inH2O@60" DEGREE "F", "inH2O@60F"},
      {238, UnitKind::Pressure, "inH2O@4" DEGREE "C", "inH2O@4C"},
      {33, UnitKind::Temperature, FAHRENHEIT, "degF"},
      {19, UnitKind::VolumetricFlow, "m" CUBED "/h", "m3/h"},
      {121, UnitKind::VolumetricFlow, "Nm" CUBED "/h", "Nm3/h"},
      {235, UnitKind::VolumetricFlow, "gal/d", "gal/d"},
      {20, UnitKind::Velocity, "ft/s", "ft/s"},
      {43, UnitKind::Volume, "m" CUBED, "m3"},
      {44, UnitKind::Length, "ft", "ft"},
      {62, UnitKind::Mass, "t", "t"},
      {75, UnitKind::MassFlow, "kg/h", "kg/h"},
      {92, UnitKind::MassPerVolume, "kg/m" CUBED, "kg/m3"},
      {39, UnitKind::Current, "mA", "mA"},
      {58, UnitKind::Voltage, "V", "V"},
      {37, UnitKind::Resistance, OMEGA, "ohm"},
      {163, UnitKind::Resistance, "k" OMEGA, "kohm"},
      {57, UnitKind::Percent, "%", "percent"},
      {52, UnitKind::Time, "h", "h"},
      {38, UnitKind::Frequency, "Hz", "Hz"},
      {119, UnitKind::Other, "rpm", "rpm"},
      {250, UnitKind::Special, "not used", "not-used"},
      {253, UnitKind::Special, "special", "special"},
  };
  for (const auto& spot : spots) {
    SCOPED_TRACE(spot.code);
    const HartUnit* unit = FindHartUnit(static_cast<std::uint8_t>(spot.code));
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->kind, spot.kind);
    EXPECT_EQ(unit->text, spot.text);
    EXPECT_EQ(unit->name, spot.name);
    EXPECT_EQ(UnitTextOfCode(unit->code), spot.text);
  }
}

// Every row is found by its code, by its name in either case and by its
// text: no two rows share a name or a text, and every name is plain ASCII.
TEST(UnitCodes, EveryRowRoundTrips) {
  // 1-169 but 157-159, 235-239 and 250-253.
  ASSERT_EQ(HartUnitTable().size(), 175u);
  for (const HartUnit& unit : HartUnitTable()) {
    SCOPED_TRACE(unit.code);
    EXPECT_EQ(FindHartUnit(unit.code), &unit);
    EXPECT_EQ(UnitCodeForName(unit.name), unit.code);
    EXPECT_EQ(UnitCodeForName(unit.text), unit.code);
    std::string upper(unit.name);
    for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    EXPECT_EQ(UnitCodeForName(upper), unit.code);
    for (char c : unit.name) EXPECT_TRUE(c > ' ' && c < 0x7F) << unit.name;
  }
}

// The family's ten keep the names and texts of its own list.
TEST(UnitCodes, FamilyUnitsKeepTheirTexts) {
  for (const UnitEntry& entry : UnitTable()) {
    SCOPED_TRACE(entry.code);
    const HartUnit* unit = FindHartUnit(entry.code);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->name, entry.name);
    EXPECT_EQ(unit->text, entry.displayText);
    EXPECT_EQ(UnitTextOfCode(entry.code), entry.displayText);
    EXPECT_EQ(UnitCodeForName(entry.listText), entry.code);
  }
}

// The classification-dependent range, the makers' own codes and the gaps:
// no row, and the code itself as the text.
TEST(UnitCodes, CodesOutsideTheTable) {
  for (int code : {0, 157, 159, 170, 219, 234, 240, 249, 254, 255}) {
    const auto byte = static_cast<std::uint8_t>(code);
    EXPECT_EQ(FindHartUnit(byte), nullptr) << code;
    EXPECT_EQ(UnitTextOfCode(byte), CODE_TEXT + std::to_string(code)) << code;
  }
}

TEST(UnitCodes, NamesInAnyCase) {
  const struct {
    const char* name;
    std::optional<std::uint8_t> code;
  } cases[] = {
      {"KG/H", 75},      {"degc", 32},           {DEGREE "C", 32},   {CELSIUS, 32},
      {"Ohm", 37},       {"L/MIN", 17},          {"INH2O@4C", 238},  {"MMH2O", 4},
      {"Not-Used", 250}, {"psig", std::nullopt}, {"", std::nullopt}, {"kg/h ", std::nullopt},
      {"kg", 61}};
  for (const auto& c : cases) EXPECT_EQ(UnitCodeForName(c.name), c.code) << c.name;
}

// The codes of a kind, complete, in code order.
TEST(UnitCodes, KindsGroupTheCodes) {
  const struct {
    UnitKind kind;
    const char* name;
    std::vector<std::uint8_t> codes;
  } kinds[] = {
      {UnitKind::Pressure,
       "pressure",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 145, 237, 238, 239}},
      {UnitKind::Temperature, "temperature", {32, 33, 34, 35}},
      {UnitKind::Velocity, "velocity", {20, 21, 114, 115, 116, 120}},
      {UnitKind::Length, "length", {44, 45, 47, 48, 49, 151}},
      {UnitKind::Mass, "mass", {60, 61, 62, 63, 64, 65, 125}},
      {UnitKind::Current, "current", {39}},
      {UnitKind::Voltage, "voltage", {36, 58}},
      {UnitKind::Resistance, "resistance", {37, 163}},
      {UnitKind::Percent, "percent", {57}},
      {UnitKind::Time, "time", {50, 51, 52, 53}},
      {UnitKind::Frequency, "frequency", {38}},
      {UnitKind::Special, "special", {250, 251, 252, 253}},
  };
  for (const auto& k : kinds) {
    EXPECT_EQ(UnitKindName(k.kind), k.name);
    EXPECT_EQ(UnitCodesOfKind(k.kind), k.codes) << k.name;
  }
  const std::vector<std::uint8_t> massFlow = UnitCodesOfKind(UnitKind::MassFlow);
  ASSERT_EQ(massFlow.size(), 19u);
  EXPECT_EQ(massFlow.front(), 70);
  EXPECT_EQ(massFlow.back(), 88);
  EXPECT_EQ(UnitKindName(UnitKind::MassPerVolume), "density");
  EXPECT_EQ(UnitKindName(UnitKind::VolumetricFlow), "volumetric flow");
}

// Every pressure unit, and nothing else, converts to kPa, as the calibration
// points are sent.
TEST(UnitCodes, PressureUnitsConvertToKilopascals) {
  for (const HartUnit& unit : HartUnitTable()) {
    EXPECT_EQ(KilopascalsPerUnit(unit.code).has_value(), unit.kind == UnitKind::Pressure)
        << int(unit.code);
  }
  const std::pair<std::uint8_t, double> spots[] = {{12, 1.0},     {237, 1000.0}, {7, 100.0},
                                                   {6, 6.894757}, {14, 101.325}, {239, 0.00980665}};
  for (const auto& [code, kilopascals] : spots) {
    EXPECT_DOUBLE_EQ(KilopascalsPerUnit(code).value_or(0.0), kilopascals) << int(code);
  }
}

}  // namespace
}  // namespace vantrel
