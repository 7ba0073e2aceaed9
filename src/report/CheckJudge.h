// How a check judges a point, the same in the window and on the command
// line.
#pragma once

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

}  // namespace vantrel
