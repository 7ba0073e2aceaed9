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

}  // namespace vantrel
