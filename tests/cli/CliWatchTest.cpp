// vantrel-cli watch end to end: the real executable against the simulated
// instrument on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>

#include "tests/cli/CliRunner.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

using testing::SimulatedLine;

// The commands of the requests in a trace, in order.
std::vector<int> SentCommands(const QString& trace) {
  static const QRegularExpression sent(QStringLiteral("发送.* 命令 (\\d+) "));
  std::vector<int> commands;
  for (const QString& line : trace.split('\n', Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch match = sent.match(line);
    if (match.hasMatch()) commands.push_back(match.captured(1).toInt());
  }
  return commands;
}

// One sample each: the plain line, the CSV row and the JSON object.
TEST(CliWatch, CountSamplesOneCommand3Each) {
  const struct {
    const char* name;
    QStringList words;
    QString line;  // what each sample's line matches
    int lines;     // on standard output
  } cases[] = {
      {"Plain",
       {"watch", "--interval-ms", "0", "--count", "5"},
       QStringLiteral("^\\d+ ms  \\d+\\.\\d{4} mA  -?\\d+\\.\\d{4} \\S+  -?\\d+\\.\\d{2} %$"),
       5},
      {"Csv",
       {"watch", "--interval-ms", "0", "--count", "5", "--csv"},
       QStringLiteral("^(time_ms,loop_current_ma,pv,pv_unit_code,pv_unit,percent_of_range|"
                      "\\d+,\\d+\\.\\d{4},-?\\d+\\.\\d{4},\\d+,[^,]+,-?\\d+\\.\\d{2})$"),
       6},
      {"Json",
       {"--json", "watch", "--interval-ms", "0", "--count", "5"},
       QStringLiteral("^\\{\"timeMs\": \\d+, \"loopCurrent\": .*, \"primaryVariable\": .*, "
                      "\"pvUnitCode\": \\d+, \"pvUnitText\": \".+\", \"percentOfRange\": .*\\}$"),
       5},
  };
  // One line for every run, made before the first: the thread sanitizer
  // allows no new thread after the first program was started.
  SimulatedLine line({sim::DefaultDeviceConfig(0)});
  for (const auto& c : cases) {
    const CliRun run = RunCli(QStringList{"--port", line.path(), "--trace"} + c.words);
    EXPECT_EQ(run.exitCode, 0) << c.name << run.err.toStdString();
    const QStringList out = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), c.lines) << c.name << run.out.toStdString();
    const QRegularExpression pattern(c.line);
    for (const QString& printed : out) {
      EXPECT_TRUE(pattern.match(printed).hasMatch()) << c.name << ": " << printed.toStdString();
    }
    EXPECT_EQ(SentCommands(run.err), (std::vector<int>{0, 3, 3, 3, 3, 3})) << c.name;
  }
  // The JSON objects carry the values as numbers.
  const CliRun run =
      RunCli({"--port", line.path(), "--json", "watch", "--count", "2", "--interval-ms", "100"});
  ASSERT_EQ(run.outcomes.size(), 2);
  EXPECT_TRUE(run.outcomes[0]["loopCurrent"].isDouble());
  EXPECT_LE(run.outcomes[0]["timeMs"].toInteger(), run.outcomes[1]["timeMs"].toInteger() - 100);
}

// Without --count the watch goes on until SIGTERM, and ends with exit 0.
TEST(CliWatch, ASignalEndsItWithExitZero) {
  SimulatedLine line({sim::DefaultDeviceConfig(0)});
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), DataHome());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(VANTREL_CLI_PATH),
                {"--port", line.path(), "watch", "--interval-ms", "50"});
  QString out;
  const QDeadlineTimer bound(20000);
  while (out.count('\n') < 2 && !bound.hasExpired() && process.state() != QProcess::NotRunning) {
    process.waitForReadyRead(1000);
    out += QString::fromUtf8(process.readAllStandardOutput());
  }
  EXPECT_GE(out.count('\n'), 2) << process.readAllStandardError().toStdString();
  process.terminate();
  ASSERT_TRUE(process.waitForFinished(20000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
}

TEST(CliWatch, UsageAndPortErrors) {
  const struct {
    QStringList words;
    int exitCode;
  } cases[] = {
      {{"--port", "/dev/null/none", "--json", "watch", "--count", "1"}, 69},
      {{"--port", "/dev/null/none", "watch", "--count", "0"}, 64},
      {{"--port", "/dev/null/none", "watch", "--interval"}, 64},
      {{"--port", "/dev/null/none", "comm-test", "then", "watch"}, 64},
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli(c.words);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.words.join(' ').toStdString();
    EXPECT_FALSE(run.err.isEmpty());
  }
  const CliRun run = RunCli(cases[0].words);
  ASSERT_EQ(run.outcomes.size(), 1);
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "port-error");
}

}  // namespace
}  // namespace vantrel
