#include "report/CheckJudge.h"

#include <cmath>
#include <optional>

#include "engine/Encoding.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"
#include "vantrel/Version.h"

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

double ValueInRangeUnit(const DeviceData& d) {
  if (d.unitCode < 0 || d.pvUnitCode == d.unitCode) return d.primaryVariable;
  const std::optional<double> from = KilopascalsPerUnit(d.pvUnitCode);
  const std::optional<double> to = KilopascalsPerUnit(static_cast<std::uint8_t>(d.unitCode));
  return from && to ? d.primaryVariable * *from / *to : d.primaryVariable;
}

CheckRecord NewCheckRecord(const CheckLimits& limits, bool asLeft, const DeviceData& d,
                           std::vector<CheckPoint> points) {
  CheckRecord r;
  r.kind = limits.loop ? QStringLiteral("loop-check") : QStringLiteral("pressure-check");
  r.stage = asLeft ? QStringLiteral("as-left") : QStringLiteral("as-found");
  r.time = QDateTime::currentDateTime();
  r.longAddress = QString::fromStdString(FormatLongAddressText(LongAddressToShow(d.longAddress)));
  r.tag = QString::fromStdString(d.tag);
  r.hartRevision = d.hartRevision;
  r.rangeLower = d.lowerRange;
  r.rangeUpper = d.upperRange;
  if (d.unitCode >= 0) {
    r.unit = QString::fromStdString(UnitTextOfCode(static_cast<std::uint8_t>(d.unitCode)));
  }
  r.toleranceLower = limits.toleranceLower;
  r.toleranceUpper = limits.toleranceUpper;
  r.pass = AllPassed(points);
  r.points = std::move(points);
  r.programVersion = QString::fromLatin1(kVersion);
  return r;
}

}  // namespace vantrel
