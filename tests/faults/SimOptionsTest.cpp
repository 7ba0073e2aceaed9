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

// The process needs longer than a line on a thread to be quiet.
constexpr int kProcessQuietMs = 500;

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
  for (const char* option : {"--corrupt-rate P", "--drop-rate P", "--late-ms N", "--no-reply",
                             "--no-reply-rate P", "--wrong-address", "--error-code N",
                             "--garbage N", "--hangup-after N", "--fault-replies K", "--seed N"}) {
    EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option;
  }
}

TEST(SimOptions, BadFaultValuesAreRefused) {
  const QStringList cases[] = {
      {"--corrupt-rate", "1.5"}, {"--drop-rate", "-0.1"}, {"--no-reply-rate", "x"},
      {"--error-code", "256"},   {"--garbage", "1000"},   {"--late-ms", "-1"},
      {"--hangup-after", "-1"},  {"--seed", "-3"},        {"--fault-replies"},
  };
  for (const QStringList& arguments : cases) {
    EXPECT_EQ(ExitCodeOf(arguments), 64) << arguments.join(' ').toStdString();
  }
}

struct OptionCase {
  const char* name;
  QStringList arguments;
  bool ends;            // the first read-config ends
  const char* status;   // its last status text, when it ends
  TimeMs minEndMs = 0;  // it ends no sooner than this
  // The address of each reply the engine is handed (one byte for a short
  // frame); empty: not checked.
  std::vector<Bytes> handedAddresses = {};
};

void PrintTo(const OptionCase& c, std::ostream* os) {
  *os << c.name;
}

// Each fault is limited (--fault-replies) to the replies that the first
// read-config gets, so that the next one meets a clean line: one reply when
// the first never ends or fails at command 0, both otherwise.
const OptionCase kOptionCases[] = {
    {"CorruptRate", {"--corrupt-rate", "1", "--fault-replies", "1"}, false, ""},
    {"DropRate", {"--drop-rate", "1", "--fault-replies", "1"}, false, ""},
    {"NoReply", {"--no-reply", "--fault-replies", "1"}, false, ""},
    {"NoReplyRate", {"--no-reply-rate", "1", "--seed", "4", "--fault-replies", "1"}, false, ""},
    {"ErrorCode", {"--error-code", "64", "--fault-replies", "1"}, true, "校准失败"},
    // The device at 0 answers as the one at 1: 81, then 9A 10 01 02 04.
    {"WrongAddress",
     {"--wrong-address", "--fault-replies", "2"},
     true,
     "校准成功",
     0,
     {{0x81}, {0x9A, 0x10, 0x01, 0x02, 0x04}}},
    {"Garbage", {"--garbage", "20", "--seed", "8", "--fault-replies", "2"}, true, "校准成功"},
    {"LateMs", {"--late-ms", "300", "--fault-replies", "2"}, true, "校准成功", 600},
};

class SimOptionFault : public ::testing::TestWithParam<OptionCase> {};

TEST_P(SimOptionFault, MeetsTheFirstOperationOnly) {
  const OptionCase& c = GetParam();
  SimProcess sim(c.arguments);
  ASSERT_FALSE(sim.path().isEmpty());
  FaultBench bench;
  ASSERT_TRUE(bench.open(sim.path()));

  const RunOutcome first = bench.run(OP_READ_CONFIG, c.ends ? kEndMs : kProcessQuietMs);
  EXPECT_EQ(first.ended, c.ends);
  if (c.ends) {
    ASSERT_FALSE(first.statuses.empty());
    EXPECT_EQ(first.lastStatus(), c.status);
  } else {
    EXPECT_FALSE(first.claimedSuccess()) << first.statusTrail();
  }
  if (c.ends) {
    EXPECT_GE(first.endedAfterMs, c.minEndMs);
  }
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
  const RunOutcome out = bench.finish(kProcessQuietMs);
  EXPECT_FALSE(out.ended);
  EXPECT_TRUE(bench.handed.empty());
}

}  // namespace
}  // namespace vantrel::testing
