// Serves a SimLine over HART-IP, on TCP and UDP at once on one port number,
// to several clients at once: one session per TCP connection, one per UDP
// client address and port. A UDP session is answered from a socket of its
// own, bound to a free port on the server's address, and the client goes on
// talking to that port; a request of its plain session that it sends to the
// main port is answered from there. A token-passing PDU carries a request
// frame without preambles to the devices; the response carries the device's
// reply frame the same way, with the request's sequence number.
//
// Without a pre-shared key the server speaks version 1, in plain text. With
// one it speaks version 2 only: the session initiate and its answer go in
// plain text, then TLS 1.2 runs on the TCP connection (DTLS 1.2 with the
// session's own UDP port), and every later message travels inside it. Each
// server refuses a session initiate of the other version with status 14
// (version not supported), in a version 1 header, and ends the session.
//
// A request before a session exists (other than a session initiate) is
// answered with an error message of the same id and sequence number, whose
// one-byte body is the code "session closed" (0): that tells a client that
// lost its session by inactivity to open a new one. A request with an id the
// server does not know is answered NAK.
//
// A session ends on a session close (after its response), when the TCP peer
// closes, after its inactivity close time with no message from the client,
// when a hang-up fault strikes, and when its secure handshake fails.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/HartIpMessage.h"
#include "link/PskKeyFile.h"
#include "sim/Faults.h"
#include "sim/SimLine.h"

namespace vantrel::sim {

class SecureContext;

struct HartIpServerOptions {
  // Numeric IPv4 or IPv6 address to serve on, IPv6 without brackets.
  std::string address = "127.0.0.1";
  // 0: a free port, the same number for TCP and UDP.
  std::uint16_t port = 0;
  // Each response waits this long after its request, as on the serial line.
  int turnaroundMs = 0;
  // Where the faults of the replies come from; give the serial line's
  // injector to have both follow the same faults and share one log. Without
  // one the server makes its own, with no faults.
  std::shared_ptr<FaultInjector> faultInjector;
  // With a key: secure sessions (version 2) only, for the key's identity.
  std::optional<PskKey> psk;
};

// The shortest inactivity close time a session gets; a shorter one asked for
// is raised to it, and the session initiate answered "set to nearest".
constexpr std::uint32_t kMinInactivityMs = 100;
// Sessions open at once, TCP and UDP together; more are refused "all
// sessions in use".
constexpr std::size_t kMaxHartIpSessions = 64;

// Where to serve, as written on the command line: "[ADDR:]PORT", ADDR an IPv4
// address or an IPv6 address in brackets, loopback when left out
// ("5094", "0.0.0.0:5094", "[::1]:0"). Nothing when it is not one of these.
struct HartIpEndpoint {
  std::string address;
  std::uint16_t port = 0;
};
std::optional<HartIpEndpoint> ParseHartIpEndpoint(const std::string& text);

class HartIpServer {
 public:
  HartIpServer(SimLine& line, HartIpServerOptions options);
  ~HartIpServer();
  HartIpServer(const HartIpServer&) = delete;
  HartIpServer& operator=(const HartIpServer&) = delete;

  // Binds the TCP and the UDP socket, and sets up TLS when there is a key.
  // Returns false with a reason.
  bool open(std::string* error);

  // The port both sockets are bound to, and "ADDR:PORT" with an IPv6
  // address in brackets; valid after open().
  std::uint16_t port() const { return port_; }
  const std::string& endpoint() const { return endpoint_; }

  // Serves clients until stop() is called. Blocks the calling thread, and
  // waits in the kernel between events.
  void run();

  // Makes run() return. Safe from another thread and from a signal handler.
  void stop();

  FaultInjector& faultInjector() { return *injector_; }

  // Sessions open now. Safe from another thread.
  std::size_t sessionCount() const { return sessionCount_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  using Bytes = std::vector<std::uint8_t>;
  struct Address;
  struct Outgoing;
  struct Peer;

  bool bindSockets(std::string* error);
  void acceptConnections();
  void readMainDatagrams(Clock::time_point now);
  void mainDatagram(const Address& from, const hartip::Message& message, Clock::time_point now);
  void openUdpSession(const Address& client, const hartip::Message& message, Clock::time_point now);
  int sessionSocket(const Address& client) const;
  Peer* udpPeer(const Address& client);
  void readPeer(Peer& peer, Clock::time_point now);
  void readStream(Peer& peer, Clock::time_point now);
  void readSecure(Peer& peer, Clock::time_point now);
  void handle(Peer& peer, const hartip::Message& message, Clock::time_point now);
  void initiate(Peer& peer, const hartip::Message& message, Clock::time_point now);
  void startSecure(Peer& peer, Clock::time_point now);
  void servePdu(Peer& peer, const hartip::Message& message, Clock::time_point now);
  void queue(Peer& peer, Clock::time_point due, Bytes message, bool closeAfter = false);
  void sendDue(Peer& peer, Clock::time_point now);
  void send(Peer& peer, const Outgoing& out);
  void drainSecure(Peer& peer);
  void flush(Peer& peer);
  void endAfterFlush(Peer& peer);
  void close(Peer& peer);
  std::optional<Clock::time_point> nextDeadline() const;
  std::size_t openSessions() const;

  SimLine& line_;
  HartIpServerOptions options_;
  std::shared_ptr<FaultInjector> injector_;
  std::unique_ptr<SecureContext> secure_;  // with a key only
  int listener_ = -1;
  int datagrams_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::string endpoint_;
  std::vector<std::unique_ptr<Peer>> peers_;
  Bytes buffer_;  // one datagram or one read of a stream
  std::atomic<std::size_t> sessionCount_{0};
};

}  // namespace vantrel::sim
