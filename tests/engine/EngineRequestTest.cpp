// The request bytes of every operation, step by step.
#include <gtest/gtest.h>

#include <functional>

#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;

struct Request {
  std::uint8_t command;
  Bytes data;
};

struct RequestCase {
  const char* name;
  OperationCode op;
  std::function<void(DeviceData&)> setup;
  std::vector<Request> requests;  // after command 0
};

void PrintTo(const RequestCase& c, std::ostream* os) {
  *os << c.name;
}

const Bytes kSpaces3 = {0x82, 0x08, 0x20};  // four packed spaces

Bytes Repeat(const Bytes& part, int times) {
  Bytes all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const RequestCase kRequestCases[] = {
    {"ReadCurrent", OP_READ_CURRENT, nullptr, {{3, {}}}},
    {"ReadDeviceInfo", OP_READ_DEVICE_INFO, nullptr, {{12, {}}, {13, {}}}},
    {"FixedCurrent12_5",
     OP_FIXED_CURRENT,
     [](DeviceData& d) { d.calibrationPoint = 12.5f; },
     {{40, {0x41, 0x48, 0x00, 0x00}}}},
    {"FixedCurrentExit",
     OP_FIXED_CURRENT,
     [](DeviceData& d) { d.calibrationPoint = 0.0f; },
     {{40, {0x00, 0x00, 0x00, 0x00}}}},
    {"CalibrateCurrentAt4",
     OP_CALIBRATE_CURRENT,
     [](DeviceData& d) {
       d.calibrationPoint = 4.0f;
       d.actualCurrent = 4.5f;
     },
     {{45, {0x40, 0x90, 0x00, 0x00}}}},
    {"CalibrateCurrentAt20",
     OP_CALIBRATE_CURRENT,
     [](DeviceData& d) {
       d.calibrationPoint = 20.0f;
       d.actualCurrent = 20.5f;
     },
     {{46, {0x41, 0xA4, 0x00, 0x00}}}},
    {"WriteDeviceInfo",
     OP_WRITE_DEVICE_INFO,
     [](DeviceData& d) {
       d.tag = "ab";
       d.descriptor = "";
       d.message = "";
       d.date = {2024, 3, 5};
     },
     {{17, Repeat(kSpaces3, 8)},
      {18, Cat({{0x04, 0x28, 0x20, 0x82, 0x08, 0x20}, Repeat(kSpaces3, 4), {5, 3, 124}})}}},
    {"WriteDeviceInfoCutsLongTag",
     OP_WRITE_DEVICE_INFO,
     [](DeviceData& d) {
       d.tag = "ABCDEFGHIJ";
       d.date = {2024, 12, 31};
     },
     // ABCD EFGH: codes 01 02 03 04 / 05 06 07 08
     {{17, Repeat(kSpaces3, 8)},
      {18, Cat({{0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8}, Repeat(kSpaces3, 4), {31, 12, 124}})}}},
    {"WritePollAddress3",
     OP_WRITE_POLL_ADDRESS,
     [](DeviceData& d) { d.newPollAddress = 3; },
     {{6, {3}}}},
    {"WriteSensorConfig",
     OP_WRITE_SENSOR_CONFIG,
     [](DeviceData& d) { d.sensorTypeIndex = 8; },
     {{115, {0xA5, 0x5A, 0x08}}}},
    {"ReadSensorConfig", OP_READ_SENSOR_CONFIG, nullptr, {{114, {}}}},
    {"ReadResistance", OP_READ_RESISTANCE, nullptr, {{110, {}}}},
    {"CalibrateResistance",
     OP_CALIBRATE_RESISTANCE,
     [](DeviceData& d) {
       d.row1AdmText = "0";
       d.row1AdlText = "0";
       d.row2AdmText = "0";
       d.row2AdlText = "1";
     },
     {{112, {0x00, 0x00, 0x4E, 0x20, 0x00, 0x00, 0x00, 0x00}}}},
    {"CalibrateResistanceZeroDivisor",
     OP_CALIBRATE_RESISTANCE,
     [](DeviceData& d) {
       d.row1AdmText = "1";
       d.row1AdlText = "1";
       d.row2AdmText = "1";
       d.row2AdlText = "1";
     },
     {{112, {0, 0, 0, 0, 0, 0, 0, 0}}}},
    {"WriteLongAddress",
     OP_WRITE_LONG_ADDRESS,
     [](DeviceData& d) { d.longAddressText = "0x5a 0x10 0x01 0x02 0x04"; },
     {{113, {0x5A, 0x10, 0x01, 0x02, 0x04}}}},
    {"ReadConfig", OP_READ_CONFIG, nullptr, {{15, {}}}},
    {"WriteConfig",
     OP_WRITE_CONFIG,
     [](DeviceData& d) {
       d.unitIndex = 5;
       d.dampingText = "0.5";
       d.upperRangeText = "100";
       d.lowerRangeText = "-2.5abc";  // the leading number counts, as typed
     },
     {{34, {0x3F, 0x00, 0x00, 0x00}},
      {35, {0x0C, 0x42, 0xC8, 0x00, 0x00, 0xC0, 0x20, 0x00, 0x00}}}},
    {"Calibrate50mV", OP_CALIBRATE_50MV, nullptr, {{116, {0xAA, 0x55}}}},
    {"Calibrate0mV", OP_CALIBRATE_0MV, nullptr, {{116, {0x55, 0xAA}}}},
    {"ReadOffset", OP_READ_OFFSET, nullptr, {{117, {}}}},
    {"WriteOffsetNegative",
     OP_WRITE_OFFSET,
     [](DeviceData& d) { d.offsetText = "-1.25"; },
     {{118, {0xFF, 0xF4}}}},
    {"ReadCalRow1", OP_READ_CAL_ROW1, nullptr, {{119, {0xAA, 0x55}}}},
    {"ReadCalRow2", OP_READ_CAL_ROW2, nullptr, {{119, {0xAA, 0x55}}}},
    {"ReadVoltage", OP_READ_VOLTAGE, nullptr, {{120, {0xAA, 0x55}}}},
    {"CalibrateLow",
     OP_CALIBRATE_LOW,
     [](DeviceData& d) {
       d.lowPressure = 20.0f;
       d.unitIndex = 0;  // °C shown: still sent as kPa
     },
     {{131, {0x0C, 0x41, 0xA0, 0x00, 0x00}}}},
    {"CalibrateHigh",
     OP_CALIBRATE_HIGH,
     [](DeviceData& d) { d.highPressure = 100.0f; },
     {{130, {0x0C, 0x42, 0xC8, 0x00, 0x00}}}},
    {"CalibrateMid",
     OP_CALIBRATE_MID,
     [](DeviceData& d) { d.midPressure = 50.0f; },
     {{132, {0x0C, 0x42, 0x48, 0x00, 0x00}}}},
    {"ClearZero", OP_CLEAR_ZERO, nullptr, {{43, {}}}},
    {"ReadGain", OP_READ_GAIN, nullptr, {{133, {}}}},
    {"WriteGain", OP_WRITE_GAIN, [](DeviceData& d) { d.gainIndex = 3; }, {{134, {0x03}}}},
    {"Poll", OP_POLL, nullptr, {{135, {}}}},
};

Bytes ExpectedLongRequest(const Request& request) {
  Bytes body = {0x82,
                0x9A,
                0x10,
                0x01,
                0x02,
                0x03,
                request.command,
                static_cast<std::uint8_t>(request.data.size())};
  body.insert(body.end(), request.data.begin(), request.data.end());
  body.push_back(CheckByte(body.data(), body.size()));
  return body;
}

class OperationRequests : public ::testing::TestWithParam<RequestCase> {};

TEST_P(OperationRequests, SendsCommand0ThenEachRequest) {
  const RequestCase& c = GetParam();
  EngineHarness h;
  if (c.setup) c.setup(h.data);

  ASSERT_TRUE(h.start(c.op, 0));
  ASSERT_EQ(h.port.writes.size(), 1u);
  EXPECT_EQ(h.port.writes[0], (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00,
                                     0x00, 0x82, 0xFF, 0xFF, 0xFF}));

  h.replyCommand0();
  for (std::size_t i = 0; i < c.requests.size(); ++i) {
    if (c.op == OP_WRITE_CONFIG && i == 1) {
      EXPECT_EQ(h.port.writes.size(), 2u) << "command 35 waits 500 ms";
      h.advance(kRangeWritePauseMs - 1);
      EXPECT_EQ(h.port.writes.size(), 2u);
      h.advance(1);
    }
    ASSERT_EQ(h.port.writes.size(), i + 2) << "request " << i + 1;
    const Bytes& written = h.port.writes[i + 1];
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 7), Bytes(7, 0xFF));
    EXPECT_EQ(testing::FrameBody(written), ExpectedLongRequest(c.requests[i]))
        << "request " << i + 1;
    if (i + 1 < c.requests.size()) h.replyLong(c.requests[i].command, Bytes(24, 0x00));
  }
}

INSTANTIATE_TEST_SUITE_P(AllOperations, OperationRequests, ::testing::ValuesIn(kRequestCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OperationRequests, WritePollAddressFrameByteForByte) {
  EngineHarness h;
  h.data.newPollAddress = 3;
  h.start(OP_WRITE_POLL_ADDRESS, 0);
  h.replyCommand0();
  EXPECT_EQ(h.lastWrite(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10,
                                  0x01, 0x02, 0x03, 0x06, 0x01, 0x03, 0x0C, 0xFF, 0xFF, 0xFF}));
}

TEST(OperationRequests, FixedCurrentCheckByte) {
  EngineHarness h;
  h.data.calibrationPoint = 12.5f;
  h.start(OP_FIXED_CURRENT, 0);
  h.replyCommand0();
  EXPECT_EQ(testing::FrameBody(h.lastWrite()).back(), 0x2D);
}

TEST(OperationRequests, FirstRequestGoesToThePollingAddress) {
  EngineHarness h;
  h.start(OP_READ_CURRENT, 5);
  EXPECT_EQ(testing::FrameBody(h.port.writes[0]), (Bytes{0x02, 0x85, 0x00, 0x00, 0x87}));
}

TEST(OperationRequests, LongAddressKeepsSixManufacturerBits) {
  EngineHarness h;
  h.start(OP_READ_CURRENT, 0);
  h.replyShort(0, 0, testing::IdentityData(0xDA));  // bits 7 and 6 set
  EXPECT_EQ(testing::FrameBody(h.lastWrite())[1], 0x9A);
  EXPECT_EQ(h.data.longAddress[0], 0xDA);
}

struct CurrentPointCase {
  float point;
  bool sends;
};

TEST(OperationRequests, CalibrateCurrentOnlyAtTheTwoPoints) {
  const CurrentPointCase cases[] = {{4.0f, true}, {20.0f, true}, {3.8f, false}, {12.0f, false}};
  for (const CurrentPointCase& c : cases) {
    EngineHarness h;
    h.data.calibrationPoint = c.point;
    h.start(OP_CALIBRATE_CURRENT, 0);
    h.replyCommand0();
    EXPECT_EQ(h.port.writes.size(), c.sends ? 2u : 1u) << c.point;
    if (!c.sends) {
      ASSERT_EQ(h.effects.messages.size(), 1u);
      EXPECT_EQ(h.effects.messages[0].second, "请先选择电流！");
      EXPECT_EQ(h.effects.messages[0].first, MessageIcon::Error);
      EXPECT_EQ(h.effects.lastProgress(), 100);
      EXPECT_EQ(h.effects.lastStatus(), "校准失败");
      EXPECT_EQ(h.engine.operationStep(), 0u);
    }
  }
}

TEST(OperationRequests, PressureCalibrationAsksThePageToSaveFirst) {
  EngineHarness h;
  h.start(OP_CALIBRATE_MID, 0);
  h.replyCommand0();
  ASSERT_FALSE(h.effects.refreshes.empty());
  EXPECT_EQ(h.effects.refreshes.back(),
            std::make_pair(RefreshTarget::TabConf, RefreshDirection::ToData));
}

TEST(OperationRequests, CalibrateResistanceShowsReferenceValues) {
  EngineHarness h;
  h.data.row1AdmText = "100";
  h.data.row1AdlText = "50";
  h.data.row2AdmText = "300";
  h.data.row2AdlText = "500";
  // D = 200 - 100 - 300 + 500 = 300; R = 650 * 20000 / 300; V = (30000 + 150000 - 45000 - 25000) /
  // 300
  h.start(OP_CALIBRATE_RESISTANCE, 0);
  h.replyCommand0();
  EXPECT_EQ(h.data.rRefText, "43333");
  EXPECT_EQ(h.data.vRefText, "366");
  EXPECT_EQ(h.effects.refreshes.back(),
            std::make_pair(RefreshTarget::TabConf, RefreshDirection::ToControls));
}

}  // namespace
}  // namespace vantrel
