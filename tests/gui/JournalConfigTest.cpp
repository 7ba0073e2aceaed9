// The 程序 menu's configuration file and change journal: a save writes what
// the instrument holds; a write from a page is recorded and shown newest
// first; the export is CSV a spreadsheet reads.
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include "app/JournalDialog.h"
#include "app/LoadDialog.h"
#include "config/Journal.h"
#include "records/StoreJournal.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiFiles : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    for (const char* end : {"", "-wal", "-shm"}) {
      QFile::remove(RecordStore::defaultPath() + QString::fromLatin1(end));
    }
    view->setFileChooser(
        [this](QWidget*, const QString&, std::function<void(const QString&)> chosen) {
          chosen(chosenFile);
        });
  }

  // Where the configuration went, as the status says it.
  QString savedStatus() const {
    return QStringLiteral("组态已保存到 ") + QDir::toNativeSeparators(chosenFile);
  }

  QTemporaryDir dir;
  QString chosenFile;
};

TEST_F(GuiFiles, SaveConfigurationWritesWhatTheInstrumentHolds) {
  connectTo({0});
  chosenFile = dir.filePath("pt.json");
  frame->findChild<QAction*>(QStringLiteral("actionSaveConfig"))->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == savedStatus(); }, kReplyWaitMs * 6))
      << status().toStdString();
  QFile file(chosenFile);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
  EXPECT_EQ(saved["format"].toString(), "vantrel-configuration");
  EXPECT_EQ(saved["tag"].toString(), "PT-00");
  EXPECT_EQ(saved["range"].toObject()["unit"].toString(), "kPa");
  // The pages show what was read.
  EXPECT_EQ(view->tabHart()->findChild<QLineEdit*>("tagEdit")->text(), "PT-00");

  // No instrument: nothing is saved, and the message says why.
  chosenFile = dir.filePath("none.json");
  session->closePort();
  frame->findChild<QAction*>(QStringLiteral("actionSaveConfig"))->trigger();
  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(QFile::exists(chosenFile));
}

TEST_F(GuiFiles, WritesAreRecordedAndShownNewestFirst) {
  connectTo({0});
  scope = view->tabCur();
  view->tabControl()->setCurrentIndex(2);
  find<QCheckBox>("fixedCurrentCheck")->click();
  find<QRadioButton>("current12mARadio")->click();
  runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);     // 12 mA
  runOk("releaseFixedCurrentButton", OP_FIXED_CURRENT);  // released
  scope = nullptr;
  runOk("readCurrentButton", OP_READ_CURRENT);  // a read: not recorded

  const JournalContents journal = LoadJournal(RecordStore::defaultPath());
  ASSERT_EQ(journal.records.size(), 2u);
  EXPECT_EQ(journal.records[0]["sent"].toObject(), (QJsonObject{{"current", 12}}));
  EXPECT_EQ(journal.records[1]["sent"].toObject(), (QJsonObject{{"current", 0}}));
  EXPECT_EQ(journal.records[1]["result"].toString(), "success");

  view->showJournal();
  auto* dialog = frame->findChild<JournalDialog*>();
  ASSERT_NE(dialog, nullptr);
  QTableWidget* table = dialog->table();
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 4)->text(), QString::fromUtf8("进入/退出固定电流模式"));
  EXPECT_EQ(table->item(0, 5)->text(), QString::fromUtf8("固定电流输出 → 退出"));  // newest first
  EXPECT_EQ(table->item(1, 5)->text(), QString::fromUtf8("固定电流输出 → 12 mA"));
  EXPECT_EQ(table->item(1, 7)->text(), QString::fromUtf8("成功"));

  dialog->setFileChooser(
      [this](QWidget*, const QString&, std::function<void(const QString&)> chosen) {
        chosen(dir.filePath("journal.csv"));
      });
  dialog->exportButton()->click();
  QFile csv(dir.filePath("journal.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QByteArray text = csv.readAll();
  EXPECT_TRUE(text.startsWith("\xEF\xBB\xBFtime,port,longAddress,tag,operation,"))
      << text.left(60).toStdString();
  EXPECT_EQ(text.count('\n'), 3);
  EXPECT_TRUE(text.contains(QString::fromUtf8("设置成功").toUtf8()));
  EXPECT_EQ(dialog->note()->text(),
            QString::fromUtf8("已导出到 ") + QDir::toNativeSeparators(dir.filePath("journal.csv")));
}

// A journal of two instruments whose long addresses differ in their last
// digit only, written on three days.
QString TwoInstrumentJournal(const QTemporaryDir& dir) {
  const QString path = dir.filePath("journal.jsonl");
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(R"({"time": "2026-12-01T09:00:00+08:00", "port": "COM3", )"
             R"("longAddress": "0x5a 0x10 0x01 0x02 0x03", "tag": "PT-101", )"
             R"("operation": "write-config", "sent": {"unit": "kPa", "upper": 250, "lower": 0, )"
             R"("damping": 1}, "before": {"unit": "kPa", "upper": 100, "lower": 0, "damping": 1}, )"
             R"("status": "修改成功", "result": "success"})"
             "\n"
             R"({"time": "2026-12-05T10:00:00+08:00", "port": "COM3", )"
             R"("longAddress": "0x5a 0x10 0x01 0x02 0x06", "tag": "PT-102", )"
             R"("operation": "write-gain", "sent": {"gain": "x8"}, "before": {}, )"
             R"("status": "修改成功", "result": "success"})"
             "\n"
             R"({"time": "2026-12-08T11:00:00+08:00", "port": "COM3", )"
             R"("longAddress": "0x5a 0x10 0x01 0x02 0x03", "tag": "PT-101", )"
             R"("operation": "clear-zero", "sent": {}, "before": {}, )"
             R"("status": "清零失败", "result": "no-reply"})"
             "\n");
  return path;
}

// Each instrument by its whole long address and in the filter by tag and
// device ID; the filters choose what the table shows and what is exported.
TEST(JournalDialog, FiltersByInstrumentAndDays) {
  QTemporaryDir dir;
  JournalDialog dialog(TwoInstrumentJournal(dir));
  QTableWidget* table = dialog.table();
  ASSERT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->item(0, 0)->text(), "2026-12-08 11:00:00");
  EXPECT_EQ(table->item(0, 2)->text(), "5a10010203");
  EXPECT_EQ(table->item(1, 2)->text(), "5a10010206");
  EXPECT_EQ(table->item(0, 4)->text(), QString::fromUtf8("清除零点"));
  EXPECT_EQ(table->item(0, 7)->text(), QString::fromUtf8("无应答"));
  EXPECT_EQ(table->item(2, 4)->text(), QString::fromUtf8("修改组态"));
  EXPECT_EQ(table->item(2, 5)->text(), QString::fromUtf8("测量上限 100 → 250 kPa"));

  QComboBox* instruments = dialog.instrumentFilter();
  ASSERT_EQ(instruments->count(), 3);
  EXPECT_EQ(instruments->itemText(0), QString::fromUtf8("全部仪表"));
  EXPECT_EQ(instruments->itemText(1), QString::fromUtf8("PT-101（010203）"));
  EXPECT_EQ(instruments->itemText(2), QString::fromUtf8("PT-102（010206）"));
  Choose(instruments, 2);
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->item(0, 3)->text(), "PT-102");
  Choose(instruments, 1);
  EXPECT_EQ(table->rowCount(), 2);
  dialog.fromDate()->setDate(QDate(2026, 12, 2));
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->item(0, 0)->text(), "2026-12-08 11:00:00");

  QString error;
  ASSERT_TRUE(dialog.exportTo(dir.filePath("one.csv"), &error)) << error.toStdString();
  QFile csv(dir.filePath("one.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QByteArray text = csv.readAll();
  EXPECT_EQ(text.count('\n'), 2) << text.toStdString();
  EXPECT_TRUE(text.contains("clear-zero")) << text.toStdString();

  Choose(instruments, 0);
  dialog.fromDate()->setDate(QDate(2026, 12, 1));
  dialog.toDate()->setDate(QDate(2026, 12, 5));
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 3)->text(), "PT-102");
}

// A double-click on a row shows its record as the journal holds it.
TEST(JournalDialog, ADoubleClickShowsTheRawRecord) {
  QTemporaryDir dir;
  JournalDialog dialog(TwoInstrumentJournal(dir));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTableWidget* table = dialog.table();
  const QRect cell = table->visualItemRect(table->item(1, 4));
  // A widget's double-click comes after its first press and release.
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  auto* record = dialog.findChild<QDialog*>(QStringLiteral("journalRecordDialog"));
  ASSERT_NE(record, nullptr);
  auto* text = record->findChild<QPlainTextEdit*>(QStringLiteral("journalRecordText"));
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_TRUE(text->toPlainText().contains("\n    \"operation\": \"write-gain\""))
      << text->toPlainText().toStdString();
}

// The saved file with `changes` made, under `name`.
QString ChangedCopy(const QString& saved, const QString& name,
                    const std::function<void(QJsonObject&)>& changes) {
  QFile in(saved);
  EXPECT_TRUE(in.open(QIODevice::ReadOnly));
  QJsonObject config = QJsonDocument::fromJson(in.readAll()).object();
  changes(config);
  const QString path = QFileInfo(saved).dir().filePath(name);
  QFile out(path);
  EXPECT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(QJsonDocument(config).toJson());
  return path;
}

// The load dialog lists the differences; only the checked ones are written;
// cancel writes nothing; another model gets nothing but command 0.
TEST_F(GuiFiles, LoadWritesOnlyTheCheckedDifferences) {
  connectTo({0});
  chosenFile = dir.filePath("pt.json");
  frame->findChild<QAction*>(QStringLiteral("actionSaveConfig"))->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == savedStatus(); }, kReplyWaitMs * 6));
  chosenFile = ChangedCopy(dir.filePath("pt.json"), "changed.json", [](QJsonObject& c) {
    c["tag"] = "NEW-TAG";
    QJsonObject range = c["range"].toObject();
    range["upper"] = 250;
    c["range"] = range;
  });
  const auto openDialog = [&]() -> LoadDialog* {
    frame->findChild<QAction*>(QStringLiteral("actionLoadConfig"))->trigger();
    LoadDialog* dialog = nullptr;
    (void)QTest::qWaitFor([&] { return (dialog = frame->findChild<LoadDialog*>()) != nullptr; },
                          kReplyWaitMs * 6);
    return dialog;
  };
  const auto writes = [&] {
    return recorder.withCommand(18).size() + recorder.withCommand(17).size() +
           recorder.withCommand(34).size() + recorder.withCommand(35).size();
  };

  LoadDialog* dialog = openDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(dialog->table()->rowCount(), 2);
  EXPECT_EQ(dialog->table()->item(0, 0)->text(), QString::fromUtf8("标签"));
  EXPECT_EQ(dialog->table()->item(0, 1)->text(), "PT-00");
  EXPECT_EQ(dialog->table()->item(0, 2)->text(), "NEW-TAG");
  EXPECT_EQ(dialog->table()->item(1, 2)->text(), "250");
  dialog->cancelButton()->click();
  QTest::qWait(200);
  EXPECT_EQ(writes(), 0u);

  dialog = openDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->table()->item(1, 0)->setCheckState(Qt::Unchecked);  // not the range
  dialog->writeButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == QString::fromUtf8("组态已写入"); },
                              kReplyWaitMs * 10))
      << status().toStdString();
  EXPECT_EQ(recorder.withCommand(18).size(), 1u);  // tag, descriptor, date
  EXPECT_EQ(recorder.withCommand(35).size(), 0u);  // the range stays
  EXPECT_EQ(session->data().tag, "NEW-TAG");
  EXPECT_EQ(session->data().upperRange, 100.0f);

  // Another model: refused, with only command 0 sent for it.
  chosenFile = ChangedCopy(dir.filePath("pt.json"), "other.json", [](QJsonObject& c) {
    QJsonObject identity = c["identity"].toObject();
    identity["deviceType"] = 0x11;
    c["identity"] = identity;
  });
  recorder.sent.clear();
  frame->findChild<QAction*>(QStringLiteral("actionLoadConfig"))->trigger();
  QMessageBox* box = WaitForMessageBox(kReplyWaitMs * 6);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->text().contains("0x11")) << box->text().toStdString();
  for (const SentRequest& request : recorder.sent) EXPECT_EQ(request.command, 0);
}

// A spare of the same model: a confirmation naming both instruments; No
// loads nothing, Yes goes on to the differences.
TEST_F(GuiFiles, ASpareIsLoadedOnlyWithConsent) {
  connectTo({0, 3});
  chosenFile = dir.filePath("pt-0.json");
  frame->findChild<QAction*>(QStringLiteral("actionSaveConfig"))->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == savedStatus(); }, kReplyWaitMs * 6));
  view->tabHart()->refillPollAddresses({{"3 ", 3}});
  for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
    recorder.sent.clear();
    frame->findChild<QAction*>(QStringLiteral("actionLoadConfig"))->trigger();
    QMessageBox* box = WaitForMessageBox(kReplyWaitMs * 6);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("010203") && box->text().contains("010206"))
        << box->text().toStdString();
    EXPECT_TRUE(box->text().contains(QString::fromUtf8("设备ID 010206")))
        << box->text().toStdString();  // in the window's language
    box->button(answer)->click();
    QTest::qWait(300);
    auto* dialog = frame->findChild<LoadDialog*>();
    if (answer == QMessageBox::No) {
      EXPECT_EQ(dialog, nullptr);
      for (const SentRequest& request : recorder.sent) EXPECT_EQ(request.command, 0);
      continue;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return (dialog = frame->findChild<LoadDialog*>()); },
                                kReplyWaitMs * 6));
    EXPECT_EQ(dialog->table()->item(0, 2)->text(), "PT-00");
    // Two instruments must not end up with one tag: the tag is not written
    // unless chosen; the rest is.
    EXPECT_EQ(dialog->table()->item(0, 0)->checkState(), Qt::Unchecked);
    for (int row = 1; row < dialog->table()->rowCount(); ++row) {
      EXPECT_EQ(dialog->table()->item(row, 0)->checkState(), Qt::Checked) << row;
    }
    dialog->cancelButton()->click();
  }
}

}  // namespace
}  // namespace vantrel::testing
