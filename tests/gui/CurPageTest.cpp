// The current adjustment page: the enable box, the fixed-current points,
// releasing the current, and trimming the 4 mA and 20 mA points.
#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>

#include "engine/EngineTexts.h"
#include "tabs/CTabCur.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiCurPage : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    scope = view->tabCur();
    view->tabControl()->setCurrentIndex(2);
  }

  // The current the last command 40 asked for.
  float lastFixedCurrent() {
    const std::vector<SentRequest> sent = recorder.withCommand(40);
    EXPECT_FALSE(sent.empty());
    return sent.empty() ? -1.0f : sent.back().floatAt(0);
  }

  void enable(bool on) {
    QCheckBox* box = find<QCheckBox>("fixedCurrentCheck");
    if (box->isChecked() != on) box->click();
  }
};

const char* const kFixedCurrentControls[] = {
    "current3p8mARadio", "current4mARadio",        "current8mARadio",          "current12mARadio",
    "current16mARadio",  "current20mARadio",       "current20p8mARadio",       "otherCurrentRadio",
    "otherCurrentEdit",  "sendFixedCurrentButton", "releaseFixedCurrentButton"};

TEST_F(GuiCurPage, EnableBoxSwitchesTheFixedCurrentControls) {
  for (const char* name : kFixedCurrentControls) {
    EXPECT_FALSE(scope->findChild<QWidget*>(name)->isEnabled()) << name;
  }
  for (bool on : {true, false, true}) {
    enable(on);
    for (const char* name : kFixedCurrentControls) {
      EXPECT_EQ(scope->findChild<QWidget*>(name)->isEnabled(), on) << name;
    }
  }
  // The trim controls are never switched.
  enable(false);
  EXPECT_TRUE(combo("calibrationPointCombo")->isEnabled());
  EXPECT_TRUE(button("calibrateCurrentButton")->isEnabled());
}

TEST_F(GuiCurPage, SendRequestsTheCheckedPoint) {
  connectTo({0});
  enable(true);
  const struct {
    const char* radio;
    const char* other;
    float milliamps;
  } cases[] = {{"current3p8mARadio", "", 3.8f},   {"current4mARadio", "", 4.0f},
               {"current8mARadio", "", 8.0f},     {"current12mARadio", "", 12.0f},
               {"current16mARadio", "", 16.0f},   {"current20mARadio", "", 20.0f},
               {"current20p8mARadio", "", 20.8f}, {"otherCurrentRadio", "10.5", 10.5f},
               {"otherCurrentRadio", "3.5", 3.5f}};
  for (const auto& c : cases) {
    find<QRadioButton>(c.radio)->click();
    edit("otherCurrentEdit")->setText(QString::fromLatin1(c.other));
    runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);
    EXPECT_EQ(lastFixedCurrent(), c.milliamps) << c.radio << " " << c.other;
    EXPECT_EQ(view->data().calibrationPoint, c.milliamps);
  }
  EXPECT_EQ(status(), QStringLiteral("设置成功"));
}

TEST_F(GuiCurPage, SendWithNoPointCheckedSendsNothing) {
  connectTo({0});
  enable(true);
  button("sendFixedCurrentButton")->click();
  EXPECT_TRUE(recorder.sent.empty());
}

TEST_F(GuiCurPage, ExitReleasesTheFixedCurrent) {
  connectTo({0});
  enable(true);
  find<QRadioButton>("current12mARadio")->click();
  runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);
  runOk("releaseFixedCurrentButton", OP_FIXED_CURRENT);
  EXPECT_EQ(lastFixedCurrent(), 0.0f);
}

TEST_F(GuiCurPage, ChoosingATrimPointDrivesTheLoopThere) {
  connectTo({0});
  const struct {
    int index;
    float milliamps;
  } cases[] = {{1, 20.0f}, {0, 4.0f}};
  for (const auto& c : cases) {
    ended.clear();
    Choose(combo("calibrationPointCombo"), c.index);
    ASSERT_EQ(waitForEnd(OP_FIXED_CURRENT), static_cast<int>(OperationResult::Success));
    EXPECT_EQ(lastFixedCurrent(), c.milliamps);
  }
  // Still works with the enable box off.
  EXPECT_FALSE(find<QCheckBox>("fixedCurrentCheck")->isChecked());
}

TEST_F(GuiCurPage, CalibrateTrimsThePointChosenWithTheMeasuredCurrent) {
  connectTo({0});
  const struct {
    int index;
    std::uint8_t command;
    const char* measured;
    float value;
  } cases[] = {{0, 45, "4.012", 4.012f}, {1, 46, "19.98", 19.98f}};
  for (const auto& c : cases) {
    ended.clear();
    Choose(combo("calibrationPointCombo"), c.index);
    ASSERT_EQ(waitForEnd(OP_FIXED_CURRENT), static_cast<int>(OperationResult::Success));
    edit("actualCurrentEdit")->setText(QString::fromLatin1(c.measured));
    runOk("calibrateCurrentButton", OP_CALIBRATE_CURRENT);
    EXPECT_EQ(confirmer.ops, std::vector<OperationCode>{OP_CALIBRATE_CURRENT});
    const std::vector<SentRequest> trims = recorder.withCommand(c.command);
    ASSERT_EQ(trims.size(), 1u) << c.measured;
    EXPECT_EQ(trims[0].floatAt(0), c.value);
    EXPECT_EQ(status(), QStringLiteral("校准成功"));
    // The trim changes the output: refused, it is not sent.
    confirmer.answer = false;
    button("calibrateCurrentButton")->click();
    settle();
    EXPECT_EQ(recorder.withCommand(c.command).size(), 1u);
    confirmer = ScriptedConfirmer{};
  }
}

TEST_F(GuiCurPage, CalibrateWithoutATrimPointAsksForOne) {
  connectTo({0});
  enable(true);
  find<QRadioButton>("current12mARadio")->click();  // 12 mA: not a trim point
  runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);
  for (const char* before : {"releaseFixedCurrentButton", ""}) {  // after 退出 too
    if (*before) runOk(before, OP_FIXED_CURRENT);
    recorder.sent.clear();
    ended.clear();
    edit("actualCurrentEdit")->setText(QStringLiteral("12"));
    button("calibrateCurrentButton")->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8(texts::kSelectCurrentFirst));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    CloseMessageBox(box);
    EXPECT_EQ(waitForEnd(OP_CALIBRATE_CURRENT), static_cast<int>(OperationResult::Failure));
    EXPECT_TRUE(recorder.withCommand(45).empty());
    EXPECT_TRUE(recorder.withCommand(46).empty());
    EXPECT_EQ(status(), QStringLiteral("校准失败"));
  }
}

}  // namespace
}  // namespace vantrel::testing
