// Operations over a faulty line: a damaged, missing or late reply, a reply
// from another address, an error response and noise between frames. Whatever
// the line does, no damaged frame reaches the engine, nothing is decoded from
// one, no operation claims a success it did not have, and the next operation
// works once the line is clean again.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cli/CliSession.h"
#include "tests/faults/FaultBench.h"

namespace vantrel::testing {
namespace {

struct OpCase {
  const char* word;
  OperationCode op;
  const char* success;
  const char* failure;  // shown on an error response
  const char* noReply;  // shown when no reply comes
  std::function<void(DeviceData&)> prepare;
};

// Operations of every shape: command 0 only, one and two requests after it,
// reads, an echo-tested write, a write with a pause, and a calibration
// compared with the long address.
const OpCase kOps[] = {
    {"comm-test", OP_COMM_TEST, "通信正常", "通信正常", "通信失败", {}},
    {"read-long-address", OP_READ_LONG_ADDRESS, "接收成功", "接收失败", "接收失败", {}},
    {"read-config", OP_READ_CONFIG, "校准成功", "校准失败", "校准失败", {}},
    {"read-device-info", OP_READ_DEVICE_INFO, "接收成功", "接收失败", "接收失败", {}},
    {"write-gain", OP_WRITE_GAIN, "修改成功", "修改失败", "修改失败",
     [](DeviceData& d) { d.gainIndex = 2; }},
    {"write-config", OP_WRITE_CONFIG, "修改成功", "修改失败", "修改失败",
     [](DeviceData& d) {
       d.unitIndex = 5;  // kPa
       d.lowerRangeText = "0";
       d.upperRangeText = "100";
       d.dampingText = "0.5";
     }},
    {"clear-zero", OP_CLEAR_ZERO, "清零成功", "清零失败", "清零失败", {}},
};

// Opens the bench on the line and reads the long address, which the
// calibrations compare their replies with.
void OpenAndReadLongAddress(FaultBench& bench, FaultyLine& line) {
  ASSERT_TRUE(bench.open(line.path()));
  const RunOutcome out = bench.run(OP_READ_LONG_ADDRESS, kEndMs);
  ASSERT_TRUE(out.ended);
  ASSERT_EQ(bench.data.longAddressText, "0x5a 0x10 0x01 0x02 0x03");
}

// Arms `faults` for the replies after the first one the engine is handed
// from now on, so that the command-0 step succeeds and the next step's reply
// is the faulty one.
void ArmAfterCommand0(FaultBench& bench, FaultyLine& line, const sim::LineFaults& faults) {
  bench.beforeReply = [&line, faults, armed = false](std::size_t) mutable {
    if (armed) return;
    armed = true;
    line.set(faults);
  };
}

// Puts `faults` on the command-0 reply, or on the reply after it.
void Arm(FaultBench& bench, FaultyLine& line, const sim::LineFaults& faults, bool afterCommand0) {
  if (afterCommand0) {
    ArmAfterCommand0(bench, line, faults);
  } else {
    line.set(faults);
  }
}

void ExpectRecovers(FaultBench& bench, FaultyLine& line, const OpCase& op) {
  line.clean();
  const RunOutcome out = bench.run(op.op, kEndMs, op.prepare);
  EXPECT_TRUE(out.ended) << "after the fault: " << op.word;
  EXPECT_EQ(out.result, OperationResult::Success) << op.word;
  EXPECT_EQ(out.lastStatus(), op.success) << op.word;
}

// For every operation, with `faults` on its command-0 reply and (where it has
// more requests) on the reply after: `check(op, afterCommand0)` runs the
// operation and judges it, then the same operation must work on a clean line.
template <typename Check>
void ForEachFaultedReply(FaultBench& bench, FaultyLine& line, const sim::LineFaults& faults,
                         Check check) {
  for (const OpCase& op : kOps) {
    for (const bool afterCommand0 : {false, true}) {
      if (afterCommand0 && RequestsAfterCommand0(op.op) == 0) continue;
      SCOPED_TRACE(std::string(op.word) + (afterCommand0 ? ", after command 0" : ""));
      Arm(bench, line, faults, afterCommand0);
      check(op, afterCommand0);
      bench.beforeReply = nullptr;
      if (::testing::Test::HasFatalFailure()) return;
      ASSERT_NO_FATAL_FAILURE(ExpectRecovers(bench, line, op));
    }
  }
}

// --- replies that never arrive whole ----------------------------------------

struct WithheldCase {
  const char* name;
  sim::LineFaults faults;
};

void PrintTo(const WithheldCase& c, std::ostream* os) {
  *os << c.name;
}

sim::LineFaults Corrupt(double rate) {
  sim::LineFaults f;
  f.corruptRate = rate;
  return f;
}
sim::LineFaults Drop(double rate, std::uint64_t seed = 1) {
  sim::LineFaults f;
  f.dropRate = rate;
  f.seed = seed;
  return f;
}
sim::LineFaults NoReply(double rate = 1.0) {
  sim::LineFaults f;
  f.noReplyRate = rate;
  return f;
}
sim::LineFaults Late(int ms) {
  sim::LineFaults f;
  f.lateMs = ms;
  return f;
}
sim::LineFaults WrongAddress() {
  sim::LineFaults f;
  f.wrongAddress = true;
  return f;
}

sim::LineFaults CorruptBehindGarbageAndLate() {
  sim::LineFaults f = Corrupt(1.0);
  f.garbageBytes = 12;
  f.lateMs = 150;
  return f;
}

const WithheldCase kWithheld[] = {
    {"CorruptCheckByte", Corrupt(1.0)},
    {"EveryByteDropped", Drop(1.0)},
    {"HalfTheBytesDropped", Drop(0.5, 7)},
    {"NoReply", NoReply()},
    {"CorruptBehindGarbageAndLate", CorruptBehindGarbageAndLate()},
};

class WithheldReply : public ::testing::TestWithParam<WithheldCase> {};

// Every operation, with the fault on its command-0 reply and (where it has
// more requests) on the reply after: no try gets an intact reply, so after
// its three retries the operation ends with its failure text and "设备无应答",
// decoding nothing. A calibration whose own request got no reply is not sent
// again, since the instrument may have acted: it ends at once, the result
// unknown. The same operation works once the fault is off.
TEST_P(WithheldReply, EndsAfterItsRetriesDecodingNothing) {
  const WithheldCase& c = GetParam();
  FaultyLine line;
  FaultBench bench;
  ASSERT_NO_FATAL_FAILURE(OpenAndReadLongAddress(bench, line));

  ForEachFaultedReply(bench, line, c.faults, [&](const OpCase& op, bool afterCommand0) {
    const std::size_t logged = line.injector->log().size();
    const RunOutcome out = bench.run(op.op, kEndMs, op.prepare);
    const bool once = afterCommand0 && !MaySendTwice(op.op);
    const int tries = once ? 1 : 4;

    ASSERT_TRUE(out.ended);
    EXPECT_EQ(out.result, OperationResult::NoReply);
    EXPECT_EQ(out.lastStatus(), op.noReply);
    EXPECT_EQ(out.reason, once ? "结果未知，请读取确认" : "设备无应答");
    EXPECT_EQ(out.retries, tries - 1);
    EXPECT_EQ(out.progress, 100);
    EXPECT_FALSE(out.claimedSuccess()) << out.statusTrail();
    EXPECT_EQ(out.replies, afterCommand0 ? 1u : 0u);
    EXPECT_EQ(out.dataAfter, out.dataBefore);
    // The fault hit the reply to every try.
    const std::vector<sim::ReplyRecord> log = line.injector->log();
    const std::size_t first = logged + (afterCommand0 ? 1 : 0);
    ASSERT_EQ(log.size(), first + static_cast<std::size_t>(tries));
    for (std::size_t i = first; i < log.size(); ++i) EXPECT_FALSE(log[i].frameIntact) << i;
  });
  line.expectOnlyIntactFramesHanded(bench.handed);
}

INSTANTIATE_TEST_SUITE_P(LineFaults, WithheldReply, ::testing::ValuesIn(kWithheld),
                         [](const auto& info) { return std::string(info.param.name); });

// --- error responses --------------------------------------------------------

class ErrorResponse : public ::testing::TestWithParam<int> {};

// An error code in place of the reply: the operation ends with its failure
// text and decodes nothing. The communication test takes any reply as an
// answer: it reports 通信正常 whatever the response code.
TEST_P(ErrorResponse, EndsWithTheFailureTextAndDecodesNothing) {
  sim::LineFaults faults;
  faults.errorCode = static_cast<std::uint8_t>(GetParam());
  FaultyLine line;
  FaultBench bench;
  ASSERT_NO_FATAL_FAILURE(OpenAndReadLongAddress(bench, line));

  ForEachFaultedReply(bench, line, faults, [&](const OpCase& op, bool) {
    const RunOutcome out = bench.run(op.op, kEndMs, op.prepare);
    ASSERT_TRUE(out.ended);
    EXPECT_EQ(out.lastStatus(), op.failure);
    EXPECT_EQ(out.progress, 100);
    EXPECT_EQ(out.dataAfter, out.dataBefore);
    if (op.op == OP_COMM_TEST) {
      EXPECT_EQ(out.result, OperationResult::Success);
    } else {
      EXPECT_EQ(out.result, OperationResult::Failure);
      EXPECT_FALSE(out.claimedSuccess()) << out.statusTrail();
    }
    EXPECT_EQ(bench.handedFrames.back().responseCode, GetParam());
    EXPECT_EQ(bench.handedFrames.back().dataCount, 0u);
  });
  line.expectOnlyIntactFramesHanded(bench.handed);
}

// Command not implemented, too few data bytes, access restricted, and a
// communication error (bit 7: parity error reported by the device).
INSTANTIATE_TEST_SUITE_P(LineFaults, ErrorResponse, ::testing::Values(64, 5, 16, 0xA0),
                         [](const auto& info) { return "Code" + std::to_string(info.param); });

// A warning code (8, update failure) says the data is valid, but the reply
// carries none. A command-0 reply without its identity names no device, so
// the operation ends with its failure text instead of sending the next
// request to a long address of zeros. A later reply is decoded from the bytes
// it carried, the positions it did not carry reading 0 - never what an
// earlier frame left behind.
TEST(LineFaults, WarningWithoutData) {
  sim::LineFaults faults;
  faults.errorCode = 8;
  FaultyLine line;
  FaultBench bench;
  ASSERT_NO_FATAL_FAILURE(OpenAndReadLongAddress(bench, line));

  line.set(faults);
  bench.start(OP_READ_CONFIG);
  const RunOutcome atCommand0 = bench.settle(line, kQuietMs, false);
  EXPECT_FALSE(atCommand0.claimedSuccess()) << atCommand0.statusTrail();
  EXPECT_EQ(atCommand0.lastStatus(), "校准失败");
  EXPECT_EQ(atCommand0.dataAfter, atCommand0.dataBefore);
  EXPECT_EQ(atCommand0.requests, 1u) << "no request after the empty command-0 reply";
  line.clean();

  ArmAfterCommand0(bench, line, faults);
  bench.start(OP_READ_CONFIG);
  const RunOutcome later = bench.settle(line, kQuietMs, false);
  bench.beforeReply = nullptr;
  EXPECT_EQ(bench.data.upperRangeText, "0.0") << later.statusTrail();
  EXPECT_EQ(bench.data.dampingText, "0.0");
  line.clean();
}

// --- noise ------------------------------------------------------------------

class Garbage : public ::testing::TestWithParam<int> {};

// Random bytes in front of every reply: the receiver finds each reply's
// preamble behind them, and every operation succeeds with intact data.
TEST_P(Garbage, InFrontOfEveryReplyIsSkipped) {
  sim::LineFaults faults;
  faults.garbageBytes = GetParam();
  faults.seed = 21;
  FaultyLine line(faults);
  FaultBench bench;
  ASSERT_NO_FATAL_FAILURE(OpenAndReadLongAddress(bench, line));
  for (const OpCase& op : kOps) {
    const RunOutcome out = bench.run(op.op, kEndMs, op.prepare);
    ASSERT_TRUE(out.ended) << op.word;
    EXPECT_EQ(out.lastStatus(), op.success) << op.word;
  }
  EXPECT_EQ(bench.data.tag, "PT-00");
  line.expectOnlyIntactFramesHanded(bench.handed);
  EXPECT_EQ(bench.handed.size(), line.injector->log().size());
}

INSTANTIATE_TEST_SUITE_P(LineFaults, Garbage, ::testing::Values(1, 16, 255),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param); });

// --- late replies -----------------------------------------------------------

// A reply that comes late, but within the reply time-out, is still the reply.
// The operation ends with success, no earlier than the delays allow.
TEST(LineFaults, LateReplyEndsTheOperationLate) {
  const sim::LineFaults faults = Late(400);
  FaultyLine line(faults);
  FaultBench bench;
  ASSERT_TRUE(bench.open(line.path()));
  for (const OperationCode op : {OP_COMM_TEST, OP_READ_CONFIG}) {
    const RunOutcome out = bench.run(op, kEndMs + 1000);
    ASSERT_TRUE(out.ended);
    EXPECT_EQ(out.result, OperationResult::Success);
    EXPECT_GE(out.endedAfterMs, faults.lateMs * static_cast<TimeMs>(out.replies));
  }
  EXPECT_EQ(bench.data.upperRangeText, "100.0");
}

// The user gives up on an operation whose reply is late and starts another.
// The late reply to the first operation's command 0 arrives while the second
// waits for its own command-0 reply, and is taken as that reply (it is one);
// the second's command-0 reply then comes while it waits for the reply to
// command 15.
//
// A reply to another command than the one sent is dropped, so the command-0
// reply (254, 5A, 10, ...) is never decoded as the configuration, and the
// configuration comes from the reply to command 15.
TEST(LineFaults, LateReplyOfAnAbandonedOperationIsNotTakenForAnother) {
  const sim::LineFaults faults = Late(1500);
  FaultyLine line(faults);
  FaultBench bench;
  bench.session.setTiming({5000, 3, 1200});  // late replies, but within the time-out
  ASSERT_TRUE(bench.open(line.path()));

  bench.start(OP_COMM_TEST);
  // Well before the late reply is due.
  EXPECT_FALSE(bench.finish(300).ended);
  const RunOutcome out = bench.run(OP_READ_CONFIG, kEndMs + 3 * faults.lateMs);
  ASSERT_TRUE(out.ended) << out.statusTrail();
  EXPECT_EQ(out.result, OperationResult::Success);
  EXPECT_EQ(out.lastStatus(), "校准成功");
  EXPECT_EQ(bench.data.upperRangeText, "100.0");
  EXPECT_EQ(bench.data.unitIndex, 5);  // kPa

  // Two command-0 requests and command 15, each answered once: the reply to
  // command 15 came last, so nothing is left on the way to change the data.
  ASSERT_EQ(bench.sent.size(), 3u);
  ASSERT_TRUE(line.waitForReplies(3));
  EXPECT_EQ(line.injector->log().size(), 3u);
  ASSERT_EQ(bench.handedFrames.size(), 3u);
  EXPECT_EQ(bench.handedFrames[0].command, 0);  // taken as read-config's command-0 reply
  EXPECT_EQ(bench.handedFrames[1].command, 0);  // dropped: command 15 was awaited
  EXPECT_EQ(bench.handedFrames[2].command, 15);
  line.expectOnlyIntactFramesHanded(bench.handed);
}

// --- another address --------------------------------------------------------

// A reply from another address is no reply to the request: the link hands it
// on, the engine does not take it, and after its retries the operation ends
// as when nothing answers, decoding nothing. The same operations work once
// the replies come from the right address again.
TEST(LineFaults, WrongAddressReplyIsNotTaken) {
  FaultyLine line(WrongAddress());
  FaultBench bench;
  ASSERT_TRUE(bench.open(line.path()));
  for (const OpCase& op : kOps) {
    const RunOutcome out = bench.run(op.op, kEndMs, op.prepare);
    ASSERT_TRUE(out.ended) << op.word;
    EXPECT_EQ(out.result, OperationResult::NoReply) << op.word;
    EXPECT_EQ(out.lastStatus(), op.noReply) << op.word;
    EXPECT_EQ(out.reason, "设备无应答") << op.word;
    EXPECT_EQ(out.requests, 4u) << op.word;  // command 0, tried four times
    EXPECT_EQ(out.dataAfter, out.dataBefore) << op.word;
  }
  // Every frame seen came from the device at polling address 1.
  for (const ReceivedFrame& frame : bench.handedFrames) {
    EXPECT_FALSE(frame.isLongAddress());
    EXPECT_EQ(PollingAddressOf(frame.address[0]), 1);
  }
  line.expectOnlyIntactFramesHanded(bench.handed);

  line.clean();
  ASSERT_NO_FATAL_FAILURE(OpenAndReadLongAddress(bench, line));
  for (const OpCase& op : kOps) ASSERT_NO_FATAL_FAILURE(ExpectRecovers(bench, line, op));
}

// The search counts a device only when the reply comes from the probed
// address: the device at 0 answering as 1 is not found, and no other address
// answers.
TEST(LineFaults, SearchDoesNotCountAWrongAddressReply) {
  FaultyLine line(WrongAddress());
  FaultBench bench;
  ASSERT_TRUE(bench.open(line.path()));
  const RunOutcome out = bench.run(OP_SEARCH, 30000);
  ASSERT_TRUE(out.ended);
  EXPECT_EQ(out.lastStatus(), "搜索完成");
  EXPECT_EQ(out.messages, std::vector<std::string>{"搜索到在线设备："});
  EXPECT_TRUE(bench.session.engine().foundAddresses().empty());
  EXPECT_EQ(bench.handed.size(), 1u);  // the answer to the probe of address 0

  line.clean();
  const RunOutcome next = bench.run(OP_READ_LONG_ADDRESS, kEndMs);
  ASSERT_TRUE(next.ended);
  EXPECT_EQ(next.lastStatus(), "接收成功");
}

// --- faults at random -------------------------------------------------------

struct RandomCase {
  const char* name;
  sim::LineFaults faults;
};

void PrintTo(const RandomCase& c, std::ostream* os) {
  *os << c.name;
}

sim::LineFaults Mixed() {
  sim::LineFaults f;
  f.corruptRate = 0.3;
  f.dropRate = 0.02;
  f.noReplyRate = 0.1;
  f.garbageBytes = 24;
  f.seed = 11;
  return f;
}

sim::LineFaults Seeded(sim::LineFaults f, std::uint64_t seed) {
  f.seed = seed;
  return f;
}

const RandomCase kRandom[] = {
    {"Corrupt", Seeded(Corrupt(0.5), 3)},
    {"Drop", Drop(0.05, 5)},
    {"NoReply", Seeded(NoReply(0.4), 9)},
    {"Mixed", Mixed()},
};

class RandomFaults : public ::testing::TestWithParam<RandomCase> {};

// Reads whose replies do not change with time, many times over a line that
// damages some replies: each read ends, either with its success text and the
// device's true values (after retries where a reply was damaged), or with its
// failure text after its retries, leaving the data alone.
TEST_P(RandomFaults, OnlyIntactRepliesAreDecoded) {
  struct Read {
    OperationCode op;
    const char* success;
    const char* failure;
    std::string DeviceData::*field;
    const char* value;  // the device's, as the page shows it
  };
  const Read reads[] = {
      {OP_READ_LONG_ADDRESS, "接收成功", "接收失败", &DeviceData::longAddressText,
       "0x5a 0x10 0x01 0x02 0x03"},
      {OP_READ_CONFIG, "校准成功", "校准失败", &DeviceData::upperRangeText, "100.0"},
      {OP_READ_DEVICE_INFO, "接收成功", "接收失败", &DeviceData::tag, "PT-00"},
      {OP_READ_OFFSET, "校准成功", "校准失败", &DeviceData::offsetText, "0.0"},
  };
  FaultyLine line(GetParam().faults);
  FaultBench bench;
  ASSERT_TRUE(bench.open(line.path()));
  int succeeded = 0;
  int retried = 0;
  for (int round = 0; round < 4; ++round) {
    for (const Read& read : reads) {
      bench.data.*read.field = "unset";
      const RunOutcome out = bench.run(read.op, kEndMs);
      ASSERT_TRUE(out.ended);
      if (out.retries > 0) ++retried;
      if (out.result == OperationResult::Success) {
        ++succeeded;
        EXPECT_EQ(out.lastStatus(), read.success);
        EXPECT_EQ(bench.data.*read.field, read.value);
      } else {
        EXPECT_EQ(out.result, OperationResult::NoReply);
        EXPECT_EQ(out.lastStatus(), read.failure);
        EXPECT_FALSE(out.claimedSuccess()) << out.statusTrail();
        EXPECT_EQ(bench.data.*read.field, "unset");
      }
    }
  }
  // The seed damages some replies; the retries get most reads through.
  EXPECT_GT(succeeded, 0);
  EXPECT_GT(retried, 0);
  line.expectOnlyIntactFramesHanded(bench.handed);

  line.clean();
  EXPECT_TRUE(bench.run(OP_READ_CONFIG, kEndMs).ended);
}

INSTANTIATE_TEST_SUITE_P(LineFaults, RandomFaults, ::testing::ValuesIn(kRandom),
                         [](const auto& info) { return std::string(info.param.name); });

// --- through the command-line session --------------------------------------

// vantrel-cli's session: an operation whose instrument never answers ends
// after its retries with its failure text and "no reply"; the chain stops
// there and the operation after it is reported skipped. The next run on the
// same session works once the replies come again.
TEST(LineFaults, CliSessionStopsTheChainAtNoReplyAndRunsTheNext) {
  FaultyLine line(NoReply());
  SteadyClock clock;
  CliSession::Options options;
  options.timing.replyTimeoutMs = 200;
  CliSession session(clock, options);
  ASSERT_TRUE(session.openPort(line.path()));

  auto runSteps = [&session](std::vector<CliStep> steps) {
    std::vector<CliOutcome> outcomes;
    bool done = false;
    session.run(
        std::move(steps), [&outcomes](const CliOutcome& o) { outcomes.push_back(o); },
        [&done] { done = true; });
    EXPECT_TRUE(QTest::qWaitFor([&done] { return done; }, kEndMs));
    return outcomes;
  };

  std::vector<CliOutcome> outcomes = runSteps({{OP_READ_CONFIG, {}}, {OP_READ_GAIN, {}}});
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].result, OperationResult::NoReply);
  EXPECT_EQ(outcomes[0].status, "校准失败");
  EXPECT_EQ(outcomes[0].reason, "设备无应答");
  EXPECT_EQ(outcomes[0].retries, 3);
  EXPECT_TRUE(outcomes[1].skipped);
  EXPECT_EQ(session.data().upperRangeText, "");
  EXPECT_TRUE(line.waitForReplies(4));  // the four tries of command 0

  line.clean();
  outcomes = runSteps({{OP_READ_CONFIG, {}}, {OP_READ_GAIN, {}}});
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_TRUE(outcomes[0].succeeded());
  EXPECT_EQ(outcomes[0].status, "校准成功");
  EXPECT_EQ(session.data().upperRangeText, "100.0");
  EXPECT_EQ(outcomes[1].status, "校准成功");
}

}  // namespace
}  // namespace vantrel::testing
