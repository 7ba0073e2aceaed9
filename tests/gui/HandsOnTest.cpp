// What an afternoon of hands-on use found: wrong readings shown, typing lost,
// values written that nobody meant, a request sent into a reply, a pile of
// message boxes, a reason kept out of sight, a loop left fixed on exit.
#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QRadioButton>
#include <QTabWidget>

#include <string>

#include "app/ValueBox.h"
#include "link/LinkTexts.h"
#include "tabs/DialogUnits.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

using GuiHandsOn = GuiTest;

// A full scan probes 15 addresses for a second each.
constexpr int kScanWaitMs = 40000;

// The order of requests sent and frames received: "S12", "R12".
class LineOrder : public LinkObserver {
 public:
  std::vector<std::string> events;
  void frameSent(const std::vector<std::uint8_t>& raw) override {
    std::size_t i = 0;
    while (i < raw.size() && raw[i] == 0xFF) ++i;
    const std::size_t command = i + 1 + ((raw.at(i) & 0x80) ? 5 : 1);
    events.push_back("S" + std::to_string(raw.at(command)));
  }
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>&) override {
    events.push_back("R" + std::to_string(frame.command));
  }
  void frameDropped(DropReason, const std::vector<std::uint8_t>&) override {
    events.push_back("D");
  }
  std::ptrdiff_t position(const std::string& event, std::size_t from = 0) const {
    for (std::size_t i = from; i < events.size(); ++i) {
      if (events[i] == event) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  }
};

TEST_F(GuiHandsOn, TheValueBoxShowsTheWholeNumber) {
  QLineEdit* box = edit("pvEdit");
  const struct {
    const char* text;
    const char* leading;  // what the box must show first
  } cases[] = {{"49888.7227Pa", "49888"},
               {"100.1506kPa", "100.1"},
               {"-99999.9961Pa", "-99999"},
               {"12.3456kPa", "12.3456kPa"}};
  for (const auto& c : cases) {
    view->data().pvText = c.text;
    view->showData();
    const QString shown = box->text();
    EXPECT_TRUE(shown.startsWith(QString::fromLatin1(c.leading))) << shown.toStdString();
    EXPECT_LE(QFontMetrics(box->font()).horizontalAdvance(shown), ValueRoom(box)) << c.text;
    EXPECT_GE(box->font().pointSizeF(), FormFont(kValueSmallestPointSize).pointSizeF());
  }
  // A short value keeps the box's own size.
  EXPECT_EQ(box->font().pointSizeF(), FormFont(kPvPointSize).pointSizeF());
}

// Acquisition polls and reads leave what is being typed on the page.
TEST_F(GuiHandsOn, TypingSurvivesAcquisitionTicks) {
  connectTo({0});
  scope = view->tabConf();
  view->tabControl()->setCurrentIndex(1);
  edit("midPressureEdit")->setText(QStringLiteral("2.5"));
  edit("upperRangeEdit")->setText(QStringLiteral("77"));
  button("acquisitionButton")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.withCommand(135).size() >= 3; }, 10000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return edit("pressureCodeEdit")->text() != QStringLiteral("0"); }, kReplyWaitMs));
  runOk("readGainButton", OP_READ_GAIN);
  settle();
  EXPECT_EQ(edit("midPressureEdit")->text(), QStringLiteral("2.5"));
  EXPECT_EQ(edit("upperRangeEdit")->text(), QStringLiteral("77"));
  button("acquisitionButton")->click();
}

// Numbers that are not numbers, or out of their range, are refused before
// anything is sent.
TEST_F(GuiHandsOn, CurrentsAreCheckedBeforeAnythingIsSent) {
  connectTo({0});
  scope = view->tabCur();
  view->tabControl()->setCurrentIndex(2);
  Choose(combo("calibrationPointCombo"), 0);  // the loop to 4 mA for a trim
  ASSERT_EQ(waitForEnd(OP_FIXED_CURRENT), static_cast<int>(OperationResult::Success));
  find<QCheckBox>("fixedCurrentCheck")->click();
  find<QRadioButton>("otherCurrentRadio")->click();
  const struct {
    const char* edit;
    const char* button;
    const char* text;
    const char* message;
  } cases[] = {{"actualCurrentEdit", "calibrateCurrentButton", "abc",
                "请输入一个介于 3.0 和 24.0 之间的数字。"},
               {"actualCurrentEdit", "calibrateCurrentButton", "2.9",
                "请输入一个介于 3.0 和 24.0 之间的数字。"},
               {"actualCurrentEdit", "calibrateCurrentButton", "25",
                "请输入一个介于 3.0 和 24.0 之间的数字。"},
               {"otherCurrentEdit", "sendFixedCurrentButton", "abc",
                "请输入一个介于 3.5 和 23.0 之间的数字。"},
               {"otherCurrentEdit", "sendFixedCurrentButton", "25",
                "请输入一个介于 3.5 和 23.0 之间的数字。"},
               {"otherCurrentEdit", "sendFixedCurrentButton", "0",
                "请输入一个介于 3.5 和 23.0 之间的数字。"}};
  for (const auto& c : cases) {
    recorder.sent.clear();
    edit(c.edit)->setText(QString::fromLatin1(c.text));
    button(c.button)->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << c.text;
    EXPECT_EQ(box->text(), QString::fromUtf8(c.message));
    CloseMessageBox(box);
    EXPECT_TRUE(recorder.sent.empty()) << c.edit << " " << c.text;
  }
}

TEST_F(GuiHandsOn, ARangeWriteIsCheckedWholeBeforeItsFirstRequest) {
  connectTo({0});
  scope = view->tabConf();
  view->tabControl()->setCurrentIndex(1);
  Choose(combo("unitCombo"), 5);  // kPa
  const struct {
    const char* lower;
    const char* upper;
    const char* damping;
    const char* message;
  } cases[] = {{"0", "abc", "1", "请输入一个数字。"},
               {"x", "100", "1", "请输入一个数字。"},
               {"0", "100", "", "请输入一个不小于 0 的数字。"},
               {"0", "100", "-1", "请输入一个不小于 0 的数字。"}};
  for (const auto& c : cases) {
    recorder.sent.clear();
    edit("lowerRangeEdit")->setText(QString::fromLatin1(c.lower));
    edit("upperRangeEdit")->setText(QString::fromLatin1(c.upper));
    edit("dampingEdit")->setText(QString::fromLatin1(c.damping));
    button("writeRangeButton")->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << c.upper;
    EXPECT_EQ(box->text(), QString::fromUtf8(c.message)) << c.lower << c.upper << c.damping;
    CloseMessageBox(box);
    EXPECT_TRUE(recorder.sent.empty()) << "no command 34 or 35 before the check";
  }
}

// The gain is written only when picked from the open list.
TEST_F(GuiHandsOn, TypingInTheGainListWritesNothing) {
  connectTo({0});
  scope = view->tabConf();
  view->tabControl()->setCurrentIndex(1);
  QComboBox* gains = combo("gainCombo");
  EXPECT_FALSE(gains->isEditable());
  gains->setFocus();
  for (Qt::Key key : {Qt::Key_3, Qt::Key_Down, Qt::Key_Up, Qt::Key_End}) {
    QTest::keyClick(gains, key);
  }
  QTest::keyClicks(gains, QStringLiteral("32"));
  settle();
  EXPECT_TRUE(recorder.sent.empty());
  EXPECT_EQ(gains->currentIndex(), -1);
}

// A start while a reply arrives sends its first byte once the reply has
// ended: on a half-duplex loop both would be spoiled.
TEST_F(GuiHandsOn, ASecondStartWaitsForTheReplyToEnd) {
  sim::PtyServerOptions options;
  options.lineRate = true;  // a reply takes its 1200 baud line time
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0)}, options);
  ASSERT_TRUE(session->openPort(line->path()));
  LineOrder order;
  session->addObserver(&order);
  view->tabHart()->findChild<QPushButton*>(QStringLiteral("readDeviceInfoButton"))->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return order.position("S12") >= 0 && session->frameInProgress(); }, kReplyWaitMs));
  button("readCurrentButton")->click();  // 读取 of the current variables
  const std::size_t clicked = order.events.size();
  EXPECT_EQ(waitForEnd(OP_READ_CURRENT), static_cast<int>(OperationResult::Success));
  session->removeObserver(&order);
  const std::ptrdiff_t replyEnd = order.position("R12");
  const std::ptrdiff_t nextRequest = order.position("S0", clicked);
  ASSERT_GE(replyEnd, 0);
  EXPECT_GT(nextRequest, replyEnd) << "command 0 went out into the command-12 reply";
}

TEST_F(GuiHandsOn, AStartDuringASearchEndsItWithItsReport) {
  connectTo({0});
  frame->findChild<QAction*>(QStringLiteral("searchAction"))->trigger();
  // Address 0 has answered and the search goes on to the next.
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->progressBar()->value() >= 12; }, kScanWaitMs));
  button("readCurrentButton")->click();
  QMessageBox* report = WaitForMessageBox();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->text(), QStringLiteral("搜索已中断\n搜索到在线设备：0 "));
  EXPECT_EQ(waitForEnd(OP_SEARCH), static_cast<int>(OperationResult::Success));
  EXPECT_EQ(waitForEnd(OP_READ_CURRENT), static_cast<int>(OperationResult::Success));
  CloseMessageBox(report);
  EXPECT_EQ(status(), QStringLiteral("接收成功"));
}

TEST_F(GuiHandsOn, ClosingThePortDuringASearchGivesOneMessage) {
  connectTo({0});
  frame->findChild<QAction*>(QStringLiteral("searchAction"))->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.sent.empty(); }, kScanWaitMs));
  session->closePort();
  EXPECT_EQ(waitForEnd(OP_SEARCH, kScanWaitMs), static_cast<int>(OperationResult::Failure));
  EXPECT_FALSE(session->engine().searchActive());  // nothing more will come
  const std::vector<QMessageBox*> boxes = OpenMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]->text(), QString::fromUtf8(texts::kPortNotOpen));
  EXPECT_EQ(status(), QStringLiteral("搜索失败"));
}

// No reply: the current boxes stay as they were, empty before any reading.
TEST_F(GuiHandsOn, AFailedReadKeepsTheFields) {
  connectTo({0});
  QComboBox* address = view->tabHart()->pollAddressBox();
  const struct {
    const char* address;
    OperationResult result;
  } reads[] = {{"3", OperationResult::NoReply},
               {"0", OperationResult::Success},
               {"3", OperationResult::NoReply}};
  QString current;
  QString percent;
  for (const auto& read : reads) {
    address->setEditText(QString::fromLatin1(read.address));
    ended.clear();
    button("readCurrentButton")->click();
    ASSERT_EQ(waitForEnd(OP_READ_CURRENT), static_cast<int>(read.result)) << read.address;
    settle();
    if (read.result == OperationResult::Success) {
      current = edit("loopCurrentEdit")->text();
      percent = edit("percentOfRangeEdit")->text();
      EXPECT_FALSE(current.isEmpty());
    }
    EXPECT_EQ(edit("loopCurrentEdit")->text(), current) << read.address;
    EXPECT_EQ(edit("percentOfRangeEdit")->text(), percent) << read.address;
  }
}

// The status says what failed, the pane beside it why; the next start
// clears it.
TEST_F(GuiHandsOn, TheReasonOfAFailureIsShownBesideTheStatus) {
  sim::PtyServerOptions options;
  options.faults.errorCode = 7;
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0)}, options);
  ASSERT_TRUE(session->openPort(line->path()));
  QLabel* reason = frame->reasonPane();
  EXPECT_FALSE(reason->isVisible());
  button("readCurrentButton")->click();
  ASSERT_EQ(waitForEnd(OP_READ_CURRENT), static_cast<int>(OperationResult::Failure));
  EXPECT_EQ(status(), QStringLiteral("接收失败"));
  EXPECT_EQ(reason->text(), QStringLiteral("处于写保护模式"));
  EXPECT_TRUE(reason->isVisible());
  ended.clear();
  button("readCurrentButton")->click();
  EXPECT_TRUE(reason->text().isEmpty());
  EXPECT_FALSE(reason->isVisible());
  EXPECT_EQ(waitForEnd(OP_READ_CURRENT), static_cast<int>(OperationResult::Failure));
}

// Closing with the loop held at 12 mA asks first: 取消 keeps the window and
// the loop; 是 releases the loop (command 40 with 0 mA) and closes once the
// instrument has answered; unanswered, it says so and asks again.
TEST_F(GuiHandsOn, ClosingWithTheLoopFixedAsksToReleaseIt) {
  auto faults = std::make_shared<sim::FaultInjector>();
  sim::PtyServerOptions options;
  options.faultInjector = faults;
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0)}, options);
  ASSERT_TRUE(session->openPort(line->path()));
  scope = view->tabCur();
  find<QCheckBox>("fixedCurrentCheck")->click();
  find<QRadioButton>("current12mARadio")->click();
  runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);
  view->data().acquiring = true;
  sim::LineFaults silent;
  silent.silent = 100;
  const struct {
    QMessageBox::StandardButton answer;
    bool deviceSilent;
    bool closed;
  } answers[] = {{QMessageBox::Cancel, false, false},
                 {QMessageBox::Yes, true, false},  // then 否 to closing unreleased
                 {QMessageBox::Yes, false, true}};
  for (const auto& a : answers) {
    faults->set(a.deviceSilent ? silent : sim::LineFaults{});
    recorder.sent.clear();
    EXPECT_FALSE(frame->close());
    QMessageBox* question = WaitForMessageBox();
    ASSERT_NE(question, nullptr);
    // The question names the instrument whose loop it is.
    EXPECT_EQ(question->text(),
              QStringLiteral("仪表：HART 5  制造商 0x5A  设备类型 0x10  设备ID 010203\n"
                             "回路电流处于固定状态，退出前恢复正常输出吗？"));
    EXPECT_NE(question->button(QMessageBox::No), nullptr);
    question->button(a.answer)->click();
    if (a.deviceSilent) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return !OpenMessageBoxes().empty(); }, kReplyWaitMs));
      QMessageBox* again = OpenMessageBoxes().front();
      EXPECT_EQ(again->text(),
                QStringLiteral("恢复失败，回路电流可能仍处于固定状态\n仍要退出吗？"));
      again->button(QMessageBox::No)->click();
    }
    if (a.closed) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, kReplyWaitMs));
    } else {
      settle();
      EXPECT_TRUE(frame->isVisible());
    }
    const std::vector<SentRequest> releases = recorder.withCommand(40);
    // A silent instrument does not answer the release's command 0 either.
    EXPECT_EQ(releases.empty(), !a.closed);
    for (const SentRequest& release : releases) EXPECT_EQ(release.floatAt(0), 0.0f);
  }
  EXPECT_FALSE(view->data().acquiring);
}

}  // namespace
}  // namespace vantrel::testing
