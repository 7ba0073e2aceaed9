// HART-IP messages (version 1): the 8-byte header, the session-initiate
// body, the splitting of a TCP byte stream into messages and the words the
// monitor and the trace show for a header. Plain C++, no I/O.
//
// Header, big-endian: version, message type, message id, status, sequence
// number (16 bits), byte count of the whole message, header included (16
// bits). A token-passing PDU carries one HART frame from its delimiter to its
// check byte, without preambles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::hartip {

constexpr std::uint16_t kDefaultPort = 5094;
constexpr std::size_t kHeaderSize = 8;
constexpr std::uint8_t kVersion = 1;
// The largest message the byte count can describe.
constexpr std::size_t kMaxMessageSize = 0xFFFF;

enum class MessageType : std::uint8_t {
  Request = 0,
  Response = 1,
  Publish = 2,  // publish or notification (burst messages)
  Error = 3,
  Nak = 15,
};

enum class MessageId : std::uint8_t {
  SessionInitiate = 0,
  SessionClose = 1,
  KeepAlive = 2,
  TokenPassingPdu = 3,
};

// Session initiate: the master type of a primary master.
constexpr std::uint8_t kPrimaryMaster = 1;
// The session-initiate body: master type and the inactivity close time.
constexpr std::size_t kSessionInitiateBodySize = 5;

// Status of a response header; like HART response codes.
constexpr std::uint8_t kStatusSuccess = 0;
constexpr std::uint8_t kStatusInvalidSelection = 2;
constexpr std::uint8_t kStatusTooFewDataBytes = 5;
constexpr std::uint8_t kStatusSetToNearest = 8;  // the close time was changed: still a session
constexpr std::uint8_t kStatusVersionNotSupported = 14;
constexpr std::uint8_t kStatusAllSessionsInUse = 15;
constexpr std::uint8_t kStatusSessionAlreadyOpen = 16;

// Error code in the one-byte body of an error message.
constexpr std::uint8_t kErrorSessionClosed = 0;
constexpr std::uint8_t kErrorPrimarySessionUnavailable = 1;
constexpr std::uint8_t kErrorServiceUnavailable = 2;

struct Header {
  std::uint8_t version = kVersion;
  std::uint8_t type = 0;
  std::uint8_t id = 0;
  std::uint8_t status = 0;
  std::uint16_t sequence = 0;
  std::uint16_t byteCount = kHeaderSize;  // the whole message
};

struct Message {
  Header header;
  std::vector<std::uint8_t> body;

  bool is(MessageType type, MessageId id) const {
    return header.type == static_cast<std::uint8_t>(type) &&
           header.id == static_cast<std::uint8_t>(id);
  }
};

// The message on the wire; the byte count is taken from the body. A body too
// long for the byte count is cut to fit.
std::vector<std::uint8_t> EncodeMessage(MessageType type, MessageId id, std::uint16_t sequence,
                                        const std::vector<std::uint8_t>& body = {},
                                        std::uint8_t status = 0);
std::vector<std::uint8_t> EncodeMessage(const Message& message);

// The header at `data`; nothing when fewer than kHeaderSize bytes are given.
std::optional<Header> DecodeHeader(const std::uint8_t* data, std::size_t size);

// True when a header can start a message: a version from 1 to
// `highestVersion` and a byte count of at least the header's own size.
bool IsFramable(const Header& header, std::uint8_t highestVersion = kVersion);

std::vector<std::uint8_t> SessionInitiateBody(std::uint8_t masterType, std::uint32_t inactivityMs);

struct SessionInitiate {
  std::uint8_t masterType = kPrimaryMaster;
  std::uint32_t inactivityMs = 0;
};
// Nothing when the body is shorter than kSessionInitiateBodySize.
std::optional<SessionInitiate> ParseSessionInitiate(const std::vector<std::uint8_t>& body);

// A TCP byte stream cut into messages, wherever the segments fell. A header
// that cannot frame a message (another version, a byte count below the
// header's size) breaks the stream: nothing after it can be trusted, and the
// connection is to be closed.
class StreamParser {
 public:
  // A client of a secure session takes version 2 too: the session
  // initiate's answer, and the messages inside the channel.
  explicit StreamParser(std::uint8_t highestVersion = kVersion) : highestVersion_(highestVersion) {}

  void feed(const std::uint8_t* data, std::size_t size);
  // The next complete message, in order.
  std::optional<Message> next();
  bool broken() const { return broken_; }
  // Bytes held that do not make a whole message yet.
  std::size_t pending() const { return buffer_.size() - start_; }
  // Drops what is held and mends a broken stream: for a new connection.
  void clear();

 private:
  std::vector<std::uint8_t> buffer_;
  std::size_t start_ = 0;
  bool broken_ = false;
  std::uint8_t highestVersion_;
};

// One UDP datagram holds one message: nothing when the datagram is not
// exactly one framable message.
std::optional<Message> ParseDatagram(const std::uint8_t* data, std::size_t size,
                                     std::uint8_t highestVersion = kVersion);

// Words for the monitor and the trace: "响应", "令牌传递PDU", and the header
// in one line: "HART-IP 响应 令牌传递PDU 状态 0 序号 5".
std::string MessageTypeText(std::uint8_t type);
std::string MessageIdText(std::uint8_t id);
std::string HeaderText(const Header& header);
// What a status of a response says ("会话已满"), and what an error
// message's code says ("会话已关闭").
std::string StatusText(std::uint8_t status);
std::string ErrorCodeText(std::uint8_t code);

}  // namespace vantrel::hartip
