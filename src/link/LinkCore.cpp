#include "link/LinkCore.h"

#include <algorithm>

#include "link/LinkTexts.h"
#include "link/Receiver.h"

namespace vantrel {
namespace {

bool SameLongAddress(const LongAddressBytes& reply, const LongAddressBytes& request) {
  return (reply[0] & kAddressBits) == (request[0] & kAddressBits) &&
         std::equal(reply.begin() + 1, reply.end(), request.begin() + 1);
}

}  // namespace

LinkCore::LinkCore(LinkPort& port, MessageSink& messages) : port_(port), messages_(messages) {
  rawFrame_.reserve(kDataBufferSize + 16);
  txFrame_.reserve(kDataBufferSize + 16);
}

void LinkCore::receiveBytes(const std::uint8_t* data, std::size_t size, TimeMs now) {
  if (size == 0) return;
  if (lastByteTime_ && now - *lastByteTime_ >= kSilenceMs) enterSilence(now);
  lastByteTime_ = now;
  std::size_t offset = 0;
  while (offset < size) {
    const std::size_t room = RxRing::kCapacity - ring_.pending();
    if (room == 0) break;  // only while a reply handler re-enters; see drainRing
    const std::size_t chunk = std::min(room, size - offset);
    for (std::size_t i = 0; i < chunk; ++i) ring_.push(data[offset + i]);
    offset += chunk;
    drainRing();
  }
}

void LinkCore::receiveFrame(const std::uint8_t* data, std::size_t size, TimeMs now) {
  // A frame handed in while a reply handler runs (from a nested event loop)
  // would be taken in the middle of another: it is dropped.
  if (draining_ || size == 0) return;
  draining_ = true;
  lastByteTime_ = now;
  ExpectDelimiter(link_);
  for (std::size_t i = 0; i < size; ++i) {
    const bool inFrame = FrameInProgress(link_);
    handleByte(data[i]);
    if (inFrame && !FrameInProgress(link_)) break;  // what follows the frame is not part of it
  }
  if (FrameInProgress(link_)) {
    if (observer_) observer_->frameDropped(DropReason::TooShort, rawFrame_);
    frameEnded(FrameEnd::Dropped);
  }
  // Nothing to wait for between frames: no silence deadline stays armed.
  EnterSilence(link_);
  draining_ = false;
}

// Runs every pending byte through the receiver. A call made while a reply
// handler is running (from a nested event loop) only queues its bytes: the
// outer call handles them in order when the handler returns.
void LinkCore::drainRing() {
  if (draining_) return;
  draining_ = true;
  while (!ring_.empty()) handleByte(ring_.pop());
  draining_ = false;
}

void LinkCore::handleByte(std::uint8_t byte) {
  const bool wasInFrame = FrameInProgress(link_);
  const RxEvent event = ReceiveByte(link_, byte);
  if (wasInFrame) {
    rawFrame_.push_back(byte);
  } else if (link_.rxState == RX_ADDRESS) {
    rawFrame_.assign(1, byte);  // accepted delimiter: a new frame starts
    if (replyHandler_) replyHandler_->frameBegan(lastByteTime_.value_or(0));
  }
  switch (event) {
    case RxEvent::None:
      break;
    case RxEvent::ResponseComplete:
      dispatchResponse();
      break;
    case RxEvent::RequestComplete:
      if (observer_) observer_->frameReceived(copyFrame(), rawFrame_);
      frameEnded(FrameEnd::NotAReply);
      break;
    case RxEvent::CheckByteError:
      if (observer_) observer_->frameDropped(DropReason::CheckByte, rawFrame_);
      frameEnded(FrameEnd::Dropped);
      break;
    case RxEvent::TooShort:
      if (observer_) observer_->frameDropped(DropReason::TooShort, rawFrame_);
      frameEnded(FrameEnd::Dropped);
      break;
  }
}

void LinkCore::frameEnded(FrameEnd end) {
  if (replyHandler_) replyHandler_->frameEnded(end, lastByteTime_.value_or(0));
}

// Hands a complete response to the reply handler (burst frames are not
// handed on), then restarts the hunt for the next frame.
void LinkCore::dispatchResponse() {
  const ReceivedFrame frame = copyFrame();
  if (observer_) observer_->frameReceived(frame, rawFrame_);
  const bool response = frame.frameType() == kFrameTypeAck;
  if (response && replyHandler_) replyHandler_->HandleOperationReply(frame);
  RestartHunt(link_);
  if (!response) frameEnded(FrameEnd::NotAReply);
}

ReceivedFrame LinkCore::copyFrame() const {
  ReceivedFrame frame;
  frame.delimiter = link_.rxDelimiter;
  const bool burst = FrameType(link_.rxDelimiter) == kFrameTypeBurst;
  frame.address = burst ? link_.burstAddress : link_.rxAddress;
  frame.expansion = link_.rxExpansion;
  frame.expansionCount = link_.rxExpansionCount;
  frame.command = burst ? link_.burstCommand : link_.rxCommand;
  frame.byteCount = link_.rxByteCount;
  frame.responseCode = link_.rxByteCount > 0 ? link_.responseCode : 0;
  frame.deviceStatus = link_.rxByteCount > 1 ? link_.deviceStatus : 0;
  const std::size_t carried =
      link_.rxByteCount > kStatusByteCount
          ? std::min<std::size_t>(link_.rxByteCount, kDataBufferSize) - kStatusByteCount
          : 0;
  const auto& source = burst ? link_.burstData : link_.rxData;
  std::copy_n(source.begin(), carried, frame.data.begin());
  frame.dataCount = carried;
  frame.receivedAt = lastByteTime_.value_or(0);
  return frame;
}

void LinkCore::enterSilence(TimeMs now) {
  if (link_.rxState == RX_IDLE) return;
  const bool cut = FrameInProgress(link_);
  EnterSilence(link_);
  if (!cut) return;
  if (observer_) observer_->frameDropped(DropReason::Silence, rawFrame_);
  if (replyHandler_) replyHandler_->frameEnded(FrameEnd::Dropped, now);
}

bool LinkCore::StartOperation(const Request& request, TimeMs now) {
  LoadRequest(link_, request);
  link_.txState = TX_DELIMITER;
  if (!port_.isOpened()) {
    messages_.showMessage(MessageIcon::Error, texts::kPortNotOpen);
    return false;
  }
  BuildRequestFrame(link_, txFrame_);
  std::optional<std::vector<std::uint8_t>> onLine = port_.writeFrame(txFrame_, link_.txPreambles);
  if (!onLine) return false;
  lineBytes_ = std::move(*onLine);
  lastRequestAt_ = now;
  if (observer_) observer_->frameSent(lineBytes_);
  return true;
}

bool LinkCore::frameInProgress() const {
  return FrameInProgress(link_);
}

// Compared as a device compares addresses: the polling address, or the long
// address with the master and burst-mode bits of its first byte masked.
bool LinkCore::isReplyToRequest(const ReceivedFrame& reply) const {
  // A frame to the secondary master answers another master's request.
  if (!(reply.address[0] & kMasterBit)) return false;
  // A short-frame reply to a long-frame request, or the other way round,
  // comes from another exchange.
  const bool longRequest = HasLongAddress(link_.txDelimiter);
  if (reply.isLongAddress() != longRequest) return false;
  // Another polling address: another device on the loop.
  if (!longRequest && PollingAddressOf(reply.address[0]) != PollingAddressOf(link_.txPollAddress)) {
    return false;
  }
  // Another long address: another device on the loop.
  if (longRequest && !SameLongAddress(reply.address, link_.txLongAddress)) return false;
  // Another command: a late answer to an abandoned request, whose bytes mean
  // something else.
  if (reply.command != link_.txCommand) return false;
  return true;
}

std::optional<TimeMs> LinkCore::nextDeadline() const {
  if (link_.rxState == RX_IDLE || !lastByteTime_) return std::nullopt;
  return *lastByteTime_ + kSilenceMs;
}

void LinkCore::handleDeadline(TimeMs now) {
  if (lastByteTime_ && now - *lastByteTime_ >= kSilenceMs) enterSilence(now);
}

}  // namespace vantrel
