#include "sim/Faults.h"

#include "link/HartCommands.h"
#include "link/HartFrame.h"

namespace vantrel::sim {
namespace {

// The log keeps the most recent replies only, so that a simulator left
// running with faults does not grow without end.
constexpr std::size_t kLogLimit = 4096;

// Where the parts of a response frame lie.
struct FrameLayout {
  std::size_t delimiter = 0;  // index of the delimiter (= number of preambles)
  std::size_t address = 0;
  std::size_t addressSize = 0;
  std::size_t command = 0;
  std::size_t byteCount = 0;
  std::size_t check = 0;
};

std::optional<FrameLayout> Layout(const std::vector<std::uint8_t>& frame) {
  FrameLayout layout;
  while (layout.delimiter < frame.size() && frame[layout.delimiter] == kPreambleByte) {
    ++layout.delimiter;
  }
  if (layout.delimiter >= frame.size()) return std::nullopt;
  const std::uint8_t delimiter = frame[layout.delimiter];
  layout.address = layout.delimiter + 1;
  layout.addressSize = HasLongAddress(delimiter) ? kLongAddressSize : 1;
  layout.command = layout.address + layout.addressSize + ExpansionCount(delimiter);
  layout.byteCount = layout.command + 1;
  if (layout.byteCount >= frame.size()) return std::nullopt;
  layout.check = layout.byteCount + 1 + frame[layout.byteCount];
  if (layout.check + 1 != frame.size()) return std::nullopt;
  return layout;
}

void FixCheckByte(std::vector<std::uint8_t>& frame, const FrameLayout& layout) {
  frame[layout.check] = CheckByte(frame.data() + layout.delimiter, layout.check - layout.delimiter);
}

}  // namespace

bool LineFaults::any() const {
  return corruptRate > 0 || dropRate > 0 || lateMs > 0 || noReplyRate > 0 || wrongAddress ||
         errorCode.has_value() || garbageBytes > 0 || hangupAfter >= 0 || busy > 0 || delayed > 0 ||
         silent > 0 || commError > 0;
}

std::uint8_t RequestFaultCode(RequestFault fault) {
  switch (fault) {
    case RequestFault::CommunicationError:
      return kCommunicationErrorBit | 0x08;
    case RequestFault::Busy:
      return RC_BUSY;
    case RequestFault::DelayedInitiated:
      return RC_DELAYED_RESPONSE_INITIATED;
    case RequestFault::DelayedRunning:
      return RC_DELAYED_RESPONSE_RUNNING;
    case RequestFault::None:
    case RequestFault::Silent:
      break;
  }
  return RC_SUCCESS;
}

std::vector<std::uint8_t> WithWrongAddress(const std::vector<std::uint8_t>& frame) {
  const std::optional<FrameLayout> layout = Layout(frame);
  if (!layout) return frame;
  std::vector<std::uint8_t> out = frame;
  if (layout->addressSize == 1) {
    // Bits 7 and 6 (master, burst mode) stay; the polling address moves on.
    std::uint8_t& address = out[layout->address];
    address = static_cast<std::uint8_t>((address & ~kAddressBits) | ((address + 1) & kAddressBits));
  } else {
    ++out[layout->address + kLongAddressSize - 1];
  }
  FixCheckByte(out, *layout);
  return out;
}

std::vector<std::uint8_t> WithErrorCode(const std::vector<std::uint8_t>& frame,
                                        std::uint8_t responseCode) {
  const std::optional<FrameLayout> layout = Layout(frame);
  if (!layout) return frame;
  const std::uint8_t status = frame[layout->byteCount] >= 2 ? frame[layout->byteCount + 2] : 0;
  std::vector<std::uint8_t> out(frame.begin(), frame.begin() + layout->byteCount);
  out.push_back(2);
  out.push_back(responseCode);
  out.push_back(status);
  out.push_back(0);
  FixCheckByte(out, *Layout(out));
  return out;
}

FaultInjector::FaultInjector(const LineFaults& faults) {
  set(faults);
}

void FaultInjector::set(const LineFaults& faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_ = faults;
  random_.seed(faults.seed);
  faultyCount_ = 0;
  delayedRunning_ = -1;
}

LineFaults FaultInjector::faults() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_;
}

std::vector<ReplyRecord> FaultInjector::log() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

RequestFault FaultInjector::nextRequest() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (faults_.silent > 0) {
    --faults_.silent;
    if (log_.size() >= kLogLimit) log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);
    log_.push_back(ReplyRecord{{}, false, false, false});
    return RequestFault::Silent;
  }
  if (faults_.commError > 0) {
    --faults_.commError;
    return RequestFault::CommunicationError;
  }
  if (faults_.busy > 0) {
    --faults_.busy;
    return RequestFault::Busy;
  }
  if (faults_.delayed > 0 && delayedRunning_ < 0) {
    delayedRunning_ = faults_.delayed;
    return RequestFault::DelayedInitiated;
  }
  if (delayedRunning_ > 0) {
    --delayedRunning_;
    return RequestFault::DelayedRunning;
  }
  if (delayedRunning_ == 0) {  // the result is ready: served from now on
    delayedRunning_ = -1;
    faults_.delayed = 0;
  }
  return RequestFault::None;
}

double FaultInjector::nextUnit() {
  // The top 53 bits of the generator, which the standard fixes for every
  // library, so a seed gives the same faults everywhere.
  return static_cast<double>(random_() >> 11) * 0x1.0p-53;
}

std::uint8_t FaultInjector::nextByte() {
  return static_cast<std::uint8_t>(random_() >> 56);
}

void FaultInjector::damage(std::vector<std::uint8_t>& bytes, std::size_t frameStart,
                           FaultedReply& reply) {
  if (faults_.corruptRate > 0 && nextUnit() < faults_.corruptRate && !bytes.empty()) {
    bytes.back() ^= static_cast<std::uint8_t>(1 + nextByte() % 255);
    reply.frameIntact = false;
    reply.whole = false;
  }
  if (faults_.dropRate > 0) {
    std::vector<std::uint8_t> kept;
    kept.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (nextUnit() < faults_.dropRate) {
        reply.whole = false;
        if (i >= frameStart) reply.frameIntact = false;
      } else {
        kept.push_back(bytes[i]);
      }
    }
    bytes = std::move(kept);
  }
  if (faults_.hangupAfter >= 0) {
    const auto keep = static_cast<std::size_t>(faults_.hangupAfter);
    if (keep < bytes.size()) {
      bytes.resize(keep);
      reply.frameIntact = false;
      reply.whole = false;
      reply.cut = true;
    }
    reply.hangup = true;
  }
}

std::optional<FaultedReply> FaultInjector::apply(const std::vector<std::uint8_t>& frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (log_.size() >= kLogLimit) log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);

  FaultedReply reply;
  const bool faulty = faults_.faultyReplies < 0 || faultyCount_ < faults_.faultyReplies;
  if (!faulty || !faults_.any()) {
    reply.bytes = frame;
    reply.intended = frame;
    log_.push_back(ReplyRecord{frame, true, true, true});
    return reply;
  }
  ++faultyCount_;

  if (faults_.noReplyRate > 0 && nextUnit() < faults_.noReplyRate) {
    log_.push_back(ReplyRecord{frame, false, false, false});
    return std::nullopt;
  }

  std::vector<std::uint8_t> intended = frame;
  if (faults_.errorCode) intended = WithErrorCode(intended, *faults_.errorCode);
  if (faults_.wrongAddress) intended = WithWrongAddress(intended);
  const std::optional<FrameLayout> layout = Layout(intended);
  // The frame proper starts at the delimiter: a lost preamble byte leaves it
  // intact.
  const std::size_t frameStart = layout ? layout->delimiter : 0;

  std::vector<std::uint8_t> damaged = intended;
  damage(damaged, frameStart, reply);
  for (int i = 0; i < faults_.garbageBytes; ++i) reply.bytes.push_back(nextByte());
  reply.garbage = reply.bytes.size();
  reply.bytes.insert(reply.bytes.end(), damaged.begin(), damaged.end());
  reply.extraDelay = std::chrono::milliseconds(faults_.lateMs);
  reply.intended = intended;
  log_.push_back(ReplyRecord{intended, true, reply.frameIntact, reply.whole});
  return reply;
}

}  // namespace vantrel::sim
