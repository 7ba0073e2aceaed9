// How a check judges a point, the same in the window and on the command
// line.
#pragma once

#include <vector>

#include "engine/DeviceData.h"
#include "records/RecordStore.h"

namespace vantrel {

// The loop's 4-20 mA span a loop check's errors are a share of.
constexpr double kLoopSpanMa = 16.0;

struct CheckLimits {
  bool loop = true;               // a loop check; else an input (pressure) check
  double toleranceLower = -0.25;  // % of span
  double toleranceUpper = 0.25;
};

// A loop check: the meter's reading against the current driven (nominal).
// An input check: the instrument's reading against the reference applied.
// The error in the point's unit and in % of `span`; passed within the
// limits, both included.
CheckPoint JudgePoint(const CheckLimits& limits, double nominal, double reference, double reading,
                      double span);

// Passed when every point passed and there is one at least.
bool AllPassed(const std::vector<CheckPoint>& points);

// The instrument's value as `data` holds it after command 3, in the range's
// unit where the two differ and both are pressures.
double ValueInRangeUnit(const DeviceData& data);

// A record of a check run through now on the instrument `data` shows: its
// identity, tag, range and unit, the limits, the points and their verdict,
// and this program's version. The reference, the technician and the links
// to other records are the caller's.
CheckRecord NewCheckRecord(const CheckLimits& limits, bool asLeft, const DeviceData& data,
                           std::vector<CheckPoint> points);

}  // namespace vantrel
