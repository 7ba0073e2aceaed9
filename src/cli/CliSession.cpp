#include "cli/CliSession.h"

#include <QEventLoop>

#include <cstdio>

#include "config/KnownModels.h"
#include "engine/FrameDecoder.h"
#include "link/LinkTexts.h"
#include "port/HartIpTransport.h"

namespace vantrel {

CliSession::CliSession(const Clock& clock, Options options, QObject* parent)
    : QObject(parent),
      clock_(clock),
      options_(options),
      session_(clock),
      startedAt_(clock.nowMs()) {
  session_.setTiming(options_.timing);
  session_.setReplyTimeoutByTransport(!options_.replyTimeoutGiven);
  session_.setKnownModels(LoadKnownModels());
  session_.setModelPolicy(options_.trustModels ? ModelPolicy::Trust : ModelPolicy::Refuse);
  session_.addObserver(this);
  connectSession();
}

// The port closes while the trace still watches: a HART-IP session's close
// has its line.
CliSession::~CliSession() {
  session_.closePort();
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
  connect(&session_, &Session::instrumentSeen, this, [this](const Instrument& instrument) {
    if (running_) current_.instrument = instrument;
  });
  connect(&session_, &Session::modelRemembered, this, &RememberKnownModel);
  connect(&session_, &Session::portLost, this, &CliSession::portLost);
}

// A HART-IP server that closed the connection or stopped answering is said
// at once, and the operation it ended (or the next, which finds the port
// closed) names why, rather than only that the port is not open.
void CliSession::portLost(const QString& reason) {
  std::fprintf(stderr, "vantrel-cli: %s %s: %s\n", Tr(texts::kPortLost).c_str(),
               qPrintable(session_.hartIpEndpoint() ? session_.hartIpEndpoint()->text()
                                                    : session_.portName()),
               qPrintable(reason));
}

void CliSession::setJournal(std::unique_ptr<Journal> journal) {
  journal_ = std::make_unique<JournalKeeper>(session_, std::move(journal));
  connect(journal_.get(), &JournalKeeper::journalFailed, this,
          [](const QString& path, const QString& reason) {
            std::fprintf(stderr,
                         "vantrel-cli: warning: the journal %s cannot be written (%s); the "
                         "operations go on\n",
                         qPrintable(path), qPrintable(reason));
          });
}

bool CliSession::openPort(const QString& portName) {
  PortSettings settings;
  settings.rtsKeying = options_.rtsKeying;
  return session_.openPort(portName, settings);
}

bool OpenHartIpAndWait(Session& session, const HartIpEndpoint& endpoint) {
  QEventLoop wait;
  bool decided = false;
  const auto decide = [&] {
    decided = true;
    wait.quit();
  };
  QObject::connect(&session, &Session::portOpened, &wait, decide);
  QObject::connect(&session, &Session::portOpenFailed, &wait, decide);
  session.openHartIp(endpoint);
  if (!decided) wait.exec();
  return session.isPortOpen();
}

std::string PortOpenFailedText(const std::optional<HartIpEndpoint>& hartIp, const QString& port,
                               const QString& reason) {
  const std::string failed =
      hartIp ? HartIpTransport::openFailedText().toStdString() : Tr(texts::kPortOpenFailed);
  const QString where = hartIp ? hartIp->text() : port;
  return failed + " " + where.toStdString() + ": " + reason.toStdString();
}

bool CliSession::openHartIp(const HartIpEndpoint& endpoint) {
  return OpenHartIpAndWait(session_, endpoint);
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
  if (step.apply) {
    // What the arguments set is the user's, not a value of any instrument.
    step.apply(session_.data());
    session_.data().typedFields |= OperationRowOf(step.op).sends;
  }
  if (journal_) journal_->starting(step.op);
  if (step.address) options_.pollAddress = *step.address;
  session_.start(step.op, options_.pollAddress);
}

void CliSession::onEnded(const OperationEnd& end) {
  if (!running_ || end.op != current_.op) return;
  running_ = false;
  current_.result = end.result;
  current_.reason = end.reason;
  // The port opened before the first operation: closed now, it was lost,
  // and the transport knows why.
  const bool portGone = end.reason == Tr(texts::kPortLost) || end.reason == Tr(texts::kPortNotOpen);
  if (portGone && !session_.isPortOpen() && !session_.portError().isEmpty()) {
    current_.reason = Tr(texts::kPortLost) + " " + session_.portError().toStdString();
  }
  current_.retries = end.retries;
  // The record is on disk before the outcome is printed.
  if (journal_ && !journal_->ended(end)) current_.journalNotWritten = true;
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

void CliSession::frameSent(const std::vector<std::uint8_t>& raw) {
  current_.bytesSent += raw.size();
  trace(transport_.take(DecodeFrame(raw, FrameDirection::Sent, elapsedMs())));
}

void CliSession::transportMessage(bool sent, const std::string& header,
                                  const std::vector<std::uint8_t>& raw, bool carriesFrame) {
  if (auto line = transport_.message(sent, header, raw, carriesFrame, elapsedMs())) trace(*line);
}

void CliSession::frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) {
  current_.bytesReceived += raw.size();
  ++current_.framesReceived;
  trace(transport_.take(DecodeFrame(raw, FrameDirection::Received, elapsedMs())));
  if (!running_ || frame.frameType() != kFrameTypeAck) return;
  if (!session_.isReplyToRequest(frame)) return;
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
