// The port dialog: its lists, opening a port with the success and failure
// messages, the remembered port, and Cancel.
#include <QAction>
#include <QCheckBox>
#include <QSettings>

#include "app/CComDialog.h"
#include "link/LinkTexts.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiPortDialog : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    QSettings().remove(QLatin1String(CComDialog::kLastPortKey));
    QSettings().remove(QLatin1String(CComDialog::kRtsKeyingKey));
    dialog = view->comDialog();
  }

  void showDialog() {
    frame->findChild<QAction*>(QStringLiteral("action32772"))->trigger();
    ASSERT_TRUE(dialog->isVisible());
  }

  // Presses OK and returns the message it gives.
  QString pressOk() {
    dialog->findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
    QMessageBox* box = WaitForMessageBox();
    if (!box) return QStringLiteral("(no message)");
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("HART调试工具"));
    const QString text = box->text();
    CloseMessageBox(box);
    return text;
  }

  CComDialog* dialog = nullptr;
};

TEST_F(GuiPortDialog, ListsTheExtraPortFirstAndTheFixedBaudRate) {
  connectTo({0});
  session->closePort();
  dialog->setExtraPorts({line->path()});
  showDialog();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("端口配置"));
  QComboBox* ports = combo("combo1002");
  ASSERT_GE(ports->count(), 1);
  EXPECT_EQ(ports->itemText(0), line->path());
  EXPECT_EQ(ports->currentIndex(), 0);
  // The machine's own ports follow in text order.
  QStringList rest;
  for (int i = 1; i < ports->count(); ++i) rest << ports->itemText(i);
  QStringList sorted = rest;
  sorted.sort();
  EXPECT_EQ(rest, sorted);

  QComboBox* baud = combo("combo1003");
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
  frame->findChild<QAction*>(QStringLiteral("action32775"))->trigger();
  EXPECT_EQ(waitForEnd(OP_COMM_TEST), static_cast<int>(OperationResult::Success));
  EXPECT_EQ(status(), QStringLiteral("通信正常"));
  EXPECT_EQ(frame->progressBar()->value(), 100);
}

TEST_F(GuiPortDialog, AnUnknownOrEmptyPortFailsAndLeavesThePortClosed) {
  for (const char* name : {"/dev/vantrel-no-such-port", ""}) {
    showDialog();
    combo("combo1002")->setEditText(QString::fromLatin1(name));
    EXPECT_EQ(pressOk(), QString::fromUtf8(texts::kPortOpenFailed)) << name;
    EXPECT_FALSE(session->isPortOpen()) << name;
  }
}

TEST_F(GuiPortDialog, TheLastPortOpenedIsPreselectedNextTime) {
  connectTo({0});
  session->closePort();
  showDialog();
  combo("combo1002")->setEditText(line->path());
  EXPECT_EQ(pressOk(), QString::fromUtf8(texts::kPortOpened));
  EXPECT_EQ(QSettings().value(QLatin1String(CComDialog::kLastPortKey)).toString(), line->path());

  session->closePort();
  dialog->setExtraPorts({QStringLiteral("/dev/vantrel-other"), line->path()});
  showDialog();
  EXPECT_EQ(combo("combo1002")->currentText(), line->path());
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

}  // namespace
}  // namespace vantrel::testing
