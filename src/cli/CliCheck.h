// loop-check and pressure-check: the instrument checked point by point
// against a reference, as found or as left, each point's error against a
// tolerance in % of span, pass or fail, and the record kept.
//
// loop-check drives the loop to each point (command 40), waits for it to
// settle and takes the reference meter's reading given for it; the loop is
// released (command 40 with 0 mA) at the end whatever happens.
// pressure-check reads the instrument's value (command 3) once per point,
// with the reference value applied there given for it.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "records/RecordStore.h"

class QCoreApplication;

namespace vantrel {

struct CheckArgs {
  bool loop = true;  // loop-check; else pressure-check
  std::vector<double> points;
  std::vector<double> readings;
  double toleranceLower = -0.25;  // % of span
  double toleranceUpper = 0.25;
  bool asLeft = false;
  QString of;        // --of: the as-found record of an as-left check
  QString corrects;  // --corrects: the record this one corrects
  QString technician;
  QString reference;
  QString referenceSerial;
  std::optional<QDate> referenceDue;
  QString notes;
  int settleMs = 2000;
};

// The check's own words after its name, from argv[i]. Throws UsageError for
// a reading that is no number, a point outside 3.5-23 mA (loop) or 0-100 %
// (pressure), a tolerance not above 0, readings that do not match the points.
CheckArgs ParseCheckArgs(bool loop, int i, int argc, char** argv);

// Runs the check on the open session, keeps its record in `store` and prints
// it (JSON with `json`). The exit status: 0 pass, 1 fail or a failed
// operation, 2 no reply.
int RunCheck(QCoreApplication& app, CliSession& session, const CheckArgs& args, bool json,
             RecordStore& store);

}  // namespace vantrel
