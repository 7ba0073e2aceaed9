#include "sim/DeviceList.h"

#include <algorithm>

namespace vantrel::sim {

std::optional<std::vector<std::uint8_t>> ParsePollAddressList(const std::string& text) {
  constexpr unsigned kMaxAddress = 63;
  std::vector<std::uint8_t> addresses;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    if (end == start || end - start > 2) return std::nullopt;  // empty, or more than 63
    unsigned value = 0;
    for (std::size_t i = start; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    if (value > kMaxAddress) return std::nullopt;
    const auto address = static_cast<std::uint8_t>(value);
    if (std::find(addresses.begin(), addresses.end(), address) != addresses.end()) {
      return std::nullopt;
    }
    addresses.push_back(address);
    if (end == text.size()) return addresses;
    start = end + 1;
  }
}

}  // namespace vantrel::sim
