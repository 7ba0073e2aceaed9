// The configuration page: range, unit and damping; splitting the range; the
// confirmation before calibrating; the gain; acquisition of the pressure code.
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

#include "app/CDialogConfirm.h"

#include "tabs/CTabConf.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiConfPage : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    scope = view->tabConf();
    view->tabControl()->setCurrentIndex(1);
  }
};

TEST_F(GuiConfPage, ReadShowsRangeUnitAndDamping) {
  connectTo({0});
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  EXPECT_EQ(edit("lowerRangeEdit")->text(), QStringLiteral("0.0"));
  EXPECT_EQ(edit("upperRangeEdit")->text(), QStringLiteral("100.0"));
  EXPECT_EQ(edit("dampingEdit")->text(), QStringLiteral("0.5"));
  EXPECT_EQ(combo("unitCombo")->currentText(), QStringLiteral("kPa"));
  EXPECT_EQ(status(), QStringLiteral("校准成功"));
}

TEST_F(GuiConfPage, WriteSendsTheTypedRangeAndReadsBack) {
  connectTo({0});
  edit("lowerRangeEdit")->setText(QStringLiteral("-50"));
  edit("upperRangeEdit")->setText(QStringLiteral("250"));
  edit("dampingEdit")->setText(QStringLiteral("2"));
  Choose(combo("unitCombo"), 6);  // MPa
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  EXPECT_EQ(status(), QStringLiteral("修改成功"));

  const std::vector<SentRequest> damping = recorder.withCommand(34);
  ASSERT_EQ(damping.size(), 1u);
  EXPECT_EQ(damping[0].floatAt(0), 2.0f);
  const std::vector<SentRequest> range = recorder.withCommand(35);
  ASSERT_EQ(range.size(), 1u);
  EXPECT_EQ(range[0].data[0], 237);  // MPa
  EXPECT_EQ(range[0].floatAt(1), 250.0f);
  EXPECT_EQ(range[0].floatAt(5), -50.0f);

  for (const char* name : {"lowerRangeEdit", "upperRangeEdit", "dampingEdit"}) edit(name)->clear();
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  EXPECT_EQ(edit("lowerRangeEdit")->text(), QStringLiteral("-50.0"));
  EXPECT_EQ(edit("upperRangeEdit")->text(), QStringLiteral("250.0"));
  EXPECT_EQ(edit("dampingEdit")->text(), QStringLiteral("2.0"));
  EXPECT_EQ(combo("unitCombo")->currentText(), QStringLiteral("MPa"));
}

// A read followed by a write sends back the float the instrument gave: with
// only the damping changed, 0.25 MPa goes out as 0.25, not the "0.2" of a
// one-decimal text.
TEST_F(GuiConfPage, ARangeReadAndWrittenBackKeepsItsPrecision) {
  connectTo({0});
  edit("lowerRangeEdit")->setText(QStringLiteral("0"));
  edit("upperRangeEdit")->setText(QStringLiteral("0.25"));
  edit("dampingEdit")->setText(QStringLiteral("1"));
  Choose(combo("unitCombo"), 6);  // MPa
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  for (const char* name : {"lowerRangeEdit", "upperRangeEdit", "dampingEdit"}) edit(name)->clear();
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  EXPECT_EQ(edit("upperRangeEdit")->text(), QStringLiteral("0.25"));

  recorder.sent.clear();
  edit("dampingEdit")->setText(QStringLiteral("2"));
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  const std::vector<SentRequest> range = recorder.withCommand(35);
  ASSERT_EQ(range.size(), 1u);
  EXPECT_EQ(range[0].floatAt(1), 0.25f);
  runOk("readRangeButton", OP_READ_CONFIG);
  EXPECT_EQ(session->data().upperRange, 0.25f);  // what the instrument holds
}

// The range write checks only what it sends: pressure and code edits that do
// not parse (the calibrations' own fields) do not stop it; each pressure
// still stops its own calibration (APressureThatDoesNotParseStopsTheCalibration).
TEST_F(GuiConfPage, OtherOperationsFieldsDoNotBlockTheRangeWrite) {
  connectTo({0});
  edit("lowerRangeEdit")->setText(QStringLiteral("0"));
  edit("upperRangeEdit")->setText(QStringLiteral("100"));
  edit("dampingEdit")->setText(QStringLiteral("1"));
  Choose(combo("unitCombo"), 5);  // kPa
  for (const char* name : {"lowPressureEdit", "highPressureEdit", "midPressureEdit",
                           "pressureCodeEdit", "resistanceEdit"}) {
    edit(name)->setText(QString());
  }
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  EXPECT_EQ(recorder.withCommand(35).size(), 1u);
  EXPECT_TRUE(OpenMessageBoxes().empty());

  // The low end's own field still stops the low-end calibration; an empty
  // high-end field does not.
  edit("highPressureEdit")->setText(QStringLiteral("abc"));
  edit("lowPressureEdit")->setText(QStringLiteral("0"));
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  readLongAddress();
  recorder.sent.clear();
  runOk("calibrateLowButton", OP_CALIBRATE_LOW);
  EXPECT_EQ(recorder.withCommand(131).size(), 1u);
}

// Also when the range read was in a unit outside the family's list (7, bar):
// the box shows none, so none is sent.
TEST_F(GuiConfPage, WriteWithoutAUnitIsRefused) {
  connectTo({0});
  for (int readCode : {-1, 7}) {
    recorder.sent.clear();
    view->data().unitCode = readCode;
    button("writeRangeButton")->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << readCode;
    EXPECT_EQ(box->text(), QStringLiteral("请先选择单位！"));
    EXPECT_TRUE(recorder.sent.empty()) << readCode;
    CloseMessageBox(box);
  }
}

// The split takes the range as typed, not the one last read, and changes
// only the three pressures, in kPa as the calibrations send them; a range
// that is not a number, has no unit or is not a pressure is refused.
TEST_F(GuiConfPage, SplitRangeUsesTheTypedRange) {
  const QString notNumber = QStringLiteral("请输入一个数字。");
  const struct {
    int unit;  // in the family's list: 0 ℃, 4 Pa, 5 kPa, 6 MPa, 7 m; -1 none
    const char* lower;
    const char* upper;
    const char* low;  // nullptr: refused with `refusal`, the pressures stay
    const char* mid;
    const char* high;
    QString refusal;
  } cases[] = {{5, "0", "100.0", "0", "50", "100", {}},
               {5, "-100", "100", "-100", "0", "100", {}},
               {6, "0", "0.25", "0", "125", "250", {}},
               {4, "0", "500", "0", "0.25", "0.5", {}},
               {0, "0", "100", nullptr, nullptr, nullptr,
                QStringLiteral("量程单位 ℃ 不是压力单位，不能换算为 kPa 标定点")},
               {7, "0", "2", nullptr, nullptr, nullptr,
                QStringLiteral("量程单位 m 不是压力单位，不能换算为 kPa 标定点")},
               {-1, "0", "100", nullptr, nullptr, nullptr, QStringLiteral("请先选择单位！")},
               {5, "2.5", "abc", nullptr, nullptr, nullptr, notNumber},
               {5, "", "100", nullptr, nullptr, nullptr, notNumber}};
  view->data().lowerRangeText = "7";  // last read: not what the split uses
  view->data().upperRangeText = "9";
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.unit) + " " + c.upper);
    for (const char* name : {"lowPressureEdit", "midPressureEdit", "highPressureEdit"})
      edit(name)->setText("1");
    Choose(combo("unitCombo"), c.unit);
    edit("lowerRangeEdit")->setText(QString::fromLatin1(c.lower));
    edit("upperRangeEdit")->setText(QString::fromLatin1(c.upper));
    button("splitRangeButton")->click();
    if (!c.low) {
      QMessageBox* box = WaitForMessageBox();
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text(), c.refusal);
      CloseMessageBox(box);
    }
    EXPECT_EQ(edit("lowPressureEdit")->text(), QString::fromLatin1(c.low ? c.low : "1"));
    EXPECT_EQ(edit("midPressureEdit")->text(), QString::fromLatin1(c.mid ? c.mid : "1"));
    EXPECT_EQ(edit("highPressureEdit")->text(), QString::fromLatin1(c.high ? c.high : "1"));
    EXPECT_EQ(edit("lowerRangeEdit")->text(), QString::fromLatin1(c.lower));
    EXPECT_EQ(edit("upperRangeEdit")->text(), QString::fromLatin1(c.upper));
  }
  EXPECT_TRUE(recorder.sent.empty());
}

TEST_F(GuiConfPage, SplitRangeAfterReadingTheInstrument) {
  connectTo({0});
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  button("splitRangeButton")->click();
  EXPECT_EQ(edit("lowPressureEdit")->text(), QStringLiteral("0"));
  EXPECT_EQ(edit("midPressureEdit")->text(), QStringLiteral("50"));
  EXPECT_EQ(edit("highPressureEdit")->text(), QStringLiteral("100"));
}

// The confirmation names what it confirms and the last reading of the
// instrument in this connection; a zero cleared with the pressure at half the
// range is warned of, one near zero is not. The question itself stays.
TEST_F(GuiConfPage, TheConfirmationNamesTheOperationAndTheLastReading) {
  view->setConfirmer(nullptr);  // the window's own dialog
  struct Shown {
    QString operation, question, warning;
  };
  // Clicks `name`, reads the dialog it opens and answers it.
  auto ask = [this](const char* name, bool accept) {
    Shown shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<CDialogConfirm*>(QApplication::activeModalWidget());
      if (!dialog) return;
      answer.stop();
      auto label = [dialog](const char* label) {
        auto* widget = dialog->findChild<QLabel*>(QString::fromLatin1(label));
        return widget && widget->isVisibleTo(dialog) ? widget->text() : QString();
      };
      shown = {label("labelOperation"), label("labelQuestion"), label("labelWarning")};
      dialog->findChild<QPushButton*>(accept ? "buttonOk" : "buttonCancel")->click();
    });
    answer.start(10);
    button(name)->click();
    return shown;
  };
  const QString question = QStringLiteral("操作前请等待压力稳定，是否确认执行当前操作？");
  connectTo({0});
  readLongAddress();
  Shown unread = ask("clearZeroButton", false);
  EXPECT_EQ(unread.operation, QStringLiteral("清除零点 — 尚未读取"));
  EXPECT_EQ(unread.question, question);
  EXPECT_TRUE(unread.warning.isEmpty());
  EXPECT_TRUE(recorder.withCommand(43).empty());

  // About 50 kPa on 0-100 kPa.
  runOk("readRangeButton", OP_READ_CONFIG);
  scope = nullptr;
  runOk("readCurrentButton", OP_READ_CURRENT);
  scope = view->tabConf();
  settle();
  const QRegularExpression half(
      QStringLiteral("^清除零点 — 当前压力 (4|5)\\d\\.\\d\\d kPa，量程的 \\d+ %$"));
  const Shown loaded = ask("clearZeroButton", true);
  EXPECT_TRUE(half.match(loaded.operation).hasMatch()) << loaded.operation.toStdString();
  EXPECT_EQ(loaded.warning,
            QStringLiteral("注意：当前读数偏离零点达量程的 50 %，请确认已泄压再清除零点"));
  ASSERT_EQ(waitForEnd(OP_CLEAR_ZERO), static_cast<int>(OperationResult::Success));

  // The zero taken: near 0 kPa now, no warning.
  scope = nullptr;
  runOk("readCurrentButton", OP_READ_CURRENT);
  scope = view->tabConf();
  settle();
  const Shown zeroed = ask("calibrateHighButton", false);
  EXPECT_TRUE(zeroed.operation.startsWith(QStringLiteral("高端标定 — 当前压力 ")))
      << zeroed.operation.toStdString();
  EXPECT_TRUE(ask("clearZeroButton", false).warning.isEmpty());
}

TEST_F(GuiConfPage, CancelledConfirmationSendsNothing) {
  connectTo({0});
  confirmer.answer = false;
  for (const char* name :
       {"clearZeroButton", "calibrateLowButton", "calibrateMidButton", "calibrateHighButton"}) {
    button(name)->click();
  }
  EXPECT_EQ(confirmer.asked, 4);
  EXPECT_TRUE(recorder.sent.empty());
  // The line works: the next operation's requests are the only ones sent.
  runOk("readGainButton", OP_READ_GAIN);
  for (const SentRequest& request : recorder.sent) {
    EXPECT_TRUE(request.command == 0 || request.command == 133) << int(request.command);
  }
}

TEST_F(GuiConfPage, ConfirmedCalibrationsSendTheirPressureInKpa) {
  connectTo({0});
  readLongAddress();
  const struct {
    const char* button;
    const char* edit;
    OperationCode op;
    std::uint8_t command;
    const char* text;
    float value;
  } cases[] = {
      {"calibrateLowButton", "lowPressureEdit", OP_CALIBRATE_LOW, 131, "1.5", 1.5f},
      {"calibrateMidButton", "midPressureEdit", OP_CALIBRATE_MID, 132, "50", 50.0f},
      {"calibrateHighButton", "highPressureEdit", OP_CALIBRATE_HIGH, 130, "99.25", 99.25f}};
  for (const auto& c : cases) {
    // Each field says the unit it is sent in, at its right.
    QLineEdit* field = edit(c.edit);
    auto* unit = find<QLabel>(QByteArray(c.edit).replace("Edit", "UnitLabel").constData());
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->text(), QStringLiteral("kPa"));
    EXPECT_TRUE(unit->isVisible());
    EXPECT_GE(unit->x(), field->geometry().right());
    recorder.sent.clear();
    edit(c.edit)->setText(QString::fromLatin1(c.text));
    runOk(c.button, c.op);
    const std::vector<SentRequest> sent = recorder.withCommand(c.command);
    ASSERT_EQ(sent.size(), 1u) << c.button;
    EXPECT_EQ(sent[0].data[0], 12) << c.button;  // kPa
    EXPECT_EQ(sent[0].floatAt(1), c.value) << c.button;
    EXPECT_EQ(sent[0].delimiter, 0x82) << c.button;  // long frame
  }
  EXPECT_EQ(status(), QStringLiteral("校准成功"));

  recorder.sent.clear();
  runOk("clearZeroButton", OP_CLEAR_ZERO);
  EXPECT_EQ(recorder.withCommand(43).size(), 1u);
  EXPECT_EQ(status(), QStringLiteral("清零成功"));
}

TEST_F(GuiConfPage, APressureThatDoesNotParseStopsTheCalibration) {
  connectTo({0});
  for (const char* text : {"abc", "", "1.5kPa"}) {
    edit("lowPressureEdit")->setText(QString::fromLatin1(text));
    button("calibrateLowButton")->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << text;
    EXPECT_EQ(box->text(), QStringLiteral("请输入一个数字。")) << text;
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    CloseMessageBox(box);
    EXPECT_TRUE(recorder.sent.empty()) << text;
  }
}

TEST_F(GuiConfPage, ReadingTheGainSelectsItWithoutWritingIt) {
  connectTo({0});
  Choose(combo("gainCombo"), 4);  // "16": written at once
  EXPECT_EQ(waitForEnd(OP_WRITE_GAIN), static_cast<int>(OperationResult::Success));
  EXPECT_EQ(status(), QStringLiteral("修改成功"));
  const std::vector<SentRequest> writes = recorder.withCommand(134);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].data, (std::vector<std::uint8_t>{4}));

  combo("gainCombo")->setCurrentIndex(-1);
  recorder.sent.clear();
  runOk("readGainButton", OP_READ_GAIN);
  settle();
  EXPECT_EQ(combo("gainCombo")->currentText(), QStringLiteral("16"));
  EXPECT_TRUE(recorder.withCommand(134).empty());
}

TEST_F(GuiConfPage, AcquisitionTogglesAndPollsThePressureCode) {
  connectTo({0});
  QPushButton* toggle = button("acquisitionButton");

  view->acquisitionTick();  // off: a tick sends nothing
  EXPECT_TRUE(recorder.sent.empty());

  toggle->click();
  EXPECT_EQ(toggle->text(), QStringLiteral("停止采集"));
  EXPECT_TRUE(view->data().acquiring);
  // The one-second timer polls with command 135 and the code is shown.
  EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.withCommand(135).size() >= 2; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return edit("pressureCodeEdit")->text() != QStringLiteral("0"); }, kReplyWaitMs));
  // Acquisition goes on behind another page.
  view->tabControl()->setCurrentIndex(0);
  EXPECT_TRUE(view->data().acquiring);

  toggle->click();
  EXPECT_EQ(toggle->text(), QStringLiteral("开始采集"));
  EXPECT_FALSE(view->data().acquiring);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return !session->engine().operationInProgress(); }, kReplyWaitMs));
  const QString lastCode = edit("pressureCodeEdit")->text();
  recorder.sent.clear();
  view->acquisitionTick();
  EXPECT_TRUE(recorder.sent.empty());
  EXPECT_EQ(edit("pressureCodeEdit")->text(), lastCode);
}

TEST_F(GuiConfPage, ChoosingASensorTypeShowsItsLimits) {
  const struct {
    int index;
    const char* lower;
    const char* upper;
  } cases[] = {{10, "-50 ℃", "150 ℃"}, {2, "0 ℃", "1600 ℃"}, {6, "0 ℃", "1600 ℃"}};
  for (const auto& c : cases) {
    Choose(combo("sensorTypeCombo"), c.index);
    EXPECT_EQ(edit("sensorLowerEdit")->text(), QString::fromUtf8(c.lower)) << c.index;
    EXPECT_EQ(edit("sensorUpperEdit")->text(), QString::fromUtf8(c.upper)) << c.index;
  }
}

// The temperature-input groups are never shown, but their controls exist and
// carry data both ways like the shown ones.
TEST_F(GuiConfPage, HiddenGroupsCarryTheirData) {
  connectTo({0});
  EXPECT_FALSE(edit("offsetEdit")->isVisibleTo(view->tabConf()));

  edit("offsetEdit")->setText(QStringLiteral("12.3"));
  runOk("writeOffsetButton", OP_WRITE_OFFSET);
  const std::vector<SentRequest> writes = recorder.withCommand(118);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].data, (std::vector<std::uint8_t>{0x00, 123}));  // tenths of a degree

  edit("offsetEdit")->clear();
  runOk("readOffsetButton", OP_READ_OFFSET);
  settle();
  EXPECT_EQ(edit("offsetEdit")->text(), QStringLiteral("12.3"));

  Choose(combo("sensorTypeCombo"), 3);  // B型热电偶
  runOk("writeSensorButton", OP_WRITE_SENSOR_CONFIG);
  const std::vector<SentRequest> sensor = recorder.withCommand(115);
  ASSERT_EQ(sensor.size(), 1u);
  EXPECT_EQ(sensor[0].data[2], 3);
  combo("sensorTypeCombo")->setCurrentIndex(-1);
  edit("sensorLowerEdit")->clear();
  runOk("readSensorButton", OP_READ_SENSOR_CONFIG);
  settle();
  EXPECT_EQ(combo("sensorTypeCombo")->currentText(), QStringLiteral("B型热电偶"));
  EXPECT_EQ(edit("sensorLowerEdit")->text(), QStringLiteral("600 ℃"));
  EXPECT_EQ(edit("sensorUpperEdit")->text(), QStringLiteral("1800 ℃"));
}

}  // namespace
}  // namespace vantrel::testing
