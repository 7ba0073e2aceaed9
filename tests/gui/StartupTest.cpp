// The main window as it starts: title, menus, status line, pages and their
// lists; switching pages; the status bar; the small dialogs.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "app/CAboutDlg.h"
#include "app/CDialogConfirm.h"
#include "link/LinkTexts.h"
#include "tabs/CTabConf.h"
#include "tabs/CTabCur.h"
#include "tabs/CTabHart.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

using GuiStart = GuiTest;

QStringList ItemTexts(const QComboBox* box) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
  return texts;
}

TEST_F(GuiStart, ShowsTitleNotConnectedAndTheHartPage) {
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("HART调试工具"));
  EXPECT_EQ(status(), QStringLiteral("未连接"));
  EXPECT_EQ(frame->progressBar()->value(), 0);
  EXPECT_EQ(view->tabControl()->currentIndex(), 0);
  EXPECT_TRUE(view->tabHart()->isVisible());
  EXPECT_FALSE(view->tabConf()->isVisible());
  EXPECT_FALSE(view->tabCur()->isVisible());
  EXPECT_EQ(view->tabControl()->tabText(0), QStringLiteral("Hart设置"));
  EXPECT_EQ(view->tabControl()->tabText(1), QStringLiteral("组态设置"));
  EXPECT_EQ(view->tabControl()->tabText(2), QStringLiteral("电流调整"));
  EXPECT_FALSE(session->isPortOpen());
}

TEST_F(GuiStart, ListsHoldTheirEntriesWithTheStartSelection) {
  QComboBox* addresses = combo("pollAddressCombo");
  EXPECT_EQ(ItemTexts(addresses), QStringList{QStringLiteral("0")});
  EXPECT_EQ(addresses->currentText(), QStringLiteral("0"));

  QComboBox* points = combo("calibrationPointCombo");
  EXPECT_EQ(ItemTexts(points), (QStringList{QStringLiteral("4mA"), QStringLiteral("20mA")}));
  EXPECT_EQ(points->currentIndex(), -1);

  QComboBox* units = combo("unitCombo");
  ASSERT_EQ(units->count(), 10);
  EXPECT_EQ(units->itemText(5), QStringLiteral("kPa"));
  EXPECT_EQ(units->itemText(6), QStringLiteral("MPa"));
  EXPECT_EQ(units->currentIndex(), -1);

  QComboBox* sensors = combo("sensorTypeCombo");
  ASSERT_EQ(sensors->count(), 12);
  EXPECT_EQ(sensors->itemText(0), QStringLiteral("K型热电偶"));
  EXPECT_EQ(sensors->currentIndex(), -1);
  EXPECT_FALSE(sensors->isVisibleTo(view->tabConf()));  // a hidden group

  QComboBox* gains = combo("gainCombo");
  EXPECT_EQ(ItemTexts(gains), (QStringList{"1", "2", "4", "8", "16", "32", "64"}));
  EXPECT_EQ(gains->currentIndex(), -1);

  EXPECT_EQ(edit("resistanceEdit")->text(), QStringLiteral("100"));  // resistance, hidden
  EXPECT_EQ(edit("newPollAddressEdit")->text(), QStringLiteral("0"));
  EXPECT_EQ(edit("pressureCodeEdit")->text(), QStringLiteral("0"));
  EXPECT_EQ(button("acquisitionButton")->text(), QStringLiteral("开始采集"));
}

TEST_F(GuiStart, MenusHoldTheirCommandsWithResetAndStopDisabled) {
  struct Item {
    const char* name;
    const char* text;
    bool enabled;
  };
  const Item items[] = {
      {"exitAction", "退出(&X)", true},
      {"commPortAction", "通信端口(&R)", true},
      {"commTestAction", "通信测试(&T)", true},
      {"searchAction", "搜索设备(&S)", true},
      {"resetDeviceAction", "复位设备(&C)", false},
      {"stopCommAction", "停止通信(&K)", false},
      {"searchRangeAction", "按范围搜索…", true},
      {"deviceStatusAction", "设备状态…", true},
      {"checkAction", "校验…", true},
      {"trendAction", "趋势…", true},
      {"teamDatabaseAction", "团队数据库…", true},
      {"aboutAction", "关于 Vantrel(&A)...", true},
  };
  for (const Item& item : items) {
    auto* action = frame->findChild<QAction*>(QString::fromLatin1(item.name));
    ASSERT_NE(action, nullptr) << item.name;
    EXPECT_EQ(action->text(), QString::fromUtf8(item.text)) << item.name;
    EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
  }
  const QList<QAction*> menus = frame->menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("程序(&P)"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("操作(&O)"));
  EXPECT_EQ(menus[2]->text(), QStringLiteral("帮助(&H)"));
  const QList<QAction*> operation = menus[1]->menu()->actions();
  // After 通信监视: a separator, 按范围搜索…, 设备状态…, 趋势…, 校验… and
  // 团队数据库….
  ASSERT_EQ(operation.size(), 14);
  EXPECT_TRUE(operation[8]->isSeparator());
  EXPECT_TRUE(operation[1]->isSeparator());
}

TEST_F(GuiStart, SelectingATabShowsExactlyItsPage) {
  const struct {
    int index;
    bool hart, conf, cur;
  } cases[] = {{2, false, false, true}, {0, true, false, false}, {1, false, true, false},
               {2, false, false, true}, {1, false, true, false}, {0, true, false, false}};
  for (const auto& c : cases) {
    view->tabControl()->setCurrentIndex(c.index);
    EXPECT_EQ(view->tabHart()->isVisible(), c.hart) << c.index;
    EXPECT_EQ(view->tabConf()->isVisible(), c.conf) << c.index;
    EXPECT_EQ(view->tabCur()->isVisible(), c.cur) << c.index;
  }
}

TEST_F(GuiStart, StatusTextStaysVisibleBesideTheProgressBar) {
  frame->setStatusText(QStringLiteral("正在搜索"));
  frame->setProgress(42);
  QLabel* pane = frame->statusPane();
  const QRect paneRect(pane->mapTo(frame.get(), QPoint(0, 0)), pane->size());
  QProgressBar* bar = frame->progressBar();
  const QRect barRect(bar->mapTo(frame.get(), QPoint(0, 0)), bar->size());
  EXPECT_FALSE(paneRect.intersects(barRect));
  EXPECT_GE(pane->width(), pane->sizeHint().width());
  EXPECT_TRUE(bar->isVisible());

  // Repainting and resizing the window keep the position last set.
  frame->resize(frame->width() + 40, frame->height() + 20);
  frame->repaint();
  EXPECT_EQ(bar->value(), 42);
  frame->setProgress(250);
  EXPECT_EQ(bar->value(), 100);
}

TEST_F(GuiStart, ResizingTheWindowLeavesThePagesInPlace) {
  const QRect before = view->tabHart()->geometry();
  const QPoint tabAt = view->tabControl()->pos();
  frame->resize(frame->width() + 100, frame->height() + 60);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(view->tabHart()->geometry(), before);
  EXPECT_EQ(view->tabControl()->pos(), tabAt);
}

TEST_F(GuiStart, ReadingWithThePortClosedSaysSoAndSendsNothing) {
  button("readCurrentButton")->click();
  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QString::fromUtf8(texts::kPortNotOpen));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->windowTitle(), QStringLiteral("HART调试工具"));
  EXPECT_TRUE(recorder.sent.empty());
  CloseMessageBox(box);
}

// The line vanishes in the middle of a reply (a USB adapter pulled out): the
// program says so, shows that nothing is connected, and goes on working.
TEST_F(GuiStart, PortThatVanishesIsReportedAndTheProgramGoesOn) {
  sim::PtyServerOptions options;
  options.faults.hangupAfter = 6;
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0)}, options);
  ASSERT_TRUE(session->openPort(line->path()));
  button("readCurrentButton")->click();

  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QString::fromUtf8(texts::kPortLost));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(status(), QString::fromUtf8(texts::kNotConnected));
  EXPECT_FALSE(frame->reasonPane()->text().isEmpty());  // why, beside it
  EXPECT_FALSE(session->isPortOpen());
  CloseMessageBox(box);

  // Opened again, the status says so before anything is read.
  connectTo({0});
  EXPECT_EQ(status(), QStringLiteral("已连接 ") + line->path());
  runOk("readCurrentButton", OP_READ_CURRENT);
}

// An instrument that never answers, or answers busy twice first: the read
// ends with its failure text after its retries, or with success, and the
// window goes on all the while (a 20 ms timer keeps ticking); while the
// instrument is busy the status says so.
struct LineCase {
  const char* name;
  sim::LineFaults faults;
  const char* status;
  OperationResult result;
  const char* meanwhile;  // shown on the way; nullptr: nothing to see
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.name;
}

sim::LineFaults Silent() {
  sim::LineFaults faults;
  faults.silent = 100;
  return faults;
}

sim::LineFaults BusyTwice() {
  sim::LineFaults faults;
  faults.busy = 2;
  return faults;
}

const LineCase kLineCases[] = {
    {"SilentInstrument", Silent(), "接收失败", OperationResult::NoReply, nullptr},
    {"BusyTwice", BusyTwice(), "接收成功", OperationResult::Success, "设备忙，请稍候…"},
};

class GuiLine : public GuiTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(GuiLine, ReadEndsAndTheWindowGoesOn) {
  const LineCase& c = GetParam();
  sim::PtyServerOptions options;
  options.faults = c.faults;
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0)}, options);
  ASSERT_TRUE(session->openPort(line->path()));
  int ticks = 0;
  QTimer ticker;
  ticker.setInterval(20);
  QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
  ticker.start();
  QElapsedTimer waited;
  waited.start();
  QStringList shown;
  QObject::connect(view, &CVantrelView::statusTextChanged,
                   [&shown](const QString& text) { shown << text; });

  button("readCurrentButton")->click();
  ASSERT_EQ(waitForEnd(OP_READ_CURRENT), static_cast<int>(c.result));
  EXPECT_EQ(status(), QString::fromUtf8(c.status));
  if (c.meanwhile) {
    EXPECT_TRUE(shown.contains(QString::fromUtf8(c.meanwhile))) << c.name;
  }
  EXPECT_EQ(frame->progressBar()->value(), 100);
  EXPECT_GE(ticks, waited.elapsed() / 20 / 4) << waited.elapsed() << " ms";
}

INSTANTIATE_TEST_SUITE_P(Faults, GuiLine, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuiStart, ReadShowsTheCurrentVariables) {
  connectTo({0});
  runOk("readCurrentButton", OP_READ_CURRENT);
  settle();
  EXPECT_EQ(status(), QStringLiteral("接收成功"));
  const QString pv = edit("pvEdit")->text();
  EXPECT_TRUE(pv.endsWith(QStringLiteral("kPa"))) << pv.toStdString();
  EXPECT_FALSE(edit("svEdit")->text().isEmpty());
  // Percent of range follows the loop current on the 4-20 mA span.
  bool currentOk = false;
  bool percentOk = false;
  const double current = edit("loopCurrentEdit")->text().toDouble(&currentOk);
  const double percent = edit("percentOfRangeEdit")->text().toDouble(&percentOk);
  ASSERT_TRUE(currentOk && percentOk);
  EXPECT_GT(current, 3.5);
  EXPECT_NEAR(percent, (current - 4.0) * 6.25, 0.01);
}

TEST_F(GuiStart, AboutBoxOpensAndClosesAgain) {
  for (int round = 0; round < 2; ++round) {
    frame->findChild<QAction*>(QStringLiteral("aboutAction"))->trigger();
    auto* about = frame->findChild<CAboutDlg*>();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("关于 Vantrel"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("labelVersion"))->text(),
              QStringLiteral("HART调试工具，V3.2 "));
    QPointer<CAboutDlg> guard(about);
    about->findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !guard; }, 5000));
  }
}

// The confirmation dialog itself: its question, Enter confirms, Esc and
// Cancel refuse.
TEST(GuiConfirmDialog, AsksAndAnswersByItsButtonsAndKeys) {
  const struct {
    const char* how;
    int expected;
  } cases[] = {{"enter", QDialog::Accepted},
               {"escape", QDialog::Rejected},
               {"ok", QDialog::Accepted},
               {"cancel", QDialog::Rejected}};
  for (const auto& c : cases) {
    CDialogConfirm dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("操作提醒"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("labelQuestion"))->text(),
              QStringLiteral("操作前请等待压力稳定，是否确认执行当前操作？"));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const std::string how = c.how;
    if (how == "enter") {
      QTest::keyClick(&dialog, Qt::Key_Return);
    } else if (how == "escape") {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      dialog.findChild<QPushButton*>(how == "ok" ? "buttonOk" : "buttonCancel")->click();
    }
    EXPECT_EQ(dialog.result(), c.expected) << c.how;
    EXPECT_FALSE(dialog.isVisible()) << c.how;
  }
}

}  // namespace
}  // namespace vantrel::testing
