// The device search from the menu: the report, the refilled polling-address
// list in text order, and the end of the search once the report is closed.
#include <QAction>
#include <QProgressBar>

#include <QCheckBox>
#include <QSpinBox>

#include "app/SearchDialog.h"
#include "link/LinkTexts.h"
#include "sim/DeviceList.h"
#include "tabs/CTabHart.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

using GuiSearch = GuiTest;

// A full scan probes 15 addresses for a second each.
constexpr int kScanWaitMs = 40000;

TEST_F(GuiSearch, FoundAddressesFillTheListInTextOrder) {
  connectTo({2, 10});
  frame->findChild<QAction*>(QStringLiteral("searchAction"))->trigger();
  EXPECT_EQ(status(), QStringLiteral("正在搜索"));
  EXPECT_EQ(frame->progressBar()->value(), 6);

  QMessageBox* report = WaitForMessageBox(kScanWaitMs);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->text(), QStringLiteral("搜索到在线设备：2 10 "));
  EXPECT_EQ(report->icon(), QMessageBox::Information);
  EXPECT_EQ(frame->progressBar()->value(), 96);

  QComboBox* addresses = combo("pollAddressCombo");
  ASSERT_EQ(addresses->count(), 2);
  EXPECT_EQ(addresses->itemText(0), QStringLiteral("10 "));
  EXPECT_EQ(addresses->itemText(1), QStringLiteral("2 "));
  EXPECT_EQ(addresses->currentText(), QStringLiteral("10 "));
  // The search is done only when its report is closed.
  EXPECT_EQ(status(), QStringLiteral("正在搜索"));
  CloseMessageBox(report);
  EXPECT_TRUE(QTest::qWaitFor([&] { return status() == QStringLiteral("搜索完成"); }, 5000));
  EXPECT_EQ(frame->progressBar()->value(), 100);

  // The next operation addresses the first of the list.
  recorder.sent.clear();
  scope = view->tabHart();
  runOk("readLongAddressButton", OP_READ_LONG_ADDRESS);
  ASSERT_FALSE(recorder.sent.empty());
  EXPECT_EQ(recorder.sent[0].pollAddress(), 10);
  settle();
  EXPECT_EQ(edit("longAddressEdit")->text(), QStringLiteral("0x5a 0x10 0x01 0x02 0x0d"));
}

// The range dialog's search: the addresses chosen, one try each, the report
// as the menu's; an address above 15 is found (a HART 7 instrument at 40).
TEST_F(GuiSearch, TheRangeDialogSearchesTheAddressesChosenFast) {
  connectDevices({sim::DefaultDeviceConfig(38),
                  sim::KindDeviceConfig(40, sim::DeviceKind{7, sim::DeviceVariant::Family})});
  frame->findChild<QAction*>(QStringLiteral("searchRangeAction"))->trigger();
  auto* dialog = frame->findChild<SearchDialog*>();
  ASSERT_NE(dialog, nullptr);
  dialog->findChild<QSpinBox*>(QStringLiteral("searchToSpin"))->setValue(41);
  dialog->findChild<QSpinBox*>(QStringLiteral("searchFromSpin"))->setValue(37);
  dialog->findChild<QCheckBox*>(QStringLiteral("searchFastCheck"))->setChecked(true);
  recorder.sent.clear();
  dialog->accept();
  EXPECT_EQ(status(), QStringLiteral("正在搜索 37 到 41"));

  QMessageBox* report = WaitForMessageBox(kScanWaitMs);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->text(), QStringLiteral("搜索到在线设备：38 40 "));
  CloseMessageBox(report);
  std::vector<int> probed;
  for (const SentRequest& r : recorder.sent) probed.push_back(r.pollAddress());
  EXPECT_EQ(probed, (std::vector<int>{37, 38, 39, 40, 41}));  // one try each
}

TEST_F(GuiSearch, WithThePortClosedTheSearchFails) {
  frame->findChild<QAction*>(QStringLiteral("searchAction"))->trigger();
  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QString::fromUtf8(texts::kPortNotOpen));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  CloseMessageBox(box);
  EXPECT_EQ(status(), QStringLiteral("搜索失败"));
  EXPECT_EQ(frame->progressBar()->value(), 0);
  EXPECT_EQ(combo("pollAddressCombo")->currentText(), QStringLiteral("0"));
}

}  // namespace
}  // namespace vantrel::testing
