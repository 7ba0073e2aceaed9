#include "sim/SimDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sim/ByteCodec.h"

namespace vantrel::sim {
namespace {

constexpr std::uint8_t kMaxPollAddress = 63;
constexpr std::uint8_t kLastHart5PollAddress = 15;
constexpr double kMultidropCurrentMa = 4.0;
constexpr float kMaxDampingS = 60.0f;

// The key bytes in front of the device-specific requests.
bool Key(const std::vector<std::uint8_t>& data, std::uint8_t first, std::uint8_t second) {
  return data[0] == first && data[1] == second;
}

}  // namespace

SimDeviceConfig DefaultDeviceConfig(std::uint8_t pollAddress) {
  SimDeviceConfig config;
  config.pollAddress = pollAddress;
  config.identity.manufacturerId = 0x5A;
  config.identity.deviceType = 0x10;
  config.identity.deviceId = {0x01, 0x02, static_cast<std::uint8_t>(0x03 + pollAddress)};
  return config;
}

SimDeviceConfig ModelDeviceConfig(std::uint8_t pollAddress, const InstrumentModel& model,
                                  int revision) {
  SimDeviceConfig config = DefaultDeviceConfig(pollAddress);
  UniqueIdentifier& id = config.identity;
  id.universalRevision = static_cast<std::uint8_t>(revision);
  id.layout = revision >= 7 ? 7 : (revision == 6 ? 6 : 5);
  if (id.layout == 7) {
    id.manufacturerId = static_cast<std::uint8_t>(model.deviceType >> 8);
    id.deviceType = static_cast<std::uint8_t>(model.deviceType & 0xFF);
    id.manufacturerCode = model.manufacturer;
  } else {
    id.manufacturerId = static_cast<std::uint8_t>(model.manufacturer & 0xFF);
    id.deviceType = static_cast<std::uint8_t>(model.deviceType & 0xFF);
  }
  if (id.layout >= 6) {
    id.responsePreambles = 5;
    id.maxDeviceVariables = 4;
    id.configChangeCounter = 1;
    config.tracksConfigurationChanged = true;
  }
  return config;
}

// Whether a successful reply changes the configuration (and so sets the
// configuration-changed flag), and the first revision that has the command.
constexpr bool kWrites = true;
constexpr bool kReads = false;

// clang-format off
const SimDevice::Command SimDevice::kCommands[] = {
    {CMD_READ_UNIQUE_ID, &SimDevice::readUniqueIdentifier, kReads, 5},
    {CMD_READ_CURRENT_AND_VARIABLES, &SimDevice::readCurrentAndVariables, kReads, 5},
    {CMD_WRITE_POLLING_ADDRESS, &SimDevice::writePollingAddress, kWrites, 5},
    {CMD_READ_MESSAGE, &SimDevice::readMessage, kReads, 5},
    {CMD_READ_TAG_DESCRIPTOR_DATE, &SimDevice::readTagDescriptorDate, kReads, 5},
    {CMD_READ_OUTPUT_INFORMATION, &SimDevice::readOutputInformation, kReads, 5},
    {CMD_WRITE_MESSAGE, &SimDevice::writeMessage, kWrites, 5},
    {CMD_WRITE_TAG_DESCRIPTOR_DATE, &SimDevice::writeTagDescriptorDate, kWrites, 5},
    {CMD_READ_LONG_TAG, &SimDevice::readLongTag, kReads, 6},
    {CMD_WRITE_LONG_TAG, &SimDevice::writeLongTag, kWrites, 6},
    {CMD_WRITE_DAMPING, &SimDevice::writeDamping, kWrites, 5},
    {CMD_WRITE_RANGE_VALUES, &SimDevice::writeRange, kWrites, 5},
    {CMD_RESET_CONFIGURATION_CHANGED, &SimDevice::resetConfigurationChanged, kReads, 5},
    {CMD_SET_FIXED_CURRENT, &SimDevice::setFixedCurrent, kReads, 5},
    {CMD_SET_PV_ZERO, &SimDevice::setPvZero, kWrites, 5},
    {CMD_TRIM_CURRENT_ZERO, &SimDevice::trimCurrentZero, kWrites, 5},
    {CMD_TRIM_CURRENT_GAIN, &SimDevice::trimCurrentGain, kWrites, 5},
    {CMD_READ_ADDITIONAL_STATUS, &SimDevice::readAdditionalStatus, kReads, 5},
    {CMD_SQUAWK, &SimDevice::squawk, kReads, 6},
    {CMD_READ_DYNAMIC_VARIABLES, &SimDevice::readDynamicVariables, kReads, 5},
    {CMD_CALIBRATE_RESISTANCE, &SimDevice::calibrateResistance, kWrites, 5},
    {CMD_WRITE_LONG_ADDRESS, &SimDevice::writeLongAddress, kWrites, 5},
    {CMD_READ_SENSOR_TYPE, &SimDevice::readSensorType, kReads, 5},
    {CMD_WRITE_SENSOR_TYPE, &SimDevice::writeSensorType, kWrites, 5},
    {CMD_CALIBRATE_MILLIVOLTS, &SimDevice::calibrateMillivolts, kWrites, 5},
    {CMD_READ_OFFSET, &SimDevice::readOffset, kReads, 5},
    {CMD_WRITE_OFFSET, &SimDevice::writeOffset, kWrites, 5},
    {CMD_READ_REFERENCES, &SimDevice::readReferences, kReads, 5},
    {CMD_READ_MILLIVOLTS, &SimDevice::readMillivolts, kReads, 5},
    {CMD_CALIBRATE_HIGH, &SimDevice::calibrateHigh, kWrites, 5},
    {CMD_CALIBRATE_LOW, &SimDevice::calibrateLow, kWrites, 5},
    {CMD_CALIBRATE_MID, &SimDevice::calibrateMid, kWrites, 5},
    {CMD_READ_GAIN, &SimDevice::readGain, kReads, 5},
    {CMD_WRITE_GAIN, &SimDevice::writeGain, kWrites, 5},
    {CMD_READ_PRESSURE_CODE, &SimDevice::readPressureCode, kReads, 5},
};
// clang-format on

SimDevice::SimDevice(const SimDeviceConfig& config) : config_(config) {
  const bool flow = config.variant == DeviceVariant::Flow;
  const char* prefix = flow ? "FT" : "PT";
  const unsigned address = config.pollAddress;
  char tag[16];
  std::snprintf(tag, sizeof tag, "%s-%02u", prefix, address);
  PackAscii(tag, state_.tag.data(), state_.tag.size());
  std::snprintf(tag, sizeof tag, "SIMULATED %s", prefix);
  PackAscii(tag, state_.descriptor.data(), state_.descriptor.size());
  PackAscii("VANTREL SIMULATED INSTRUMENT", state_.message.data(), state_.message.size());
  char longTag[33];
  std::snprintf(longTag, sizeof longTag, "%s-%02u SIMULATED", prefix, address);
  std::copy_n(longTag, std::strlen(longTag), state_.longTag.begin());
  state_.privateLabel = config.identity.manufacturerId;
  if (flow) {
    state_.pvUnits = kUnitsKgPerHour;
    state_.upperRange = 5000.0f;
  } else if (config.variant == DeviceVariant::Foreign) {
    state_.upperRange = 250.0f;
  }
}

bool SimDevice::isAddressedBy(const Request& request) const {
  if (!request.isLong()) return PollingAddressOf(request.address[0]) == config_.pollAddress;
  return IsLongAddressOf(request.address, IdentityBytes(config_.identity));
}

std::vector<std::uint8_t> SimDevice::respond(const Request& request, TimeMs nowMs,
                                             ResponseFraming framing) {
  Reply reply{RC_COMMAND_NOT_IMPLEMENTED, {}};
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return c.number == request.command; });
  if (command != std::end(kCommands) && serves(*command)) {
    const HartCommandInfo* info = FindHartCommand(command->number);
    if (request.data.size() < static_cast<std::size_t>(info->requestBytes)) {
      reply.code = RC_TOO_FEW_DATA_BYTES;
    } else {
      reply = (this->*command->handler)(request.data, nowMs);
      if (reply.code == RC_SUCCESS && command->configures) noteConfigurationChanged();
    }
  }
  // The status describes the device after the request: a command 40 reply
  // already shows the fixed output it entered.
  return BuildResponseFrame(request, preamblesFor(framing), reply.code, deviceStatus(nowMs),
                            reply.data);
}

std::vector<std::uint8_t> SimDevice::answerWithoutActing(const Request& request,
                                                         std::uint8_t responseCode, TimeMs nowMs,
                                                         ResponseFraming framing) const {
  const std::uint8_t status =
      (responseCode & kCommunicationErrorBit) ? std::uint8_t{0} : deviceStatus(nowMs);
  return BuildResponseFrame(request, preamblesFor(framing), responseCode, status, {});
}

bool SimDevice::serves(const Command& command) const {
  if (revision() < command.fromRevision) return false;
  if (config_.variant == DeviceVariant::Family) return true;
  return FindHartCommand(command.number)->commandClass != CommandClass::FamilySpecific;
}

void SimDevice::noteConfigurationChanged() {
  if (!config_.tracksConfigurationChanged) return;
  state_.configurationChanged = true;
  if (revision() >= 6) ++config_.identity.configChangeCounter;  // wraps at 65535
}

std::uint8_t SimDevice::deviceStatus(TimeMs now) const {
  std::uint8_t status = config_.deviceStatus;
  if (state_.fixedCurrent) status |= kLoopCurrentFixed;
  if (loopCurrent(now).saturated) status |= kStatusOutputSaturated;
  if (state_.configurationChanged) status |= kConfigurationChanged;
  if (moreStatusAvailable(now)) status |= kMoreStatusAvailable;
  return status;
}

double SimDevice::appliedKPa(TimeMs now) const {
  const std::vector<double>& steps = config_.appliedKPa;
  if (steps.empty()) return AppliedPressureKPa(now);
  return steps[std::min(appliedStep_, steps.size() - 1)];
}

double SimDevice::pressureKPa(TimeMs now) const {
  return state_.pressure.reading(appliedKPa(now));
}

double SimDevice::temperatureC(TimeMs now) const {
  return ProcessTemperatureC(now) + state_.offsetTenths / 10.0;
}

// The family's instrument gives the PV in its units; the other makers' keep
// their own reading whatever units code was written.
double SimDevice::primaryVariable(TimeMs now) const {
  if (config_.variant == DeviceVariant::Flow) return massFlowKgH(now);
  const double pressure = pressureKPa(now);
  if (config_.variant == DeviceVariant::Foreign) return pressure;
  return PrimaryInUnits(state_.pvUnits, pressure, temperatureC(now)).value_or(pressure);
}

double SimDevice::massFlowKgH(TimeMs now) const {
  return MassFlowKgH(now) - state_.flowZeroKgH;
}

double SimDevice::resistanceOhms(TimeMs now) const {
  return SensorResistanceOhms(state_.sensorType, ProcessTemperatureC(now));
}

double SimDevice::millivolts(TimeMs now) const {
  return state_.millivolts.reading(SourceMillivolts(now));
}

// A fixed current is what it was set to; with the loop current mode disabled
// (multidrop) the output stays at 4 mA.
LoopCurrent SimDevice::loopCurrent(TimeMs now) const {
  if (state_.fixedCurrent) return {state_.fixedCurrentMa, false};
  if (!state_.loopCurrentEnabled) return {kMultidropCurrentMa, false};
  return LoopCurrentForPv(primaryVariable(now), state_.lowerRange, state_.upperRange);
}

SimDevice::Data SimDevice::shownLongAddress() const {
  const LongAddressBytes shown = LongAddressToShow(IdentityBytes(config_.identity));
  return {shown.begin(), shown.end()};
}

// PV, SV, TV and QV. The family's: its PV, the temperature, the sensor
// resistance, the millivolt reading. The flow meter's: mass flow, fluid
// temperature, density, volume flow. The pressure transmitter's: pressure,
// sensor temperature, loop current, percent of range.
void SimDevice::appendVariables(Data& out, TimeMs now) const {
  const double pv = primaryVariable(now);
  const auto put = [&out](std::uint8_t units, double value) {
    out.push_back(units);
    PutFloat(out, static_cast<float>(value));
  };
  put(state_.pvUnits, pv);
  put(kUnitsDegC, temperatureC(now));
  switch (config_.variant) {
    case DeviceVariant::Family:
      put(kUnitsOhm, resistanceOhms(now));
      put(kUnitsMillivolt, millivolts(now));
      break;
    case DeviceVariant::Flow:
      put(kUnitsKgPerCubicMetre, FluidDensityKgM3(now));
      put(kUnitsCubicMetrePerHour, pv / FluidDensityKgM3(now));
      break;
    case DeviceVariant::Foreign:
      put(kUnitsMilliamp, loopCurrent(now).milliamps);
      put(kUnitsPercent,
          100.0 * (pv - state_.lowerRange) / (state_.upperRange - state_.lowerRange));
      break;
  }
}

// Command 0: the identity block of the device's revision (12 bytes for
// HART 5), with the identity as it stands now.
// HART 6 and 7 carry the extended device status (command-48 byte 6) and the
// configuration change counter.
SimDevice::Reply SimDevice::readUniqueIdentifier(const Data&, TimeMs now) {
  UniqueIdentifier id = config_.identity;
  if (id.layout >= 6) id.extendedStatus = additionalStatus(now)[kExtendedStatusByte];
  return {RC_SUCCESS, EncodeIdentityBlock(id)};
}

// Command 3: loop current, then PV, SV, TV and QV, each units code and float.
SimDevice::Reply SimDevice::readCurrentAndVariables(const Data&, TimeMs now) {
  Reply reply;
  PutFloat(reply.data, static_cast<float>(loopCurrent(now).milliamps));
  appendVariables(reply.data, now);
  ++appliedStep_;  // the next reading sees the next step of the pressure applied
  return reply;
}

// Command 6: the device answers at the new address from the next request on.
// HART 5 takes one byte, address 0-15. HART 6 and 7 take the address 0-63
// and the loop current mode (0 disabled, 1 enabled) and echo both; a one-byte
// request is answered as HART 5 would, the mode left as it is.
SimDevice::Reply SimDevice::writePollingAddress(const Data& data, TimeMs) {
  if (revision() < 6 || data.size() < 2) {
    if (data[0] > kLastHart5PollAddress) return {RC_INVALID_SELECTION, {}};
    config_.pollAddress = data[0];
    return {RC_SUCCESS, {data[0]}};
  }
  if (data[0] > kMaxPollAddress || data[1] > 1) return {RC_INVALID_SELECTION, {}};
  config_.pollAddress = data[0];
  state_.loopCurrentEnabled = data[1] == 1;
  return {RC_SUCCESS, {data[0], data[1]}};
}

SimDevice::Reply SimDevice::readMessage(const Data&, TimeMs) {
  return {RC_SUCCESS, {state_.message.begin(), state_.message.end()}};
}

// Command 13: tag (6), descriptor (12), day, month, year - 1900.
SimDevice::Reply SimDevice::readTagDescriptorDate(const Data&, TimeMs) {
  Reply reply;
  reply.data.insert(reply.data.end(), state_.tag.begin(), state_.tag.end());
  reply.data.insert(reply.data.end(), state_.descriptor.begin(), state_.descriptor.end());
  reply.data.insert(reply.data.end(), state_.date.begin(), state_.date.end());
  return reply;
}

// Command 15: alarm selection, transfer function, units, upper and lower
// range value, damping, write protect, private label.
SimDevice::Reply SimDevice::readOutputInformation(const Data&, TimeMs) {
  Reply reply;
  reply.data = {state_.alarmSelection, state_.transferFunction, state_.pvUnits};
  PutFloat(reply.data, state_.upperRange);
  PutFloat(reply.data, state_.lowerRange);
  PutFloat(reply.data, state_.damping);
  reply.data.push_back(state_.writeProtect);
  reply.data.push_back(state_.privateLabel);
  return reply;
}

SimDevice::Reply SimDevice::writeMessage(const Data& data, TimeMs) {
  std::copy_n(data.begin(), state_.message.size(), state_.message.begin());
  return {RC_SUCCESS, {state_.message.begin(), state_.message.end()}};
}

// Command 18: tag (6), descriptor (12), day, month, year - 1900; the reply
// echoes the 21 bytes.
SimDevice::Reply SimDevice::writeTagDescriptorDate(const Data& data, TimeMs now) {
  const std::uint8_t* in = data.data();
  std::copy_n(in, state_.tag.size(), state_.tag.begin());
  in += state_.tag.size();
  std::copy_n(in, state_.descriptor.size(), state_.descriptor.begin());
  in += state_.descriptor.size();
  std::copy_n(in, state_.date.size(), state_.date.begin());
  return readTagDescriptorDate(data, now);
}

SimDevice::Reply SimDevice::writeDamping(const Data& data, TimeMs) {
  const float damping = ReadFloatBE(data.data());
  if (std::isnan(damping)) return {RC_INVALID_SELECTION, {}};
  if (damping < 0.0f) return {RC_TOO_SMALL, {}};
  if (damping > kMaxDampingS) return {RC_TOO_LARGE, {}};
  state_.damping = damping;
  return {RC_SUCCESS, {data.begin(), data.begin() + 4}};
}

// Command 35: units code, upper range value, lower range value; a range with
// no span, or with a value that is not a number, is refused.
// The other makers' devices take any units code.
SimDevice::Reply SimDevice::writeRange(const Data& data, TimeMs) {
  const bool family = config_.variant == DeviceVariant::Family;
  if (family && !IsPvUnitsCode(data[0])) return {RC_INVALID_SELECTION, {}};
  const float upper = ReadFloatBE(data.data() + 1);
  const float lower = ReadFloatBE(data.data() + 5);
  if (!std::isfinite(upper) || !std::isfinite(lower) || upper == lower) {
    return {RC_INVALID_SPAN, {}};
  }
  state_.pvUnits = data[0];
  state_.upperRange = upper;
  state_.lowerRange = lower;
  return {RC_SUCCESS, {data.begin(), data.begin() + 9}};
}

// Command 40: 0 mA leaves fixed-current mode, any other current enters it.
SimDevice::Reply SimDevice::setFixedCurrent(const Data& data, TimeMs) {
  const float current = ReadFloatBE(data.data());
  if (!std::isfinite(current)) return {RC_INVALID_SELECTION, {}};
  state_.fixedCurrent = current != 0.0f;
  state_.fixedCurrentMa = current;
  return {RC_SUCCESS, {data.begin(), data.begin() + 4}};
}

// Command 43 and the other calibrations answer with the long address, which
// is how the program tells that the device took them.
SimDevice::Reply SimDevice::setPvZero(const Data&, TimeMs now) {
  if (config_.variant == DeviceVariant::Flow) {
    state_.flowZeroKgH = MassFlowKgH(now);
  } else {
    state_.pressure.zero(appliedKPa(now));
  }
  return {RC_SUCCESS, shownLongAddress()};
}

SimDevice::Reply SimDevice::trimCurrentZero(const Data& data, TimeMs) {
  state_.trimZeroMa = ReadFloatBE(data.data());
  return {RC_SUCCESS, {data.begin(), data.begin() + 4}};
}

SimDevice::Reply SimDevice::trimCurrentGain(const Data& data, TimeMs) {
  state_.trimGainMa = ReadFloatBE(data.data());
  return {RC_SUCCESS, {data.begin(), data.begin() + 4}};
}

// Command 110: PV, SV, TV and QV, each units code and float.
SimDevice::Reply SimDevice::readDynamicVariables(const Data&, TimeMs now) {
  Reply reply;
  appendVariables(reply.data, now);
  return reply;
}

SimDevice::Reply SimDevice::calibrateResistance(const Data& data, TimeMs) {
  state_.rRef = ReadInt32BE(data.data());
  state_.vRef = ReadInt32BE(data.data() + 4);
  return {RC_SUCCESS, {data.begin(), data.begin() + 8}};
}

// Command 113: manufacturer byte, device type and device id, taken as sent.
// The reply still goes to the old address; later requests must use the new.
SimDevice::Reply SimDevice::writeLongAddress(const Data& data, TimeMs) {
  UniqueIdentifier& id = config_.identity;
  id.manufacturerId = data[0];
  id.deviceType = data[1];
  id.deviceId = {data[2], data[3], data[4]};
  return {RC_SUCCESS, {data.begin(), data.begin() + 5}};
}

SimDevice::Reply SimDevice::readSensorType(const Data&, TimeMs) {
  return {RC_SUCCESS, {state_.sensorType}};
}

// Command 115: key A5 5A, then the sensor-type index.
SimDevice::Reply SimDevice::writeSensorType(const Data& data, TimeMs) {
  if (!Key(data, 0xA5, 0x5A) || data[2] >= kSensorTypeCount) {
    return {RC_INVALID_SELECTION, {}};
  }
  state_.sensorType = data[2];
  return {RC_SUCCESS, {data[2]}};
}

// Command 116: AA 55 with 50 mV applied, 55 AA with 0 mV.
SimDevice::Reply SimDevice::calibrateMillivolts(const Data& data, TimeMs) {
  if (Key(data, 0xAA, 0x55)) {
    state_.millivolts.calibrateFifty();
  } else if (Key(data, 0x55, 0xAA)) {
    state_.millivolts.calibrateZero();
  } else {
    return {RC_INVALID_SELECTION, {}};
  }
  return {RC_SUCCESS, shownLongAddress()};
}

SimDevice::Reply SimDevice::readOffset(const Data&, TimeMs) {
  Reply reply;
  PutInt16(reply.data, state_.offsetTenths);
  return reply;
}

SimDevice::Reply SimDevice::writeOffset(const Data& data, TimeMs) {
  state_.offsetTenths = ReadInt16BE(data.data());
  return {RC_SUCCESS, {data.begin(), data.begin() + 2}};
}

SimDevice::Reply SimDevice::readReferences(const Data& data, TimeMs now) {
  if (!Key(data, 0xAA, 0x55)) return {RC_INVALID_SELECTION, {}};
  Reply reply;
  PutInt32(reply.data, ReferenceCounts(0, now));
  PutInt32(reply.data, ReferenceCounts(1, now));
  return reply;
}

SimDevice::Reply SimDevice::readMillivolts(const Data& data, TimeMs now) {
  if (!Key(data, 0xAA, 0x55)) return {RC_INVALID_SELECTION, {}};
  Reply reply;
  PutInt32(reply.data, static_cast<std::int32_t>(std::lround(millivolts(now))));
  return reply;
}

bool SimDevice::ValidPressurePoint(const Data& data, float* valueKPa) {
  *valueKPa = ReadFloatBE(data.data() + 1);
  return data[0] == kUnitsKPa && std::isfinite(*valueKPa);
}

SimDevice::Reply SimDevice::pressureCalibrated(CalibrationResult result) const {
  if (result != CalibrationResult::Done) return {static_cast<std::uint8_t>(result), {}};
  return {RC_SUCCESS, shownLongAddress()};
}

SimDevice::Reply SimDevice::calibrateHigh(const Data& data, TimeMs now) {
  float value = 0.0f;
  if (!ValidPressurePoint(data, &value)) return {RC_INVALID_SELECTION, {}};
  return pressureCalibrated(state_.pressure.high(appliedKPa(now), value));
}

SimDevice::Reply SimDevice::calibrateLow(const Data& data, TimeMs now) {
  float value = 0.0f;
  if (!ValidPressurePoint(data, &value)) return {RC_INVALID_SELECTION, {}};
  state_.pressure.low(appliedKPa(now), value);
  return pressureCalibrated(CalibrationResult::Done);
}

SimDevice::Reply SimDevice::calibrateMid(const Data& data, TimeMs now) {
  float value = 0.0f;
  if (!ValidPressurePoint(data, &value)) return {RC_INVALID_SELECTION, {}};
  return pressureCalibrated(state_.pressure.mid(appliedKPa(now), value));
}

SimDevice::Reply SimDevice::readGain(const Data&, TimeMs) {
  return {RC_SUCCESS, {state_.gainIndex}};
}

SimDevice::Reply SimDevice::writeGain(const Data& data, TimeMs) {
  if (data[0] >= kGainStepCount) return {RC_INVALID_SELECTION, {}};
  state_.gainIndex = data[0];
  return {RC_SUCCESS, {data[0]}};
}

SimDevice::Reply SimDevice::readPressureCode(const Data&, TimeMs now) {
  Reply reply;
  PutUint32(reply.data, PressureCode(appliedKPa(now), state_.gainIndex));
  return reply;
}

std::vector<std::uint8_t> BuildResponseFrame(const Request& request, std::uint8_t preambles,
                                             std::uint8_t responseCode, std::uint8_t deviceStatus,
                                             const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> frame(preambles, kPreambleByte);
  const std::size_t start = frame.size();
  frame.push_back(request.isLong() ? kAckLong : kAckShort);
  const std::size_t addressSize = request.isLong() ? kLongAddressSize : 1;
  frame.insert(frame.end(), request.address.begin(), request.address.begin() + addressSize);
  frame.push_back(request.command);
  frame.push_back(static_cast<std::uint8_t>(data.size() + kStatusByteCount));
  frame.push_back(responseCode);
  frame.push_back(deviceStatus);
  frame.insert(frame.end(), data.begin(), data.end());
  frame.push_back(CheckByte(frame.data() + start, frame.size() - start));
  return frame;
}

}  // namespace vantrel::sim
