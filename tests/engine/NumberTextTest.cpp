#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace vantrel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Long address text ----------------------------------------------------------

TEST(LongAddress, TextRoundTrip) {
  const struct {
    LongAddressBytes bytes;
    const char* text;
  } cases[] = {{{0x5A, 0x10, 0x01, 0x02, 0x03}, "0x5a 0x10 0x01 0x02 0x03"},
               {{0x00, 0x00, 0x00, 0x00, 0x00}, "0x00 0x00 0x00 0x00 0x00"},
               {{0xFF, 0xAB, 0xCD, 0xEF, 0x7F}, "0xff 0xab 0xcd 0xef 0x7f"}};
  for (const auto& c : cases) {
    const std::string text = FormatLongAddressText(c.bytes);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(text.size(), 24u);
    EXPECT_EQ(ParseLongAddressText(text), c.bytes) << text;
  }
}

TEST(LongAddress, ParseAcceptsLooseButWholeFields) {
  const LongAddressBytes address = {0x5A, 0x10, 0x01, 0x02, 0x03};
  for (const char* text :
       {"0x5A 0x10 0x01 0x02 0x03", "0x5a 0x10 0x1 0x2 0x3", " \t0x5a 0x10 0x01 0x02 0x03 \r\n"}) {
    EXPECT_EQ(ParseLongAddressText(text), address) << text;
  }
}

TEST(LongAddress, ParseRefusesMalformedText) {
  const char* texts[] = {"",
                         "   ",
                         "0x5a 0x10 0x01 0x02",            // four fields
                         "0x5a 0x10 0x01 0x02 ",           // four fields and a space
                         "0x5a 0x10 0x01 0x02 0x03 0x04",  // six fields
                         "0x5a 0x10 0x001 0x02 0x03",      // three digits
                         "0x5a 0x10 0x01 0x02 0x123",
                         "0x5a 0x 0x01 0x02 0x03",  // no digits
                         "5a 10 01 02 03",
                         "0X5a 0x10 0x01 0x02 0x03",
                         "0x5g 0x10 0x01 0x02 0x03",
                         "0x5a  0x10 0x01 0x02 0x03",  // double space
                         "0x5a\t0x10 0x01 0x02 0x03",
                         "0x5a,0x10,0x01,0x02,0x03",
                         "0x5a0x100x010x020x03",
                         "0x5a 0x10 0x01 0x02 0x03h",
                         "0x5a 0x10 0x-1 0x02 0x03"};
  for (const char* text : texts) EXPECT_EQ(ParseLongAddressText(text), std::nullopt) << text;
}

// Number texts ---------------------------------------------------------------

TEST(FormatFixed, MatchesPrintfRules) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {{25.5, 4, "25.5000"},
               {-10.0, 1, "-10.0"},
               {12.3, 1, "12.3"},
               {-0.0, 1, "-0.0"},
               {-0.04, 1, "-0.0"},  // rounds to a signed zero
               // Rounding follows the exact binary value: 0.05 lies just above, 0.35
               // and 2.675 just below; 0.25 and 2.5 are exact ties, to even.
               {0.05, 1, "0.1"},
               {0.35, 1, "0.3"},
               {2.675, 2, "2.67"},
               {0.25, 1, "0.2"},
               {2.5, 0, "2"},
               {3.5, 0, "4"},
               {static_cast<double>(0.1f), 4, "0.1000"},
               {1e20, 1, "100000000000000000000.0"},
               {1.0, -1, "1.000000"},  // negative precision means the default 6
               {kInf, 1, "inf"},
               {-kInf, 2, "-inf"},
               {std::nan(""), 4, "nan"}};
  for (const auto& c : cases) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value;
}

// Range and damping texts: what a read shows and a write sends back is the
// same float ("0.25", not "0.2"), with one decimal at least.
TEST(FormatExactFloat, ReadsBackAsTheSameFloat) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {100.0f, "100.0"},
      {0.0f, "0.0"},
      {0.25f, "0.25"},
      {1.5f, "1.5"},
      {0.1f, "0.1"},
      {-0.5f, "-0.5"},
      {49888.7227f, "49888.723"},
      {100000.0f, "100000.0"},
      {1e-5f, "1e-05"},
      {3e9f, "3e+09"},
  };
  for (const auto& c : cases) {
    const std::string text = FormatExactFloat(c.value);
    EXPECT_EQ(text, c.text) << c.text;
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), c.value) << text;
  }
}

TEST(FormatFixed, AgreesWithPrintfOnAGrid) {
  // The test process runs in the "C" locale, where snprintf is a fair referee.
  char expected[1200];
  for (int i = -20000; i <= 20000; i += 7) {
    const double value = i / 64.0 + i * 1e-7;
    for (int decimals : {0, 1, 2, 4}) {
      std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
      ASSERT_EQ(FormatFixed(value, decimals), expected) << value;
    }
  }
  // Extremes: the largest double, and 2^-1074 with all of its 1074 decimals
  // and beyond.
  std::snprintf(expected, sizeof expected, "%.1f", std::numeric_limits<double>::max());
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 1), expected);
  for (int decimals : {1074, 1100}) {
    std::snprintf(expected, sizeof expected, "%.*f", decimals,
                  std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::denorm_min(), decimals), expected);
  }
}

TEST(TextToDouble, ReadsTheLeadingNumberLikeStrtod) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"25.5", 25.5},
               {"-1.25", -1.25},
               {"+3", 3},
               {" \t\n7.5", 7.5},
               {"12abc", 12},
               {"12\xE2\x84\x83", 12},
               {"1,5", 1},
               {"abc", 0},
               {"", 0},
               {"-", 0},
               {"--5", 0},
               {"- 5", 0},
               {".", 0},
               {".5", 0.5},
               {"-0", -0.0},
               {"1.5E-2", 0.015},
               {"1e", 1},
               {"2e3.5", 2000},
               {"0x10", 16},
               {"-0X1p3", -8},
               {"0x1.8", 1.5},
               {"0x", 0},
               {"inf", kInf},
               {"-Infinity", -kInf},
               {"nan", std::nan("")},
               {"1e999", kInf},
               {"1e-999", 0},
               {"-1e-999", -0.0},
               {"100000000000000000000e300", kInf},
               {"1e-310", 1e-310},
               {"0x1p99999", kInf},
               {"0x1p-99999", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const double value = TextToDouble(c.text);
    const double reference = std::strtod(c.text, nullptr);
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(value));
      EXPECT_TRUE(std::isnan(reference));
      continue;
    }
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(std::signbit(value), std::signbit(c.value));
    EXPECT_EQ(value, reference);
  }
}

TEST(TextToInt, ReadsTheLeadingIntegerAndClamps) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"42", 42},
               {" -17x", -17},
               {"+8", 8},
               {"3.9", 3},
               {"abc", 0},
               {"", 0},
               {"- 5", 0},
               {"0x10", 0},
               {"1e3", 1},
               {"2147483647", INT_MAX},
               {"2147483648", INT_MAX},
               {"-2147483648", INT_MIN},
               {"-99999999999999999999", INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(TextToInt(c.text), c.value) << c.text;
}

TEST(ParseNumber, AcceptsOnlyAWholeFiniteNumber) {
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {{"25.5", 25.5},        {" -1.25 ", -1.25},    {"+0", 0.0},
               {"1E-2", 0.01},        {".5", 0.5},           {"1e-999", 0.0},
               {"", std::nullopt},    {"  ", std::nullopt},  {"12abc", std::nullopt},
               {"1e", std::nullopt},  {"-", std::nullopt},   {".", std::nullopt},
               {"1,5", std::nullopt}, {"1 2", std::nullopt}, {"0x10", std::nullopt},
               {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e999", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseInteger, AcceptsOnlyAWholeInt) {
  const struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {{"42", 42},
               {" -7 ", -7},
               {"+3", 3},
               {"-2147483648", INT_MIN},
               {"2147483648", std::nullopt},
               {"99999999999999999999", std::nullopt},
               {"3.0", std::nullopt},
               {"", std::nullopt},
               {"-", std::nullopt},
               {"7a", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace vantrel
