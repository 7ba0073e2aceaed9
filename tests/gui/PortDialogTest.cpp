// The port dialog: its lists, opening a port (serial or HART-IP) with the
// success and failure messages, the remembered port, and Cancel.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>

#include "app/CComDialog.h"
#include "link/LinkTexts.h"
#include "sim/HartIpServerThread.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiPortDialog : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    for (const char* key :
         {CComDialog::kLastPortKey, CComDialog::kRtsKeyingKey, CComDialog::kPortKindKey,
          CComDialog::kHartIpHostKey, CComDialog::kHartIpPortKey, CComDialog::kHartIpUdpKey,
          CComDialog::kHartIpVersionKey, CComDialog::kHartIpKeyFileKey}) {
      QSettings().remove(QLatin1String(key));
    }
    dialog = view->comDialog();
  }

  void showDialog() {
    frame->findChild<QAction*>(QStringLiteral("commPortAction"))->trigger();
    ASSERT_TRUE(dialog->isVisible());
  }

  // Presses OK and returns the message it gives.
  QString pressOk() {
    dialog->findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
    return takeMessage();
  }

  // Waits for a message with `icon`, closes it and returns its text.
  QString takeMessage(QMessageBox::Icon icon = QMessageBox::Information) {
    QMessageBox* box = WaitForMessageBox();
    if (!box) return QStringLiteral("(no message)");
    EXPECT_EQ(box->icon(), icon);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("HART调试工具"));
    const QString text = box->text();
    CloseMessageBox(box);
    return text;
  }

  // Chooses HART-IP with a server.
  void chooseHartIp(const QString& host, const QString& port, bool udp = false) {
    find<QRadioButton>("radioHartIp")->click();
    EXPECT_FALSE(dialog->rtsBox()->isEnabled());
    edit("editHost")->setText(host);
    edit("editIpPort")->setText(port);
    Choose(combo("comboProtocol"), udp ? 1 : 0);
  }

  // Chooses version 2 with the key file `path`.
  void chooseKeyFile(const QString& path) {
    Choose(combo("comboVersion"), 1);
    EXPECT_TRUE(edit("editKeyFile")->isEnabled());
    edit("editKeyFile")->setText(path);
  }

  // A key file in `dir`, readable by its owner only unless `mode` says.
  static QString WriteKeyFile(const QTemporaryDir& dir, const QByteArray& text,
                              QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner) {
    const QString path = dir.filePath(QStringLiteral("hart-ip.key"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    EXPECT_TRUE(QFile::setPermissions(path, mode));
    return path;
  }

  CComDialog* dialog = nullptr;
};

TEST_F(GuiPortDialog, ListsTheExtraPortFirstAndTheFixedBaudRate) {
  connectTo({0});
  session->closePort();
  dialog->setExtraPorts({line->path()});
  showDialog();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("端口配置"));
  QComboBox* ports = combo("portCombo");
  ASSERT_GE(ports->count(), 1);
  EXPECT_EQ(ports->itemText(0), line->path());
  EXPECT_EQ(ports->currentIndex(), 0);
  // The machine's own ports follow in text order.
  QStringList rest;
  for (int i = 1; i < ports->count(); ++i) rest << ports->itemText(i);
  QStringList sorted = rest;
  sorted.sort();
  EXPECT_EQ(rest, sorted);

  QComboBox* baud = combo("baudRateCombo");
  ASSERT_EQ(baud->count(), 1);
  EXPECT_EQ(baud->currentText(), QStringLiteral("1200"));
}

TEST_F(GuiPortDialog, OkOpensThePortAndSaysSoEachTime) {
  connectTo({0});
  session->closePort();
  dialog->setExtraPorts({line->path()});
  for (int round = 0; round < 2; ++round) {  // a second OK reopens the open port
    showDialog();
    EXPECT_EQ(pressOk(), QString::fromUtf8(texts::kPortOpened));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(session->isPortOpen());
  }
  // The port answers: a communication test goes through.
  ended.clear();
  frame->findChild<QAction*>(QStringLiteral("commTestAction"))->trigger();
  EXPECT_EQ(waitForEnd(OP_COMM_TEST), static_cast<int>(OperationResult::Success));
  EXPECT_EQ(status(), QStringLiteral("通信正常"));
  EXPECT_EQ(frame->progressBar()->value(), 100);
}

TEST_F(GuiPortDialog, AnUnknownOrEmptyPortFailsAndLeavesThePortClosed) {
  for (const char* name : {"/dev/vantrel-no-such-port", ""}) {
    showDialog();
    combo("portCombo")->setEditText(QString::fromLatin1(name));
    EXPECT_EQ(pressOk(), QString::fromUtf8(texts::kPortOpenFailed)) << name;
    EXPECT_FALSE(session->isPortOpen()) << name;
  }
}

TEST_F(GuiPortDialog, TheLastPortOpenedIsPreselectedNextTime) {
  connectTo({0});
  session->closePort();
  showDialog();
  combo("portCombo")->setEditText(line->path());
  EXPECT_EQ(pressOk(), QString::fromUtf8(texts::kPortOpened));
  EXPECT_EQ(QSettings().value(QLatin1String(CComDialog::kLastPortKey)).toString(), line->path());

  session->closePort();
  dialog->setExtraPorts({QStringLiteral("/dev/vantrel-other"), line->path()});
  showDialog();
  EXPECT_EQ(combo("portCombo")->currentText(), line->path());
  EXPECT_EQ(combo("portCombo")->itemText(0), line->path());
  dialog->hide();

  // One typed by hand that no list holds is offered first all the same.
  QSettings().setValue(QLatin1String(CComDialog::kLastPortKey), "/dev/vantrel-typed");
  showDialog();
  EXPECT_EQ(combo("portCombo")->itemText(0), QStringLiteral("/dev/vantrel-typed"));
  EXPECT_EQ(combo("portCombo")->currentText(), QStringLiteral("/dev/vantrel-typed"));
  EXPECT_EQ(combo("portCombo")->findText(line->path()), 2);
}

// RTS keying: a port without control lines (the simulated line's terminal)
// is refused with the reason and left closed; the box is remembered beside
// the port when a port opens.
TEST_F(GuiPortDialog, RtsKeyingIsRefusedOnAPortWithoutControlLines) {
  connectTo({0});
  session->closePort();
  dialog->setExtraPorts({line->path()});
  showDialog();
  QCheckBox* rts = dialog->rtsBox();
  EXPECT_EQ(rts->text(), QStringLiteral("RTS控制发送"));
  EXPECT_FALSE(rts->isChecked());
  rts->setChecked(true);
  const QString refused = pressOk();
  EXPECT_TRUE(refused.startsWith(QString::fromUtf8(texts::kPortOpenFailed) + '\n' +
                                 QStringLiteral("端口不能控制RTS和DTR")))
      << refused.toStdString();
  EXPECT_FALSE(session->isPortOpen());

  showDialog();
  dialog->rtsBox()->setChecked(false);
  EXPECT_EQ(pressOk(), QString::fromUtf8(texts::kPortOpened));
  EXPECT_TRUE(session->isPortOpen());
  EXPECT_FALSE(QSettings().value(QLatin1String(CComDialog::kRtsKeyingKey)).toBool());
}

TEST_F(GuiPortDialog, CancelLeavesThePortAsItWas) {
  connectTo({0});
  for (bool open : {true, false}) {
    if (!open) session->closePort();
    showDialog();
    dialog->findChild<QPushButton*>(QStringLiteral("buttonCancel"))->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(session->isPortOpen(), open);
    EXPECT_TRUE(OpenMessageBoxes().empty());
  }
}

// HART-IP over TCP and UDP: OK closes the dialog at once and the window goes
// on while the session is set up; then the instrument answers over it. The
// server is remembered for the next run.
TEST_F(GuiPortDialog, HartIpOpensWithoutHoldingUpTheWindowAndTheInstrumentAnswers) {
  sim::HartIpServerThread server({sim::DefaultDeviceConfig(0)});
  ASSERT_TRUE(server.running()) << server.error();
  const QString port = QString::number(server.hartIpPort());
  for (bool udp : {false, true}) {
    SCOPED_TRACE(udp ? "UDP" : "TCP");
    showDialog();
    chooseHartIp(QStringLiteral("127.0.0.1"), port, udp);
    button("buttonOk")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(OpenMessageBoxes().empty());
    EXPECT_EQ(takeMessage(), QString::fromUtf8(texts::kPortOpened));
    ASSERT_TRUE(session->isPortOpen());
    EXPECT_EQ(session->portName(),
              QStringLiteral("hart-ip %1 127.0.0.1:").arg(udp ? "udp" : "tcp") + port);
    EXPECT_EQ(session->hartIpEndpoint()->udp, udp);
    EXPECT_EQ(session->engine().timing().replyTimeoutMs, kHartIpReplyTimeoutMs);
    edit("pvEdit")->clear();
    runOk("readCurrentButton", OP_READ_CURRENT);
    settle();
    EXPECT_TRUE(edit("pvEdit")->text().contains(QRegularExpression(QStringLiteral("\\d"))))
        << edit("pvEdit")->text().toStdString();
  }
  session->closePort();  // while the server is there to see the session end

  Session later;
  CComDialog next(later, view);
  next.showPortDialog();
  EXPECT_TRUE(next.findChild<QRadioButton*>(QStringLiteral("radioHartIp"))->isChecked());
  EXPECT_FALSE(next.rtsBox()->isEnabled());
  EXPECT_EQ(next.findChild<QLineEdit*>(QStringLiteral("editHost"))->text(), "127.0.0.1");
  EXPECT_EQ(next.findChild<QLineEdit*>(QStringLiteral("editIpPort"))->text(), port);
  EXPECT_EQ(next.findChild<QComboBox*>(QStringLiteral("comboProtocol"))->currentText(), "UDP");
}

// An open session says where it is connected; a server gone while nothing is
// asked is said at once, with the reason beside the status.
TEST_F(GuiPortDialog, AHartIpServerGoneWhileIdleIsSaidAtOnce) {
  auto server = std::make_unique<sim::HartIpServerThread>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0)});
  ASSERT_TRUE(server->running()) << server->error();
  const QString port = QString::number(server->hartIpPort());
  showDialog();
  chooseHartIp(QStringLiteral("127.0.0.1"), port);
  button("buttonOk")->click();
  EXPECT_EQ(takeMessage(), QString::fromUtf8(texts::kPortOpened));
  EXPECT_EQ(status(), QStringLiteral("已连接 HART-IP TCP 127.0.0.1:") + port);

  server.reset();
  EXPECT_EQ(takeMessage(QMessageBox::Critical), QString::fromUtf8(texts::kPortLost));
  EXPECT_EQ(status(), QString::fromUtf8(texts::kNotConnected));
  EXPECT_FALSE(frame->reasonPane()->text().isEmpty());
  EXPECT_FALSE(session->isPortOpen());
}

// A host or port that cannot be read is refused at once and the dialog stays
// for a correction; a server where nothing listens fails with the reason.
// Either way the port stays closed.
TEST_F(GuiPortDialog, AHartIpServerThatCannotBeReadOrReachedFails) {
  QTcpServer probe;  // a port where nothing listens once the probe is gone
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString unused = QString::number(probe.serverPort());
  probe.close();
  const QString badHost = QStringLiteral("主机地址格式错误！");
  const QString badPort = QStringLiteral("IP端口应为1～65535！");
  QTemporaryDir dir;
  const QString openKey = WriteKeyFile(dir, "vantrel-client:00112233445566778899aabbccddeeff\n",
                                       QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
  const struct {
    const char* host;
    QString port;
    QString refused;                                // empty: goes to the network
    std::optional<QString> keyFile = std::nullopt;  // version 2 with this key file
  } rows[] = {
      {"", "5094", badHost},
      {"plant pc", "5094", badHost},
      {"[10.0.0.1]", "5094", badHost},
      {"fe80::1::2", "5094", badHost},
      {"127.0.0.1", "0", badPort},
      {"127.0.0.1", "65536", badPort},
      {"127.0.0.1", "x", badPort},
      {"127.0.0.1", unused, QString()},
      {"[::1]", unused, QString()},
      {"[::1]:5094", "5094", badHost},
      {"127.0.0.1", unused, QStringLiteral("请选择密钥文件！"), QString()},
      {"127.0.0.1", unused,
       QStringLiteral("密钥文件可被其他用户读取，应只许所有者读写（chmod 600）"), openKey},
  };
  const QString failedText = QStringLiteral("HART-IP 连接失败\n");
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.host) + " " + row.port.toStdString());
    showDialog();
    chooseHartIp(QString::fromUtf8(row.host), row.port);
    Choose(combo("comboVersion"), 0);
    if (row.keyFile) chooseKeyFile(*row.keyFile);
    button("buttonOk")->click();
    if (row.refused.isEmpty()) {
      const QString failed = takeMessage();
      EXPECT_TRUE(failed.startsWith(failedText)) << failed.toStdString();
      EXPECT_GT(failed.size(), failedText.size());
    } else {
      EXPECT_EQ(takeMessage(QMessageBox::Critical), row.refused);
      EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_FALSE(session->isPortOpen());
  }
}

// Version 2: the key file's key opens a secure session, and the instrument
// answers over it. The version and the file's path are remembered, never
// the key.
TEST_F(GuiPortDialog, ASecureHartIpSessionOpensWithTheKeyFile) {
  QTemporaryDir dir;
  const QString keyFile = WriteKeyFile(dir, "vantrel-client:00112233445566778899aabbccddeeff\n");
  sim::HartIpServerOptions secure;
  const QByteArray key = QByteArray::fromHex("00112233445566778899aabbccddeeff");
  secure.psk = PskKey{"vantrel-client", std::vector<std::uint8_t>(key.begin(), key.end())};
  sim::HartIpServerThread server({sim::DefaultDeviceConfig(0)}, {}, secure);
  ASSERT_TRUE(server.running()) << server.error();
  const QString port = QString::number(server.hartIpPort());
  showDialog();
  chooseHartIp(QStringLiteral("127.0.0.1"), port, true);
  chooseKeyFile(keyFile);
  button("buttonOk")->click();
  EXPECT_EQ(takeMessage(), QString::fromUtf8(texts::kPortOpened));
  ASSERT_TRUE(session->isPortOpen());
  edit("pvEdit")->clear();
  runOk("readCurrentButton", OP_READ_CURRENT);
  settle();
  EXPECT_TRUE(edit("pvEdit")->text().contains(QRegularExpression(QStringLiteral("\\d"))));
  session->closePort();

  const QSettings settings;
  EXPECT_EQ(settings.value(QLatin1String(CComDialog::kHartIpVersionKey)).toInt(), 2);
  EXPECT_EQ(settings.value(QLatin1String(CComDialog::kHartIpKeyFileKey)).toString(), keyFile);
  Session later;
  CComDialog next(later, view);
  next.showPortDialog();
  EXPECT_EQ(next.findChild<QComboBox*>(QStringLiteral("comboVersion"))->currentText(), "2");
  EXPECT_EQ(next.findChild<QLineEdit*>(QStringLiteral("editKeyFile"))->text(),
            QDir::toNativeSeparators(keyFile));
}

}  // namespace
}  // namespace vantrel::testing
