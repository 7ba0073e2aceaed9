#include "port/HartIpSecureChannel.h"

#include <QDtls>
#include <QSslCipher>
#include <QSslConfiguration>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QUdpSocket>

#include <utility>

namespace vantrel {
namespace {

QSslConfiguration SecureConfiguration(bool dtls) {
  QSslConfiguration configuration = dtls ? QSslConfiguration::defaultDtlsConfiguration()
                                         : QSslConfiguration::defaultConfiguration();
  configuration.setProtocol(dtls ? QSsl::DtlsV1_2 : QSsl::TlsV1_2);
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  // Pinned twice: Qt's own list has no PSK-AES128-CCM, so OpenSSL is also
  // given the whole list as its cipher string.
  const QString ciphers = QString::fromLatin1(kHartIpPskCiphers);
  configuration.setCiphers(ciphers);
  configuration.setBackendConfigurationOption(QByteArrayLiteral("CipherString"), ciphers);
  return configuration;
}

QString ProtocolName(QSsl::SslProtocol protocol, const QSslCipher& cipher) {
  switch (protocol) {
    case QSsl::TlsV1_2:
      return QStringLiteral("TLSv1.2");
    case QSsl::TlsV1_3:
      return QStringLiteral("TLSv1.3");
    case QSsl::DtlsV1_2:
      return QStringLiteral("DTLSv1.2");
    default:
      return cipher.protocolString();
  }
}

// What OpenSSL says of the alert the server sent (or of what it found
// itself), and what that means here. A server that does not know the
// identity, or whose key differs, ends the handshake with one of the first
// four; one that does not speak version 1.2 with one of the last.
struct Alert {
  const char* said;
  const char* meaning;
};
constexpr Alert kAlerts[] = {
    {"unknown psk identity",
     QT_TRANSLATE_NOOP("vantrel::HartIpSecureChannel", "密钥或身份不被服务器接受")},
    {"bad record mac",
     QT_TRANSLATE_NOOP("vantrel::HartIpSecureChannel", "密钥或身份不被服务器接受")},
    {"decrypt error",
     QT_TRANSLATE_NOOP("vantrel::HartIpSecureChannel", "密钥或身份不被服务器接受")},
    {"decryption failed",
     QT_TRANSLATE_NOOP("vantrel::HartIpSecureChannel", "密钥或身份不被服务器接受")},
    {"handshake failure", QT_TRANSLATE_NOOP("vantrel::HartIpSecureChannel",
                                            "服务器拒绝握手：密钥、身份或密码套件不被接受")},
    {"wrong version number", nullptr},
    {"protocol version", nullptr},
    {"unsupported protocol", nullptr},
};

// OpenSSL's own words at the end of Qt's text: "Error during SSL
// handshake: error:0A00045B:SSL routines::tlsv1 alert unknown psk
// identity" → "tlsv1 alert unknown psk identity".
QString OpenSslWords(const QString& text) {
  const qsizetype colons = text.lastIndexOf(QLatin1String("::"));
  return colons < 0 ? text : text.mid(colons + 2).trimmed();
}

}  // namespace

QString HartIpSecureChannel::useOpenSslBackend(bool udp) {
  // Qt's OpenSSL backend has pre-shared keys and DTLS; where another one is
  // active (Schannel on Windows) and OpenSSL's is there too, it is taken,
  // as long as nothing has used TLS yet.
  const QString openSsl = QStringLiteral("openssl");
  if (QSslSocket::activeBackend() != openSsl && QSslSocket::availableBackends().contains(openSsl)) {
    QSslSocket::setActiveBackend(openSsl);
  }
  if (!QSslSocket::supportsSsl()) {
    return tr("没有可用的 TLS 库，安全 HART-IP 需要 Qt 的 OpenSSL 后端");
  }
  const bool psk = QSslSocket::isFeatureSupported(QSsl::SupportedFeature::Psk);
  const bool dtls = QSslSocket::implementedClasses().contains(QSsl::ImplementedClass::Dtls);
  if (!psk || (udp && !dtls)) {
    return tr("TLS 后端 %1 不支持预共享密钥或 DTLS，安全 HART-IP 需要 Qt 的 OpenSSL 后端")
        .arg(QSslSocket::activeBackend());
  }
  return QString();
}

HartIpSecureChannel::HartIpSecureChannel(QSslSocket* socket, PskKey key, QObject* parent)
    : QObject(parent), tcp_(socket), key_(std::move(key)) {
  tcp_->setSslConfiguration(SecureConfiguration(false));
  connect(tcp_, &QSslSocket::preSharedKeyAuthenticationRequired, this,
          &HartIpSecureChannel::supplyKey);
  connect(tcp_, &QSslSocket::encrypted, this, [this] {
    up_ = true;
    emit established();
  });
  connect(tcp_, &QAbstractSocket::errorOccurred, this, &HartIpSecureChannel::tcpError);
}

HartIpSecureChannel::HartIpSecureChannel(QUdpSocket* socket, const QHostAddress& peer, quint16 port,
                                         PskKey key, QObject* parent)
    : QObject(parent),
      udp_(socket),
      dtls_(new QDtls(QSslSocket::SslClientMode, this)),
      key_(std::move(key)) {
  dtls_->setPeer(peer, port);
  dtls_->setDtlsConfiguration(SecureConfiguration(true));
  connect(dtls_, &QDtls::pskRequired, this, &HartIpSecureChannel::supplyKey);
  // A flight unanswered in Qt's retransmission time goes again.
  connect(dtls_, &QDtls::handshakeTimeout, this, [this] {
    if (!dtls_->handleTimeout(udp_)) dtlsFailed();
  });
}

HartIpSecureChannel::~HartIpSecureChannel() = default;

void HartIpSecureChannel::start() {
  if (tcp_) {
    tcp_->startClientEncryption();
  } else if (!dtls_->doHandshake(udp_)) {
    dtlsFailed();
  }
}

void HartIpSecureChannel::supplyKey(QSslPreSharedKeyAuthenticator* authenticator) const {
  authenticator->setIdentity(QByteArray::fromStdString(key_.identity));
  authenticator->setPreSharedKey(QByteArray(reinterpret_cast<const char*>(key_.key.data()),
                                            static_cast<qsizetype>(key_.key.size())));
}

QByteArray HartIpSecureChannel::takeDatagram(const QByteArray& datagram) {
  if (!dtls_) return {};
  if (up_) {
    const QByteArray plain = dtls_->decryptDatagram(udp_, datagram);
    if (dtls_->dtlsError() == QDtlsError::RemoteClosedConnectionError) {
      emit failed(tr("服务器关闭了安全连接"));
    }
    return plain;
  }
  answered_ = true;
  if (!dtls_->doHandshake(udp_, datagram)) {
    dtlsFailed();
  } else if (dtls_->handshakeState() == QDtls::HandshakeComplete) {
    up_ = true;
    emit established();
  }
  return {};
}

bool HartIpSecureChannel::writeDatagram(const QByteArray& plain) {
  return dtls_ && up_ && dtls_->writeDatagramEncrypted(udp_, plain) >= 0;
}

void HartIpSecureChannel::shutdown() {
  if (dtls_ && up_) dtls_->shutdown(udp_);
  up_ = false;
}

QString HartIpSecureChannel::description() const {
  const QSslCipher cipher = tcp_ ? tcp_->sessionCipher() : dtls_->sessionCipher();
  const QSsl::SslProtocol protocol = tcp_ ? tcp_->sessionProtocol() : dtls_->sessionProtocol();
  return ProtocolName(protocol, cipher) + QLatin1Char(' ') + cipher.name();
}

QString HartIpSecureChannel::timeoutReason() const {
  return answered_ ? tr("服务器在握手中不再应答，可能不接受密钥或身份") : tr("服务器对握手无应答");
}

void HartIpSecureChannel::tcpError() {
  if (up_) return;  // the transport sees a broken connection itself
  if (tcp_->error() == QAbstractSocket::RemoteHostClosedError) {
    emit failed(tr("服务器在握手中关闭了连接"));
  } else {
    emit failed(reasonOf(tcp_->errorString()));
  }
}

void HartIpSecureChannel::dtlsFailed() {
  emit failed(reasonOf(dtls_->dtlsErrorString()));
}

// The meaning in words, with OpenSSL's own beside it for whoever looks
// after the server.
QString HartIpSecureChannel::reasonOf(const QString& backendText) const {
  const QString said = OpenSslWords(backendText);
  for (const Alert& alert : kAlerts) {
    if (!said.contains(QLatin1String(alert.said), Qt::CaseInsensitive)) continue;
    const QString meaning =
        alert.meaning ? tr(alert.meaning)
                      : tr("服务器不支持 %1")
                            .arg(dtls_ ? QStringLiteral("DTLS 1.2") : QStringLiteral("TLS 1.2"));
    return tr("%1（%2）").arg(meaning, said);
  }
  return said.isEmpty() ? backendText : said;
}

}  // namespace vantrel
