// vantrel-cli against the simulator's HART 6 and 7 instruments: units
// outside the family's ten, the additional status and its acknowledgement,
// the configuration-changed flag, the long tag, polling addresses above 15
// with the loop-current mode, the fast search; and what a HART 5 instrument
// is not sent.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include <optional>
#include <vector>

#include "sim/DeviceList.h"
#include "tests/cli/CliRunner.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

sim::SimDeviceConfig Hart(std::uint8_t address, int revision,
                          sim::DeviceVariant variant = sim::DeviceVariant::Family) {
  return sim::KindDeviceConfig(address, sim::DeviceKind{revision, variant});
}

// The requests of a trace, one line each.
QStringList SentLines(const QString& trace) {
  QStringList sent;
  for (const QString& line : trace.split('\n', Qt::SkipEmptyParts)) {
    if (line.contains(QString::fromUtf8("发送 "))) sent << line;
  }
  return sent;
}

// The requests of command `command`, each from its byte count to its data
// ("字节数 2 | 数据 28 00"), without the frame's bytes.
QStringList SentCommand(const QString& trace, int command) {
  const QString name = QString::fromUtf8("命令 %1 ").arg(command);
  QStringList found;
  for (const QString& line : SentLines(trace)) {
    if (!line.contains(name)) continue;
    const QString tail = line.section(QString::fromUtf8("字节数 "), 1);
    found << QString::fromUtf8("字节数 ") + tail.section(" | ", 0, -2);
  }
  return found;
}

QJsonObject ValuesAt(const CliRun& run, int i) {
  return run.outcomes.value(i)["values"].toObject();
}

int StatusByteOf(const CliRun& run, int i) {
  return run.outcomes.value(i)["deviceStatus"].toObject()["byte"].toInt(-1);
}

// A flow meter reads in kg/h, a code outside the family's ten: named by the
// whole unit table, with no entry of the family's list. The family's HART 7
// model keeps the list's entry.
TEST(CliRevisions, UnitsOutsideTheFamilysTen) {
  testing::SimulatedLine line({Hart(0, 7), Hart(5, 7, sim::DeviceVariant::Flow)});
  const struct {
    const char* address;
    int code;
    const char* text;
    int index;
  } cases[] = {
      {"5", 75, "kg/h", -1},
      {"0", 12, "kPa", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CliRun run = RunCli({"--port", line.path(), "--json", "--address", c.address,
                               "read-current", "then", "read-config"});
    ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString() << run.err.toStdString();
    const QJsonObject current = ValuesAt(run, 0);
    EXPECT_EQ(current["pvUnitCode"].toInt(), c.code);
    EXPECT_EQ(current["pvUnitText"].toString(), c.text);
    EXPECT_TRUE(current["pvText"].toString().endsWith(c.text)) << run.out.toStdString();
    EXPECT_EQ(current["svUnitCode"].toInt(), 32);
    const QJsonObject config = ValuesAt(run, 1);
    EXPECT_EQ(config["unitCode"].toInt(), c.code);
    EXPECT_EQ(config["unitText"].toString(), c.text);
    EXPECT_EQ(config["unitIndex"].toInt(), c.index);
    EXPECT_EQ(run.exitCode, 0);
  }

  // A unit of the whole table by name or by code goes out as its code and
  // reads back as it.
  const struct {
    const char* unit;
    const char* sent;
    int code;
    const char* text;
  } written[] = {
      {"m3/h", "字节数 9 | 数据 13 45 9C 40 00 00 00 00 00", 19, "m³/h"},
      {"code:75", "字节数 9 | 数据 4B 45 9C 40 00 00 00 00 00", 75, "kg/h"},
  };
  for (const auto& w : written) {
    SCOPED_TRACE(w.unit);
    const CliRun run = RunCli({"--port", line.path(), "--json", "--trace", "--no-journal",
                               "--address", "5", "write-config", "--unit", w.unit, "--lower", "0",
                               "--upper", "5000", "--damping", "1", "then", "read-config"});
    ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
    EXPECT_EQ(SentCommand(run.err, 35), QStringList{QString::fromUtf8(w.sent)});
    EXPECT_EQ(ValuesAt(run, 1)["unitCode"].toInt(), w.code);
    EXPECT_EQ(ValuesAt(run, 1)["unitText"].toString(), QString::fromUtf8(w.text));
    EXPECT_EQ(ValuesAt(run, 1)["unitIndex"].toInt(), -1);
    EXPECT_EQ(run.exitCode, 0);
  }
}

// The set bits in words. HART 7 keeps "more status available" (0x10) until
// a request echoes the bytes it read; HART 6 withdraws it for the read
// itself, and its acknowledgement sends nothing.
TEST(CliRevisions, AdditionalStatusReadAndAcknowledged) {
  const std::vector<std::uint8_t> status = {0, 0, 0, 0, 0, 0x01, 0x03, 0, 0x81, 0, 0, 0, 0, 0};
  std::vector<sim::SimDeviceConfig> devices = {Hart(0, 7), Hart(6, 6)};
  for (sim::SimDeviceConfig& device : devices) device.additionalStatus = status;
  testing::SimulatedLine line(devices);
  const struct {
    const char* address;
    int afterRead;  // the device status of the read's reply
    const char* echo;
  } cases[] = {
      {"0", 0x10, "字节数 14 | 数据 00 00 00 00 00 01 03 00 81 00 00 00 00 00"},
      {"6", 0x00, "字节数 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const CliRun run =
        RunCli({"--port", line.path(), "--json", "--trace", "--no-journal", "--address", c.address,
                "read-status", "then", "acknowledge-status", "then", "read-status"});
    ASSERT_EQ(run.outcomes.size(), 3) << run.out.toStdString();
    for (int i = 0; i < 3; ++i) {
      const QJsonObject v = ValuesAt(run, i);
      EXPECT_EQ(v["extendedDeviceStatus"].toArray(),
                QJsonArray({"maintenance-required", "device-variable-alert"}));
      EXPECT_EQ(v["standardizedStatus"].toArray(),
                QJsonArray({"simulation-active", "configuration-locked"}));
      EXPECT_EQ(v["deviceSpecific"].toString(), "000000000001");
      EXPECT_EQ(v["additionalStatus"].toString(), "0000000000010300810000000000");
    }
    EXPECT_EQ(StatusByteOf(run, 0), c.afterRead);
    EXPECT_EQ(StatusByteOf(run, 1), 0);
    EXPECT_EQ(StatusByteOf(run, 2), 0);
    const QStringList requests = SentCommand(run.err, 48);
    ASSERT_EQ(requests.size(), 3) << run.err.toStdString();
    EXPECT_EQ(requests[0], QString::fromUtf8("字节数 0"));
    EXPECT_EQ(requests[1], QString::fromUtf8(c.echo));
    EXPECT_EQ(requests[2], QString::fromUtf8("字节数 0"));
    EXPECT_EQ(run.exitCode, 0);
  }

  // Nothing read, nothing to echo: refused before anything is sent.
  const CliRun run = RunCli({"--port", line.path(), "--json", "--trace", "acknowledge-status"});
  ASSERT_EQ(run.outcomes.size(), 1) << run.out.toStdString();
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "refused");
  EXPECT_EQ(run.outcomes[0]["messages"].toArray(),
            QJsonArray({QString::fromUtf8("请先读取设备状态！")}));
  EXPECT_EQ(SentLines(run.err), QStringList());
  EXPECT_EQ(run.exitCode, 1);
}

// The long tag goes out in Latin-1, NUL padded to 32 bytes, and reads back
// the same; the write sets the configuration-changed flag (0x40) and counts
// the counter up from 1, and HART 7's reset names the counter it saw.
TEST(CliRevisions, LongTagAndTheConfigurationChangedFlag) {
  testing::SimulatedLine line({Hart(0, 7)});
  const QString tag = QString::fromUtf8("Pumpe Süd 1");
  CliRun run =
      RunCli({"--port", line.path(), "--json", "--trace", "--no-journal", "write-long-tag", tag,
              "then", "read-long-tag", "then", "reset-config-changed", "then", "comm-test"});
  ASSERT_EQ(run.outcomes.size(), 4) << run.out.toStdString() << run.err.toStdString();
  EXPECT_EQ(SentCommand(run.err, 22),
            QStringList{QString::fromUtf8("字节数 32 | 数据 50 75 6D 70 65 20 53 FC 64 20 31") +
                        QString(" 00").repeated(21)});
  EXPECT_EQ(ValuesAt(run, 1)["longTag"].toString(), tag);
  EXPECT_EQ(StatusByteOf(run, 1), 0x40);
  EXPECT_EQ(SentCommand(run.err, 38), QStringList{QString::fromUtf8("字节数 2 | 数据 00 02")});
  EXPECT_EQ(ValuesAt(run, 2)["configChangeCounter"].toInt(), 2);
  EXPECT_EQ(StatusByteOf(run, 2), 0);
  EXPECT_EQ(StatusByteOf(run, 3), 0);
  EXPECT_EQ(run.exitCode, 0);

  // What Latin-1 cannot hold, or more than 32 characters: refused before
  // anything is sent, the tag as it was.
  const struct {
    QString text;
    const char* message;
  } refused[] = {
      {QString::fromUtf8("Pump 北"), "长标签中的 北 不能写入仪表"},
      {QString(33, 'A'), "长标签最多 32 个字符！"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.message);
    run = RunCli({"--port", line.path(), "--json", "--trace", "--no-journal", "write-long-tag",
                  r.text, "then", "read-long-tag"});
    ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
    EXPECT_EQ(run.outcomes[0]["result"].toString(), "refused");
    EXPECT_EQ(run.outcomes[0]["messages"].toArray(), QJsonArray({QString::fromUtf8(r.message)}));
    EXPECT_EQ(run.outcomes[1]["result"].toString(), "skipped");
    EXPECT_EQ(SentLines(run.err), QStringList());
    EXPECT_EQ(run.exitCode, 1);
  }
  run = RunCli({"--port", line.path(), "--json", "read-long-tag"});
  EXPECT_EQ(ValuesAt(run, 0)["longTag"].toString(), tag);
}

// HART 7 takes addresses up to 63 with the loop-current mode, and answers
// there from then on; without a mode, address 0 is sent enabled and any
// other disabled. Disabled, the loop current stays at 4 mA.
TEST(CliRevisions, PollingAddressesAboveFifteen) {
  testing::SimulatedLine line({Hart(0, 7)});
  const struct {
    QStringList mode;
    const char* sent;
    bool fourMilliamps;
  } cases[] = {
      {{"--loop-current-mode", "disabled"}, "字节数 2 | 数据 28 00", true},
      {{"--loop-current-mode", "enabled"}, "字节数 2 | 数据 28 01", false},
      {{}, "字节数 2 | 数据 28 00", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sent);
    const CliRun run =
        RunCli(QStringList{"--port", line.path(), "--json", "--trace", "--no-journal",
                           "write-poll-address", "40"} +
               c.mode +
               QStringList{"then", "--address", "40", "read-current", "then", "write-poll-address",
                           "0", "then", "--address", "0", "read-current"});
    ASSERT_EQ(run.outcomes.size(), 4) << run.out.toStdString() << run.err.toStdString();
    const QStringList written = SentCommand(run.err, 6);
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0], QString::fromUtf8(c.sent));
    EXPECT_EQ(written[1], QString::fromUtf8("字节数 2 | 数据 00 01"));
    EXPECT_EQ(run.outcomes[1]["result"].toString(), "success");
    EXPECT_EQ(ValuesAt(run, 1)["loopCurrent"].toDouble() == 4.0, c.fourMilliamps)
        << run.out.toStdString();
    EXPECT_GT(ValuesAt(run, 3)["loopCurrent"].toDouble(), 4.0);
    EXPECT_EQ(run.exitCode, 0);
  }
}

// A fast search over the whole range finds a HART 5 instrument at 0 and a
// HART 7 one at 40; with --first it ends at the first.
TEST(CliRevisions, FastSearchOverTheWholeRange) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0), Hart(40, 7)});
  const struct {
    QStringList options;
    QJsonArray found;
    const char* message;
  } cases[] = {
      {{"--from", "0", "--to", "63", "--fast"}, {0, 40}, "搜索到在线设备：0 40 "},
      {{"--from", "0", "--to", "63", "--fast", "--first"}, {0}, "搜索到在线设备：0 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const CliRun run = RunCli(QStringList{"--port", line.path(), "--json", "search"} + c.options);
    ASSERT_EQ(run.outcomes.size(), 1) << run.out.toStdString();
    EXPECT_EQ(run.outcomes[0]["status"].toString(), QString::fromUtf8("搜索完成"));
    EXPECT_EQ(ValuesAt(run, 0)["found"].toArray(), c.found);
    EXPECT_EQ(run.outcomes[0]["messages"].toArray(), QJsonArray({QString::fromUtf8(c.message)}));
    EXPECT_EQ(run.exitCode, 0);
  }
}

// What HART 5 does not have goes no further than command 0: refused with the
// reason, exit 1.
TEST(CliRevisions, Hart5IsSentCommandZeroOnly) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  const struct {
    QStringList operation;
    const char* reason;
  } cases[] = {
      {{"write-poll-address", "40"}, "HART 5 仪表的轮询地址为 0 到 15，40 未发送"},
      {{"write-long-tag", "TT-01"}, "此仪表为 HART 5，不支持此操作（需要 HART 6 或 7）：未发送"},
      {{"read-long-tag"}, "此仪表为 HART 5，不支持此操作（需要 HART 6 或 7）：未发送"},
      {{"squawk"}, "此仪表为 HART 5，不支持此操作（需要 HART 6 或 7）：未发送"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation.join(' ').toStdString());
    const CliRun run = RunCli(QStringList{"--port", line.path(), "--json", "--trace"} +
                              c.operation + QStringList{"then", "comm-test"});
    ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
    EXPECT_EQ(run.outcomes[0]["result"].toString(), "refused");
    EXPECT_EQ(run.outcomes[0]["reason"].toString(), QString::fromUtf8(c.reason));
    EXPECT_EQ(run.outcomes[1]["result"].toString(), "skipped");
    const QStringList sent = SentLines(run.err);
    ASSERT_EQ(sent.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(sent[0].contains(QString::fromUtf8("命令 0 "))) << sent[0].toStdString();
    EXPECT_EQ(run.exitCode, 1);
  }
}

}  // namespace
}  // namespace vantrel
