#include "report/CheckJudge.h"

#include <cmath>

namespace vantrel {

CheckPoint JudgePoint(const CheckLimits& limits, double nominal, double reference, double reading,
                      double span) {
  CheckPoint p;
  p.nominal = nominal;
  p.reference = reference;
  p.reading = reading;
  p.error = limits.loop ? reading - nominal : reading - reference;
  p.errorPercentOfSpan = span != 0.0 ? p.error / std::fabs(span) * 100.0 : 0.0;
  // A hair of rounding must not fail a point on its limit.
  constexpr double kSlack = 1e-9;
  p.pass = p.errorPercentOfSpan >= limits.toleranceLower - kSlack &&
           p.errorPercentOfSpan <= limits.toleranceUpper + kSlack;
  return p;
}

bool AllPassed(const std::vector<CheckPoint>& points) {
  bool pass = !points.empty();
  for (const CheckPoint& point : points) pass = pass && point.pass;
  return pass;
}

}  // namespace vantrel
