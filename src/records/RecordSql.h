// The SQL of the record store, run the same on the local SQLite file and on
// a team's PostgreSQL database: the schema and its migrations, and the
// statements that write and read records on one connection. RecordStore
// decides which connection and when; the tests read a team database with the
// same readers.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "records/RecordStore.h"

namespace vantrel::records {

// The schema this program makes and understands.
constexpr int kSchemaVersion = 1;
// What SchemaVersion says of a SQLite file holding another program's tables.
constexpr int kForeignSchema = -2;

// The local file has the tables that only it keeps (what it imported, what
// the team database has been given); the team database has the records only.
enum class Side { Local, Team };

// The schema version `db` holds: 0 for an empty database, kForeignSchema for
// a SQLite file of someone else's tables, -1 with why when it cannot be read.
int SchemaVersion(QSqlDatabase& db, QString* error);

// Brings the schema to kSchemaVersion in one transaction; false with why,
// and nothing changed, when it cannot (a newer schema included).
bool Migrate(QSqlDatabase& db, Side side, QString* error);

// BEGIN (IMMEDIATE on SQLite, so that another process writing at the same
// time makes this one wait instead of failing half way), COMMIT, ROLLBACK.
bool Begin(QSqlDatabase& db, QString* error);
bool Commit(QSqlDatabase& db, QString* error);
void Rollback(QSqlDatabase& db);

// Host or socket folder, port, user, database and the libpq options of a
// team database; never a password, which libpq takes from ~/.pgpass.
void ConfigureTeamConnection(QSqlDatabase& db, const DatabaseAddress& address);

// A time as the tables hold it: ISO 8601 with milliseconds and the offset
// the time was given in.
QString TimeText(const QDateTime& time);

struct JournalRow {
  QString uuid;
  QString time;  // the line's own "time", empty when it has none
  std::string line;
};

struct InstrumentRow {
  QString longAddress;
  QString tag;
  QString lastSeen;  // UTC, so that the later of two is the greater text
};

// The journal's next seq: one more than its greatest; -1 with why.
qint64 NextJournalSeq(QSqlDatabase& db, QString* error);

// The statements that write records on one connection, each prepared at its
// first use and kept for the writes that follow (an import, a push: on
// PostgreSQL one round trip a record instead of three). Each call adds to
// `*added` 1 for a record the database did not hold and 0 for one it did (a
// record is never there twice); false with why on failure.
class Writer {
 public:
  Writer(const QSqlDatabase& db, Side side);

  bool journalLine(const JournalRow& row, qint64 seq, int* added, QString* error);
  // The check and its points; run it inside a transaction.
  bool check(const CheckRecord& record, int* added, QString* error);
  // Keeps the latest sighting: an older one changes nothing.
  bool instrument(const InstrumentRow& row, int* added, QString* error);

 private:
  struct Statement {
    QSqlQuery query;
    bool prepared = false;
  };
  static bool Prepare(Statement& statement, const QString& sql, QString* error);
  bool points(const CheckRecord& record, QString* error);

  Side side_;
  Statement journal_;
  Statement check_;
  Statement points_;
  Statement instrument_;
};

// A new journal record: a fresh UUID, the line's "time" when it is a JSON
// object that has one.
JournalRow NewJournalRow(const std::string& line);

// Whether the local file has imported the file `name`; false with why.
bool WasImported(QSqlDatabase& db, const QString& name, bool* imported, QString* error);
// The lines into the journal and `name` into imports, in one transaction;
// nothing when `name` was imported in the meantime. False with why.
bool ImportLines(QSqlDatabase& db, const QString& name, const QList<QByteArray>& lines,
                 QString* error);

// What the local file holds that the team database has not been given.
struct Pending {
  std::vector<JournalRow> journal;  // in the order written
  std::vector<CheckRecord> checks;
  std::vector<InstrumentRow> instruments;
  bool empty() const { return journal.empty() && checks.empty() && instruments.empty(); }
};
bool ReadPending(QSqlDatabase& local, Pending* pending, QString* error);
// Everything in `pending` into the team database in one transaction; `added`
// counts the records it did not hold before.
bool SendPending(QSqlDatabase& team, const Pending& pending, int* added, QString* error);
// Notes in the local file that the team database has `pending`.
bool MarkPushed(QSqlDatabase& local, const Pending& pending, QString* error);

std::vector<std::string> ReadJournalLines(QSqlDatabase& db);
// Checks by tag and first day (the day as the record's time gives it),
// oldest first; with `uuid`, only that one.
std::vector<CheckRecord> ReadChecks(QSqlDatabase& db, const CheckFilter& filter,
                                    const QString& uuid = QString());

}  // namespace vantrel::records
