// The serial port vanishing while it is open, as when a USB adapter is pulled
// out: the simulated instrument closes its pseudo-terminal in the middle of a
// reply, and the terminal's path goes away.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include "link/LinkTexts.h"
#include "tests/faults/FaultBench.h"

namespace vantrel::testing {
namespace {

sim::LineFaults HangupAfter(int bytes) {
  sim::LineFaults faults;
  faults.hangupAfter = bytes;
  return faults;
}

// A bench on a line that closes its terminal `after` bytes into the first
// reply.
struct HangingLine {
  explicit HangingLine(int after) : line(HangupAfter(after)), path(line.path()) {}

  // Starts read-config and waits for the hang-up: the terminal's path (here
  // the line's link) disappears with it.
  bool startAndHangUp() {
    if (!bench.open(path)) return false;
    bench.start(OP_READ_CONFIG);
    return QTest::qWaitFor([this] { return !QFileInfo::exists(path); }, 5000);
  }

  FaultyLine line;
  FaultBench bench;
  const QString path;
  QSignalSpy lost{&bench.session, &Session::portLost};
};

struct HangupCase {
  const char* name;
  int after;  // bytes of the command-0 reply that go out before the terminal closes
};

void PrintTo(const HangupCase& c, std::ostream* os) {
  *os << c.name;
}

// The command-0 reply is 24 bytes: 5 preambles, delimiter, address, command,
// byte count, 14 data bytes, check byte.
const HangupCase kHangups[] = {
    {"BeforeTheFirstByte", 0},
    {"InThePreamble", 3},
    {"AfterTheAddress", 7},
    {"BeforeTheCheckByte", 23},
};

class PortLoss : public ::testing::TestWithParam<HangupCase> {};

// The reply cut off by the hang-up is never decoded. The port is found lost
// at the latest when the next request is sent: LinkDriver emits portLost and
// the port reports closed, and the operation that waited for the reply ends
// with its failure text, the lost port its reason; from then on an operation
// start shows "HART端口未打开！" and sends nothing. A new line opens and works.
TEST_P(PortLoss, CutReplyIsNotDecodedAndThePortIsReportedLost) {
  HangingLine hanging(GetParam().after);
  FaultBench& bench = hanging.bench;
  QSignalSpy& lost = hanging.lost;
  ASSERT_TRUE(hanging.startAndHangUp());
  const RunOutcome cut = bench.finish(kEndMs);
  ASSERT_TRUE(cut.ended);
  EXPECT_EQ(cut.result, OperationResult::Failure);
  EXPECT_EQ(cut.lastStatus(), "校准失败");
  EXPECT_EQ(cut.reason, texts::kPortLost);
  EXPECT_FALSE(cut.claimedSuccess()) << cut.statusTrail();
  EXPECT_EQ(cut.replies, 0u);
  EXPECT_EQ(cut.dataAfter, cut.dataBefore);

  // Today the loss shows only when a write fails (see PortLossIsNoticedWithoutASend).
  // Either way, by the end of the next operation start the port is closed.
  const RunOutcome next = bench.run(OP_COMM_TEST, kQuietMs);
  EXPECT_FALSE(next.claimedSuccess()) << next.statusTrail();
  ASSERT_TRUE(QTest::qWaitFor([&lost] { return lost.count() > 0; }, 5000));
  EXPECT_EQ(lost.count(), 1);
  EXPECT_FALSE(bench.session.isPortOpen());
  EXPECT_FALSE(bench.session.isPortOpen());

  const std::size_t sent = bench.sent.size();
  for (const OperationCode op : {OP_READ_CONFIG, OP_WRITE_GAIN, OP_SEARCH}) {
    const RunOutcome refused = bench.run(op, kEndMs, [](DeviceData& d) { d.gainIndex = 1; });
    EXPECT_TRUE(refused.ended) << OperationWord(op);
    EXPECT_EQ(refused.result, OperationResult::Refused) << OperationWord(op);
    EXPECT_EQ(refused.messages, std::vector<std::string>{texts::kPortNotOpen}) << OperationWord(op);
    EXPECT_FALSE(refused.claimedSuccess()) << refused.statusTrail();
  }
  EXPECT_EQ(bench.sent.size(), sent);
  EXPECT_TRUE(bench.handed.empty());
  EXPECT_EQ(bench.data.upperRangeText, "");

  // The vanished path does not open again; a new line does, and works.
  EXPECT_FALSE(bench.open(hanging.path));
  EXPECT_FALSE(bench.session.isPortOpen());
  FaultyLine fresh;
  ASSERT_TRUE(bench.open(fresh.path()));
  const RunOutcome works = bench.run(OP_READ_CONFIG, kEndMs);
  ASSERT_TRUE(works.ended);
  EXPECT_EQ(works.lastStatus(), "校准成功");
  EXPECT_EQ(bench.data.upperRangeText, "100.0");
  EXPECT_EQ(lost.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(LineFaults, PortLoss, ::testing::ValuesIn(kHangups),
                         [](const auto& info) { return std::string(info.param.name); });

// The port should be found lost when the terminal goes away, not only when
// the program next writes to it.
//
// After the hang-up a read on the terminal returns 0: QSerialPort reports a
// read error (with a stale errno text) rather than a resource error, and would
// report it again and again. The port treats that as the line going away: it
// closes and says so at once, without waiting for the next request to fail.
TEST(LineFaults, PortLossIsNoticedWithoutASend) {
  HangingLine hanging(7);
  FaultBench& bench = hanging.bench;
  QSignalSpy& lost = hanging.lost;
  ASSERT_TRUE(hanging.startAndHangUp());
  ASSERT_TRUE(QTest::qWaitFor([&lost] { return lost.count() > 0; }, 5000));
  EXPECT_FALSE(bench.session.isPortOpen());
  EXPECT_EQ(bench.sent.size(), 1u);

  const RunOutcome refused = bench.run(OP_COMM_TEST, kEndMs);
  EXPECT_EQ(refused.result, OperationResult::Refused);
  EXPECT_EQ(refused.messages, std::vector<std::string>{texts::kPortNotOpen});
  EXPECT_EQ(bench.sent.size(), 1u);
  EXPECT_EQ(lost.count(), 1);
}

}  // namespace
}  // namespace vantrel::testing
