#include "engine/Encoding.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace vantrel {

namespace {

// The whitespace that the C library's conversions skip (in the "C" locale).
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void SkipSpaces(const char*& p, const char* last) {
  while (p < last && IsSpace(*p)) ++p;
}

// Text without surrounding whitespace, as [first, last).
void Trim(const std::string& text, const char*& first, const char*& last) {
  first = text.data();
  last = text.data() + text.size();
  SkipSpaces(first, last);
  while (last > first && IsSpace(last[-1])) --last;
}

// For a number that std::from_chars found out of range in [first, last):
// true when it is too large, false when it is too small. Only the sign of its
// order of magnitude matters, and an out-of-range value is hundreds of orders
// away from 1, so an estimate from the position of the first non-zero digit
// and the exponent is exact enough.
bool IsOverflow(const char* first, const char* last, bool hex) {
  const auto isMantissaDigit = [hex](char c) { return hex ? HexDigitValue(c) >= 0 : IsDigit(c); };
  const char* p = first;
  // Order of magnitude of the first non-zero mantissa digit, in digits.
  long long magnitude = 0;
  long long integerDigits = 0;
  long long leadingPosition = -1;
  for (; p < last && isMantissaDigit(*p); ++p, ++integerDigits) {
    if (leadingPosition < 0 && *p != '0') leadingPosition = integerDigits;
  }
  if (leadingPosition >= 0) magnitude = integerDigits - 1 - leadingPosition;
  if (p < last && *p == '.') {
    ++p;
    for (long long place = 1; p < last && isMantissaDigit(*p); ++p, ++place) {
      if (leadingPosition < 0 && *p != '0') {
        leadingPosition = 0;
        magnitude = -place;
      }
    }
  }
  if (hex) magnitude *= 4;  // a hex digit is four binary places; the exponent counts in 2s
  long long exponent = 0;
  if (p < last && (*p | 0x20) == (hex ? 'p' : 'e')) {
    ++p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    for (; p < last && IsDigit(*p); ++p) {
      exponent = std::min(exponent * 10 + (*p - '0'), 1000000000LL);
    }
    if (negative) exponent = -exponent;
  }
  return magnitude + exponent > 0;
}

// Reads the longest unsigned number at the start of [first, last) by the C
// library's text-to-double rules. Returns false when there is none.
bool ReadUnsignedNumber(const char* first, const char* last, double* value) {
  if (last - first >= 2 && first[0] == '0' && (first[1] | 0x20) == 'x') {
    double parsed = 0.0;
    const auto result = std::from_chars(first + 2, last, parsed, std::chars_format::hex);
    if (result.ec == std::errc::invalid_argument) {
      *value = 0.0;  // only the "0" before the 'x' is a number
    } else if (result.ec == std::errc::result_out_of_range) {
      *value = IsOverflow(first + 2, result.ptr, true) ? HUGE_VAL : 0.0;
    } else {
      *value = parsed;
    }
    return true;
  }
  double parsed = 0.0;
  const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) {
    *value = IsOverflow(first, result.ptr, false) ? HUGE_VAL : 0.0;
  } else {
    *value = parsed;
  }
  return true;
}

// Whole-text decimal number: [+-]digits[.digits][e[+-]digits], at least one
// mantissa digit.
bool IsDecimalNumber(const char* p, const char* last) {
  if (p < last && (*p == '+' || *p == '-')) ++p;
  int mantissaDigits = 0;
  while (p < last && IsDigit(*p)) ++p, ++mantissaDigits;
  if (p < last && *p == '.') {
    ++p;
    while (p < last && IsDigit(*p)) ++p, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p < last && (*p == '+' || *p == '-')) ++p;
    if (p == last || !IsDigit(*p)) return false;
    while (p < last && IsDigit(*p)) ++p;
  }
  return p == last;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Six-bit code of one character for packed ASCII: a-z as A-Z, then the low
// six bits. Only a-z are upper-cased, as the C library does in its default
// locale; bytes above 0x7F are not letters there.
std::uint8_t PackedCode(unsigned char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  return c & 0x3F;
}

}  // namespace

// ---------------------------------------------------------------------------
// Big-endian numbers

std::uint16_t ReadUint16BE(const std::uint8_t* src) {
  return static_cast<std::uint16_t>((src[0] << 8) | src[1]);
}

std::int16_t ReadInt16BE(const std::uint8_t* src) {
  return static_cast<std::int16_t>(ReadUint16BE(src));
}

std::uint32_t ReadUint32BE(const std::uint8_t* src) {
  return (static_cast<std::uint32_t>(src[0]) << 24) | (static_cast<std::uint32_t>(src[1]) << 16) |
         (static_cast<std::uint32_t>(src[2]) << 8) | static_cast<std::uint32_t>(src[3]);
}

std::int32_t ReadInt32BE(const std::uint8_t* src) {
  return static_cast<std::int32_t>(ReadUint32BE(src));
}

float ReadFloatBE(const std::uint8_t* src) {
  static_assert(sizeof(float) == sizeof(std::uint32_t), "float must be 32 bits");
  const std::uint32_t bits = ReadUint32BE(src);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void WriteUint16BE(std::uint16_t value, std::uint8_t* dest) {
  dest[0] = static_cast<std::uint8_t>(value >> 8);
  dest[1] = static_cast<std::uint8_t>(value);
}

void WriteInt16BE(std::int16_t value, std::uint8_t* dest) {
  WriteUint16BE(static_cast<std::uint16_t>(value), dest);
}

void WriteUint32BE(std::uint32_t value, std::uint8_t* dest) {
  dest[0] = static_cast<std::uint8_t>(value >> 24);
  dest[1] = static_cast<std::uint8_t>(value >> 16);
  dest[2] = static_cast<std::uint8_t>(value >> 8);
  dest[3] = static_cast<std::uint8_t>(value);
}

void WriteInt32BE(std::int32_t value, std::uint8_t* dest) {
  WriteUint32BE(static_cast<std::uint32_t>(value), dest);
}

void WriteFloatBE(float value, std::uint8_t* dest) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteUint32BE(bits, dest);
}

// ---------------------------------------------------------------------------
// Packed ASCII

void PackAscii(const char* text, std::uint8_t* dest, std::size_t destLength) {
  // Characters taken from the text; the rest of the field is spaces.
  const std::size_t maxChars = PackedCharCount(destLength);
  std::size_t taken = 0;
  if (text != nullptr) {
    while (taken < maxChars && text[taken] != '\0') ++taken;
  }
  const auto codeAt = [&](std::size_t i) {
    return PackedCode(i < taken ? static_cast<unsigned char>(text[i]) : ' ');
  };

  for (std::size_t byte = 0, ch = 0; byte < destLength; byte += 3, ch += 4) {
    const unsigned c0 = codeAt(ch);
    const unsigned c1 = codeAt(ch + 1);
    const unsigned c2 = codeAt(ch + 2);
    const unsigned c3 = codeAt(ch + 3);
    const std::uint8_t group[3] = {
        static_cast<std::uint8_t>((c0 << 2) | (c1 >> 4)),
        static_cast<std::uint8_t>(((c1 << 4) | (c2 >> 2)) & 0xFF),
        static_cast<std::uint8_t>(((c2 << 6) | c3) & 0xFF),
    };
    for (std::size_t k = 0; k < 3 && byte + k < destLength; ++k) dest[byte + k] = group[k];
  }
}

void UnpackAscii(const std::uint8_t* src, std::size_t count, char* dest) {
  std::size_t length = 0;
  for (std::size_t byte = 0; byte + 3 <= count; byte += 3) {
    const unsigned b0 = src[byte];
    const unsigned b1 = src[byte + 1];
    const unsigned b2 = src[byte + 2];
    const unsigned codes[4] = {b0 >> 2, ((b0 & 0x03) << 4) | (b1 >> 4),
                               ((b1 & 0x0F) << 2) | (b2 >> 6), b2 & 0x3F};
    for (unsigned code : codes) {
      dest[length++] = static_cast<char>(code < 0x20 ? code + 0x40 : code);
    }
  }
  dest[length] = '\0';
  // Cut trailing spaces, but never the first character.
  while (length > 1 && dest[length - 1] == ' ') dest[--length] = '\0';
}

std::string UnpackAsciiText(const std::uint8_t* src, std::size_t count) {
  std::string text(PackedCharCount(count) + 1, '\0');
  UnpackAscii(src, count, &text[0]);
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool IsPackableText(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u <= 0x7E;
  });
}

// ---------------------------------------------------------------------------
// Date bytes

std::array<std::uint8_t, 3> EncodeDateBytes(const CalendarDate& date) {
  return {static_cast<std::uint8_t>(date.day), static_cast<std::uint8_t>(date.month),
          static_cast<std::uint8_t>(date.year - 1900)};
}

std::string FormatDateText(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

CalendarDate DecodeDateBytes(const std::uint8_t* src) {
  CalendarDate date{src[2] + 1900, src[1], src[0]};
  if (date.month < 1 || date.month > 12) date.month = 1;
  if (date.day < 1 || date.day > 31) date.day = 1;
  if (date.year < 2000 || date.year > 2150) date.year = 2000;
  // A day past the end of its month counts on into the following months.
  while (date.day > DaysInMonth(date.year, date.month)) {
    date.day -= DaysInMonth(date.year, date.month);
    if (++date.month > 12) {
      date.month = 1;
      ++date.year;
    }
  }
  return date;
}

// ---------------------------------------------------------------------------
// Long address

LongAddressBytes LongAddressToSend(std::uint8_t manufacturerId, std::uint8_t deviceType,
                                   const std::array<std::uint8_t, 3>& deviceId) {
  return {static_cast<std::uint8_t>((manufacturerId & kAddressBits) | kMasterBit), deviceType,
          deviceId[0], deviceId[1], deviceId[2]};
}

LongAddressBytes LongAddressToSend(const LongAddressBytes& identity) {
  return LongAddressToSend(identity[0], identity[1], {identity[2], identity[3], identity[4]});
}

LongAddressBytes LongAddressToShow(std::uint8_t manufacturerId, std::uint8_t deviceType,
                                   const std::array<std::uint8_t, 3>& deviceId) {
  return {static_cast<std::uint8_t>(manufacturerId & ~kMasterBit), deviceType, deviceId[0],
          deviceId[1], deviceId[2]};
}

LongAddressBytes LongAddressToShow(const LongAddressBytes& identity) {
  return LongAddressToShow(identity[0], identity[1], {identity[2], identity[3], identity[4]});
}

bool IsLongAddressOf(const LongAddressBytes& address, const LongAddressBytes& identity) {
  const LongAddressBytes expected = LongAddressToSend(identity);
  return (address[0] & kAddressBits) == (expected[0] & kAddressBits) &&
         std::equal(address.begin() + 1, address.end(), expected.begin() + 1);
}

std::string FormatLongAddressText(const LongAddressBytes& address) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(kLongAddressSize * 5 - 1);
  for (std::size_t i = 0; i < kLongAddressSize; ++i) {
    if (i > 0) text += ' ';
    text += "0x";
    text += kHex[address[i] >> 4];
    text += kHex[address[i] & 0x0F];
  }
  return text;
}

std::optional<LongAddressBytes> ParseLongAddressText(const std::string& text) {
  const char* p;
  const char* last;
  Trim(text, p, last);
  LongAddressBytes address{};
  for (std::size_t i = 0; i < kLongAddressSize; ++i) {
    if (i > 0) {
      if (p == last || *p != ' ') return std::nullopt;
      ++p;
    }
    if (last - p < 2 || p[0] != '0' || p[1] != 'x') return std::nullopt;
    p += 2;
    int value = 0;
    int digits = 0;
    while (p < last && HexDigitValue(*p) >= 0) {
      if (++digits > 2) return std::nullopt;
      value = value * 16 + HexDigitValue(*p);
      ++p;
    }
    if (digits == 0) return std::nullopt;
    address[i] = static_cast<std::uint8_t>(value);
  }
  if (p != last) return std::nullopt;
  return address;
}

// ---------------------------------------------------------------------------
// Number texts

std::string ShortestFloatText(float value) {
  if (!std::isfinite(value)) return FormatFixed(value, 1);
  char text[64];
  // Without a precision, to_chars gives the shortest digits that read back
  // as the same float; written out in full for the numbers of a plant.
  const float magnitude = std::fabs(value);
  const bool plain = magnitude == 0.0f || (magnitude >= 1e-4f && magnitude < 1e9f);
  const std::to_chars_result written =
      plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
            : std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

std::string FormatExactFloat(float value) {
  std::string text = ShortestFloatText(value);
  if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 6;
  // Past 1074 places every digit of a double is 0; format that far and pad,
  // so that the buffer stays bounded.
  constexpr int kExactDecimals = 1074;
  const int formatted = std::min(decimals, kExactDecimals);
  // Sign, up to 309 integer digits, the point and the decimals.
  std::string text(static_cast<std::size_t>(formatted) + 320, '\0');
  const auto result =
      std::to_chars(&text[0], &text[0] + text.size(), value, std::chars_format::fixed, formatted);
  text.resize(static_cast<std::size_t>(result.ptr - text.data()));
  if (decimals > formatted && std::isfinite(value)) {
    text.append(static_cast<std::size_t>(decimals - formatted), '0');
  }
  return text;
}

double TextToDouble(const std::string& utf8) {
  const char* p = utf8.data();
  const char* last = p + utf8.size();
  SkipSpaces(p, last);
  bool negative = false;
  if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // A second sign is not a number (std::from_chars itself would accept '-').
  if (p == last || *p == '+' || *p == '-') return 0.0;
  double magnitude = 0.0;
  if (!ReadUnsignedNumber(p, last, &magnitude)) return 0.0;
  return negative ? -magnitude : magnitude;
}

int TextToInt(const std::string& utf8) {
  const char* p = utf8.data();
  const char* last = p + utf8.size();
  SkipSpaces(p, last);
  bool negative = false;
  if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // Accumulate the magnitude, saturating just past the int range.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  while (p < last && IsDigit(*p)) {
    magnitude = std::min(magnitude * 10 + (*p - '0'), kLimit);
    ++p;
  }
  if (negative) return static_cast<int>(-magnitude);  // -kLimit is INT_MIN
  return static_cast<int>(std::min<long long>(magnitude, INT_MAX));
}

std::optional<double> ParseNumber(const std::string& text) {
  const char* first;
  const char* last;
  Trim(text, first, last);
  if (!IsDecimalNumber(first, last)) return std::nullopt;
  const double value = TextToDouble(std::string(first, last));
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> ParseInteger(const std::string& text) {
  const char* p;
  const char* last;
  Trim(text, p, last);
  bool negative = false;
  if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == last) return std::nullopt;
  long long magnitude = 0;
  for (; p < last; ++p) {
    if (!IsDigit(*p)) return std::nullopt;
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  const long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

// ---------------------------------------------------------------------------
// Fixed scalings

std::optional<std::int16_t> OffsetTenths(double value) {
  const double tenths = std::trunc(value * 10.0);
  // Written so that NaN fails as well.
  if (!(tenths >= std::numeric_limits<std::int16_t>::min() &&
        tenths <= std::numeric_limits<std::int16_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(tenths);
}

double OffsetFromTenths(std::int16_t tenths) {
  return tenths / 10.0;
}

float PercentOfRange(float loopCurrentMa) {
  return static_cast<float>((static_cast<double>(loopCurrentMa) - 4.0) * 0.0625 * 100.0);
}

}  // namespace vantrel
