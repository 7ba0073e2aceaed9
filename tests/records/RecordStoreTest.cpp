// The record store: the team database's address; what it stores and reads
// back, on the local SQLite file and on a team's PostgreSQL database
// (VANTREL_TEST_PG); the files it refuses; and a writer killed mid-record.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

#include "records/RecordSql.h"
#include "records/RecordStore.h"

namespace vantrel {
namespace {

const QString kTeamWarning = QStringLiteral("团队数据库不可用，记录保存在本机");

// ---------------------------------------------------------------- addresses

struct AddressRow {
  const char* text;
  const char* user;  // nullptr: refused, with `why` in the error
  const char* host;
  const char* socketDir;
  int port;
  const char* database;
  const char* sslMode;
  const char* why;
};

const AddressRow kAddressRows[] = {
    {"postgresql://calib@db.plant.local/vantrel", "calib", "db.plant.local", "", 5432, "vantrel",
     "", nullptr},
    {"postgresql://calib@10.0.0.5:6543/records?sslmode=require", "calib", "10.0.0.5", "", 6543,
     "records", "require", nullptr},
    {"postgresql://tech@%2Ftmp%2Fvantrel-pg/vantrel_test", "tech", "", "/tmp/vantrel-pg", 5432,
     "vantrel_test", "", nullptr},
    {"postgresql://tech@%2fvar%2frun%2fpostgresql:5433/team?sslmode=disable", "tech", "",
     "/var/run/postgresql", 5433, "team", "disable", nullptr},
    {"postgresql://calib@[::1]:5432/vantrel?sslmode=verify-full", "calib", "::1", "", 5432,
     "vantrel", "verify-full", nullptr},
    {"postgresql://j%C3%B6rg@db/%E8%AE%B0%E5%BD%95", "jörg", "db", "", 5432, "记录", "", nullptr},
    {"", nullptr, "", "", 0, "", "", "postgresql://"},
    {"postgres://calib@db/vantrel", nullptr, "", "", 0, "", "", "postgresql://"},
    {"mysql://calib@db/vantrel", nullptr, "", "", 0, "", "", "postgresql://"},
    {"postgresql://calib:secret@db/vantrel", nullptr, "", "", 0, "", "", "password"},
    {"postgresql://calib:@db/vantrel", nullptr, "", "", 0, "", "", "password"},
    {"postgresql://db/vantrel", nullptr, "", "", 0, "", "", "no user"},
    {"postgresql://@db/vantrel", nullptr, "", "", 0, "", "", "no user"},
    {"postgresql://calib@/vantrel", nullptr, "", "", 0, "", "", "no host"},
    {"postgresql://calib@db", nullptr, "", "", 0, "", "", "no database"},
    {"postgresql://calib@db/", nullptr, "", "", 0, "", "", "no database"},
    {"postgresql://calib@db/vantrel/extra", nullptr, "", "", 0, "", "", "bad database"},
    {"postgresql://calib@db:0/vantrel", nullptr, "", "", 0, "", "", "bad port"},
    {"postgresql://calib@db:65536/vantrel", nullptr, "", "", 0, "", "", "bad port"},
    {"postgresql://calib@db:54x2/vantrel", nullptr, "", "", 0, "", "", "bad port"},
    {"postgresql://calib@db:+5432/vantrel", nullptr, "", "", 0, "", "", "bad port"},
    {"postgresql://calib@db:/vantrel", nullptr, "", "", 0, "", "", "bad port"},
    {"postgresql://calib@d b/vantrel", nullptr, "", "", 0, "", "", "bad host"},
    {"postgresql://calib@db%2Fx/vantrel", nullptr, "", "", 0, "", "", "bad host"},
    {"postgresql://calib@%2/vantrel", nullptr, "", "", 0, "", "", "%-encoding"},
    {"postgresql://calib@db/vantrel?sslmode=maybe", nullptr, "", "", 0, "", "", "bad sslmode"},
    {"postgresql://calib@db/vantrel?password=x", nullptr, "", "", 0, "", "", "unknown parameter"},
    {"postgresql://calib@%2Ftmp/vantrel?sslmode=disable&connect_timeout=1", nullptr, "", "", 0, "",
     "", "unknown parameter"},
};

void ExpectSameAddress(const DatabaseAddress& a, const DatabaseAddress& b) {
  EXPECT_EQ(a.user, b.user);
  EXPECT_EQ(a.host, b.host);
  EXPECT_EQ(a.socketDir, b.socketDir);
  EXPECT_EQ(a.port, b.port);
  EXPECT_EQ(a.database, b.database);
  EXPECT_EQ(a.sslMode, b.sslMode);
}

TEST(RecordsAddress, TakesTheTwoFormsAndRefusesEverythingElseWithWhy) {
  for (const AddressRow& row : kAddressRows) {
    SCOPED_TRACE(row.text);
    QString error;
    const std::optional<DatabaseAddress> address =
        ParseDatabaseAddress(QString::fromUtf8(row.text), &error);
    if (!row.user) {
      EXPECT_FALSE(address);
      EXPECT_TRUE(error.contains(QString::fromUtf8(row.why))) << error.toStdString();
      continue;
    }
    ASSERT_TRUE(address) << error.toStdString();
    DatabaseAddress expected;
    expected.user = QString::fromUtf8(row.user);
    expected.host = QString::fromUtf8(row.host);
    expected.socketDir = QString::fromUtf8(row.socketDir);
    expected.port = row.port;
    expected.database = QString::fromUtf8(row.database);
    expected.sslMode = QString::fromUtf8(row.sslMode);
    ExpectSameAddress(*address, expected);
    // What text() writes reads back as the same address.
    const std::optional<DatabaseAddress> again = ParseDatabaseAddress(address->text(), &error);
    ASSERT_TRUE(again) << address->text().toStdString() << ": " << error.toStdString();
    ExpectSameAddress(*again, expected);
  }
}

// ------------------------------------------------------------ the databases

// Statements on a SQLite file over a connection of their own.
void RawSql(const QString& path, const QStringList& statements) {
  const QString name = QUuid::createUuid().toString();
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
    for (const QString& statement : statements) {
      QSqlQuery query(db);
      EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

// The first value a query on a SQLite file gives.
QString RawValue(const QString& path, const QString& sql) {
  const QString name = QUuid::createUuid().toString();
  QString value;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    QSqlQuery query(db);
    if (db.open() && query.exec(sql) && query.next()) value = query.value(0).toString();
  }
  QSqlDatabase::removeDatabase(name);
  return value;
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// A database of its own on the cluster VANTREL_TEST_PG names, made for one
// test and dropped after it, and a connection to it that reads what the
// store sent with the store's own readers.
class TeamDatabase {
 public:
  static std::optional<DatabaseAddress> Cluster() {
    const QString text = QString::fromLocal8Bit(qgetenv("VANTREL_TEST_PG"));
    if (text.isEmpty()) return std::nullopt;
    QString error;
    std::optional<DatabaseAddress> address = ParseDatabaseAddress(text, &error);
    EXPECT_TRUE(address) << "VANTREL_TEST_PG: " << error.toStdString();
    return address;
  }

  explicit TeamDatabase(const DatabaseAddress& cluster) : admin_(cluster), address_(cluster) {
    address_.database = QStringLiteral("vt_") + QUuid::createUuid().toString(QUuid::Id128);
  }

  bool create(QString* error) {
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), adminName_);
    records::ConfigureTeamConnection(admin, admin_);
    QSqlQuery query(admin);
    if (!admin.open() || !query.exec(QStringLiteral("CREATE DATABASE ") + address_.database)) {
      *error = admin.lastError().text() + query.lastError().text();
      return false;
    }
    QSqlDatabase team = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), teamName_);
    records::ConfigureTeamConnection(team, address_);
    if (team.open()) return true;
    *error = team.lastError().text();
    return false;
  }

  ~TeamDatabase() {
    QSqlDatabase::removeDatabase(teamName_);
    {
      QSqlDatabase admin = QSqlDatabase::database(adminName_, false);
      QSqlQuery query(admin);
      query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(address_.database));
    }
    QSqlDatabase::removeDatabase(adminName_);
  }

  const DatabaseAddress& address() const { return address_; }
  QSqlDatabase db() const { return QSqlDatabase::database(teamName_, false); }
  qint64 count(const char* table) const {
    QSqlQuery query(db());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))) ||
        !query.next()) {
      return -1;
    }
    return query.value(0).toLongLong();
  }

 private:
  const QString adminName_ = QUuid::createUuid().toString();
  const QString teamName_ = QUuid::createUuid().toString();
  DatabaseAddress admin_;
  DatabaseAddress address_;
};

// ------------------------------------------------------------------ records

CheckRecord SampleCheck() {
  CheckRecord r;
  r.kind = QStringLiteral("pressure-check");
  r.stage = QStringLiteral("as-found");
  r.time = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15, 250), Qt::OffsetFromUTC, 8 * 3600);
  r.longAddress = QStringLiteral("0x5a 0x10 0x01 0x02 0x03");
  r.tag = QStringLiteral("PT-101");
  r.hartRevision = 7;
  r.rangeLower = -0.1;
  r.rangeUpper = 0.25;
  r.unit = QStringLiteral("MPa");
  r.referenceName = QStringLiteral("压力校验仪 \"A\"");
  r.referenceSerial = QStringLiteral("SN-0042'7");
  r.referenceDue = QDate(2027, 3, 31);
  r.technician = QStringLiteral("张伟");
  r.notes = QStringLiteral("第二次检查\n换行, 逗号; 'quote' \\ 😀");
  r.toleranceLower = -0.2;
  r.toleranceUpper = 0.3;
  r.points = {{0, -0.1, 4.000123456789, 0.000123456789, 0.000771604938, true},
              {50, 0.075, 12.000000000000002, 1e-300, -0.1, true},
              {100, 0.25, 20.1, 0.1, 0.625, false}};
  r.pass = false;
  r.programVersion = QStringLiteral("3.2.0.1");
  return r;
}

void ExpectSameCheck(const CheckRecord& a, const CheckRecord& b) {
  SCOPED_TRACE(a.uuid.toStdString());
  EXPECT_EQ(a.uuid, b.uuid);
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_EQ(a.stage, b.stage);
  EXPECT_EQ(a.asFoundOf, b.asFoundOf);
  EXPECT_EQ(a.corrects, b.corrects);
  EXPECT_EQ(a.time, b.time);
  EXPECT_EQ(a.time.offsetFromUtc(), b.time.offsetFromUtc());
  EXPECT_EQ(a.longAddress, b.longAddress);
  EXPECT_EQ(a.tag, b.tag);
  EXPECT_EQ(a.hartRevision, b.hartRevision);
  EXPECT_EQ(a.rangeLower, b.rangeLower);
  EXPECT_EQ(a.rangeUpper, b.rangeUpper);
  EXPECT_EQ(a.unit, b.unit);
  EXPECT_EQ(a.referenceName, b.referenceName);
  EXPECT_EQ(a.referenceSerial, b.referenceSerial);
  EXPECT_EQ(a.referenceDue, b.referenceDue);
  EXPECT_EQ(a.technician, b.technician);
  EXPECT_EQ(a.notes, b.notes);
  EXPECT_EQ(a.toleranceLower, b.toleranceLower);
  EXPECT_EQ(a.toleranceUpper, b.toleranceUpper);
  EXPECT_EQ(a.pass, b.pass);
  EXPECT_EQ(a.programVersion, b.programVersion);
  ASSERT_EQ(a.points.size(), b.points.size());
  for (std::size_t i = 0; i < a.points.size(); ++i) {
    EXPECT_EQ(a.points[i].nominal, b.points[i].nominal) << i;
    EXPECT_EQ(a.points[i].reference, b.points[i].reference) << i;
    EXPECT_EQ(a.points[i].reading, b.points[i].reading) << i;
    EXPECT_EQ(a.points[i].error, b.points[i].error) << i;
    EXPECT_EQ(a.points[i].errorPercentOfSpan, b.points[i].errorPercentOfSpan) << i;
    EXPECT_EQ(a.points[i].pass, b.points[i].pass) << i;
  }
}

std::vector<QString> UuidsOf(const std::vector<CheckRecord>& checks) {
  std::vector<QString> uuids;
  for (const CheckRecord& check : checks) uuids.push_back(check.uuid);
  return uuids;
}

// ------------------------------------------------- the same on both backends

enum class Backend { Sqlite, Postgres };

void PrintTo(Backend backend, std::ostream* out) {
  *out << (backend == Backend::Sqlite ? "SQLite" : "PostgreSQL");
}

// Each test writes through a store on a fresh local file; on the PostgreSQL
// rows the store also has a fresh team database, and what the test reads
// back is what that database holds.
class RecordsRoundTrip : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath(QStringLiteral("records.sqlite"));
    QString error;
    if (GetParam() == Backend::Postgres) {
      const std::optional<DatabaseAddress> cluster = TeamDatabase::Cluster();
      if (!cluster) GTEST_SKIP() << "PostgreSQL not started (VANTREL_TEST_PG unset)";
      team_ = std::make_unique<TeamDatabase>(*cluster);
      ASSERT_TRUE(team_->create(&error)) << error.toStdString();
    }
    ASSERT_TRUE(store_.open(path_, &error)) << error.toStdString();
    if (team_) store_.setTeam(team_->address());
  }

  // The local file read by a second store, or the team database.
  std::vector<CheckRecord> stored(const CheckFilter& filter) {
    if (team_) {
      QSqlDatabase db = team_->db();
      return records::ReadChecks(db, filter);
    }
    RecordStore reader;
    QString error;
    EXPECT_TRUE(reader.open(path_, &error)) << error.toStdString();
    return reader.checks(filter);
  }
  std::vector<std::string> storedLines() {
    if (team_) {
      QSqlDatabase db = team_->db();
      return records::ReadJournalLines(db);
    }
    RecordStore reader;
    QString error;
    EXPECT_TRUE(reader.open(path_, &error)) << error.toStdString();
    return reader.journalLines();
  }

  void expectTeamCounts(qint64 checks, qint64 points, qint64 journal, qint64 instruments) {
    EXPECT_EQ(team_->count("checks"), checks);
    EXPECT_EQ(team_->count("check_points"), points);
    EXPECT_EQ(team_->count("journal"), journal);
    EXPECT_EQ(team_->count("instruments"), instruments);
  }

  // Each record written reached the team database once, as it was written:
  // a push now has nothing to copy.
  void expectAllDeliveredOnce() {
    if (!team_) return;
    QString error;
    EXPECT_TRUE(store_.reachable());
    EXPECT_EQ(store_.push(&error), 0) << error.toStdString();
    EXPECT_EQ(store_.takeTeamWarning(), QString());
    const std::vector<CheckRecord> local = store_.checks(CheckFilter());
    qint64 points = 0;
    for (const CheckRecord& check : local) points += static_cast<qint64>(check.points.size());
    expectTeamCounts(static_cast<qint64>(local.size()), points,
                     static_cast<qint64>(store_.journalLines().size()), 0);
  }

  QTemporaryDir dir_;
  QString path_;
  std::unique_ptr<TeamDatabase> team_;
  RecordStore store_;  // closed before the team database is dropped
};

TEST_P(RecordsRoundTrip, ChecksAndTheirPointsReadBackEqual) {
  CheckRecord asFound = SampleCheck();
  CheckRecord asLeft = SampleCheck();
  asLeft.stage = QStringLiteral("as-left");
  asLeft.time = asFound.time.addSecs(600);
  asLeft.referenceDue.reset();
  asLeft.notes.clear();
  asLeft.pass = true;
  asLeft.points.pop_back();
  CheckRecord correction = asLeft;
  correction.time = asLeft.time.addDays(1).toUTC();
  QString error;
  ASSERT_TRUE(store_.addCheck(asFound, &error)) << error.toStdString();
  asLeft.asFoundOf = asFound.uuid;
  ASSERT_TRUE(store_.addCheck(asLeft, &error)) << error.toStdString();
  correction.asFoundOf = asFound.uuid;
  correction.corrects = asLeft.uuid;
  ASSERT_TRUE(store_.addCheck(correction, &error)) << error.toStdString();
  EXPECT_FALSE(asFound.uuid.isEmpty());
  EXPECT_NE(asFound.uuid, asLeft.uuid);

  const std::vector<CheckRecord> checks = stored(CheckFilter());
  ASSERT_EQ(checks.size(), 3u);
  ExpectSameCheck(checks[0], asFound);
  ExpectSameCheck(checks[1], asLeft);
  ExpectSameCheck(checks[2], correction);
  const std::optional<CheckRecord> one = store_.check(asLeft.uuid);
  ASSERT_TRUE(one);
  ExpectSameCheck(*one, asLeft);
  EXPECT_FALSE(store_.check(QStringLiteral("no-such-record")));

  // A record is never there twice: the same UUID again is refused.
  CheckRecord again = asFound;
  EXPECT_FALSE(store_.addCheck(again, &error));
  EXPECT_TRUE(error.contains(asFound.uuid)) << error.toStdString();
  expectAllDeliveredOnce();
}

TEST_P(RecordsRoundTrip, ChecksFilteredByTagAndFirstDayInTimeOrder) {
  struct Written {
    const char* tag;
    QDateTime time;
  };
  const Written written[] = {
      {"PT-101", QDateTime(QDate(2026, 3, 1), QTime(23, 30), Qt::OffsetFromUTC, 8 * 3600)},
      {"PT-102", QDateTime(QDate(2026, 3, 2), QTime(0, 10), Qt::OffsetFromUTC, 8 * 3600)},
      {"PT-101", QDateTime(QDate(2026, 3, 2), QTime(8, 0), Qt::OffsetFromUTC, 8 * 3600)},
      // Later than all three, but on the 1st where it was written.
      {"PT-101", QDateTime(QDate(2026, 3, 1), QTime(20, 0), Qt::OffsetFromUTC, -5 * 3600)},
  };
  // Written newest first, so that the order read back is the store's doing.
  std::vector<QString> uuids(std::size(written));
  for (std::size_t i = std::size(written); i-- > 0;) {
    CheckRecord record = SampleCheck();
    record.tag = QString::fromLatin1(written[i].tag);
    record.time = written[i].time;
    QString error;
    ASSERT_TRUE(store_.addCheck(record, &error)) << error.toStdString();
    uuids[i] = record.uuid;
  }
  struct Row {
    const char* tag;
    std::optional<QDate> since;
    std::vector<int> expected;
  };
  const Row rows[] = {
      {"", std::nullopt, {0, 1, 2, 3}},         {"PT-101", std::nullopt, {0, 2, 3}},
      {"", QDate(2026, 3, 2), {1, 2}},          {"PT-101", QDate(2026, 3, 2), {2}},
      {"PT-101", QDate(2026, 3, 1), {0, 2, 3}}, {"PT-999", std::nullopt, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.tag) + " " +
                 (row.since ? row.since->toString(Qt::ISODate).toStdString() : ""));
    std::vector<QString> expected;
    for (int index : row.expected) expected.push_back(uuids[index]);
    EXPECT_EQ(UuidsOf(stored({QString::fromLatin1(row.tag), row.since})), expected);
  }
  expectAllDeliveredOnce();
}

TEST_P(RecordsRoundTrip, JournalLinesReadBackInOrderByteForByte) {
  std::vector<std::string> lines;
  for (int i = 0; i < 25; ++i) {
    lines.push_back("{\"time\": \"2026-12-08T12:46:" + std::to_string(10 + i) +
                    "+08:00\", \"operation\": \"write-damping\", \"n\": " + std::to_string(i) +
                    "}");
  }
  lines.push_back(u8"{\"status\": \"设置成功\", \"tag\": \"PT-\\\"00\\\"\", \"x\": \"\t\\\\😀\"}");
  lines.push_back("");
  lines.push_back("not json at all ' \" ;");
  QString error;
  for (const std::string& line : lines) {
    ASSERT_TRUE(store_.addJournalLine(line, &error)) << error.toStdString();
  }
  EXPECT_EQ(storedLines(), lines);
  EXPECT_EQ(store_.journalLines(), lines);
  expectAllDeliveredOnce();
}

TEST_P(RecordsRoundTrip, JournalFileImportedOnceWithItsCutLastLine) {
  const std::string first = u8"{\"time\": \"2026-12-08T12:46:46+08:00\", \"status\": \"设置成功\"}";
  const std::string crlf = "{\"operation\": \"fixed-current\"}\r";
  // Cut inside the three bytes of 败.
  const std::string cut =
      std::string(u8"{\"status\": \"失败").substr(0, std::string(u8"{\"status\": \"失").size() + 2);
  const QString path = dir_.filePath(QStringLiteral("journal.jsonl"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString(first + "\n\n" + crlf + "\n" + cut));
  file.close();
  const QByteArray bytes = FileBytes(path);

  QString error;
  ASSERT_TRUE(store_.importJournalFile(path, &error)) << error.toStdString();
  ASSERT_TRUE(store_.importJournalFile(path, &error)) << error.toStdString();
  ASSERT_TRUE(store_.addJournalLine("{\"after\": 1}", &error)) << error.toStdString();
  ASSERT_TRUE(store_.importJournalFile(path, &error)) << error.toStdString();
  ASSERT_TRUE(store_.importJournalFile(dir_.filePath(QStringLiteral("none.jsonl")), &error));

  // PostgreSQL's text holds UTF-8 only: there the broken character is U+FFFD.
  const std::string cutThere = team_ ? QString::fromUtf8(cut).toUtf8().toStdString() : cut;
  const std::vector<std::string> expected = {first, "", crlf, cutThere, "{\"after\": 1}"};
  EXPECT_EQ(storedLines(), expected);
  EXPECT_EQ(store_.journalLines(),
            (std::vector<std::string>{first, "", crlf, cut, "{\"after\": 1}"}));
  EXPECT_EQ(FileBytes(path), bytes);
  expectAllDeliveredOnce();
}

TEST_P(RecordsRoundTrip, UnreachableTeamKeepsRecordsLocallyThenPushSendsEachOnce) {
  QTemporaryDir nobody;  // a socket folder where no server listens
  DatabaseAddress dead;
  dead.user = QStringLiteral("vantrel");
  dead.socketDir = nobody.path();
  dead.database = QStringLiteral("records");
  store_.setTeam(dead);
  CheckRecord check = SampleCheck();
  QString error;
  ASSERT_TRUE(store_.addCheck(check, &error)) << error.toStdString();
  EXPECT_FALSE(store_.reachable());
  EXPECT_EQ(store_.takeTeamWarning(), kTeamWarning);
  ASSERT_TRUE(store_.addJournalLine("{\"operation\": \"write-damping\"}", &error));
  ASSERT_TRUE(store_.noteInstrument(check.longAddress, check.tag, check.time, &error));
  EXPECT_EQ(store_.push(&error), -1);
  EXPECT_TRUE(error.contains(QStringLiteral("团队数据库不可用"))) << error.toStdString();
  EXPECT_EQ(store_.takeTeamWarning(), QString());
  ASSERT_TRUE(store_.check(check.uuid));
  EXPECT_EQ(store_.journalLines().size(), 1u);
  if (!team_) return;

  store_.setTeam(team_->address());
  EXPECT_EQ(store_.push(&error), 3) << error.toStdString();
  EXPECT_TRUE(store_.reachable());
  expectTeamCounts(1, 3, 1, 1);
  EXPECT_EQ(store_.push(&error), 0) << error.toStdString();
  // A push cut after the team database took the records and before the file
  // noted it: they go again, and the team database keeps one of each.
  RawSql(path_,
         {QStringLiteral("DELETE FROM pushed"), QStringLiteral("DELETE FROM pushed_instruments")});
  EXPECT_EQ(store_.push(&error), 0) << error.toStdString();
  expectTeamCounts(1, 3, 1, 1);
  QSqlDatabase db = team_->db();
  ExpectSameCheck(records::ReadChecks(db, CheckFilter()).at(0), check);
}

INSTANTIATE_TEST_SUITE_P(Backends, RecordsRoundTrip,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                           return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

// ------------------------------------------------------------------- files

struct FileRow {
  const char* name;
  void (*make)(const QString& path);
  const char* why;  // nullptr: opens
};

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

const FileRow kFileRows[] = {
    {"a journal", [](const QString& p) { WriteBytes(p, "{\"time\": \"2026-12-08\"}\n"); },
     "不是记录数据库"},
    {"shorter than the header", [](const QString& p) { WriteBytes(p, "SQLite"); },
     "不是记录数据库"},
    {"another program's SQLite file",
     [](const QString& p) { RawSql(p, {QStringLiteral("CREATE TABLE readings (x REAL)")}); },
     "不是记录数据库"},
    {"a folder", [](const QString& p) { QDir().mkpath(p); }, "不是记录数据库"},
    {"a newer schema",
     [](const QString& p) {
       {
         RecordStore store;
         QString error;
         ASSERT_TRUE(store.open(p, &error)) << error.toStdString();
       }
       RawSql(p, {QStringLiteral("UPDATE meta SET value = '2' WHERE key = 'schema_version'")});
     },
     "由较新版本的程序创建（记录库版本 2，本程序为 1）"},
    {"an empty file", [](const QString& p) { WriteBytes(p, ""); }, nullptr},
};

TEST(RecordsFiles, RefusedWithWhyAndLeftAsTheyWere) {
  for (const FileRow& row : kFileRows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("records.sqlite"));
    row.make(path);
    const QByteArray before = FileBytes(path);
    RecordStore store;
    QString error;
    if (row.why) {
      EXPECT_FALSE(store.open(path, &error));
      EXPECT_TRUE(error.contains(path)) << error.toStdString();
      EXPECT_TRUE(error.contains(QString::fromUtf8(row.why))) << error.toStdString();
      EXPECT_EQ(FileBytes(path), before);
      EXPECT_FALSE(store.addJournalLine("{}", &error));
      continue;
    }
    // An empty file is a store not made yet: it gets this program's schema.
    ASSERT_TRUE(store.open(path, &error)) << error.toStdString();
    ASSERT_TRUE(store.addJournalLine("{}", &error)) << error.toStdString();
    EXPECT_EQ(RawValue(path, QStringLiteral("SELECT value FROM meta WHERE key = 'schema_version'")),
              QStringLiteral("1"));
    RecordStore reopened;
    ASSERT_TRUE(reopened.open(path, &error)) << error.toStdString();
    EXPECT_EQ(reopened.journalLines(), std::vector<std::string>{"{}"});
  }
}

// ------------------------------------------------------------------- crash

TEST(RecordsCrash, WriterKilledMidRecordLeavesEveryCheckWhole) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("records.sqlite"));
  QProcess writer;
  writer.start(QStringLiteral(VANTREL_CRASH_WRITER), {path});
  ASSERT_TRUE(writer.waitForStarted(30000)) << writer.errorString().toStdString();
  // Waits for the writer's own word that 20 records are in, however long
  // that takes on a slow machine.
  QByteArray out;
  const QDeadlineTimer deadline(120000);
  while (!out.contains("written 20\n") && !deadline.hasExpired()) {
    if (!writer.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    out += writer.readAllStandardOutput();
  }
  ASSERT_TRUE(out.contains("written 20\n")) << writer.readAllStandardError().toStdString();
  writer.kill();
  ASSERT_TRUE(writer.waitForFinished(30000));
  EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
  out += writer.readAllStandardOutput();
  const QList<QByteArray> said = out.trimmed().split('\n');
  const int written = said.back().mid(QByteArray("written ").size()).toInt();
  ASSERT_GE(written, 20);

  RecordStore store;
  QString error;
  ASSERT_TRUE(store.open(path, &error)) << error.toStdString();
  const std::vector<CheckRecord> checks = store.checks(CheckFilter());
  // Every record addCheck returned for is there; the one being written when
  // the writer was killed is there whole or not at all.
  EXPECT_GE(checks.size(), static_cast<std::size_t>(written));
  EXPECT_LE(checks.size(), static_cast<std::size_t>(written) + 1);
  for (const CheckRecord& check : checks) {
    SCOPED_TRACE(check.tag.toStdString());
    ASSERT_EQ(check.points.size(), static_cast<std::size_t>(check.notes.toInt()));
    for (std::size_t i = 0; i < check.points.size(); ++i) {
      EXPECT_EQ(check.points[i].nominal, 4.0 + static_cast<double>(i));
    }
  }
}

}  // namespace
}  // namespace vantrel
