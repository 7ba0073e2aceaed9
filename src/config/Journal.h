// The change journal: one record for every operation that wrote to an
// instrument, fixed its loop current or calibrated it, whatever came of it,
// for proving afterwards what was done to which instrument. JSON Lines, one
// record a line, each written whole and flushed to disk before the result is
// shown; rolled over at 10 MB, never deleted.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/DeviceData.h"
#include "engine/OperationCode.h"

namespace vantrel {

// Named values, each as JSON text: {"upper", "100"}, {"tag", "\"PT-101\""}.
using JournalValues = std::vector<std::pair<std::string, std::string>>;

// True for the operations the journal records.
bool IsJournaled(OperationCode op);

// The values `op` sends, taken from `data`. With `knownOnly`, values the
// program has not read or been given (empty texts, nothing selected) are
// left out: what it showed before an operation, where it knows it.
JournalValues JournalValuesOf(OperationCode op, const DeviceData& data, bool knownOnly);

struct JournalRecord {
  QDateTime time;
  std::string port;
  std::string longAddress;  // "0x5a 0x10 0x01 0x02 0x03"; empty when none was read
  std::string tag;          // as last read; empty when none was read
  OperationCode op = OP_COMM_TEST;
  JournalValues sent;
  JournalValues before;
  std::string status;  // the status text
  std::string result;  // "success", "failure", "no-reply", "interrupted"
  std::optional<std::uint8_t> responseCode;
  std::optional<std::uint8_t> deviceStatus;
};

// The record as one line of JSON, without the line end.
std::string JournalLine(const JournalRecord& record);

class Journal {
 public:
  static constexpr qint64 kRollOverBytes = 10 * 1024 * 1024;

  // GenericDataLocation/vantrel/journal.jsonl
  // (~/.local/share/vantrel/journal.jsonl on Linux).
  static QString defaultPath();

  explicit Journal(QString path, qint64 rollOverBytes = kRollOverBytes);
  virtual ~Journal() = default;

  // Appends `line` whole, flushed to disk, on a line of its own even after a
  // last line cut off. A journal that has reached the roll-over size is
  // first renamed with the time (journal-20261208-093000.jsonl). False, with
  // why, when it cannot be written.
  virtual bool append(const std::string& line, QString* error);
  const QString& path() const { return path_; }

 private:
  bool rollOver(QString* error);

  QString path_;
  qint64 rollOverBytes_;
};

struct JournalContents {
  std::vector<QJsonObject> records;   // in the order written
  std::vector<std::string> warnings;  // lines skipped, and why
  QString error;                      // the journal cannot be read at all
};

// Reads a journal. A line that is cut off (the program ended while writing
// it) or is not a record is skipped with a warning; every other is read.
JournalContents ReadJournal(const QString& path);
// The same for lines already split (without their line ends); the last one
// is the one that may have been cut off.
JournalContents ParseJournalLines(const QList<QByteArray>& lines);

// The records from `since` on (all without it), oldest first: as stored, a
// JSON object a line, or as CSV with a header line (objects as compact JSON).
std::string FormatJournal(const JournalContents& journal, bool csv, std::optional<QDate> since);

}  // namespace vantrel
