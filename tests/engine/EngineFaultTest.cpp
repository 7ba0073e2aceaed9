// Replies that report errors, replies nobody waits for, values that cannot be
// written, and the acquisition tick: the engine never writes what the user
// did not mean and never reports success for a failed operation.
#include <gtest/gtest.h>

#include <functional>

#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;

const Bytes kConfigReply = {0, 0, 12, 0x42, 0xC8, 0, 0, 0xC1, 0x20, 0, 0, 0x3F, 0x00, 0, 0};

TEST(ReplyFaults, DataBeyondTheByteCountReadsZero) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.replyCommand0();
  h.replyLong(15, kConfigReply);
  EXPECT_EQ(h.data.upperRangeText, "100.0");

  h.start(OP_READ_CONFIG, 0);
  h.replyCommand0();
  h.replyLong(15, {0, 0, 12});  // a short reply: the floats were not carried
  EXPECT_EQ(h.data.upperRangeText, "0.0");
  EXPECT_EQ(h.data.lowerRangeText, "0.0");
  EXPECT_EQ(h.data.dampingText, "0.0");
}

struct ErrorCase {
  const char* name;
  OperationCode op;
  std::uint8_t responseCode;
  const char* status;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

const ErrorCase kErrorCases[] = {
    {"ReadConfigNotImplemented", OP_READ_CONFIG, 64, "校准失败"},
    {"ReadCurrentCommunicationError", OP_READ_CURRENT, 0x88, "接收失败"},
    {"ReadRowTooFewBytes", OP_READ_CAL_ROW1, 5, "读取失败"},
    {"WriteDeviceInfoDelayedResponseConflict", OP_WRITE_DEVICE_INFO, 36, "发送失败"},
    {"ClearZeroError", OP_CLEAR_ZERO, 7, "清零失败"},
    {"FixedCurrentError", OP_FIXED_CURRENT, 11, "设置失败"},
    {"WriteGainError", OP_WRITE_GAIN, 16, "修改失败"},
    {"ReadLongAddressError", OP_READ_LONG_ADDRESS, 64, "接收失败"},
};

class ErrorResponse : public ::testing::TestWithParam<ErrorCase> {};

// The error comes in the reply to the last request: nothing is decoded.
TEST_P(ErrorResponse, EndsWithFailureTextAndDecodesNothing) {
  const ErrorCase& c = GetParam();
  EngineHarness h;
  h.engine.setTiming({400, 0, 1200});  // one try: a communication error is its last
  h.data.gainIndex = 1;
  h.data.unitIndex = 3;
  h.data.upperRangeText = "keep";
  h.start(c.op, 0);
  if (c.op == OP_READ_LONG_ADDRESS) {
    h.replyCommand0(c.responseCode);
  } else {
    h.replyCommand0();
    if (RequestsAfterCommand0(c.op) == 2) h.reply({});
    h.reply(kConfigReply, c.responseCode);
  }
  EXPECT_EQ(h.effects.lastStatus(), c.status);
  EXPECT_EQ(h.effects.lastProgress(), 100);
  EXPECT_EQ(h.data.upperRangeText, "keep");
  EXPECT_EQ(h.data.unitIndex, 3);
  EXPECT_EQ(h.data.longAddressText, "");
  ASSERT_FALSE(h.effects.ended.empty());
  EXPECT_EQ(h.effects.ended.back().second, OperationResult::Failure);
  EXPECT_EQ(h.engine.operationStep(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Codes, ErrorResponse, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyFaults, ErrorToCommand0SendsNothingMoreAndKeepsTheIdentity) {
  EngineHarness h;
  h.engine.setTiming({400, 0, 1200});  // one try: the communication error is its last
  h.data.longAddress = {1, 2, 3, 4, 5};
  h.data.unitIndex = 5;
  h.start(OP_WRITE_CONFIG, 0);
  const std::size_t writes = h.port.writes.size();
  h.replyCommand0(0x84);  // communication error: overrun
  EXPECT_EQ(h.port.writes.size(), writes);
  EXPECT_EQ(h.data.longAddress, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(h.effects.lastStatus(), "修改失败");
  EXPECT_EQ(h.effects.lastProgress(), 100);
}

TEST(ReplyFaults, WarningCodesStillCarryData) {
  for (std::uint8_t code : {8, 14, 24, 27, 30, 31, 96, 127}) {
    EngineHarness h;
    h.start(OP_READ_CONFIG, 0);
    h.replyCommand0(code);
    h.replyLong(15, kConfigReply, code);
    EXPECT_EQ(h.data.upperRangeText, "100.0") << int(code);
    EXPECT_EQ(h.effects.lastStatus(), "校准成功") << int(code);
  }
}

TEST(ReplyFaults, ErrorCodeClassification) {
  for (int code = 0; code < 256; ++code) {
    const bool warning = code == 8 || code == 14 || (code >= 24 && code <= 27) || code == 30 ||
                         code == 31 || (code >= 96 && code <= 127);
    EXPECT_EQ(IsErrorResponse(static_cast<std::uint8_t>(code)), code != 0 && !warning) << code;
  }
}

TEST(ReplyFaults, ReplyToAnotherCommandIsIgnored) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.replyCommand0();
  h.replyShort(0, 0, testing::IdentityData());  // a late answer to an earlier command 0
  EXPECT_TRUE(h.engine.operationInProgress());
  EXPECT_EQ(h.data.upperRangeText, "");
  h.replyLong(15, kConfigReply);
  EXPECT_EQ(h.data.upperRangeText, "100.0");
  EXPECT_EQ(h.effects.lastStatus(), "校准成功");
}

TEST(ReplyFaults, Command0ReplyWithoutIdentityEndsTheOperation) {
  for (std::uint8_t code : {0, 8}) {
    EngineHarness h;
    h.data.longAddress = {1, 2, 3, 4, 5};
    h.start(OP_READ_CONFIG, 0);
    h.replyShort(0, 0, {}, code);  // status bytes only
    EXPECT_EQ(h.port.writes.size(), 1u) << int(code);
    EXPECT_EQ(h.data.longAddress, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(h.effects.lastStatus(), "校准失败");
    EXPECT_EQ(h.effects.lastProgress(), 100);
  }
}

TEST(ReplyFaults, ReplyAfterTheOperationEndedIsIgnored) {
  EngineHarness h;
  h.data.newPollAddress = 3;
  h.start(OP_WRITE_POLL_ADDRESS, 0);
  h.replyCommand0();
  h.replyLong(6, {3});
  ASSERT_EQ(h.effects.lastStatus(), "修改成功");
  const std::size_t writes = h.port.writes.size();
  h.replyCommand0();  // a repeated answer must not start the write again
  h.replyLong(6, {3});
  EXPECT_EQ(h.port.writes.size(), writes);
}

struct RefusalCase {
  const char* name;
  OperationCode op;
  std::function<void(DeviceData&)> setup;
  const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

const RefusalCase kRefusals[] = {
    {"LongAddressTextDoesNotParse", OP_WRITE_LONG_ADDRESS,
     [](DeviceData& d) { d.longAddressText = "0x5a 0x10 0x01 0x02"; },
     "长地址格式错误！格式应为：0x5a 0x10 0x01 0x02 0x03"},
    {"LongAddressTextEmpty", OP_WRITE_LONG_ADDRESS, [](DeviceData& d) { d.longAddressText = ""; },
     "长地址格式错误！格式应为：0x5a 0x10 0x01 0x02 0x03"},
    {"ConfigWithoutUnit", OP_WRITE_CONFIG, [](DeviceData& d) { d.unitIndex = -1; },
     "请先选择单位！"},
    {"OffsetTooLarge", OP_WRITE_OFFSET, [](DeviceData& d) { d.offsetText = "3276.8"; },
     "偏移值超出范围！"},
    {"OffsetTooSmall", OP_WRITE_OFFSET, [](DeviceData& d) { d.offsetText = "-3276.9"; },
     "偏移值超出范围！"},
    {"TagNotPackable", OP_WRITE_DEVICE_INFO, [](DeviceData& d) { d.tag = "温度"; },
     "标签中的 温 不能写入仪表"},
    {"TagWithTilde", OP_WRITE_DEVICE_INFO, [](DeviceData& d) { d.tag = "PT~1"; },
     "标签中的 ~ 不能写入仪表"},
    {"DescriptorWithBrace", OP_WRITE_DEVICE_INFO, [](DeviceData& d) { d.descriptor = "a{b}"; },
     "描述符中的 { 不能写入仪表"},
    {"MessageWithControlCharacter", OP_WRITE_DEVICE_INFO, [](DeviceData& d) { d.message = "A\tB"; },
     "消息中的 \t 不能写入仪表"},
    {"SensorTypeNotSelected", OP_WRITE_SENSOR_CONFIG, [](DeviceData& d) { d.sensorTypeIndex = -1; },
     "请先选择传感器类型！"},
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, SendsNothingAndSaysWhy) {
  const RefusalCase& c = GetParam();
  EngineHarness h;
  c.setup(h.data);
  EXPECT_FALSE(h.start(c.op, 0));
  EXPECT_TRUE(h.port.writes.empty());
  ASSERT_EQ(h.effects.messages.size(), 1u);
  EXPECT_EQ(h.effects.messages[0].first, MessageIcon::Error);
  EXPECT_EQ(h.effects.messages[0].second, c.message);
  ASSERT_EQ(h.effects.ended.size(), 1u);
  EXPECT_EQ(h.effects.ended[0].second, OperationResult::Refused);
}

INSTANTIATE_TEST_SUITE_P(BadInput, Refusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyFaults, OffsetAtTheEdgesIsSent) {
  for (const char* text : {"3276.7", "-3276.8"}) {
    EngineHarness h;
    h.data.offsetText = text;
    EXPECT_TRUE(h.start(OP_WRITE_OFFSET, 0)) << text;
  }
}

TEST(ReplyFaults, ClosedPortRefusesAndReports) {
  EngineHarness h;
  h.port.opened = false;
  EXPECT_FALSE(h.start(OP_READ_CURRENT, 0));
  ASSERT_EQ(h.effects.messages.size(), 1u);
  EXPECT_EQ(h.effects.messages[0].second, "HART端口未打开！");
  EXPECT_FALSE(h.engine.operationInProgress());
}

// A port that fails as the request is written (the adapter has just gone):
// the port reports the loss itself; the operation ends as refused, not as
// one that waits for a reply.
TEST(ReplyFaults, PortThatFailsTheWriteEndsTheOperation) {
  EngineHarness h;
  testing::RecordingObserver observer;
  h.link.setObserver(&observer);
  h.port.refusesWrites = true;
  EXPECT_FALSE(h.start(OP_READ_CURRENT, 0));
  EXPECT_TRUE(observer.sent.empty());
  EXPECT_FALSE(h.engine.operationInProgress());
  ASSERT_EQ(h.effects.ended.size(), 1u);
  EXPECT_EQ(h.effects.ended[0].second, OperationResult::Refused);
  h.link.setObserver(nullptr);
}

TEST(AcquisitionTick, WaitsForAnOperationInFlightForTwoSeconds) {
  EngineHarness h;
  h.start(OP_CALIBRATE_LOW, 0);
  h.replyCommand0();  // request 1 (command 131) is now on its way
  const std::size_t writes = h.port.writes.size();

  h.now += 1000;
  EXPECT_FALSE(h.pollTick(0));
  h.now += 900;
  EXPECT_FALSE(h.pollTick(0));
  EXPECT_EQ(h.port.writes.size(), writes);
  EXPECT_EQ(h.engine.operationCode(), OP_CALIBRATE_LOW);

  // The reply comes and is judged as the calibration's.
  h.replyLong(131, Bytes(5));
  EXPECT_EQ(h.effects.lastStatus(), "校准成功");
  EXPECT_TRUE(h.pollTick(0));
  EXPECT_EQ(h.engine.operationCode(), OP_POLL);
}

TEST(AcquisitionTick, TakesOverAfterTwoSecondsWithoutReply) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.now += kPollYieldMs - 1;
  EXPECT_FALSE(h.pollTick(0));
  h.now += 1;
  EXPECT_TRUE(h.pollTick(0));
  EXPECT_EQ(h.engine.operationCode(), OP_POLL);
}

TEST(AcquisitionTick, PollDoesNotWaitForThePreviousPoll) {
  EngineHarness h;
  EXPECT_TRUE(h.pollTick(0));
  h.now += 1000;
  EXPECT_TRUE(h.pollTick(0));
  EXPECT_EQ(h.port.writes.size(), 2u);
}

TEST(AcquisitionTick, StartingAnotherOperationCancelsThePauseBeforeCommand35) {
  EngineHarness h;
  h.data.unitIndex = 5;
  h.start(OP_WRITE_CONFIG, 0);
  h.replyCommand0();
  h.replyLong(34, {0x3F, 0, 0, 0});
  const std::size_t writes = h.port.writes.size();
  h.start(OP_READ_CURRENT, 0);
  h.advance(kRangeWritePauseMs);
  EXPECT_EQ(h.port.writes.size(), writes + 1);  // only the new command 0
  EXPECT_EQ(testing::FrameBody(h.lastWrite())[2], 0x00);
}

}  // namespace
}  // namespace vantrel
