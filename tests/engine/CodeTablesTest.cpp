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

TEST(UnitTable, RowsAndLookups) {
  const struct {
    std::uint8_t code;
    const char* listText;
    const char* displayText;
  } rows[] = {{32, DEGREE "C", CELSIUS},
              {33, DEGREE "F", FAHRENHEIT},
              {34, DEGREE "R", DEGREE "R"},
              {35, "K", "K"},
              {11, "Pa", "Pa"},
              {12, "kPa", "kPa"},
              {237, "MPa", "MPa"},
              {45, "m", "m"},
              {48, "cm", "cm"},
              {49, "mm", "mm"}};
  ASSERT_EQ(UnitTable().size(), std::size(rows));
  for (int index = 0; index < static_cast<int>(std::size(rows)); ++index) {
    const auto& row = rows[index];
    SCOPED_TRACE(index);
    EXPECT_EQ(UnitTable()[static_cast<std::size_t>(index)].code, row.code);
    EXPECT_EQ(UnitTable()[static_cast<std::size_t>(index)].listText, row.listText);
    EXPECT_EQ(UnitCodeForIndex(index), row.code);
    EXPECT_EQ(UnitIndexForCode(row.code), index);
    EXPECT_EQ(UnitDisplayText(row.code), row.displayText);
  }
  EXPECT_EQ(UnitCodeForIndex(-1), std::nullopt);  // no selection
  EXPECT_EQ(UnitCodeForIndex(10), std::nullopt);
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

TEST(SensorTypeTable, RowsInComboOrder) {
  const struct {
    const char* name;
    const char* lower;
    const char* upper;
  } rows[] = {{"K" THERMOCOUPLE, "-200 " CELSIUS, "1300 " CELSIUS},
              {"E" THERMOCOUPLE, "-270 " CELSIUS, "1000 " CELSIUS},
              {"S" THERMOCOUPLE, "0 " CELSIUS, "1600 " CELSIUS},
              {"B" THERMOCOUPLE, "600 " CELSIUS, "1800 " CELSIUS},
              {"J" THERMOCOUPLE, "-210 " CELSIUS, "1200 " CELSIUS},
              {"T" THERMOCOUPLE, "-270 " CELSIUS, "400 " CELSIUS},
              {"R" THERMOCOUPLE, "0 " CELSIUS, "1600 " CELSIUS},
              {"N" THERMOCOUPLE, "-270 " CELSIUS, "1300 " CELSIUS},
              {"Pt100" RTD, "-200 " CELSIUS, "850 " CELSIUS},
              {"Cu100" RTD, "-50 " CELSIUS, "150 " CELSIUS},
              {"Cu50" RTD, "-50 " CELSIUS, "150 " CELSIUS},
              {"Pt1000" RTD, "-200 " CELSIUS, "850 " CELSIUS}};
  ASSERT_EQ(SensorTypeTable().size(), std::size(rows));
  for (int index = 0; index < static_cast<int>(std::size(rows)); ++index) {
    SCOPED_TRACE(index);
    const SensorTypeEntry* entry = SensorTypeAt(index);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, rows[index].name);
    EXPECT_EQ(entry->lowerLimitText, rows[index].lower);
    EXPECT_EQ(entry->upperLimitText, rows[index].upper);
  }
  for (int index : {-1, 12, 255}) EXPECT_EQ(SensorTypeAt(index), nullptr) << index;
}

TEST(GainTable, TextsArePowersOfTwo) {
  ASSERT_EQ(GainTable().size(), 7u);
  const char* texts[] = {"1", "2", "4", "8", "16", "32", "64"};
  for (std::size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(GainTable()[i], texts[i]);
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
