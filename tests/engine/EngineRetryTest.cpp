// The engine on an imperfect line, on time the test moves: lost, spoiled and
// misaddressed replies, communication errors, busy and delayed responses,
// and which requests may go out again.
#include <gtest/gtest.h>

#include <functional>

#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;

// What comes back to the request last written.
enum class Answer {
  Nothing,               // no reply: the try times out
  Reply,                 // the reply, with `code` and `data`
  Spoiled,               // a reply with a wrong check byte
  OtherAddress,          // a reply from another device, and nothing after it
  OtherAddressThenReply  // a reply from another device, then the right one in time
};

struct Reply {
  Answer answer = Answer::Nothing;
  std::uint8_t code = 0;
  Bytes data = {};
};

Reply Ok(Bytes data) {
  return {Answer::Reply, 0, std::move(data)};
}
Reply Code(std::uint8_t code, Bytes data = {}) {
  return {Answer::Reply, code, std::move(data)};
}
Reply OtherThenOk(Bytes data) {
  return {Answer::OtherAddressThenReply, 0, std::move(data)};
}
const Reply kNothing = {Answer::Nothing};
const Reply kSpoiled = {Answer::Spoiled};
const Reply kOtherAddress = {Answer::OtherAddress};

struct RetryCase {
  const char* name;
  OperationCode op;
  std::function<void(DeviceData&)> setup;
  std::vector<Reply> replies;          // one for each request written, in order
  std::vector<std::uint8_t> commands;  // the commands of those requests
  const char* status;                  // the last status text; "" none
  const char* reason;
  OperationResult result;
  int retries;
};

void PrintTo(const RetryCase& c, std::ostream* os) {
  *os << c.name;
}

const Bytes kIdentity = testing::IdentityData();
const Bytes kConfig = {0, 0, 12, 0x42, 0xC8, 0, 0, 0, 0, 0, 0, 0x3F, 0, 0, 0};

void WriteConfigData(DeviceData& d) {
  d.unitIndex = 5;
  d.dampingText = "0.5";
  d.upperRangeText = "100";
  d.lowerRangeText = "0";
}

const RetryCase kRetryCases[] = {
    {"NoReplyThreeRetries",
     OP_READ_CONFIG,
     nullptr,
     {kNothing, kNothing, kNothing, kNothing},
     {0, 0, 0, 0},
     "校准失败",
     "设备无应答",
     OperationResult::NoReply,
     3},
    {"OneLostReply",
     OP_READ_CONFIG,
     nullptr,
     {kNothing, Ok(kIdentity), Ok(kConfig)},
     {0, 0, 15},
     "校准成功",
     "",
     OperationResult::Success,
     1},
    {"SpoiledReply",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), kSpoiled, Ok(kConfig)},
     {0, 15, 15},
     "校准成功",
     "",
     OperationResult::Success,
     1},
    {"CommunicationError",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), Code(0x88), Ok(kConfig)},
     {0, 15, 15},
     "校准成功",
     "",
     OperationResult::Success,
     1},
    {"CommunicationErrorEveryTry",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), Code(0xC0), Code(0xC0), Code(0xC0), Code(0xC0)},
     {0, 15, 15, 15, 15},
     "校准失败",
     "通信错误：奇偶校验错误",
     OperationResult::Failure,
     3},
    {"OtherAddressIsNoReply",
     OP_READ_CONFIG,
     nullptr,
     {kOtherAddress, Ok(kIdentity), Ok(kConfig)},
     {0, 0, 15},
     "校准成功",
     "",
     OperationResult::Success,
     1},
    {"OtherAddressThenTheReplyInTime",
     OP_READ_CONFIG,
     nullptr,
     {OtherThenOk(kIdentity), OtherThenOk(kConfig)},
     {0, 15},
     "校准成功",
     "",
     OperationResult::Success,
     0},
    {"BusyTwiceThenTheAnswer",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), Code(32), Code(32), Ok(kConfig)},
     {0, 15, 15, 15},
     "校准成功",
     "",
     OperationResult::Success,
     2},
    {"BusySixTimes",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), Code(32), Code(32), Code(32), Code(32), Code(32), Code(32)},
     {0, 15, 15, 15, 15, 15, 15},
     "校准失败",
     "设备忙",
     OperationResult::Failure,
     5},
    {"DelayedResponse",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), Code(33), Code(34), Code(34), Ok(kConfig)},
     {0, 15, 15, 15, 15},
     "校准成功",
     "",
     OperationResult::Success,
     3},
    {"DelayedResponseDead",
     OP_READ_CONFIG,
     nullptr,
     {Ok(kIdentity), Code(33), Code(35)},
     {0, 15, 15},
     "校准失败",
     "延迟响应已失效",
     OperationResult::Failure,
     1},
    // The instrument may have acted on a calibration whose reply was lost.
    {"CalibrationNoReplySentOnce",
     OP_CLEAR_ZERO,
     nullptr,
     {Ok(kIdentity), kNothing},
     {0, 43},
     "清零失败",
     "结果未知，请读取确认",
     OperationResult::NoReply,
     0},
    {"CalibrationSpoiledSentOnce",
     OP_CALIBRATE_LOW,
     nullptr,
     {Ok(kIdentity), kSpoiled},
     {0, 131},
     "校准失败",
     "结果未知，请读取确认",
     OperationResult::NoReply,
     0},
    // The calibrations' own meanings of 9 and 10: the pressure applied.
    {"CalibrationRefusedAppliedTooHigh",
     OP_CALIBRATE_HIGH,
     nullptr,
     {Ok(kIdentity), Code(9)},
     {0, 130},
     "校准失败",
     "所加过程值过高",
     OperationResult::Failure,
     0},
    {"ZeroRefusedAppliedTooLow",
     OP_CLEAR_ZERO,
     nullptr,
     {Ok(kIdentity), Code(10)},
     {0, 43},
     "清零失败",
     "所加过程值过低",
     OperationResult::Failure,
     0},
    // A communication error proves it did not act.
    {"CalibrationCommunicationErrorSentAgain",
     OP_CLEAR_ZERO,
     nullptr,
     {Ok(kIdentity), Code(0x88), Ok(Bytes(5, 0))},
     {0, 43, 43},
     "清零成功",
     "",
     OperationResult::Success,
     1},
    // Command 0 of a calibration is a read.
    {"CalibrationCommand0Retried",
     OP_CLEAR_ZERO,
     nullptr,
     {kNothing, Ok(kIdentity), Ok(Bytes(5, 0))},
     {0, 0, 43},
     "清零成功",
     "",
     OperationResult::Success,
     1},
    {"WriteConfigDampingRefused",
     OP_WRITE_CONFIG,
     WriteConfigData,
     {Ok(kIdentity), Code(64), Ok({12})},
     {0, 34, 35},
     "修改失败",
     "阻尼时间未修改：命令未实现",
     OperationResult::Failure,
     0},
    {"WriteConfigBothRefused",
     OP_WRITE_CONFIG,
     WriteConfigData,
     {Ok(kIdentity), Code(64), Code(7)},
     {0, 34, 35},
     "修改失败",
     "阻尼时间未修改：命令未实现；量程未修改：处于写保护模式",
     OperationResult::Failure,
     0},
    {"RefusedCommand0EndsAtOnce",
     OP_WRITE_CONFIG,
     WriteConfigData,
     {Code(64)},
     {0},
     "修改失败",
     "命令未实现",
     OperationResult::Failure,
     0},
    {"CommTestNoReply",
     OP_COMM_TEST,
     nullptr,
     {kNothing, kNothing, kNothing, kNothing},
     {0, 0, 0, 0},
     "通信失败",
     "设备无应答",
     OperationResult::NoReply,
     3},
    // Acquisition: one try, nothing shown.
    {"PollNoReply",
     OP_POLL,
     nullptr,
     {kNothing},
     {0},
     "",
     "设备无应答",
     OperationResult::NoReply,
     0},
};

class RetryScript : public ::testing::TestWithParam<RetryCase> {
 protected:
  // The reply to the request last written, from its device or another.
  Bytes replyFrame(const Reply& r, bool otherDevice) {
    const Bytes& request = testing::FrameBody(h.lastWrite());
    const std::uint8_t command = h.link.link().txCommand;
    if (request[0] == 0x02) {
      const auto address = static_cast<std::uint8_t>(request[1] + (otherDevice ? 1 : 0));
      return testing::ResponseFrame(0x06, {address}, command, r.code, r.data);
    }
    Bytes address(request.begin() + 1, request.begin() + 6);
    if (otherDevice) ++address[4];
    return testing::ResponseFrame(0x86, address, command, r.code, r.data);
  }

  void answer(const Reply& r) {
    switch (r.answer) {
      case Answer::Nothing:
        return;
      case Answer::Reply:
        h.feed(replyFrame(r, false));
        return;
      case Answer::Spoiled: {
        Bytes frame = replyFrame(r, false);
        frame.back() ^= 0x01;
        h.feed(frame);
        return;
      }
      case Answer::OtherAddress:
        h.feed(replyFrame(r, true));
        return;
      case Answer::OtherAddressThenReply:
        h.feed(replyFrame(r, true));
        h.feed(replyFrame(r, false));
        return;
    }
  }

  // Moves the time on until the engine writes again or the operation ends.
  void letTheEngineAct(std::size_t writes) {
    for (int ms = 0; ms < 5000 && h.port.writes.size() == writes && h.effects.ended.empty();
         ms += 10) {
      h.advance(10);
    }
  }

  EngineHarness h;
};

TEST_P(RetryScript, SendsTheRequestsAndEndsAsItShould) {
  const RetryCase& c = GetParam();
  if (c.setup) c.setup(h.data);
  ASSERT_TRUE(h.start(c.op, 0));
  for (std::size_t i = 0; i < c.replies.size(); ++i) {
    ASSERT_EQ(h.port.writes.size(), i + 1) << "before reply " << i;
    answer(c.replies[i]);
    letTheEngineAct(i + 1);
  }
  ASSERT_EQ(h.port.writes.size(), c.commands.size());
  for (std::size_t i = 0; i < c.commands.size(); ++i) {
    const Bytes body = testing::FrameBody(h.port.writes[i]);
    EXPECT_EQ(body[body[0] == 0x02 ? 2 : 6], c.commands[i]) << "request " << i;
    // A request sent again is the same request, byte for byte.
    if (i > 0 && c.commands[i] == c.commands[i - 1]) {
      EXPECT_EQ(h.port.writes[i], h.port.writes[i - 1]) << "request " << i;
    }
  }
  ASSERT_EQ(h.effects.ends.size(), 1u);
  const OperationEnd& end = h.effects.ends[0];
  EXPECT_EQ(end.result, c.result);
  EXPECT_EQ(end.reason, c.reason);
  EXPECT_EQ(end.retries, c.retries);
  EXPECT_EQ(h.effects.lastStatus(), c.status);
  if (c.op != OP_POLL) {
    EXPECT_EQ(h.effects.lastProgress(), 100);
  }
  EXPECT_FALSE(h.engine.operationInProgress());
  EXPECT_FALSE(h.engine.nextDeadline());
}

INSTANTIATE_TEST_SUITE_P(Line, RetryScript, ::testing::ValuesIn(kRetryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The time-out of a try counts from the end of the request's line time: the
// 15 bytes of command 0 take 138 ms at 1200 baud, then 400 ms of waiting.
TEST(RetryTiming, TimeOutCountsAfterTheRequestsLineTime) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.advance(138 + 400 - 1);
  EXPECT_EQ(h.port.writes.size(), 1u);
  h.advance(1);
  EXPECT_EQ(h.port.writes.size(), 2u);
}

// A reply that has begun holds the time-out off until it ends, however long
// it takes to arrive.
TEST(RetryTiming, AReplyOnItsWayIsWaitedFor) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.now += 530;
  const Bytes start = {0xFF, 0xFF, 0xFF, 0x06, 0x80};
  h.link.receiveBytes(start.data(), start.size(), h.now);
  h.advance(15);  // past the time-out (538 ms), but the reply is coming
  EXPECT_EQ(h.port.writes.size(), 1u);
  Bytes rest = testing::ResponseFrame(0x06, {0x80}, 0, 0, kIdentity);
  rest.erase(rest.begin(), rest.begin() + 2);
  h.link.receiveBytes(rest.data(), rest.size(), h.now);
  EXPECT_EQ(h.link.link().txCommand, 15);  // taken: the next request went out
}

// A request the transport refused (a HART-IP server's NAK) is tried again at
// once; after the last try the transport's words are the reason.
TEST(RetryTiming, ARefusedRequestIsTriedAgainAndNamedAtTheEnd) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  for (std::size_t tries = 1; tries <= 4; ++tries) {
    ASSERT_EQ(h.port.writes.size(), tries);
    h.link.requestRefused("否认：服务不可用", h.now);
  }
  EXPECT_EQ(h.port.writes.size(), 4u);
  ASSERT_EQ(h.effects.ends.size(), 1u);
  EXPECT_EQ(h.effects.ends[0].result, OperationResult::Failure);
  EXPECT_EQ(h.effects.ends[0].reason, "否认：服务不可用");
  EXPECT_EQ(h.effects.ends[0].retries, 3);
}

// A start while a reply arrives holds its command 0 until the frame has
// ended, whole or cut by line silence; the abandoned reply is not taken.
TEST(RetryTiming, AStartDuringAReplyWaitsForTheLineToBeQuiet) {
  for (const bool whole : {true, false}) {
    EngineHarness h;
    h.start(OP_READ_CONFIG, 0);
    h.now += 300;
    const Bytes start = {0xFF, 0xFF, 0xFF, 0x06, 0x80};
    h.link.receiveBytes(start.data(), start.size(), h.now);
    EXPECT_TRUE(h.start(OP_READ_CURRENT, 0));
    EXPECT_EQ(h.port.writes.size(), 1u) << "nothing sent into the reply";
    EXPECT_TRUE(h.engine.operationInProgress());
    EXPECT_FALSE(h.pollTick(0));
    if (whole) {
      Bytes rest = testing::ResponseFrame(0x06, {0x80}, 0, 0, kIdentity);
      rest.erase(rest.begin(), rest.begin() + 2);
      h.link.receiveBytes(rest.data(), rest.size(), h.now + 10);
    } else {
      h.link.handleDeadline(h.now + kSilenceMs);
    }
    ASSERT_EQ(h.port.writes.size(), 2u) << whole;
    EXPECT_EQ(testing::FrameBody(h.lastWrite()), (Bytes{0x02, 0x80, 0x00, 0x00, 0x82})) << whole;
    EXPECT_EQ(h.engine.operationCode(), OP_READ_CURRENT);
    EXPECT_EQ(h.engine.operationStep(), 0u) << "the old reply was not taken";
  }
}

// Acquisition keeps away while an operation waits out a delayed response,
// even when its last request went out more than two seconds ago.
TEST(RetryTiming, PollTickSkippedDuringADelayedResponse) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.replyCommand0();
  h.reply({}, 33);
  h.now += 3000;
  EXPECT_FALSE(h.pollTick(0));
  EXPECT_EQ(h.engine.operationCode(), OP_READ_CONFIG);
  EXPECT_EQ(h.effects.lastStatus(), "设备忙，请稍候…");
}

// So does it while an operation tries a request again.
TEST(RetryTiming, PollTickSkippedDuringRetries) {
  EngineHarness h;
  h.start(OP_READ_CONFIG, 0);
  h.advance(600);  // the first try has failed; the second is on its way
  ASSERT_EQ(h.port.writes.size(), 2u);
  h.now += 2500;
  EXPECT_FALSE(h.pollTick(0));
}

}  // namespace
}  // namespace vantrel
