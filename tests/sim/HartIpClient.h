// A HART-IP client over plain TCP and UDP sockets for the simulator's server
// tests, and the messages it sends, spelled out byte by byte rather than
// taken from the codec.
#pragma once

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace vantrel::sim::hartiptest {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int kBoundMs = 5000;  // anything awaited comes well within this

enum : std::uint8_t { kRequest = 0, kResponse = 1, kError = 3, kNak = 15 };
enum : std::uint8_t { kInitiate = 0, kClose = 1, kKeepAlive = 2, kPdu = 3 };

// A HART-IP message as it goes on the wire.
inline Bytes Message(std::uint8_t type, std::uint8_t id, std::uint16_t sequence,
                     const Bytes& body = {}, std::uint8_t status = 0, std::uint8_t version = 1) {
  const auto size = static_cast<std::uint16_t>(8 + body.size());
  Bytes out = {version,
               type,
               id,
               status,
               std::uint8_t(sequence >> 8),
               std::uint8_t(sequence),
               std::uint8_t(size >> 8),
               std::uint8_t(size)};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline const Bytes kInitiateBody = {0x01, 0x00, 0x00, 0xEA, 0x60};  // primary master, 60 s
// Command 0 to polling address 0, and the default device's answer.
inline const Bytes kCommand0 = {0x02, 0x80, 0x00, 0x00, 0x82};
inline const Bytes kIdentity = {0x06, 0x80, 0x00, 0x0E, 0x00, 0x00, 0xFE, 0x5A, 0x10, 0x05,
                                0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03, 0x3D};
inline const Bytes kSessionClosed = {0x00};

inline bool Readable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) == 1;
}

template <typename Predicate>
bool WaitFor(Predicate done) {
  for (int waited = 0; !done() && waited < kBoundMs; waited += 10) ::poll(nullptr, 0, 10);
  return done();
}

// One client of either transport. A UDP client talks to the main port until
// a session initiate is answered, then to the port that answered.
class Client {
 public:
  Client(bool tcp, std::uint16_t port)
      : tcp_(tcp), port_(port), fd_(::socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0)) {
    const sockaddr_in server = Loopback(tcp ? port : 0);
    const auto* address = reinterpret_cast<const sockaddr*>(&server);
    EXPECT_EQ(tcp ? ::connect(fd_, address, sizeof server) : ::bind(fd_, address, sizeof server),
              0);
    const int one = 1;
    if (tcp) ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~Client() { ::close(fd_); }

  void send(const Bytes& bytes) { sendTo(port_, bytes); }
  void sendTo(std::uint16_t port, const Bytes& bytes) {
    const sockaddr_in to = Loopback(port);
    EXPECT_EQ(::sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&to), tcp_ ? 0 : sizeof to),
              static_cast<ssize_t>(bytes.size()));
  }

  // The next whole message; empty when none comes in time or the connection
  // closes. TCP is read by the header's byte count.
  Bytes receive(int timeoutMs = kBoundMs) {
    Bytes in(tcp_ ? 8 : 0x10000);
    std::size_t got = 0;
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    while (got < in.size() && Readable(fd_, timeoutMs)) {
      const ssize_t n = ::recvfrom(fd_, in.data() + got, in.size() - got, 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromSize);
      if (n <= 0) return {};
      got += static_cast<std::size_t>(n);
      if (!tcp_) in.resize(got);
      if (tcp_ && got == 8) in.resize((in[6] << 8) | in[7]);
    }
    if (got != in.size()) return {};
    from_ = ntohs(from.sin_port);
    if (!tcp_ && in.size() > 2 && in[1] == kResponse && in[2] == kInitiate) port_ = from_;
    return in;
  }
  // True when the server closes the connection in time, with nothing before.
  bool closedByServer() {
    std::uint8_t byte = 0;
    return Readable(fd_, kBoundMs) && ::recv(fd_, &byte, 1, 0) <= 0;
  }
  bool quiet() const { return !Readable(fd_, 0); }
  int fd() const { return fd_; }
  std::uint16_t lastFromPort() const { return from_; }

 private:
  static sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  bool tcp_;
  std::uint16_t port_;
  std::uint16_t from_ = 0;
  int fd_;
};

}  // namespace vantrel::sim::hartiptest
