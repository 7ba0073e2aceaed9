#include "engine/Encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace vantrel {

namespace {

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

// ---------------------------------------------------------------------------
// Latin-1 texts

namespace {

// The code point of the UTF-8 sequence at `text[i]` and its length; a
// malformed sequence is one byte with the code point 0xFFFD.
std::pair<std::uint32_t, std::size_t> NextCodePoint(const std::string& text, std::size_t i) {
  const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) return {0xFFFD, 1};
  std::uint32_t code = lead & (0x3F >> (length - 1));
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return {0xFFFD, 1};
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  return {code, length};
}

}  // namespace

std::optional<std::string> FirstUnpackableCharacter(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto [code, size] = NextCodePoint(text, i);
    const bool lower = code >= 'a' && code <= 'z';
    if (!lower && (code < 0x20 || code > 0x5F)) return text.substr(i, size);
    i += size;
  }
  return std::nullopt;
}

bool IsPackableText(const std::string& text) {
  return !FirstUnpackableCharacter(text);
}

std::string PackedUpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> EncodeLatin1(const std::string& utf8, std::size_t length,
                                                      std::string* bad) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto [code, size] = NextCodePoint(utf8, i);
    // Control characters have no place in a tag either.
    if (code > 0xFF || code < 0x20 || (code >= 0x7F && code < 0xA0)) {
      if (bad) *bad = utf8.substr(i, size);
      return std::nullopt;
    }
    bytes.push_back(static_cast<std::uint8_t>(code));
    i += size;
  }
  if (bytes.size() > length) {
    if (bad) bad->clear();
    return std::nullopt;
  }
  bytes.resize(length, 0x00);
  return bytes;
}

std::string DecodeLatin1(const std::uint8_t* src, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count && src[i] != 0; ++i) {
    const std::uint8_t c = src[i];
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
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
