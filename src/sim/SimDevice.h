// One simulated HART field device: decides whether a request is addressed to
// it, serves the commands the program sends, and keeps what is written to it
// for as long as it exists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/Instrument.h"
#include "engine/UniqueIdentifier.h"
#include "link/HartCommands.h"
#include "link/HartFrame.h"
#include "sim/ProcessModel.h"
#include "sim/RequestParser.h"

namespace vantrel::sim {

// Field device status bit the simulated device sets itself besides
// kLoopCurrentFixed.
constexpr std::uint8_t kStatusOutputSaturated = kLoopCurrentSaturated;

// The command-48 data: 8 bytes for HART 5, 14 laid out for HART 6 and 7,
// at most 25.
constexpr std::size_t kAdditionalStatusBytesHart5 = 8;
constexpr std::size_t kAdditionalStatusBytes = 14;
constexpr std::size_t kMaxAdditionalStatusBytes = 25;
constexpr std::size_t kExtendedStatusByte = 6;
constexpr std::size_t kAnalogSaturatedByte = 10;
constexpr std::size_t kAnalogFixedByte = 13;

// Whose instrument the device is. The family's own answers the family's
// commands (112-135); the others are other makers' instruments that know
// only the common commands and answer the family's with code 64.
enum class DeviceVariant : std::uint8_t {
  Family,
  Flow,     // a mass-flow meter: PV in kg/h, SV the fluid temperature
  Foreign,  // a pressure transmitter: PV in kPa, SV the sensor temperature
};

struct SimDeviceConfig {
  std::uint8_t pollAddress = 0;
  UniqueIdentifier identity;
  std::uint8_t responsePreambles = 5;  // preamble bytes in front of each response
  std::uint8_t deviceStatus = 0;       // status bits always set, besides the device's own
  DeviceVariant variant = DeviceVariant::Family;
  // Successful configuration writes set "configuration changed" and (HART 6
  // and 7) count up the configuration change counter of command 0. The
  // family's HART 5 instrument does neither: its replies stay as they were.
  bool tracksConfigurationChanged = false;
  // The command-48 data the device reports, up to 25 bytes; shorter data is
  // padded with zeros to the revision's length (8 bytes for HART 5, 14 for
  // HART 6 and 7).
  std::vector<std::uint8_t> additionalStatus;
  // Called with the polling address when command 72 (squawk) is served.
  std::function<void(std::uint8_t pollAddress)> onSquawk;
  // The pressure applied, in kPa, step by step for a check against a
  // reference: the first reading of the current and variables (command 3)
  // sees the first, each one after it the next, and the last stays. Empty:
  // the process model's slowly moving pressure.
  std::vector<double> appliedKPa;
};

// The identity of the simulated device at `pollAddress`: manufacturer 0x5A,
// device type 0x10, device id 01 02 03 plus the polling address.
SimDeviceConfig DefaultDeviceConfig(std::uint8_t pollAddress);

// The same device as another maker's model of HART revision `revision` (5, 6
// or 7): HART 5 and 6 send the manufacturer and device type in one byte each,
// HART 7 the expanded device type in bytes 1-2 and the manufacturer code in
// bytes 17-18 of its 22-byte identity. HART 6 and 7 devices track the
// configuration-changed flag and counter.
SimDeviceConfig ModelDeviceConfig(std::uint8_t pollAddress, const InstrumentModel& model,
                                  int revision);

// What the device keeps: everything the program can write, with the values a
// fresh device starts with.
struct SimDeviceState {
  std::array<std::uint8_t, 24> message{};       // packed ASCII, 32 characters
  std::array<std::uint8_t, 6> tag{};            // packed ASCII, 8 characters
  std::array<std::uint8_t, 12> descriptor{};    // packed ASCII, 16 characters
  std::array<std::uint8_t, 32> longTag{};       // ISO Latin-1, NUL-padded (HART 6 and 7)
  std::array<std::uint8_t, 3> date{1, 1, 124};  // day, month, year - 1900
  std::uint8_t alarmSelection = 0;              // 0: high
  std::uint8_t transferFunction = 0;            // 0: linear
  std::uint8_t writeProtect = 0;                // 0: not protected
  std::uint8_t privateLabel = 0;
  std::uint8_t pvUnits = kUnitsKPa;
  float upperRange = 100.0f;
  float lowerRange = 0.0f;
  float damping = 0.5f;  // seconds
  bool fixedCurrent = false;
  float fixedCurrentMa = 0.0f;
  bool loopCurrentEnabled = true;  // HART 6 and 7: disabled holds 4 mA (multidrop)
  bool configurationChanged = false;
  // The command-48 data last acknowledged; "more status available" stands
  // while the data has a non-zero byte and differs from it.
  std::vector<std::uint8_t> acknowledgedStatus;
  double flowZeroKgH = 0.0;  // the flow meter's zero, set by command 43
  float trimZeroMa = 4.0f;   // last current measured at the 4 mA point
  float trimGainMa = 20.0f;  // last current measured at the 20 mA point
  std::int32_t rRef = 0;
  std::int32_t vRef = 0;
  std::uint8_t sensorType = kSensorPt100;
  std::int16_t offsetTenths = 0;  // temperature correction, 0.1 °C
  std::uint8_t gainIndex = 0;
  PressureCalibration pressure;
  MillivoltInput millivolts;
};

// How a response is framed: on the serial line with the device's preambles
// in front, over HART-IP from its delimiter on.
enum class ResponseFraming { SerialLine, Bare };

class SimDevice {
 public:
  explicit SimDevice(const SimDeviceConfig& config);

  // The configuration as it stands now: commands 6 and 113 change the polling
  // address and the identity.
  const SimDeviceConfig& config() const { return config_; }
  const SimDeviceState& state() const { return state_; }

  // Short frame: the polling address in bits 5-0 of the address byte. Long
  // frame: manufacturer bits 5-0, device type and device id.
  bool isAddressedBy(const Request& request) const;

  // Serves the request as at time `nowMs` (a monotonic clock in ms; the
  // process signals depend on it) and builds the whole response frame,
  // preambles (on the serial line) through check byte.
  std::vector<std::uint8_t> respond(const Request& request, TimeMs nowMs = 0,
                                    ResponseFraming framing = ResponseFraming::SerialLine);

  // Answers `request` with `responseCode` and no data, without acting on it
  // (busy, a delayed response, a garbled request). A communication-error
  // code carries no device status.
  std::vector<std::uint8_t> answerWithoutActing(
      const Request& request, std::uint8_t responseCode, TimeMs nowMs = 0,
      ResponseFraming framing = ResponseFraming::SerialLine) const;

 private:
  struct Reply {
    std::uint8_t code = RC_SUCCESS;
    std::vector<std::uint8_t> data;
  };
  using Data = std::vector<std::uint8_t>;
  using Handler = Reply (SimDevice::*)(const Data& data, TimeMs now);
  // How the device serves a command; the request size it insists on (fewer
  // data bytes get response code 5) is the command table's.
  struct Command {
    HartCommand number;
    Handler handler;
    bool configures;   // a successful reply changes the configuration
    int fromRevision;  // older revisions answer 64
  };
  static const Command kCommands[];

  // 5, 6 or 7: the layout of the device's identity.
  int revision() const { return config_.identity.layout; }
  // True when the device serves `command` at all.
  bool serves(const Command& command) const;
  void noteConfigurationChanged();

  std::uint8_t preamblesFor(ResponseFraming framing) const {
    return framing == ResponseFraming::SerialLine ? config_.responsePreambles : 0;
  }

  // The process as the device reads it at `now`.
  double appliedKPa(TimeMs now) const;
  double pressureKPa(TimeMs now) const;
  double temperatureC(TimeMs now) const;
  double primaryVariable(TimeMs now) const;
  double massFlowKgH(TimeMs now) const;
  double resistanceOhms(TimeMs now) const;
  double millivolts(TimeMs now) const;
  LoopCurrent loopCurrent(TimeMs now) const;
  // The long address as the program shows it: manufacturer bits 6-0, device
  // type, device id.
  Data shownLongAddress() const;

  Reply readUniqueIdentifier(const Data& data, TimeMs now);
  Reply readCurrentAndVariables(const Data& data, TimeMs now);
  Reply writePollingAddress(const Data& data, TimeMs now);
  Reply readMessage(const Data& data, TimeMs now);
  Reply readTagDescriptorDate(const Data& data, TimeMs now);
  Reply readOutputInformation(const Data& data, TimeMs now);
  Reply writeMessage(const Data& data, TimeMs now);
  Reply writeTagDescriptorDate(const Data& data, TimeMs now);
  Reply writeDamping(const Data& data, TimeMs now);
  Reply writeRange(const Data& data, TimeMs now);
  Reply setFixedCurrent(const Data& data, TimeMs now);
  Reply setPvZero(const Data& data, TimeMs now);
  Reply trimCurrentZero(const Data& data, TimeMs now);
  Reply trimCurrentGain(const Data& data, TimeMs now);
  Reply readDynamicVariables(const Data& data, TimeMs now);
  Reply calibrateResistance(const Data& data, TimeMs now);
  Reply writeLongAddress(const Data& data, TimeMs now);
  Reply readSensorType(const Data& data, TimeMs now);
  Reply writeSensorType(const Data& data, TimeMs now);
  Reply calibrateMillivolts(const Data& data, TimeMs now);
  Reply readOffset(const Data& data, TimeMs now);
  Reply writeOffset(const Data& data, TimeMs now);
  Reply readReferences(const Data& data, TimeMs now);
  Reply readMillivolts(const Data& data, TimeMs now);
  Reply calibrateHigh(const Data& data, TimeMs now);
  Reply calibrateLow(const Data& data, TimeMs now);
  Reply calibrateMid(const Data& data, TimeMs now);
  Reply readGain(const Data& data, TimeMs now);
  Reply writeGain(const Data& data, TimeMs now);
  Reply readPressureCode(const Data& data, TimeMs now);
  Reply readLongTag(const Data& data, TimeMs now);
  Reply writeLongTag(const Data& data, TimeMs now);
  Reply resetConfigurationChanged(const Data& data, TimeMs now);
  Reply readAdditionalStatus(const Data& data, TimeMs now);
  Reply squawk(const Data& data, TimeMs now);

  // Checks the units byte and value of a pressure calibration (130-132).
  static bool ValidPressurePoint(const Data& data, float* valueKPa);
  Reply pressureCalibrated(CalibrationResult result) const;
  // The field device status as the device stands at `now`.
  std::uint8_t deviceStatus(TimeMs now) const;
  // The command-48 data as the device stands at `now`: the configured bytes,
  // and for HART 6 and 7 the analog channel saturated (byte 10) and fixed
  // (byte 13) bits of the loop current.
  Data additionalStatus(TimeMs now) const;
  bool moreStatusAvailable(TimeMs now) const;
  void appendVariables(Data& out, TimeMs now) const;

  SimDeviceConfig config_;
  SimDeviceState state_;
  std::size_t appliedStep_ = 0;  // the step of config_.appliedKPa applied now
};

// Builds a response (ACK) frame to `request`: preambles, delimiter 0x06 or
// 0x86 matching the request's address form, the address as received, the
// command, byte count, response code, device status, data and check byte.
std::vector<std::uint8_t> BuildResponseFrame(const Request& request, std::uint8_t preambles,
                                             std::uint8_t responseCode, std::uint8_t deviceStatus,
                                             const std::vector<std::uint8_t>& data);

}  // namespace vantrel::sim
