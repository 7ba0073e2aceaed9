#include "config/JournalKeeper.h"

#include <utility>

#include "engine/Encoding.h"
#include "engine/NumberText.h"
#include "engine/UniqueIdentifier.h"
#include "link/HartCommands.h"

namespace vantrel {
JournalKeeper::JournalKeeper(Session& session, std::unique_ptr<Journal> journal, QObject* parent)
    : QObject(parent), session_(session), journal_(std::move(journal)), shown_(session.data()) {
  session_.addObserver(this);
  connect(&session_, &Session::statusTextChanged, this, [this](const std::string& text) {
    if (pending_) pending_->status = text;
  });
}

JournalKeeper::~JournalKeeper() {
  session_.removeObserver(this);
}

void JournalKeeper::starting(OperationCode op) {
  // One that never ended (a new start took the line over) is recorded as
  // such: the instrument may have acted on what was sent.
  if (pending_) {
    keepBeforeOfSameInstrument(*pending_, shown_.valuesFrom);
    write(std::move(*pending_), "interrupted");
  }
  pending_.reset();
  if (!IsJournaled(op)) return;
  JournalRecord r;
  r.op = op;
  r.port = session_.portName().toStdString();
  r.tag = shown_.tag;
  r.before = JournalValuesOf(op, shown_, true);
  r.sent = JournalValuesOf(op, session_.data(), false);
  pending_ = std::move(r);
}

void JournalKeeper::frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>&) {
  if (!pending_ || frame.frameType() != kFrameTypeAck) return;
  if (!session_.isReplyToRequest(frame)) return;
  // The command-0 reply names the instrument the operation went to.
  if (frame.command == 0 && frame.dataCount >= UniqueIdentifier::kSize && !pendingInstrument_) {
    pendingInstrument_ = IdentityBytes(DecodeUniqueIdentifier(frame.data.data(), frame.dataCount));
  }
  pending_->responseCode = frame.responseCode;
  if (!(frame.responseCode & kCommunicationErrorBit)) pending_->deviceStatus = frame.deviceStatus;
}

bool JournalKeeper::ended(const OperationEnd& end) {
  const std::optional<Instrument> shownFrom = shown_.valuesFrom;
  shown_ = session_.data();
  if (!pending_ || pending_->op != end.op) return true;  // a poll, a read
  JournalRecord r = std::move(*pending_);
  pending_.reset();
  keepBeforeOfSameInstrument(r, shownFrom);
  if (end.result == OperationResult::Refused) return true;  // nothing was sent
  return write(std::move(r), OperationResultWord(end.result));
}

// What the pages showed is the instrument's "before" only when they were read
// from the instrument that was written.
void JournalKeeper::keepBeforeOfSameInstrument(JournalRecord& r,
                                               const std::optional<Instrument>& shownFrom) {
  const std::optional<LongAddressBytes> wrote = std::exchange(pendingInstrument_, std::nullopt);
  if (!shownFrom || !wrote || !IsSameInstrument(shownFrom->identity, *wrote)) r.before.clear();
}

bool JournalKeeper::write(JournalRecord r, const char* result) {
  const QDateTime now = QDateTime::currentDateTime();
  r.time = now.toOffsetFromUtc(now.offsetFromUtc());
  if (shown_.longAddress != LongAddressBytes{}) {
    r.longAddress = FormatLongAddressText(LongAddressToShow(shown_.longAddress));
  }
  r.result = result;
  QString error;
  if (journal_->append(JournalLine(r), &error)) return true;
  if (!failed_) {
    failed_ = true;
    emit journalFailed(journal_->path(), error);
  }
  return false;
}

}  // namespace vantrel
