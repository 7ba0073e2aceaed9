// Keeps the change journal for one session: told when an operation starts and
// when it ends, it writes the record of every write, fixed current and
// calibration before the front end shows the result. The window and the
// command line use it alike.
#pragma once

#include <QObject>

#include <memory>
#include <optional>
#include <string>

#include "config/Journal.h"
#include "port/Session.h"

namespace vantrel {

class JournalKeeper : public QObject, private LinkObserver {
  Q_OBJECT

 public:
  JournalKeeper(Session& session, std::unique_ptr<Journal> journal, QObject* parent = nullptr);
  ~JournalKeeper() override;

  // `op` is about to start, its values already in the session's data.
  void starting(OperationCode op);
  // It has ended: writes its record when it is one the journal keeps and it
  // was not refused before sending. False when the record could not be
  // written (the first time, journalFailed is emitted).
  bool ended(const OperationEnd& end);

  const QString& path() const { return journal_->path(); }

 signals:
  void journalFailed(const QString& path, const QString& reason);

 private:
  void frameSent(const std::vector<std::uint8_t>&) override {}
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) override;
  void frameDropped(DropReason, const std::vector<std::uint8_t>&) override {}
  void keepBeforeOfSameInstrument(JournalRecord& record,
                                  const std::optional<Instrument>& shownFrom);
  bool write(JournalRecord record, const char* result);

  Session& session_;
  std::unique_ptr<Journal> journal_;
  DeviceData shown_;  // the data as the last operation left it: what the program showed
  std::optional<JournalRecord> pending_;
  std::optional<LongAddressBytes> pendingInstrument_;  // named by its command-0 reply
  bool failed_ = false;
};

}  // namespace vantrel
