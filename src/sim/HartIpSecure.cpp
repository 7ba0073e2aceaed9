#include "sim/HartIpSecure.h"

#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <sys/time.h>

#include <cstring>

namespace vantrel::sim {
namespace {

// The cipher suites of secure HART-IP, and no other.
constexpr char kCipherList[] = "PSK-AES128-GCM-SHA256:PSK-AES128-CBC-SHA256:PSK-AES128-CCM";
// The largest plaintext of one record.
constexpr int kMaxRecord = 16384;

std::string OpenSslError(const char* what) {
  char text[256] = {};
  ERR_error_string_n(ERR_get_error(), text, sizeof text);
  return std::string(what) + ": " + text;
}

// A context for one protocol version only, pure PSK: no certificate, no
// session resumption, no renegotiation.
SSL_CTX* NewContext(const SSL_METHOD* method, int version) {
  SSL_CTX* ctx = SSL_CTX_new(method);
  if (!ctx) return nullptr;
  if (SSL_CTX_set_min_proto_version(ctx, version) != 1 ||
      SSL_CTX_set_max_proto_version(ctx, version) != 1 ||
      SSL_CTX_set_cipher_list(ctx, kCipherList) != 1) {
    SSL_CTX_free(ctx);
    return nullptr;
  }
  SSL_CTX_set_options(ctx, SSL_OP_NO_TICKET | SSL_OP_NO_RENEGOTIATION);
  SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_OFF);
  return ctx;
}

// The client's address as OpenSSL keeps it, from a socket address.
BIO_ADDR* ToBioAddr(const sockaddr* address, socklen_t size) {
  BIO_ADDR* out = BIO_ADDR_new();
  if (!out) return nullptr;
  int made = 0;
  if (address->sa_family == AF_INET && size >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    made = BIO_ADDR_rawmake(out, AF_INET, &v4->sin_addr, sizeof v4->sin_addr, v4->sin_port);
  } else if (address->sa_family == AF_INET6 &&
             size >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    made = BIO_ADDR_rawmake(out, AF_INET6, &v6->sin6_addr, sizeof v6->sin6_addr, v6->sin6_port);
  }
  if (made != 1) {
    BIO_ADDR_free(out);
    return nullptr;
  }
  return out;
}

}  // namespace

SecureChannel::SecureChannel(SSL* ssl, BIO* network, bool datagram)
    : ssl_(ssl), network_(network), datagram_(datagram) {}

SecureChannel::~SecureChannel() {
  SSL_free(ssl_);
}

void SecureChannel::feed(const std::uint8_t* data, std::size_t size) {
  if (datagram_ || size == 0) return;
  BIO_write(SSL_get_rbio(ssl_), data, static_cast<int>(size));
}

bool SecureChannel::receive(std::vector<Bytes>* records) {
  Bytes buffer(kMaxRecord);
  for (;;) {
    ERR_clear_error();
    const int n = SSL_read(ssl_, buffer.data(), kMaxRecord);
    if (n > 0) {
      records->emplace_back(buffer.begin(), buffer.begin() + n);
      continue;
    }
    const int error = SSL_get_error(ssl_, n);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
  }
}

// A record the socket has no room for (DTLS) ends the channel: OpenSSL
// would hold it back and refuse to send the next message.
bool SecureChannel::write(const Bytes& plaintext) {
  if (plaintext.empty()) return true;
  ERR_clear_error();
  return SSL_write(ssl_, plaintext.data(), static_cast<int>(plaintext.size())) ==
         static_cast<int>(plaintext.size());
}

SecureChannel::Bytes SecureChannel::takeOutgoing() {
  Bytes out;
  if (datagram_) return out;
  out.resize(BIO_ctrl_pending(network_));
  if (out.empty()) return out;
  const int n = BIO_read(network_, out.data(), static_cast<int>(out.size()));
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

void SecureChannel::shutdown() {
  if (!SSL_is_init_finished(ssl_)) return;
  ERR_clear_error();
  SSL_shutdown(ssl_);
}

std::optional<std::chrono::steady_clock::duration> SecureChannel::timer() const {
  if (!datagram_) return std::nullopt;
  timeval left{};
  if (DTLSv1_get_timeout(ssl_, &left) != 1) return std::nullopt;
  return std::chrono::seconds(left.tv_sec) + std::chrono::microseconds(left.tv_usec);
}

bool SecureChannel::onTimer() {
  if (!datagram_) return true;
  ERR_clear_error();
  return DTLSv1_handle_timeout(ssl_) >= 0;
}

std::unique_ptr<SecureContext> SecureContext::Create(const PskKey& key, std::string* error) {
  std::unique_ptr<SecureContext> context(new SecureContext);
  context->key_ = key;
  if (RAND_bytes(context->cookieSecret_, sizeof context->cookieSecret_) != 1) {
    if (error) *error = OpenSslError("random cookie secret");
    return nullptr;
  }
  context->tls_ = NewContext(TLS_server_method(), TLS1_2_VERSION);
  context->dtls_ = NewContext(DTLS_server_method(), DTLS1_2_VERSION);
  if (!context->tls_ || !context->dtls_) {
    if (error) *error = OpenSslError("TLS context");
    return nullptr;
  }
  for (SSL_CTX* ctx : {context->tls_, context->dtls_}) {
    SSL_CTX_set_app_data(ctx, context.get());
    SSL_CTX_set_psk_server_callback(ctx, FindKey);
  }
  SSL_CTX_set_options(context->dtls_, SSL_OP_COOKIE_EXCHANGE);
  SSL_CTX_set_cookie_generate_cb(context->dtls_, MakeCookie);
  SSL_CTX_set_cookie_verify_cb(context->dtls_, CheckCookie);
  return context;
}

SecureContext::~SecureContext() {
  SSL_CTX_free(tls_);
  SSL_CTX_free(dtls_);
  OPENSSL_cleanse(key_.key.data(), key_.key.size());
  OPENSSL_cleanse(cookieSecret_, sizeof cookieSecret_);
}

std::unique_ptr<SecureChannel> SecureContext::acceptTls() {
  SSL* ssl = SSL_new(tls_);
  BIO* in = BIO_new(BIO_s_mem());
  BIO* out = BIO_new(BIO_s_mem());
  if (!ssl || !in || !out) {
    SSL_free(ssl);
    BIO_free(in);
    BIO_free(out);
    return nullptr;
  }
  SSL_set_bio(ssl, in, out);
  SSL_set_accept_state(ssl);
  return std::make_unique<SecureChannel>(ssl, out, false);
}

std::unique_ptr<SecureChannel> SecureContext::acceptDtls(int fd, const sockaddr* client,
                                                         socklen_t size) {
  SSL* ssl = SSL_new(dtls_);
  BIO* bio = BIO_new_dgram(fd, BIO_NOCLOSE);
  BIO_ADDR* peer = ToBioAddr(client, size);
  if (!ssl || !bio || !peer) {
    SSL_free(ssl);
    BIO_free(bio);
    BIO_ADDR_free(peer);
    return nullptr;
  }
  // The socket is connected: the BIO sends with send(), to the client only.
  BIO_ctrl_set_connected(bio, peer);
  BIO_ADDR_free(peer);
  SSL_set_bio(ssl, bio, bio);
  SSL_set_accept_state(ssl);
  return std::make_unique<SecureChannel>(ssl, nullptr, true);
}

// The key of the one identity the server knows; 0 (the handshake fails)
// for any other.
unsigned int SecureContext::FindKey(SSL* ssl, const char* identity, unsigned char* psk,
                                    unsigned int maxLength) {
  const auto* self = static_cast<const SecureContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
  if (!self || !identity || self->key_.identity != identity) return 0;
  if (self->key_.key.size() > maxLength) return 0;
  std::memcpy(psk, self->key_.key.data(), self->key_.key.size());
  return static_cast<unsigned int>(self->key_.key.size());
}

// The cookie of a DTLS client: an HMAC of its address and port with the
// server's secret, so that only a client that receives at that address can
// go on with the handshake.
std::optional<SecureContext::Bytes> SecureContext::CookieOf(SSL* ssl) {
  const auto* self = static_cast<const SecureContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
  BIO_ADDR* peer = BIO_ADDR_new();
  if (!self || !peer) {
    BIO_ADDR_free(peer);
    return std::nullopt;
  }
  Bytes address;
  std::size_t length = 0;
  if (BIO_dgram_get_peer(SSL_get_rbio(ssl), peer) > 0 &&
      BIO_ADDR_rawaddress(peer, nullptr, &length) == 1) {
    address.resize(length + 2);
    BIO_ADDR_rawaddress(peer, address.data(), &length);
    const unsigned short port = BIO_ADDR_rawport(peer);  // network order, as it is
    std::memcpy(address.data() + length, &port, 2);
  }
  BIO_ADDR_free(peer);
  if (address.empty()) return std::nullopt;
  Bytes mac(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  if (!HMAC(EVP_sha256(), self->cookieSecret_, sizeof self->cookieSecret_, address.data(),
            address.size(), mac.data(), &size)) {
    return std::nullopt;
  }
  mac.resize(size);
  return mac;
}

int SecureContext::MakeCookie(SSL* ssl, unsigned char* cookie, unsigned int* length) {
  const std::optional<Bytes> made = CookieOf(ssl);
  if (!made || made->size() > DTLS1_COOKIE_LENGTH) return 0;
  std::memcpy(cookie, made->data(), made->size());
  *length = static_cast<unsigned int>(made->size());
  return 1;
}

int SecureContext::CheckCookie(SSL* ssl, const unsigned char* cookie, unsigned int length) {
  const std::optional<Bytes> expected = CookieOf(ssl);
  return expected && expected->size() == length &&
         CRYPTO_memcmp(expected->data(), cookie, length) == 0;
}

}  // namespace vantrel::sim
