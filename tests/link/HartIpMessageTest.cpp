// HART-IP messages: the bytes on the wire, a TCP stream cut anywhere, one
// datagram, and the header's words.
#include <gtest/gtest.h>

#include <tuple>

#include "link/HartIpMessage.h"

namespace vantrel::hartip {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A command-0 reply frame, delimiter to check byte.
const Bytes kCommand0Reply = {0x06, 0x80, 0x00, 0x0E, 0x00, 0x00, 0xFE, 0x5A, 0x10, 0x05,
                              0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03, 0x3D};
const Bytes kInitiate = {0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                         0x0D, 0x01, 0x00, 0x00, 0xEA, 0x60};
const Bytes kPdu = Cat({{0x01, 0x01, 0x03, 0x00, 0x12, 0x34, 0x00, 0x1B}, kCommand0Reply});
const Bytes kKeepAlive = {0x01, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x08};

struct EncodeCase {
  const char* name;
  Bytes encoded;
  Bytes expected;
};

const EncodeCase kEncodeCases[] = {
    {"SessionInitiate",
     EncodeMessage(MessageType::Request, MessageId::SessionInitiate, 1,
                   SessionInitiateBody(kPrimaryMaster, 60000)),
     kInitiate},
    {"TokenPassingPdu",
     EncodeMessage(MessageType::Response, MessageId::TokenPassingPdu, 0x1234, kCommand0Reply),
     kPdu},
    {"StatusAndSequenceHighByte",
     EncodeMessage(MessageType::Nak, MessageId::KeepAlive, 0xFF01, {}, kStatusSessionAlreadyOpen),
     {0x01, 0x0F, 0x02, 0x10, 0xFF, 0x01, 0x00, 0x08}},
    {"ByteCountBigEndian",
     EncodeMessage(MessageType::Request, MessageId::TokenPassingPdu, 2, Bytes(300, 0xAB)),
     Cat({{0x01, 0x00, 0x03, 0x00, 0x00, 0x02, 0x01, 0x34}, Bytes(300, 0xAB)})},
    {"LongBodyCutToFit",
     EncodeMessage(MessageType::Publish, MessageId::TokenPassingPdu, 3, Bytes(0x10000, 0x5A)),
     Cat({{0x01, 0x02, 0x03, 0x00, 0x00, 0x03, 0xFF, 0xFF}, Bytes(0xFFFF - 8, 0x5A)})},
};

TEST(HartIpEncode, ExactBytes) {
  for (const EncodeCase& c : kEncodeCases) EXPECT_EQ(c.encoded, c.expected) << c.name;
}

TEST(HartIpDecode, HeaderFieldsAndShortInput) {
  for (std::size_t size = 0; size < kHeaderSize; ++size) {
    EXPECT_FALSE(DecodeHeader(kPdu.data(), size));
  }
  const auto h = DecodeHeader(kPdu.data(), kHeaderSize);
  ASSERT_TRUE(h);
  EXPECT_EQ(std::make_tuple(h->version, h->type, h->id, h->status, h->sequence, h->byteCount),
            std::make_tuple(1, 1, 3, 0, 0x1234, 27));
}

// Feeds `stream` cut at `cuts` and gives back every message, re-encoded; what
// is not taken yet stays pending.
std::vector<Bytes> FeedInPieces(StreamParser& parser, const Bytes& stream,
                                std::vector<std::size_t> cuts) {
  cuts.push_back(stream.size());
  std::vector<Bytes> out;
  std::size_t from = 0, taken = 0;
  for (std::size_t to : cuts) {
    parser.feed(stream.data() + from, to - from);
    from = to;
    while (auto message = parser.next()) {
      EXPECT_EQ(message->header.byteCount, kHeaderSize + message->body.size());
      out.push_back(EncodeMessage(*message));
      taken += out.back().size();
    }
    if (!parser.broken()) {
      EXPECT_EQ(parser.pending(), from - taken);
    }
  }
  return out;
}

TEST(HartIpStream, MessagesCutAnywhere) {
  const Bytes stream = Cat({kInitiate, kKeepAlive, kPdu});
  std::vector<std::size_t> everyByte;
  for (std::size_t i = 1; i < stream.size(); ++i) everyByte.push_back(i);
  std::vector<std::vector<std::size_t>> splits = {{}, everyByte};
  for (std::size_t i = 0; i <= stream.size(); ++i) splits.push_back({i});
  for (const auto& cuts : splits) {
    StreamParser parser;
    EXPECT_EQ(FeedInPieces(parser, stream, cuts), (std::vector<Bytes>{kInitiate, kKeepAlive, kPdu}))
        << "cuts " << cuts.size() << " first " << (cuts.empty() ? 0 : cuts[0]);
    EXPECT_EQ(parser.pending(), 0u);
    EXPECT_FALSE(parser.broken());
  }
}

struct BreakCase {
  const char* name;
  Bytes stream;
  std::size_t messagesFirst;
  std::uint8_t highestVersion = 1;
};

// A secure session's client takes versions 1 and 2, and no other.
const Bytes kKeepAlive2 = {0x02, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x08};
const BreakCase kBreakCases[] = {
    {"Version2", kKeepAlive2, 0},
    {"Version0AfterAMessage", Cat({kKeepAlive, {0x00, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x08}}),
     1},
    {"ByteCount7", {0x01, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x07}, 0},
    {"ByteCount0", {0x01, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x00}, 0},
    {"Version3AfterBothToASecureClient",
     Cat({kKeepAlive, kKeepAlive2, {0x03, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x08}}), 2, 2},
    {"Version0ToASecureClient", {0x00, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x08}, 0, 2},
};

TEST(HartIpStream, UnframableHeaderBreaksForGood) {
  for (const BreakCase& c : kBreakCases) {
    StreamParser parser(c.highestVersion);
    EXPECT_EQ(FeedInPieces(parser, c.stream, {}).size(), c.messagesFirst) << c.name;
    EXPECT_TRUE(parser.broken()) << c.name;
    EXPECT_TRUE(FeedInPieces(parser, kKeepAlive, {}).empty()) << c.name;
    EXPECT_TRUE(parser.broken()) << c.name;
  }
}

struct DatagramCase {
  const char* name;
  Bytes datagram;
  bool valid;
  std::uint8_t highestVersion = 1;
};

const DatagramCase kDatagramCases[] = {
    {"Exact", kPdu, true},
    {"EmptyBody", kKeepAlive, true},
    {"OneShort", Bytes(kPdu.begin(), kPdu.end() - 1), false},
    {"OneExtra", Cat({kPdu, {0x00}}), false},
    {"HeaderOnlyShort", Bytes(kKeepAlive.begin(), kKeepAlive.end() - 1), false},
    {"Version2", Cat({{0x02}, Bytes(kPdu.begin() + 1, kPdu.end())}), false},
    {"Version2ToASecureClient", Cat({{0x02}, Bytes(kPdu.begin() + 1, kPdu.end())}), true, 2},
    {"Version3ToASecureClient", Cat({{0x03}, Bytes(kPdu.begin() + 1, kPdu.end())}), false, 2},
    {"ByteCount7", {0x01, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00, 0x07}, false},
};

TEST(HartIpDatagram, ExactlyOneMessage) {
  for (const DatagramCase& c : kDatagramCases) {
    const auto message = ParseDatagram(c.datagram.data(), c.datagram.size(), c.highestVersion);
    ASSERT_EQ(message.has_value(), c.valid) << c.name;
    if (message) {
      EXPECT_EQ(EncodeMessage(*message), c.datagram) << c.name;
    }
  }
}

TEST(HartIpSessionInitiate, BodyFieldsBigEndian) {
  EXPECT_FALSE(ParseSessionInitiate({0x01, 0x00, 0x00, 0xEA}));
  const auto parsed = ParseSessionInitiate({0x02, 0x01, 0x02, 0x03, 0x04});
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->masterType, 2);
  EXPECT_EQ(parsed->inactivityMs, 0x01020304u);
}

TEST(HartIpText, HeaderAndCodes) {
  Header h;
  h.type = 1;
  h.id = 3;
  h.sequence = 5;
  EXPECT_EQ(HeaderText(h), "HART-IP 响应 令牌传递PDU 状态 0 序号 5");
  h = {1, 7, 9, kStatusAllSessionsInUse, 0xFFFF, 8};
  EXPECT_EQ(HeaderText(h), "HART-IP 类型 7 消息 9 状态 15 序号 65535");
  EXPECT_EQ(StatusText(kStatusAllSessionsInUse), "会话已满");
  EXPECT_EQ(ErrorCodeText(kErrorSessionClosed), "会话已关闭");
  EXPECT_EQ(ErrorCodeText(9), "错误码 9");
}

}  // namespace
}  // namespace vantrel::hartip
