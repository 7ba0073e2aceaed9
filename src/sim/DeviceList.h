// The list of polling addresses given to vantrel-sim with --devices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::sim {

// Reads comma-separated polling addresses, 0 to 63 in decimal, each at most
// once, in the order given ("0,5"). Empty fields, signs, spaces, other
// characters and repeated addresses make the whole list invalid: nullopt.
std::optional<std::vector<std::uint8_t>> ParsePollAddressList(const std::string& text);

}  // namespace vantrel::sim
