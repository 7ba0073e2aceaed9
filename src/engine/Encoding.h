// How values travel in HART data: big-endian numbers, packed ASCII, the date
// bytes, the long address and the fixed scalings (offset in tenths, percent of
// range). The texts that the dialogs show and read are in NumberText.h.
//
// Everything here is plain computation: no I/O, no locale, no clock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/HartFrame.h"

namespace vantrel {

// ---------------------------------------------------------------------------
// ISO Latin-1 texts (the long tag): one byte per character, the field's
// unused end filled with NUL bytes.

// `utf8` in Latin-1, NUL-padded to `length` bytes. nullopt when a character
// has no Latin-1 byte or the text is longer than `length` characters;
// `bad` then receives the first such character (empty for a text too long).
std::optional<std::vector<std::uint8_t>> EncodeLatin1(const std::string& utf8, std::size_t length,
                                                      std::string* bad);
// The text of a Latin-1 field as UTF-8: up to its first NUL, trailing spaces
// dropped.
std::string DecodeLatin1(const std::uint8_t* src, std::size_t count);

// ---------------------------------------------------------------------------
// Big-endian numbers. HART sends every multi-byte number most significant
// byte first. Readers take `src[0..width)`, writers fill `dest[0..width)`.

std::uint16_t ReadUint16BE(const std::uint8_t* src);
std::int16_t ReadInt16BE(const std::uint8_t* src);
std::uint32_t ReadUint32BE(const std::uint8_t* src);
std::int32_t ReadInt32BE(const std::uint8_t* src);
// The four bytes are the IEEE-754 single-precision bit pattern, taken as they
// are: NaN and infinity patterns pass through unchanged.
float ReadFloatBE(const std::uint8_t* src);

void WriteUint16BE(std::uint16_t value, std::uint8_t* dest);
void WriteInt16BE(std::int16_t value, std::uint8_t* dest);
void WriteUint32BE(std::uint32_t value, std::uint8_t* dest);
void WriteInt32BE(std::int32_t value, std::uint8_t* dest);
void WriteFloatBE(float value, std::uint8_t* dest);

// ---------------------------------------------------------------------------
// Packed ASCII: four 6-bit character codes in every three bytes.

// Field sizes in bytes of the texts that travel packed, and their lengths in
// characters.
constexpr std::size_t kTagBytes = 6;
constexpr std::size_t kDescriptorBytes = 12;
constexpr std::size_t kMessageBytes = 24;
// The long tag of HART 6 and 7: 32 Latin-1 characters, not packed.
constexpr std::size_t kLongTagBytes = 32;
constexpr std::size_t PackedCharCount(std::size_t byteCount) {
  return byteCount / 3 * 4;
}

// Packs the zero-terminated `text` into `dest[0..destLength)`. At most
// PackedCharCount(destLength) characters are taken (longer text is cut), a
// shorter text is padded with spaces, a-z are sent as A-Z, and every other
// character keeps only its low 6 bits. Every destination byte is written; when
// destLength is not a multiple of 3 the last group is cut short. A null `text`
// packs as all spaces.
void PackAscii(const char* text, std::uint8_t* dest, std::size_t destLength);

// Unpacks `count` bytes (whole groups of three; a rest is ignored) into `dest`,
// which must hold PackedCharCount(count) characters and a terminating zero.
// Codes 0x00-0x1F become '@'-'_', codes 0x20-0x3F stand for themselves.
// Trailing spaces are cut, but the first character always stays, so an
// all-space field reads back as a single space.
void UnpackAscii(const std::uint8_t* src, std::size_t count, char* dest);

// UnpackAscii into a string.
std::string UnpackAsciiText(const std::uint8_t* src, std::size_t count);

// Packed ASCII carries 0x20-0x5F: a lower-case letter goes as its upper case,
// every other character would arrive as another one. The first character of
// `text` that cannot be sent (as UTF-8: "~", "é"); none when all can.
std::optional<std::string> FirstUnpackableCharacter(const std::string& text);
bool IsPackableText(const std::string& text);
// `text` as it is sent: a-z turned A-Z, the rest left as it is.
std::string PackedUpperCase(std::string text);

// ---------------------------------------------------------------------------
// Date bytes of commands 13 and 18: day, month, year - 1900.

struct CalendarDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31
};

inline bool operator==(const CalendarDate& a, const CalendarDate& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}
inline bool operator!=(const CalendarDate& a, const CalendarDate& b) {
  return !(a == b);
}

// Day, month and year - 1900, each kept to its low 8 bits.
std::array<std::uint8_t, 3> EncodeDateBytes(const CalendarDate& date);

// Reads day, month and year - 1900 from `src[0..3)`. A month outside 1-12
// becomes January, a day outside 1-31 becomes 1 and a year outside 2000-2150
// becomes 2000; a day past the end of its month then runs on into the next
// month (31 February 2024 is 2 March 2024).
CalendarDate DecodeDateBytes(const std::uint8_t* src);

// Days in `month` (1-12) of `year` in the Gregorian calendar.
int DaysInMonth(int year, int month);

// "2026-12-08".
std::string FormatDateText(const CalendarDate& date);

// ---------------------------------------------------------------------------
// Long address: manufacturer, device type, device identification number.

// The address that requests go to: manufacturer bits 5-0 with the
// primary-master bit set, then device type and identification number.
LongAddressBytes LongAddressToSend(std::uint8_t manufacturerId, std::uint8_t deviceType,
                                   const std::array<std::uint8_t, 3>& deviceId);
// The same from the identity as a command-0 reply gives it: manufacturer,
// device type, identification number.
LongAddressBytes LongAddressToSend(const LongAddressBytes& identity);

// The address as the HART tab shows it: manufacturer bits 6-0, then device type
// and identification number.
LongAddressBytes LongAddressToShow(std::uint8_t manufacturerId, std::uint8_t deviceType,
                                   const std::array<std::uint8_t, 3>& deviceId);
LongAddressBytes LongAddressToShow(const LongAddressBytes& identity);

// True when a long-frame `address` names the device with `identity`, compared
// as a device does: manufacturer bits 5-0 (the master and burst-mode bits are
// not the device's), then device type and identification number.
bool IsLongAddressOf(const LongAddressBytes& address, const LongAddressBytes& identity);

// ---------------------------------------------------------------------------
// Fixed scalings.

// The offset correction travels in tenths: value x 10 truncated toward zero.
// nullopt when that does not fit in a signed 16-bit field (or the value is
// not finite); such a value is refused rather than sent wrapped.
std::optional<std::int16_t> OffsetTenths(double value);

// A received offset field back in degrees.
double OffsetFromTenths(std::int16_t tenths);

// Percent of range on the fixed 4-20 mA span, computed in double and narrowed
// to float: 4 mA is 0 %, 20 mA 100 %, 2 mA -12.5 %.
float PercentOfRange(float loopCurrentMa);

}  // namespace vantrel
