// vantrel-cli journal [--csv] [--since YYYY-MM-DD]: the change journal
// printed, as stored (JSON Lines) or as CSV.
#pragma once

#include <QDate>

#include <optional>
#include <string>

#include "config/Journal.h"

namespace vantrel {

// The records from `since` on (all without it), oldest first.
std::string FormatJournal(const JournalContents& journal, bool csv, std::optional<QDate> since);

}  // namespace vantrel
