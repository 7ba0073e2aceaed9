// vantrel-cli end to end: the real executable against the simulated
// instrument on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <QTemporaryDir>
#include <optional>

#include "cli/CliOperations.h"
#include "engine/OperationTable.h"
#include "sim/HartIpServerThread.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/HartIpKeys.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

// Every operation, in the order of the operation table, with arguments a
// user would give; calibrations come after read-long-address so that their
// long-address test has something to compare with.
const char* const kAllOperations[][2] = {
    {"comm-test", "通信正常"},
    {"read-current", "接收成功"},
    {"read-device-info", "接收成功"},
    {"fixed-current 12.5", "设置成功"},
    {"calibrate-current 4 4.01", "校准成功"},
    {"write-device-info --tag TT01 --descriptor PUMP --message HELLO --date 2024-12-31",
     "发送成功"},
    {"write-poll-address 0", "修改成功"},
    {"read-long-address", "接收成功"},
    {"write-sensor-config 8", "修改成功"},
    {"read-sensor-config", "接收成功"},
    {"read-resistance", "校准成功"},
    {"calibrate-resistance 800000 200000 790000 210000", "校准成功"},
    {"write-long-address 0x5a 0x10 0x01 0x02 0x03", "修改成功"},
    {"read-config", "校准成功"},
    {"write-config --unit 5 --lower 0 --upper 200 --damping 1.5", "修改成功"},
    {"calibrate-50mv", "校准成功"},
    {"read-offset", "校准成功"},
    {"write-offset -1.25", "校准成功"},
    {"read-cal-row1", "读取成功"},
    {"read-cal-row2", "读取成功"},
    {"calibrate-0mv", "校准成功"},
    {"read-voltage", "读取成功"},
    {"calibrate-low 0", "校准成功"},
    {"calibrate-high 100", "校准成功"},
    {"clear-zero", "清零成功"},
    {"calibrate-mid 50", "校准成功"},
    {"read-gain", "校准成功"},
    {"write-gain 2", "修改成功"},
    {"poll", "校准成功"},
    {"search", "搜索完成"},
};

// The same instrument through the modem's serial line, and over HART-IP by
// TCP and by UDP, in version 1 and secure in version 2: the same texts and
// the same values.
enum class Way { Serial, Tcp, Udp, TcpSecure, UdpSecure };

bool IsSecure(Way way) {
  return way == Way::TcpSecure || way == Way::UdpSecure;
}

// The simulator for `way`: version 2 only with the test key for a secure
// way, version 1 otherwise.
sim::HartIpServerOptions ServerFor(Way way) {
  return IsSecure(way) ? testing::SecureServer() : sim::HartIpServerOptions{};
}

QStringList WayTo(const sim::HartIpServerThread& line, Way way) {
  if (way == Way::Serial) return {"--port", QString::fromStdString(line.devicePath())};
  QStringList ip = {"--hart-ip", QString::fromStdString(line.hartIpEndpoint())};
  if (way == Way::Udp || way == Way::UdpSecure) ip << "--udp";
  if (IsSecure(way)) ip << "--psk-file" << testing::TestKeyFile();
  return ip;
}

class CliWays : public ::testing::TestWithParam<Way> {};

TEST_P(CliWays, EveryOperationEndsWithItsSuccessText) {
  sim::HartIpServerThread line({sim::DefaultDeviceConfig(0)}, {}, ServerFor(GetParam()));
  ASSERT_TRUE(line.running()) << line.error();
  QStringList arguments = WayTo(line, GetParam()) + QStringList{"--json"};
  for (std::size_t i = 0; i < std::size(kAllOperations); ++i) {
    if (i > 0) arguments << "then";
    QString words = QString::fromUtf8(kAllOperations[i][0]);
    // The long-address text is one argument.
    if (words.startsWith("write-long-address ")) {
      arguments << "write-long-address" << words.mid(19);
    } else {
      arguments << words.split(' ');
    }
  }
  const CliRun run = RunCli(arguments);
  ASSERT_EQ(run.outcomes.size(), static_cast<int>(std::size(kAllOperations)))
      << run.out.toStdString() << run.err.toStdString();
  for (int i = 0; i < run.outcomes.size(); ++i) {
    const QJsonObject& o = run.outcomes[i];
    EXPECT_EQ(o["status"].toString().toStdString(), kAllOperations[i][1])
        << o["operation"].toString().toStdString();
    EXPECT_EQ(o["progress"].toInt(), 100) << o["operation"].toString().toStdString();
  }
  EXPECT_EQ(run.exitCode, 0);

  // A few values as the pages show them.
  const QJsonObject longAddress = run.outcomes[7]["values"].toObject();
  EXPECT_EQ(longAddress["longAddressText"].toString(), "0x5a 0x10 0x01 0x02 0x03");
  const QJsonObject config = run.outcomes[13]["values"].toObject();
  EXPECT_EQ(config["unitText"].toString(), "kPa");
  EXPECT_EQ(config["upperRangeText"].toString(), "100.0");
  const QJsonObject sensor = run.outcomes[9]["values"].toObject();
  EXPECT_EQ(sensor["sensorTypeIndex"].toInt(), 8);
  EXPECT_EQ(sensor["sensorLowerText"].toString(), QString::fromUtf8("-200 ℃"));
  EXPECT_EQ(run.outcomes[29]["values"].toObject()["found"].toArray(), QJsonArray({0}));
}

std::string WayName(const ::testing::TestParamInfo<Way>& info) {
  const char* const names[] = {"Serial", "Tcp", "Udp", "TcpSecure", "UdpSecure"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Cli, CliWays,
                         ::testing::Values(Way::Serial, Way::Tcp, Way::Udp, Way::TcpSecure,
                                           Way::UdpSecure),
                         WayName);

// A HART-IP server that cannot be reached, or does not answer the session
// initiate, is a port that cannot be opened: exit 69, with the reason.
// The command line's own table has one entry for every row of the
// operation table, in the same order, so that a new operation cannot go
// without its arguments and printed values.
TEST(Cli, ItsTableHasOneEntryPerOperationRow) {
  ASSERT_EQ(CliOperationsEnd() - CliOperationsBegin(), OperationRowsEnd() - OperationRowsBegin());
  const CliOperation* cli = CliOperationsBegin();
  for (const OperationRow* row = OperationRowsBegin(); row != OperationRowsEnd(); ++row, ++cli) {
    EXPECT_EQ(cli->op, row->code) << row->word;
  }
}

TEST(Cli, AHartIpServerThatCannotBeReached) {
  const struct {
    QStringList way;
    const char* reason;
  } cases[] = {{{"--hart-ip", "127.0.0.1:1"}, "Connection refused"},
               {{"--hart-ip", "127.0.0.1:1", "--udp"}, "服务器无应答"},
               {{"--hart-ip", "[::1"}, nullptr},
               {{"--hart-ip", "[::1]x"}, nullptr},
               {{"--hart-ip", "127.0.0.1:0"}, nullptr}};
  for (const auto& c : cases) {
    const CliRun run = RunCli(c.way + QStringList{"--json", "comm-test"});
    ASSERT_EQ(run.outcomes.size(), 1) << run.err.toStdString();
    if (!c.reason) {
      EXPECT_EQ(run.exitCode, 64);
      continue;
    }
    EXPECT_EQ(run.exitCode, 69) << c.way.join(' ').toStdString();
    EXPECT_EQ(run.outcomes[0]["result"].toString(), "port-error");
    const QString error = run.outcomes[0]["error"].toString();
    EXPECT_TRUE(error.startsWith(QString::fromUtf8("HART-IP 连接失败 127.0.0.1:1: ")) &&
                error.contains(QString::fromUtf8(c.reason)))
        << error.toStdString();
  }
}

// Over HART-IP the session's messages are lines of their own: the initiate
// and its answer first, in version 2 the secure channel's one line naming
// its protocol and cipher suite, then the PDUs, and last the session close.
// The version is the first byte on the wire; the key is never shown.
TEST(Cli, TraceShowsEachSessionMessageOnALine) {
  const struct {
    Way way;
    const char* version;    // the initiate's first bytes
    const char* handshake;  // none in version 1
  } cases[] = {{Way::Tcp, "| 01 00 00", nullptr},
               {Way::TcpSecure, "| 02 00 00", "HART-IP 安全会话 TLSv1.2 PSK-AES128-GCM-SHA256"},
               {Way::UdpSecure, "| 02 00 00", "HART-IP 安全会话 DTLSv1.2 PSK-AES128-GCM-SHA256"}};
  sim::HartIpServerThread plain({sim::DefaultDeviceConfig(0)});
  sim::HartIpServerThread secure({sim::DefaultDeviceConfig(0)}, {}, testing::SecureServer());
  ASSERT_TRUE(plain.running() && secure.running()) << plain.error() << secure.error();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    const CliRun run = RunCli(WayTo(IsSecure(c.way) ? secure : plain, c.way) +
                              QStringList{"--trace", "--no-journal", "comm-test"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
    const int pdu = c.handshake ? 3 : 2;
    ASSERT_EQ(lines.size(), pdu + 3) << run.err.toStdString();
    EXPECT_TRUE(lines[0].contains(QString::fromUtf8("发送 HART-IP 请求 会话建立")));
    EXPECT_TRUE(lines[0].contains(QString::fromUtf8(c.version))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QString::fromUtf8("接收 HART-IP 响应 会话建立 状态 0")));
    if (c.handshake) {
      EXPECT_TRUE(lines[2].endsWith(QString::fromUtf8(c.handshake))) << lines[2].toStdString();
    }
    EXPECT_TRUE(lines[pdu].contains(QString::fromUtf8("发送 [HART-IP 请求 令牌传递PDU")));
    EXPECT_TRUE(lines[pdu + 1].contains(QString::fromUtf8("接收 [HART-IP 响应 令牌传递PDU")));
    EXPECT_TRUE(lines[pdu + 2].contains(QString::fromUtf8("发送 HART-IP 请求 会话关闭")))
        << lines[pdu + 2].toStdString();
    EXPECT_FALSE(run.err.contains(testing::kKeyHex, Qt::CaseInsensitive));
  }
}

// A secure session that cannot be set up is a port that cannot be opened,
// with the reason in words, and never becomes a plain one: a key or an
// identity the server does not take, a server of version 1.
TEST(Cli, ASecureSessionThatCannotBeSetUpSaysWhy) {
  const QString wrongKey = testing::WriteKeyFile(
      QStringLiteral("wrong.key"), "vantrel-client:ff112233445566778899aabbccddeeff\n");
  const QString stranger = testing::WriteKeyFile(QStringLiteral("stranger.key"),
                                                 "someone-else:00112233445566778899aabbccddeeff\n");
  sim::HartIpServerThread plain({sim::DefaultDeviceConfig(0)});
  sim::HartIpServerThread secure({sim::DefaultDeviceConfig(0)}, {}, testing::SecureServer());
  ASSERT_TRUE(plain.running() && secure.running()) << plain.error() << secure.error();
  const char* const refused = "安全会话建立失败：密钥或身份不被服务器接受";
  const char* const notVersion2 = "服务器不支持 HART-IP 版本 2";
  const struct {
    const char* what;
    const sim::HartIpServerThread& server;
    QStringList way;
    const char* reason;
  } cases[] = {
      {"wrong key", secure, {"--psk-file", wrongKey}, refused},
      // DTLS drops the records it cannot decrypt: the server goes quiet.
      {"wrong key, UDP",
       secure,
       {"--udp", "--psk-file", wrongKey},
       "安全会话建立失败：服务器在握手中不再应答，可能不接受密钥或身份"},
      {"unknown identity", secure, {"--psk-file", stranger}, refused},
      {"unknown identity, UDP", secure, {"--udp", "--psk-file", stranger}, refused},
      {"version 1 server", plain, {"--psk-file", testing::TestKeyFile()}, notVersion2},
      {"version 1 server, UDP",
       plain,
       {"--udp", "--hart-ip-version", "2", "--psk-file", testing::TestKeyFile()},
       notVersion2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString where = QString::fromStdString(c.server.hartIpEndpoint());
    const CliRun run = RunCli(QStringList{"--hart-ip", where, "--json", "--no-journal"} + c.way +
                              QStringList{"comm-test"});
    EXPECT_EQ(run.exitCode, 69);
    ASSERT_EQ(run.outcomes.size(), 1) << run.out.toStdString();
    EXPECT_EQ(run.outcomes[0]["result"].toString(), "port-error");
    EXPECT_EQ(run.outcomes[0]["error"].toString().section(QStringLiteral("（"), 0, 0),
              QString::fromUtf8("HART-IP 连接失败 ") + where + ": " + QString::fromUtf8(c.reason));
  }
}

// The key file is read, and refused, before anything connects (nothing
// listens at the port given: a connection would fail with 69): one its
// owner alone may not read, one that is missing, one whose key line is
// wrong, named by its line. So is a version that does not go with it.
TEST(Cli, AKeyFileThatCannotBeUsedIsRefusedBeforeConnecting) {
  using testing::WriteKeyFile;
  const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
  const struct {
    QStringList arguments;
    const char* error;
  } cases[] = {
      {{"--psk-file", WriteKeyFile("open.key", "vantrel-client:" + QByteArray(32, '1'), open)},
       "密钥文件可被其他用户读取，应只许所有者读写（chmod 600）"},
      {{"--psk-file", "/nonexistent/client.key"}, "密钥文件无法读取：No such file or directory"},
      {{"--psk-file", WriteKeyFile("comments.key", "# only a comment\n\n")},
       "密钥文件中没有“身份:十六进制密钥”行"},
      {{"--psk-file", WriteKeyFile("short.key", "# bench\n\nvantrel-client:0011\n")},
       "密钥文件第 3 行：密钥短于 16 字节"},
      {{"--psk-file", WriteKeyFile("identity.key", "bench:00112233445566778899aabbccddeeff\n")},
       "密钥文件第 1 行：身份短于 8 个字符"},
      {{"--psk-file", WriteKeyFile("hex.key", "vantrel-client:0011223344556677889XAABBCCDDEEFF\n")},
       "密钥文件第 1 行：密钥不是十六进制数"},
      {{"--hart-ip-version", "2"}, "--hart-ip-version 2 needs --psk-file"},
      {{"--hart-ip-version", "3"}, "--hart-ip-version takes 1 or 2"},
      {{"--hart-ip-version", "1", "--psk-file", testing::TestKeyFile()},
       "--psk-file is for HART-IP version 2, not --hart-ip-version 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CliRun run = RunCli(QStringList{"--hart-ip", "127.0.0.1:1", "--json"} + c.arguments +
                              QStringList{"comm-test"});
    EXPECT_EQ(run.exitCode, 64);
    ASSERT_EQ(run.outcomes.size(), 1);
    EXPECT_EQ(run.outcomes[0]["result"].toString(), "usage-error");
    EXPECT_TRUE(run.outcomes[0]["error"].toString().endsWith(QString::fromUtf8(c.error)))
        << run.outcomes[0]["error"].toString().toStdString();
  }
}

// A TCP connection the server closes (here a hang-up after the first reply)
// is said at once, and the operation it ends, or the next, which finds the
// port closed, says the server closed it, not only that the port is not
// open.
TEST(Cli, AConnectionTheServerClosesIsSaidAsSuch) {
  sim::HartIpServerThread line({sim::DefaultDeviceConfig(0)});
  ASSERT_TRUE(line.running()) << line.error();
  sim::LineFaults hangup;
  hangup.hangupAfter = 1000;  // the whole reply first
  hangup.faultyReplies = 1;
  line.setFaults(hangup);
  const QString where = QString::fromStdString(line.hartIpEndpoint());
  const CliRun run =
      RunCli({"--hart-ip", where, "--json", "--no-journal", "comm-test", "then", "read-current"});
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "success");
  EXPECT_EQ(run.outcomes[1]["reason"].toString(),
            QString::fromUtf8("HART端口已断开！ 服务器关闭了连接"));
  EXPECT_TRUE(run.err.contains(QString::fromUtf8("vantrel-cli: HART端口已断开！ ") + where +
                               QString::fromUtf8(": 服务器关闭了连接")))
      << run.err.toStdString();
}

// The journal names a HART-IP instrument's port with its transport.
TEST(Cli, TheJournalNamesTheHartIpTransport) {
  sim::HartIpServerThread line({sim::DefaultDeviceConfig(0)});
  ASSERT_TRUE(line.running()) << line.error();
  const QString where = QString::fromStdString(line.hartIpEndpoint());
  QTemporaryDir dir;
  const QString journal = dir.filePath("journal.jsonl");
  for (const QStringList& way : {QStringList{}, QStringList{"--udp"}}) {
    const CliRun run = RunCli(QStringList{"--hart-ip", where, "--journal", journal} + way +
                              QStringList{"fixed-current", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  }
  const QStringList records =
      RunCli({"--journal", journal, "journal"}).out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(records.size(), 2);
  EXPECT_EQ(QJsonDocument::fromJson(records[0].toUtf8())["port"].toString(),
            "hart-ip tcp " + where);
  EXPECT_EQ(QJsonDocument::fromJson(records[1].toUtf8())["port"].toString(),
            "hart-ip udp " + where);
}

TEST(Cli, WritesAreReadBack) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  const CliRun run =
      RunCli({"--port", line.path(), "--json", "write-device-info", "--tag", "ab", "--descriptor",
              "PUMP 4", "--message", "HELLO WORLD", "--date", "2024-02-29", "then",
              "read-device-info", "then", "write-offset", "-1.25", "then", "read-offset"});
  ASSERT_EQ(run.outcomes.size(), 4);
  const QJsonObject info = run.outcomes[1]["values"].toObject();
  EXPECT_EQ(info["tag"].toString(), "AB");
  EXPECT_EQ(info["descriptor"].toString(), "PUMP 4");
  EXPECT_EQ(info["message"].toString(), "HELLO WORLD");
  EXPECT_EQ(info["date"].toString(), "2024-02-29");
  EXPECT_EQ(run.outcomes[3]["values"].toObject()["offsetText"].toString(), "-1.2");
}

TEST(Cli, SearchSelectsTheFirstAddressInTextOrder) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(2), sim::DefaultDeviceConfig(10)});
  const CliRun run =
      RunCli({"--port", line.path(), "--json", "search", "then", "read-long-address"});
  ASSERT_EQ(run.outcomes.size(), 2);
  const QJsonObject search = run.outcomes[0];
  EXPECT_EQ(search["status"].toString(), QString::fromUtf8("搜索完成"));
  EXPECT_EQ(search["values"].toObject()["found"].toArray(), QJsonArray({2, 10}));
  EXPECT_EQ(search["messages"].toArray(), QJsonArray({QString::fromUtf8("搜索到在线设备：2 10 ")}));
  // "10 " sorts before "2 ": the next operation talks to device 10.
  EXPECT_EQ(run.outcomes[1]["values"].toObject()["longAddressText"].toString(),
            "0x5a 0x10 0x01 0x02 0x0d");
}

struct ExitCase {
  const char* name;
  QStringList arguments;  // after --port PATH (a literal "NOPORT" replaces the path)
  int exitCode;
};

TEST(Cli, ExitStatus) {
  const ExitCase cases[] = {
      {"Success", {"comm-test"}, 0},
      {"FailureText",
       {"write-config", "--unit", "5", "--lower", "1", "--upper", "1", "--damping", "1"},
       1},
      {"Refused", {"write-long-address", "0x5a 0x10"}, 1},
      {"NoReply", {"--address", "9", "--timeout-ms", "300", "read-current"}, 2},
      {"UnknownOperation", {"bogus"}, 64},
      {"MissingArgument", {"fixed-current"}, 64},
      {"BadNumber", {"calibrate-low", "12kPa"}, 64},
      {"BadDate",
       {"write-device-info", "--tag", "a", "--descriptor", "b", "--message", "c", "--date",
        "2023-02-29"},
       64},
      {"UnpackableTag",
       {"write-device-info", "--tag", "PT~1", "--descriptor", "b", "--message", "c", "--date",
        "2024-01-01"},
       64},
      {"DanglingThen", {"comm-test", "then"}, 64},
      {"NoPort", {"NOPORT"}, 69},
  };
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  for (const ExitCase& c : cases) {
    QStringList arguments = {"--port"};
    QStringList rest = c.arguments;
    if (rest.value(0) == "NOPORT") {
      arguments << "/dev/vantrel-no-such-port"
                << "comm-test";
    } else {
      if (rest.value(0) == "--address") {
        arguments << line.path() << rest.mid(0, 4);
        rest = rest.mid(4);
      } else {
        arguments << line.path();
      }
      arguments << rest;
    }
    EXPECT_EQ(RunCli(arguments).exitCode, c.exitCode) << c.name;
  }
}

// The reply time-out counts from each request, never the program's own pause
// before command 35: a configuration write on a 1200 baud line with a 300 ms
// time-out writes both commands.
TEST(Cli, TimeOutDoesNotCountThePauseBeforeTheRange) {
  sim::PtyServerOptions paced;
  paced.lineRate = true;
  paced.turnaroundMs = 20;
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)}, paced);
  const CliRun run =
      RunCli({"--port", line.path(), "--json", "--timeout-ms", "450", "write-config", "--unit", "5",
              "--lower", "0", "--upper", "200", "--damping", "1.5", "then", "read-config"});
  ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
  EXPECT_EQ(run.outcomes[0]["status"].toString(), QString::fromUtf8("修改成功"));
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "success");
  EXPECT_EQ(run.outcomes[0]["retries"].toInt(), 0);
  EXPECT_EQ(run.outcomes[1]["values"].toObject()["upperRangeText"].toString(), "200.0");
  EXPECT_EQ(run.outcomes[1]["values"].toObject()["dampingText"].toString(), "1.5");
  EXPECT_EQ(run.exitCode, 0);
}

// Each object tells how the operation ended: the result, the requests sent
// again, the last reply's response code and device status, and the reason.
// The first operation that does not succeed ends the chain; the ones after it
// are reported skipped, and the exit status is that of the first.
TEST(Cli, ResultsAndTheChainStoppingAtTheFirstThatFails) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  CliRun run = RunCli({"--port", line.path(), "--json", "--address", "9", "--timeout-ms", "100",
                       "read-current", "then", "read-config", "then", "comm-test"});
  ASSERT_EQ(run.outcomes.size(), 3) << run.out.toStdString();
  const QJsonObject noReply = run.outcomes[0];
  EXPECT_EQ(noReply["result"].toString(), "no-reply");
  EXPECT_EQ(noReply["status"].toString(), QString::fromUtf8("接收失败"));
  EXPECT_EQ(noReply["reason"].toString(), QString::fromUtf8("设备无应答"));
  EXPECT_EQ(noReply["retries"].toInt(), 3);
  EXPECT_TRUE(noReply["response"].isNull());
  EXPECT_TRUE(noReply["deviceStatus"].isNull());
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(run.outcomes[i]["result"].toString(), "skipped");
    EXPECT_TRUE(run.outcomes[i]["status"].isNull());
  }
  EXPECT_EQ(run.exitCode, 2);

  // The instrument refuses a range without a span (code 29): the damping is
  // written, the range is not, and the reason names it.
  run = RunCli({"--port", line.path(), "--json", "write-config", "--unit", "5", "--lower", "1",
                "--upper", "1", "--damping", "1", "then", "comm-test"});
  ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
  const QJsonObject refused = run.outcomes[0];
  EXPECT_EQ(refused["result"].toString(), "failure");
  EXPECT_EQ(refused["status"].toString(), QString::fromUtf8("修改失败"));
  EXPECT_EQ(refused["reason"].toString(), QString::fromUtf8("量程未修改：响应码 29"));
  const QJsonObject response = refused["response"].toObject();
  EXPECT_EQ(response["code"].toInt(), 29);
  EXPECT_EQ(response["class"].toString(), "error");
  EXPECT_EQ(response["text"].toString(), QString::fromUtf8("错误：响应码 29"));
  EXPECT_EQ(refused["deviceStatus"].toObject()["byte"].toInt(), 0);
  EXPECT_EQ(refused["deviceStatus"].toObject()["bits"].toArray(), QJsonArray());
  EXPECT_EQ(run.outcomes[1]["result"].toString(), "skipped");
  EXPECT_EQ(run.exitCode, 1);
}

// Table values by name as the window shows them (any case), or by index;
// what goes out is seen in the trace.
TEST(Cli, TableValuesByName) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0), sim::DefaultDeviceConfig(3)});
  const struct {
    QStringList words;
    const char* sent;  // in the trace of the request that writes it
  } cases[] = {
      {{"write-config", "--unit", "kPa", "--lower", "0", "--upper", "100", "--damping", "1"},
       "命令 35 写主变量量程 字节数 9 | 数据 0C 42 C8 00 00 00 00 00 00"},
      {{"write-config", "--unit", "DEGC", "--lower", "0", "--upper", "100", "--damping", "1"},
       "命令 35 写主变量量程 字节数 9 | 数据 20"},
      {{"write-config", "--unit", "℉", "--lower", "0", "--upper", "100", "--damping", "1"},
       "命令 35 写主变量量程 字节数 9 | 数据 21"},
      {{"write-config", "--unit", "6", "--lower", "0", "--upper", "100", "--damping", "1"},
       "命令 35 写主变量量程 字节数 9 | 数据 ED"},
      {{"write-gain", "x4"}, "命令 134 写放大倍数 字节数 1 | 数据 02"},
      {{"write-gain", "X64"}, "命令 134 写放大倍数 字节数 1 | 数据 06"},
      {{"write-gain", "4"}, "命令 134 写放大倍数 字节数 1 | 数据 04"},
      {{"write-sensor-config", "Pt100"}, "命令 115 写传感器组态 字节数 3 | 数据 A5 5A 08"},
      {{"write-sensor-config", "cu50"}, "命令 115 写传感器组态 字节数 3 | 数据 A5 5A 0A"},
      {{"write-sensor-config", QString::fromUtf8("K型热电偶")},
       "命令 115 写传感器组态 字节数 3 | 数据 A5 5A 00"},
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli(QStringList{"--port", line.path(), "--trace"} << c.words);
    EXPECT_EQ(run.exitCode, 0) << c.words.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.sent))) << run.err.toStdString();
  }
  // A name no table holds is a usage error that names the table to list.
  const CliRun bad = RunCli({"--port", line.path(), "write-gain", "x3"});
  EXPECT_EQ(bad.exitCode, 64);
  EXPECT_TRUE(bad.err.contains("'list gains'")) << bad.err.toStdString();

  // --address after 'then' holds from that operation on.
  const CliRun chain = RunCli({"--port", line.path(), "--trace", "comm-test", "then", "--address",
                               "3", "comm-test", "then", "comm-test"});
  QStringList polled;
  for (const QString& l : chain.err.split('\n', Qt::SkipEmptyParts)) {
    if (l.contains(QString::fromUtf8("发送")))
      polled << l.section(QString::fromUtf8("短地址 "), 1).left(1);
  }
  EXPECT_EQ(polled, (QStringList{"0", "3", "3"}));
}

// The tables and the serial ports; with --json an object even when nothing
// runs: a usage error, a port that does not open.
TEST(Cli, ListsVersionAndErrorObjects) {
  CliRun run = RunCli({"list", "units"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith(QString::fromUtf8("0  degC  °C  32\n"))) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains("5  kPa  kPa  12\n"));
  run = RunCli({"--json", "list", "sensors"});
  ASSERT_EQ(run.outcomes.size(), 12);
  EXPECT_EQ(run.outcomes[8]["name"].toString(), "Pt100");
  EXPECT_EQ(run.outcomes[8]["index"].toInt(), 8);
  run = RunCli({"--json", "list", "gains"});
  ASSERT_EQ(run.outcomes.size(), 7);
  EXPECT_EQ(run.outcomes[2]["name"].toString(), "x4");
  EXPECT_EQ(run.outcomes[2]["factor"].toInt(), 4);
  run = RunCli({"--json", "list", "ports"});
  EXPECT_EQ(run.exitCode, 0);
  for (const QJsonObject& port : run.outcomes) {
    for (const char* key :
         {"name", "description", "manufacturer", "serialNumber", "vendorId", "productId"}) {
      EXPECT_TRUE(port.contains(key)) << key;
    }
  }

  run = RunCli({"--version"});
  EXPECT_EQ(run.out, "vantrel-cli 3.2.0.1\n");
  run = RunCli({"-h"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith("Usage: vantrel-cli"));

  run = RunCli({"--json", "--port", "/dev/vantrel-no-such-port", "bogus"});
  EXPECT_EQ(run.exitCode, 64);
  ASSERT_EQ(run.outcomes.size(), 1);
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "usage-error");
  EXPECT_EQ(run.outcomes[0]["error"].toString(), "unknown operation bogus");
  EXPECT_EQ(run.err, "vantrel-cli: unknown operation bogus (try --help)\n");
  run = RunCli({"--json", "--port", "/dev/vantrel-no-such-port", "comm-test"});
  EXPECT_EQ(run.exitCode, 69);
  ASSERT_EQ(run.outcomes.size(), 1);
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "port-error");
  EXPECT_TRUE(run.outcomes[0]["error"].toString().contains("/dev/vantrel-no-such-port"));
}

TEST(Cli, TraceDecodesEveryFrame) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  const CliRun run = RunCli({"--port", line.path(), "--trace", "read-current"});
  const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4) << run.err.toStdString();
  EXPECT_TRUE(lines[0].contains(QString::fromUtf8("发送 请求(短地址 0) 命令 0 读唯一标识符")));
  EXPECT_TRUE(lines[0].endsWith("02 80 00 00 82"));
  EXPECT_TRUE(lines[3].contains(QString::fromUtf8("接收 应答(长地址 9a 10 01 02 03) 命令 3")));
}

// The language: --lang, else the locale's (English for an English locale,
// Chinese for any other). Shown in the texts, never in the JSON keys or the
// result words.
TEST(Cli, TextsFollowTheLanguage) {
  const struct {
    QStringList lang;
    const char* locale;
    bool english;
  } cases[] = {
      {{"--lang", "en"}, "zh_CN.UTF-8", true},
      {{"--lang", "zh"}, "en_US.UTF-8", false},
      {{}, "en_US.UTF-8", true},
      {{}, "en_GB", true},
      {{}, "de_DE.UTF-8", false},
      {{}, "C", false},
  };
  for (const auto& c : cases) {
    const std::string name = c.lang.join(' ').toStdString() + " LANG=" + c.locale;
    CliRun run = RunCli(c.lang + QStringList{"--json", "list", "sensors"}, 60000, c.locale);
    ASSERT_EQ(run.outcomes.size(), 12) << name;
    EXPECT_EQ(run.outcomes[0]["text"].toString(),
              c.english ? "Type K thermocouple" : QString::fromUtf8("K型热电偶"))
        << name;
    run = RunCli(c.lang + QStringList{"--json", "--port", "/dev/vantrel-no-such-port", "comm-test"},
                 60000, c.locale);
    ASSERT_EQ(run.outcomes.size(), 1) << name;
    EXPECT_EQ(run.outcomes[0]["result"].toString(), "port-error");
    EXPECT_TRUE(run.outcomes[0]["error"].toString().startsWith(
        c.english ? "HART port failed to open! " : QString::fromUtf8("HART打开失败！ ")))
        << name;
  }

  // A reason made of pieces, each in English; the trace has no Chinese left.
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  CliRun run = RunCli({"--lang", "en", "--port", line.path(), "--json", "--trace",
                       "read-device-info", "then", "write-config", "--unit", "kPa", "--lower", "1",
                       "--upper", "1", "--damping", "1"});
  ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
  EXPECT_EQ(run.outcomes[0]["status"].toString(), "Received");
  EXPECT_EQ(run.outcomes[1]["result"].toString(), "failure");
  EXPECT_EQ(run.outcomes[1]["status"].toString(), "Write failed");
  EXPECT_EQ(run.outcomes[1]["reason"].toString(), "range not written: response code 29");
  EXPECT_EQ(run.outcomes[1]["response"].toObject()["text"].toString(), "error: response code 29");
  const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}，：；！（）]"));
  EXPECT_FALSE(run.out.contains(chinese)) << run.out.toStdString();
  EXPECT_FALSE(run.err.contains(chinese)) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("Sent request (polling address 0) command 0 Read unique identifier"))
      << run.err.toStdString();
}

// save-config reads the instrument and saves what it sent, exactly: 0.25 MPa
// stays 0.25 (the page shows "0.2"). A read that fails saves nothing; a file
// that cannot be written is said so.
TEST(Cli, SaveConfigKeepsTheValuesExactly) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0), sim::DefaultDeviceConfig(3)});
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("pt-3.json"));
  ASSERT_EQ(RunCli({"--port", line.path(), "--address", "3", "write-config", "--unit", "MPa",
                    "--lower", "0", "--upper", "0.25", "--damping", "0.1"})
                .exitCode,
            0);
  // The page texts keep the instrument's precision too.
  CliRun run = RunCli({"--port", line.path(), "--json", "--address", "3", "read-config"});
  ASSERT_EQ(run.outcomes.size(), 1);
  EXPECT_EQ(run.outcomes[0]["values"].toObject()["upperRangeText"].toString(), "0.25");
  EXPECT_EQ(run.outcomes[0]["values"].toObject()["dampingText"].toString(), "0.1");
  run = RunCli({"--port", line.path(), "--json", "--address", "3", "save-config", file});
  ASSERT_EQ(run.outcomes.size(), 1) << run.out.toStdString();
  EXPECT_EQ(run.outcomes[0]["operation"].toString(), "save-config");
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "success");
  EXPECT_EQ(run.exitCode, 0);
  QFile saved(file);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QJsonObject config = QJsonDocument::fromJson(saved.readAll()).object();
  EXPECT_EQ(config["format"].toString(), "vantrel-configuration");
  EXPECT_EQ(config["identity"].toObject()["deviceId"].toString(), "010206");
  EXPECT_EQ(config["pollingAddress"].toInt(), 3);
  const QJsonObject range = config["range"].toObject();
  EXPECT_EQ(static_cast<float>(range["upper"].toDouble()), 0.25f);
  EXPECT_EQ(range["unit"].toString(), "MPa");
  EXPECT_EQ(static_cast<float>(config["damping"].toObject()["value"].toDouble()), 0.1f);
  EXPECT_EQ(config["tag"].toString(), "PT-03");

  const struct {
    QStringList arguments;
    const char* result;
    int exitCode;
  } failures[] = {
      {{"--address", "9", "--timeout-ms", "100", "save-config", dir.filePath("none.json")},
       "no-reply",
       2},
      {{"save-config", dir.filePath("no-such-folder/x.json")}, "file-error", 73},
  };
  for (const auto& f : failures) {
    run = RunCli(QStringList{"--port", line.path(), "--json"} + f.arguments);
    ASSERT_EQ(run.outcomes.size(), 1) << run.out.toStdString();
    EXPECT_EQ(run.outcomes[0]["result"].toString(), f.result);
    EXPECT_FALSE(run.outcomes[0]["reason"].toString().isEmpty());
    EXPECT_EQ(run.exitCode, f.exitCode);
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("none.json")));
  EXPECT_EQ(RunCli({"--port", line.path(), "save-config", file, "then", "comm-test"}).exitCode, 64);
}

QJsonObject ReadJsonFile(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return QJsonDocument::fromJson(file.readAll()).object();
}

void WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

// The lines of a trace that carry a request of this instrument's own
// commands (112 to 135) or a write.
QStringList WritesAndOwnCommands(const QString& trace) {
  QStringList found;
  static const QRegularExpression request(
      QString::fromUtf8("发送 .* 命令 (1(1[2-9]|2[0-9]|3[0-5])|6|17|18|34|35|44|115|119|128) "));
  for (const QString& line : trace.split('\n')) {
    if (request.match(line).hasMatch()) found << line;
  }
  return found;
}

// Save, change, compare without writing, load back exactly; a spare only with
// consent, another model never (nothing but command 0 goes to it).
TEST(Cli, LoadConfigBringsTheSavedValuesBack) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0), sim::DefaultDeviceConfig(3)});
  QTemporaryDir dir;
  const QString saved = dir.filePath("pt-0.json");
  const QStringList port = {"--port", line.path(), "--json"};
  ASSERT_EQ(RunCli(port + QStringList{"write-config", "--unit", "MPa", "--lower", "0", "--upper",
                                      "0.25", "--damping", "0.1"})
                .exitCode,
            0);
  ASSERT_EQ(RunCli(port + QStringList{"save-config", saved}).exitCode, 0);
  const QStringList changed = {"write-config", "--unit", "kPa",       "--lower", "0",
                               "--upper",      "100",    "--damping", "1"};
  ASSERT_EQ(RunCli(port + changed).exitCode, 0);

  CliRun run = RunCli(port + QStringList{"--trace", "load-config", saved, "--dry-run"});
  ASSERT_EQ(run.outcomes.size(), 1) << run.out.toStdString();
  EXPECT_EQ(run.exitCode, 0);
  const QJsonArray differences = run.outcomes[0]["differences"].toArray();
  ASSERT_EQ(differences.size(), 3);
  EXPECT_EQ(differences[0].toObject(),
            (QJsonObject{{"field", "range.upper"}, {"instrument", "100"}, {"file", "0.25"}}));
  EXPECT_EQ(WritesAndOwnCommands(run.err).filter(QString::fromUtf8("命令 35 ")), QStringList());

  // Without a terminal, a load that would write needs --yes.
  run = RunCli(port + QStringList{"load-config", saved});
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "refused");
  EXPECT_EQ(run.exitCode, 1);
  run = RunCli(port + QStringList{"load-config", saved, "--yes"});
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "success");
  EXPECT_EQ(run.outcomes[0]["written"].toArray(), QJsonArray{"write-config"});
  EXPECT_EQ(run.outcomes[0]["notTaken"].toArray(), QJsonArray());
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(RunCli(port + QStringList{"save-config", dir.filePath("again.json")}).exitCode, 0);
  const QJsonObject range = ReadJsonFile(dir.filePath("again.json"))["range"].toObject();
  EXPECT_EQ(static_cast<float>(range["upper"].toDouble()), 0.25f);
  EXPECT_EQ(range["unit"].toString(), "MPa");

  // The same model at address 3, another device ID: a spare.
  const QStringList spare = {"--port", line.path(),   "--json", "--address",
                             "3",      "load-config", saved,    "--yes"};
  run = RunCli(spare);
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "refused");
  EXPECT_TRUE(run.outcomes[0]["otherDevice"].toBool());
  EXPECT_EQ(run.exitCode, 1);
  run = RunCli(spare + QStringList{"--allow-other-device"});
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "success");
  EXPECT_EQ(run.exitCode, 0);

  // Another model: refused even with consent; only command 0 was sent.
  QJsonObject other = ReadJsonFile(saved);
  QJsonObject identity = other["identity"].toObject();
  identity["deviceType"] = 0x11;
  other["identity"] = identity;
  WriteFile(dir.filePath("other.json"), QJsonDocument(other).toJson());
  run = RunCli(port + QStringList{"--trace", "load-config", dir.filePath("other.json"), "--yes",
                                  "--allow-other-device"});
  EXPECT_EQ(run.outcomes[0]["result"].toString(), "refused");
  EXPECT_TRUE(run.outcomes[0]["reason"].toString().startsWith("another model"))
      << run.out.toStdString();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(WritesAndOwnCommands(run.err), QStringList()) << run.err.toStdString();
}

// A file that is no configuration is refused before the port is opened: the
// exit status and the field, and nothing on the line.
TEST(Cli, BadConfigurationFilesWriteNothing) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  QTemporaryDir dir;
  const QString good = dir.filePath("good.json");
  ASSERT_EQ(RunCli({"--port", line.path(), "save-config", good}).exitCode, 0);
  const QJsonObject saved = ReadJsonFile(good);
  const auto with = [&saved](const char* key, const QJsonValue& value) {
    QJsonObject changed = saved;
    const QString name = QString::fromLatin1(key);
    if (name.contains('.')) {
      QJsonObject inner = changed[name.section('.', 0, 0)].toObject();
      inner[name.section('.', 1)] = value;
      changed[name.section('.', 0, 0)] = inner;
    } else {
      changed[name] = value;
    }
    return QJsonDocument(changed).toJson();
  };
  const struct {
    const char* name;
    std::optional<QByteArray> text;  // none: no such file
    int exitCode;
    const char* says;
  } cases[] = {
      {"broken", QByteArray("{\"format\": "), 65, "not JSON"},
      {"empty", QByteArray(), 65, "not JSON"},
      {"list", QByteArray("[1, 2]"), 65, "not a JSON object"},
      {"format", with("format", "other-tool"), 65, "format"},
      {"newer", with("version", 2), 65, "version: 2 is newer"},
      {"range", with("range.upper", "abc"), 65, "range.upper: not a number"},
      {"tag", with("tag", QString::fromUtf8("测试")), 65, "tag: 测 cannot be written"},
      {"descriptor", with("descriptor", "PT~1"), 65, "descriptor: ~ cannot be written"},
      {"unit", with("range.unit", "bar"), 65, "range.unit"},
      {"missing", std::nullopt, 66, "No such file"},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::fromLatin1(c.name) + ".json");
    if (c.text) WriteFile(path, *c.text);
    const CliRun run =
        RunCli({"--port", line.path(), "--json", "--trace", "load-config", path, "--yes"});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
    ASSERT_EQ(run.outcomes.size(), 1) << c.name << run.out.toStdString();
    EXPECT_TRUE(run.outcomes[0]["reason"].toString().contains(c.says))
        << c.name << ": " << run.out.toStdString();
    EXPECT_FALSE(run.err.contains(QString::fromUtf8("发送"))) << c.name;
  }
}

// One record per write, fixed current and calibration, none for a read; a
// journal that cannot be written is said once and the operations go on.
TEST(Cli, TheJournalRecordsEveryChange) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  QTemporaryDir dir;
  const QString journal = dir.filePath("journal.jsonl");
  const QString chain =
      "read-device-info then write-config --unit kPa --lower 0 --upper 250 --damping 2 then "
      "read-config then write-config --unit kPa --lower 0 --upper 300 --damping 2 then "
      "fixed-current 12 then fixed-current 0 then read-long-address then clear-zero";
  CliRun run =
      RunCli(QStringList{"--port", line.path(), "--json", "--journal", journal} + chain.split(' '));
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  run = RunCli({"--journal", journal, "journal"});
  QList<QJsonObject> records;
  for (const QString& l : run.out.split('\n', Qt::SkipEmptyParts)) {
    records << QJsonDocument::fromJson(l.toUtf8()).object();
  }
  ASSERT_EQ(records.size(), 5) << run.out.toStdString();
  const QStringList operations = {"write-config", "write-config", "fixed-current", "fixed-current",
                                  "clear-zero"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(records[i]["operation"].toString(), operations[i]);
    EXPECT_EQ(records[i]["port"].toString(), line.path());
    EXPECT_EQ(records[i]["longAddress"].toString(), "0x5a 0x10 0x01 0x02 0x03");
    EXPECT_EQ(records[i]["tag"].toString(), "PT-00");
    EXPECT_EQ(records[i]["result"].toString(), "success");
    EXPECT_TRUE(QDateTime::fromString(records[i]["time"].toString(), Qt::ISODate).isValid());
  }
  EXPECT_EQ(records[0]["sent"].toObject(),
            (QJsonObject{{"unit", "kPa"}, {"upper", 250}, {"lower", 0}, {"damping", 2}}));
  EXPECT_EQ(records[0]["status"].toString(), QString::fromUtf8("修改成功"));
  EXPECT_EQ(records[0]["response"].toObject()["code"].toInt(), 0);
  // Before: what the program showed, here what read-config had read.
  EXPECT_EQ(records[1]["before"].toObject(),
            (QJsonObject{{"unit", "kPa"}, {"upper", 250}, {"lower", 0}, {"damping", 2}}));
  EXPECT_EQ(records[1]["sent"].toObject()["upper"].toInt(), 300);
  EXPECT_EQ(records[2]["sent"].toObject(), (QJsonObject{{"current", 12}}));
  EXPECT_EQ(records[2]["deviceStatus"].toObject()["byte"].toInt(), 0x08);  // fixed
  run = RunCli({"--journal", journal, "journal", "--csv", "--since", "2000-01-01"});
  EXPECT_EQ(run.out.count('\n'), 6);
  EXPECT_TRUE(run.out.startsWith("time,port,longAddress,tag,operation,"));
  run = RunCli({"--journal", journal, "journal", "--since", "2999-01-01"});
  EXPECT_EQ(run.out, "");

  // A cut-off last line: a warning, and every earlier record.
  QFile file(journal);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("{\"time\": \"20");
  file.close();
  run = RunCli({"--journal", journal, "journal"});
  EXPECT_EQ(run.out.count('\n'), 5);
  EXPECT_TRUE(run.err.contains("line 6: cut off, skipped")) << run.err.toStdString();

  // That file where earlier versions kept it: the record store imports it
  // once, prints what the file printed, and keeps new records after it; the
  // file stays as it was.
  const QString old = DataHome() + "/vantrel/journal.jsonl";
  ASSERT_TRUE(QDir().mkpath(DataHome() + "/vantrel"));
  ASSERT_TRUE(QFile::copy(journal, old));
  const QString printed = run.out;
  EXPECT_EQ(RunCli({"journal"}).out, printed);
  ASSERT_EQ(RunCli({"--port", line.path(), "fixed-current", "0"}).exitCode, 0);
  run = RunCli({"journal"});
  EXPECT_TRUE(run.out.startsWith(printed)) << run.out.toStdString();
  EXPECT_EQ(run.out.count('\n'), 6);
  EXPECT_EQ(QFileInfo(old).size(), QFileInfo(journal).size());
  // A journal file with a cut last line keeps the next record on a line of
  // its own.
  ASSERT_EQ(RunCli({"--port", line.path(), "--journal", journal, "fixed-current", "0"}).exitCode,
            0);
  EXPECT_EQ(RunCli({"--journal", journal, "journal"}).out.count('\n'), 6);

  // Under a file, the journal cannot be written: one warning, the
  // operations still run, each object says so.
  run = RunCli({"--port", line.path(), "--json", "--journal", dir.filePath("journal.jsonl/x"),
                "fixed-current", "12", "then", "fixed-current", "0"});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.outcomes.size(), 2);
  for (const QJsonObject& o : run.outcomes) {
    EXPECT_EQ(o["result"].toString(), "success");
    EXPECT_EQ(o["journal"].toString(), "not written");
  }
  EXPECT_EQ(run.err.count("cannot be written"), 1) << run.err.toStdString();
}

// Every operation's object names the instrument its command 0 found, in
// each revision's layout; none when no command-0 reply came. (One line for
// both, made before the first run: the thread sanitizer stops a process that
// starts threads after it has forked.)
TEST(Cli, TheInstrumentOfEachOperation) {
  testing::SimulatedLine line(
      {sim::DefaultDeviceConfig(0), sim::ModelDeviceConfig(1, {0x60A5, 0xE12C}, 7)});
  const struct {
    const char* name;
    const char* address;
    QJsonObject instrument;
  } cases[] = {
      {"HART 5",
       "0",
       {{"hartRevision", 5},
        {"manufacturerCode", 0x5A},
        {"deviceType", 0x10},
        {"deviceId", "010203"},
        {"deviceRevision", 1}}},
      {"HART 7",
       "1",
       {{"hartRevision", 7},
        {"manufacturerCode", 0x60A5},
        {"deviceType", 0xE12C},
        {"deviceId", "010204"},
        {"deviceRevision", 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliRun run = RunCli({"--port", line.path(), "--json", "--address", c.address, "comm-test",
                               "then", "read-config"});
    ASSERT_EQ(run.outcomes.size(), 2) << run.out.toStdString();
    EXPECT_EQ(run.outcomes[0]["instrument"].toObject(), c.instrument);
    EXPECT_EQ(run.outcomes[1]["instrument"].toObject(), c.instrument);
  }
  const CliRun silent = RunCli(
      {"--port", "/dev/null", "--json", "--retries", "0", "--timeout-ms", "50", "comm-test"});
  ASSERT_EQ(silent.outcomes.size(), 1);
  EXPECT_FALSE(silent.outcomes[0].contains("instrument"));
}

// The family's own commands go to another model only once it is trusted;
// before, only command 0 is on the line.
TEST(Cli, TheFamilysCommandsOnlyToKnownModels) {
  testing::SimulatedLine other({sim::ModelDeviceConfig(0, {0x66, 0xE4}, 5)});
  testing::SimulatedLine family({sim::DefaultDeviceConfig(0)});  // before the first run
  // read-long-address (command 0 alone) first: the calibration is judged
  // against the long address read.
  const auto calibrateLow = [&](QStringList flags) {
    return RunCli(QStringList{"--port", other.path(), "--json", "--trace", "--no-journal"} + flags +
                  QStringList{"read-long-address", "then", "calibrate-low", "10"});
  };
  CliRun run = calibrateLow({});
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_EQ(run.outcomes.size(), 2);
  EXPECT_EQ(run.outcomes[1]["result"].toString(), "refused");
  EXPECT_TRUE(run.outcomes[1]["reason"].toString().contains(
      QString::fromUtf8("制造商 0x66，设备类型 0xE4")));
  EXPECT_EQ(run.err.count(QString::fromUtf8("发送 ")), 2) << run.err.toStdString();
  EXPECT_FALSE(run.err.contains(QString::fromUtf8("命令 131")));

  run = calibrateLow({"--trust-model"});
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_TRUE(run.err.contains(QString::fromUtf8("命令 131")));
  run = calibrateLow({});  // remembered
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  run = RunCli({"--json", "list", "models"});
  ASSERT_EQ(run.outcomes.size(), 1);
  EXPECT_EQ(run.outcomes[0]["model"].toString(), "0x66:0xe4");
  EXPECT_EQ(RunCli({"forget-model", "0x66:0xe4"}).exitCode, 0);
  EXPECT_EQ(RunCli({"forget-model", "0x66:0xe4"}).exitCode, 1);
  EXPECT_EQ(RunCli({"forget-model", "66:e4"}).exitCode, 64);
  EXPECT_EQ(RunCli({"list", "models"}).out, "");
  EXPECT_EQ(calibrateLow({}).exitCode, 1);

  // The family's own model goes without asking.
  run = RunCli({"--port", family.path(), "--json", "--no-journal", "read-long-address", "then",
                "calibrate-low", "10"});
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
}

// A fresh run has read nothing: its record has no "before".
TEST(Cli, AFreshWriteRecordsNoBefore) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  QTemporaryDir dir;
  const QString journal = dir.filePath("journal.jsonl");
  CliRun run =
      RunCli({"--port", line.path(), "--journal", journal, "write-device-info", "--tag", "TT01",
              "--descriptor", "PUMP", "--message", "HELLO", "--date", "2024-12-31"});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  run = RunCli({"--journal", journal, "journal"});
  const QJsonObject record = QJsonDocument::fromJson(run.out.toUtf8()).object();
  EXPECT_EQ(record["operation"].toString(), "write-device-info");
  EXPECT_EQ(record["before"].toObject(), QJsonObject{});
}

}  // namespace
}  // namespace vantrel
