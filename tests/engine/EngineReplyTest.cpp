// Decoding of every reply layout, the success tests, the status texts and the
// progress values.
#include <gtest/gtest.h>

#include <functional>

#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;

// Runs `op` to its last reply: command 0, then `middle` for a three-request
// operation, then `last`.
void RunOperation(EngineHarness& h, OperationCode op, const Bytes& last, const Bytes& middle = {},
                  std::uint8_t lastResponseCode = 0) {
  ASSERT_TRUE(h.start(op, 0));
  h.replyCommand0();
  if (RequestsAfterCommand0(op) == 2) {
    h.reply(middle);
    if (op == OP_WRITE_CONFIG) h.advance(kRangeWritePauseMs);
  }
  h.reply(last, lastResponseCode);
}

// Status text and progress after the last reply, and what was refreshed.
struct EndCase {
  const char* name;
  OperationCode op;
  std::function<void(EngineHarness&)> setup;
  Bytes last;
  const char* status;
  std::vector<RefreshTarget> refreshed;  // with direction ToControls
};

void PrintTo(const EndCase& c, std::ostream* os) {
  *os << c.name;
}

const Bytes kLongAddressBytes = {0x5A, 0x10, 0x01, 0x02, 0x03};

void LearnLongAddress(EngineHarness& h) {
  h.start(OP_READ_LONG_ADDRESS, 0);
  h.replyCommand0();
}

const EndCase kEndCases[] = {
    {"ReadCurrent", OP_READ_CURRENT, nullptr, Bytes(14), "接收成功", {RefreshTarget::View}},
    {"ReadDeviceInfo",
     OP_READ_DEVICE_INFO,
     nullptr,
     Bytes(21),
     "接收成功",
     {RefreshTarget::TabHart}},
    {"FixedCurrentEcho",
     OP_FIXED_CURRENT,
     [](EngineHarness& h) { h.data.calibrationPoint = 12.5f; },
     {0x41, 0x48, 0x00, 0x00},
     "设置成功",
     {}},
    {"FixedCurrentWrongEcho",
     OP_FIXED_CURRENT,
     [](EngineHarness& h) { h.data.calibrationPoint = 12.5f; },
     {0x41, 0x48, 0x00, 0x01},
     "设置失败",
     {}},
    {"CalibrateCurrentEcho",
     OP_CALIBRATE_CURRENT,
     [](EngineHarness& h) {
       h.data.calibrationPoint = 20.0f;
       h.data.actualCurrent = 20.5f;
     },
     {0x41, 0xA4, 0x00, 0x00},
     "校准成功",
     {}},
    {"CalibrateCurrentWrongEcho",
     OP_CALIBRATE_CURRENT,
     [](EngineHarness& h) {
       h.data.calibrationPoint = 4.0f;
       h.data.actualCurrent = 4.5f;
     },
     {0x40, 0x80, 0x00, 0x00},
     "校准失败",
     {}},
    {"WriteDeviceInfo", OP_WRITE_DEVICE_INFO, nullptr, Bytes(21), "发送成功", {}},
    {"WritePollAddressEcho",
     OP_WRITE_POLL_ADDRESS,
     [](EngineHarness& h) { h.data.newPollAddress = 3; },
     {3},
     "修改成功",
     {}},
    {"WritePollAddressWrongEcho",
     OP_WRITE_POLL_ADDRESS,
     [](EngineHarness& h) { h.data.newPollAddress = 3; },
     {4},
     "修改失败",
     {}},
    {"WriteSensorConfigEcho",
     OP_WRITE_SENSOR_CONFIG,
     [](EngineHarness& h) { h.data.sensorTypeIndex = 2; },
     {2},
     "修改成功",
     {}},
    {"WriteSensorConfigWrongEcho",
     OP_WRITE_SENSOR_CONFIG,
     [](EngineHarness& h) { h.data.sensorTypeIndex = 2; },
     {3},
     "修改失败",
     {}},
    {"ReadSensorConfig", OP_READ_SENSOR_CONFIG, nullptr, {8}, "接收成功", {RefreshTarget::TabConf}},
    {"CalibrateResistance",
     OP_CALIBRATE_RESISTANCE,
     nullptr,
     Bytes(8),
     "校准成功",
     {RefreshTarget::TabConf}},
    {"ReadResistance",
     OP_READ_RESISTANCE,
     nullptr,
     Bytes(20),
     "校准成功",
     {RefreshTarget::TabConf}},
    {"WriteLongAddressEcho",
     OP_WRITE_LONG_ADDRESS,
     [](EngineHarness& h) { h.data.longAddressText = "0x5a 0x10 0x01 0x02 0x09"; },
     {0x5A, 0x10, 0x01, 0x02, 0x09},
     "修改成功",
     {}},
    {"WriteLongAddressWrongEcho",
     OP_WRITE_LONG_ADDRESS,
     [](EngineHarness& h) { h.data.longAddressText = "0x5a 0x10 0x01 0x02 0x09"; },
     {0x5A, 0x10, 0x01, 0x02, 0x03},
     "修改失败",
     {}},
    {"ReadConfig", OP_READ_CONFIG, nullptr, Bytes(15), "校准成功", {RefreshTarget::TabConf}},
    {"WriteConfigEcho",
     OP_WRITE_CONFIG,
     [](EngineHarness& h) { h.data.unitIndex = 5; },
     {12},
     "修改成功",
     {}},
    {"WriteConfigWrongEcho",
     OP_WRITE_CONFIG,
     [](EngineHarness& h) { h.data.unitIndex = 5; },
     {11},
     "修改失败",
     {}},
    {"Calibrate50mV", OP_CALIBRATE_50MV, LearnLongAddress, kLongAddressBytes, "校准成功", {}},
    {"Calibrate0mVWrongAddress",
     OP_CALIBRATE_0MV,
     LearnLongAddress,
     {0x5A, 0x10, 0x01, 0x02, 0x04},
     "校准失败",
     {}},
    {"ReadOffset", OP_READ_OFFSET, nullptr, {0x00, 0x7B}, "校准成功", {RefreshTarget::TabConf}},
    {"WriteOffset",
     OP_WRITE_OFFSET,
     [](EngineHarness& h) { h.data.offsetText = "1"; },
     {0x00},
     "校准成功",
     {RefreshTarget::TabConf}},
    {"ReadCalRow1", OP_READ_CAL_ROW1, nullptr, Bytes(8), "读取成功", {RefreshTarget::TabConf}},
    {"ReadCalRow2", OP_READ_CAL_ROW2, nullptr, Bytes(8), "读取成功", {RefreshTarget::TabConf}},
    {"ReadVoltage", OP_READ_VOLTAGE, nullptr, Bytes(4), "读取成功", {RefreshTarget::TabConf}},
    {"CalibrateLow", OP_CALIBRATE_LOW, LearnLongAddress, kLongAddressBytes, "校准成功", {}},
    {"CalibrateHigh", OP_CALIBRATE_HIGH, LearnLongAddress, kLongAddressBytes, "校准成功", {}},
    {"CalibrateMidWrongAddress", OP_CALIBRATE_MID, LearnLongAddress, Bytes(5), "校准失败", {}},
    {"ClearZero", OP_CLEAR_ZERO, LearnLongAddress, kLongAddressBytes, "清零成功", {}},
    // Before any long address was read, only five zero bytes pass.
    {"ClearZeroBeforeLongAddressRead", OP_CLEAR_ZERO, nullptr, Bytes(5), "清零成功", {}},
    {"ClearZeroWrong", OP_CLEAR_ZERO, nullptr, kLongAddressBytes, "清零失败", {}},
    {"ReadGain", OP_READ_GAIN, nullptr, {3}, "校准成功", {RefreshTarget::TabConf}},
    {"WriteGainEcho",
     OP_WRITE_GAIN,
     [](EngineHarness& h) { h.data.gainIndex = 4; },
     {4},
     "修改成功",
     {}},
    {"WriteGainWrongEcho",
     OP_WRITE_GAIN,
     [](EngineHarness& h) { h.data.gainIndex = 4; },
     {5},
     "修改失败",
     {}},
    {"Poll", OP_POLL, nullptr, {0xFF, 0xFF, 0xFF, 0xFF}, "校准成功", {RefreshTarget::TabConf}},
};

class OperationEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(OperationEnd, ShowsStatusAndProgress) {
  const EndCase& c = GetParam();
  EngineHarness h;
  if (c.setup) c.setup(h);
  h.effects = testing::RecordingEffects{};

  RunOperation(h, c.op, c.last);

  const bool three = RequestsAfterCommand0(c.op) == 2;
  const std::vector<int> progress =
      three ? std::vector<int>{33, 66, 100} : std::vector<int>{50, 100};
  EXPECT_EQ(h.effects.progress, progress);
  ASSERT_EQ(h.effects.statusTexts.size(), 2u);
  EXPECT_EQ(h.effects.statusTexts[0], "连接成功");
  EXPECT_EQ(h.effects.statusTexts[1], c.status);
  std::vector<RefreshTarget> refreshed;
  for (const auto& [target, direction] : h.effects.refreshes) {
    if (direction == RefreshDirection::ToControls) refreshed.push_back(target);
  }
  if (c.op == OP_CALIBRATE_RESISTANCE) refreshed.erase(refreshed.begin());
  EXPECT_EQ(refreshed, c.refreshed);
  EXPECT_EQ(h.engine.operationStep(), 0u);
  EXPECT_FALSE(h.engine.operationInProgress());
}

INSTANTIATE_TEST_SUITE_P(AllOperations, OperationEnd, ::testing::ValuesIn(kEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CurrentCase {
  Bytes reply;
  float loopCurrent;
  float percent;
  const char* pv;
  const char* sv;
};

TEST(ReplyDecoding, ReadCurrent) {
  const CurrentCase cases[] = {
      // loop 4.0, PV code 32 25.5, SV code 12 25.5
      {{0x40, 0x80, 0, 0, 32, 0x41, 0xCC, 0, 0, 12, 0x41, 0xCC, 0, 0},
       4.0f,
       0.0f,
       "25.5000℃",
       "25.50"},
      {{0x41, 0xA0, 0, 0, 12, 0x41, 0xCC, 0, 0, 33, 0x41, 0xCC, 0, 0},
       20.0f,
       100.0f,
       "25.5000kPa",
       "25.50℉"},
      // Code 7 (bar) is outside the family's ten: the unit table names it.
      {{0x41, 0x40, 0, 0, 7, 0x41, 0xCC, 0, 0, 35, 0xC1, 0xCC, 0, 0},
       12.0f,
       50.0f,
       "25.5000bar",
       "-25.50K"},
      {{0x40, 0x00, 0, 0, 237, 0x41, 0xCC, 0, 0, 34, 0, 0, 0, 0},
       2.0f,
       -12.5f,
       "25.5000MPa",
       "0.00°R"},
  };
  for (const CurrentCase& c : cases) {
    EngineHarness h;
    RunOperation(h, OP_READ_CURRENT, c.reply);
    EXPECT_EQ(h.data.loopCurrent, c.loopCurrent);
    EXPECT_FLOAT_EQ(h.data.percentOfRange, c.percent);
    EXPECT_EQ(h.data.pvText, c.pv);
    EXPECT_EQ(h.data.svText, c.sv);
  }
}

TEST(ReplyDecoding, ReadDeviceInfoCutsAtUnderscoreAndTrailingSpaces) {
  EngineHarness h;
  Bytes message(24);
  PackAscii("HELLO WORLD", message.data(), 24);
  Bytes last(21);
  PackAscii("TT_01", last.data(), 6);
  PackAscii("PUMP 4", last.data() + 6, 12);
  last[18] = 31;
  last[19] = 12;
  last[20] = 124;
  RunOperation(h, OP_READ_DEVICE_INFO, last, message);
  EXPECT_EQ(h.data.message, "HELLO WORLD");
  EXPECT_EQ(h.data.tag, "TT");
  EXPECT_EQ(h.data.descriptor, "PUMP 4");
  ASSERT_EQ(h.effects.dates.size(), 1u);
  EXPECT_EQ(h.effects.dates[0], (CalendarDate{2024, 12, 31}));
}

struct DateCase {
  Bytes bytes;
  CalendarDate date;
};

TEST(ReplyDecoding, DeviceDateReplacesOutOfRangeParts) {
  const DateCase cases[] = {
      {{31, 12, 124}, {2024, 12, 31}}, {{5, 3, 99}, {2000, 3, 5}},  {{5, 0, 124}, {2024, 1, 5}},
      {{5, 13, 124}, {2024, 1, 5}},    {{0, 3, 124}, {2024, 3, 1}}, {{32, 3, 124}, {2024, 3, 1}},
      {{31, 2, 124}, {2024, 3, 2}},
  };
  for (const DateCase& c : cases) {
    EngineHarness h;
    Bytes last(18);
    last.insert(last.end(), c.bytes.begin(), c.bytes.end());
    RunOperation(h, OP_READ_DEVICE_INFO, last, Bytes(24));
    EXPECT_EQ(h.data.date, c.date) << int(c.bytes[0]) << "/" << int(c.bytes[1]);
  }
}

TEST(ReplyDecoding, ReadLongAddress) {
  EngineHarness h;
  h.start(OP_READ_LONG_ADDRESS, 0);
  h.replyShort(0, 0, testing::IdentityData(0xDA));
  EXPECT_EQ(h.data.longAddressText, "0x5a 0x10 0x01 0x02 0x03");
  EXPECT_EQ(h.engine.longAddressBytes(), (std::array<std::uint8_t, 5>{0x5A, 0x10, 1, 2, 3}));
  EXPECT_EQ(h.effects.progress, (std::vector<int>{50, 100}));
  EXPECT_EQ(h.effects.statusTexts, (std::vector<std::string>{"连接成功", "接收成功"}));
  EXPECT_EQ(h.port.writes.size(), 1u);
  // Later requests go to the address with six manufacturer bits.
  h.start(OP_READ_CURRENT, 0);
  h.replyShort(0, 0, testing::IdentityData(0xDA));
  EXPECT_EQ(testing::FrameBody(h.lastWrite())[1], 0x9A);
}

TEST(ReplyDecoding, ReadSensorConfigFillsLimits) {
  EngineHarness h;
  RunOperation(h, OP_READ_SENSOR_CONFIG, {8});
  EXPECT_EQ(h.data.sensorTypeIndex, 8);
  EXPECT_EQ(h.data.sensorLowerText, "-200 ℃");
  EXPECT_EQ(h.data.sensorUpperText, "850 ℃");

  EngineHarness none;
  none.data.sensorLowerText = "keep";
  RunOperation(none, OP_READ_SENSOR_CONFIG, {12});
  EXPECT_EQ(none.data.sensorTypeIndex, -1);
  EXPECT_EQ(none.data.sensorLowerText, "keep");
}

TEST(ReplyDecoding, ReadConfig) {
  EngineHarness h;
  h.data.unitIndex = 2;
  Bytes reply = {0, 0, 32, 0x42, 0xC8, 0, 0, 0xC1, 0x20, 0, 0, 0x3F, 0x00, 0, 0};
  RunOperation(h, OP_READ_CONFIG, reply);
  EXPECT_EQ(h.data.unitIndex, 0);
  EXPECT_EQ(h.data.upperRangeText, "100.0");
  EXPECT_EQ(h.data.lowerRangeText, "-10.0");
  EXPECT_EQ(h.data.dampingText, "0.5");

  EngineHarness unknown;
  unknown.data.unitIndex = 2;
  reply[2] = 7;  // not in the table: the selection stays
  RunOperation(unknown, OP_READ_CONFIG, reply);
  EXPECT_EQ(unknown.data.unitIndex, 2);
}

struct NumberCase {
  OperationCode op;
  Bytes reply;
  std::function<std::string(const DeviceData&)> field;
  const char* expected;
};

TEST(ReplyDecoding, NumbersAsThePageShowsThem) {
  const NumberCase cases[] = {
      {OP_READ_OFFSET, {0xFF, 0x9C}, [](const DeviceData& d) { return d.offsetText; }, "-10.0"},
      {OP_READ_OFFSET, {0x00, 0x7B}, [](const DeviceData& d) { return d.offsetText; }, "12.3"},
      {OP_READ_CAL_ROW1,
       {0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0x01, 0x00},
       [](const DeviceData& d) { return d.row1AdmText + "," + d.row1AdlText; },
       "-2,256"},
      {OP_READ_CAL_ROW2,
       {0, 0, 0, 7, 0x80, 0, 0, 0},
       [](const DeviceData& d) { return d.row2AdmText + "," + d.row2AdlText; },
       "7,-2147483648"},
      {OP_READ_VOLTAGE,
       {0, 0, 0x30, 0x39},
       [](const DeviceData& d) { return d.millivoltText; },
       "12345"},
      {OP_POLL,
       {0xFF, 0xFF, 0xFF, 0xFF},
       [](const DeviceData& d) { return std::to_string(d.pressureCode); },
       "-1"},
      {OP_READ_GAIN, {6}, [](const DeviceData& d) { return std::to_string(d.gainIndex); }, "6"},
      {OP_READ_GAIN, {7}, [](const DeviceData& d) { return std::to_string(d.gainIndex); }, "-1"},
      {OP_READ_RESISTANCE,
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x42, 0xC8, 0x80, 0x00, 0, 0, 0, 0, 0},
       [](const DeviceData& d) { return std::to_string(d.resistance); },
       "100.250000"},
  };
  for (const NumberCase& c : cases) {
    EngineHarness h;
    RunOperation(h, c.op, c.reply);
    EXPECT_EQ(c.field(h.data), c.expected) << OperationWord(c.op);
  }
}

TEST(ReplyDecoding, CommTestShowsCommOkForAnyReply) {
  EngineHarness h;
  h.data.longAddress = {1, 2, 3, 4, 5};
  h.start(OP_COMM_TEST, 0);
  h.replyShort(0, 0, testing::IdentityData(), 0x82);  // even a communication error
  EXPECT_EQ(h.effects.progress, std::vector<int>{100});
  EXPECT_EQ(h.effects.statusTexts, std::vector<std::string>{"通信正常"});
  EXPECT_EQ(h.data.longAddress, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(h.port.writes.size(), 1u);
}

}  // namespace
}  // namespace vantrel
