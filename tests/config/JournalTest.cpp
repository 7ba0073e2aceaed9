// The change journal on disk: a record is one whole line; a cut-off last line
// costs only itself; the roll-over keeps every file; a journal that cannot be
// written says why.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "config/Journal.h"
#include "config/JournalText.h"

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

// What a record changed, in the pages' words: what changed and nothing else,
// each value in the unit recorded with it; what was not known before has no
// before.
TEST(JournalText, SaysWhatARecordChanged) {
  const struct {
    const char* record;
    const char* text;
  } cases[] = {
      {R"({"operation": "write-config",
           "sent": {"unit": "kPa", "upper": 250, "lower": 0, "damping": 2},
           "before": {"unit": "kPa", "upper": 100, "lower": 0, "damping": 1}})",
       "测量上限 100 → 250 kPa；阻尼时间 1 → 2 s"},
      {R"({"operation": "write-config",
           "sent": {"unit": "MPa", "upper": 0.25, "lower": 0, "damping": 1.5},
           "before": {"unit": "kPa", "upper": 250, "lower": 0, "damping": 1.5}})",
       "单位 kPa → MPa；测量上限 250 kPa → 0.25 MPa；测量下限 0 kPa → 0 MPa"},
      {R"({"operation": "write-config",
           "sent": {"unit": null, "upper": 250, "lower": 0, "damping": "abc"}, "before": {}})",
       "单位 → —；测量上限 → 250；测量下限 → 0；阻尼时间 → abc"},
      {R"({"operation": "write-device-info",
           "sent": {"tag": "NEW-TAG", "descriptor": "", "message": "HELLO", "date": "2026-12-08"},
           "before": {"tag": "PT-00", "message": "HELLO", "date": "2026-12-08"}})",
       "标签 PT-00 → NEW-TAG；描述符 → —"},
      // Nothing changed: every value, once.
      {R"({"operation": "write-gain", "sent": {"gain": "x8"}, "before": {"gain": "x8"}})",
       "放大倍数 x8"},
      {R"({"operation": "write-offset", "sent": {"offset": 0.5}, "before": {"offset": -1}})",
       "偏移值 -1 → 0.5 ℃"},
      {R"({"operation": "fixed-current", "sent": {"current": 12}, "before": {}})",
       "固定电流输出 → 12 mA"},
      {R"({"operation": "fixed-current", "sent": {"current": 0}, "before": {}})",
       "固定电流输出 → 退出"},
      {R"({"operation": "calibrate-current", "sent": {"point": 20, "actual": 20.013}})",
       "输出理论值 → 20 mA；实际电流输出 → 20.013 mA"},
      {R"({"operation": "calibrate-mid", "sent": {"pressure": 50}, "before": {}})",
       "中点压力值 → 50 kPa"},
      {R"({"operation": "write-poll-address",
           "sent": {"pollingAddress": 3, "loopCurrentMode": 0}, "before": {}})",
       "短地址 → 3；回路电流模式 → 禁用"},
      {R"({"operation": "calibrate-resistance",
           "sent": {"row1Adm": 10, "row1Adl": 11, "row2Adm": 20, "row2Adl": 21},
           "before": {"row1Adm": 10, "row1Adl": 12, "row2Adm": 20, "row2Adl": 21}})",
       "ADL1 12 → 11"},
      {R"({"operation": "write-something", "sent": {"speed": 3}, "before": {}})", "speed → 3"},
      {R"({"operation": "clear-zero", "sent": {}, "before": {}})", ""},
  };
  for (const auto& c : cases) {
    QJsonParseError error;
    const QJsonDocument record = QJsonDocument::fromJson(QByteArray(c.record), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << c.record;
    EXPECT_EQ(JournalChangeText(record.object()).toStdString(), c.text) << c.record;
  }
}

}  // namespace
}  // namespace vantrel
