#include "cli/CliSession.h"

#include <cstdio>

#include "engine/FrameDecoder.h"

namespace vantrel {

CliSession::CliSession(const Clock& clock, Options options, QObject* parent)
    : QObject(parent),
      clock_(clock),
      options_(options),
      session_(clock),
      startedAt_(clock.nowMs()) {
  session_.addObserver(this);
  connectSession();
  replyTimer_.setSingleShot(true);
  connect(&replyTimer_, &QTimer::timeout, this, &CliSession::onTimeout);
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
  return session_.openPort(portName);
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
  if (step.apply) step.apply(session_.data());
  session_.start(step.op, options_.pollAddress);
}

void CliSession::onEnded(OperationCode op, OperationResult result) {
  if (!running_ || op != current_.op) return;
  replyTimer_.stop();
  running_ = false;
  current_.ended = true;
  current_.result = result;
  if (each_) each_(current_);
  // Let the engine finish the call that reported this before the next start.
  QTimer::singleShot(0, this, &CliSession::startNext);
}

void CliSession::onTimeout() {
  if (!running_) return;
  running_ = false;
  current_.ended = false;
  if (each_) each_(current_);
  if (done_) done_();
}

void CliSession::frameSent(const std::vector<std::uint8_t>& raw) {
  current_.bytesSent += raw.size();
  trace(DecodeFrame(raw, FrameDirection::Sent, elapsedMs()));
  if (running_ && current_.op != OP_SEARCH) replyTimer_.start(options_.timeoutMs);
}

void CliSession::frameReceived(const ReceivedFrame&, const std::vector<std::uint8_t>& raw) {
  current_.bytesReceived += raw.size();
  ++current_.framesReceived;
  trace(DecodeFrame(raw, FrameDirection::Received, elapsedMs()));
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
