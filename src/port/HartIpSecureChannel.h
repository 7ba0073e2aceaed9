// The TLS 1.2 (TCP) or DTLS 1.2 (UDP) layer of a HART-IP version 2 session:
// a pre-shared key, no certificates, and the PSK cipher suites only. It runs
// on the socket the session initiate went over in plain text: over TCP the
// same connection, over UDP with the port that answered the initiate. Once
// it is up every message goes through it; nothing else goes on the socket
// after the initiate but its handshake.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include "link/PskKeyFile.h"

class QDtls;
class QSslPreSharedKeyAuthenticator;
class QSslSocket;
class QUdpSocket;

namespace vantrel {

// The cipher suites offered, in OpenSSL's names and in order of preference.
inline constexpr char kHartIpPskCiphers[] =
    "PSK-AES128-GCM-SHA256:PSK-AES128-CBC-SHA256:PSK-AES128-CCM";

class HartIpSecureChannel : public QObject {
  Q_OBJECT

 public:
  // Makes Qt's OpenSSL backend the active one where it is there and no
  // other has been used yet, then says in words why the active backend
  // cannot carry a secure session (`udp`: with DTLS); empty when it can.
  static QString useOpenSslBackend(bool udp);

  // Over TCP: the handshake runs on `socket`, the connection the initiate
  // went over; afterwards the socket reads and writes plain bytes, encrypted
  // on the wire.
  HartIpSecureChannel(QSslSocket* socket, PskKey key, QObject* parent = nullptr);
  // Over UDP: with the server's session port `peer`:`port`, on `socket`.
  HartIpSecureChannel(QUdpSocket* socket, const QHostAddress& peer, quint16 port, PskKey key,
                      QObject* parent = nullptr);
  ~HartIpSecureChannel() override;

  // Starts the handshake: established() or failed() follows.
  void start();
  bool isUp() const { return up_; }
  // Over UDP, a datagram from the session port: during the handshake it is
  // the server's next flight; once up, its plain content is returned (empty
  // for a datagram that held none).
  QByteArray takeDatagram(const QByteArray& datagram);
  // Over UDP, `plain` sent encrypted. False when it could not be sent.
  bool writeDatagram(const QByteArray& plain);
  // Tells the server the channel ends (close_notify), as far as the socket
  // still takes it.
  void shutdown();

  // The protocol and the cipher suite as OpenSSL names them, once up:
  // "TLSv1.2 PSK-AES128-GCM-SHA256", "DTLSv1.2 PSK-AES128-CCM".
  QString description() const;
  // Why the handshake did not end in the open time: a server that answered
  // and then went quiet has most likely not taken the key.
  QString timeoutReason() const;

 signals:
  void established();
  // The handshake failed or the channel broke; the reason in words.
  void failed(const QString& reason);

 private:
  void supplyKey(QSslPreSharedKeyAuthenticator* authenticator) const;
  void tcpError();
  void dtlsFailed();
  QString reasonOf(const QString& backendText) const;

  QSslSocket* tcp_ = nullptr;
  QUdpSocket* udp_ = nullptr;
  QDtls* dtls_ = nullptr;
  PskKey key_;
  bool up_ = false;
  bool answered_ = false;  // a handshake datagram came from the server
};

}  // namespace vantrel
