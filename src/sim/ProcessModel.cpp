#include "sim/ProcessModel.h"

#include <algorithm>
#include <cmath>

namespace vantrel::sim {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// sin(2 pi t / period), with t reduced first so that large clock values keep
// their precision.
double Wave(TimeMs t, TimeMs periodMs) {
  const double phase = static_cast<double>(t % periodMs) / static_cast<double>(periodMs);
  return std::sin(kTwoPi * phase);
}

// Callendar-Van Dusen coefficients of a platinum resistance thermometer.
constexpr double kPtA = 3.9083e-3;
constexpr double kPtB = -5.775e-7;
constexpr double kPtC = -4.183e-12;  // below 0 °C only
constexpr double kCopperAlpha = 4.28e-3;
constexpr double kColdJunctionC = 25.0;
constexpr double kKPaPerMetreOfWater = 9.80665;

double Platinum(double r0, double t) {
  const double c = t < 0.0 ? kPtC * (t - 100.0) * t * t * t : 0.0;
  return r0 * (1.0 + kPtA * t + kPtB * t * t + c);
}

}  // namespace

double AppliedPressureKPa(TimeMs t) {
  return 50.0 + 0.4 * Wave(t, 30'000) + 0.05 * Wave(t, 7'300);
}

double ProcessTemperatureC(TimeMs t) {
  return 25.0 + 0.3 * Wave(t, 120'000);
}

double SourceMillivolts(TimeMs t) {
  return 20.0 + 0.02 * Wave(t, 45'000);
}

double MassFlowKgH(TimeMs t) {
  return 2500.0 + 20.0 * Wave(t, 40'000) + 4.0 * Wave(t, 9'100);
}

double FluidDensityKgM3(TimeMs t) {
  return 998.2 - 0.2 * Wave(t, 120'000);
}

std::int32_t ReferenceCounts(int channel, TimeMs t) {
  if (channel == 0)
    return 800'000 + static_cast<std::int32_t>(std::lround(150.0 * Wave(t, 20'000)));
  return 200'000 + static_cast<std::int32_t>(std::lround(60.0 * Wave(t, 26'000)));
}

std::uint32_t PressureCode(double pressureKPa, std::uint8_t gainIndex) {
  const double gain = static_cast<double>(1u << std::min<unsigned>(gainIndex, 31));
  const double code = std::round(8'388'608.0 + gain * 1000.0 * pressureKPa);
  return static_cast<std::uint32_t>(std::clamp(code, 0.0, 4'294'967'295.0));
}

double SensorResistanceOhms(std::uint8_t sensorType, double temperatureC) {
  switch (sensorType) {
    case 8:
      return Platinum(100.0, temperatureC);
    case 9:
      return 100.0 * (1.0 + kCopperAlpha * temperatureC);
    case 10:
      return 50.0 * (1.0 + kCopperAlpha * temperatureC);
    case 11:
      return Platinum(1000.0, temperatureC);
    default:
      return Platinum(100.0, kColdJunctionC);
  }
}

bool IsPvUnitsCode(std::uint8_t code) {
  switch (code) {
    case kUnitsPa:
    case kUnitsKPa:
    case kUnitsMPa:
    case kUnitsMetre:
    case kUnitsCentimetre:
    case kUnitsMillimetre:
    case kUnitsDegC:
    case kUnitsDegF:
    case kUnitsDegR:
    case kUnitsKelvin:
      return true;
    default:
      return false;
  }
}

std::optional<double> PrimaryInUnits(std::uint8_t unitsCode, double pressureKPa,
                                     double temperatureC) {
  const double metres = pressureKPa / kKPaPerMetreOfWater;
  switch (unitsCode) {
    case kUnitsPa:
      return pressureKPa * 1000.0;
    case kUnitsKPa:
      return pressureKPa;
    case kUnitsMPa:
      return pressureKPa / 1000.0;
    case kUnitsMetre:
      return metres;
    case kUnitsCentimetre:
      return metres * 100.0;
    case kUnitsMillimetre:
      return metres * 1000.0;
    case kUnitsDegC:
      return temperatureC;
    case kUnitsDegF:
      return temperatureC * 1.8 + 32.0;
    case kUnitsDegR:
      return (temperatureC + 273.15) * 1.8;
    case kUnitsKelvin:
      return temperatureC + 273.15;
    default:
      return std::nullopt;
  }
}

LoopCurrent LoopCurrentForPv(double pv, double lower, double upper) {
  constexpr double kLowLimit = 3.8;
  constexpr double kHighLimit = 20.5;
  const double ideal = 4.0 + 16.0 * (pv - lower) / (upper - lower);
  if (std::isnan(ideal)) return {kLowLimit, true};
  if (ideal < kLowLimit) return {kLowLimit, true};
  if (ideal > kHighLimit) return {kHighLimit, true};
  return {ideal, false};
}

void PressureCalibration::zero(double measuredKPa) {
  offset_ -= reading(measuredKPa);
}

void PressureCalibration::low(double measuredKPa, double valueKPa) {
  offset_ = valueKPa - span_ * measuredKPa;
}

CalibrationResult PressureCalibration::high(double measuredKPa, double valueKPa) {
  return setIfPlausible((valueKPa - offset_) / measuredKPa, offset_, measuredKPa);
}

CalibrationResult PressureCalibration::mid(double measuredKPa, double valueKPa) {
  const double error = valueKPa - reading(measuredKPa);
  return setIfPlausible(span_ + error / 2.0 / measuredKPa, offset_ + error / 2.0, measuredKPa);
}

CalibrationResult PressureCalibration::setIfPlausible(double span, double offset,
                                                      double measuredKPa) {
  constexpr double kMinSpan = 0.1;
  constexpr double kMaxSpan = 10.0;
  // Too large a span means the input is too low for the value it is told, and
  // the other way round; no input at all cannot set a span.
  if (!(measuredKPa > 0.0) || !std::isfinite(span) || !std::isfinite(offset) || span > kMaxSpan) {
    return CalibrationResult::ProcessTooLow;
  }
  if (span < kMinSpan) return CalibrationResult::ProcessTooHigh;
  span_ = span;
  offset_ = offset;
  return CalibrationResult::Done;
}

double MillivoltInput::Converted(double inputMv) {
  return 1.015 * inputMv + 0.4;
}

double MillivoltInput::reading(double inputMv) const {
  return (Converted(inputMv) - atZero_) * 50.0 / (atFifty_ - atZero_);
}

void MillivoltInput::calibrateZero() {
  atZero_ = Converted(0.0);
}

void MillivoltInput::calibrateFifty() {
  atFifty_ = Converted(50.0);
}

}  // namespace vantrel::sim
