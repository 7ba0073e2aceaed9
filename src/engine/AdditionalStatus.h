// The additional device status of command 48, read by the instrument's HART
// revision. HART 6 and 7 give it a layout: device-specific bytes 0-5, the
// extended device status (byte 6), the device operating mode (7), the
// standardized statuses 0-3 (bytes 8, 9, 11, 12) and the analog channels
// saturated and fixed (10, 13); bytes from 14 on are device-specific again.
// To HART 5 every byte is the device's own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// One set bit in words: English for the command line's JSON (like the
// result words), and the window's text.
struct StatusWord {
  const char* word;  // "maintenance-required"
  const char* text;  // "需要维护"
};

struct AdditionalStatus {
  std::vector<std::uint8_t> deviceSpecific;  // in reply order
  std::optional<std::uint8_t> extendedDeviceStatus;
  std::optional<std::uint8_t> operatingMode;
  std::optional<std::array<std::uint8_t, 4>> standardized;
  std::optional<std::uint8_t> analogSaturated;
  std::optional<std::uint8_t> analogFixed;
};

AdditionalStatus DecodeAdditionalStatus(const std::vector<std::uint8_t>& data, int revision);

// The set bits of the extended device status, of standardized status
// `index` (0-3), in bit order. A bit with no meaning of its own is
// "bit-N".
std::vector<StatusWord> ExtendedStatusWords(std::uint8_t status);
std::vector<StatusWord> StandardizedStatusWords(int index, std::uint8_t status);

// Bytes in hex, two digits each, no separator ("00ff10").
std::string PlainHex(const std::vector<std::uint8_t>& bytes);

// The status in lines for the window: each set bit's text, the
// device-specific bytes in hex. Empty when nothing is set.
std::vector<std::string> AdditionalStatusLines(const AdditionalStatus& status);

// The data a HART 7 acknowledgement sends: the status bytes as read.
// Earlier revisions send none.
std::vector<std::uint8_t> AcknowledgementData(const std::vector<std::uint8_t>& read, int revision);

}  // namespace vantrel
