// How a HART-IP endpoint is written, read the same way by the client, the
// simulator and the port dialog: "HOST", "HOST:PORT", "[IPV6]",
// "[IPV6]:PORT" or a bare IPv6 address (two colons or more, so no port can
// follow it). Plain C++, no I/O: whether the host is a valid name or
// address is for the caller to say.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

struct HostAndPort {
  std::string host;                 // without its brackets
  bool bracketed = false;           // it was written in brackets
  std::optional<std::string> port;  // the text after the colon, when one follows
};

// Splits `text` as it is (no spaces trimmed). Nothing for an empty host, a
// host holding '[' or ']', an unclosed bracket, or anything but ":PORT"
// after a closing one. The port text is not checked here.
std::optional<HostAndPort> SplitHostAndPort(std::string_view text);

// A port written as 1 to 5 decimal digits, 0 to 65535; nothing otherwise.
std::optional<std::uint16_t> PortNumber(std::string_view text);

}  // namespace vantrel
