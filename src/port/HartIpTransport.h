// A HART-IP connection as a transport (HART-IP version 1, TCP or UDP): the
// session is initiated as primary master, kept alive while idle and closed
// on close; each request goes out as a token-passing PDU with the next
// sequence number, and only the response with that number is taken as its
// reply.
#pragma once

#include <QHostAddress>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

#include "link/HartIpMessage.h"
#include "port/Clock.h"
#include "port/Transport.h"

class QTcpSocket;
class QUdpSocket;

namespace vantrel {

// Where a HART-IP server is: a host name, an IPv4 address or an IPv6 address,
// the port, and TCP or UDP.
struct HartIpEndpoint {
  QString host;
  quint16 port = hartip::kDefaultPort;
  bool udp = false;

  // "host:5094", "[::1]:5094".
  QString text() const;
};

// "HOST", "HOST:PORT", "[IPV6]", "[IPV6]:PORT" or a bare IPv6 address; nothing
// for an empty host, a bad port or unbalanced brackets.
std::optional<HartIpEndpoint> ParseHartIpEndpoint(const QString& text);

// Session timing.
constexpr std::uint32_t kHartIpInactivityMs = 60000;  // asked of the server
constexpr TimeMs kHartIpKeepAliveMs = 20000;          // idle time before a keep-alive
constexpr TimeMs kHartIpOpenMs = 3000;                // for the connection and the initiate
constexpr int kHartIpUdpInitiateTries = 3;
// A keep-alive is answered within the open time, or the session is taken as
// lost; over UDP it is sent this many times within it.
constexpr int kHartIpUdpKeepAliveTries = 3;
// The reply time-out over HART-IP unless one is given: a bridge answers after
// its own loop time and retries.
constexpr TimeMs kHartIpReplyTimeoutMs = 3000;

// What the transport sends and receives, header and body, for the monitor and
// the trace. It must outlive the transport or be removed first.
class HartIpWatcher {
 public:
  virtual ~HartIpWatcher() = default;
  // `carriesFrame`: the message's frame goes to the link core next.
  virtual void hartIpMessage(bool sent, const hartip::Message& message, bool carriesFrame) = 0;
};

class HartIpTransport : public Transport {
  Q_OBJECT

 public:
  // `clock` must outlive the transport.
  HartIpTransport(const Clock& clock, HartIpEndpoint endpoint, QObject* parent = nullptr);
  ~HartIpTransport() override;

  // Starts connecting; opened() or openFailed() tells how it went.
  void open();
  void setWatcher(HartIpWatcher* watcher) { watcher_ = watcher; }
  const HartIpEndpoint& endpoint() const { return endpoint_; }
  // The port that answered the session initiate (over UDP it may differ
  // from the one asked).
  quint16 peerPort() const { return peerPort_; }

  Delivery delivery() const override { return Delivery::Frames; }
  bool isOpen() const override { return state_ == State::Open; }
  void close() override;
  QString name() const override { return endpoint_.text(); }
  QString errorString() const override { return error_; }
  // Sends the frame as it is, in a token-passing PDU.
  std::optional<std::vector<std::uint8_t>> send(const std::vector<std::uint8_t>& frame,
                                                std::uint8_t preambles, TimeMs now) override;
  std::size_t take(std::uint8_t* buffer, std::size_t capacity) override;

  // Timed: the end of the wait for the session, the next keep-alive, the end
  // of the wait for its answer.
  std::optional<TimeMs> nextDeadline() const override;
  void handleDeadline(TimeMs now) override;

 private:
  enum class State { Closed, Connecting, Initiating, Open };

  void startUdp(const QHostAddress& address);
  void sendInitiate();
  void sendMessage(hartip::MessageType type, hartip::MessageId id,
                   const std::vector<std::uint8_t>& body, std::uint16_t sequence);
  void watch(bool sent, const hartip::Message& message, bool carriesFrame);
  void readTcp();
  void readUdp();
  void handle(const hartip::Message& message);
  void handleInitiateResponse(const hartip::Message& message);
  void sendKeepAlive(TimeMs now);
  void fail(const QString& reason);
  void dropSockets();

  const Clock& clock_;
  HartIpEndpoint endpoint_;
  State state_ = State::Closed;
  QTcpSocket* tcp_ = nullptr;
  QUdpSocket* udp_ = nullptr;
  QHostAddress peer_;
  quint16 peerPort_ = 0;
  hartip::StreamParser parser_;
  std::uint16_t nextSequence_ = 1;
  std::uint16_t initiateSequence_ = 0;
  std::optional<std::uint16_t> awaited_;  // the sequence number of the PDU last sent
  std::deque<std::vector<std::uint8_t>> frames_;
  std::optional<TimeMs> openDue_;
  int initiateTries_ = 0;
  // The keep-alive waiting for its answer: its number, when the next try or
  // the end of the wait is due, and the tries so far.
  struct KeepAlive {
    std::uint16_t sequence = 0;
    TimeMs due = 0;
    int tries = 0;
  };
  std::optional<KeepAlive> keepAlive_;
  TimeMs lastSent_ = 0;
  QString error_;
  HartIpWatcher* watcher_ = nullptr;
};

}  // namespace vantrel
