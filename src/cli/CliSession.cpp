#include "cli/CliSession.h"

#include <cstdio>

#include "cli/CliOutput.h"
#include "engine/FrameDecoder.h"

namespace vantrel {

CliSession::CliSession(const Clock& clock, Options options, QObject* parent)
    : QObject(parent),
      clock_(clock),
      options_(options),
      session_(clock),
      startedAt_(clock.nowMs()) {
  session_.setTiming(options_.timing);
  session_.addObserver(this);
  connectSession();
}

CliSession::~CliSession() {
  session_.removeObserver(this);
}

// What the window shows, recorded for the outcome of the running operation.
void CliSession::connectSession() {
  connect(&session_, &Session::messageShown, this, [this](MessageIcon, const std::string& text) {
    if (running_) current_.messages.push_back(text);
  });
  connect(&session_, &Session::statusTextChanged, this, [this](const std::string& text) {
    current_.status = text;
    current_.hasStatus = true;
  });
  connect(&session_, &Session::progressChanged, this,
          [this](int percent) { current_.progress = percent; });
  // The window's list keeps the items in text order and selects the first;
  // the operations after a search address that device.
  connect(&session_, &Session::pollAddressesFound, this,
          [this](const std::vector<PollAddressItem>& items) {
            options_.pollAddress = items.empty() ? 0 : items.front().address;
          });
  connect(&session_, &Session::searchReportReady, this,
          [this](const std::string& text, unsigned report) {
            current_.messages.push_back(text);
            QTimer::singleShot(0, this, [this, report] { session_.searchReportClosed(report); });
          });
  connect(&session_, &Session::operationFinished, this, &CliSession::onEnded);
}

bool CliSession::openPort(const QString& portName) {
  portName_ = portName;
  PortSettings settings;
  settings.rtsKeying = options_.rtsKeying;
  return session_.openPort(portName, settings);
}

void CliSession::run(std::vector<CliStep> steps, std::function<void(const CliOutcome&)> each,
                     std::function<void()> done) {
  steps_ = std::move(steps);
  next_ = 0;
  each_ = std::move(each);
  done_ = std::move(done);
  startNext();
}

void CliSession::startNext() {
  if (next_ >= steps_.size()) {
    running_ = false;
    if (done_) done_();
    return;
  }
  const CliStep& step = steps_[next_++];
  current_ = CliOutcome{};
  current_.op = step.op;
  running_ = true;
  if (journal_ && IsJournaled(step.op)) {
    current_.before = JournalValuesOf(step.op, session_.data(), true);
    current_.tag = session_.data().tag;
  }
  if (step.apply) step.apply(session_.data());
  if (journal_ && IsJournaled(step.op))
    current_.sent = JournalValuesOf(step.op, session_.data(), false);
  if (step.address) options_.pollAddress = *step.address;
  session_.start(step.op, options_.pollAddress);
}

void CliSession::onEnded(const OperationEnd& end) {
  if (!running_ || end.op != current_.op) return;
  running_ = false;
  current_.result = end.result;
  current_.reason = end.reason;
  current_.retries = end.retries;
  if (journal_ && IsJournaled(end.op) && end.result != OperationResult::Refused) record(current_);
  if (each_) each_(current_);
  // Let the engine finish the call that reported this before the next step.
  if (current_.succeeded()) {
    QTimer::singleShot(0, this, &CliSession::startNext);
  } else {
    QTimer::singleShot(0, this, &CliSession::skipTheRest);
  }
}

// After an operation that did not succeed, the rest of the chain is not run.
void CliSession::skipTheRest() {
  while (next_ < steps_.size()) {
    CliOutcome skipped;
    skipped.op = steps_[next_++].op;
    skipped.skipped = true;
    if (each_) each_(skipped);
  }
  if (done_) done_();
}

// The journal's record, whole and on disk before the outcome is shown.
void CliSession::record(CliOutcome& outcome) {
  JournalRecord r;
  const QDateTime now = QDateTime::currentDateTime();
  r.time = now.toOffsetFromUtc(now.offsetFromUtc());
  r.port = portName_.toStdString();
  const DeviceData& data = session_.data();
  if (data.longAddress != LongAddressBytes{}) {
    r.longAddress = FormatLongAddressText(LongAddressToShow(data.longAddress));
  }
  r.tag = outcome.tag;
  r.op = outcome.op;
  r.sent = outcome.sent;
  r.before = outcome.before;
  r.status = outcome.status;
  r.result = ResultWord(outcome);
  r.responseCode = outcome.responseCode;
  r.deviceStatus = outcome.deviceStatus;
  QString error;
  if (journal_->append(JournalLine(r), &error)) return;
  outcome.journalNotWritten = true;
  if (journalWarned_) return;
  journalWarned_ = true;
  std::fprintf(
      stderr, "vantrel-cli: warning: the journal %s cannot be written (%s); the operations go on\n",
      qPrintable(journal_->path()), qPrintable(error));
}

void CliSession::frameSent(const std::vector<std::uint8_t>& raw) {
  current_.bytesSent += raw.size();
  trace(DecodeFrame(raw, FrameDirection::Sent, elapsedMs()));
}

void CliSession::frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) {
  current_.bytesReceived += raw.size();
  ++current_.framesReceived;
  trace(DecodeFrame(raw, FrameDirection::Received, elapsedMs()));
  if (!running_ || frame.frameType() != kFrameTypeAck) return;
  if (!session_.driver().core().isReplyToRequest(frame)) return;
  current_.responseCode = frame.responseCode;
  if (!(frame.responseCode & kCommunicationErrorBit)) current_.deviceStatus = frame.deviceStatus;
}

void CliSession::frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) {
  trace(DecodeDroppedFrame(raw, reason, elapsedMs()));
}

TimeMs CliSession::elapsedMs() const {
  return clock_.nowMs() - startedAt_;
}

void CliSession::trace(const DecodedFrame& frame) {
  if (!options_.trace) return;
  std::fprintf(stderr, "%s\n", FormatFrameLine(frame).c_str());
}

}  // namespace vantrel
