#include "engine/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
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

}  // namespace

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

}  // namespace vantrel
