// The sampling run: the exact requests (one command 0, then one command 3
// per sample), its pace, its tries, and how it gives way to an operation.
#include <gtest/gtest.h>

#include <vector>

#include "engine/Encoding.h"
#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;
using testing::FrameBody;

// Command 0 to polling address 0, and command 3 to the long address
// 0x9A 0x10 0x01 0x02 0x03, from the delimiter to the check byte.
const Bytes kCommand0 = {0x02, 0x80, 0x00, 0x00, 0x82};
const Bytes kCommand3 = {0x82, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x03, 0x00, 0x0B};
// The line rests one character time between a reply and the next sample.
constexpr TimeMs kGapMs = 10;
// Command 3's 19 bytes on the line and the reply time-out.
constexpr TimeMs kSampleReplyDueMs = 175 + 400;

// Command 3's reply data: the loop current, the four variables.
Bytes Command3Data(float current, std::uint8_t unit, float pv) {
  Bytes data(24, 0);
  WriteFloatBE(current, data.data());
  data[4] = unit;
  WriteFloatBE(pv, data.data() + 5);
  data[9] = 32;
  WriteFloatBE(21.5f, data.data() + 10);
  return data;
}

// The command of each request written, in order.
std::vector<int> Commands(const EngineHarness& h) {
  std::vector<int> commands;
  for (const Bytes& written : h.port.writes) {
    const Bytes body = FrameBody(written);
    commands.push_back(body[0] & 0x80 ? body[6] : body[2]);
  }
  return commands;
}

// Sampling at polling address 0 with its command 0 answered and the first
// command 3 sent.
void StartAndIdentify(EngineHarness& h, TimeMs intervalMs = 0) {
  h.startSampling(0, intervalMs);
  h.replyCommand0();
  h.advance(kGapMs);
  ASSERT_EQ(h.port.writes.size(), 2u);
}

TEST(Sampling, OneCommand0ThenOneCommand3PerSample) {
  EngineHarness h;
  h.startSampling(0, 0);
  ASSERT_EQ(h.port.writes.size(), 1u);
  EXPECT_EQ(FrameBody(h.lastWrite()), kCommand0);
  h.replyCommand0();
  EXPECT_EQ(h.port.writes.size(), 1u);  // the line rests first
  h.advance(kGapMs);
  ASSERT_EQ(h.port.writes.size(), 2u);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(FrameBody(h.lastWrite()), kCommand3) << k;
    h.reply(Command3Data(4.0f + 4.0f * static_cast<float>(k), 12, 25.0f * static_cast<float>(k)));
    ASSERT_EQ(h.effects.samples.size(), static_cast<std::size_t>(k));
    const Sample& s = h.effects.samples.back();
    EXPECT_EQ(s.at, h.now);
    EXPECT_FLOAT_EQ(s.loopCurrent, 4.0f + 4.0f * static_cast<float>(k));
    EXPECT_FLOAT_EQ(s.primaryVariable, 25.0f * static_cast<float>(k));
    EXPECT_EQ(s.pvUnitCode, 12);
    EXPECT_FLOAT_EQ(s.percentOfRange, 25.0f * static_cast<float>(k));
    EXPECT_EQ(h.port.writes.size(), static_cast<std::size_t>(k + 1));  // one per sample
    h.advance(kGapMs);
  }
  EXPECT_EQ(Commands(h), (std::vector<int>{0, 3, 3, 3, 3}));
  EXPECT_TRUE(h.effects.ended.empty());  // no operation, no status, no progress
  EXPECT_TRUE(h.effects.statusTexts.empty());
  EXPECT_TRUE(h.effects.progress.empty());
  EXPECT_EQ(h.data.longAddress, (LongAddressBytes{0x5A, 0x10, 0x01, 0x02, 0x03}));
  EXPECT_FLOAT_EQ(h.data.loopCurrent, 0.0f);  // the pages' data are not the trend's
}

// Each request goes out an interval after the one before, and never
// sooner than the gap after the reply.
TEST(Sampling, PacedByItsInterval) {
  const struct {
    TimeMs interval;
    TimeMs next;  // after the request before; its reply comes after 100 ms
  } cases[] = {{0, 100 + kGapMs}, {1000, 1000}, {50, 100 + kGapMs}, {105, 100 + kGapMs}};
  for (const auto& c : cases) {
    EngineHarness h;
    StartAndIdentify(h, c.interval);
    const TimeMs sentAt = h.now;
    h.reply(Command3Data(12.0f, 12, 50.0f));
    ASSERT_EQ(h.engine.nextDeadline(), sentAt + c.next) << c.interval;
    h.advance(sentAt + c.next - 1 - h.now);
    EXPECT_EQ(h.port.writes.size(), 2u) << c.interval;
    h.advance(1);
    EXPECT_EQ(h.port.writes.size(), 3u) << c.interval;
    EXPECT_EQ(FrameBody(h.lastWrite()), kCommand3);
  }
}

enum class Answer { Nothing, Spoiled, CommunicationError, Reply };

TEST(Sampling, AMissedReplyIsTriedAgainThenTheRunStops) {
  const struct {
    const char* name;
    std::vector<Answer> answers;  // to each command 3 written
    std::size_t samples;
    bool stops;
    OperationResult result;
    const char* reason;
  } cases[] = {
      {"NoReply",
       {Answer::Nothing, Answer::Nothing, Answer::Nothing, Answer::Nothing},
       0,
       true,
       OperationResult::NoReply,
       "设备无应答"},
      {"SpoiledThenReply", {Answer::Spoiled, Answer::Reply}, 1, false, {}, ""},
      {"NoReplyThenReply", {Answer::Nothing, Answer::Nothing, Answer::Reply}, 1, false, {}, ""},
      {"CommunicationErrorEveryTry",
       {Answer::CommunicationError, Answer::CommunicationError, Answer::CommunicationError,
        Answer::CommunicationError},
       0,
       true,
       OperationResult::Failure,
       "通信错误：奇偶校验错误"},
  };
  for (const auto& c : cases) {
    EngineHarness h;
    StartAndIdentify(h);
    for (const Answer answer : c.answers) {
      EXPECT_EQ(FrameBody(h.lastWrite()), kCommand3) << c.name;
      if (answer == Answer::Nothing) {
        h.advance(kSampleReplyDueMs);
      } else if (answer == Answer::Spoiled) {
        Bytes frame = testing::ResponseFrame(0x86, testing::kDeviceLongAddress, 3, 0,
                                             Command3Data(12.0f, 12, 50.0f));
        frame.back() ^= 0x01;
        h.feed(frame);
      } else {
        h.reply(Command3Data(12.0f, 12, 50.0f), answer == Answer::Reply ? 0 : 0xC0);
      }
    }
    EXPECT_EQ(h.port.writes.size(), 1 + c.answers.size()) << c.name;
    EXPECT_EQ(h.effects.samples.size(), c.samples) << c.name;
    ASSERT_EQ(h.effects.samplingEnds.size(), c.stops ? 1u : 0u) << c.name;
    EXPECT_EQ(h.engine.samplingActive(), !c.stops) << c.name;
    if (!c.stops) continue;
    EXPECT_EQ(h.effects.samplingEnds[0].result, c.result) << c.name;
    EXPECT_EQ(h.effects.samplingEnds[0].reason, c.reason) << c.name;
    EXPECT_EQ(h.effects.samplingEnds[0].retries, 3) << c.name;
    h.advance(5000);
    EXPECT_EQ(h.port.writes.size(), 1 + c.answers.size()) << c.name;  // nothing more
  }
}

// An operation started while a sample awaits its reply goes once that
// transaction has ended, and the run goes on after it without command 0.
TEST(Sampling, AnOperationWaitsAtMostForTheSampleInProgress) {
  const Bytes config = {0, 0, 12, 0x42, 0xC8, 0, 0, 0, 0, 0, 0, 0x3F, 0, 0, 0};
  const struct {
    const char* name;
    bool sampleAnswered;  // else its try times out
  } cases[] = {{"SampleAnswered", true}, {"SampleTimesOut", false}};
  for (const auto& c : cases) {
    EngineHarness h;
    StartAndIdentify(h);
    const TimeMs sentAt = h.now;
    EXPECT_TRUE(h.start(OP_READ_CONFIG, 0));
    EXPECT_EQ(h.port.writes.size(), 2u) << c.name;  // not into the sample's reply
    if (c.sampleAnswered) {
      h.reply(Command3Data(12.0f, 12, 50.0f));
      EXPECT_EQ(h.effects.samples.size(), 1u) << c.name;
    } else {
      h.advance(kSampleReplyDueMs - 1);
      EXPECT_EQ(h.port.writes.size(), 2u) << c.name;
      h.advance(1);
      EXPECT_EQ(h.now, sentAt + kSampleReplyDueMs);
    }
    ASSERT_EQ(h.port.writes.size(), 3u) << c.name;
    EXPECT_EQ(FrameBody(h.lastWrite()), kCommand0) << c.name;
    h.replyCommand0();
    h.advance(kGapMs);
    EXPECT_EQ(h.port.writes.size(), 4u) << c.name;  // the operation holds the link
    h.reply(config);
    ASSERT_EQ(h.effects.ended.size(), 1u) << c.name;
    EXPECT_EQ(h.effects.ended[0].second, OperationResult::Success) << c.name;
    h.advance(kGapMs);
    EXPECT_EQ(Commands(h), (std::vector<int>{0, 3, 0, 15, 3})) << c.name;
    EXPECT_TRUE(h.effects.samplingEnds.empty()) << c.name;
  }
}

// After an operation on another instrument the run names its own again.
TEST(Sampling, AfterAnotherInstrumentItSendsCommand0Again) {
  EngineHarness h;
  StartAndIdentify(h);
  h.reply(Command3Data(12.0f, 12, 50.0f));
  EXPECT_TRUE(h.start(OP_READ_LONG_ADDRESS, 1));  // between samples: at once
  EXPECT_EQ(h.port.writes.size(), 3u);
  h.replyShort(1, 0, testing::IdentityData(0x26));
  ASSERT_EQ(h.effects.ended.size(), 1u);
  h.advance(kGapMs);
  ASSERT_EQ(h.port.writes.size(), 4u);
  EXPECT_EQ(FrameBody(h.lastWrite()), kCommand0);
  h.replyCommand0();
  h.advance(kGapMs);
  EXPECT_EQ(FrameBody(h.lastWrite()), kCommand3);
}

TEST(Sampling, StopSendsNothingMoreAndTakesNoLateReply) {
  EngineHarness h;
  StartAndIdentify(h);
  h.engine.stopSampling();
  h.reply(Command3Data(12.0f, 12, 50.0f));
  h.advance(5000);
  EXPECT_EQ(h.port.writes.size(), 2u);
  EXPECT_TRUE(h.effects.samples.empty());
  EXPECT_TRUE(h.effects.samplingEnds.empty());
  EXPECT_FALSE(h.engine.nextDeadline().has_value());
}

// A busy instrument is asked again after the pause an operation waits,
// without counting a failed try.
TEST(Sampling, ABusyInstrumentIsAskedAgainLater) {
  EngineHarness h;
  StartAndIdentify(h);
  h.reply({}, RC_BUSY);
  const TimeMs busyAt = h.now;
  h.advance(kBusyResendMs - 1);
  EXPECT_EQ(h.port.writes.size(), 2u);
  h.advance(1);
  ASSERT_EQ(h.port.writes.size(), 3u);
  EXPECT_EQ(h.now, busyAt + kBusyResendMs);
  EXPECT_EQ(FrameBody(h.lastWrite()), kCommand3);
}

TEST(Sampling, WhatEndsTheRunAtOnce) {
  const struct {
    const char* name;
    void (*happen)(EngineHarness&);
    std::size_t written;
    const char* reason;
  } cases[] = {
      {"Command0WithoutIdentity",
       [](EngineHarness& h) {
         h.startSampling(0, 0);
         h.replyShort(0, 0, {0xFE, 0x5A, 0x10});
       },
       1, "应答中没有设备标识"},
      {"Command3Refused",
       [](EngineHarness& h) {
         StartAndIdentify(h);
         h.reply({}, RC_COMMAND_NOT_IMPLEMENTED);
       },
       2, "命令未实现"},
      {"PortLost",
       [](EngineHarness& h) {
         StartAndIdentify(h);
         h.engine.portLost(h.now);
       },
       2, "HART端口已断开！"},
      {"PortClosed",
       [](EngineHarness& h) {
         h.port.opened = false;
         h.startSampling(0, 0);
       },
       0, "HART端口未打开！"},
  };
  for (const auto& c : cases) {
    EngineHarness h;
    c.happen(h);
    ASSERT_EQ(h.effects.samplingEnds.size(), 1u) << c.name;
    EXPECT_EQ(h.effects.samplingEnds[0].reason, c.reason) << c.name;
    EXPECT_FALSE(h.engine.samplingActive()) << c.name;
    h.advance(5000);
    EXPECT_EQ(h.port.writes.size(), c.written) << c.name;
    EXPECT_TRUE(h.effects.messages.empty()) << c.name;  // said by the run's end alone
  }
}

}  // namespace
}  // namespace vantrel
