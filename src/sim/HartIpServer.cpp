#include "sim/HartIpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "link/HartFrame.h"
#include "link/HartIpEndpoint.h"
#include "sim/HartIpSecure.h"

namespace vantrel::sim {

using hartip::MessageId;
using hartip::MessageType;

// A socket address of either family.
struct HartIpServer::Address {
  sockaddr_storage storage{};
  socklen_t size = sizeof(sockaddr_storage);

  sockaddr* get() { return reinterpret_cast<sockaddr*>(&storage); }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
  int family() const { return storage.ss_family; }
  const sockaddr_in& v4() const { return *reinterpret_cast<const sockaddr_in*>(&storage); }
  const sockaddr_in6& v6() const { return *reinterpret_cast<const sockaddr_in6*>(&storage); }
  std::uint16_t port() const { return ntohs(family() == AF_INET ? v4().sin_port : v6().sin6_port); }

  bool operator==(const Address& other) const {
    if (family() != other.family() || port() != other.port()) return false;
    if (family() == AF_INET) return v4().sin_addr.s_addr == other.v4().sin_addr.s_addr;
    return std::memcmp(&v6().sin6_addr, &other.v6().sin6_addr, sizeof(in6_addr)) == 0;
  }
};

// A message to send when it is due, or only the end of the session.
struct HartIpServer::Outgoing {
  Clock::time_point due;
  Bytes message;  // empty: nothing to send
  bool closeAfter = false;
  bool viaMain = false;  // UDP: from the main port, to a request that came there
};

namespace {

using Bytes = std::vector<std::uint8_t>;

// The version of secure sessions' messages.
constexpr std::uint8_t kSecureVersion = 2;

// HART-IP messages of one version cut from a TCP byte stream, wherever the
// segments fell. A header of another version, or with a byte count below
// the header's own size, breaks the stream: nothing after it can be trusted.
class Framer {
 public:
  void feed(const std::uint8_t* data, std::size_t size) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
    buffer_.insert(buffer_.end(), data, data + size);
  }
  std::optional<hartip::Message> next(std::uint8_t version) {
    if (broken_) return std::nullopt;
    const std::size_t held = buffer_.size() - start_;
    const std::optional<hartip::Header> header =
        hartip::DecodeHeader(buffer_.data() + start_, held);
    if (!header) return std::nullopt;
    if (header->version != version || header->byteCount < hartip::kHeaderSize) {
      broken_ = true;
      return std::nullopt;
    }
    if (held < header->byteCount) return std::nullopt;
    hartip::Message message;
    message.header = *header;
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(start_ + hartip::kHeaderSize);
    message.body.assign(first, first + (header->byteCount - hartip::kHeaderSize));
    start_ += header->byteCount;
    return message;
  }
  // What follows the last whole message, taken out.
  Bytes takeRest() {
    Bytes rest(buffer_.begin() + static_cast<std::ptrdiff_t>(start_), buffer_.end());
    buffer_.clear();
    start_ = 0;
    return rest;
  }
  bool broken() const { return broken_; }

 private:
  Bytes buffer_;
  std::size_t start_ = 0;
  bool broken_ = false;
};

// A datagram (or a DTLS record) that holds exactly one message of `version`.
std::optional<hartip::Message> DatagramOf(const std::uint8_t* data, std::size_t size,
                                          std::uint8_t version) {
  const std::optional<hartip::Header> header = hartip::DecodeHeader(data, size);
  if (!header || header->version != version || header->byteCount != size) return std::nullopt;
  hartip::Message message;
  message.header = *header;
  message.body.assign(data + hartip::kHeaderSize, data + size);
  return message;
}

}  // namespace

// One TCP connection, or one UDP session with its own socket.
struct HartIpServer::Peer {
  int fd = -1;
  bool tcp = false;
  Address client;  // UDP: the client's address and port, which the socket is connected to
  // TCP: the version of the plain-text messages, which the connection's
  // first byte tells (0 until then).
  std::uint8_t version = 0;
  // A secure session's TLS or DTLS, from the answer to its initiate on.
  std::unique_ptr<SecureChannel> secure;
  bool session = false;
  bool ending = false;   // its close is queued: what the client sends from now on is ignored
  bool closed = false;   // to be taken out of the list
  bool viaMain = false;  // UDP: the request being handled came to the main port
  std::chrono::milliseconds inactivity{0};
  Clock::time_point lastHeard{};
  Framer stream;  // TCP: the plain text, then what comes out of TLS
  std::deque<Outgoing> pending;
  Bytes unsent;  // TCP: what the socket had no room for yet
  bool closeWhenFlushed = false;
};

namespace {

// TCP connections at once; more are closed as soon as they are accepted.
constexpr std::size_t kMaxConnections = 2 * kMaxHartIpSessions;
// With port 0 the UDP socket may find the port the system gave TCP taken.
constexpr int kBindAttempts = 16;

std::optional<std::pair<int, in6_addr>> ParseAddress(const std::string& text) {
  in6_addr address{};
  if (::inet_pton(AF_INET, text.c_str(), &address) == 1) return std::make_pair(AF_INET, address);
  if (::inet_pton(AF_INET6, text.c_str(), &address) == 1) return std::make_pair(AF_INET6, address);
  return std::nullopt;
}

std::string EndpointText(const sockaddr_storage& storage) {
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(storage);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(v4.sin_port));
  }
  const auto& v6 = reinterpret_cast<const sockaddr_in6&>(storage);
  ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
  return "[" + std::string(text) + "]:" + std::to_string(ntohs(v6.sin6_port));
}

// An error message to a request that has no session to go to.
Bytes SessionClosedError(const hartip::Header& request) {
  return hartip::EncodeMessage(MessageType::Error, static_cast<MessageId>(request.id),
                               request.sequence, {hartip::kErrorSessionClosed});
}

// The reply frame as a HART-IP PDU carries it: the device built it without
// preambles, and HART-IP has no line in front of the frame, so the garbage a
// fault puts before it does not come through; a lost byte of the frame
// leaves a frame whose byte count or check byte the client refuses, and a
// wrong check byte stays wrong.
Bytes PduFrame(const FaultedReply& reply) {
  return Bytes(reply.bytes.begin() + static_cast<std::ptrdiff_t>(reply.garbage), reply.bytes.end());
}

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::optional<HartIpEndpoint> ParseHartIpEndpoint(const std::string& text) {
  const std::optional<HostAndPort> split = SplitHostAndPort(text);
  if (!split) return std::nullopt;
  HartIpEndpoint endpoint{"127.0.0.1", 0};
  std::optional<std::uint16_t> port;
  if (!split->port) {
    // A port alone, or nothing the simulator serves at (a bracketed address
    // needs its port, a bare IPv6 address cannot have one).
    if (split->bracketed || split->host.find(':') != std::string::npos) return std::nullopt;
    port = PortNumber(split->host);
  } else {
    endpoint.address = split->host;
    const auto parsed = ParseAddress(endpoint.address);
    if (!parsed || parsed->first != (split->bracketed ? AF_INET6 : AF_INET)) return std::nullopt;
    port = PortNumber(*split->port);
  }
  if (!port) return std::nullopt;
  endpoint.port = *port;
  return endpoint;
}

HartIpServer::HartIpServer(SimLine& line, HartIpServerOptions options)
    : line_(line),
      options_(std::move(options)),
      injector_(options_.faultInjector),
      buffer_(hartip::kMaxMessageSize + 1) {
  if (!injector_) injector_ = std::make_shared<FaultInjector>();
}

HartIpServer::~HartIpServer() {
  for (const auto& peer : peers_) {
    if (peer->fd >= 0) ::close(peer->fd);
  }
  for (int fd : {listener_, datagrams_, stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) ::close(fd);
  }
}

bool HartIpServer::open(std::string* error) {
  if (options_.psk) {
    secure_ = SecureContext::Create(*options_.psk, error);
    if (!secure_) return false;
  }
  if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) return Fail(error, "pipe");
  return bindSockets(error);
}

bool HartIpServer::bindSockets(std::string* error) {
  const auto parsed = ParseAddress(options_.address);
  if (!parsed) {
    errno = EINVAL;
    return Fail(error, "hart-ip address '" + options_.address + "'");
  }
  Address address;
  if (parsed->first == AF_INET) {
    auto& v4 = reinterpret_cast<sockaddr_in&>(address.storage);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(options_.port);
    std::memcpy(&v4.sin_addr, &parsed->second, sizeof v4.sin_addr);
    address.size = sizeof v4;
  } else {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(address.storage);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(options_.port);
    v6.sin6_addr = parsed->second;
    address.size = sizeof v6;
  }
  const std::string where = " " + EndpointText(address.storage);
  for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
    for (int* fd : {&listener_, &datagrams_}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
    listener_ = ::socket(address.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    datagrams_ = ::socket(address.family(), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0 || datagrams_ < 0) return Fail(error, "socket");
    // A restarted simulator takes its port back while old connections linger.
    const int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listener_, address.get(), address.size) != 0 || ::listen(listener_, 16) != 0) {
      return Fail(error, "bind TCP" + where);
    }
    Address bound;
    if (::getsockname(listener_, bound.get(), &bound.size) != 0) return Fail(error, "getsockname");
    if (::bind(datagrams_, bound.get(), bound.size) == 0) {
      port_ = bound.port();
      endpoint_ = EndpointText(bound.storage);
      return true;
    }
    if (errno != EADDRINUSE || options_.port != 0) return Fail(error, "bind UDP" + where);
  }
  return Fail(error, "bind UDP" + where);
}

void HartIpServer::stop() {
  const char byte = 1;
  if (stopPipe_[1] >= 0) {
    [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], &byte, 1);
  }
}

void HartIpServer::run() {
  std::vector<pollfd> fds;
  for (;;) {
    fds.assign({{stopPipe_[0], POLLIN, 0}, {listener_, POLLIN, 0}, {datagrams_, POLLIN, 0}});
    const std::size_t watched = peers_.size();
    for (const auto& peer : peers_) {
      const short events = peer->unsent.empty() ? POLLIN : POLLIN | POLLOUT;
      fds.push_back(pollfd{peer->fd, events, 0});
    }
    timespec timeout{};
    timespec* timeoutPtr = nullptr;
    if (const std::optional<Clock::time_point> deadline = nextDeadline()) {
      const auto wait = std::max(*deadline - Clock::now(), Clock::duration::zero());
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
      timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
      timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
      timeoutPtr = &timeout;
    }
    const int ready = ::ppoll(fds.data(), fds.size(), timeoutPtr, nullptr);
    if (ready < 0 && errno != EINTR) return;
    if (fds[0].revents & POLLIN) return;
    Clock::time_point now = Clock::now();
    if (fds[1].revents & POLLIN) acceptConnections();
    if (fds[2].revents & POLLIN) readMainDatagrams(now);
    for (std::size_t i = 0; i < watched; ++i) {
      Peer& peer = *peers_[i];
      const short revents = fds[3 + i].revents;
      if (!peer.closed && (revents & POLLOUT)) flush(peer);
      if (!peer.closed && (revents & (POLLIN | POLLHUP | POLLERR))) readPeer(peer, now);
    }
    // Counted before the answers go out, so that a client holding the answer
    // to its initiate finds its session counted.
    sessionCount_.store(openSessions());
    now = Clock::now();
    for (const auto& peer : peers_) {
      if (peer->closed) continue;
      if (peer->session && now >= peer->lastHeard + peer->inactivity) {
        close(*peer);  // inactivity: the session ends without a word, its late responses too
      } else if (peer->secure && !peer->secure->onTimer()) {
        close(*peer);  // a DTLS handshake that got no answer to its flights
      } else {
        sendDue(*peer, now);
      }
    }
    peers_.erase(
        std::remove_if(peers_.begin(), peers_.end(), [](const auto& p) { return p->closed; }),
        peers_.end());
    sessionCount_.store(openSessions());
  }
}

std::optional<HartIpServer::Clock::time_point> HartIpServer::nextDeadline() const {
  std::optional<Clock::time_point> next;
  auto consider = [&next](Clock::time_point t) {
    if (!next || t < *next) next = t;
  };
  const Clock::time_point now = Clock::now();
  for (const auto& peer : peers_) {
    if (!peer->pending.empty()) consider(peer->pending.front().due);
    if (peer->session) consider(peer->lastHeard + peer->inactivity);
    if (!peer->secure) continue;
    if (const auto left = peer->secure->timer()) consider(now + *left);  // DTLS retransmission
  }
  return next;
}

std::size_t HartIpServer::openSessions() const {
  return static_cast<std::size_t>(std::count_if(
      peers_.begin(), peers_.end(), [](const auto& p) { return p->session && !p->closed; }));
}

void HartIpServer::acceptConnections() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // none left, or one that went away before it was taken
    const auto connections = std::count_if(peers_.begin(), peers_.end(),
                                           [](const auto& p) { return p->tcp && !p->closed; });
    if (static_cast<std::size_t>(connections) >= kMaxConnections) {
      ::close(fd);
      continue;
    }
    // Responses are small and awaited: no waiting to fill a segment.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto peer = std::make_unique<Peer>();
    peer->fd = fd;
    peer->tcp = true;
    peers_.push_back(std::move(peer));
  }
}

void HartIpServer::readMainDatagrams(Clock::time_point now) {
  for (;;) {
    Address from;
    const ssize_t n =
        ::recvfrom(datagrams_, buffer_.data(), buffer_.size(), 0, from.get(), &from.size);
    if (n < 0) return;
    const auto size = static_cast<std::size_t>(n);
    const std::uint8_t version =
        size > 0 && buffer_[0] == kSecureVersion ? kSecureVersion : hartip::kVersion;
    const std::optional<hartip::Message> message = DatagramOf(buffer_.data(), size, version);
    if (message && message->header.type == static_cast<std::uint8_t>(MessageType::Request)) {
      mainDatagram(from, *message, now);
    }
  }
}

// The main UDP port opens sessions. A request of another kind goes to the
// plain session of the client it came from, and is answered from the main
// port: some clients never move to the session's port. A secure session
// takes nothing in plain text there (nor does a plain initiate end it), and
// version 2 plain text carries the initiate only. A request of a client
// without a session gets the "session closed" error.
void HartIpServer::mainDatagram(const Address& from, const hartip::Message& message,
                                Clock::time_point now) {
  Peer* peer = udpPeer(from);
  const bool plain = message.header.version != kSecureVersion;
  if (peer && peer->secure && plain) return;
  if (message.is(MessageType::Request, MessageId::SessionInitiate)) {
    openUdpSession(from, message, now);
    return;
  }
  if (!plain) return;
  if (peer && peer->session) {
    peer->viaMain = true;
    handle(*peer, message, now);
    peer->viaMain = false;
    return;
  }
  const Bytes error = SessionClosedError(message.header);
  ::sendto(datagrams_, error.data(), error.size(), 0, from.get(), from.size);
}

HartIpServer::Peer* HartIpServer::udpPeer(const Address& client) {
  for (const auto& peer : peers_) {
    if (!peer->tcp && !peer->closed && peer->client == client) return peer.get();
  }
  return nullptr;
}

// A client that initiates again from the same address and port has lost its
// session (or only the answer to its initiate): the old session gives way.
void HartIpServer::openUdpSession(const Address& client, const hartip::Message& message,
                                  Clock::time_point now) {
  for (const auto& peer : peers_) {
    if (!peer->tcp && !peer->closed && peer->client == client) close(*peer);
  }
  const int fd = sessionSocket(client);
  if (fd < 0) {
    const Bytes error =
        hartip::EncodeMessage(MessageType::Error, MessageId::SessionInitiate,
                              message.header.sequence, {hartip::kErrorServiceUnavailable});
    ::sendto(datagrams_, error.data(), error.size(), 0, client.get(), client.size);
    return;
  }
  auto owned = std::make_unique<Peer>();
  Peer& peer = *owned;
  peer.fd = fd;
  peer.client = client;
  peer.lastHeard = now;
  peers_.push_back(std::move(owned));
  initiate(peer, message, now);
  if (!peer.session && !peer.ending) {  // refused: the answer goes out, then the socket closes
    peer.ending = true;
    queue(peer, now, {}, true);
  }
}

// A socket on the server's address and a port of its own, which hears the
// one client only.
int HartIpServer::sessionSocket(const Address& client) const {
  Address local;
  if (::getsockname(datagrams_, local.get(), &local.size) != 0) return -1;
  if (local.family() == AF_INET) {
    reinterpret_cast<sockaddr_in&>(local.storage).sin_port = 0;
  } else {
    reinterpret_cast<sockaddr_in6&>(local.storage).sin6_port = 0;
  }
  const int fd = ::socket(local.family(), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::bind(fd, local.get(), local.size) != 0 || ::connect(fd, client.get(), client.size) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void HartIpServer::readPeer(Peer& peer, Clock::time_point now) {
  if (peer.secure && !peer.tcp) return readSecure(peer, now);  // DTLS reads the socket itself
  if (!peer.tcp) {
    for (;;) {
      // A refused earlier datagram (the client's port gone) shows up here as
      // an error; the inactivity close time ends such a session.
      const ssize_t n = ::recv(peer.fd, buffer_.data(), buffer_.size(), 0);
      if (n < 0) return;
      if (const std::optional<hartip::Message> message =
              DatagramOf(buffer_.data(), static_cast<std::size_t>(n), hartip::kVersion)) {
        handle(peer, *message, now);
      }
      if (peer.closed) return;
    }
  }
  const ssize_t n = ::recv(peer.fd, buffer_.data(), buffer_.size(), 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n <= 0) {  // the peer closed, or the connection broke
    close(peer);
    return;
  }
  const auto size = static_cast<std::size_t>(n);
  if (peer.secure) {
    peer.secure->feed(buffer_.data(), size);
    return readSecure(peer, now);
  }
  if (peer.version == 0) {
    peer.version = buffer_[0] == kSecureVersion ? kSecureVersion : hartip::kVersion;
  }
  peer.stream.feed(buffer_.data(), size);
  readStream(peer, now);
}

// The plain-text messages of a TCP connection; once a session ends, what
// the client sends is not read. After a secure session's initiate the rest
// is TLS, for the channel.
void HartIpServer::readStream(Peer& peer, Clock::time_point now) {
  while (!peer.closed && !peer.ending && !peer.secure) {
    const std::optional<hartip::Message> message = peer.stream.next(peer.version);
    if (!message) break;
    handle(peer, *message, now);
  }
  if (peer.closed || peer.ending) return;
  if (peer.stream.broken()) {
    close(peer);
  } else if (peer.secure) {
    const Bytes rest = peer.stream.takeRest();
    peer.secure->feed(rest.data(), rest.size());
    readSecure(peer, now);
  }
}

// What comes out of the secure channel: TLS carries a stream of messages,
// each DTLS record one message. A channel that ends (a failed handshake, an
// alert, the client's close) ends the session, after what it has to say to
// the client.
void HartIpServer::readSecure(Peer& peer, Clock::time_point now) {
  std::vector<Bytes> records;
  const bool open = peer.secure->receive(&records);
  for (const Bytes& record : records) {
    if (peer.closed) return;
    if (!peer.tcp) {
      if (const auto message = DatagramOf(record.data(), record.size(), kSecureVersion)) {
        handle(peer, *message, now);
      }
      continue;
    }
    peer.stream.feed(record.data(), record.size());
    while (!peer.closed && !peer.ending) {
      const std::optional<hartip::Message> message = peer.stream.next(kSecureVersion);
      if (!message) break;
      handle(peer, *message, now);
    }
    if (peer.stream.broken() && !peer.closed && !peer.ending) return close(peer);
  }
  if (peer.closed) return;
  drainSecure(peer);  // the handshake's records, or an alert
  if (!open && !peer.closed) endAfterFlush(peer);
}

void HartIpServer::handle(Peer& peer, const hartip::Message& message, Clock::time_point now) {
  if (peer.ending) return;
  peer.lastHeard = now;
  const hartip::Header& header = message.header;
  // Responses, publications, errors and NAKs from a client ask for nothing.
  if (header.type != static_cast<std::uint8_t>(MessageType::Request)) return;
  const auto id = static_cast<MessageId>(header.id);
  if (id == MessageId::SessionInitiate) {
    initiate(peer, message, now);
    return;
  }
  if (header.version == kSecureVersion && !peer.secure) {
    close(peer);  // a secure session's plain text is its initiate only
    return;
  }
  if (!peer.session) {
    queue(peer, now, SessionClosedError(header));
    return;
  }
  switch (id) {
    case MessageId::SessionClose:
      queue(peer, now, hartip::EncodeMessage(MessageType::Response, id, header.sequence), true);
      peer.ending = true;
      return;
    case MessageId::KeepAlive:
      queue(peer, now, hartip::EncodeMessage(MessageType::Response, id, header.sequence));
      return;
    case MessageId::TokenPassingPdu:
      servePdu(peer, message, now);
      return;
    case MessageId::SessionInitiate:
      break;
  }
  queue(peer, now, hartip::EncodeMessage(MessageType::Nak, id, header.sequence));
}

// A server serves one version: with a key 2, without one 1. The initiate of
// the other version is refused in a version 1 header, which every client
// reads, and the session ends; the other answers carry the request's
// version.
void HartIpServer::initiate(Peer& peer, const hartip::Message& message, Clock::time_point now) {
  const std::uint8_t version = message.header.version;
  const auto respond = [&](std::uint8_t status, const Bytes& body, std::uint8_t inVersion) {
    hartip::Message response;
    response.header.version = inVersion;
    response.header.type = static_cast<std::uint8_t>(MessageType::Response);
    response.header.id = static_cast<std::uint8_t>(MessageId::SessionInitiate);
    response.header.status = status;
    response.header.sequence = message.header.sequence;
    response.body = body;
    queue(peer, now, hartip::EncodeMessage(response));
  };
  if (peer.session) return respond(hartip::kStatusSessionAlreadyOpen, message.body, version);
  if (version != (secure_ ? kSecureVersion : hartip::kVersion)) {
    respond(hartip::kStatusVersionNotSupported, message.body, hartip::kVersion);
    peer.ending = true;
    queue(peer, now, {}, true);
    return;
  }
  const std::optional<hartip::SessionInitiate> asked = hartip::ParseSessionInitiate(message.body);
  if (!asked) return respond(hartip::kStatusTooFewDataBytes, {}, version);
  if (openSessions() >= kMaxHartIpSessions) {
    return respond(hartip::kStatusAllSessionsInUse, message.body, version);
  }
  const std::uint32_t granted = std::max(asked->inactivityMs, kMinInactivityMs);
  peer.session = true;
  peer.inactivity = std::chrono::milliseconds(granted);
  respond(granted == asked->inactivityMs ? hartip::kStatusSuccess : hartip::kStatusSetToNearest,
          hartip::SessionInitiateBody(asked->masterType, granted), version);
  if (version == kSecureVersion) startSecure(peer, now);
}

// The answer to the initiate goes out in plain text, before anything of the
// handshake can; from then on the connection (or the session's socket)
// carries TLS (DTLS).
void HartIpServer::startSecure(Peer& peer, Clock::time_point now) {
  sessionCount_.store(openSessions());  // counted before the client holds the answer
  sendDue(peer, now);
  if (peer.closed) return;
  peer.secure = peer.tcp ? secure_->acceptTls()
                         : secure_->acceptDtls(peer.fd, peer.client.get(), peer.client.size);
  if (!peer.secure) close(peer);
}

// The request goes to the line as the serial line's requests do, with the
// same faults and the same log: a request fault answers in the device's
// place or leaves it silent, a reply the injector withholds gets no
// response, a late one is held back. A hang-up ends the session: a reply it
// cuts short is not sent at all, a whole one goes out first.
void HartIpServer::servePdu(Peer& peer, const hartip::Message& message, Clock::time_point now) {
  const TimeMs nowMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::optional<Bytes> frame =
      line_.receiveFrame(message.body.data(), message.body.size(), nowMs, injector_.get());
  if (!frame) return;  // not one good request, no device there, or a silent request
  const std::optional<FaultedReply> reply = injector_->apply(*frame);
  if (!reply) return;
  const Clock::time_point due =
      now + std::chrono::milliseconds(options_.turnaroundMs) + reply->extraDelay;
  const Bytes body = PduFrame(*reply);
  if (!reply->cut && !body.empty()) {
    queue(peer, due,
          hartip::EncodeMessage(MessageType::Response, MessageId::TokenPassingPdu,
                                message.header.sequence, body));
  }
  if (reply->hangup) {
    peer.ending = true;
    queue(peer, due, {}, true);
  }
}

// Responses leave in the order of their requests: none overtakes one that is
// held back.
void HartIpServer::queue(Peer& peer, Clock::time_point due, Bytes message, bool closeAfter) {
  if (!peer.pending.empty()) due = std::max(due, peer.pending.back().due);
  peer.pending.push_back(Outgoing{due, std::move(message), closeAfter, peer.viaMain});
}

void HartIpServer::sendDue(Peer& peer, Clock::time_point now) {
  while (!peer.closed && !peer.pending.empty() && peer.pending.front().due <= now) {
    Outgoing out = std::move(peer.pending.front());
    peer.pending.pop_front();
    if (!out.message.empty()) send(peer, out);
    if (!out.closeAfter || peer.closed) continue;
    // A session closed in order closes its secure channel in order too.
    if (peer.secure && !out.message.empty()) {
      peer.secure->shutdown();
      drainSecure(peer);
      if (peer.closed) continue;
    }
    endAfterFlush(peer);
  }
}

// A datagram the socket has no room for is lost, as a network may lose it.
// In a secure session each message goes as a record of its own, with the
// session's version in its header.
void HartIpServer::send(Peer& peer, const Outgoing& out) {
  if (out.viaMain) {
    ::sendto(datagrams_, out.message.data(), out.message.size(), 0, peer.client.get(),
             peer.client.size);
  } else if (peer.secure) {
    Bytes message = out.message;
    message[0] = kSecureVersion;
    if (!peer.secure->write(message)) return close(peer);
    drainSecure(peer);
  } else if (!peer.tcp) {
    ::send(peer.fd, out.message.data(), out.message.size(), MSG_NOSIGNAL);
  } else {
    peer.unsent.insert(peer.unsent.end(), out.message.begin(), out.message.end());
    flush(peer);
  }
}

// TLS: what the channel wrote goes to the connection.
void HartIpServer::drainSecure(Peer& peer) {
  if (!peer.tcp || !peer.secure) return;
  const Bytes records = peer.secure->takeOutgoing();
  if (records.empty()) return;
  peer.unsent.insert(peer.unsent.end(), records.begin(), records.end());
  flush(peer);
}

void HartIpServer::flush(Peer& peer) {
  while (!peer.unsent.empty()) {
    const ssize_t n = ::send(peer.fd, peer.unsent.data(), peer.unsent.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n < 0) {
      close(peer);
      return;
    }
    peer.unsent.erase(peer.unsent.begin(), peer.unsent.begin() + n);
  }
  if (peer.closeWhenFlushed) close(peer);
}

// The session ends; a TCP connection closes once the socket has taken what
// is written already.
void HartIpServer::endAfterFlush(Peer& peer) {
  peer.ending = true;
  peer.pending.clear();
  if (peer.unsent.empty()) {
    close(peer);
  } else {
    peer.closeWhenFlushed = true;
  }
}

void HartIpServer::close(Peer& peer) {
  peer.secure.reset();
  if (peer.fd >= 0) ::close(peer.fd);
  peer.fd = -1;
  peer.closed = true;
  peer.session = false;
  peer.pending.clear();
  peer.unsent.clear();
}

}  // namespace vantrel::sim
