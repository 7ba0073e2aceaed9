#include "records/StoreJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace vantrel {
namespace {

// SQLite files begin with these 16 bytes.
bool IsStoreFile(const QString& path) {
  QFile file(path);
  if (!file.exists()) return path.endsWith(QLatin1String(".sqlite"));
  return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

}  // namespace

StoreJournal::StoreJournal(QString storePath, std::optional<DatabaseAddress> team)
    : Journal(std::move(storePath)), team_(std::move(team)) {}

bool StoreJournal::openStore(QString* error) {
  if (open_) return true;
  if (!OpenJournalStore(store_, path(), error)) return false;
  if (team_) store_.setTeam(*team_);
  open_ = true;
  return true;
}

bool StoreJournal::append(const std::string& line, QString* error) {
  return openStore(error) && store_.addJournalLine(line, error);
}

bool StoreJournal::noteInstrument(const QString& longAddress, const QString& tag, QString* error) {
  return openStore(error) &&
         store_.noteInstrument(longAddress, tag, QDateTime::currentDateTime(), error);
}

QString OldJournalPath(const QString& storePath) {
  return QFileInfo(storePath).dir().filePath(QStringLiteral("journal.jsonl"));
}

bool OpenJournalStore(RecordStore& store, const QString& path, QString* error) {
  return store.open(path, error) && store.importJournalFile(OldJournalPath(path), error);
}

JournalContents LoadJournal(const QString& path) {
  if (!IsStoreFile(path)) return ReadJournal(path);
  JournalContents contents;
  RecordStore store;
  if (!OpenJournalStore(store, path, &contents.error)) return contents;
  QList<QByteArray> lines;
  for (const std::string& line : store.journalLines()) lines << QByteArray::fromStdString(line);
  return ParseJournalLines(lines);
}

}  // namespace vantrel
