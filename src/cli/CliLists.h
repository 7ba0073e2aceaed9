// `vantrel-cli list ...`: the code tables the operations take names from,
// and the serial ports as the port dialog sees them.
#pragma once

#include <optional>
#include <string>

namespace vantrel {

// What `list` can print: "units", "gains", "sensors" or "ports".
bool IsListName(const std::string& what);

// The table `what` (one of IsListName's), a line each: JSON objects, or the
// fields separated by two spaces.
std::string FormatList(const std::string& what, bool json);

}  // namespace vantrel
