// The HART-IP client transport under a session, against servers scripted
// here byte by byte on 127.0.0.1: what goes on the wire, which answers are
// taken, and how a session opens, stays alive, breaks and closes. Time is a
// manual clock moved by the test; socket events are waited for.
#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include <memory>
#include <string>
#include <utility>

#include "link/HartIpMessage.h"
#include "port/HartIpTransport.h"
#include "port/Session.h"
#include "tests/link/LinkFakes.h"
#include "tests/support/ManualClock.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::ManualClock;

template <typename Predicate>
bool Soon(Predicate done) {
  return QTest::qWaitFor(done, 5000);  // anything awaited comes well within this
}

void Turns() {
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

enum : std::uint8_t { kRequest = 0, kResponse = 1, kError = 3, kNak = 15 };
enum : std::uint8_t { kInitiate = 0, kClose = 1, kKeepAlive = 2, kPdu = 3 };

// A message as it goes on the wire, spelled out rather than taken from the
// codec.
Bytes Msg(int type, std::uint8_t id, int sequence, const Bytes& body = {},
          std::uint8_t status = 0) {
  Bytes out = {1, std::uint8_t(type), id, status};
  for (const int word : {sequence, 8 + static_cast<int>(body.size())}) {
    out.insert(out.end(), {std::uint8_t(word >> 8), std::uint8_t(word)});
  }
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

int SequenceOf(const Bytes& message) {
  return message.size() < 8 ? -1 : message[4] << 8 | message[5];
}

const Bytes kInitiateBody = {0x01, 0x00, 0x00, 0xEA, 0x60};  // primary master, 60000 ms
const Bytes kCommand0 = {0x02, 0x80, 0x00, 0x00, 0x82};      // to polling address 0
// Two answers to it, told apart by the device status.
const Bytes kReply = {0x06, 0x80, 0x00, 0x02, 0x00, 0x00, 0x84};
const Bytes kOtherReply = {0x06, 0x80, 0x00, 0x02, 0x00, 0x40, 0xC4};

// The server end, TCP or UDP; the test writes every byte it sends.
class FakeServer {
 public:
  explicit FakeServer(bool udp) : udp_(udp) {
    // The scripted server's sockets ask no system proxy either.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    EXPECT_TRUE(udp ? udpSocket_.bind(QHostAddress::LocalHost, 0)
                    : server_.listen(QHostAddress::LocalHost, 0));
  }
  HartIpEndpoint endpoint() const {
    HartIpEndpoint endpoint;
    endpoint.host = QStringLiteral("127.0.0.1");
    endpoint.port = udp_ ? udpSocket_.localPort() : server_.serverPort();
    endpoint.udp = udp_;
    return endpoint;
  }
  // The next message from the client (over UDP: the next datagram to `at`);
  // empty when none comes in time.
  Bytes next(QUdpSocket* at = nullptr) {
    if (udp_) {
      QUdpSocket* socket = at ? at : &udpSocket_;
      if (!Soon([socket] { return socket->hasPendingDatagrams(); })) return {};
      const QNetworkDatagram datagram = socket->receiveDatagram();
      client_ = static_cast<quint16>(datagram.senderPort());
      const QByteArray data = datagram.data();
      return Bytes(data.begin(), data.end());
    }
    if (!Soon([this] { return whole() > 0; })) return {};
    const auto end = in_.begin() + static_cast<std::ptrdiff_t>(whole());
    Bytes message(in_.begin(), end);
    in_.erase(in_.begin(), end);
    return message;
  }
  // Whatever came next, message or not: over UDP one datagram, over TCP
  // the bytes held once some have come. Empty when nothing comes in time.
  Bytes raw() {
    if (udp_) return next();
    if (!Soon([this] { return whole() > 0 || !in_.empty(); })) return {};
    return std::exchange(in_, {});
  }
  // Nothing more came while the event loop had its turns.
  bool quiet() {
    Turns();
    return udp_ ? !udpSocket_.hasPendingDatagrams() : whole() == 0 && in_.empty();
  }
  void send(const Bytes& bytes, QUdpSocket* from = nullptr) {
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const auto size = static_cast<qint64>(bytes.size());
    if (udp_) {
      (from ? from : &udpSocket_)->writeDatagram(data, size, QHostAddress::LocalHost, client_);
    } else if (connection_) {
      connection_->write(data, size);
      connection_->flush();
    }
  }
  QTcpSocket* connection() const { return connection_; }

 private:
  // The size of the whole message in front, 0 while it is incomplete.
  std::size_t whole() {
    if (!connection_ && server_.hasPendingConnections()) {
      connection_ = server_.nextPendingConnection();
    }
    if (connection_) {
      const QByteArray bytes = connection_->readAll();
      in_.insert(in_.end(), bytes.begin(), bytes.end());
    }
    if (in_.size() < 8) return 0;
    const std::size_t size = std::max<std::size_t>(8, in_[6] << 8 | in_[7]);
    return in_.size() >= size ? size : 0;
  }

  bool udp_;
  QTcpServer server_;
  QTcpSocket* connection_ = nullptr;
  QUdpSocket udpSocket_;
  quint16 client_ = 0;
  Bytes in_;
};

// A version 2 message: the same with 2 in the header.
Bytes V2(Bytes message) {
  message[0] = 2;
  return message;
}

PskKey TestKey() {
  return {"vantrel-test", Bytes(16, 0x5A)};
}

struct Fixture {
  explicit Fixture(bool udp = false, bool secure = false) : server(udp) {
    QObject::connect(session.get(), &Session::operationFinished,
                     [this](const OperationEnd& end) { ends.push_back(end); });
    session->addObserver(&line);
    HartIpEndpoint endpoint = server.endpoint();
    if (secure) endpoint.psk = TestKey();
    session->openHartIp(endpoint);
  }
  // Answers the session initiate; returns its sequence number.
  int open() {
    const int sequence = SequenceOf(server.next());
    server.send(Msg(kResponse, kInitiate, sequence, kInitiateBody));
    EXPECT_TRUE(Soon([this] { return opened.count() == 1; }));
    return sequence;
  }
  // Starts a communication test; returns the sequence number of its PDU.
  int startCommTest() {
    EXPECT_TRUE(session->start(OP_COMM_TEST, 0));
    const Bytes pdu = server.next();
    EXPECT_EQ(pdu, Msg(kRequest, kPdu, SequenceOf(pdu), kCommand0));
    return SequenceOf(pdu);
  }
  // Moves the clock on and lets the driver's timer run at once.
  void advance(TimeMs ms) {
    clock.now += ms;
    session->clockMoved();
  }
  // The operation ended on kReply, the one frame the link core took.
  void expectReplyTaken() {
    ASSERT_TRUE(Soon([this] { return !ends.empty(); }));
    EXPECT_EQ(ends.back().result, OperationResult::Success);
    EXPECT_EQ(line.received, std::vector<Bytes>{kReply});
  }
  HartIpTransport* transport() { return session->hartIpTransport(); }

  ManualClock clock;
  testing::RecordingObserver line;  // the frames the link core took
  FakeServer server;
  std::unique_ptr<Session> session = std::make_unique<Session>(clock);
  QSignalSpy opened{session.get(), &Session::portOpened};
  QSignalSpy openFailed{session.get(), &Session::portOpenFailed};
  QSignalSpy lost{session.get(), &Session::portLost};
  std::vector<OperationEnd> ends;
};

TEST(HartIpTransport, InitiatesFirstThenSendsEachRequestAsAPduUnderTheNextNumber) {
  Fixture f;
  const Bytes initiate = f.server.next();
  const int s = SequenceOf(initiate);
  EXPECT_EQ(initiate, Msg(kRequest, kInitiate, s, kInitiateBody));
  // Until the answer the port is not open: an operation sends nothing.
  EXPECT_FALSE(f.session->start(OP_COMM_TEST, 0));
  f.ends.clear();
  f.server.send(Msg(kResponse, kInitiate, s, kInitiateBody));
  ASSERT_TRUE(Soon([&] { return f.opened.count() == 1; }));
  ASSERT_TRUE(f.session->start(OP_COMM_TEST, 0));
  EXPECT_EQ(f.server.next(), Msg(kRequest, kPdu, s + 1, kCommand0));
  // Unanswered, the request goes again under the next number.
  f.advance(2000);
  EXPECT_EQ(f.server.next(), Msg(kRequest, kPdu, s + 2, kCommand0));
  f.server.send(Msg(kResponse, kPdu, s + 2, kReply));
  f.expectReplyTaken();
}

// The reply is taken whole, however the stream cuts it, and only under the
// number of the PDU it answers.
TEST(HartIpTransport, TakesTheReplyWholeAndUnderItsNumberOnly) {
  struct Delivery {
    const char* what;
    int strayType;    // a message before the reply, or none (-1)
    int strayOffset;  // its number, from the awaited one
    std::size_t cut1, cut2;
  };
  for (const Delivery& c : {Delivery{"a response under the number before", kResponse, -1, 0, 0},
                            Delivery{"a response under the number after", kResponse, +1, 0, 0},
                            Delivery{"a request under the awaited number", kRequest, 0, 0, 0},
                            Delivery{"cut inside the header", -1, 0, 1, 5},
                            Delivery{"cut across header and body", -1, 0, 5, 10},
                            Delivery{"cut inside the body", -1, 0, 8, 14}}) {
    SCOPED_TRACE(c.what);
    Fixture f;
    f.open();
    const int awaited = f.startCommTest();
    if (c.strayType >= 0)
      f.server.send(Msg(c.strayType, kPdu, awaited + c.strayOffset, kOtherReply));
    const Bytes m = Msg(kResponse, kPdu, awaited, kReply);
    f.server.send(Bytes(m.begin(), m.begin() + c.cut1));
    Turns();
    f.server.send(Bytes(m.begin() + c.cut1, m.begin() + c.cut2));
    Turns();
    EXPECT_TRUE(f.ends.empty());
    f.server.send(Bytes(m.begin() + c.cut2, m.end()));
    f.expectReplyTaken();
  }
}

TEST(HartIpTransport, KeepsAnIdleSessionAlive) {
  Fixture f;
  const int s = f.open();
  const TimeMs openedAt = f.clock.now;
  HartIpTransport* ip = f.transport();
  // A millisecond short of the idle time nothing goes out.
  EXPECT_EQ(ip->nextDeadline(), openedAt + kHartIpKeepAliveMs);
  f.clock.now = openedAt + kHartIpKeepAliveMs - 1;
  ip->handleDeadline(f.clock.now);
  EXPECT_EQ(ip->nextDeadline(), openedAt + kHartIpKeepAliveMs);
  f.advance(1);
  EXPECT_EQ(f.server.next(), Msg(kRequest, kKeepAlive, s + 1));
  f.server.send(Msg(kResponse, kKeepAlive, s + 1));
  ASSERT_TRUE(Soon([&] { return ip->nextDeadline() == f.clock.now + kHartIpKeepAliveMs; }));
  // A request puts the next one off.
  f.advance(kHartIpKeepAliveMs / 2);
  EXPECT_EQ(f.startCommTest(), s + 2);
  f.server.send(Msg(kResponse, kPdu, s + 2, kReply));
  f.expectReplyTaken();
  EXPECT_EQ(ip->nextDeadline(), f.clock.now + kHartIpKeepAliveMs);
  f.advance(kHartIpKeepAliveMs);
  EXPECT_EQ(f.server.next(), Msg(kRequest, kKeepAlive, s + 3));
}

// A server gone while nothing was asked is found by the keep-alive: over
// TCP one unanswered for the open time, over UDP three sent within it, and
// the session is lost there and then, in words.
TEST(HartIpTransport, AnUnansweredKeepAliveLosesTheIdleSession) {
  for (const bool udp : {false, true}) {
    SCOPED_TRACE(udp ? "udp" : "tcp");
    Fixture f(udp);
    const int s = f.open();
    f.advance(kHartIpKeepAliveMs);
    const int tries = udp ? kHartIpUdpKeepAliveTries : 1;
    for (int i = 0; i < tries; ++i) {
      EXPECT_EQ(f.server.next(), Msg(kRequest, kKeepAlive, s + 1)) << i;
      EXPECT_EQ(f.lost.count(), 0);
      f.advance(kHartIpOpenMs / tries);
    }
    ASSERT_TRUE(Soon([&] { return f.lost.count() == 1; }));
    EXPECT_EQ(f.lost[0][0].toString(), QStringLiteral("服务器对保持连接消息无应答"));
    EXPECT_FALSE(f.session->isPortOpen());
    EXPECT_TRUE(f.ends.empty());
  }
}

TEST(HartIpTransport, ASessionEndedByTheServerEndsTheOperation) {
  struct Ending {
    const char* what;
    Bytes message;  // none: the connection closes
    std::string reason;
  };
  const std::uint8_t closed = hartip::kErrorSessionClosed;
  for (const Ending& c :
       {Ending{"the connection closes", {}, "服务器关闭了连接"},
        Ending{"a session close request", Msg(kRequest, kClose, 0x4000), "服务器关闭了会话"},
        Ending{"an error: session closed", Msg(kError, kPdu, 0, {closed}),
               hartip::ErrorCodeText(closed)},
        Ending{"a header of another version",
               {2, kResponse, kPdu, 0, 0, 0, 0, 8},
               "服务器发来的数据无法解读"}}) {
    SCOPED_TRACE(c.what);
    Fixture f;
    f.open();
    f.startCommTest();
    if (c.message.empty()) {
      f.server.connection()->disconnectFromHost();
    } else {
      f.server.send(c.message);
    }
    ASSERT_TRUE(Soon([&] { return f.lost.count() == 1; }));
    EXPECT_TRUE(f.lost[0][0].toString().contains(QString::fromStdString(c.reason)));
    ASSERT_EQ(f.ends.size(), 1u);
    EXPECT_NE(f.ends[0].result, OperationResult::Success);
    EXPECT_FALSE(f.session->isPortOpen());
    EXPECT_EQ(f.openFailed.count(), 0);
  }
}

TEST(HartIpTransport, ARefusedInitiateFailsTheOpenInWords) {
  struct Refusal {
    const char* what;
    std::uint8_t type, status;
    Bytes body;
    std::string reason;
  };
  const std::uint8_t unavailable = hartip::kErrorPrimarySessionUnavailable;
  const std::uint8_t noService = hartip::kErrorServiceUnavailable;
  for (const Refusal& c :
       {Refusal{"an error message", kError, 0, {unavailable}, hartip::ErrorCodeText(unavailable)},
        Refusal{"a NAK", kNak, 0, {noService}, hartip::ErrorCodeText(noService)},
        Refusal{"all sessions in use", kResponse, 15, kInitiateBody, "会话已满"}}) {
    SCOPED_TRACE(c.what);
    Fixture f;
    const Bytes initiate = f.server.next();
    f.server.send(Msg(c.type, kInitiate, SequenceOf(initiate), c.body, c.status));
    ASSERT_TRUE(Soon([&] { return f.openFailed.count() == 1; }));
    const QString reason = f.openFailed[0][0].toString();
    EXPECT_TRUE(reason.contains(QString::fromStdString(c.reason))) << reason.toStdString();
    EXPECT_EQ(f.session->portError(), reason);
    EXPECT_FALSE(f.session->isPortOpen());
    EXPECT_EQ(f.opened.count(), 0);
  }
}

TEST(HartIpTransport, FollowsAUdpSessionToThePortThatAnswered) {
  Fixture f(true);
  const Bytes initiate = f.server.next();
  const int s = SequenceOf(initiate);
  EXPECT_EQ(initiate, Msg(kRequest, kInitiate, s, kInitiateBody));
  QUdpSocket own;
  ASSERT_TRUE(own.bind(QHostAddress::LocalHost, 0));
  f.server.send(Msg(kResponse, kInitiate, s, kInitiateBody), &own);
  ASSERT_TRUE(Soon([&] { return f.opened.count() == 1; }));
  EXPECT_EQ(f.transport()->peerPort(), own.localPort());
  ASSERT_TRUE(f.session->start(OP_COMM_TEST, 0));
  EXPECT_EQ(f.server.next(&own), Msg(kRequest, kPdu, s + 1, kCommand0));
  // The main port is no longer the session's: its answer is not taken.
  f.server.send(Msg(kResponse, kPdu, s + 1, kOtherReply));
  f.server.send(Msg(kResponse, kPdu, s + 1, kReply), &own);
  f.expectReplyTaken();
  EXPECT_TRUE(f.server.quiet());
}

// The open time counts from the open: a connection that takes its time
// leaves the initiate only the rest. UDP sends the initiate again within it.
TEST(HartIpTransport, AnUnansweredInitiateFailsTheOpenInTime) {
  for (const bool udp : {false, true}) {
    SCOPED_TRACE(udp ? "UDP" : "TCP");
    Fixture f(udp);
    const TimeMs openedAt = f.clock.now;
    if (!udp) f.clock.now += 1000;  // before the connection is seen
    const Bytes initiate = f.server.next();
    EXPECT_EQ(initiate, Msg(kRequest, kInitiate, SequenceOf(initiate), kInitiateBody));
    if (udp) {
      // An answer under another number, from another port, is none.
      QUdpSocket stray;
      ASSERT_TRUE(stray.bind(QHostAddress::LocalHost, 0));
      f.server.send(Msg(kResponse, kInitiate, SequenceOf(initiate) + 1, kInitiateBody), &stray);
      Turns();
      for (int i = 1; i < kHartIpUdpInitiateTries; ++i) {
        f.advance(kHartIpOpenMs / kHartIpUdpInitiateTries);
        EXPECT_EQ(f.server.next(), initiate);
      }
    }
    f.clock.now = openedAt + kHartIpOpenMs - 1;
    f.transport()->handleDeadline(f.clock.now);
    EXPECT_EQ(f.openFailed.count(), 0);
    f.advance(1);
    ASSERT_TRUE(Soon([&] { return f.openFailed.count() == 1; }));
    EXPECT_EQ(f.openFailed[0][0].toString(), QStringLiteral("服务器无应答"));
    EXPECT_TRUE(f.server.quiet());
  }
}

TEST(HartIpTransport, ClosingSendsASessionClose) {
  for (const int i : {0, 1, 2, 3}) {
    const bool udp = i & 1, destroy = i & 2;
    SCOPED_TRACE(::testing::Message() << (udp ? "UDP" : "TCP") << (destroy ? " destroyed" : ""));
    Fixture f(udp);
    const int s = f.open();
    if (destroy) {
      f.session.reset();
    } else {
      f.session->closePort();
      EXPECT_FALSE(f.session->isPortOpen());
    }
    EXPECT_EQ(f.server.next(), Msg(kRequest, kClose, s + 1));
    if (!udp) {
      EXPECT_TRUE(Soon(
          [&] { return f.server.connection()->state() == QAbstractSocket::UnconnectedState; }));
    }
  }
}

// Version 2: the initiate goes in plain text under version 2; once it is
// granted, what follows on the connection (or to the port that answered) is
// the TLS or DTLS ClientHello, never a HART-IP message in plain text, and
// the port stays closed until the handshake is done. A server that never
// finishes it fails the open at the end of the open time, in words.
TEST(HartIpTransport, ASecureSessionSendsNothingButItsHandshakeAfterTheInitiate) {
  for (const bool udp : {false, true}) {
    SCOPED_TRACE(udp ? "UDP" : "TCP");
    Fixture f(udp, true);
    const Bytes initiate = f.server.next();
    const int s = SequenceOf(initiate);
    EXPECT_EQ(initiate, V2(Msg(kRequest, kInitiate, s, kInitiateBody)));
    f.server.send(V2(Msg(kResponse, kInitiate, s, kInitiateBody)));
    const Bytes hello = f.server.raw();
    // A handshake record holding a ClientHello (type 1): TLS has a 5-byte
    // record header, DTLS a 13-byte one.
    const std::size_t type = udp ? 13 : 5;
    ASSERT_GT(hello.size(), type);
    EXPECT_EQ(hello[0], 0x16);
    EXPECT_EQ(hello[type], 0x01);
    EXPECT_FALSE(f.session->isPortOpen());
    EXPECT_FALSE(f.session->start(OP_COMM_TEST, 0));
    EXPECT_TRUE(f.server.quiet());
    f.advance(kHartIpOpenMs);
    ASSERT_TRUE(Soon([&] { return f.openFailed.count() == 1; }));
    EXPECT_EQ(f.openFailed[0][0].toString(),
              QStringLiteral("安全会话建立失败：服务器对握手无应答"));
    EXPECT_EQ(f.opened.count(), 0);
  }
}

// A server of version 1 refuses a version 2 initiate with status 14 in a
// version 1 header, or grants a session of its own version: either way the
// open fails saying so, and nothing more is sent.
TEST(HartIpTransport, AServerOfVersion1IsSaidToBeOneAndGetsNothingMore) {
  const struct {
    const char* what;
    std::uint8_t status;
  } cases[] = {{"status 14", hartip::kStatusVersionNotSupported}, {"a version 1 session", 0}};
  for (const auto& c : cases) {
    for (const bool udp : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.what << (udp ? " UDP" : " TCP"));
      Fixture f(udp, true);
      const Bytes initiate = f.server.next();
      f.server.send(Msg(kResponse, kInitiate, SequenceOf(initiate), kInitiateBody, c.status));
      ASSERT_TRUE(Soon([&] { return f.openFailed.count() == 1; }));
      EXPECT_EQ(f.openFailed[0][0].toString(), QStringLiteral("服务器不支持 HART-IP 版本 2"));
      EXPECT_TRUE(f.server.quiet());
    }
  }
}

}  // namespace
}  // namespace vantrel
