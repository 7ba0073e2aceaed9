#include "port/HartIpTransport.h"

#include <QFile>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <string_view>

#include "link/HartFrame.h"
#include "link/HartIpEndpoint.h"
#include "port/HartIpSecureChannel.h"

namespace vantrel {

using hartip::Message;
using hartip::MessageId;
using hartip::MessageType;

QString HartIpEndpoint::text() const {
  const QString shown =
      host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
  return shown + QLatin1Char(':') + QString::number(port);
}

std::optional<HartIpEndpoint> ParseHartIpEndpoint(const QString& text) {
  const std::optional<HostAndPort> split = SplitHostAndPort(text.trimmed().toStdString());
  if (!split) return std::nullopt;
  HartIpEndpoint endpoint;
  endpoint.host = QString::fromStdString(split->host);
  if (split->port) {
    // As a number is typed: spaces around it and a plus sign are let through.
    bool ok = false;
    const uint port = QString::fromStdString(*split->port).toUInt(&ok);
    if (!ok || port == 0 || port > 0xFFFF) return std::nullopt;
    endpoint.port = static_cast<quint16>(port);
  }
  return endpoint;
}

namespace {

// The group and other bits of a file's mode as Unix writes them.
unsigned GroupAndOtherBits(QFileDevice::Permissions permissions) {
  const struct {
    QFileDevice::Permission permission;
    unsigned bit;
  } bits[] = {{QFileDevice::ReadGroup, 040}, {QFileDevice::WriteGroup, 020},
              {QFileDevice::ExeGroup, 010},  {QFileDevice::ReadOther, 04},
              {QFileDevice::WriteOther, 02}, {QFileDevice::ExeOther, 01}};
  unsigned mode = 0;
  for (const auto& b : bits) {
    if (permissions.testFlag(b.permission)) mode |= b.bit;
  }
  return mode;
}

// A key file is a line or two; anything far longer is not one.
constexpr qint64 kMaxKeyFileBytes = 64 * 1024;

}  // namespace

std::optional<PskKey> HartIpTransport::readKeyFile(const QString& path, QString* reason) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *reason = tr("密钥文件无法读取：%1").arg(file.errorString());
    return std::nullopt;
  }
#ifndef Q_OS_WIN
  if (PskKeyFileModeTooOpen(GroupAndOtherBits(file.permissions()))) {
    *reason = tr("密钥文件可被其他用户读取，应只许所有者读写（chmod 600）");
    return std::nullopt;
  }
#endif
  const QByteArray text = file.read(kMaxKeyFileBytes);
  PskKeyParse parsed =
      ParsePskKeyFile(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  if (!parsed.key) {
    *reason = keyFileError(parsed);
    return std::nullopt;
  }
  return std::move(parsed.key);
}

// What is wrong with the file, and on which line.
QString HartIpTransport::keyFileError(const PskKeyParse& parsed) {
  QString what;
  switch (parsed.error) {
    case PskKeyError::None:
    case PskKeyError::NoKeyLine:
      return tr("密钥文件中没有“身份:十六进制密钥”行");
    case PskKeyError::SeveralKeys:
      what = tr("密钥行多于一行");
      break;
    case PskKeyError::NoColon:
      what = tr("缺少冒号，应为“身份:十六进制密钥”");
      break;
    case PskKeyError::BadIdentity:
      what = tr("身份只能由可见的 ASCII 字符组成，且不超过 %1 个")
                 .arg(static_cast<int>(kMaxPskIdentityChars));
      break;
    case PskKeyError::ShortIdentity:
      what = tr("身份短于 %1 个字符").arg(static_cast<int>(kMinPskIdentityChars));
      break;
    case PskKeyError::BadHex:
      what = tr("密钥不是十六进制数");
      break;
    case PskKeyError::ShortKey:
      what = tr("密钥短于 %1 字节").arg(static_cast<int>(kMinPskKeyBytes));
      break;
    case PskKeyError::LongKey:
      what = tr("密钥长于 %1 字节").arg(static_cast<int>(kMaxPskKeyBytes));
      break;
  }
  return tr("密钥文件第 %1 行：%2").arg(parsed.line).arg(what);
}

HartIpTransport::HartIpTransport(const Clock& clock, HartIpEndpoint endpoint, QObject* parent)
    : Transport(parent), clock_(clock), endpoint_(std::move(endpoint)) {}

HartIpTransport::~HartIpTransport() {
  close();
}

QString HartIpTransport::name() const {
  return (endpoint_.udp ? QStringLiteral("hart-ip udp ") : QStringLiteral("hart-ip tcp ")) +
         endpoint_.text();
}

QString HartIpTransport::openFailedText() {
  return tr("HART-IP 连接失败");
}

void HartIpTransport::open() {
  close();
  error_.clear();
  parser_ = hartip::StreamParser(static_cast<std::uint8_t>(endpoint_.version()));
  frames_.clear();
  awaited_.reset();
  initiateTries_ = 0;
  state_ = State::Connecting;
  openedAt_ = clock_.nowMs();
  openDue_ = openedAt_ + kHartIpOpenMs;
  if (endpoint_.psk) {
    const QString missing = HartIpSecureChannel::useOpenSslBackend(endpoint_.udp);
    if (!missing.isEmpty()) {
      fail(missing);
      return;
    }
  }
  if (!endpoint_.udp) {
    startTcp();
  } else if (QHostAddress address; address.setAddress(endpoint_.host)) {
    startUdp(address);
  } else {
    QHostInfo::lookupHost(endpoint_.host, this, [this](const QHostInfo& info) {
      if (state_ != State::Connecting) return;
      if (info.addresses().isEmpty()) {
        fail(info.errorString());
      } else {
        startUdp(info.addresses().constFirst());
      }
    });
  }
  emit deadlinesChanged();
}

// Version 2 connects in plain text as well: the TLS handshake starts on
// this connection once the initiate is answered.
void HartIpTransport::startTcp() {
  tcp_ = endpoint_.psk ? new QSslSocket(this) : new QTcpSocket(this);
  tcp_->setProxy(QNetworkProxy::NoProxy);  // straight to the instrument on the plant network
  connect(tcp_, &QTcpSocket::connected, this, [this] {
    state_ = State::Initiating;
    sendInitiate();
    emit deadlinesChanged();
  });
  connect(tcp_, &QTcpSocket::readyRead, this, &HartIpTransport::readTcp);
  connect(tcp_, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
    if (state_ == State::Handshaking) return;  // the channel says what went wrong
    fail(error == QAbstractSocket::RemoteHostClosedError ? tr("服务器关闭了连接")
                                                         : tcp_->errorString());
  });
  tcp_->connectToHost(endpoint_.host, endpoint_.port);
}

void HartIpTransport::startUdp(const QHostAddress& address) {
  udp_ = new QUdpSocket(this);
  udp_->setProxy(QNetworkProxy::NoProxy);
  const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
  if (!udp_->bind(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
    fail(udp_->errorString());
    return;
  }
  connect(udp_, &QUdpSocket::readyRead, this, &HartIpTransport::readUdp);
  peer_ = address;
  peerPort_ = endpoint_.port;
  state_ = State::Initiating;
  sendInitiate();
  emit deadlinesChanged();
}

// Over TCP one initiate waits for what is left of the open time set at
// open(), which the connection has used up in part; over UDP it is sent
// again, with the same sequence number, until the tries are used up.
void HartIpTransport::sendInitiate() {
  if (initiateTries_ == 0) initiateSequence_ = nextSequence_++;
  ++initiateTries_;
  sendMessage(MessageType::Request, MessageId::SessionInitiate,
              hartip::SessionInitiateBody(hartip::kPrimaryMaster, kHartIpInactivityMs),
              initiateSequence_);
  if (endpoint_.udp) openDue_ = clock_.nowMs() + kHartIpOpenMs / kHartIpUdpInitiateTries;
}

// In version 2 only the initiate goes in plain text: anything else waits
// for the channel, and is not sent while there is none.
void HartIpTransport::sendMessage(MessageType type, MessageId id,
                                  const std::vector<std::uint8_t>& body, std::uint16_t sequence) {
  const bool secure = channel_ && channel_->isUp();
  if (endpoint_.psk && id != MessageId::SessionInitiate && !secure) return;
  Message message;
  message.header.version = static_cast<std::uint8_t>(endpoint_.version());
  message.header.type = static_cast<std::uint8_t>(type);
  message.header.id = static_cast<std::uint8_t>(id);
  message.header.sequence = sequence;
  message.body = body;
  const std::vector<std::uint8_t> bytes = hartip::EncodeMessage(message);
  message.header.byteCount = static_cast<std::uint16_t>(bytes.size());
  const QByteArray raw(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qsizetype>(bytes.size()));
  if (tcp_) tcp_->write(raw);  // encrypted by the socket once the channel is up
  if (udp_ && secure) channel_->writeDatagram(raw);
  if (udp_ && !secure) udp_->writeDatagram(raw, peer_, peerPort_);
  lastSent_ = clock_.nowMs();
  watch(true, message, id == MessageId::TokenPassingPdu);
}

void HartIpTransport::watch(bool sent, const Message& message, bool carriesFrame) {
  if (watcher_) watcher_->hartIpMessage(sent, message, carriesFrame);
}

std::optional<std::vector<std::uint8_t>> HartIpTransport::send(
    const std::vector<std::uint8_t>& frame, std::uint8_t /*preambles*/, TimeMs /*now*/) {
  if (state_ != State::Open || frame.empty()) return std::nullopt;
  const std::uint16_t sequence = nextSequence_++;
  awaited_ = sequence;
  sendMessage(MessageType::Request, MessageId::TokenPassingPdu, frame, sequence);
  emit deadlinesChanged();  // the keep-alive moves on
  return frame;
}

std::size_t HartIpTransport::take(std::uint8_t* buffer, std::size_t capacity) {
  while (!frames_.empty()) {
    const std::vector<std::uint8_t> frame = std::move(frames_.front());
    frames_.pop_front();
    if (frame.empty() || frame.size() > capacity) continue;
    std::copy(frame.begin(), frame.end(), buffer);
    return frame.size();
  }
  return 0;
}

void HartIpTransport::readTcp() {
  const QByteArray bytes = tcp_->readAll();
  parser_.feed(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
               static_cast<std::size_t>(bytes.size()));
  while (const std::optional<Message> message = parser_.next()) {
    handle(*message);
    if (!tcp_) return;  // the message ended the session
    // The handshake has begun: nothing else was the server's to send.
    if (state_ == State::Handshaking) {
      parser_.clear();
      return;
    }
  }
  if (parser_.broken()) fail(tr("服务器发来的数据无法解读"));
}

// Datagrams from the server's address only; once the session is granted,
// only from the port that answered the initiate under its number. In
// version 2 that port's datagrams go through the channel: its handshake
// first, then the messages, decrypted. Only DTLS records count there (a
// content type from 20 on); a late copy of the initiate's answer is none.
void HartIpTransport::readUdp() {
  constexpr quint8 kFirstDtlsContentType = 20;
  while (udp_ && udp_->hasPendingDatagrams()) {
    const QNetworkDatagram datagram = udp_->receiveDatagram();
    if (!datagram.senderAddress().isEqual(peer_, QHostAddress::TolerantConversion)) continue;
    if (state_ != State::Initiating && datagram.senderPort() != peerPort_) continue;
    QByteArray bytes = datagram.data();
    if (channel_) {
      if (bytes.isEmpty() || static_cast<quint8>(bytes.front()) < kFirstDtlsContentType) continue;
      bytes = channel_->takeDatagram(bytes);
      if (!udp_ || bytes.isEmpty()) continue;  // a flight of the handshake, or it failed
    }
    const std::optional<Message> message = hartip::ParseDatagram(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()), static_cast<std::uint8_t>(endpoint_.version()));
    if (!message) continue;
    if (state_ == State::Initiating &&
        message->is(MessageType::Response, MessageId::SessionInitiate) &&
        message->header.sequence == initiateSequence_) {
      peerPort_ = static_cast<quint16>(datagram.senderPort());
    }
    handle(*message);
  }
}

void HartIpTransport::handle(const Message& message) {
  const auto type = static_cast<MessageType>(message.header.type);
  const auto id = static_cast<MessageId>(message.header.id);
  const bool handed = state_ == State::Open && id == MessageId::TokenPassingPdu &&
                      ((type == MessageType::Response && awaited_ == message.header.sequence) ||
                       type == MessageType::Publish);
  watch(false, message, handed);
  if (type == MessageType::Error || type == MessageType::Nak) {
    const std::uint8_t code = message.body.empty() ? 0 : message.body[0];
    // An error about the session, or any while it is being set up, ends it;
    // one about the PDU last sent means no reply will come to it, and the
    // engine tries again as after a lost reply.
    const QString words =
        tr("%1：%2").arg(QString::fromStdString(hartip::MessageTypeText(message.header.type)),
                         QString::fromStdString(hartip::ErrorCodeText(code)));
    if (state_ != State::Open || id != MessageId::TokenPassingPdu ||
        code == hartip::kErrorSessionClosed) {
      fail(words);
    } else if (awaited_ == message.header.sequence) {
      awaited_.reset();
      emit requestRefused(words);
    }
    return;
  }
  if (type == MessageType::Response && id == MessageId::SessionInitiate) {
    handleInitiateResponse(message);
    return;
  }
  if (state_ != State::Open) return;
  if (type == MessageType::Response && id == MessageId::KeepAlive && keepAlive_ &&
      keepAlive_->sequence == message.header.sequence) {
    keepAlive_.reset();
    emit deadlinesChanged();
    return;
  }
  if (type == MessageType::Request && id == MessageId::SessionClose) {
    fail(tr("服务器关闭了会话"));
    return;
  }
  if (!handed) return;  // not a PDU, or a foreign sequence number
  if (type == MessageType::Response) awaited_.reset();
  frames_.push_back(message.body);
  emit readyRead();
}

// Status 0, or 8 when the server chose another inactivity time: the session
// is up, in version 2 once the handshake is done. A server of version 1
// answers a version 2 initiate with status 14 (or grants a session of its
// own version): that is said, and nothing more is sent.
void HartIpTransport::handleInitiateResponse(const Message& message) {
  if (state_ != State::Initiating || message.header.sequence != initiateSequence_) return;
  const std::uint8_t status = message.header.status;
  const bool granted = status == hartip::kStatusSuccess || status == hartip::kStatusSetToNearest;
  if (endpoint_.psk &&
      (status == hartip::kStatusVersionNotSupported || (granted && message.header.version != 2))) {
    fail(tr("服务器不支持 HART-IP 版本 2"));
    return;
  }
  if (!granted) {
    fail(tr("服务器拒绝建立会话：%1").arg(QString::fromStdString(hartip::StatusText(status))));
    return;
  }
  if (endpoint_.psk) {
    startHandshake();
  } else {
    becomeOpen();
  }
}

// The handshake gets what is left of the open time, on the connection (TCP)
// or with the port that answered the initiate (UDP).
void HartIpTransport::startHandshake() {
  state_ = State::Handshaking;
  openDue_ = openedAt_ + kHartIpOpenMs;
  if (auto* ssl = qobject_cast<QSslSocket*>(tcp_)) {
    channel_ = new HartIpSecureChannel(ssl, *endpoint_.psk, this);
  } else {
    channel_ = new HartIpSecureChannel(udp_, peer_, peerPort_, *endpoint_.psk, this);
  }
  connect(channel_, &HartIpSecureChannel::established, this, &HartIpTransport::secured);
  connect(channel_, &HartIpSecureChannel::failed, this, [this](const QString& reason) {
    fail(state_ == State::Open ? reason : tr("安全会话建立失败：%1").arg(reason));
  });
  emit deadlinesChanged();
  channel_->start();
}

void HartIpTransport::secured() {
  if (state_ != State::Handshaking) return;
  if (watcher_) {
    watcher_->hartIpSecured(tr("HART-IP 安全会话 %1").arg(channel_->description()).toStdString());
  }
  becomeOpen();
}

void HartIpTransport::becomeOpen() {
  state_ = State::Open;
  openDue_.reset();
  lastSent_ = clock_.nowMs();
  emit deadlinesChanged();
  emit opened();
}

void HartIpTransport::fail(const QString& reason) {
  const State was = state_;
  error_ = reason;
  dropSockets();
  if (was == State::Open) {
    emit lost(reason);
  } else if (was != State::Closed) {
    emit openFailed(reason);
  }
}

// Ends the session with a session close, as far as the socket still takes
// it; nothing waits for the answer.
void HartIpTransport::close() {
  if (state_ == State::Open) {
    sendMessage(MessageType::Request, MessageId::SessionClose, {}, nextSequence_++);
    if (tcp_) tcp_->flush();
    if (channel_) channel_->shutdown();
  }
  dropSockets();
}

void HartIpTransport::dropSockets() {
  state_ = State::Closed;
  openDue_.reset();
  keepAlive_.reset();
  awaited_.reset();
  if (channel_) {
    channel_->disconnect(this);
    channel_->deleteLater();
    channel_ = nullptr;
  }
  for (QAbstractSocket* socket :
       {static_cast<QAbstractSocket*>(tcp_), static_cast<QAbstractSocket*>(udp_)}) {
    if (!socket) continue;
    socket->disconnect();  // the transport's and the channel's connections
    socket->abort();
    socket->deleteLater();
  }
  tcp_ = nullptr;
  udp_ = nullptr;
}

std::optional<TimeMs> HartIpTransport::nextDeadline() const {
  if (openDue_) return openDue_;
  if (state_ != State::Open) return std::nullopt;
  const TimeMs idle = lastSent_ + kHartIpKeepAliveMs;
  return keepAlive_ ? std::min(idle, keepAlive_->due) : idle;
}

void HartIpTransport::handleDeadline(TimeMs now) {
  if (openDue_ && *openDue_ <= now) {
    const bool again =
        endpoint_.udp && state_ == State::Initiating && initiateTries_ < kHartIpUdpInitiateTries;
    if (again) {
      sendInitiate();
    } else if (state_ == State::Handshaking) {
      fail(tr("安全会话建立失败：%1").arg(channel_->timeoutReason()));
    } else {
      fail(tr("服务器无应答"));
    }
    return;
  }
  if (state_ != State::Open) return;
  if (keepAlive_ && keepAlive_->due <= now) {
    if (!endpoint_.udp || keepAlive_->tries >= kHartIpUdpKeepAliveTries) {
      fail(tr("服务器对保持连接消息无应答"));
      return;
    }
    sendKeepAlive(now);
  } else if (!keepAlive_ && now - lastSent_ >= kHartIpKeepAliveMs) {
    keepAlive_ = KeepAlive{nextSequence_++, 0, 0};
    sendKeepAlive(now);
  }
}

// A server that is gone (switched off, its network pulled) is found while
// the session is idle: the keep-alive goes unanswered, and the session is
// lost there and then rather than at the next request. Over UDP a datagram
// may be lost on the way, so it is sent again under its number.
void HartIpTransport::sendKeepAlive(TimeMs now) {
  ++keepAlive_->tries;
  keepAlive_->due =
      now + (endpoint_.udp ? kHartIpOpenMs / kHartIpUdpKeepAliveTries : kHartIpOpenMs);
  sendMessage(MessageType::Request, MessageId::KeepAlive, {}, keepAlive_->sequence);
}

}  // namespace vantrel
