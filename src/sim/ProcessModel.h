// The physics behind the simulated instrument: what the process presents to
// its sensors at a given time, and how the device turns that into readings
// through its calibrations. Everything is a function of the time it is given,
// so the same time always gives the same readings.
#pragma once

#include <cstdint>
#include <optional>

#include "link/HartFrame.h"

namespace vantrel::sim {

// HART units codes the device uses.
constexpr std::uint8_t kUnitsPa = 11;
constexpr std::uint8_t kUnitsKPa = 12;
constexpr std::uint8_t kUnitsCubicMetrePerHour = 19;
constexpr std::uint8_t kUnitsDegC = 32;
constexpr std::uint8_t kUnitsDegF = 33;
constexpr std::uint8_t kUnitsDegR = 34;
constexpr std::uint8_t kUnitsKelvin = 35;
constexpr std::uint8_t kUnitsMillivolt = 36;
constexpr std::uint8_t kUnitsOhm = 37;
constexpr std::uint8_t kUnitsMilliamp = 39;
constexpr std::uint8_t kUnitsMetre = 45;
constexpr std::uint8_t kUnitsCentimetre = 48;
constexpr std::uint8_t kUnitsMillimetre = 49;
constexpr std::uint8_t kUnitsPercent = 57;
constexpr std::uint8_t kUnitsKgPerHour = 75;
constexpr std::uint8_t kUnitsKgPerCubicMetre = 92;
constexpr std::uint8_t kUnitsMPa = 237;

// Sensor types 0-7 are thermocouples (K, E, S, B, J, T, R, N), 8-11 resistance
// thermometers (Pt100, Cu100, Cu50, Pt1000).
constexpr std::uint8_t kSensorTypeCount = 12;
constexpr std::uint8_t kSensorPt100 = 8;
// Gain steps 1, 2, 4 ... 64.
constexpr std::uint8_t kGainStepCount = 7;

// The process at time `t`: a pressure near 50 kPa, a temperature near 25 °C
// and a millivolt source near 20 mV, each wandering slowly by a fraction of a
// percent. At t = 0 they are exactly 50 kPa, 25 °C and 20 mV.
double AppliedPressureKPa(TimeMs t);
double ProcessTemperatureC(TimeMs t);
double SourceMillivolts(TimeMs t);

// What the flow meter sees at time `t`: a mass flow near 2500 kg/h wandering
// by about 1 % (exactly 2500 at t = 0), of a fluid near 998.2 kg/m3 (exactly
// that at t = 0).
double MassFlowKgH(TimeMs t);
double FluidDensityKgM3(TimeMs t);

// Raw counts of the two reference channels of the resistance input (first
// near 800000, second near 200000), with a little noise over time.
std::int32_t ReferenceCounts(int channel, TimeMs t);

// Raw count of the pressure converter: 0x00800000 + gain x 1000 counts per kPa,
// where gain is 2 to the power `gainIndex`.
std::uint32_t PressureCode(double pressureKPa, std::uint8_t gainIndex);

// Resistance of the sensor at `temperatureC`: the resistance thermometer
// itself for types 8-11; for the thermocouples the cold-junction Pt100 at the
// terminals, which sit at 25 °C.
double SensorResistanceOhms(std::uint8_t sensorType, double temperatureC);

// True for the units the primary variable can be given in: the pressure,
// water-column level and temperature units of the configuration page.
bool IsPvUnitsCode(std::uint8_t code);

// The primary variable in `unitsCode`: the pressure for pressure units, the
// same pressure as metres of water column for length units, the temperature
// for temperature units. nullopt for a code IsPvUnitsCode refuses.
std::optional<double> PrimaryInUnits(std::uint8_t unitsCode, double pressureKPa,
                                     double temperatureC);

// Loop current for `pv` over the range: 4 + 16 x (pv - lower) / (upper - lower),
// held between 3.8 and 20.5 mA like a real output stage.
struct LoopCurrent {
  double milliamps;
  bool saturated;
};
LoopCurrent LoopCurrentForPv(double pv, double lower, double upper);

// Outcome of a calibration that may be refused: the HART response codes 9
// (applied process too high) and 10 (applied process too low).
enum class CalibrationResult : std::uint8_t { Done = 0, ProcessTooHigh = 9, ProcessTooLow = 10 };

// The device's pressure calibration: reading (kPa) = span x measured + offset.
// Each step takes the present input as the pressure it is told and keeps the
// span between 0.1 and 10; a step that would leave it changes nothing.
class PressureCalibration {
 public:
  double reading(double measuredKPa) const { return span_ * measuredKPa + offset_; }

  // Set PV zero: the offset moves so that the reading is 0 now.
  void zero(double measuredKPa);
  // Low end: the offset moves so that the reading is `valueKPa` now.
  void low(double measuredKPa, double valueKPa);
  // High end: the span changes so that the reading is `valueKPa` now; the
  // reading at zero input (the offset) stays.
  CalibrationResult high(double measuredKPa, double valueKPa);
  // Mid point: the error at the present input is shared evenly between the
  // offset and the span, so that the reading is `valueKPa` now.
  CalibrationResult mid(double measuredKPa, double valueKPa);

  double span() const { return span_; }
  double offset() const { return offset_; }

 private:
  CalibrationResult setIfPlausible(double span, double offset, double measuredKPa);

  double span_ = 1.0;
  double offset_ = 0.0;
};

// The millivolt input. Uncalibrated it reads 1.5 % high plus 0.4 mV; the 0 mV
// and 50 mV calibrations take the reference as applied exactly and record the
// converter's output for it, which removes that error.
class MillivoltInput {
 public:
  double reading(double inputMv) const;
  void calibrateZero();
  void calibrateFifty();

 private:
  static double Converted(double inputMv);

  double atZero_ = 0.0;
  double atFifty_ = 50.0;
};

}  // namespace vantrel::sim
