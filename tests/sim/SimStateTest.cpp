// What the simulated instrument keeps between requests, how its readings
// follow its configuration, calibrations and the time, and several devices on
// one line.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/DeviceList.h"
#include "tests/sim/SimMaster.h"

namespace vantrel::sim::testing {
namespace {

const Bytes kSelf = LongAddressOf(0);

class SimState : public ::testing::Test {
 protected:
  Reply ask(std::uint8_t command, const Bytes& data = {}, TimeMs now = 0) {
    const std::optional<Reply> reply = master.send(kSelf, command, data, now);
    EXPECT_TRUE(reply) << "no reply to command " << int{command};
    return reply.value_or(Reply{});
  }
  float pv(TimeMs now = 0) { return FloatAt(ask(3, {}, now).data, 5); }

  SimLine line{{DefaultDeviceConfig(0)}};
  Master master{line};
};

TEST_F(SimState, TagDescriptorDateReadBack) {
  const Bytes written = {0x04, 0x28, 0x20, 0x82, 0x08, 0x20,  // AB
                         0x30, 0xF3, 0xD0, 0x83, 0x78, 0x20,  // LOOP 7
                         0x82, 0x08, 0x20, 0x82, 0x08, 0x20,  //
                         31,   12,   124};                    // 31 December 2024
  ask(18, written);
  EXPECT_EQ(ask(13).data, written);
}

TEST_F(SimState, MessageReadBack) {
  Bytes message(24);
  for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<std::uint8_t>(i * 7);
  ask(17, message);
  EXPECT_EQ(ask(12).data, message);
}

TEST_F(SimState, DampingRangeAndUnitsReadBack) {
  ask(34, {0x40, 0x20, 0x00, 0x00});                                // 2.5 s
  ask(35, {0x0B, 0x47, 0xC3, 0x50, 0x00, 0xC2, 0x48, 0x00, 0x00});  // Pa, 100000, -50
  EXPECT_EQ(ask(15).data, (Bytes{0x00, 0x00, 0x0B, 0x47, 0xC3, 0x50, 0x00, 0xC2, 0x48, 0x00, 0x00,
                                 0x40, 0x20, 0x00, 0x00, 0x00, 0x5A}));
}

TEST_F(SimState, GainSensorTypeAndOffsetReadBack) {
  ask(134, {0x05});
  ask(115, {0xA5, 0x5A, 0x02});
  ask(118, {0x80, 0x00});  // -3276.8 °C, the most negative offset
  EXPECT_EQ(ask(133).data, Bytes{0x05});
  EXPECT_EQ(ask(114).data, Bytes{0x02});
  EXPECT_EQ(ask(117).data, (Bytes{0x80, 0x00}));
}

TEST_F(SimState, OffsetCorrectsTheTemperature) {
  ask(118, {0xFF, 0x9C});  // -10.0 °C
  const Bytes d = ask(3).data;
  EXPECT_EQ(Bytes(d.begin() + 9, d.begin() + 14), (Bytes{0x20, 0x41, 0x70, 0x00, 0x00}));  // 15
}

TEST_F(SimState, FixedCurrentModeShowsInCommand3) {
  Reply fixed = ask(40, {0x40, 0xF0, 0x00, 0x00});  // 7.5 mA
  EXPECT_EQ(fixed.status, kLoopCurrentFixed);
  Reply read = ask(3);
  EXPECT_EQ(Bytes(read.data.begin(), read.data.begin() + 4), (Bytes{0x40, 0xF0, 0x00, 0x00}));
  EXPECT_EQ(read.status, kLoopCurrentFixed);

  ask(40, {0x00, 0x00, 0x00, 0x00});
  read = ask(3);
  EXPECT_EQ(Bytes(read.data.begin(), read.data.begin() + 4), (Bytes{0x41, 0x40, 0x00, 0x00}));
  EXPECT_EQ(read.status, 0);
}

struct RangeCase {
  const char* name;
  Bytes lowerUpper;  // floats as written by command 35, lower first here
  Bytes current;
  std::uint8_t status;
};

class SimLoopCurrent : public SimState, public ::testing::WithParamInterface<RangeCase> {};

// PV is 50 kPa at t = 0.
TEST_P(SimLoopCurrent, FollowsPvOverTheRange) {
  const Bytes& lu = GetParam().lowerUpper;
  Bytes request = {0x0C};
  request.insert(request.end(), lu.begin() + 4, lu.end());
  request.insert(request.end(), lu.begin(), lu.begin() + 4);
  ASSERT_EQ(ask(35, request).responseCode, 0);
  const Reply reply = ask(3);
  EXPECT_EQ(Bytes(reply.data.begin(), reply.data.begin() + 4), GetParam().current);
  EXPECT_EQ(reply.status, GetParam().status);
}

const RangeCase kRanges[] = {
    {"ZeroTo200", {0x00, 0x00, 0x00, 0x00, 0x43, 0x48, 0x00, 0x00}, {0x41, 0x00, 0x00, 0x00}, 0},
    {"ZeroTo80", {0x00, 0x00, 0x00, 0x00, 0x42, 0xA0, 0x00, 0x00}, {0x41, 0x60, 0x00, 0x00}, 0},
    {"Minus50To150", {0xC2, 0x48, 0x00, 0x00, 0x43, 0x16, 0x00, 0x00}, {0x41, 0x40, 0x00, 0x00}, 0},
    {"Reversed100To0",
     {0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {0x41, 0x40, 0x00, 0x00},
     0},
    {"AboveRangeHeldAt20_5",
     {0x00, 0x00, 0x00, 0x00, 0x42, 0x20, 0x00, 0x00},
     {0x41, 0xA4, 0x00, 0x00},
     kStatusOutputSaturated},
    {"BelowRangeHeldAt3_8",
     {0x42, 0x70, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00},
     {0x40, 0x73, 0x33, 0x33},
     kStatusOutputSaturated},
};
INSTANTIATE_TEST_SUITE_P(Ranges, SimLoopCurrent, ::testing::ValuesIn(kRanges),
                         [](const auto& info) { return std::string(info.param.name); });

struct UnitsCase {
  const char* name;
  std::uint8_t code;
  double pv;  // 50 kPa and 25 °C expressed in the unit
};

class SimPvUnits : public SimState, public ::testing::WithParamInterface<UnitsCase> {};

TEST_P(SimPvUnits, PvIsGivenInItsUnits) {
  // A range of -1e6 to 1e6 keeps every unit inside it.
  ASSERT_EQ(ask(35, {GetParam().code, 0x49, 0x74, 0x24, 0x00, 0xC9, 0x74, 0x24, 0x00}).responseCode,
            0);
  const Bytes d = ask(110).data;
  EXPECT_EQ(d[0], GetParam().code);
  EXPECT_NEAR(FloatAt(d, 1), GetParam().pv, std::abs(GetParam().pv) * 1e-5);
}

const UnitsCase kUnits[] = {
    {"Pa", 11, 50000.0},    {"kPa", 12, 50.0},           {"MPa", 237, 0.05},
    {"Metre", 45, 5.09858}, {"Centimetre", 48, 509.858}, {"Millimetre", 49, 5098.58},
    {"DegC", 32, 25.0},     {"DegF", 33, 77.0},          {"DegR", 34, 536.67},
    {"Kelvin", 35, 298.15},
};
INSTANTIATE_TEST_SUITE_P(Units, SimPvUnits, ::testing::ValuesIn(kUnits),
                         [](const auto& info) { return std::string(info.param.name); });

struct SensorCase {
  const char* name;
  std::uint8_t type;
  double ohms;  // at 25 °C, from the standard tables
};

class SimSensor : public SimState, public ::testing::WithParamInterface<SensorCase> {};

TEST_P(SimSensor, ResistanceFollowsSensorType) {
  ask(115, {0xA5, 0x5A, GetParam().type});
  EXPECT_NEAR(FloatAt(ask(110).data, 11), GetParam().ohms, 0.02);
}

const SensorCase kSensors[] = {
    {"Pt100", 8, 109.73},
    {"Cu100", 9, 110.70},
    {"Cu50", 10, 55.35},
    {"Pt1000", 11, 1097.35},
    {"TypeKColdJunction", 0, 109.73},
};
INSTANTIATE_TEST_SUITE_P(Sensors, SimSensor, ::testing::ValuesIn(kSensors),
                         [](const auto& info) { return std::string(info.param.name); });

class SimGain : public SimState, public ::testing::WithParamInterface<int> {};

TEST_P(SimGain, ScalesThePressureCode) {
  const int index = GetParam();
  ask(134, {static_cast<std::uint8_t>(index)});
  const Bytes code = ask(135).data;
  const std::uint32_t value =
      (std::uint32_t{code[0]} << 24) | (code[1] << 16) | (code[2] << 8) | code[3];
  EXPECT_EQ(value - 0x800000u, 50000u << index);
  EXPECT_FLOAT_EQ(pv(), 50.0f);  // the device takes the gain out of the PV
}
INSTANTIATE_TEST_SUITE_P(Steps, SimGain, ::testing::Range(0, 7));

TEST_F(SimState, ReadingsMoveSlowlyAndRepeatForTheSameTime) {
  const float atStart = pv(0);
  const float later = pv(7'500);
  EXPECT_NE(later, atStart);
  EXPECT_NEAR(later, atStart, 1.0);
  EXPECT_EQ(pv(7'500), later);
  EXPECT_NE(ask(135, {}, 7'500).data, ask(135, {}, 0).data);
}

TEST_F(SimState, SetPvZeroMakesPvReadZero) {
  ask(43, {}, 1'000);
  EXPECT_EQ(pv(1'000), 0.0f);
  EXPECT_NEAR(FloatAt(ask(3, {}, 1'000).data, 0), 4.0, 1e-5);
}

TEST_F(SimState, LowEndAndMidPointMakePvReadTheirValue) {
  ask(131, {0x0C, 0x41, 0x20, 0x00, 0x00});  // 10 kPa
  EXPECT_FLOAT_EQ(pv(), 10.0f);
  ask(132, {0x0C, 0x42, 0x50, 0x00, 0x00});  // 52 kPa
  EXPECT_FLOAT_EQ(pv(), 52.0f);
  ask(43);
  EXPECT_FLOAT_EQ(pv(), 0.0f);
}

TEST_F(SimState, HighEndSetsTheSpan) {
  SimLine reference({DefaultDeviceConfig(0)});  // left uncalibrated
  ask(130, {0x0C, 0x42, 0xC8, 0x00, 0x00});     // 100 kPa with 50 kPa applied: span 2
  EXPECT_FLOAT_EQ(pv(), 100.0f);
  for (TimeMs t : {3'000, 7'500, 21'000}) {
    const float plain = FloatAt(Master(reference).send(kSelf, 3, {}, t)->data, 5);
    EXPECT_NEAR(pv(t) - 100.0, 2.0 * (plain - 50.0), 1e-4) << "t=" << t;
  }
}

TEST_F(SimState, MillivoltCalibrationRemovesTheInputError) {
  EXPECT_EQ(ask(120, {0xAA, 0x55}).data, (Bytes{0x00, 0x00, 0x00, 0x15}));  // 20.7 mV read as 21
  ask(116, {0x55, 0xAA});
  ask(116, {0xAA, 0x55});
  EXPECT_EQ(ask(120, {0xAA, 0x55}).data, (Bytes{0x00, 0x00, 0x00, 0x14}));
  EXPECT_FLOAT_EQ(FloatAt(ask(110).data, 16), 20.0f);
}

TEST_F(SimState, NewPollingAddressIsAnsweredAndTheOldOneNot) {
  ask(6, {0x09});
  EXPECT_FALSE(master.send(ShortAddress(0), 0));
  const std::optional<Reply> reply = master.send(ShortAddress(9), 0);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->data[11], 0x03);  // same device: its id does not change
  EXPECT_EQ(line.devices()[0].config().pollAddress, 9);
}

TEST_F(SimState, NewLongAddressIsTheIdentityFromThenOn) {
  // Manufacturer byte 0xC5: sent as 0x85, shown as 0x45.
  ask(113, {0xC5, 0x22, 0x0A, 0x0B, 0x0C});
  const std::optional<Reply> identity = master.send(ShortAddress(0), 0);
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->data[1], 0xC5);
  EXPECT_EQ(identity->data[2], 0x22);
  EXPECT_EQ(Bytes(identity->data.begin() + 9, identity->data.end()), (Bytes{0x0A, 0x0B, 0x0C}));

  EXPECT_FALSE(master.send(kSelf, 3));
  const Bytes newAddress = {0x85, 0x22, 0x0A, 0x0B, 0x0C};
  const std::optional<Reply> zero = master.send(newAddress, 43);
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->data, (Bytes{0x45, 0x22, 0x0A, 0x0B, 0x0C}));
}

// The request faults: what the device answers to four writes of gain 3 in a
// row, and that a request they answer is not acted on (the gain read
// afterwards). No answer is shown as -1.
struct RequestFaultCase {
  const char* name;
  LineFaults faults;
  std::vector<int> codes;
  std::uint8_t gainAfter;
};

void PrintTo(const RequestFaultCase& c, std::ostream* os) {
  *os << c.name;
}

LineFaults RequestFaults(int busy, int delayed, int silent, int commError) {
  LineFaults faults;
  faults.busy = busy;
  faults.delayed = delayed;
  faults.silent = silent;
  faults.commError = commError;
  return faults;
}

const RequestFaultCase kRequestFaults[] = {
    {"BusyTwice", RequestFaults(2, 0, 0, 0), {32, 32, 0, 0}, 3},
    {"BusyThroughout", RequestFaults(4, 0, 0, 0), {32, 32, 32, 32}, 0},
    {"DelayedTwice", RequestFaults(0, 2, 0, 0), {33, 34, 34, 0}, 3},
    {"DelayedThroughout", RequestFaults(0, 5, 0, 0), {33, 34, 34, 34}, 0},
    {"SilentTwice", RequestFaults(0, 0, 2, 0), {-1, -1, 0, 0}, 3},
    {"CommunicationErrorOnce", RequestFaults(0, 0, 0, 1), {0x88, 0, 0, 0}, 3},
};

class SimRequestFault : public ::testing::TestWithParam<RequestFaultCase> {};

TEST_P(SimRequestFault, AnswersWithoutActing) {
  const RequestFaultCase& c = GetParam();
  FaultInjector faults(c.faults);
  SimLine line({DefaultDeviceConfig(0)});
  Master faulty(line, &faults);
  std::vector<int> codes;
  for (int i = 0; i < 4; ++i) {
    const std::optional<Reply> reply = faulty.send(kSelf, 134, {0x03});
    codes.push_back(reply ? reply->responseCode : -1);
    if (reply && reply->responseCode != 0) {
      EXPECT_TRUE(reply->data.empty()) << i;
      // A communication error carries no device status.
      if (reply->responseCode & 0x80) {
        EXPECT_EQ(reply->status, 0) << i;
      }
    }
  }
  EXPECT_EQ(codes, c.codes);
  EXPECT_EQ(Master(line).send(kSelf, 133)->data, Bytes{c.gainAfter});
}

INSTANTIATE_TEST_SUITE_P(Faults, SimRequestFault, ::testing::ValuesIn(kRequestFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimCalibrationAddress, ShownWithBit6OfTheManufacturer) {
  SimDeviceConfig config = DefaultDeviceConfig(0);
  config.identity.manufacturerId = 0xE6;  // sent as 0xA6, shown as 0x66
  SimLine line({config});
  const std::optional<Reply> reply =
      Master(line).send({0xA6, 0x10, 0x01, 0x02, 0x03}, 116, {0xAA, 0x55});
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->data, (Bytes{0x66, 0x10, 0x01, 0x02, 0x03}));
}

TEST(SimLineDevices, EachDeviceAnswersForItselfAndKeepsItsOwnState) {
  SimLine line({DefaultDeviceConfig(0), DefaultDeviceConfig(5)});
  Master master(line);
  EXPECT_EQ(master.send(ShortAddress(5), 0)->data[11], 0x08);
  EXPECT_EQ(master.send(ShortAddress(0), 0)->data[11], 0x03);
  EXPECT_FALSE(master.send(ShortAddress(3), 0));

  master.send(LongAddressOf(5), 134, {0x04});
  EXPECT_EQ(master.send(LongAddressOf(5), 133)->data, Bytes{0x04});
  EXPECT_EQ(master.send(LongAddressOf(0), 133)->data, Bytes{0x00});
  EXPECT_EQ(master.send(LongAddressOf(5), 43)->data, (Bytes{0x5A, 0x10, 0x01, 0x02, 0x08}));
}

TEST(SimLineDevices, MovedDeviceAnswersAtItsNewAddressOnly) {
  SimLine line({DefaultDeviceConfig(0), DefaultDeviceConfig(5)});
  Master master(line);
  EXPECT_EQ(master.send(ShortAddress(5), 6, {0x07})->data, Bytes{0x07});
  EXPECT_FALSE(master.send(ShortAddress(5), 0));
  EXPECT_EQ(master.send(ShortAddress(7), 0)->data[11], 0x08);
  EXPECT_EQ(master.send(ShortAddress(0), 0)->data[11], 0x03);
}

// One request of a sequence and what its reply must show: the response
// code, the device status, and `part` at byte `at` of the data.
struct Step {
  std::uint8_t command;
  Bytes request;
  std::uint8_t responseCode;
  std::uint8_t status;
  Bytes part = {};
  std::size_t at = 0;
};

struct SequenceCase {
  const char* name;
  DeviceKind kind;
  Bytes additionalStatus;  // --additional-status
  std::vector<Step> steps;
};

void PrintTo(const SequenceCase& c, std::ostream* os) {
  *os << c.name;
}

class SimSequence : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(SimSequence, EachReplyShowsTheDeviceAsItStands) {
  SimDeviceConfig config = KindDeviceConfig(0, GetParam().kind);
  config.additionalStatus = GetParam().additionalStatus;
  SimLine line({config});
  Master master(line);
  for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
    const Step& step = GetParam().steps[i];
    SCOPED_TRACE("step " + std::to_string(i) + ", command " + std::to_string(step.command));
    const std::optional<Reply> reply =
        master.send(LongAddressOf(config), step.command, step.request);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->responseCode, step.responseCode);
    EXPECT_EQ(reply->status, step.status);
    ASSERT_GE(reply->data.size(), step.at + step.part.size());
    EXPECT_EQ(
        Bytes(reply->data.begin() + step.at, reply->data.begin() + step.at + step.part.size()),
        step.part);
  }
}

constexpr std::size_t kCounterAt = 14;  // in command 0, HART 6 and 7
const Bytes kOneSecond = {0x3F, 0x80, 0x00, 0x00};
const Bytes kStatusGiven = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01};
const Bytes kStatusReported = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03,
                               0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
const Bytes kTwelveMa = {0x41, 0x40, 0x00, 0x00};
const Bytes kFixedEcho = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};

const SequenceCase kSequences[] = {
    {"Hart7CounterNamesTheConfigurationReset",
     {7, DeviceVariant::Family},
     {},
     {{34, kOneSecond, 0, 0x40},
      {0, {}, 0, 0x40, {0x00, 0x02}, kCounterAt},
      {38, {0x00, 0x01}, 9, 0x40},
      {38, {0x00, 0x02}, 0, 0x00, {0x00, 0x02}},
      {0, {}, 0, 0x00, {0x00, 0x02}, kCounterAt},
      {38, {0x00, 0x02}, 0, 0x00, {0x00, 0x02}}}},
    {"Hart6ResetClearsTheFlag",
     {6, DeviceVariant::Family},
     {},
     {{3, {}, 0, 0x00},
      {17, Bytes(24, 0x20), 0, 0x40},
      {22, Bytes(32, 0x41), 0, 0x40},
      {0, {}, 0, 0x40, {0x00, 0x03}, kCounterAt},
      {38, {}, 0, 0x00},
      {20, {}, 0, 0x00, Bytes(32, 0x41)}}},
    {"Hart5FlowFlagsAChangeWithoutCounter",
     {5, DeviceVariant::Flow},
     {},
     {{34, kOneSecond, 0, 0x40}, {38, {}, 0, 0x00}, {35, Bytes(9, 0x00), 29, 0x00}}},
    {"Hart7EchoAcknowledgesMoreStatus",
     {7, DeviceVariant::Family},
     kStatusGiven,
     {{0, {}, 0, 0x10, {0x03}, 16},  // the extended device status
      {48, {}, 0, 0x10, kStatusReported},
      {48, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00}, 0, 0x10, kStatusReported},
      {48, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01}, 0, 0x00, kStatusReported},
      {3, {}, 0, 0x00},
      {48, {}, 0, 0x00, kStatusReported}}},
    {"Hart6ReadAcknowledgesMoreStatus",
     {6, DeviceVariant::Flow},
     kStatusGiven,
     {{3, {}, 0, 0x10}, {48, {}, 0, 0x00, kStatusReported}, {3, {}, 0, 0x00}}},
    {"Hart5ReportsAllTheBytesGiven",
     {5, DeviceVariant::Family},
     Bytes(10, 0x81),
     {{3, {}, 0, 0x10}, {48, {}, 0, 0x00, Bytes(10, 0x81)}, {3, {}, 0, 0x00}}},
    {"Hart7FixedCurrentShowsInAdditionalStatus",
     {7, DeviceVariant::Family},
     {},
     {{40, kTwelveMa, 0, 0x18},
      {48, {}, 0, 0x18, {0x01}, 13},
      {48, kFixedEcho, 0, 0x08},
      {40, {0x00, 0x00, 0x00, 0x00}, 0, 0x00},
      {48, {}, 0, 0x00, Bytes(14, 0x00)}}},
    // PV 50 kPa above a 0-40 kPa range: the output is held at 20.5 mA.
    {"Hart7SaturationShowsInAdditionalStatus",
     {7, DeviceVariant::Family},
     {},
     {{35, {0x0C, 0x42, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0, 0x54},
      {48, {}, 0, 0x54, {0x01}, 10}}},
    {"Hart7LoopCurrentDisabledHolds4mA",
     {7, DeviceVariant::Family},
     {},
     {{6, {0x00, 0x00}, 0, 0x40, {0x00, 0x00}},
      {3, {}, 0, 0x40, {0x40, 0x80, 0x00, 0x00}},
      {6, {0x00, 0x01}, 0, 0x40, {0x00, 0x01}},
      {3, {}, 0, 0x40, kTwelveMa}}},
};
INSTANTIATE_TEST_SUITE_P(Sequences, SimSequence, ::testing::ValuesIn(kSequences),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimSquawk, TellsWhoSquawked) {
  std::vector<std::uint8_t> squawked;
  SimDeviceConfig config = KindDeviceConfig(4, {6, DeviceVariant::Foreign});
  config.onSquawk = [&squawked](std::uint8_t address) { squawked.push_back(address); };
  SimLine line({config});
  Master master(line);
  EXPECT_EQ(master.send(ShortAddress(4), 72)->responseCode, 0);
  EXPECT_EQ(squawked, std::vector<std::uint8_t>{4});
}

}  // namespace
}  // namespace vantrel::sim::testing
