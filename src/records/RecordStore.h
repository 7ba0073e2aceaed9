// The records of the calibration bench and the change journal in one store:
// a SQLite file on the laptop, written first and always, and, where one is
// set, a team's PostgreSQL database that gets every record too when it can
// be reached and the ones it lacks once it can again. The same schema and
// the same statements on both; every record carries a UUID, so a record
// pushed twice is there once.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// postgresql://USER@HOST[:PORT]/DBNAME or postgresql://USER@%2FSOCKETDIR/DBNAME
// (a Unix socket folder), with `?sslmode=MODE` allowed. No password: libpq
// takes it from ~/.pgpass or PGPASSFILE.
struct DatabaseAddress {
  QString user;
  QString host;       // empty when socketDir is set
  QString socketDir;  // the folder of the server's Unix socket
  int port = 5432;
  QString database;
  QString sslMode;  // empty: libpq's default

  QString text() const;  // the address as it is written, for messages
};

// The address, or nullopt with why in `error`.
std::optional<DatabaseAddress> ParseDatabaseAddress(const QString& text, QString* error);

// One point of a check.
struct CheckPoint {
  double nominal = 0;             // mA for a loop check, % of range for a pressure check
  double reference = 0;           // the reference value applied or read (mA, or range unit)
  double reading = 0;             // what the check compares with nominal: mA, or range unit
  double error = 0;               // reading - expected, in the point's unit
  double errorPercentOfSpan = 0;  // of the 16 mA span, or of the range's span
  bool pass = false;
};

// A check as found or as left. Never edited: a correction is a new record
// naming the one it corrects.
struct CheckRecord {
  QString uuid;       // given by addCheck when empty
  QString kind;       // "loop-check" or "pressure-check"
  QString stage;      // "as-found" or "as-left"
  QString asFoundOf;  // the as-found record an as-left one follows; empty for none
  QString corrects;   // the record this one corrects; empty for none
  QDateTime time;
  // The instrument: long address as the journal writes it
  // ("0x5a 0x10 0x01 0x02 0x03"), tag, HART revision.
  QString longAddress;
  QString tag;
  int hartRevision = 0;
  double rangeLower = 0;
  double rangeUpper = 0;
  QString unit;
  // The reference: its name, serial number, the due date of its certificate.
  QString referenceName;
  QString referenceSerial;
  std::optional<QDate> referenceDue;
  QString technician;
  QString notes;
  double toleranceLower = -0.25;  // % of span
  double toleranceUpper = 0.25;
  std::vector<CheckPoint> points;
  bool pass = false;
  QString programVersion;
};

struct CheckFilter {
  QString tag;                 // empty: every tag
  std::optional<QDate> since;  // the first day listed
};

class RecordStore {
 public:
  // GenericDataLocation/vantrel/records.sqlite (XDG_DATA_HOME on Linux).
  static QString defaultPath();

  RecordStore();
  ~RecordStore();
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  // Opens (or makes) the local file: WAL, synchronous FULL, the schema made
  // or migrated to this program's version. A file that is no database, or
  // of a newer schema, is refused with why and left as it is.
  bool open(const QString& path, QString* error);

  // The team database to copy every record to. Not reachable now is no
  // failure: records wait locally; reachable() says how the last try went.
  void setTeam(const DatabaseAddress& address);
  bool teamSet() const;
  bool reachable() const;
  // Once per store when the team database could not be reached: the text
  // for the user ("团队数据库不可用，记录保存在本机"); empty otherwise.
  QString takeTeamWarning();

  // A journal record: its JSON line exactly as the journal file holds it
  // (without the line end). Locally first, then to the team database.
  bool addJournalLine(const std::string& line, QString* error);
  // Every journal line, in the order written (those of an imported file
  // first, byte for byte as they stood, a cut last line included).
  std::vector<std::string> journalLines() const;
  // Imports `path` (journal.jsonl) into the journal once: a store that has
  // imported a file of that name before does nothing. The file stays.
  bool importJournalFile(const QString& path, QString* error);

  // A check record, given a UUID when it has none. Locally first (the call
  // returns only once it is on disk), then to the team database.
  bool addCheck(CheckRecord& record, QString* error);
  std::vector<CheckRecord> checks(const CheckFilter& filter) const;
  std::optional<CheckRecord> check(const QString& uuid) const;

  // The instrument seen: its long address, tag and when.
  bool noteInstrument(const QString& longAddress, const QString& tag, const QDateTime& seen,
                      QString* error);

  // Copies to the team database every record it does not hold yet; the
  // number copied, or -1 with why.
  int push(QString* error);

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace vantrel
