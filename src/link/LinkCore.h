// The link core: receive ring, receive and transmit state machines, line
// silence and dispatch of complete responses. No I/O and no clock inside:
// received bytes come in with their arrival time, requests go out through a
// LinkPort, and the owner wakes the core at nextDeadline().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/HartLink.h"
#include "link/RxRing.h"
#include "link/Transmitter.h"

namespace vantrel {

enum class MessageIcon { Information, Warning, Error };

// A complete frame with a valid check byte, copied out of the link record when
// it completed, so that later bytes on the line cannot change it.
struct ReceivedFrame {
  std::uint8_t delimiter = 0;
  LongAddressBytes address{};  // element 0 only for a short address
  std::array<std::uint8_t, kMaxExpansionBytes> expansion{};
  std::uint8_t expansionCount = 0;
  std::uint8_t command = 0;
  std::uint8_t byteCount = 0;
  std::uint8_t responseCode = 0;
  std::uint8_t deviceStatus = 0;
  // Command data after the two status bytes. Positions the frame did not carry
  // read as 0.
  std::array<std::uint8_t, kDataBufferSize> data{};
  std::size_t dataCount = 0;  // how many elements of `data` the frame carried
  TimeMs receivedAt = 0;      // when its last byte arrived

  std::uint8_t frameType() const { return FrameType(delimiter); }
  bool isLongAddress() const { return HasLongAddress(delimiter); }
};

// Why the receiver dropped a frame it had started.
enum class DropReason {
  CheckByte,  // the check byte did not match
  Silence,    // the line fell silent before the frame was complete
  TooShort,   // a response without its two status bytes, or a frame cut short
};

// The transport as the core sees it.
class LinkPort {
 public:
  virtual ~LinkPort() = default;
  virtual bool isOpened() const = 0;
  // Sends one request frame (delimiter to check byte) with `preambles`, as
  // the transport frames it: the serial line puts preambles + 1 bytes of
  // 0xFF in front and trailing bytes after it, HART-IP sends the frame as it
  // is. Returns the bytes put on the line; nothing when the transport failed
  // to take them (it has then closed itself and reported the loss).
  virtual std::optional<std::vector<std::uint8_t>> writeFrame(
      const std::vector<std::uint8_t>& frame, std::uint8_t preambles) = 0;
};

// Message boxes for the user.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void showMessage(MessageIcon icon, const std::string& text) = 0;
};

// How a frame that began on the line ended without a response to hand on.
enum class FrameEnd {
  NotAReply,  // a request, or a burst frame
  Dropped,    // a wrong check byte, the line falling silent, no status bytes
};

// Receives every complete response (ACK) frame, and hears when any frame
// begins and when one ends without a response.
class ReplyHandler {
 public:
  virtual ~ReplyHandler() = default;
  virtual void HandleOperationReply(const ReceivedFrame& reply) = 0;
  // A frame has begun: its delimiter came at `now`.
  virtual void frameBegan(TimeMs /*now*/) {}
  virtual void frameEnded(FrameEnd /*end*/, TimeMs /*now*/) {}
  // The transport could not deliver the request last sent, and says why in
  // words (a HART-IP server's error or NAK): no reply will come to it.
  virtual void requestRefused(const std::string& /*reason*/, TimeMs /*now*/) {}
};

// Sees every frame on the line, for tracing and monitoring. `raw` runs from
// the delimiter to the check byte (requests sent: the bytes as the transport
// put them on the line).
class LinkObserver {
 public:
  virtual ~LinkObserver() = default;
  virtual void frameSent(const std::vector<std::uint8_t>& raw) = 0;
  virtual void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) = 0;
  virtual void frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) = 0;
  // A message of a transport that frames its messages (HART-IP): its header
  // in words and the whole message. One that carries a frame comes just
  // before that frame's frameSent or frameReceived.
  virtual void transportMessage(bool /*sent*/, const std::string& /*header*/,
                                const std::vector<std::uint8_t>& /*raw*/, bool /*carriesFrame*/) {}
};

// Something the owner must wake at a point in time.
class Timed {
 public:
  virtual ~Timed() = default;
  virtual std::optional<TimeMs> nextDeadline() const = 0;
  virtual void handleDeadline(TimeMs now) = 0;
};

class LinkCore : public Timed {
 public:
  LinkCore(LinkPort& port, MessageSink& messages);

  HartLink& link() { return link_; }
  const HartLink& link() const { return link_; }

  bool isPortOpen() const { return port_.isOpened(); }
  // True while a frame is partly received: the line is not quiet.
  bool frameInProgress() const;

  void setReplyHandler(ReplyHandler* handler) { replyHandler_ = handler; }
  void setObserver(LinkObserver* observer) { observer_ = observer; }

  // Takes bytes that the port delivered, all arrived at `now`, and runs them
  // through the receiver in arrival order. A byte that comes kSilenceMs or
  // more after the previous one is the first byte after a silence.
  void receiveBytes(const std::uint8_t* data, std::size_t size, TimeMs now);

  // Takes one whole frame, from its delimiter to its check byte, that a
  // framing transport (HART-IP) delivered at `now`: no preambles, no line
  // silence. A frame that ends before its check byte is dropped.
  void receiveFrame(const std::uint8_t* data, std::size_t size, TimeMs now);

  // The transport refused the request last sent (see
  // ReplyHandler::requestRefused).
  void requestRefused(const std::string& reason, TimeMs now) {
    if (replyHandler_) replyHandler_->requestRefused(reason, now);
  }

  // Sends `request` at `now`: the frame is encoded once and handed to the
  // transport. With the port closed it shows "HART端口未打开！", sends
  // nothing and returns false; a port that fails to take the request
  // returns false as well.
  bool StartOperation(const Request& request, TimeMs now);

  // True when `reply` answers the request last sent (see the reasons in
  // the definition).
  bool isReplyToRequest(const ReceivedFrame& reply) const;

  // Bytes the request last sent took on the line (on a serial line its
  // preambles and trailing bytes included), and when it was sent.
  std::size_t lastRequestSize() const { return lineBytes_.size(); }
  TimeMs lastRequestAt() const { return lastRequestAt_; }

  // The end of the current line-silence window, while the receiver is not
  // idle.
  std::optional<TimeMs> nextDeadline() const override;
  void handleDeadline(TimeMs now) override;

 private:
  void drainRing();
  void handleByte(std::uint8_t byte);
  void enterSilence(TimeMs now);
  void dispatchResponse();
  void frameEnded(FrameEnd end);
  ReceivedFrame copyFrame() const;

  LinkPort& port_;
  MessageSink& messages_;
  ReplyHandler* replyHandler_ = nullptr;
  LinkObserver* observer_ = nullptr;

  HartLink link_;
  RxRing ring_;
  std::optional<TimeMs> lastByteTime_;
  bool draining_ = false;
  std::vector<std::uint8_t> rawFrame_;   // delimiter .. check byte of the frame being received
  std::vector<std::uint8_t> txFrame_;    // delimiter .. check byte of the request last sent
  std::vector<std::uint8_t> lineBytes_;  // the same request as it went on the line
  TimeMs lastRequestAt_ = 0;
};

}  // namespace vantrel
