// The simulator's HART-IP server seen from plain TCP and UDP sockets: the
// bytes of its messages, its sessions and their ends, and the line's faults
// as they reach a PDU.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "sim/HartIpServerThread.h"
#include "tests/sim/HartIpClient.h"

namespace vantrel::sim {
namespace {

using namespace hartiptest;

class HartIpTest : public ::testing::Test {
 protected:
  explicit HartIpTest(PtyServerOptions options = {}) : server_({DefaultDeviceConfig(0)}, options) {
    EXPECT_TRUE(server_.running()) << server_.error();
  }
  // A client with a session open.
  std::unique_ptr<Client> session(bool tcp, const Bytes& body = kInitiateBody) {
    auto client = std::make_unique<Client>(tcp, server_.hartIpPort());
    client->send(Message(kRequest, kInitiate, 1, body));
    EXPECT_EQ(client->receive(), Message(kResponse, kInitiate, 1, body));
    return client;
  }
  bool sessionsBecome(std::size_t n) {
    return WaitFor([&] { return server_.hartIpSessions() == n; });
  }

  HartIpServerThread server_;
};

// The tests that go the same over TCP (true) and UDP.
class HartIpServing : public HartIpTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HartIpServing, SessionInitiateEchoesTheBodyOrTheTimeItSet) {
  struct Case {
    Bytes asked;
    std::uint8_t status;
    Bytes answered;
  };
  const Case cases[] = {
      {kInitiateBody, 0, kInitiateBody},
      {{0x01, 0x00, 0x00, 0x00, 0xC8}, 0, {0x01, 0x00, 0x00, 0x00, 0xC8}},  // 200 ms
      {{0x01, 0x00, 0x00, 0x00, 0x0A}, 8, {0x01, 0x00, 0x00, 0x00, 0x64}},  // 10 ms: 100
      {{0x01, 0x00, 0x00}, 5, {}},                                          // too short
  };
  for (const Case& c : cases) {
    Client client(GetParam(), server_.hartIpPort());
    client.send(Message(kRequest, kInitiate, 0x1234, c.asked));
    EXPECT_EQ(client.receive(), Message(kResponse, kInitiate, 0x1234, c.answered, c.status));
  }
}

TEST_P(HartIpServing, PduCarriesTheDevicesFrameWithoutPreambles) {
  const Bytes longCommand0 = {0x82, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x00, 0x00, 0x08};
  const Bytes longIdentity = {0x86, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x00, 0x0E,
                              0x00, 0x00, 0xFE, 0x5A, 0x10, 0x05, 0x05, 0x01,
                              0x01, 0x01, 0x00, 0x01, 0x02, 0x03, 0xB7};
  auto client = session(GetParam());
  client->send(Message(kRequest, kPdu, 0xFFF1, kCommand0));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 0xFFF1, kIdentity));
  client->send(Message(kRequest, kPdu, 0xFFF2, longCommand0));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 0xFFF2, longIdentity));
}

TEST_P(HartIpServing, RequestsBeforeASessionGetTheSessionClosedError) {
  Client client(GetParam(), server_.hartIpPort());
  for (std::uint8_t id : {kPdu, kKeepAlive, kClose}) {
    client.send(Message(kRequest, id, 77, id == kPdu ? kCommand0 : Bytes{}));
    EXPECT_EQ(client.receive(), Message(kError, id, 77, kSessionClosed)) << int{id};
  }
}

TEST_P(HartIpServing, KeepAliveUnknownIdAndSecondInitiateInASession) {
  auto client = session(GetParam());
  client->send(Message(kRequest, kKeepAlive, 9));
  EXPECT_EQ(client->receive(), Message(kResponse, kKeepAlive, 9));
  client->send(Message(kRequest, 4, 10));
  EXPECT_EQ(client->receive(), Message(kNak, 4, 10));
  client->send(Message(kRequest, kInitiate, 11, kInitiateBody));
  EXPECT_EQ(client->receive(), Message(kResponse, kInitiate, 11, kInitiateBody, 16));
}

TEST_P(HartIpServing, SessionCloseIsAnsweredAndEndsTheSession) {
  auto client = session(GetParam());
  client->send(Message(kRequest, kClose, 2));
  EXPECT_EQ(client->receive(), Message(kResponse, kClose, 2));
  if (GetParam()) {
    EXPECT_TRUE(client->closedByServer());
  } else {
    client->sendTo(server_.hartIpPort(), Message(kRequest, kKeepAlive, 3));
    EXPECT_EQ(client->receive(), Message(kError, kKeepAlive, 3, kSessionClosed));
  }
  EXPECT_TRUE(sessionsBecome(0));
}

TEST_P(HartIpServing, InactivityEndsTheSession) {
  const auto start = Clock::now();
  auto client = session(GetParam(), {0x01, 0x00, 0x00, 0x00, 0xC8});  // 200 ms
  if (GetParam()) {
    EXPECT_TRUE(client->closedByServer());
  }
  EXPECT_TRUE(sessionsBecome(0));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
  client->send(Message(kRequest, kKeepAlive, 3));  // UDP: to the session's port, now closed
  EXPECT_TRUE(client->receive(200).empty());
}

// A silent request leaves no response: the keep-alive sent after it is the
// next message, and the next request is served again.
TEST_P(HartIpServing, SilentRequestGetsNoResponse) {
  LineFaults faults;
  faults.silent = 1;
  server_.setFaults(faults);
  auto client = session(GetParam());
  client->send(Message(kRequest, kPdu, 5, kCommand0));
  client->send(Message(kRequest, kKeepAlive, 6));
  EXPECT_EQ(client->receive(), Message(kResponse, kKeepAlive, 6));
  client->send(Message(kRequest, kPdu, 7, kCommand0));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 7, kIdentity));
  const std::vector<ReplyRecord> log = server_.faultInjector().log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_FALSE(log[0].sent);
  EXPECT_TRUE(log[1].frameIntact);
}

INSTANTIATE_TEST_SUITE_P(Transports, HartIpServing, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Tcp" : "Udp"; });

TEST_F(HartIpTest, TcpMessagesCutAnywhereOrJoinedAreServed) {
  auto client = session(true);
  auto other = session(true);
  const Bytes pdu = Message(kRequest, kPdu, 2, kCommand0);
  // Cut in the header, after it, and before the check byte. The other
  // session's keep-alive is answered in the server's loop that also read
  // what was sent here before it (loopback data is there when send returns).
  for (const auto& [from, to] : {std::pair{0, 5}, {5, 8}, {8, 12}}) {
    client->send(Bytes(pdu.begin() + from, pdu.begin() + to));
    other->send(Message(kRequest, kKeepAlive, 99));
    EXPECT_EQ(other->receive(), Message(kResponse, kKeepAlive, 99));
    EXPECT_TRUE(client->quiet()) << "after " << to << " bytes";
  }
  client->send(Bytes(pdu.begin() + 12, pdu.end()));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 2, kIdentity));

  Bytes joined = Message(kRequest, kKeepAlive, 3);
  for (const Bytes& m : {Message(kRequest, kPdu, 4, kCommand0), Message(kRequest, kClose, 5)}) {
    joined.insert(joined.end(), m.begin(), m.end());
  }
  client->send(joined);
  EXPECT_EQ(client->receive(), Message(kResponse, kKeepAlive, 3));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 4, kIdentity));
  EXPECT_EQ(client->receive(), Message(kResponse, kClose, 5));
  EXPECT_TRUE(client->closedByServer());
}

TEST_F(HartIpTest, BadHeaderClosesTheConnection) {
  for (const Bytes& bad : {Bytes{2, 0, 2, 0, 0, 1, 0, 8},     // version 2
                           Bytes{1, 0, 2, 0, 0, 1, 0, 7}}) {  // byte count below the header
    auto client = session(true);
    client->send(bad);
    EXPECT_TRUE(client->closedByServer());
  }
}

TEST_F(HartIpTest, EachClientHasItsOwnSession) {
  auto tcp = session(true);
  auto udp = session(false);
  Client stranger(true, server_.hartIpPort());
  EXPECT_EQ(server_.hartIpSessions(), 2u);
  stranger.send(Message(kRequest, kPdu, 1, kCommand0));
  EXPECT_EQ(stranger.receive(), Message(kError, kPdu, 1, kSessionClosed));
  tcp->send(Message(kRequest, kClose, 2));
  EXPECT_EQ(tcp->receive(), Message(kResponse, kClose, 2));
  udp->send(Message(kRequest, kPdu, 3, kCommand0));
  EXPECT_EQ(udp->receive(), Message(kResponse, kPdu, 3, kIdentity));
  EXPECT_TRUE(sessionsBecome(1));
}

TEST_F(HartIpTest, UdpSessionIsServedFromItsOwnPort) {
  const std::uint16_t mainPort = server_.hartIpPort();
  auto client = session(false);
  const std::uint16_t sessionPort = client->lastFromPort();
  EXPECT_NE(sessionPort, mainPort);
  client->sendTo(sessionPort, Message(kRequest, kPdu, 2, kCommand0));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 2, kIdentity));
  EXPECT_EQ(client->lastFromPort(), sessionPort);
  // A client that stays on the main port is answered from there, in its
  // session; the session's own port still answers too.
  client->sendTo(mainPort, Message(kRequest, kPdu, 3, kCommand0));
  EXPECT_EQ(client->receive(), Message(kResponse, kPdu, 3, kIdentity));
  EXPECT_EQ(client->lastFromPort(), mainPort);
  client->sendTo(sessionPort, Message(kRequest, kKeepAlive, 4));
  EXPECT_EQ(client->receive(), Message(kResponse, kKeepAlive, 4));
  EXPECT_EQ(client->lastFromPort(), sessionPort);
  // Another client's request to the main port has no session to go to.
  Client stranger(false, mainPort);
  stranger.send(Message(kRequest, kPdu, 5, kCommand0));
  EXPECT_EQ(stranger.receive(), Message(kError, kPdu, 5, kSessionClosed));
  // Initiating again replaces the session.
  client->sendTo(mainPort, Message(kRequest, kInitiate, 6, kInitiateBody));
  EXPECT_EQ(client->receive(), Message(kResponse, kInitiate, 6, kInitiateBody));
  EXPECT_NE(client->lastFromPort(), mainPort);
  EXPECT_TRUE(sessionsBecome(1));
}

// What a reply fault makes of the answer to command 0: the PDU's frame, or
// none (the keep-alive after it comes first), or the session's end.
struct ReplyFaultCase {
  const char* name;
  void (*set)(LineFaults&);
  std::optional<Bytes> frame;
  bool ends = false;
  int atLeastMs = 0;
};

const ReplyFaultCase kReplyFaults[] = {
    {"ErrorCode", [](LineFaults& f) { f.errorCode = 64; },
     Bytes{0x06, 0x80, 0x00, 0x02, 0x40, 0x00, 0xC4}},
    {"Busy", [](LineFaults& f) { f.busy = 1; }, Bytes{0x06, 0x80, 0x00, 0x02, 0x20, 0x00, 0xA4}},
    {"WrongAddress", [](LineFaults& f) { f.wrongAddress = true; },
     Bytes{0x06, 0x81, 0x00, 0x0E, 0x00, 0x00, 0xFE, 0x5A, 0x10, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00,
           0x01, 0x02, 0x03, 0x3C}},
    {"CorruptCheckByte", [](LineFaults& f) { f.corruptRate = 1.0; },
     Bytes{0x06, 0x80, 0x00, 0x0E, 0x00, 0x00, 0xFE, 0x5A, 0x10, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00,
           0x01, 0x02, 0x03, 0x1E}},  // 0x3D, damaged as seed 1 damages it
    {"GarbageDoesNotComeThrough", [](LineFaults& f) { f.garbageBytes = 20; }, kIdentity},
    {"Late", [](LineFaults& f) { f.lateMs = 300; }, kIdentity, false, 300},
    {"NoReply", [](LineFaults& f) { f.noReplyRate = 1.0; }, std::nullopt},
    {"HangupCutsTheReply", [](LineFaults& f) { f.hangupAfter = 10; }, std::nullopt, true},
    {"HangupAfterAWholeReply", [](LineFaults& f) { f.hangupAfter = 100; }, kIdentity, true},
};

void PrintTo(const ReplyFaultCase& c, std::ostream* os) {
  *os << c.name;
}

class HartIpReplyFault : public ::testing::TestWithParam<ReplyFaultCase> {};

TEST_P(HartIpReplyFault, ShapesThePdusAnswer) {
  const ReplyFaultCase& c = GetParam();
  PtyServerOptions options;
  c.set(options.faults);
  HartIpServerThread server({DefaultDeviceConfig(0)}, options);
  Client client(true, server.hartIpPort());
  client.send(Message(kRequest, kInitiate, 1, kInitiateBody));
  ASSERT_EQ(client.receive(), Message(kResponse, kInitiate, 1, kInitiateBody));
  const auto sent = Clock::now();
  client.send(Message(kRequest, kPdu, 2, kCommand0));
  if (!c.ends) client.send(Message(kRequest, kKeepAlive, 3));
  if (c.frame) {
    EXPECT_EQ(client.receive(), Message(kResponse, kPdu, 2, *c.frame));
  }
  EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(c.atLeastMs));
  if (c.ends) {
    EXPECT_TRUE(client.closedByServer());
  } else {
    EXPECT_EQ(client.receive(), Message(kResponse, kKeepAlive, 3));
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, HartIpReplyFault, ::testing::ValuesIn(kReplyFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HartIpEndpointText, PortWithAnOptionalAddress) {
  const std::pair<const char*, std::optional<std::pair<std::string, int>>> cases[] = {
      {"5094", {{"127.0.0.1", 5094}}},
      {"0.0.0.0:65535", {{"0.0.0.0", 65535}}},
      {"[::1]:0", {{"::1", 0}}},
      {"65536", std::nullopt},
      {"", std::nullopt},
      {"127.0.0.1:", std::nullopt},
      {"localhost:5094", std::nullopt},
      {"::1:5094", std::nullopt},
      {"[127.0.0.1]:1", std::nullopt},
      {"1.2.3.4:5x", std::nullopt},
      {"[::1]", std::nullopt},
      {"::1", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    const std::optional<HartIpEndpoint> parsed = ParseHartIpEndpoint(text);
    ASSERT_EQ(parsed.has_value(), expected.has_value()) << text;
    if (parsed) {
      EXPECT_EQ(std::make_pair(parsed->address, int{parsed->port}), *expected) << text;
    }
  }
  HartIpServerOptions v6;
  v6.address = "::1";
  HartIpServerThread server({DefaultDeviceConfig(0)}, {}, v6);
  if (server.running()) {
    EXPECT_EQ(server.hartIpEndpoint(), "[::1]:" + std::to_string(server.hartIpPort()));
  }
}

// What one way of reaching the device changes, the other sees: HART-IP moves
// the device to polling address 5, the terminal finds it there.
TEST(HartIpAndTerminal, ServeTheSameDevice) {
  HartIpServerThread server({DefaultDeviceConfig(0)});
  Client client(true, server.hartIpPort());
  client.send(Message(kRequest, kInitiate, 1, kInitiateBody));
  client.send(Message(kRequest, kPdu, 2, {0x02, 0x80, 0x06, 0x01, 0x05, 0x80}));
  EXPECT_EQ(client.receive(), Message(kResponse, kInitiate, 1, kInitiateBody));
  EXPECT_EQ(client.receive(),
            Message(kResponse, kPdu, 2, {0x06, 0x80, 0x06, 0x03, 0x00, 0x00, 0x05, 0x86}));

  const int fd = ::open(server.devicePath().c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x85, 0x00, 0x00, 0x87};
  ASSERT_EQ(::write(fd, request.data(), request.size()), 10);
  Bytes expected(5, 0xFF);
  expected.insert(expected.end(), kIdentity.begin(), kIdentity.end());
  expected[6] = 0x85;
  expected.back() = 0x38;
  Bytes reply(expected.size());
  for (std::size_t got = 0; got < reply.size() && Readable(fd, kBoundMs);) {
    const ssize_t n = ::read(fd, reply.data() + got, reply.size() - got);
    got += n > 0 ? static_cast<std::size_t>(n) : reply.size();
  }
  EXPECT_EQ(reply, expected);
  ::close(fd);
}

// vantrel-sim --hart-ip prints the terminal's path, then where it serves
// HART-IP, and serves there.
TEST(HartIpSimProgram, PrintsItsAddressOnTheSecondLine) {
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const char* argv[] = {VANTREL_SIM_PATH, "--hart-ip", "0", nullptr};
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, VANTREL_SIM_PATH, &actions, nullptr, const_cast<char* const*>(argv),
                          environ),
            0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string text;
  char buffer[256];
  while (std::count(text.begin(), text.end(), '\n') < 2 && Readable(out[0], kBoundMs)) {
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    text.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    if (n <= 0) break;
  }
  const std::size_t second = text.find("\nhart-ip 127.0.0.1:");
  ASSERT_NE(second, std::string::npos) << text;
  EXPECT_EQ(text.rfind("/dev/pts/", 0), 0u) << text;
  const int port = std::atoi(text.c_str() + second + 19);
  EXPECT_EQ(text.substr(second + 19), std::to_string(port) + "\n");

  Client client(false, static_cast<std::uint16_t>(port));
  client.send(Message(kRequest, kInitiate, 1, kInitiateBody));
  EXPECT_EQ(client.receive(), Message(kResponse, kInitiate, 1, kInitiateBody));
  client.send(Message(kRequest, kPdu, 2, kCommand0));
  EXPECT_EQ(client.receive(), Message(kResponse, kPdu, 2, kIdentity));
  ::kill(pid, SIGTERM);
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ::close(out[0]);
}

}  // namespace
}  // namespace vantrel::sim
