// Which instrument the engine talks to: the identity of command 0 in each
// revision's layout, the family's own commands only to known models, and
// values that stay with the instrument they were read from.
#include <gtest/gtest.h>

#include "engine/EngineTexts.h"
#include "engine/Instrument.h"
#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;

// Command-0 data of another maker's HART 5 instrument: manufacturer 0x66,
// device type 0xE4, ID 0a 0b 0c.
const Bytes kOtherHart5 = {0xFE, 0x66, 0xE4, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00, 0x0A, 0x0B, 0x0C};
// A HART 7 instrument: expanded device type 0xE12C, manufacturer code 0x60A5
// in bytes 17-18, configuration-change counter 0x0102, extended status 0x01.
const Bytes kHart7 = {0xFE, 0xE1, 0x2C, 0x05, 0x07, 0x03, 0x02, 0x01, 0x00, 0xA1, 0xB2,
                      0xC3, 0x05, 0x04, 0x01, 0x02, 0x01, 0x60, 0xA5, 0x00, 0x00, 0x00};

TEST(InstrumentIdentity, EachRevisionsLayout) {
  const struct {
    const char* name;
    Bytes data;
    int revision;
    InstrumentModel model;
    const char* deviceId;
    std::optional<std::uint16_t> counter;
  } cases[] = {
      {"family HART 5", testing::IdentityData(), 5, {0x5A, 0x10}, "010203", std::nullopt},
      {"other HART 5", kOtherHart5, 5, {0x66, 0xE4}, "0a0b0c", std::nullopt},
      {"HART 7", kHart7, 7, {0x60A5, 0xE12C}, "a1b2c3", 0x0102},
      // Revision 7 in byte 4 but only 12 bytes: read as the HART 5 layout.
      {"short HART 7",
       Bytes(kHart7.begin(), kHart7.begin() + 12),
       7,
       {0xE1, 0x2C},
       "a1b2c3",
       std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Instrument i = InstrumentOf(DecodeUniqueIdentifier(c.data.data(), c.data.size()));
    EXPECT_EQ(i.hartRevision, c.revision);
    EXPECT_EQ(i.model, c.model);
    EXPECT_EQ(DeviceIdText(i.deviceId), c.deviceId);
    EXPECT_EQ(i.configChangeCounter, c.counter);
  }
  EXPECT_EQ(ModelText({0x66, 0xE4}), "制造商 0x66，设备类型 0xE4");
  EXPECT_EQ(ModelWord({0x60A5, 0xE12C}), "0x60a5:0xe12c");
}

TEST(InstrumentIdentity, ModelWords) {
  const struct {
    const char* word;
    std::optional<InstrumentModel> model;
  } cases[] = {{"0x66:0xe4", InstrumentModel{0x66, 0xE4}},
               {"0X60A5:0xE12C", InstrumentModel{0x60A5, 0xE12C}},
               {"0x66", std::nullopt},
               {"66:e4", std::nullopt},
               {"0x:0xe4", std::nullopt},
               {"0x12345:0x1", std::nullopt},
               {"0x66:0xe4:7", std::nullopt},
               {"0x66 :0xe4", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseModelWord(c.word), c.model) << c.word;
}

// calibrate-low to the instrument whose command-0 data is `identity`.
struct GuardRun {
  EngineHarness h;
  std::size_t requestsAfterCommand0 = 0;

  void start(OperationCode op, const Bytes& identity) {
    h.data.lowPressure = 10.0f;
    ASSERT_TRUE(h.start(op, 0));
    const std::size_t before = h.port.writes.size();
    h.replyShort(0, 0, identity);
    requestsAfterCommand0 = h.port.writes.size() - before;
  }
};

TEST(ModelGuard, TheFamilysCommandsGoOnlyToKnownModels) {
  const struct {
    const char* name;
    OperationCode op;
    Bytes identity;
    ModelPolicy policy;
    std::vector<InstrumentModel> known;
    std::size_t sent;  // requests after command 0
    std::size_t asked;
    std::size_t remembered;
  } cases[] = {
      {"family model", OP_CALIBRATE_LOW, testing::IdentityData(), ModelPolicy::Refuse, {}, 1, 0, 0},
      {"other model refused", OP_CALIBRATE_LOW, kOtherHart5, ModelPolicy::Refuse, {}, 0, 0, 0},
      {"other model trusted", OP_CALIBRATE_LOW, kOtherHart5, ModelPolicy::Trust, {}, 1, 0, 1},
      {"other model known",
       OP_CALIBRATE_LOW,
       kOtherHart5,
       ModelPolicy::Refuse,
       {{0x66, 0xE4}},
       1,
       0,
       0},
      {"other model asked", OP_CALIBRATE_LOW, kOtherHart5, ModelPolicy::Ask, {}, 0, 1, 0},
      {"HART 7 by its manufacturer code",
       OP_CALIBRATE_LOW,
       kHart7,
       ModelPolicy::Refuse,
       {{0x60A5, 0xE12C}},
       1,
       0,
       0},
      // The expanded device type's bytes are not a HART 5 model.
      {"HART 7 not by bytes 1-2",
       OP_CALIBRATE_LOW,
       kHart7,
       ModelPolicy::Refuse,
       {{0xE1, 0x2C}},
       0,
       0,
       0},
      {"universal commands are never asked",
       OP_READ_CONFIG,
       kOtherHart5,
       ModelPolicy::Ask,
       {},
       1,
       0,
       0},
      {"common practice neither",
       OP_READ_DEVICE_INFO,
       kOtherHart5,
       ModelPolicy::Refuse,
       {},
       1,
       0,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GuardRun run;
    run.h.engine.setModelPolicy(c.policy);
    run.h.engine.setKnownModels(c.known);
    run.start(c.op, c.identity);
    EXPECT_EQ(run.requestsAfterCommand0, c.sent);
    EXPECT_EQ(run.h.effects.questions.size(), c.asked);
    EXPECT_EQ(run.h.effects.remembered.size(), c.remembered);
    if (c.sent == 0 && c.asked == 0) {
      ASSERT_EQ(run.h.effects.ends.size(), 1u);
      EXPECT_EQ(run.h.effects.ends[0].result, OperationResult::Refused);
      EXPECT_EQ(
          run.h.effects.ends[0].reason,
          "此仪表（" +
              ModelText(InstrumentOf(DecodeUniqueIdentifier(c.identity.data(), c.identity.size()))
                            .model) +
              "）不在已知型号中，命令 131 未发送");
    }
  }
}

TEST(ModelGuard, TheAnswerDecides) {
  const struct {
    const char* name;
    bool send;
    bool remember;
    std::size_t sent;
    std::size_t remembered;
  } cases[] = {{"no", false, false, 0, 0},
               {"yes", true, false, 1, 0},
               {"yes, remember", true, true, 1, 1},
               {"no, remember: nothing kept", false, true, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GuardRun run;
    run.h.engine.setModelPolicy(ModelPolicy::Ask);
    run.start(OP_CALIBRATE_LOW, kOtherHart5);
    ASSERT_EQ(run.h.effects.questions.size(), 1u);
    const ModelQuestion& q = run.h.effects.questions[0];
    EXPECT_EQ(q.text,
              "此仪表（制造商 0x66，设备类型 0xE4）不在已知型号中，命令 131 "
              "对它可能有别的含义。仍要发送吗？");
    // Nothing is due while the user thinks, and the acquisition waits.
    EXPECT_EQ(run.h.engine.nextDeadline(), std::nullopt);
    EXPECT_FALSE(run.h.pollTick(0));
    const std::size_t before = run.h.port.writes.size();
    run.h.engine.answerModelQuestion(q.number + 1, true, true, run.h.now);  // not this question
    EXPECT_EQ(run.h.port.writes.size(), before);
    run.h.engine.answerModelQuestion(q.number, c.send, c.remember, run.h.now);
    EXPECT_EQ(run.h.port.writes.size() - before, c.sent);
    EXPECT_EQ(run.h.effects.remembered.size(), c.remembered);
    EXPECT_EQ(run.h.engine.knownModels().size(), c.remembered);
    if (!c.send) {
      EXPECT_EQ(run.h.effects.ended.back().second, OperationResult::Refused);
    }
  }
}

TEST(ModelGuard, AnotherOperationWithdrawsTheQuestion) {
  GuardRun run;
  run.h.engine.setModelPolicy(ModelPolicy::Ask);
  run.start(OP_CALIBRATE_LOW, kOtherHart5);
  ASSERT_TRUE(run.h.engine.askingAboutModel());
  ASSERT_TRUE(run.h.start(OP_READ_CONFIG, 0));
  ASSERT_GE(run.h.effects.ends.size(), 1u);
  EXPECT_EQ(run.h.effects.ends[0].op, OP_CALIBRATE_LOW);
  EXPECT_EQ(run.h.effects.ends[0].result, OperationResult::Refused);
  EXPECT_FALSE(run.h.engine.askingAboutModel());
}

TEST(ModelGuard, AcquisitionAsksOnceAndStopsWhenRefused) {
  for (const bool allowed : {true, false}) {
    SCOPED_TRACE(allowed);
    GuardRun run;
    run.h.engine.setModelPolicy(ModelPolicy::Ask);
    ASSERT_TRUE(run.h.pollTick(0));
    run.h.replyShort(0, 0, kOtherHart5);
    ASSERT_EQ(run.h.effects.questions.size(), 1u);
    run.h.engine.answerModelQuestion(run.h.effects.questions[0].number, allowed, false, run.h.now);
    if (!allowed) {
      ASSERT_EQ(run.h.effects.acquisitionStops.size(), 1u);
      EXPECT_EQ(run.h.effects.acquisitionStops[0],
                "此仪表（制造商 0x66，设备类型 0xE4）不在已知型号中，命令 135 未发送");
      continue;
    }
    run.h.replyToRequest({0, 0, 0, 7});
    run.h.advance(1000);
    ASSERT_TRUE(run.h.pollTick(0));
    const std::size_t before = run.h.port.writes.size();
    run.h.replyShort(0, 0, kOtherHart5);
    EXPECT_EQ(run.h.effects.questions.size(), 1u);  // not asked again
    EXPECT_EQ(run.h.port.writes.size() - before, 1u);
    run.h.engine.acquisitionStopped();  // started again later: asked again
    run.h.replyToRequest({0, 0, 0, 7});
    run.h.advance(1000);
    ASSERT_TRUE(run.h.pollTick(0));
    run.h.replyShort(0, 0, kOtherHart5);
    EXPECT_EQ(run.h.effects.questions.size(), 2u);
  }
}

// Values read from the family's instrument at address 0, then a write whose
// command 0 is answered by `identity`.
TEST(ValueProvenance, AWriteOfAnotherInstrumentsValuesSendsNothing) {
  const struct {
    const char* name;
    Bytes identity;
    unsigned typed;    // the fields typed since the read
    std::size_t sent;  // requests after command 0
    bool cleared;
  } cases[] = {{"same instrument", testing::IdentityData(), kNoFields, 1, false},
               {"another instrument", kOtherHart5, kNoFields, 0, true},
               {"another instrument, values typed since", kOtherHart5, kRangeFields, 1, true},
               // The unit, the lower range and the damping are still the first one's.
               {"another instrument, one value typed", kOtherHart5, kUpperRangeField, 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHarness h;
    ASSERT_TRUE(h.start(OP_READ_CONFIG, 0));
    h.replyCommand0();
    h.reply({0, 0, 32, 0x42, 0xC8, 0, 0, 0xC1, 0x20, 0, 0, 0x3F, 0x00, 0, 0});
    EXPECT_EQ(h.data.readFields, unsigned{kRangeFields});
    ASSERT_TRUE(h.data.valuesFrom.has_value());
    h.data.typedFields |= c.typed;
    ASSERT_TRUE(h.start(OP_WRITE_CONFIG, 0));
    const std::size_t before = h.port.writes.size();
    h.replyShort(0, 0, c.identity);
    EXPECT_EQ(h.port.writes.size() - before, c.sent);
    EXPECT_EQ(h.effects.cleared.size(), c.cleared ? 1u : 0u);
    if (c.sent == 0) {
      EXPECT_EQ(h.effects.ends.back().result, OperationResult::Refused);
      EXPECT_EQ(h.effects.ends.back().reason,
                "页面数据读自另一台仪表（HART 5  制造商 0x5A  设备类型 0x10  设备ID 010203），"
                "当前仪表为 HART 5  制造商 0x66  设备类型 0xE4  设备ID 0a0b0c：未写入；"
                "已连接另一台仪表，页面数据已清空");
      EXPECT_EQ(h.data.unitIndex, -1);  // the page shows nothing of the other one
      EXPECT_EQ(h.data.lowerRangeText, "");
    }
  }
}

TEST(ValueProvenance, AWrittenLongAddressIsTheSameInstrument) {
  EngineHarness h;
  ASSERT_TRUE(h.start(OP_READ_CONFIG, 0));
  h.replyCommand0();
  h.reply({0, 0, 32, 0x42, 0xC8, 0, 0, 0xC1, 0x20, 0, 0, 0x3F, 0x00, 0, 0});
  h.data.longAddressText = "0x5a 0x10 0x07 0x08 0x09";
  ASSERT_TRUE(h.start(OP_WRITE_LONG_ADDRESS, 0));
  h.replyCommand0();
  h.reply({0x5A, 0x10, 0x07, 0x08, 0x09});
  ASSERT_EQ(h.effects.ended.back().second, OperationResult::Success);
  // The instrument now names itself by the new address: nothing is cleared.
  ASSERT_TRUE(h.start(OP_WRITE_CONFIG, 0));
  const std::size_t before = h.port.writes.size();
  h.replyShort(0, 0, {0xFE, 0x5A, 0x10, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00, 0x07, 0x08, 0x09});
  EXPECT_EQ(h.port.writes.size() - before, 1u);
  EXPECT_TRUE(h.effects.cleared.empty());
}

TEST(ValueProvenance, OnlyToTheInstrumentRequired) {
  for (const bool same : {true, false}) {
    EngineHarness h;
    h.engine.requireInstrument({0x5A, 0x10, 0x01, 0x02, 0x03});
    ASSERT_TRUE(h.start(OP_FIXED_CURRENT, 0));
    const std::size_t before = h.port.writes.size();
    h.replyShort(0, 0, same ? testing::IdentityData() : kOtherHart5);
    EXPECT_EQ(h.port.writes.size() - before, same ? 1u : 0u);
    // The next operation goes anywhere again.
    if (!same) {
      ASSERT_TRUE(h.start(OP_FIXED_CURRENT, 0));
      const std::size_t next = h.port.writes.size();
      h.replyShort(0, 0, kOtherHart5);
      EXPECT_EQ(h.port.writes.size() - next, 1u);
    }
  }
}

}  // namespace
}  // namespace vantrel
