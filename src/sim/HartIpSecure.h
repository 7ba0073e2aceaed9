// The secure channel of a HART-IP version 2 session, served with OpenSSL:
// TLS 1.2 on a TCP connection, DTLS 1.2 on a UDP session's own socket, both
// with a pre-shared key and no certificates. The client is known by its PSK
// identity; the cipher suites are the three AES-128 PSK suites HART-IP uses.
//
// Nothing here blocks. A TLS channel works on memory buffers: the server puts
// in what the socket brought and takes out what is to be written to it, so
// that the bytes go through the server's own poll loop. A DTLS channel reads
// and writes the session's socket itself (connected to the client, one
// datagram a record), and has a retransmission timer the poll loop waits for
// as well. The key is never printed or logged.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <openssl/types.h>

#include "link/PskKeyFile.h"

namespace vantrel::sim {

class SecureChannel {
 public:
  using Bytes = std::vector<std::uint8_t>;

  SecureChannel(SSL* ssl, BIO* network, bool datagram);
  ~SecureChannel();
  SecureChannel(const SecureChannel&) = delete;
  SecureChannel& operator=(const SecureChannel&) = delete;

  bool datagram() const { return datagram_; }

  // TLS: bytes the TCP connection brought.
  void feed(const std::uint8_t* data, std::size_t size);
  // Goes on with the handshake and reads what has come: each record's
  // plaintext appended to `records` (DTLS: one HART-IP message each). False
  // when the channel has ended: a failed handshake, a fatal alert, or the
  // client's close.
  bool receive(std::vector<Bytes>* records);
  // Sends a message as one record. False when the channel has failed.
  bool write(const Bytes& plaintext);
  // TLS: what is to be written to the connection, taken out.
  Bytes takeOutgoing();
  // Sends the close alert (the session ended in order).
  void shutdown();

  // DTLS: how long until the handshake's retransmission timer runs out,
  // nothing while it does not run.
  std::optional<std::chrono::steady_clock::duration> timer() const;
  // DTLS: sends the last flight again when its timer has run out. False
  // when the handshake has been tried too often.
  bool onTimer();

 private:
  SSL* ssl_;
  BIO* network_;  // TLS: the buffer OpenSSL writes to
  bool datagram_;
};

// The OpenSSL contexts of one server, with its key and the secret of its
// DTLS cookies.
class SecureContext {
 public:
  // Nothing, with the reason, when OpenSSL cannot be set up.
  static std::unique_ptr<SecureContext> Create(const PskKey& key, std::string* error);
  ~SecureContext();
  SecureContext(const SecureContext&) = delete;
  SecureContext& operator=(const SecureContext&) = delete;

  // A TLS server channel for a TCP connection.
  std::unique_ptr<SecureChannel> acceptTls();
  // A DTLS server channel on `fd`, a UDP socket connected to `client`. It
  // asks a client for the cookie of its address before it goes on.
  std::unique_ptr<SecureChannel> acceptDtls(int fd, const sockaddr* client, socklen_t size);

 private:
  SecureContext() = default;
  static unsigned int FindKey(SSL* ssl, const char* identity, unsigned char* psk,
                              unsigned int maxLength);
  static int MakeCookie(SSL* ssl, unsigned char* cookie, unsigned int* length);
  static int CheckCookie(SSL* ssl, const unsigned char* cookie, unsigned int length);
  using Bytes = std::vector<std::uint8_t>;
  static std::optional<Bytes> CookieOf(SSL* ssl);

  PskKey key_;
  std::uint8_t cookieSecret_[32] = {};
  SSL_CTX* tls_ = nullptr;
  SSL_CTX* dtls_ = nullptr;
};

}  // namespace vantrel::sim
