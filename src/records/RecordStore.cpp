#include "records/RecordStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

#include <atomic>

#include "records/RecordSql.h"

namespace vantrel {
namespace {

using records::Side;

// After a failed try the next record written tries the team database again
// only this much later, so that writing records does not wait out the
// connect timeout every time; push() always tries.
constexpr qint64 kRetryAfterMs = 30000;

QString NextConnectionName(const char* kind) {
  static std::atomic<int> count{0};
  return QStringLiteral("vantrel-records-%1-%2").arg(QLatin1String(kind)).arg(++count);
}

// Qt wants every handle of a connection gone before it is removed: the one
// here lives in its own scope.
void RemoveConnection(const QString& name) {
  if (!QSqlDatabase::contains(name)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(name, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

bool SetError(QString* error, const QString& text) {
  if (error) *error = text;
  return false;
}

int Refuse(QString* error, const QString& text) {
  SetError(error, text);
  return -1;
}

QString NotOpen() {
  return QStringLiteral("记录库未打开");
}

// A file with something in it must begin as every SQLite database does; an
// empty or missing one becomes a new store.
bool LooksLikeSqlite(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return true;
  if (!info.isFile()) return false;
  if (info.size() == 0) return true;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return true;  // SQLite then says why it cannot open it
  return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

}  // namespace

struct RecordStore::Impl {
  QString localName = NextConnectionName("local");
  QString teamName = NextConnectionName("team");
  QString path;
  bool isOpen = false;
  std::optional<DatabaseAddress> team;
  bool teamOpen = false;
  bool reachable = false;
  bool caughtUp = false;  // a push found nothing else waiting, and no try failed since
  bool warned = false;
  QString warning;
  QElapsedTimer sinceFailure;  // invalid while no try has failed since setTeam

  QSqlDatabase local() const { return QSqlDatabase::database(localName, false); }
  QString writeFailed(const QString& why) const {
    return QStringLiteral("无法写入 %1：%2").arg(path, why);
  }
  bool openLocal(const QString& file, QString* error);
  bool openTeam(QString* error);
  void teamFailed();
  void afterWrite(const records::Pending* written);
  int push(QString* error);
  int send(const records::Pending& pending, QString* error);
};

// The version is read before anything is written, so that a file this
// program must refuse is left exactly as it was.
bool RecordStore::Impl::openLocal(const QString& file, QString* error) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), localName);
  db.setDatabaseName(file);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
  if (!db.open()) {
    return SetError(error, QStringLiteral("无法打开 %1：%2").arg(file, db.lastError().text()));
  }
  QString why;
  const int version = records::SchemaVersion(db, &why);
  if (version == records::kForeignSchema) {
    return SetError(error, QStringLiteral("%1 不是记录数据库").arg(file));
  }
  if (version < 0) return SetError(error, QStringLiteral("无法读取 %1：%2").arg(file, why));
  if (version > records::kSchemaVersion) {
    return SetError(error, QStringLiteral("%1 由较新版本的程序创建（记录库版本 %2，本程序为 %3）")
                               .arg(file)
                               .arg(version)
                               .arg(records::kSchemaVersion));
  }
  QSqlQuery pragma(db);
  if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !pragma.next() ||
      pragma.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0 ||
      !pragma.exec(QStringLiteral("PRAGMA synchronous=FULL"))) {
    return SetError(error, QStringLiteral("无法打开 %1：%2").arg(file, pragma.lastError().text()));
  }
  pragma.finish();
  if (!records::Migrate(db, Side::Local, &why)) {
    return SetError(error, QStringLiteral("无法更新 %1：%2").arg(file, why));
  }
  return true;
}

bool RecordStore::Impl::openTeam(QString* error) {
  if (teamOpen) return true;
  RemoveConnection(teamName);
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), teamName);
  records::ConfigureTeamConnection(db, *team);
  if (!db.open()) return SetError(error, db.lastError().text());
  if (!records::Migrate(db, Side::Team, error)) return false;
  teamOpen = true;
  return true;
}

void RecordStore::Impl::teamFailed() {
  RemoveConnection(teamName);
  teamOpen = false;
  reachable = false;
  caughtUp = false;
  sinceFailure.start();
  if (!warned) {
    warned = true;
    warning = QStringLiteral("团队数据库不可用，记录保存在本机");
  }
}

// The record just written goes to the team database now, unless the last
// try failed a moment ago. Until a push has found nothing else waiting (at
// the first write, after a failure) everything the team database lacks goes
// with it; after that the record alone, so that a write does not read the
// whole journal. `written` null: look for everything.
void RecordStore::Impl::afterWrite(const records::Pending* written) {
  if (!team) return;
  if (!reachable && sinceFailure.isValid() && sinceFailure.elapsed() < kRetryAfterMs) return;
  if (caughtUp && written) {
    send(*written, nullptr);
  } else {
    push(nullptr);
  }
}

int RecordStore::Impl::push(QString* error) {
  if (!isOpen) return Refuse(error, NotOpen());
  if (!team) return Refuse(error, QStringLiteral("未设置团队数据库"));
  QSqlDatabase db = local();
  records::Pending pending;
  QString why;
  if (!records::ReadPending(db, &pending, &why)) {
    return Refuse(error, QStringLiteral("无法读取 %1：%2").arg(path, why));
  }
  const int added = send(pending, error);
  caughtUp = added >= 0;
  return added;
}

// The team database is given the records first and they are noted as pushed
// after: a push cut between the two sends them again, and the team database
// keeps the ones it has.
int RecordStore::Impl::send(const records::Pending& pending, QString* error) {
  int added = 0;
  QString why;
  bool sent = openTeam(&why);
  if (sent) {
    QSqlDatabase teamDb = QSqlDatabase::database(teamName, false);
    sent = records::SendPending(teamDb, pending, &added, &why);
  }
  if (!sent) {
    teamFailed();
    return Refuse(error, QStringLiteral("团队数据库不可用（%1）：%2").arg(team->text(), why));
  }
  reachable = true;
  QSqlDatabase db = local();
  if (!records::MarkPushed(db, pending, &why)) return Refuse(error, writeFailed(why));
  return added;
}

QString RecordStore::defaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/vantrel/records.sqlite");
}

RecordStore::RecordStore() : impl_(new Impl) {}

RecordStore::~RecordStore() {
  RemoveConnection(impl_->localName);
  RemoveConnection(impl_->teamName);
  delete impl_;
}

bool RecordStore::open(const QString& path, QString* error) {
  RemoveConnection(impl_->localName);
  impl_->isOpen = false;
  const QFileInfo info(path);
  const QString file = info.absoluteFilePath();
  if (!QDir().mkpath(info.absolutePath())) {
    return SetError(error, QStringLiteral("无法创建文件夹 %1").arg(info.absolutePath()));
  }
  if (!LooksLikeSqlite(file)) return SetError(error, QStringLiteral("%1 不是记录数据库").arg(file));
  if (!impl_->openLocal(file, error)) {
    RemoveConnection(impl_->localName);
    return false;
  }
  impl_->path = file;
  impl_->isOpen = true;
  return true;
}

void RecordStore::setTeam(const DatabaseAddress& address) {
  RemoveConnection(impl_->teamName);
  impl_->team = address;
  impl_->teamOpen = false;
  impl_->reachable = false;
  impl_->caughtUp = false;
  impl_->sinceFailure.invalidate();
}

bool RecordStore::teamSet() const {
  return impl_->team.has_value();
}

bool RecordStore::reachable() const {
  return impl_->reachable;
}

QString RecordStore::takeTeamWarning() {
  QString warning;
  warning.swap(impl_->warning);
  return warning;
}

bool RecordStore::addJournalLine(const std::string& line, QString* error) {
  if (!impl_->isOpen) return SetError(error, NotOpen());
  QSqlDatabase db = impl_->local();
  QString why;
  records::Pending written;
  bool ok = records::Begin(db, &why);
  if (ok) {
    const qint64 seq = records::NextJournalSeq(db, &why);
    written.journal.push_back(records::NewJournalRow(line));
    ok = seq > 0 &&
         records::Writer(db, Side::Local).journalLine(written.journal.back(), seq, nullptr, &why);
    if (ok) {
      ok = records::Commit(db, &why);
    } else {
      records::Rollback(db);
    }
  }
  if (!ok) return SetError(error, impl_->writeFailed(why));
  impl_->afterWrite(&written);
  return true;
}

std::vector<std::string> RecordStore::journalLines() const {
  if (!impl_->isOpen) return {};
  QSqlDatabase db = impl_->local();
  return records::ReadJournalLines(db);
}

bool RecordStore::importJournalFile(const QString& path, QString* error) {
  if (!impl_->isOpen) return SetError(error, NotOpen());
  const QString name = QFileInfo(path).absoluteFilePath();
  QSqlDatabase db = impl_->local();
  QString why;
  bool imported = false;
  if (!records::WasImported(db, name, &imported, &why)) return SetError(error, why);
  if (imported) return true;
  QFile file(name);
  if (!file.exists()) return true;  // no journal was ever written there
  if (!file.open(QIODevice::ReadOnly)) {
    return SetError(error, QStringLiteral("无法读取 %1：%2").arg(name, file.errorString()));
  }
  QList<QByteArray> lines = file.readAll().split('\n');
  if (file.error() != QFileDevice::NoError) {
    return SetError(error, QStringLiteral("无法读取 %1：%2").arg(name, file.errorString()));
  }
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();  // after the last line end
  if (!records::ImportLines(db, name, lines, &why)) return SetError(error, impl_->writeFailed(why));
  impl_->afterWrite(nullptr);
  return true;
}

bool RecordStore::addCheck(CheckRecord& record, QString* error) {
  if (!impl_->isOpen) return SetError(error, NotOpen());
  if (record.uuid.isEmpty()) record.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
  if (!record.time.isValid()) record.time = QDateTime::currentDateTime();
  QSqlDatabase db = impl_->local();
  QString why;
  int added = 0;
  bool ok = records::Begin(db, &why);
  if (ok) {
    ok = records::Writer(db, Side::Local).check(record, &added, &why);
    if (ok && added == 0) ok = SetError(&why, QStringLiteral("记录 %1 已存在").arg(record.uuid));
    if (ok) {
      ok = records::Commit(db, &why);
    } else {
      records::Rollback(db);
    }
  }
  if (!ok) return SetError(error, impl_->writeFailed(why));
  records::Pending written;
  written.checks.push_back(record);
  impl_->afterWrite(&written);
  return true;
}

std::vector<CheckRecord> RecordStore::checks(const CheckFilter& filter) const {
  if (!impl_->isOpen) return {};
  QSqlDatabase db = impl_->local();
  return records::ReadChecks(db, filter);
}

std::optional<CheckRecord> RecordStore::check(const QString& uuid) const {
  if (!impl_->isOpen || uuid.isEmpty()) return std::nullopt;
  QSqlDatabase db = impl_->local();
  std::vector<CheckRecord> found = records::ReadChecks(db, CheckFilter(), uuid);
  if (found.empty()) return std::nullopt;
  return std::move(found.front());
}

bool RecordStore::noteInstrument(const QString& longAddress, const QString& tag,
                                 const QDateTime& seen, QString* error) {
  if (!impl_->isOpen) return SetError(error, NotOpen());
  if (longAddress.isEmpty()) return SetError(error, QStringLiteral("仪表没有长地址"));
  const QDateTime when = seen.isValid() ? seen : QDateTime::currentDateTime();
  QSqlDatabase db = impl_->local();
  QString why;
  const records::InstrumentRow row{longAddress, tag, when.toUTC().toString(Qt::ISODateWithMs)};
  if (!records::Writer(db, Side::Local).instrument(row, nullptr, &why)) {
    return SetError(error, impl_->writeFailed(why));
  }
  records::Pending written;
  written.instruments.push_back(row);
  impl_->afterWrite(&written);
  return true;
}

int RecordStore::push(QString* error) {
  return impl_->push(error);
}

}  // namespace vantrel
