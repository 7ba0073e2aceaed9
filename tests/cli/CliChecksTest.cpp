// vantrel-cli's checks against the simulator: the loop current and the
// pressure input checked as found (off by more than the tolerance), then
// adjusted, then as left, the two records linked and listed; the loop
// released at the end; bad readings, points and tolerances refused before
// anything is sent.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>

#include "sim/SimDevice.h"
#include "tests/cli/CliRunner.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

QString Joined(const CliRun& run) {
  return run.out + run.err;
}

// The points of a check's JSON: each one's error in % of span and verdict.
void ExpectPoints(const QJsonObject& check, const std::vector<double>& errors, bool pass) {
  const QJsonArray points = check["points"].toArray();
  ASSERT_EQ(points.size(), static_cast<int>(errors.size()));
  for (int i = 0; i < points.size(); ++i) {
    const QJsonObject point = points[i].toObject();
    EXPECT_NEAR(point["errorPercentOfSpan"].toDouble(), errors[static_cast<std::size_t>(i)], 1e-3)
        << i;
    EXPECT_EQ(point["pass"].toBool(), pass) << i;
  }
  EXPECT_EQ(check["pass"].toBool(), pass);
}

// As found 0.08 mA high at each point (0.5 % of the 16 mA span): fail; the
// trims at 4 and 20 mA; as left within 0.25 %: pass, naming the first.
TEST(CliChecks, LoopCheckAsFoundTrimmedAsLeft) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  const QString port = line.path();
  const CliRun found = RunCli({"--port", port, "--json", "--trace", "loop-check", "--points",
                               "4,12,20", "--readings", "4.08,12.08,20.08", "--settle-ms", "0",
                               "--technician", "Jeff Li", "--reference", "Bench meter",
                               "--reference-serial", "BM-7", "--reference-due", "2027-03-01"});
  ASSERT_EQ(found.exitCode, 1) << Joined(found).toStdString();
  ASSERT_EQ(found.outcomes.size(), 1) << found.out.toStdString();
  const QJsonObject asFound = found.outcomes[0];
  EXPECT_EQ(asFound["stage"].toString(), "as-found");
  EXPECT_EQ(asFound["tag"].toString(), "PT-00");
  ExpectPoints(asFound, {0.5, 0.5, 0.5}, false);
  EXPECT_TRUE(asFound["released"].toBool());
  const QString uuid = asFound["record"].toString();
  EXPECT_EQ(uuid.size(), 36) << uuid.toStdString();
  // Each point driven, then the loop released: command 40 with 4, 12, 20, 0.
  const QStringList fixed =
      found.err.split('\n').filter(QString::fromUtf8("发送")).filter(QString::fromUtf8("命令 40 "));
  ASSERT_EQ(fixed.size(), 4) << found.err.toStdString();
  EXPECT_TRUE(fixed[0].contains(QString::fromUtf8("数据 40 80 00 00")))
      << fixed[0].toStdString();  // 4.0 mA
  EXPECT_TRUE(fixed[3].contains(QString::fromUtf8("数据 00 00 00 00")))
      << fixed[3].toStdString();  // released

  const CliRun trim = RunCli({"--port",
                              port,
                              "read-long-address",
                              "then",
                              "fixed-current",
                              "4",
                              "then",
                              "calibrate-current",
                              "4",
                              "4.08",
                              "then",
                              "fixed-current",
                              "20",
                              "then",
                              "calibrate-current",
                              "20",
                              "20.08",
                              "then",
                              "fixed-current",
                              "0"});
  ASSERT_EQ(trim.exitCode, 0) << Joined(trim).toStdString();

  const CliRun left =
      RunCli({"--port", port, "--json", "loop-check", "--points", "4,12,20", "--readings",
              "4.01,12.004,19.99", "--settle-ms", "0", "--as-left", "--of", uuid});
  ASSERT_EQ(left.exitCode, 0) << Joined(left).toStdString();
  ASSERT_EQ(left.outcomes.size(), 1);
  ExpectPoints(left.outcomes[0], {0.0625, 0.025, -0.0625}, true);
  EXPECT_EQ(left.outcomes[0]["asFoundOf"].toString(), uuid);

  const CliRun listed = RunCli({"--json", "records", "list", "--tag", "PT-00"});
  ASSERT_EQ(listed.exitCode, 0) << Joined(listed).toStdString();
  QStringList stages;
  for (const QJsonObject& record : listed.outcomes) {
    if (record["record"].toString() == uuid || record["asFoundOf"].toString() == uuid) {
      stages << record["stage"].toString();
    }
  }
  EXPECT_EQ(stages, (QStringList{"as-found", "as-left"}));
  const CliRun shown = RunCli({"records", "show", uuid});
  ASSERT_EQ(shown.exitCode, 0) << Joined(shown).toStdString();
  EXPECT_TRUE(shown.out.contains("\"technician\": \"Jeff Li\"")) << shown.out.toStdString();
  // The reference typed once: the as-left record, given none, has it too.
  const CliRun shownLeft = RunCli({"records", "show", left.outcomes[0]["record"].toString()});
  EXPECT_TRUE(shownLeft.out.contains(
      "\"reference\": {\"name\": \"Bench meter\", \"serial\": \"BM-7\", \"due\": \"2027-03-01\"}"))
      << shownLeft.out.toStdString();

  // The certificate of the as-found record shows both stages; its text comes
  // out of the PDF again, digits and Chinese alike.
  QTemporaryDir dir;
  const QString pdf = dir.filePath("certificate.pdf");
  const QString csv = dir.filePath("certificate.csv");
  const CliRun certificate = RunCli({"certificate", uuid, "--pdf", pdf, "--csv", csv});
  ASSERT_EQ(certificate.exitCode, 0) << Joined(certificate).toStdString();
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(30000));
  const QString words = QString::fromUtf8(text.readAllStandardOutput());
  for (const char* expected : {"PT-00", "Jeff Li", "12.000", "12.0800", "0.500", "-0.063", "不合格",
                               "合格", "校前", "校后"}) {
    EXPECT_TRUE(words.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                             << words.toStdString();
  }
  EXPECT_TRUE(words.contains(uuid)) << uuid.toStdString() << "\n" << words.toStdString();
  QFile points(csv);
  ASSERT_TRUE(points.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(points.readAll()).count('\n'), 7);  // a header and six points
}

// The instrument reads 0.5 kPa high on 0-100 kPa: as found fail at each point,
// one command 3 a point; the zero cleared; as left pass.
TEST(CliChecks, PressureCheckReadsTheInstrumentOncePerPoint) {
  sim::SimDeviceConfig device = sim::DefaultDeviceConfig(0);
  device.appliedKPa = {0.5, 50.5, 100.5, 0.5, 50.5, 100.5};
  testing::SimulatedLine line({device});
  const QString port = line.path();
  const QStringList check = {"pressure-check", "--points", "0,50,100", "--readings", "0,50,100"};
  const CliRun found = RunCli(QStringList{"--port", port, "--json", "--trace"} + check);
  ASSERT_EQ(found.exitCode, 1) << Joined(found).toStdString();
  ASSERT_EQ(found.outcomes.size(), 1);
  ExpectPoints(found.outcomes[0], {0.5, 0.5, 0.5}, false);
  EXPECT_FALSE(found.outcomes[0].contains("released"));
  EXPECT_EQ(found.err.split('\n')
                .filter(QString::fromUtf8("发送"))
                .filter(QString::fromUtf8("命令 3 "))
                .size(),
            3);
  const QString uuid = found.outcomes[0]["record"].toString();

  ASSERT_EQ(RunCli({"--port", port, "read-long-address", "then", "clear-zero"}).exitCode, 0);
  const CliRun left = RunCli(QStringList{"--port", port, "--json"} + check +
                             QStringList{"--as-left", "--of", uuid});
  ASSERT_EQ(left.exitCode, 0) << Joined(left).toStdString();
  ExpectPoints(left.outcomes[0], {0.0, 0.0, 0.0}, true);
}

// Refused before the port is used: exit 64, nothing sent.
TEST(CliChecks, BadReadingsPointsAndTolerancesAreRefused) {
  const struct {
    QStringList words;
    const char* said;
  } rows[] = {
      {{"loop-check", "--points", "4,20", "--readings", "4.0,abc"}, "--readings takes numbers"},
      {{"loop-check", "--points", "2,20", "--readings", "2,20"}, "outside 3.5 to 23.0 mA"},
      {{"loop-check", "--points", "4,24", "--readings", "4,24"}, "outside 3.5 to 23.0 mA"},
      {{"loop-check", "--readings", "4,20", "--tolerance", "0"}, "--tolerance takes a limit"},
      {{"loop-check", "--readings", "4,20", "--tolerance", "-0.2"}, "--tolerance takes a limit"},
      {{"loop-check", "--points", "4,20", "--readings", "4"}, "one reading for each point"},
      {{"pressure-check", "--points", "0,150", "--readings", "0,150"}, "outside 0.0 to 100.0"},
      {{"loop-check", "--points", "4", "--readings", "4", "--as-left"}, "--as-left and --of"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.words.join(' ').toStdString());
    const CliRun run = RunCli(QStringList{"--port", "/dev/vantrel-no-such-port"} + row.words);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_TRUE(run.err.contains(QString::fromLatin1(row.said))) << run.err.toStdString();
  }
}

}  // namespace
}  // namespace vantrel
