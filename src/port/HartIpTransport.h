// A HART-IP connection as a transport (TCP or UDP): the session is initiated
// as primary master, kept alive while idle and closed on close; each request
// goes out as a token-passing PDU with the next sequence number, and only the
// response with that number is taken as its reply.
//
// Version 1 talks in plain text. Version 2 (a pre-shared key given) sends
// the session initiate in plain text with version 2 in its header; once the
// server grants the session, a TLS 1.2 handshake runs on the same TCP
// connection, or a DTLS 1.2 handshake with the UDP port that answered, and
// every message after it goes inside that channel. A failed handshake ends
// the open: nothing falls back to version 1 or to plain text.
#pragma once

#include <QHostAddress>
#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/HartIpMessage.h"
#include "link/PskKeyFile.h"
#include "port/Clock.h"
#include "port/Transport.h"

class QTcpSocket;
class QUdpSocket;

namespace vantrel {

class HartIpSecureChannel;

// Where a HART-IP server is: a host name, an IPv4 address or an IPv6 address,
// the port, TCP or UDP, and for a secure session (version 2) the key.
struct HartIpEndpoint {
  QString host;
  quint16 port = hartip::kDefaultPort;
  bool udp = false;
  // Version 2 with this pre-shared key; version 1 without one.
  std::optional<PskKey> psk;
  // The file the key was read from, for the port dialog to show again.
  QString keyFile;

  int version() const { return psk ? 2 : 1; }

  // "host:5094", "[::1]:5094".
  QString text() const;
};

// "HOST", "HOST:PORT", "[IPV6]", "[IPV6]:PORT" or a bare IPv6 address; nothing
// for an empty host, a bad port or unbalanced brackets.
std::optional<HartIpEndpoint> ParseHartIpEndpoint(const QString& text);

// Session timing.
constexpr std::uint32_t kHartIpInactivityMs = 60000;  // asked of the server
constexpr TimeMs kHartIpKeepAliveMs = 20000;          // idle time before a keep-alive
// For the connection, the initiate and, in version 2, the handshake.
constexpr TimeMs kHartIpOpenMs = 3000;
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
  // The secure channel of a version 2 session is up; `words` name it with
  // its protocol and cipher suite ("HART-IP 安全会话 TLSv1.2
  // PSK-AES128-GCM-SHA256").
  virtual void hartIpSecured(const std::string& /*words*/) {}
};

class HartIpTransport : public Transport {
  Q_OBJECT

 public:
  // `clock` must outlive the transport.
  HartIpTransport(const Clock& clock, HartIpEndpoint endpoint, QObject* parent = nullptr);
  ~HartIpTransport() override;

  // Reads a key file: the key, or nothing with the reason in words (the file
  // cannot be read, others than its owner may read it, or a line is wrong,
  // named by its number). The file's mode is not looked at on Windows.
  static std::optional<PskKey> readKeyFile(const QString& path, QString* reason);
  // What a HART-IP open that failed says before its reason.
  static QString openFailedText();

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
  // "hart-ip tcp 127.0.0.1:5094", "hart-ip udp [::1]:5094".
  QString name() const override;
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
  enum class State { Closed, Connecting, Initiating, Handshaking, Open };

  static QString keyFileError(const PskKeyParse& parsed);
  void startTcp();
  void startUdp(const QHostAddress& address);
  void sendInitiate();
  void sendMessage(hartip::MessageType type, hartip::MessageId id,
                   const std::vector<std::uint8_t>& body, std::uint16_t sequence);
  void watch(bool sent, const hartip::Message& message, bool carriesFrame);
  void readTcp();
  void readUdp();
  void handle(const hartip::Message& message);
  void handleInitiateResponse(const hartip::Message& message);
  void startHandshake();
  void secured();
  void becomeOpen();
  void sendKeepAlive(TimeMs now);
  void fail(const QString& reason);
  void dropSockets();

  const Clock& clock_;
  HartIpEndpoint endpoint_;
  State state_ = State::Closed;
  QTcpSocket* tcp_ = nullptr;
  QUdpSocket* udp_ = nullptr;
  HartIpSecureChannel* channel_ = nullptr;  // version 2, from the initiate's answer on
  QHostAddress peer_;
  quint16 peerPort_ = 0;
  // Version 2 takes version 1 too: a server of version 1 answers the
  // initiate in its own version.
  hartip::StreamParser parser_;
  std::uint16_t nextSequence_ = 1;
  std::uint16_t initiateSequence_ = 0;
  std::optional<std::uint16_t> awaited_;  // the sequence number of the PDU last sent
  std::deque<std::vector<std::uint8_t>> frames_;
  TimeMs openedAt_ = 0;
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
