#include "link/HartIpEndpoint.h"

namespace vantrel {

std::optional<HostAndPort> SplitHostAndPort(std::string_view text) {
  HostAndPort split;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    split.host = std::string(text.substr(1, close - 1));
    split.bracketed = true;
    const std::string_view after = text.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      split.port = std::string(after.substr(1));
    }
  } else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos &&
             text.find(':', colon + 1) == std::string_view::npos) {
    split.host = std::string(text.substr(0, colon));
    split.port = std::string(text.substr(colon + 1));
  } else {
    split.host = std::string(text);  // a name, an IPv4 address or a bare IPv6 address
  }
  if (split.host.empty() || split.host.find_first_of("[]") != std::string::npos) {
    return std::nullopt;
  }
  return split;
}

std::optional<std::uint16_t> PortNumber(std::string_view text) {
  if (text.empty() || text.size() > 5 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  unsigned long port = 0;
  for (const char digit : text) port = port * 10 + static_cast<unsigned long>(digit - '0');
  if (port > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

}  // namespace vantrel
