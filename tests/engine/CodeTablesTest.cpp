#include "engine/CodeTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>

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

}  // namespace
}  // namespace vantrel
