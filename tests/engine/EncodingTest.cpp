#include "engine/Encoding.h"
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

using Bytes = std::vector<std::uint8_t>;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Packed ASCII ---------------------------------------------------------------

TEST(PackAscii, ProducesExactBytes) {
  const Bytes spaces = {0x82, 0x08, 0x20};
  const Bytes tagABCDEFGH = {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8};
  const struct {
    const char* text;
    std::size_t length;
    Bytes expected;
  } cases[] = {{"ab", 6, {0x04, 0x28, 0x20, 0x82, 0x08, 0x20}},  // upper-cased, padded
               {"", 6, {0x82, 0x08, 0x20, 0x82, 0x08, 0x20}},
               {nullptr, 3, spaces},
               {"ABCDEFGH", 6, tagABCDEFGH},
               {"abcdEFGHij", 6, tagABCDEFGH},  // 10 characters: only 8 fit
               {"{", 3, {0xEE, 0x08, 0x20}},    // 0x7B keeps its low six bits: 0x3B
               {"@@@@", 3, {0x00, 0x00, 0x00}},
               {"????", 3, {0xFF, 0xFF, 0xFF}},
               {"`", 3, spaces},                 // 0x60 is no letter: low bits are a space
               {"\xE9", 3, {0xA6, 0x08, 0x20}},  // nor is 0xE9: code 0x29
               {"PT-100", 6, {0x41, 0x4B, 0x71, 0xC3, 0x08, 0x20}},
               {"ABCDEFGHIJKLMNOPQ",
                12,  // 16 of 17 characters fit the descriptor
                {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8, 0x24, 0xA2, 0xCC, 0x34, 0xE3, 0xD0}},
               {"ABC", 0, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    Bytes buffer(c.length + 2, 0xA5);  // guard bytes catch writes outside the field
    PackAscii(c.text, buffer.data() + 1, c.length);
    EXPECT_EQ(buffer.front(), 0xA5);
    EXPECT_EQ(buffer.back(), 0xA5);
    EXPECT_EQ(Bytes(buffer.begin() + 1, buffer.end() - 1), c.expected);
  }
}

TEST(PackAscii, MessageFieldTakes32Characters) {
  std::uint8_t packed[kMessageBytes];
  PackAscii((std::string(32, 'Z') + "A").c_str(), packed, sizeof packed);
  EXPECT_EQ(UnpackAsciiText(packed, sizeof packed), std::string(32, 'Z'));
}

TEST(UnpackAscii, ReadsTextAndCutsTrailingSpaces) {
  const struct {
    Bytes packed;
    const char* text;
  } cases[] = {{{0x04, 0x28, 0x20, 0x82, 0x08, 0x20}, "AB"},
               {{0x00, 0x00, 0x00}, "@@@@"},
               {{0xFF, 0xFF, 0xFF}, "????"},
               {{0x7C, 0x20, 0x00}, "_B@@"},  // codes 0x1F, 0x02, 0, 0
               {{0xEE, 0x08, 0x20, 0x82, 0x08, 0x20}, ";"},
               {{0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20}, " "},
               {{0x82, 0x00, 0x42, 0x82, 0x08, 0x20}, "  AB"},  // leading spaces stay
               {{0x06, 0x00, 0xA0, 0x82, 0x08, 0x20}, "A B"},   // inner spaces stay
               {{0x04, 0x28, 0x20, 0x04, 0x28}, "AB"},          // a partial group is ignored
               {{}, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(UnpackAsciiText(c.packed.data(), c.packed.size()), c.text);
    // In the raw buffer every cut space is a string end; nothing is written
    // past the terminator slot.
    const std::size_t chars = PackedCharCount(c.packed.size());
    std::vector<char> raw(chars + 2, '#');
    UnpackAscii(c.packed.data(), c.packed.size(), raw.data());
    for (std::size_t i = std::strlen(c.text); i <= chars; ++i) EXPECT_EQ(raw[i], '\0') << i;
    EXPECT_EQ(raw[chars + 1], '#');
  }
}

TEST(PackedAscii, EveryCodeSurvivesARoundTrip) {
  for (int first = 0x20; first < 0x60; first += 8) {
    std::string text;
    for (int c = first; c < first + 8; ++c) text += static_cast<char>(c);
    std::uint8_t packed[kTagBytes];
    PackAscii(text.c_str(), packed, sizeof packed);
    EXPECT_EQ(UnpackAsciiText(packed, sizeof packed), text);
  }
}

// Packed ASCII carries 0x20-0x5F; lower-case letters go as upper case.
TEST(IsPackableText, AcceptsWhatPackedAsciiCarries) {
  for (const char* text : {"", " ", "TT-101 A", "pt-101", "@[\\]^_ !?"}) {
    EXPECT_TRUE(IsPackableText(text)) << text;
  }
  const struct {
    const char* text;
    const char* first;  // the first character that cannot be sent
  } refused[] = {{"A\tB", "\t"},   {"\x7F", "\x7F"}, {"25\xE2\x84\x83", "\xE2\x84\x83"},
                 {"\xE9", "\xE9"}, {"PT~1", "~"},    {"lower {braces}", "{"},
                 {"a`b", "`"},     {"x|y", "|"}};
  for (const auto& c : refused) {
    EXPECT_EQ(FirstUnpackableCharacter(c.text), std::optional<std::string>(c.first)) << c.text;
  }
  EXPECT_EQ(PackedUpperCase("pt-101 ~a"), "PT-101 ~A");
}

// Big-endian numbers ---------------------------------------------------------

TEST(FloatBytes, ReadAndWriteBitPatterns) {
  const struct {
    Bytes bytes;
    float value;
  } cases[] = {{{0x41, 0xCC, 0x00, 0x00}, 25.5f},
               {{0x40, 0x80, 0x00, 0x00}, 4.0f},
               {{0x41, 0xA0, 0x00, 0x00}, 20.0f},
               {{0x80, 0x00, 0x00, 0x00}, -0.0f},
               {{0xBF, 0xC0, 0x00, 0x00}, -1.5f},
               {{0x3D, 0xCC, 0xCC, 0xCD}, 0.1f},
               {{0x00, 0x00, 0x00, 0x01}, std::numeric_limits<float>::denorm_min()},
               {{0xFF, 0x80, 0x00, 0x00}, -std::numeric_limits<float>::infinity()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const float value = ReadFloatBE(c.bytes.data());
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(std::signbit(value), std::signbit(c.value));
    Bytes out(4);
    WriteFloatBE(c.value, out.data());
    EXPECT_EQ(out, c.bytes);
  }
}

TEST(FloatBytes, NanPatternsPassThroughUnchanged) {
  for (const Bytes& pattern : {Bytes{0x7F, 0xC0, 0x00, 0x00}, Bytes{0xFF, 0xC0, 0x00, 0x00},
                               Bytes{0x7F, 0x80, 0x00, 0x01}, Bytes{0x7F, 0xC1, 0x23, 0x45}}) {
    const float value = ReadFloatBE(pattern.data());
    EXPECT_TRUE(std::isnan(value));
    Bytes out(4);
    WriteFloatBE(value, out.data());
    EXPECT_EQ(out, pattern);
  }
}

TEST(IntegerBytes, SixteenBit) {
  const struct {
    Bytes bytes;
    int value;
  } cases[] = {{{0xFF, 0xF4}, -12},   {{0xFF, 0x9C}, -100},   {{0x00, 0x7B}, 123},
               {{0x7F, 0xFF}, 32767}, {{0x80, 0x00}, -32768}, {{0xFF, 0xFF}, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ReadInt16BE(c.bytes.data()), c.value);
    EXPECT_EQ(ReadUint16BE(c.bytes.data()), static_cast<std::uint16_t>(c.value));
    Bytes out(2);
    WriteInt16BE(static_cast<std::int16_t>(c.value), out.data());
    EXPECT_EQ(out, c.bytes);
    WriteUint16BE(static_cast<std::uint16_t>(c.value), out.data());
    EXPECT_EQ(out, c.bytes);
  }
}

TEST(IntegerBytes, ThirtyTwoBit) {
  const struct {
    Bytes bytes;
    std::int32_t value;
  } cases[] = {{{0x00, 0x00, 0x4E, 0x20}, 20000},     {{0x12, 0x34, 0x56, 0x78}, 0x12345678},
               {{0xFF, 0xFF, 0xB1, 0xE0}, -20000},    {{0x80, 0x00, 0x00, 0x00}, INT32_MIN},
               {{0x7F, 0xFF, 0xFF, 0xFF}, INT32_MAX}, {{0xFF, 0xFF, 0xFF, 0xFF}, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ReadInt32BE(c.bytes.data()), c.value);
    EXPECT_EQ(ReadUint32BE(c.bytes.data()), static_cast<std::uint32_t>(c.value));
    Bytes out(4);
    WriteInt32BE(c.value, out.data());
    EXPECT_EQ(out, c.bytes);
    WriteUint32BE(static_cast<std::uint32_t>(c.value), out.data());
    EXPECT_EQ(out, c.bytes);
  }
}

// Date bytes -----------------------------------------------------------------

TEST(DateBytes, Encode) {
  const struct {
    CalendarDate date;
    Bytes bytes;
  } cases[] = {{{2024, 3, 5}, {5, 3, 124}},
               {{1999, 1, 1}, {1, 1, 99}},
               {{2155, 6, 15}, {15, 6, 255}},
               {{2156, 6, 15}, {15, 6, 0}},  // 8 bits kept
               {{1899, 12, 31}, {31, 12, 255}}};
  for (const auto& c : cases) {
    const auto bytes = EncodeDateBytes(c.date);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), c.bytes) << c.date.year;
  }
}

TEST(DateBytes, DecodeReplacesAndRunsOn) {
  const struct {
    Bytes bytes;  // day, month, year - 1900
    CalendarDate date;
  } cases[] = {
      {{31, 12, 124}, {2024, 12, 31}}, {{15, 6, 99}, {2000, 6, 15}},
      {{15, 6, 0}, {2000, 6, 15}},     {{15, 6, 250}, {2150, 6, 15}},
      {{15, 6, 251}, {2000, 6, 15}},   {{15, 0, 124}, {2024, 1, 15}},
      {{15, 13, 124}, {2024, 1, 15}},  {{0, 7, 124}, {2024, 7, 1}},
      {{32, 7, 124}, {2024, 7, 1}},    {{255, 255, 255}, {2000, 1, 1}},
      {{32, 2, 124}, {2024, 2, 1}},  // day replaced before the month end counts
      {{31, 13, 124}, {2024, 1, 31}},  {{31, 2, 124}, {2024, 3, 2}},
      {{29, 2, 124}, {2024, 2, 29}},   {{29, 2, 123}, {2023, 3, 1}},
      {{31, 2, 123}, {2023, 3, 3}},    {{29, 2, 100}, {2000, 2, 29}},  // 2000 is a leap year
      {{29, 2, 200}, {2100, 3, 1}},                                    // 2100 is not
      {{31, 4, 124}, {2024, 5, 1}},    {{31, 11, 124}, {2024, 12, 1}}};
  for (const auto& c : cases) {
    const CalendarDate date = DecodeDateBytes(c.bytes.data());
    EXPECT_EQ(date, c.date) << int{c.bytes[0]} << "/" << int{c.bytes[1]} << "/" << int{c.bytes[2]}
                            << " gave " << date.year << "-" << date.month << "-" << date.day;
  }
}

TEST(DateBytes, EveryDateInRangeSurvivesARoundTrip) {
  const int daysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int year = 2000; year <= 2150; ++year) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= daysIn[month - 1] + (month == 2 && leap); ++day) {
        const CalendarDate date{year, month, day};
        ASSERT_EQ(DecodeDateBytes(EncodeDateBytes(date).data()), date)
            << year << "-" << month << "-" << day;
      }
    }
  }
}

// Long address ---------------------------------------------------------------

TEST(LongAddress, FromCommandZeroIdentity) {
  const std::array<std::uint8_t, 3> id = {0x01, 0x02, 0x03};
  EXPECT_EQ(LongAddressToSend(0x5A, 0x10, id), (LongAddressBytes{0x9A, 0x10, 0x01, 0x02, 0x03}));
  EXPECT_EQ(LongAddressToShow(0x5A, 0x10, id), (LongAddressBytes{0x5A, 0x10, 0x01, 0x02, 0x03}));
  // Bit 6 of the manufacturer survives only in the shown form.
  EXPECT_EQ(LongAddressToSend(0xE5, 0, id)[0], 0xA5);
  EXPECT_EQ(LongAddressToShow(0xE5, 0, id)[0], 0x65);
}

// Fixed scalings -------------------------------------------------------------

TEST(OffsetTenths, TruncatesTowardZeroAndRefusesOverflow) {
  const struct {
    double value;
    std::optional<Bytes> bytes;
  } cases[] = {
      {-1.25, Bytes{0xFF, 0xF4}},    {1.25, Bytes{0x00, 0x0C}},   {12.3, Bytes{0x00, 0x7B}},
      {0.29, Bytes{0x00, 0x02}},     {-0.05, Bytes{0x00, 0x00}},  {3276.75, Bytes{0x7F, 0xFF}},
      {-3276.85, Bytes{0x80, 0x00}}, {3276.8, std::nullopt},      {-3276.9, std::nullopt},
      {kInf, std::nullopt},          {std::nan(""), std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const auto tenths = OffsetTenths(c.value);
    ASSERT_EQ(tenths.has_value(), c.bytes.has_value());
    if (!tenths) continue;
    Bytes out(2);
    WriteInt16BE(*tenths, out.data());
    EXPECT_EQ(out, *c.bytes);
  }
}

TEST(OffsetTenths, ReceivedFieldShownWithOneDecimal) {
  const struct {
    Bytes bytes;
    const char* text;
  } cases[] = {{{0xFF, 0x9C}, "-10.0"},
               {{0x00, 0x7B}, "12.3"},
               {{0xFF, 0xF4}, "-1.2"},
               {{0x7F, 0xFF}, "3276.7"},
               {{0x80, 0x00}, "-3276.8"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFixed(OffsetFromTenths(ReadInt16BE(c.bytes.data())), 1), c.text);
  }
}

TEST(PercentOfRange, FixedFourToTwentySpan) {
  const struct {
    float milliamps;
    float percent;
  } cases[] = {{4.0f, 0.0f},   {20.0f, 100.0f}, {12.0f, 50.0f},
               {2.0f, -12.5f}, {0.0f, -25.0f},  {22.0f, 112.5f}};
  for (const auto& c : cases) EXPECT_EQ(PercentOfRange(c.milliamps), c.percent) << c.milliamps;
  // 4.1f is a little below 4.1, and the double result is rounded to the
  // nearest float, which is then a little below 0.625.
  EXPECT_LT(PercentOfRange(4.1f), 0.625f);
  EXPECT_NEAR(PercentOfRange(4.1f), 0.625f, 1e-6f);
}

}  // namespace
}  // namespace vantrel
