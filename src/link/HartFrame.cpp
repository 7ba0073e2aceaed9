#include "link/HartFrame.h"

namespace vantrel {

bool IsAcceptedDelimiter(std::uint8_t byte) {
  switch (byte & kDelimiterMask) {
    case kStxShort:
    case kAckShort:
    case kBackLong:
    case kStxLong:
    case kAckLong:
      return true;
    default:
      return false;
  }
}

std::uint8_t CheckByte(const std::uint8_t* bytes, std::size_t size) {
  std::uint8_t check = 0;
  for (std::size_t i = 0; i < size; ++i) check ^= bytes[i];
  return check;
}

std::vector<std::uint8_t> SerialLineBytes(const std::vector<std::uint8_t>& frame,
                                          std::uint8_t preambles) {
  std::vector<std::uint8_t> bytes(std::size_t{preambles} + 1, kPreambleByte);
  bytes.insert(bytes.end(), frame.begin(), frame.end());
  bytes.insert(bytes.end(), kTrailingByteCount, kPreambleByte);
  return bytes;
}

}  // namespace vantrel
