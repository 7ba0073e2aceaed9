// `records list|show|push`: the check records kept, without a port; and the
// store every check is kept in.
#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <string>

#include "records/RecordStore.h"

namespace vantrel {

struct RecordsArgs {
  std::string what;  // "list", "show", "push" or "certificate"
  CheckFilter filter;
  QString uuid;  // show, certificate
  QString pdf;   // certificate --pdf FILE
  QString csv;   // certificate --csv FILE
};

// The words after "records", from argv[i]. Throws UsageError.
RecordsArgs ParseRecordsArgs(int i, int argc, char** argv);
// certificate UUID --pdf FILE [--csv FILE], from argv[i] (the UUID).
RecordsArgs ParseCertificateArgs(int i, int argc, char** argv);

// Opens the local store (and names the team database): 0, or the exit
// status of a store that cannot be used, said on standard error.
int OpenRecords(RecordStore& store, const std::optional<DatabaseAddress>& team);

// The points of a check as a JSON array.
std::string PointsJson(const CheckRecord& record);
// A check record as one JSON object (without the line end).
std::string CheckJson(const CheckRecord& record);

int RunRecords(const RecordsArgs& args, const std::optional<DatabaseAddress>& team, bool json);

}  // namespace vantrel
