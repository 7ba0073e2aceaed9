// The window with instruments of HART 6 and 7 and of other makers: the
// additional status and its dialog, the unit box of another model, the long
// tag, against the simulator's models.
#include <QListWidget>
#include <QToolButton>

#include "app/StatusDialog.h"
#include "sim/DeviceList.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

using sim::DeviceKind;
using sim::DeviceVariant;
using sim::KindDeviceConfig;

class GuiRevisions : public GuiTest {
 protected:
  QStringList statusLines() const {
    QStringList lines;
    QListWidget* list = frame->statusDialog()->lines();
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
};

// "More status available" shows the button; the dialog reads command 48 and
// names the set bits; the acknowledgement echoes the bytes read, after which
// the instrument withdraws the bit and the button goes. The reset sends the
// configuration-change counter.
TEST_F(GuiRevisions, TheStatusIndicatorOpensTheDialogThatAcknowledges) {
  sim::SimDeviceConfig device = KindDeviceConfig(0, DeviceKind{7, DeviceVariant::Family});
  device.additionalStatus = {0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0x08, 0, 0};
  connectDevices({device});
  view->start(OP_COMM_TEST);
  ASSERT_EQ(waitForEnd(OP_COMM_TEST), static_cast<int>(OperationResult::Success));
  settle();
  ASSERT_TRUE(frame->moreStatusButton()->isVisible());

  ended.clear();
  frame->moreStatusButton()->click();
  ASSERT_NE(frame->statusDialog(), nullptr);
  ASSERT_EQ(waitForEnd(OP_READ_STATUS), static_cast<int>(OperationResult::Success));
  settle();
  EXPECT_TRUE(statusLines().contains(QStringLiteral("需要维护")))
      << statusLines().join('|').toStdString();
  EXPECT_TRUE(
      statusLines().contains(QStringLiteral("子设备ID重复")));  // standardized status 2, 0x08

  scope = frame->statusDialog();
  recorder.sent.clear();
  runOk("acknowledgeStatusButton", OP_ACKNOWLEDGE_STATUS);
  const std::vector<SentRequest> acks = recorder.withCommand(48);
  ASSERT_FALSE(acks.empty());
  EXPECT_EQ(acks.front().data, device.additionalStatus);
  // The dialog reads again; that reply no longer says more status.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !frame->moreStatusButton()->isVisible(); }, kReplyWaitMs));

  recorder.sent.clear();
  runOk("resetConfigChangedButton", OP_RESET_CONFIG_CHANGED);
  const std::vector<SentRequest> resets = recorder.withCommand(38);
  ASSERT_EQ(resets.size(), 1u);
  EXPECT_EQ(resets[0].data.size(), 2u);  // HART 7: the counter of command 0
}

// Another maker's flow instrument reads in kg/h: the unit box offers the mass
// flow units with kg/h chosen, and a range write sends the code chosen.
TEST_F(GuiRevisions, TheUnitBoxOffersAForeignFlowInstrumentItsKindOfUnits) {
  connectDevices({KindDeviceConfig(0, DeviceKind{7, DeviceVariant::Flow})});
  scope = view->tabConf();
  runOk("readRangeButton", OP_READ_CONFIG);
  settle();
  QComboBox* units = combo("unitCombo");
  EXPECT_EQ(units->currentText(), QStringLiteral("kg/h"));
  QStringList offered;
  for (int i = 0; i < units->count(); ++i) offered << units->itemText(i);
  EXPECT_TRUE(offered.contains(QStringLiteral("lb/h"))) << offered.join('|').toStdString();
  EXPECT_FALSE(offered.contains(QStringLiteral("kPa")));

  units->setCurrentIndex(offered.indexOf(QStringLiteral("lb/h")));
  recorder.sent.clear();
  runOk("writeRangeButton", OP_WRITE_CONFIG);
  const std::vector<SentRequest> writes = recorder.withCommand(35);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].data[0], 82);  // lb/h
}

// The long tag goes to a HART 7 instrument and reads back; a HART 5
// instrument is told why not, with nothing sent after command 0.
TEST_F(GuiRevisions, TheLongTagForHart7AndItsRefusalForHart5) {
  connectDevices(
      {KindDeviceConfig(0, DeviceKind{7, DeviceVariant::Family}), sim::DefaultDeviceConfig(3)});
  scope = view->tabHart();
  const QString tag = QStringLiteral("Durchfluß Süd 7");
  edit("longTagEdit")->setText(tag);
  runOk("writeLongTagButton", OP_WRITE_LONG_TAG);
  edit("longTagEdit")->clear();
  runOk("readLongTagButton", OP_READ_LONG_TAG);
  settle();
  EXPECT_EQ(edit("longTagEdit")->text(), tag);

  combo("pollAddressCombo")->setEditText(QStringLiteral("3"));
  const std::pair<const char*, OperationCode> refused[] = {
      {"readLongTagButton", OP_READ_LONG_TAG}, {"writeLongTagButton", OP_WRITE_LONG_TAG}};
  for (const auto& [name, op] : refused) {
    recorder.sent.clear();
    ended.clear();
    button(name)->click();
    EXPECT_EQ(waitForEnd(op), static_cast<int>(OperationResult::Refused)) << name;
    ASSERT_FALSE(recorder.sent.empty());
    for (const SentRequest& r : recorder.sent) EXPECT_EQ(r.command, 0) << name;
    EXPECT_NE(frame->reasonPane()->text().indexOf(QStringLiteral("HART 5")), -1) << name;
  }
}

}  // namespace
}  // namespace vantrel::testing
