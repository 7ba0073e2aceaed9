#include "records/RecordSql.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>

namespace vantrel::records {
namespace {

struct Step {
  int version;     // the schema version the statement belongs to
  bool localOnly;  // made in the local file only
  const char* sql;
};

// Every schema version's statements, oldest first. The SQL is the common
// ground of SQLite and PostgreSQL: TEXT, INTEGER, DOUBLE PRECISION; flags
// are 0 or 1, times ISO 8601 text.
constexpr Step kSteps[] = {
    {1, false, "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"},
    {1, false,
     "CREATE TABLE IF NOT EXISTS journal (uuid TEXT PRIMARY KEY, seq INTEGER NOT NULL, "
     "time TEXT, line TEXT NOT NULL)"},
    {1, false, "CREATE INDEX IF NOT EXISTS journal_seq ON journal (seq)"},
    {1, false,
     "CREATE TABLE IF NOT EXISTS checks (uuid TEXT PRIMARY KEY, kind TEXT NOT NULL, "
     "stage TEXT NOT NULL, as_found_of TEXT, corrects TEXT, time TEXT NOT NULL, "
     "long_address TEXT NOT NULL, tag TEXT NOT NULL, hart_revision INTEGER NOT NULL, "
     "range_lower DOUBLE PRECISION NOT NULL, range_upper DOUBLE PRECISION NOT NULL, "
     "unit TEXT NOT NULL, reference_name TEXT NOT NULL, reference_serial TEXT NOT NULL, "
     "reference_due TEXT, technician TEXT NOT NULL, notes TEXT NOT NULL, "
     "tolerance_lower DOUBLE PRECISION NOT NULL, tolerance_upper DOUBLE PRECISION NOT NULL, "
     "pass INTEGER NOT NULL, program_version TEXT NOT NULL)"},
    {1, false,
     "CREATE TABLE IF NOT EXISTS check_points (check_uuid TEXT NOT NULL REFERENCES checks (uuid), "
     "idx INTEGER NOT NULL, nominal DOUBLE PRECISION NOT NULL, "
     "reference DOUBLE PRECISION NOT NULL, reading DOUBLE PRECISION NOT NULL, "
     "error DOUBLE PRECISION NOT NULL, error_percent_of_span DOUBLE PRECISION NOT NULL, "
     "pass INTEGER NOT NULL, PRIMARY KEY (check_uuid, idx))"},
    {1, false,
     "CREATE TABLE IF NOT EXISTS instruments (long_address TEXT PRIMARY KEY, tag TEXT NOT NULL, "
     "last_seen TEXT NOT NULL)"},
    {1, true, "CREATE TABLE IF NOT EXISTS imports (name TEXT PRIMARY KEY, time TEXT NOT NULL)"},
    {1, true, "CREATE TABLE IF NOT EXISTS pushed (uuid TEXT PRIMARY KEY)"},
    {1, true,
     "CREATE TABLE IF NOT EXISTS pushed_instruments (long_address TEXT PRIMARY KEY, "
     "tag TEXT NOT NULL, last_seen TEXT NOT NULL)"},
};

const QString kCheckColumns = QStringLiteral(
    "uuid, kind, stage, as_found_of, corrects, time, long_address, tag, hart_revision, "
    "range_lower, range_upper, unit, reference_name, reference_serial, reference_due, "
    "technician, notes, tolerance_lower, tolerance_upper, pass, program_version");

bool IsSqlite(const QSqlDatabase& db) {
  return db.driverName() == QLatin1String("QSQLITE");
}

bool Failed(const QSqlQuery& query, QString* error) {
  if (error) *error = query.lastError().text();
  return false;
}

// One number from a query that gives one row; -1 with why.
qint64 Number(QSqlDatabase& db, const QString& sql, QString* error) {
  QSqlQuery query(db);
  if (!query.exec(sql) || !query.next()) {
    Failed(query, error);
    return -1;
  }
  return query.value(0).toLongLong();
}

// A text that may be absent: NULL for none.
QVariant Optional(const QString& text) {
  return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

// Texts as given; a null QString is stored as the empty text.
QVariant Text(const QString& text) {
  return QVariant(text.isNull() ? QStringLiteral("") : text);
}

// A journal line's bytes. Locally valid UTF-8 is stored as text and anything
// else (a line cut inside a character) as the bytes themselves, so that the
// line reads back exactly. PostgreSQL's text holds UTF-8 only: there a broken
// character becomes U+FFFD and a NUL byte too.
QVariant LineValue(const std::string& line, Side side) {
  const QByteArray bytes = QByteArray::fromStdString(line);
  QString text = QString::fromUtf8(bytes);
  if (side == Side::Local) {
    if (text.toUtf8() != bytes) return QVariant(bytes);
    return Text(text);
  }
  text.replace(QChar(0), QChar::ReplacementCharacter);
  return Text(text);
}

// A journal line as read back: the bytes of a BLOB, the UTF-8 of a text.
std::string LineOf(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QByteArray>()) {
    return value.toByteArray().toStdString();
  }
  return value.toString().toUtf8().toStdString();
}

std::vector<CheckPoint> ReadPoints(QSqlQuery& query, const QString& uuid) {
  std::vector<CheckPoint> points;
  query.addBindValue(uuid);
  if (!query.exec()) return points;
  while (query.next()) {
    CheckPoint point;
    point.nominal = query.value(0).toDouble();
    point.reference = query.value(1).toDouble();
    point.reading = query.value(2).toDouble();
    point.error = query.value(3).toDouble();
    point.errorPercentOfSpan = query.value(4).toDouble();
    point.pass = query.value(5).toInt() != 0;
    points.push_back(point);
  }
  return points;
}

// One row of `SELECT kCheckColumns`, without its points.
CheckRecord CheckOf(const QSqlQuery& q) {
  CheckRecord r;
  r.uuid = q.value(0).toString();
  r.kind = q.value(1).toString();
  r.stage = q.value(2).toString();
  r.asFoundOf = q.value(3).toString();
  r.corrects = q.value(4).toString();
  r.time = QDateTime::fromString(q.value(5).toString(), Qt::ISODateWithMs);
  r.longAddress = q.value(6).toString();
  r.tag = q.value(7).toString();
  r.hartRevision = q.value(8).toInt();
  r.rangeLower = q.value(9).toDouble();
  r.rangeUpper = q.value(10).toDouble();
  r.unit = q.value(11).toString();
  r.referenceName = q.value(12).toString();
  r.referenceSerial = q.value(13).toString();
  if (!q.value(14).isNull()) {
    r.referenceDue = QDate::fromString(q.value(14).toString(), Qt::ISODate);
  }
  r.technician = q.value(15).toString();
  r.notes = q.value(16).toString();
  r.toleranceLower = q.value(17).toDouble();
  r.toleranceUpper = q.value(18).toDouble();
  r.pass = q.value(19).toInt() != 0;
  r.programVersion = q.value(20).toString();
  return r;
}

bool RunSteps(QSqlDatabase& db, Side side, int from, QString* error) {
  for (const Step& step : kSteps) {
    if (step.version <= from || (step.localOnly && side != Side::Local)) continue;
    QSqlQuery query(db);
    if (!query.exec(QString::fromLatin1(step.sql))) return Failed(query, error);
  }
  QSqlQuery query(db);
  if (!query.prepare(QStringLiteral("INSERT INTO meta (key, value) VALUES ('schema_version', ?) "
                                    "ON CONFLICT (key) DO UPDATE SET value = excluded.value"))) {
    return Failed(query, error);
  }
  query.addBindValue(QString::number(kSchemaVersion));
  return query.exec() || Failed(query, error);
}

}  // namespace

int SchemaVersion(QSqlDatabase& db, QString* error) {
  const QString metaTables =
      IsSqlite(db)
          ? QStringLiteral(
                "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'meta'")
          : QStringLiteral(
                "SELECT count(*) FROM information_schema.tables "
                "WHERE table_schema = current_schema() AND table_name = 'meta'");
  const qint64 meta = Number(db, metaTables, error);
  if (meta < 0) return -1;
  if (meta == 0) {
    if (!IsSqlite(db)) return 0;
    const qint64 objects = Number(db, QStringLiteral("SELECT count(*) FROM sqlite_master"), error);
    if (objects < 0) return -1;
    return objects == 0 ? 0 : kForeignSchema;
  }
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'schema_version'"))) {
    Failed(query, error);
    return -1;
  }
  if (!query.next()) return kForeignSchema;
  bool ok = false;
  const int version = query.value(0).toString().toInt(&ok);
  return ok && version > 0 ? version : kForeignSchema;
}

bool Migrate(QSqlDatabase& db, Side side, QString* error) {
  if (!Begin(db, error)) return false;
  // Read again inside the transaction: another program may have made the
  // schema since the caller looked.
  const int from = SchemaVersion(db, error);
  bool ok = from >= 0 && from <= kSchemaVersion;
  if (ok && from < kSchemaVersion) ok = RunSteps(db, side, from, error);
  if (ok) return Commit(db, error);
  if (error && from > kSchemaVersion) {
    *error = QStringLiteral("由较新版本的程序创建（记录库版本 %1，本程序为 %2）")
                 .arg(from)
                 .arg(kSchemaVersion);
  } else if (error && from == kForeignSchema) {
    *error = QStringLiteral("不是记录数据库");
  }
  Rollback(db);
  return false;
}

bool Begin(QSqlDatabase& db, QString* error) {
  if (IsSqlite(db)) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("BEGIN IMMEDIATE")) || Failed(query, error);
  }
  if (db.transaction()) return true;
  if (error) *error = db.lastError().text();
  return false;
}

bool Commit(QSqlDatabase& db, QString* error) {
  if (db.commit()) return true;
  if (error) *error = db.lastError().text();
  Rollback(db);
  return false;
}

void Rollback(QSqlDatabase& db) {
  db.rollback();
}

void ConfigureTeamConnection(QSqlDatabase& db, const DatabaseAddress& address) {
  // Qt's PostgreSQL driver hands a host beginning with '/' to libpq, which
  // takes it as the folder of the server's socket.
  db.setHostName(address.socketDir.isEmpty() ? address.host : address.socketDir);
  db.setPort(address.port);
  db.setUserName(address.user);
  db.setDatabaseName(address.database);
  QString options = QStringLiteral("connect_timeout=3");
  if (!address.sslMode.isEmpty())
    options.prepend(QStringLiteral("sslmode=%1;").arg(address.sslMode));
  db.setConnectOptions(options);
}

QString TimeText(const QDateTime& time) {
  return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

qint64 NextJournalSeq(QSqlDatabase& db, QString* error) {
  return Number(db, QStringLiteral("SELECT COALESCE(MAX(seq), 0) + 1 FROM journal"), error);
}

Writer::Writer(const QSqlDatabase& db, Side side)
    : side_(side),
      journal_{QSqlQuery(db)},
      check_{QSqlQuery(db)},
      points_{QSqlQuery(db)},
      instrument_{QSqlQuery(db)} {}

bool Writer::Prepare(Statement& statement, const QString& sql, QString* error) {
  if (statement.prepared) return true;
  statement.prepared = statement.query.prepare(sql);
  return statement.prepared || Failed(statement.query, error);
}

bool Writer::journalLine(const JournalRow& row, qint64 seq, int* added, QString* error) {
  if (!Prepare(journal_,
               QStringLiteral("INSERT INTO journal (uuid, seq, time, line) "
                              "VALUES (?, ?, ?, ?) ON CONFLICT (uuid) DO NOTHING"),
               error)) {
    return false;
  }
  QSqlQuery& query = journal_.query;
  query.addBindValue(row.uuid);
  query.addBindValue(seq);
  query.addBindValue(Optional(row.time));
  query.addBindValue(LineValue(row.line, side_));
  if (!query.exec()) return Failed(query, error);
  if (added) *added += query.numRowsAffected() > 0 ? 1 : 0;
  return true;
}

bool Writer::check(const CheckRecord& r, int* added, QString* error) {
  if (!Prepare(check_,
               QStringLiteral("INSERT INTO checks (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                              "?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uuid) DO NOTHING")
                   .arg(kCheckColumns),
               error)) {
    return false;
  }
  const QVariant values[] = {
      r.uuid,
      Text(r.kind),
      Text(r.stage),
      Optional(r.asFoundOf),
      Optional(r.corrects),
      TimeText(r.time),
      Text(r.longAddress),
      Text(r.tag),
      r.hartRevision,
      r.rangeLower,
      r.rangeUpper,
      Text(r.unit),
      Text(r.referenceName),
      Text(r.referenceSerial),
      Optional(r.referenceDue ? r.referenceDue->toString(Qt::ISODate) : QString()),
      Text(r.technician),
      Text(r.notes),
      r.toleranceLower,
      r.toleranceUpper,
      r.pass ? 1 : 0,
      Text(r.programVersion)};
  QSqlQuery& query = check_.query;
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec()) return Failed(query, error);
  if (query.numRowsAffected() <= 0) return true;  // held already, points and all
  if (added) *added += 1;
  return points(r, error);
}

bool Writer::points(const CheckRecord& record, QString* error) {
  if (!Prepare(points_,
               QStringLiteral("INSERT INTO check_points (check_uuid, idx, nominal, reference, "
                              "reading, error, error_percent_of_span, pass) VALUES "
                              "(?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (check_uuid, idx) DO NOTHING"),
               error)) {
    return false;
  }
  QSqlQuery& query = points_.query;
  for (std::size_t i = 0; i < record.points.size(); ++i) {
    const CheckPoint& point = record.points[i];
    query.addBindValue(record.uuid);
    query.addBindValue(static_cast<int>(i));
    query.addBindValue(point.nominal);
    query.addBindValue(point.reference);
    query.addBindValue(point.reading);
    query.addBindValue(point.error);
    query.addBindValue(point.errorPercentOfSpan);
    query.addBindValue(point.pass ? 1 : 0);
    if (!query.exec()) return Failed(query, error);
  }
  return true;
}

bool Writer::instrument(const InstrumentRow& row, int* added, QString* error) {
  if (!Prepare(instrument_,
               QStringLiteral("INSERT INTO instruments (long_address, tag, last_seen) "
                              "VALUES (?, ?, ?) ON CONFLICT (long_address) DO UPDATE SET "
                              "tag = excluded.tag, last_seen = excluded.last_seen "
                              "WHERE excluded.last_seen > instruments.last_seen OR "
                              "(excluded.last_seen = instruments.last_seen AND "
                              "excluded.tag <> instruments.tag)"),
               error)) {
    return false;
  }
  QSqlQuery& query = instrument_.query;
  query.addBindValue(Text(row.longAddress));
  query.addBindValue(Text(row.tag));
  query.addBindValue(Text(row.lastSeen));
  if (!query.exec()) return Failed(query, error);
  if (added) *added += query.numRowsAffected() > 0 ? 1 : 0;
  return true;
}

JournalRow NewJournalRow(const std::string& line) {
  JournalRow row;
  row.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
  const QJsonDocument record = QJsonDocument::fromJson(QByteArray::fromStdString(line));
  if (record.isObject()) row.time = record.object().value(QLatin1String("time")).toString();
  row.line = line;
  return row;
}

std::vector<std::string> ReadJournalLines(QSqlDatabase& db) {
  std::vector<std::string> lines;
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("SELECT line FROM journal ORDER BY seq, uuid"))) return lines;
  while (query.next()) lines.push_back(LineOf(query.value(0)));
  return lines;
}

std::vector<CheckRecord> ReadChecks(QSqlDatabase& db, const CheckFilter& filter,
                                    const QString& uuid) {
  std::vector<CheckRecord> records;
  QSqlQuery query(db);
  QString sql = QStringLiteral("SELECT %1 FROM checks").arg(kCheckColumns);
  if (!uuid.isEmpty()) {
    sql += QStringLiteral(" WHERE uuid = ?");
  } else if (!filter.tag.isEmpty()) {
    sql += QStringLiteral(" WHERE tag = ?");
  }
  if (!query.prepare(sql + QStringLiteral(" ORDER BY time, uuid"))) return records;
  if (!uuid.isEmpty()) query.addBindValue(uuid);
  if (uuid.isEmpty() && !filter.tag.isEmpty()) query.addBindValue(filter.tag);
  if (!query.exec()) return records;
  QSqlQuery points(db);
  points.prepare(
      QStringLiteral("SELECT nominal, reference, reading, error, error_percent_of_span, pass "
                     "FROM check_points WHERE check_uuid = ? ORDER BY idx"));
  while (query.next()) {
    CheckRecord record = CheckOf(query);
    if (filter.since && record.time.date() < *filter.since) continue;
    record.points = ReadPoints(points, record.uuid);
    records.push_back(std::move(record));
  }
  // The texts sort by the clock of whoever wrote them; the instants decide.
  std::stable_sort(records.begin(), records.end(),
                   [](const CheckRecord& a, const CheckRecord& b) { return a.time < b.time; });
  return records;
}

bool WasImported(QSqlDatabase& db, const QString& name, bool* imported, QString* error) {
  QSqlQuery query(db);
  if (!query.prepare(QStringLiteral("SELECT count(*) FROM imports WHERE name = ?"))) {
    return Failed(query, error);
  }
  query.addBindValue(name);
  if (!query.exec() || !query.next()) return Failed(query, error);
  *imported = query.value(0).toLongLong() > 0;
  return true;
}

bool ImportLines(QSqlDatabase& db, const QString& name, const QList<QByteArray>& lines,
                 QString* error) {
  if (!Begin(db, error)) return false;
  bool imported = false;
  bool ok = WasImported(db, name, &imported, error);
  qint64 seq = ok && !imported ? NextJournalSeq(db, error) : 0;
  ok = ok && seq >= 0;
  Writer writer(db, Side::Local);
  for (qsizetype i = 0; ok && !imported && i < lines.size(); ++i) {
    ok = writer.journalLine(NewJournalRow(lines[i].toStdString()), seq++, nullptr, error);
  }
  if (ok && !imported) {
    QSqlQuery query(db);
    ok = query.prepare(QStringLiteral("INSERT INTO imports (name, time) VALUES (?, ?)"));
    query.addBindValue(name);
    query.addBindValue(TimeText(QDateTime::currentDateTime()));
    ok = (ok && query.exec()) || Failed(query, error);
  }
  if (ok) return Commit(db, error);
  Rollback(db);
  return false;
}

bool ReadPending(QSqlDatabase& local, Pending* pending, QString* error) {
  QSqlQuery query(local);
  if (!query.exec(QStringLiteral("SELECT uuid, time, line FROM journal "
                                 "WHERE uuid NOT IN (SELECT uuid FROM pushed) ORDER BY seq"))) {
    return Failed(query, error);
  }
  while (query.next()) {
    pending->journal.push_back(
        {query.value(0).toString(), query.value(1).toString(), LineOf(query.value(2))});
  }
  if (!query.exec(QStringLiteral("SELECT uuid FROM checks "
                                 "WHERE uuid NOT IN (SELECT uuid FROM pushed) ORDER BY uuid"))) {
    return Failed(query, error);
  }
  while (query.next()) {
    std::vector<CheckRecord> check = ReadChecks(local, CheckFilter(), query.value(0).toString());
    if (!check.empty()) pending->checks.push_back(std::move(check.front()));
  }
  if (!query.exec(QStringLiteral(
          "SELECT long_address, tag, last_seen FROM instruments i WHERE NOT EXISTS "
          "(SELECT 1 FROM pushed_instruments p WHERE p.long_address = i.long_address "
          "AND p.tag = i.tag AND p.last_seen = i.last_seen)"))) {
    return Failed(query, error);
  }
  while (query.next()) {
    pending->instruments.push_back(
        {query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
  }
  return true;
}

bool SendPending(QSqlDatabase& team, const Pending& pending, int* added, QString* error) {
  if (pending.empty()) return true;
  if (!Begin(team, error)) return false;
  qint64 seq = pending.journal.empty() ? 0 : NextJournalSeq(team, error);
  bool ok = seq >= 0;
  Writer writer(team, Side::Team);
  for (const JournalRow& row : pending.journal) {
    ok = ok && writer.journalLine(row, seq++, added, error);
  }
  for (const CheckRecord& check : pending.checks) ok = ok && writer.check(check, added, error);
  for (const InstrumentRow& row : pending.instruments) {
    ok = ok && writer.instrument(row, added, error);
  }
  if (ok) return Commit(team, error);
  Rollback(team);
  return false;
}

bool MarkPushed(QSqlDatabase& local, const Pending& pending, QString* error) {
  if (pending.empty()) return true;
  if (!Begin(local, error)) return false;
  QSqlQuery record(local);
  bool ok = record.prepare(
      QStringLiteral("INSERT INTO pushed (uuid) VALUES (?) ON CONFLICT (uuid) DO NOTHING"));
  std::vector<QString> uuids;
  for (const JournalRow& row : pending.journal) uuids.push_back(row.uuid);
  for (const CheckRecord& check : pending.checks) uuids.push_back(check.uuid);
  for (std::size_t i = 0; ok && i < uuids.size(); ++i) {
    record.addBindValue(uuids[i]);
    ok = record.exec();
  }
  if (!ok) Failed(record, error);
  QSqlQuery instrument(local);
  if (ok && !instrument.prepare(QStringLiteral(
                "INSERT INTO pushed_instruments (long_address, tag, last_seen) VALUES (?, ?, ?) "
                "ON CONFLICT (long_address) DO UPDATE SET tag = excluded.tag, "
                "last_seen = excluded.last_seen"))) {
    ok = Failed(instrument, error);
  }
  for (std::size_t i = 0; ok && i < pending.instruments.size(); ++i) {
    instrument.addBindValue(pending.instruments[i].longAddress);
    instrument.addBindValue(pending.instruments[i].tag);
    instrument.addBindValue(pending.instruments[i].lastSeen);
    ok = instrument.exec() || Failed(instrument, error);
  }
  if (ok) return Commit(local, error);
  Rollback(local);
  return false;
}

}  // namespace vantrel::records
