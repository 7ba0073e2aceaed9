#include "cli/CliSession.h"

#include <cstdio>

#include "engine/Encoding.h"
#include "engine/FrameDecoder.h"

namespace vantrel {

CliSession::CliSession(const Clock& clock, Options options, QObject* parent)
    : QObject(parent),
      clock_(clock),
      options_(options),
      driver_(clock, *this, this),
      engine_(driver_.core(), data_, *this, clock),
      startedAt_(clock.nowMs()) {
  driver_.core().setReplyHandler(&engine_);
  driver_.core().setObserver(this);
  driver_.addTimed(&engine_);
  replyTimer_.setSingleShot(true);
  connect(&replyTimer_, &QTimer::timeout, this, &CliSession::onTimeout);
}

CliSession::~CliSession() {
  driver_.core().setObserver(nullptr);
}

bool CliSession::openPort(const QString& portName) {
  return driver_.openPort(portName);
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
  if (step.apply) step.apply(data_);
  engine_.startOperation(step.op, options_.pollAddress);
  driver_.rescheduleTimer();
}

void CliSession::operationEnded(OperationCode op, OperationResult result) {
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

void CliSession::showMessage(MessageIcon, const std::string& text) {
  if (running_) current_.messages.push_back(text);
}

void CliSession::setStatusText(const std::string& text) {
  current_.status = text;
  current_.hasStatus = true;
}

void CliSession::setProgress(int percent) {
  current_.progress = percent;
}

// The window's list keeps the items in text order and selects the first; the
// operations after a search address that device.
void CliSession::refillPollAddresses(const std::vector<std::string>& items) {
  options_.pollAddress = items.empty() ? 0 : static_cast<std::uint8_t>(TextToInt(items.front()));
}

void CliSession::showSearchReport(const std::string& text, std::function<void()> closed) {
  current_.messages.push_back(text);
  QTimer::singleShot(0, this, [closed = std::move(closed)] { closed(); });
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
