// The fault options of the vantrel-sim executable: each one, given on the
// command line, does to the program's operations what it says.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/faults/FaultBench.h"

namespace vantrel::testing {
namespace {

// vantrel-sim running with `arguments`; stopped (SIGTERM) when the test ends.
// The program opens it through the link that --link makes (see FaultyLine).
class SimProcess {
 public:
  explicit SimProcess(const QStringList& arguments) {
    const QString link = dir_.filePath(QStringLiteral("port"));
    process_.start(QStringLiteral(VANTREL_SIM_PATH), QStringList(arguments) << "--link" << link);
    if (!QTest::qWaitFor([this] { return process_.canReadLine(); }, 10000)) {
      ADD_FAILURE() << "vantrel-sim printed no path: "
                    << process_.readAllStandardError().toStdString();
      return;
    }
    process_.readLine();  // the terminal's own path
    path_ = link;
  }
  ~SimProcess() {
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
      process_.kill();
      process_.waitForFinished();
    }
  }
  const QString& path() const { return path_; }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  QString path_;
};

int ExitCodeOf(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(VANTREL_SIM_PATH), arguments);
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished();
    return -1;
  }
  return process.exitCode();
}

TEST(SimOptions, HelpListsEveryFaultOption) {
  QProcess process;
  process.start(QStringLiteral(VANTREL_SIM_PATH), {"--help"});
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitCode(), 0);
  const QString help = QString::fromUtf8(process.readAllStandardOutput());
  for (const char* option :
       {"--corrupt-rate P", "--drop-rate P", "--late-ms N", "--no-reply", "--no-reply-rate P",
        "--wrong-address", "--error-code N", "--garbage N", "--hangup-after N", "--fault-replies K",
        "--seed N", "--busy N", "--delayed N", "--silent N", "--comm-error N"}) {
    EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option;
  }
}

TEST(SimOptions, BadFaultValuesAreRefused) {
  const QStringList cases[] = {
      {"--corrupt-rate", "1.5"}, {"--drop-rate", "-0.1"}, {"--no-reply-rate", "x"},
      {"--error-code", "256"},   {"--garbage", "1000"},   {"--late-ms", "-1"},
      {"--hangup-after", "-1"},  {"--seed", "-3"},        {"--fault-replies"},
      {"--busy", "-1"},          {"--delayed", "x"},      {"--silent"},
  };
  for (const QStringList& arguments : cases) {
    EXPECT_EQ(ExitCodeOf(arguments), 64) << arguments.join(' ').toStdString();
  }
}

struct OptionCase {
  const char* name;
  QStringList arguments;
  const char* status;   // the last status text of the first read-config
  int retries;          // its requests sent again
  TimeMs minEndMs = 0;  // it ends no sooner than this
  // The address of each reply the link hands on (one byte for a short
  // frame); empty: not checked.
  std::vector<Bytes> handedAddresses = {};
};

void PrintTo(const OptionCase& c, std::ostream* os) {
  *os << c.name;
}

// Each fault is limited (--fault-replies) to the first replies, or counts its
// requests, so that the first read-config meets it and ends after its
// retries, and the next one meets a clean line.
const OptionCase kOptionCases[] = {
    {"CorruptRate", {"--corrupt-rate", "1", "--fault-replies", "1"}, "校准成功", 1},
    {"DropRate", {"--drop-rate", "1", "--fault-replies", "1"}, "校准成功", 1},
    {"NoReply", {"--no-reply", "--fault-replies", "1"}, "校准成功", 1},
    {"NoReplyRate", {"--no-reply-rate", "1", "--seed", "4", "--fault-replies", "1"}, "校准成功", 1},
    {"ErrorCode", {"--error-code", "64", "--fault-replies", "1"}, "校准失败", 0},
    // The device at 0 answers as the one at 1, twice: no reply to us, until
    // the third try of command 0.
    {"WrongAddress",
     {"--wrong-address", "--fault-replies", "2"},
     "校准成功",
     2,
     0,
     {{0x81}, {0x81}, {0x80}, {0x9A, 0x10, 0x01, 0x02, 0x03}}},
    {"Garbage", {"--garbage", "20", "--seed", "8", "--fault-replies", "2"}, "校准成功", 0},
    {"LateMs", {"--late-ms", "300", "--fault-replies", "2"}, "校准成功", 0, 600},
    {"Busy", {"--busy", "2"}, "校准成功", 2, 2 * kBusyResendMs},
    {"Delayed", {"--delayed", "2"}, "校准成功", 3, 3 * kBusyResendMs},
    {"Silent", {"--silent", "1"}, "校准成功", 1, 400},
    {"CommError", {"--comm-error", "1"}, "校准成功", 1},
};

class SimOptionFault : public ::testing::TestWithParam<OptionCase> {};

TEST_P(SimOptionFault, MeetsTheFirstOperationOnly) {
  const OptionCase& c = GetParam();
  SimProcess sim(c.arguments);
  ASSERT_FALSE(sim.path().isEmpty());
  FaultBench bench;
  ASSERT_TRUE(bench.open(sim.path()));

  const RunOutcome first = bench.run(OP_READ_CONFIG, kEndMs);
  ASSERT_TRUE(first.ended);
  ASSERT_FALSE(first.statuses.empty());
  EXPECT_EQ(first.lastStatus(), c.status) << first.statusTrail();
  EXPECT_EQ(first.retries, c.retries);
  EXPECT_GE(first.endedAfterMs, c.minEndMs);
  if (!c.handedAddresses.empty()) {
    ASSERT_EQ(bench.handedFrames.size(), c.handedAddresses.size());
    for (std::size_t i = 0; i < c.handedAddresses.size(); ++i) {
      const ReceivedFrame& frame = bench.handedFrames[i];
      const std::size_t size = frame.isLongAddress() ? kLongAddressSize : 1;
      EXPECT_EQ(Bytes(frame.address.begin(), frame.address.begin() + size), c.handedAddresses[i])
          << "reply " << i;
    }
  }

  const RunOutcome clean = bench.run(OP_READ_CONFIG, kEndMs);
  ASSERT_TRUE(clean.ended);
  EXPECT_EQ(clean.lastStatus(), "校准成功");
  EXPECT_EQ(clean.retries, 0);
  EXPECT_EQ(bench.data.upperRangeText, "100.0");
}

INSTANTIATE_TEST_SUITE_P(LineFaults, SimOptionFault, ::testing::ValuesIn(kOptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimOptions, HangupAfterClosesTheTerminal) {
  SimProcess sim({"--hangup-after", "5"});
  ASSERT_FALSE(sim.path().isEmpty());
  FaultBench bench;
  ASSERT_TRUE(bench.open(sim.path()));
  bench.start(OP_READ_CONFIG);
  EXPECT_TRUE(QTest::qWaitFor([&sim] { return !QFileInfo::exists(sim.path()); }, 5000));
  // The operation that waited for the cut reply ends with the port.
  const RunOutcome out = bench.finish(kEndMs);
  ASSERT_TRUE(out.ended);
  EXPECT_EQ(out.result, OperationResult::Failure);
  EXPECT_EQ(out.reason, "HART端口已断开！");
  EXPECT_TRUE(bench.handed.empty());
}

}  // namespace
}  // namespace vantrel::testing
