// The change journal kept in the record store: each record the JSON line the
// journal file held, so that `vantrel-cli journal` and the journal viewer
// show what they showed before. The journal.jsonl beside the store (what
// earlier versions wrote) is imported once and left where it is.
#pragma once

#include <optional>
#include <string>

#include "config/Journal.h"
#include "records/RecordStore.h"

namespace vantrel {

class StoreJournal : public Journal {
 public:
  // `storePath`: the store's file. `team`: the team database that gets each
  // record too.
  explicit StoreJournal(QString storePath, std::optional<DatabaseAddress> team = std::nullopt);

  // The store is opened (and the old journal imported) at the first record.
  bool append(const std::string& line, QString* error) override;
  // The instrument met, for the store's list of instruments.
  bool noteInstrument(const QString& longAddress, const QString& tag, QString* error);
  // "团队数据库不可用，记录保存在本机" the first time the team database was
  // not reached; empty otherwise.
  QString takeTeamWarning() { return store_.takeTeamWarning(); }

 private:
  bool openStore(QString* error);

  RecordStore store_;
  std::optional<DatabaseAddress> team_;
  bool open_ = false;
};

// The journal file that earlier versions kept beside the store at `storePath`.
QString OldJournalPath(const QString& storePath);

// Opens the store at `path` and imports the old journal beside it once.
bool OpenJournalStore(RecordStore& store, const QString& path, QString* error);

// The journal at `path`, read the same way whatever holds it: a record
// store's journal when the file is a store (or does not exist yet and is
// named like one), else a journal file.
JournalContents LoadJournal(const QString& path);

}  // namespace vantrel
