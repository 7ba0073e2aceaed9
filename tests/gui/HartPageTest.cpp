// The HART settings page: identity read and write, polling and long
// address, the address every operation takes from the polling-address box,
// and the check of the new polling address.
#include <QDateEdit>

#include "engine/EngineTexts.h"
#include "tabs/CTabHart.h"
#include "tabs/DataExchange.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiHartPage : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    scope = view->tabHart();
  }
};

TEST_F(GuiHartPage, ReadShowsTheInstrumentsIdentity) {
  connectTo({0});
  runOk("readDeviceInfoButton", OP_READ_DEVICE_INFO);
  settle();
  EXPECT_EQ(status(), QStringLiteral("接收成功"));
  EXPECT_EQ(frame->progressBar()->value(), 100);
  EXPECT_EQ(edit("tagEdit")->text(), QStringLiteral("PT-00"));
  EXPECT_EQ(edit("descriptorEdit")->text(), QStringLiteral("SIMULATED PT"));
  EXPECT_EQ(edit("messageEdit")->text(), QStringLiteral("VANTREL SIMULATED INSTRUMENT"));
  EXPECT_EQ(find<QDateEdit>("dateEdit")->date(), QDate(2024, 1, 1));
  // Command 0, then 12 (message) and 13 (tag, descriptor, date).
  ASSERT_EQ(recorder.sent.size(), 3u);
  EXPECT_EQ(recorder.sent[1].command, 12);
  EXPECT_EQ(recorder.sent[2].command, 13);
}

TEST_F(GuiHartPage, WrittenIdentityIsSentPackedAndReadsBack) {
  connectTo({0});
  edit("tagEdit")->setText(QStringLiteral("TT-101"));
  edit("descriptorEdit")->setText(QStringLiteral("LOOP A"));
  edit("messageEdit")->setText(QStringLiteral("HELLO"));
  find<QDateEdit>("dateEdit")->setDate(QDate(2023, 5, 6));
  runOk("writeDeviceInfoButton", OP_WRITE_DEVICE_INFO);
  EXPECT_EQ(status(), QStringLiteral("发送成功"));

  const std::vector<SentRequest> message = recorder.withCommand(17);
  ASSERT_EQ(message.size(), 1u);
  EXPECT_EQ(UnpackAsciiText(message[0].data.data(), 24), "HELLO");
  const std::vector<SentRequest> identity = recorder.withCommand(18);
  ASSERT_EQ(identity.size(), 1u);
  ASSERT_EQ(identity[0].data.size(), 21u);
  EXPECT_EQ(UnpackAsciiText(identity[0].data.data(), 6), "TT-101");
  EXPECT_EQ(UnpackAsciiText(identity[0].data.data() + 6, 12), "LOOP A");
  EXPECT_EQ(identity[0].data[18], 6);    // day
  EXPECT_EQ(identity[0].data[19], 5);    // month
  EXPECT_EQ(identity[0].data[20], 123);  // 2023 - 1900

  for (const char* name : {"tagEdit", "descriptorEdit", "messageEdit"}) edit(name)->clear();
  find<QDateEdit>("dateEdit")->setDate(QDate(2000, 1, 1));
  runOk("readDeviceInfoButton", OP_READ_DEVICE_INFO);
  settle();
  EXPECT_EQ(edit("tagEdit")->text(), QStringLiteral("TT-101"));
  EXPECT_EQ(edit("descriptorEdit")->text(), QStringLiteral("LOOP A"));
  EXPECT_EQ(edit("messageEdit")->text(), QStringLiteral("HELLO"));
  EXPECT_EQ(find<QDateEdit>("dateEdit")->date(), QDate(2023, 5, 6));
}

// Each write checks only what it sends: an empty or wrong "修改为" does not
// stop the device information or the long address from being written (the
// polling-address write still refuses it, see below).
TEST_F(GuiHartPage, TheNewPollingAddressBlocksOnlyItsOwnWrite) {
  connectTo({0});
  runOk("readLongAddressButton", OP_READ_LONG_ADDRESS);
  settle();
  for (const char* text : {"", "abc", "17"}) {
    edit("newPollAddressEdit")->setText(QString::fromLatin1(text));
    recorder.sent.clear();
    runOk("writeDeviceInfoButton", OP_WRITE_DEVICE_INFO);
    EXPECT_EQ(recorder.withCommand(18).size(), 1u) << text;
    runOk("writeLongAddressButton", OP_WRITE_LONG_ADDRESS);
    EXPECT_EQ(recorder.withCommand(113).size(), 1u) << text;
    EXPECT_TRUE(OpenMessageBoxes().empty()) << text;
  }
}

TEST_F(GuiHartPage, EveryOperationAddressesTheLeadingNumberOfTheBox) {
  connectTo({0});
  const struct {
    const char* text;
    std::uint8_t address;
  } cases[] = {{"3 ", 3}, {"", 0}, {"abc", 0}, {"300", 44}, {"  7x", 7}, {"10 ", 10}};
  for (const auto& c : cases) {
    recorder.sent.clear();
    combo("pollAddressCombo")->setEditText(QString::fromLatin1(c.text));
    button("readLongAddressButton")->click();
    ASSERT_FALSE(recorder.sent.empty()) << c.text;
    EXPECT_EQ(recorder.sent[0].command, 0) << c.text;
    EXPECT_EQ(recorder.sent[0].address[0], 0x80 | c.address) << c.text;
  }
}

TEST_F(GuiHartPage, LongAddressReadsAndWritesBackUnchanged) {
  connectTo({3});
  combo("pollAddressCombo")->setEditText(QStringLiteral("3 "));
  runOk("readLongAddressButton", OP_READ_LONG_ADDRESS);
  settle();
  EXPECT_EQ(edit("longAddressEdit")->text(), QStringLiteral("0x5a 0x10 0x01 0x02 0x06"));
  EXPECT_EQ(status(), QStringLiteral("接收成功"));

  runOk("writeLongAddressButton", OP_WRITE_LONG_ADDRESS);
  EXPECT_EQ(status(), QStringLiteral("修改成功"));
  const std::vector<SentRequest> writes = recorder.withCommand(113);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].data, (std::vector<std::uint8_t>{0x5a, 0x10, 0x01, 0x02, 0x06}));
}

TEST_F(GuiHartPage, AMalformedLongAddressIsRefusedBeforeAnythingIsSent) {
  connectTo({0});
  edit("longAddressEdit")->setText(QStringLiteral("0x5a 0x10"));
  button("writeLongAddressButton")->click();
  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QString::fromUtf8(texts::kBadLongAddress));
  EXPECT_TRUE(recorder.sent.empty());
  CloseMessageBox(box);
}

// The packed fields show what goes out: letters turn upper case as typed;
// a character packed ASCII cannot carry is refused, named, nothing sent.
TEST_F(GuiHartPage, TagsAreShownAsWrittenAndUnwritableCharactersRefused) {
  connectTo({0});
  const struct {
    const char* field;
    const char* typed;
    const char* shown;
    const char* refusal;
  } cases[] = {{"tagEdit", "pt~1", "PT~1", "标签中的 ~ 不能写入仪表"},
               {"descriptorEdit", "a{b", "A{B", "描述符中的 { 不能写入仪表"},
               {"messageEdit", "ok`", "OK`", "消息中的 ` 不能写入仪表"}};
  for (const auto& c : cases) {
    for (const char* name : {"tagEdit", "descriptorEdit", "messageEdit"}) edit(name)->setText("A");
    recorder.sent.clear();
    edit(c.field)->clear();
    QTest::keyClicks(edit(c.field), QString::fromLatin1(c.typed));
    EXPECT_EQ(edit(c.field)->text(), QString::fromLatin1(c.shown)) << c.field;
    button("writeDeviceInfoButton")->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << c.field;
    EXPECT_EQ(box->text(), QString::fromUtf8(c.refusal));
    EXPECT_TRUE(recorder.sent.empty()) << c.field;
    CloseMessageBox(box);
  }
}

TEST_F(GuiHartPage, NewPollingAddressIsCheckedBeforeItIsWritten) {
  connectTo({0});
  const struct {
    const char* text;
    const char* message;  // nullptr: accepted
  } refused[] = {{"17", "请输入一个介于 0 和 16 之间的整数。"},
                 {"255", "请输入一个介于 0 和 16 之间的整数。"},
                 {"256", "请输入一个介于 0 和 255 之间的整数。"},
                 {"-1", "请输入一个介于 0 和 255 之间的整数。"},
                 {"abc", "请输入一个介于 0 和 255 之间的整数。"},
                 {"", "请输入一个介于 0 和 255 之间的整数。"}};
  for (const auto& c : refused) {
    recorder.sent.clear();
    edit("newPollAddressEdit")->setText(QString::fromLatin1(c.text));
    button("writePollAddressButton")->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << c.text;
    EXPECT_EQ(box->text(), QString::fromUtf8(c.message)) << c.text;
    EXPECT_EQ(box->icon(), QMessageBox::Warning) << c.text;
    EXPECT_TRUE(recorder.sent.empty()) << c.text;
    CloseMessageBox(box);
  }

  // 16 passes the page's check, but a HART 5 instrument's addresses end at
  // 15: the write is refused with the reason, and command 6 is not sent.
  recorder.sent.clear();
  edit("newPollAddressEdit")->setText(QStringLiteral("16"));
  button("writePollAddressButton")->click();
  EXPECT_EQ(waitForEnd(OP_WRITE_POLL_ADDRESS), static_cast<int>(OperationResult::Refused));
  EXPECT_TRUE(recorder.withCommand(6).empty());
  EXPECT_NE(frame->reasonPane()->text().indexOf(QStringLiteral("0 到 15")), -1);

  // 15 is the largest sent, in command 6 alone.
  edit("newPollAddressEdit")->setText(QStringLiteral("15"));
  runOk("writePollAddressButton", OP_WRITE_POLL_ADDRESS);
  EXPECT_EQ(status(), QStringLiteral("修改成功"));
  const std::vector<SentRequest> writes = recorder.withCommand(6);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].data, (std::vector<std::uint8_t>{15}));
  // The box keeps the address it showed.
  EXPECT_EQ(combo("pollAddressCombo")->currentText(), QStringLiteral("0"));
}

// A read shows what it read and leaves what is typed elsewhere on the page.
TEST_F(GuiHartPage, AReadShowsOnlyWhatItRead) {
  connectTo({0});
  edit("longAddressEdit")->setText(QStringLiteral("typed, not saved"));
  edit("newPollAddressEdit")->setText(QStringLiteral("7"));
  edit("tagEdit")->setText(QStringLiteral("TYPED"));
  runOk("readDeviceInfoButton", OP_READ_DEVICE_INFO);
  settle();
  EXPECT_EQ(edit("tagEdit")->text(), Utf8Text(view->data().tag));  // what was read
  EXPECT_NE(edit("tagEdit")->text(), QStringLiteral("TYPED"));
  EXPECT_EQ(edit("longAddressEdit")->text(), QStringLiteral("typed, not saved"));
  EXPECT_EQ(edit("newPollAddressEdit")->text(), QStringLiteral("7"));
}

}  // namespace
}  // namespace vantrel::testing
