// `vantrel-cli list ...`: the code tables the operations take names from,
// the serial ports as the port dialog sees them, and the confirmed models.
#pragma once

#include <optional>
#include <string>

namespace vantrel {

// What `list` can print: "units", "gains", "sensors", "ports" or "models".
bool IsListName(const std::string& what);

// The table `what` (one of IsListName's), a line each: JSON objects, or the
// fields separated by two spaces.
std::string FormatList(const std::string& what, bool json);

}  // namespace vantrel
