// How the command-line front end prints what an operation did: one JSON
// object per line, or the status text followed by key=value lines.
#pragma once

#include <string>

#include "cli/CliOperations.h"
#include "cli/CliSession.h"
#include "config/JsonText.h"

namespace vantrel {

std::string FormatOutcome(const CliOutcome& outcome, const CliShown& shown, bool json);

// "success", "failure", "no-reply", "refused" or "skipped".
const char* ResultWord(const CliOutcome& outcome);

}  // namespace vantrel
