// Secure HART-IP (version 2) as the simulator serves it, seen from an OpenSSL
// client: the plain-text initiate, the TLS and DTLS handshakes with the
// pre-shared key, the messages inside them, the refusals of the other
// version, and vantrel-sim's --psk-file.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/HartIpServerThread.h"
#include "tests/sim/HartIpClient.h"

namespace vantrel::sim {
namespace {

using namespace hartiptest;

constexpr std::uint8_t kV2 = 2;
constexpr std::uint8_t kVersionNotSupported = 14;

const PskKey kKey = {"vantrel-bench-01",
                     {0x3c, 0x11, 0x5e, 0x90, 0x02, 0xa7, 0x44, 0xd1, 0x6b, 0x0f, 0xe2, 0x58, 0x71,
                      0xcc, 0x09, 0x36}};

Bytes V2(std::uint8_t type, std::uint8_t id, std::uint16_t sequence, const Bytes& body = {}) {
  return Message(type, id, sequence, body, 0, kV2);
}

HartIpServerOptions Keyed() {
  HartIpServerOptions options;
  options.psk = kKey;
  return options;
}

// What the client knows and offers.
struct ClientSetup {
  PskKey key = kKey;
  const char* ciphers = "PSK-AES128-GCM-SHA256";
  int onlyVersion = 0;  // 0: what the method allows
};

// An OpenSSL client on a socket connected to the server: TLS on TCP, DTLS on
// UDP. It blocks, each wait bounded by the socket's receive timeout.
class SecureClient {
 public:
  SecureClient(int fd, bool datagram, const ClientSetup& setup) : setup_(setup) {
    const timeval bound{kBoundMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    ctx_ = SSL_CTX_new(datagram ? DTLS_client_method() : TLS_client_method());
    SSL_CTX_set_cipher_list(ctx_, setup.ciphers);
    if (setup.onlyVersion != 0) {
      SSL_CTX_set_min_proto_version(ctx_, setup.onlyVersion);
      SSL_CTX_set_max_proto_version(ctx_, setup.onlyVersion);
    }
    SSL_CTX_set_psk_client_callback(ctx_, GiveKey);
    ssl_ = SSL_new(ctx_);
    SSL_set_app_data(ssl_, this);
    SSL_set_msg_callback(ssl_, Heard);
    if (!datagram) {
      SSL_set_fd(ssl_, fd);
      return;
    }
    BIO* bio = BIO_new_dgram(fd, BIO_NOCLOSE);
    sockaddr_storage server{};
    socklen_t size = sizeof server;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&server), &size);
    BIO_ADDR* peer = BIO_ADDR_new();
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(server);
    BIO_ADDR_rawmake(peer, AF_INET, &v4.sin_addr, sizeof v4.sin_addr, v4.sin_port);
    BIO_ctrl_set_connected(bio, peer);
    BIO_ADDR_free(peer);
    SSL_set_bio(ssl_, bio, bio);
  }
  ~SecureClient() {
    SSL_free(ssl_);
    SSL_CTX_free(ctx_);
  }
  SecureClient(const SecureClient&) = delete;
  SecureClient& operator=(const SecureClient&) = delete;

  bool handshake() {
    ERR_clear_error();
    return SSL_connect(ssl_) == 1;
  }
  std::string version() const { return SSL_get_version(ssl_); }
  std::string cipher() const { return SSL_CIPHER_get_name(SSL_get_current_cipher(ssl_)); }
  bool heardHelloVerifyRequest() const { return heardHelloVerify_; }

  void send(const Bytes& message) {
    EXPECT_EQ(SSL_write(ssl_, message.data(), static_cast<int>(message.size())),
              static_cast<int>(message.size()));
  }
  // The next message: TLS read by the header's byte count, DTLS one record.
  // Empty when none comes in time or the channel ends.
  Bytes receive() {
    Bytes in(0x10000);
    std::size_t want = SSL_is_dtls(ssl_) ? 1 : 8;
    std::size_t got = 0;
    while (got < want) {
      const int n = SSL_read(ssl_, in.data() + got, static_cast<int>(in.size() - got));
      if (n <= 0) return {};
      got += static_cast<std::size_t>(n);
      if (got >= 8) want = static_cast<std::size_t>((in[6] << 8) | in[7]);
    }
    in.resize(got);
    return in;
  }
  // True when the server ends the channel with its close alert.
  bool closedByServer() {
    std::uint8_t byte = 0;
    const int n = SSL_read(ssl_, &byte, 1);
    return n <= 0 && SSL_get_error(ssl_, n) == SSL_ERROR_ZERO_RETURN;
  }

 private:
  static unsigned int GiveKey(SSL* ssl, const char*, char* identity, unsigned int maxIdentity,
                              unsigned char* psk, unsigned int maxKey) {
    const auto* self = static_cast<const SecureClient*>(SSL_get_app_data(ssl));
    const PskKey& key = self->setup_.key;
    if (key.identity.size() >= maxIdentity || key.key.size() > maxKey) return 0;
    std::snprintf(identity, maxIdentity, "%s", key.identity.c_str());
    std::memcpy(psk, key.key.data(), key.key.size());
    return static_cast<unsigned int>(key.key.size());
  }
  static void Heard(int written, int, int contentType, const void* data, std::size_t size, SSL* ssl,
                    void*) {
    auto* self = static_cast<SecureClient*>(SSL_get_app_data(ssl));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!written && contentType == SSL3_RT_HANDSHAKE && size > 0 &&
        bytes[0] == DTLS1_MT_HELLO_VERIFY_REQUEST) {
      self->heardHelloVerify_ = true;
    }
  }

  ClientSetup setup_;
  SSL_CTX* ctx_ = nullptr;
  SSL* ssl_ = nullptr;
  bool heardHelloVerify_ = false;
};

// A client whose version 2 initiate was answered in plain text; a UDP
// client's socket is then connected to its session's port.
std::unique_ptr<Client> Initiate(std::uint16_t port, bool tcp) {
  auto client = std::make_unique<Client>(tcp, port);
  client->send(V2(kRequest, kInitiate, 1, kInitiateBody));
  EXPECT_EQ(client->receive(), V2(kResponse, kInitiate, 1, kInitiateBody));
  if (!tcp) {
    EXPECT_NE(client->lastFromPort(), port);
    sockaddr_in session{};
    session.sin_family = AF_INET;
    session.sin_port = htons(client->lastFromPort());
    session.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(client->fd(), reinterpret_cast<sockaddr*>(&session), sizeof session), 0);
  }
  return client;
}

// What a TCP connection or a pipe brings until it ends (`ended`) or nothing comes in
// time.
Bytes ReadToEnd(int fd, bool* ended) {
  Bytes all;
  std::uint8_t buffer[512];
  *ended = false;
  while (!*ended && Readable(fd, kBoundMs)) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    *ended = n <= 0;
    if (n > 0) all.insert(all.end(), buffer, buffer + n);
  }
  return all;
}

// A handshake with a keyed server, and what it settles on; no cipher: it
// fails, and the server ends the session.
struct HandshakeCase {
  const char* name;
  bool tcp;
  ClientSetup setup;
  const char* cipher;
};

void PrintTo(const HandshakeCase& c, std::ostream* os) {
  *os << c.name;
}

const Bytes kWrongKey(16, 0x5a);

// A wrong key over DTLS shows as records the server cannot open, which DTLS
// drops in silence: the client would give up only after its retransmissions.
const HandshakeCase kHandshakes[] = {
    {"TcpGcm",
     true,
     {kKey, "PSK-AES256-GCM-SHA384:PSK-AES128-GCM-SHA256"},
     "PSK-AES128-GCM-SHA256"},
    {"TcpCbc", true, {kKey, "PSK-AES128-CBC-SHA256"}, "PSK-AES128-CBC-SHA256"},
    {"TcpCcm", true, {kKey, "PSK-AES128-CCM"}, "PSK-AES128-CCM"},
    {"TcpWrongKey", true, {{kKey.identity, kWrongKey}}, nullptr},
    {"TcpUnknownIdentity", true, {{"vantrel-bench-02", kKey.key}}, nullptr},
    {"TcpCipherOutsideTheList",
     true,
     {kKey, "PSK-AES256-GCM-SHA384:PSK-CHACHA20-POLY1305"},
     nullptr},
    {"TcpTls13Only", true, {kKey, "PSK-AES128-GCM-SHA256", TLS1_3_VERSION}, nullptr},
    {"UdpGcm", false, {}, "PSK-AES128-GCM-SHA256"},
    {"UdpCcm", false, {kKey, "PSK-AES128-CCM"}, "PSK-AES128-CCM"},
    {"UdpUnknownIdentity", false, {{"vantrel-bench-02", kKey.key}}, nullptr},
};

class SecureHandshake : public ::testing::TestWithParam<HandshakeCase> {};

// A good handshake carries the session: a PDU, a keep-alive and the session
// close are answered inside it, in version 2 headers, and the close ends
// the channel with its alert.
TEST_P(SecureHandshake, SettlesOnTheKeyAndACipherOrEndsTheSession) {
  const HandshakeCase& c = GetParam();
  HartIpServerThread server({DefaultDeviceConfig(0)}, {}, Keyed());
  ASSERT_TRUE(server.running()) << server.error();
  auto client = Initiate(server.hartIpPort(), c.tcp);
  EXPECT_EQ(server.hartIpSessions(), 1u);
  SecureClient secure(client->fd(), !c.tcp, c.setup);
  if (!c.cipher) {
    EXPECT_FALSE(secure.handshake());
    EXPECT_TRUE(WaitFor([&] { return server.hartIpSessions() == 0; }));
    EXPECT_TRUE(server.faultInjector().log().empty());
    return;
  }
  ASSERT_TRUE(secure.handshake());
  EXPECT_EQ(secure.version(), c.tcp ? "TLSv1.2" : "DTLSv1.2");
  EXPECT_EQ(secure.cipher(), c.cipher);
  EXPECT_EQ(secure.heardHelloVerifyRequest(), !c.tcp);  // the DTLS cookie exchange
  secure.send(V2(kRequest, kPdu, 2, kCommand0));
  EXPECT_EQ(secure.receive(), V2(kResponse, kPdu, 2, kIdentity));
  secure.send(V2(kRequest, kKeepAlive, 3));
  EXPECT_EQ(secure.receive(), V2(kResponse, kKeepAlive, 3));
  secure.send(V2(kRequest, kClose, 4));
  EXPECT_EQ(secure.receive(), V2(kResponse, kClose, 4));
  EXPECT_TRUE(secure.closedByServer());
  EXPECT_TRUE(WaitFor([&] { return server.hartIpSessions() == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Keys, SecureHandshake, ::testing::ValuesIn(kHandshakes),
                         [](const auto& info) { return std::string(info.param.name); });

// A server speaks one version: an initiate of the other is answered with
// status 14 in a version 1 header, and no session is left open.
TEST(SecureVersion, TheOtherVersionsInitiateIsRefused) {
  struct Case {
    bool keyed;
    std::uint8_t version;
    bool tcp;
  };
  for (const Case c : {Case{true, 1, true}, Case{true, 1, false}, Case{false, kV2, true},
                       Case{false, kV2, false}}) {
    SCOPED_TRACE(::testing::Message() << "keyed " << c.keyed << " tcp " << c.tcp);
    HartIpServerThread server({DefaultDeviceConfig(0)}, {},
                              c.keyed ? Keyed() : HartIpServerOptions{});
    Client client(c.tcp, server.hartIpPort());
    client.send(Message(kRequest, kInitiate, 7, kInitiateBody, 0, c.version));
    EXPECT_EQ(client.receive(),
              Message(kResponse, kInitiate, 7, kInitiateBody, kVersionNotSupported));
    if (c.tcp) {
      EXPECT_TRUE(client.closedByServer());
    } else {
      client.sendTo(server.hartIpPort(), Message(kRequest, kPdu, 8, kCommand0));
      EXPECT_EQ(client.receive(), Message(kError, kPdu, 8, kSessionClosed));
    }
    EXPECT_EQ(server.hartIpSessions(), 0u);
  }
}

// No downgrade: once a secure session's initiate is answered, plain text to
// the main UDP port is not served and a plain initiate does not replace the
// session; on TCP what follows the initiate is TLS, and plain text there
// gets an alert and the end of the connection.
TEST(SecureSession, PlainTextAfterTheInitiateIsNotServed) {
  HartIpServerThread server({DefaultDeviceConfig(0)}, {}, Keyed());
  auto udp = Initiate(server.hartIpPort(), false);
  udp->sendTo(server.hartIpPort(), Message(kRequest, kPdu, 2, kCommand0));
  udp->sendTo(server.hartIpPort(), Message(kRequest, kInitiate, 3, kInitiateBody));
  SecureClient dtls(udp->fd(), true, {});
  ASSERT_TRUE(dtls.handshake());
  dtls.send(V2(kRequest, kPdu, 4, kCommand0));
  EXPECT_EQ(dtls.receive(), V2(kResponse, kPdu, 4, kIdentity));
  EXPECT_EQ(server.faultInjector().log().size(), 1u);  // the PDU inside DTLS only

  auto tcp = Initiate(server.hartIpPort(), true);
  tcp->send(V2(kRequest, kKeepAlive, 5));
  bool ended = false;
  const Bytes answer = ReadToEnd(tcp->fd(), &ended);
  EXPECT_TRUE(ended);
  // Nothing, or a TLS alert record; never a HART-IP response.
  EXPECT_TRUE(answer.empty() || answer[0] == 0x15) << answer.size() << " bytes";
  EXPECT_TRUE(WaitFor([&] { return server.hartIpSessions() == 1; }));
}

// vantrel-sim run with `arguments`, its standard output and error read
// through pipes; ended (SIGTERM) with the test.
class SimProgram {
 public:
  explicit SimProgram(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VANTREL_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    EXPECT_EQ(::pipe(out), 0);
    EXPECT_EQ(::pipe(err), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    EXPECT_EQ(::posix_spawn(&pid_, VANTREL_SIM_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~SimProgram() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
    ::close(err_);
  }
  SimProgram(const SimProgram&) = delete;
  SimProgram& operator=(const SimProgram&) = delete;

  // Its exit status once it has ended by itself, -1 when it goes on; and
  // what it wrote on standard error.
  int exitStatus(std::string* errorText) {
    bool ended = false;
    const Bytes text = ReadToEnd(err_, &ended);
    errorText->assign(text.begin(), text.end());
    int status = 0;
    const auto reaped = [&] {
      if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
      return pid_ < 0;
    };
    if (!WaitFor(reaped)) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The port of the line "hart-ip 127.0.0.1:PORT" after the terminal's path.
  std::uint16_t hartIpPort() {
    std::string text;
    char buffer[256];
    while (std::count(text.begin(), text.end(), '\n') < 2 && Readable(out_, kBoundMs)) {
      const ssize_t n = ::read(out_, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t at = text.find("\nhart-ip 127.0.0.1:");
    return at == std::string::npos ? 0 : static_cast<std::uint16_t>(std::atoi(&text[at + 19]));
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

// A directory of its own for key files, removed with what it holds.
class KeyDir {
 public:
  KeyDir() {
    char name[] = "/tmp/vantrel-psk-XXXXXX";
    path_ = ::mkdtemp(name) ? name : "";
    EXPECT_FALSE(path_.empty());
  }
  ~KeyDir() {
    for (const std::string& file : files_) ::unlink(file.c_str());
    ::rmdir(path_.c_str());
  }
  // The file `name` holding `text`, with `mode`; its path.
  std::string write(const std::string& name, const std::string& text, mode_t mode) {
    const std::string file = path_ + "/" + name;
    files_.push_back(file);
    FILE* out = std::fopen(file.c_str(), "w");
    EXPECT_NE(out, nullptr);
    if (!out) return file;
    std::fputs(text.c_str(), out);
    std::fclose(out);
    EXPECT_EQ(::chmod(file.c_str(), mode), 0);
    return file;
  }
  std::string path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

const char kGoodKeyFile[] =
    "# the bench's key\nvantrel-bench-01:3c115e9002a744d16b0fe25871cc0936\n";

// vantrel-sim refuses a key file it cannot trust or read: exit 2, and
// standard error names the file and says what is wrong, by line.
TEST(SimPskFile, RefusesABadKeyFile) {
  struct Case {
    const char* text;  // nullptr: no file
    mode_t mode;
    const char* says;
  };
  const Case cases[] = {
      {nullptr, 0600, "cannot read it: No such file or directory"},
      {kGoodKeyFile, 0640, "others may read it (mode 0640)"},
      {kGoodKeyFile, 0604, "others may read it (mode 0604)"},
      {"# no key here\n\n", 0600, "no key line"},
      {"vantrel-bench-01:3c115e9002a744d16b0fe25871cc09\n", 0600,
       "line 1: the key is under 16 bytes"},
      {"bench-1:3c115e9002a744d16b0fe25871cc0936\n", 0600,
       "line 1: the identity is under 8 characters"},
      {"# bench\nvantrel-bench-01:3c115e9002a744d16b0fe25871cc093g\n", 0600,
       "line 2: the key is not hex digits"},
  };
  KeyDir dir;
  int number = 0;
  for (const Case& c : cases) {
    const std::string name = "key" + std::to_string(++number);
    const std::string file = c.text ? dir.write(name, c.text, c.mode) : dir.path(name);
    SimProgram sim({"--hart-ip", "0", "--psk-file", file});
    std::string error;
    EXPECT_EQ(sim.exitStatus(&error), 2) << c.says;
    EXPECT_NE(error.find("key file '" + file + "': "), std::string::npos) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  SimProgram withoutHartIp({"--psk-file", dir.write("good", kGoodKeyFile, 0600)});
  std::string error;
  EXPECT_EQ(withoutHartIp.exitStatus(&error), 64);
  EXPECT_NE(error.find("--psk-file needs --hart-ip"), std::string::npos) << error;
}

TEST(SimPskFile, ServesSecureSessionsWithTheKey) {
  KeyDir dir;
  SimProgram sim({"--hart-ip", "0", "--psk-file", dir.write("key", kGoodKeyFile, 0600)});
  const std::uint16_t port = sim.hartIpPort();
  ASSERT_NE(port, 0);
  auto client = Initiate(port, true);
  SecureClient secure(client->fd(), false, {});
  ASSERT_TRUE(secure.handshake());
  secure.send(V2(kRequest, kPdu, 2, kCommand0));
  EXPECT_EQ(secure.receive(), V2(kResponse, kPdu, 2, kIdentity));
}

}  // namespace
}  // namespace vantrel::sim
