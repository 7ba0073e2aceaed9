// The change journal on disk: a record is one whole line; a cut-off last line
// costs only itself; the roll-over keeps every file; a journal that cannot be
// written says why.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "config/Journal.h"

namespace vantrel {
namespace {

TEST(Journal, ARecordIsOneLineWithItsFieldsInOrder) {
  JournalRecord r;
  r.time = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::OffsetFromUTC, 8 * 3600);
  r.port = "/dev/ttyUSB0";
  r.longAddress = "0x5a 0x10 0x01 0x02 0x03";
  r.tag = "PT-101";
  r.op = OP_WRITE_CONFIG;
  DeviceData before;
  before.unitIndex = 5;
  before.upperRangeText = "100.0";
  before.readFields = kRangeFields;  // read from the instrument written
  DeviceData sent = before;
  sent.unitIndex = 6;
  sent.upperRangeText = "0.25";
  sent.lowerRangeText = "0";
  sent.dampingText = "abc";
  r.before = JournalValuesOf(OP_WRITE_CONFIG, before, true);
  r.sent = JournalValuesOf(OP_WRITE_CONFIG, sent, false);
  r.status = "修改失败";
  r.result = "no-reply";
  EXPECT_EQ(JournalLine(r),
            "{\"time\": \"2026-12-08T09:30:00+08:00\", \"port\": \"/dev/ttyUSB0\", "
            "\"longAddress\": \"0x5a 0x10 0x01 0x02 0x03\", \"tag\": \"PT-101\", "
            "\"operation\": \"write-config\", "
            "\"sent\": {\"unit\": \"MPa\", \"upper\": 0.25, \"lower\": 0, \"damping\": \"abc\"}, "
            "\"before\": {\"unit\": \"kPa\", \"upper\": 100}, \"status\": \"修改失败\", "
            "\"result\": \"no-reply\", \"outcome\": \"unknown\", \"response\": null, "
            "\"deviceStatus\": null}");
  EXPECT_TRUE(JournalValuesOf(OP_READ_CONFIG, sent, false).empty());
  // What was never read (a fresh start's date, a typed range) is no "before".
  DeviceData unread = before;
  unread.readFields = kNoFields;
  EXPECT_TRUE(JournalValuesOf(OP_WRITE_CONFIG, unread, true).empty());
  EXPECT_TRUE(JournalValuesOf(OP_WRITE_DEVICE_INFO, DeviceData{}, true).empty());
  EXPECT_FALSE(IsJournaled(OP_READ_CONFIG));
  EXPECT_TRUE(IsJournaled(OP_CLEAR_ZERO));
}

TEST(Journal, ACutOffLastLineIsSkippedWithAWarning) {
  QTemporaryDir dir;
  const QString path = dir.filePath("journal.jsonl");
  Journal journal(path);
  ASSERT_TRUE(journal.append("{\"operation\": \"write-gain\"}", nullptr));
  ASSERT_TRUE(journal.append("{\"operation\": \"clear-zero\"}", nullptr));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("{\"operation\": \"write-con");  // the program ended here
  file.close();

  const JournalContents contents = ReadJournal(path);
  ASSERT_EQ(contents.records.size(), 2u);
  EXPECT_EQ(contents.records[1]["operation"].toString(), "clear-zero");
  EXPECT_EQ(contents.warnings, std::vector<std::string>{"line 3: cut off, skipped"});
  EXPECT_TRUE(ReadJournal(dir.filePath("none.jsonl")).records.empty());
}

TEST(Journal, RollsOverAtItsSizeAndKeepsEveryFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("journal.jsonl");
  Journal journal(path, 100);
  const std::string line =
      "{\"operation\": \"write-config\", \"padding\": \"" + std::string(30, 'x') + "\"}";
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(journal.append(line, nullptr)) << i;
  const QStringList files =
      QDir(dir.path()).entryList({QStringLiteral("journal*.jsonl")}, QDir::Files, QDir::Name);
  ASSERT_EQ(files.size(), 3) << files.join(' ').toStdString();  // 2 + 2 + 1 records
  EXPECT_TRUE(files[0].startsWith("journal-"));
  EXPECT_EQ(files.last(), "journal.jsonl");
  std::size_t records = 0;
  for (const QString& name : files) records += ReadJournal(dir.filePath(name)).records.size();
  EXPECT_EQ(records, 5u);
}

TEST(Journal, AJournalThatCannotBeWrittenSaysWhy) {
  QTemporaryDir dir;
  QFile blocker(dir.filePath("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  Journal journal(dir.filePath("file/vantrel/journal.jsonl"));  // under a file
  QString error;
  EXPECT_FALSE(journal.append("{}", &error));
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace vantrel
