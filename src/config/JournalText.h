// The change journal in the window's words: the operation by its name, what
// it changed as "测量上限 100 → 250 kPa", the instrument by its tag and
// device ID, and the records one instrument or a span of days holds. The
// journal dialog shows and exports through these.
#pragma once

#include <QDate>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

#include "config/Journal.h"

namespace vantrel {

// The record's operation in the window's language: "修改组态" for
// "write-config". A word the program does not know stays as it is.
QString JournalOperationText(const QJsonObject& record);

// What the record's operation sent, against what the instrument held before
// where the program knew it, by the names the pages use:
// "测量上限 100 → 250 kPa；阻尼时间 1 → 2 s". Values that stayed are left
// out unless none changed (then each is shown once); a value without a
// before is "→ 250 kPa". Empty when the operation sends no values.
QString JournalChangeText(const QJsonObject& record);

// The result in words: "成功", "失败", "无应答", "已中断"; another word as
// it is.
QString JournalResultText(const QJsonObject& record);

// The time as "2026-12-08 09:30:00", in the offset it was written with; a
// text that is no time as it is.
QString JournalTimeText(const QJsonObject& record);

// "0x5a 0x10 0x01 0x02 0x03" as "5a10010203": the whole address, short
// enough for a column. A text that is no long address stays as it is.
QString CompactLongAddress(const QString& longAddress);

struct JournalInstrument {
  QString longAddress;  // as the records hold it: what tells instruments apart
  QString tag;          // of its newest record
};

// Every instrument the records name by a long address, the one written
// last first.
std::vector<JournalInstrument> JournalInstruments(const JournalContents& journal);

// "PT-101（010203）": the tag and the device ID (the last three bytes of the
// long address); the device ID alone without a tag.
QString JournalInstrumentText(const JournalInstrument& instrument);

struct JournalFilter {
  QString longAddress;        // empty: every instrument
  std::optional<QDate> from;  // the first day shown, in the record's own offset
  std::optional<QDate> to;    // the last day shown
};

// A record whose time cannot be read matches every span of days: it cannot
// be placed in one, and hiding it would hide it from every filter.
bool JournalMatches(const QJsonObject& record, const JournalFilter& filter);

// The records that match, in the order written.
JournalContents FilteredJournal(const JournalContents& journal, const JournalFilter& filter);

}  // namespace vantrel
