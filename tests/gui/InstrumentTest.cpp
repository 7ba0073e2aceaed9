// Which instrument the window talks to: values that stay with the instrument
// they were read from, the question before the family's own commands go to
// another model, the close question for the instrument whose loop is fixed,
// and a written polling address offered in the list.
#include <QCheckBox>
#include <QRadioButton>

#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiInstrument : public GuiTest {
 protected:
  // Opens a line with `device` instead of the one open now.
  void switchTo(const sim::SimDeviceConfig& device) {
    auto next = std::make_unique<SimulatedLine>(std::vector<sim::SimDeviceConfig>{device});
    ASSERT_TRUE(session->openPort(next->path()));
    previous = std::move(line);
    line = std::move(next);
  }
  // The family's instrument with another device ID: 0a 0b 0c.
  static sim::SimDeviceConfig OtherInstrument() {
    sim::SimDeviceConfig device = sim::DefaultDeviceConfig(0);
    device.identity.deviceId = {0x0A, 0x0B, 0x0C};
    return device;
  }
  std::vector<std::uint8_t> commandsSent() const {
    std::vector<std::uint8_t> commands;
    for (const SentRequest& request : recorder.sent) commands.push_back(request.command);
    return commands;
  }

  std::unique_ptr<SimulatedLine> previous;
};

TEST_F(GuiInstrument, ValuesReadFromOneInstrumentAreNotWrittenIntoAnother) {
  connectTo({0});
  scope = view->tabConf();
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  ASSERT_FALSE(edit("upperRangeEdit")->text().isEmpty());
  EXPECT_TRUE(frame->instrumentPane()->text().contains(QStringLiteral("010203")));
  switchTo(OtherInstrument());
  recorder.sent.clear();
  ended.clear();
  button("writeRangeButton")->click();  // nothing typed
  EXPECT_EQ(waitForEnd(OP_WRITE_CONFIG), static_cast<int>(OperationResult::Refused));
  EXPECT_EQ(commandsSent(), std::vector<std::uint8_t>{0});
  const QString reason = frame->reasonPane()->text();
  EXPECT_TRUE(reason.contains(QStringLiteral("设备ID 010203"))) << reason.toStdString();
  EXPECT_TRUE(reason.contains(QStringLiteral("设备ID 0a0b0c"))) << reason.toStdString();
  EXPECT_TRUE(reason.contains(QStringLiteral("已连接另一台仪表，页面数据已清空")));
  settle();
  for (const char* name : {"upperRangeEdit", "lowerRangeEdit", "dampingEdit"}) {
    EXPECT_TRUE(edit(name)->text().isEmpty()) << name;
  }
  EXPECT_EQ(combo("unitCombo")->currentIndex(), -1);
  EXPECT_TRUE(frame->instrumentPane()->text().contains(QStringLiteral("0a0b0c")));

  // What the user types now is the user's: it is written.
  Choose(combo("unitCombo"), 5);
  const std::pair<const char*, const char*> typed[] = {
      {"upperRangeEdit", "50"}, {"lowerRangeEdit", "0"}, {"dampingEdit", "1"}};
  for (const auto& [name, text] : typed) QTest::keyClicks(edit(name), QString::fromLatin1(text));
  recorder.sent.clear();
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  EXPECT_EQ(commandsSent(), (std::vector<std::uint8_t>{0, 34, 35}));
}

TEST_F(GuiInstrument, AWrittenLongAddressIsStillTheSameInstrument) {
  connectTo({0});
  scope = view->tabConf();
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  const QString upper = edit("upperRangeEdit")->text();
  scope = view->tabHart();
  edit("longAddressEdit")->setText(QStringLiteral("0x5a 0x10 0x07 0x08 0x09"));
  runOk("writeLongAddressButton", OP_WRITE_LONG_ADDRESS);
  scope = view->tabConf();
  recorder.sent.clear();
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  EXPECT_EQ(commandsSent(), (std::vector<std::uint8_t>{0, 34, 35}));
  settle();
  EXPECT_FALSE(upper.isEmpty());
  EXPECT_EQ(edit("upperRangeEdit")->text(), upper);
  EXPECT_TRUE(frame->instrumentPane()->text().contains(QStringLiteral("070809")));
}

TEST_F(GuiInstrument, TheFamilysCommandsToAnotherModelAreAskedFor) {
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::ModelDeviceConfig(0, {0x66, 0xE4}, 5)});
  ASSERT_TRUE(session->openPort(line->path()));
  readLongAddress();
  scope = view->tabConf();
  edit("lowPressureEdit")->setText(QStringLiteral("10"));
  const struct {
    QMessageBox::StandardButton answer;
    bool remember;
    std::vector<std::uint8_t> sent;
  } answers[] = {{QMessageBox::No, false, {0}}, {QMessageBox::Yes, true, {0, 131}}};
  for (const auto& a : answers) {
    recorder.sent.clear();
    ended.clear();
    button("calibrateLowButton")->click();
    QMessageBox* question = WaitForMessageBox();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text(),
              QStringLiteral("此仪表（制造商 0x66，设备类型 0xE4）不在已知型号中，命令 131 "
                             "对它可能有别的含义。仍要发送吗？"));
    ASSERT_NE(question->checkBox(), nullptr);
    EXPECT_EQ(question->checkBox()->text(), QStringLiteral("记住此型号"));
    question->checkBox()->setChecked(a.remember);
    question->button(a.answer)->click();
    EXPECT_GE(waitForEnd(OP_CALIBRATE_LOW), 0);
    EXPECT_EQ(commandsSent(), a.sent);
  }
  // Remembered: asked no more.
  recorder.sent.clear();
  ended.clear();
  button("calibrateLowButton")->click();
  EXPECT_GE(waitForEnd(OP_CALIBRATE_LOW), 0);
  for (QMessageBox* box : OpenMessageBoxes()) {
    EXPECT_FALSE(box->text().contains(QStringLiteral("不在已知型号中")));
  }
  EXPECT_EQ(commandsSent(), (std::vector<std::uint8_t>{0, 131}));
}

TEST_F(GuiInstrument, AcquisitionOnAnUnknownModelAsksOnceAndStopsOnNo) {
  line = std::make_unique<SimulatedLine>(
      std::vector<sim::SimDeviceConfig>{sim::ModelDeviceConfig(0, {0x77, 0x01}, 5)});
  ASSERT_TRUE(session->openPort(line->path()));
  scope = view->tabConf();
  QPushButton* toggle = button("acquisitionButton");
  toggle->click();
  ASSERT_TRUE(view->data().acquiring);
  view->acquisitionTick();
  QMessageBox* question = WaitForMessageBox();
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(question->text().contains(QStringLiteral("命令 135")));
  view->acquisitionTick();  // while the question is open nothing more goes out
  question->button(QMessageBox::No)->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->data().acquiring; }, kReplyWaitMs));
  EXPECT_EQ(toggle->text(), QStringLiteral("开始采集"));
  EXPECT_TRUE(frame->reasonPane()->text().contains(QStringLiteral("命令 135 未发送")));
  EXPECT_TRUE(recorder.withCommand(135).empty());
  EXPECT_EQ(recorder.withCommand(0).size(), 1u);
}

// The close question belongs to the instrument whose loop was fixed: when
// another one is connected, it says so and sends nothing.
TEST_F(GuiInstrument, TheCloseQuestionIsForTheInstrumentWhoseLoopIsFixed) {
  connectTo({0});
  scope = view->tabCur();
  find<QCheckBox>("fixedCurrentCheck")->click();
  find<QRadioButton>("current12mARadio")->click();
  runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);
  switchTo(OtherInstrument());
  scope = view->tabHart();
  runOk("readLongAddressButton", OP_READ_LONG_ADDRESS);  // the other one answers
  recorder.sent.clear();
  EXPECT_FALSE(frame->close());
  QMessageBox* question = WaitForMessageBox();
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->text(),
            QStringLiteral("仪表（HART 5  制造商 0x5A  设备类型 0x10  设备ID 010203）的回路电流可能"
                           "仍处于固定状态，它已不在连接中，无法恢复。\n仍要退出吗？"));
  EXPECT_EQ(question->button(QMessageBox::Cancel), nullptr);
  question->button(QMessageBox::Yes)->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, kReplyWaitMs));
  EXPECT_TRUE(recorder.sent.empty());
}

TEST_F(GuiInstrument, AWrittenPollingAddressIsOfferedInTheList) {
  connectTo({0});
  scope = view->tabHart();
  QComboBox* box = combo("pollAddressCombo");
  const QString shown = box->currentText();
  edit("newPollAddressEdit")->setText(QStringLiteral("5"));
  runOk("writePollAddressButton", OP_WRITE_POLL_ADDRESS);
  EXPECT_NE(box->findText(QStringLiteral("5 ")), -1);
  EXPECT_EQ(box->currentText(), shown);  // the box itself does not change
  EXPECT_EQ(frame->reasonPane()->text(),
            QStringLiteral("新轮询地址 5：请在 Hart轮询地址 中选择它"));
}

}  // namespace
}  // namespace vantrel::testing
