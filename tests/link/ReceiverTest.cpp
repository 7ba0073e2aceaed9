// The receive state machine and the link core's silence and dispatch, driven
// with a fake millisecond clock.
#include <gtest/gtest.h>

#include <random>

#include "link/LinkCore.h"
#include "link/Receiver.h"
#include "tests/link/LinkFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;

// Delimiter through check byte, the check byte computed.
Bytes Frame(std::uint8_t delimiter, Bytes address, std::uint8_t command, Bytes data,
            Bytes expansion = {}) {
  Bytes frame{delimiter};
  frame.insert(frame.end(), address.begin(), address.end());
  frame.insert(frame.end(), expansion.begin(), expansion.end());
  frame.push_back(command);
  frame.push_back(static_cast<std::uint8_t>(data.size()));
  frame.insert(frame.end(), data.begin(), data.end());
  frame.push_back(CheckByte(frame.data(), frame.size()));
  return frame;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Preambles(std::size_t n) {
  return Bytes(n, 0xFF);
}

const Bytes kShortAck = Frame(0x06, {0x80}, 3, {0x00, 0x00, 0x40, 0x80, 0x00, 0x00});
const Bytes kLongAck = Frame(0x86, {0x9A, 0x10, 0x01, 0x02, 0x03}, 15, {0x00, 0x40, 0x0C});

Bytes WithBadCheck(Bytes frame) {
  frame.back() ^= 0x01;
  return frame;
}

struct Segment {
  TimeMs at;
  Bytes bytes;
};

struct RxCase {
  const char* name;
  std::vector<Segment> line;
  std::size_t replies;
  std::uint8_t awaitingAfter;  // awaitingResponse is 1 before the line starts
  std::vector<DropReason> drops;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const RxCase& c, std::ostream* os) {
  *os << c.name;
}

const RxCase kRxCases[] = {
    // The very first byte meets RX_IDLE, as after any silence, and is dropped.
    {"ThreePreamblesAfterSilence", {{1000, Cat({Preambles(3), kShortAck})}}, 1, 0, {}},
    {"TwoPreamblesAfterSilenceRejected", {{1000, Cat({Preambles(2), kShortAck})}}, 0, 1, {}},
    {"TwoPreamblesWithoutPause", {{1000, Cat({{0x00, 0x00}, Preambles(2), kShortAck})}}, 1, 0, {}},
    {"OnePreambleWithoutPauseRejected",
     {{1000, Cat({{0x00, 0x00}, Preambles(1), kShortAck})}},
     0,
     1,
     {}},
    {"OtherByteClearsPreambleCount",
     {{1000, Cat({{0x00}, Preambles(2), {0x00}, Preambles(1), kShortAck})}},
     0,
     1,
     {}},
    {"ShortBurstDelimiterNotAccepted",
     {{1000, Cat({Preambles(5), Frame(0x01, {0x80}, 1, {0x00, 0x00, 0x11})})}},
     0,
     1,
     {}},
    {"PhysicalLayerBitsMaskedOff",
     {{1000, Cat({Preambles(5), Frame(0x1E, {0x80}, 3, {0x00, 0x00})})}},
     1,
     0,
     {}},
    {"ExpansionByteBetweenAddressAndCommand",
     {{1000, Cat({Preambles(5), Frame(0x26, {0x80}, 3, {0x00, 0x00}, {0x7E})})}},
     1,
     0,
     {}},
    {"LongAckTakesFiveAddressBytes", {{1000, Cat({Preambles(5), kLongAck})}}, 1, 0, {}},
    {"BadCheckByteDroppedSilently",
     {{1000, Cat({Preambles(5), WithBadCheck(kShortAck)})}},
     0,
     1,
     {DropReason::CheckByte}},
    {"ShortRequestNotHandedOn",
     {{1000, Cat({Preambles(5), Frame(0x02, {0x80}, 0, {})})}},
     0,
     1,
     {}},
    {"LongRequestNotHandedOn",
     {{1000, Cat({Preambles(5), Frame(0x82, {0x9A, 0x10, 0x01, 0x02, 0x03}, 6, {0x03})})}},
     0,
     1,
     {}},
    {"BurstClearsAwaitingButIsNotHandedOn",
     {{1000, Cat({Preambles(5), Frame(0x81, {0x9A, 0x10, 0x01, 0x02, 0x03}, 1, {0, 0, 0x42})})}},
     0,
     0,
     {}},
    {"ResponseWithByteCountZeroDropped",
     {{1000, Cat({Preambles(5), Frame(0x06, {0x80}, 0, {})})}},
     0,
     1,
     {DropReason::TooShort}},
    {"ResponseWithByteCountOneDropped",
     {{1000, Cat({Preambles(5), Frame(0x06, {0x80}, 0, {0x00})})}},
     0,
     1,
     {DropReason::TooShort}},
    {"CommunicationErrorStillDelivered",
     {{1000, Cat({Preambles(5), Frame(0x06, {0x80}, 0, {0x88, 0x00})})}},
     1,
     0,
     {}},
    {"SilenceOf20MsAbandonsFrame",
     {{1000, Cat({Preambles(5), Bytes(kShortAck.begin(), kShortAck.begin() + 4)})},
      {1020, Bytes(kShortAck.begin() + 4, kShortAck.end())}},
     0,
     1,
     {DropReason::Silence}},
    {"GapOf19MsKeepsFrame",
     {{1000, Cat({Preambles(5), Bytes(kShortAck.begin(), kShortAck.begin() + 4)})},
      {1019, Bytes(kShortAck.begin() + 4, kShortAck.end())}},
     1,
     0,
     {}},
    {"AfterPauseTwoPreamblesAreNotEnough",
     {{1000, Cat({Preambles(5), kShortAck})}, {1100, Cat({Preambles(2), kShortAck})}},
     1,
     0,
     {}},
    {"AfterPauseThreePreamblesAreEnough",
     {{1000, Cat({Preambles(5), kShortAck})}, {1100, Cat({Preambles(3), kShortAck})}},
     2,
     0,
     {}},
    {"PreambleCounterWrapsAt256", {{1000, Cat({{0x00}, Preambles(256), kShortAck})}}, 0, 1, {}},
    {"PreambleCounterPastWrap", {{1000, Cat({{0x00}, Preambles(258), kShortAck})}}, 1, 0, {}},
    {"BackToBackResponses",
     {{1000, Cat({Preambles(5), kShortAck, Preambles(2), kLongAck, Preambles(3), kShortAck})}},
     3,
     0,
     {}},
    {"GarbageThenValidFrame",
     {{1000, Cat({{0x12, 0x86, 0xFF, 0x06, 0x33, 0xFF, 0x02}, Preambles(2), kShortAck})}},
     1,
     0,
     {}},
};

class ReceiveFrames : public ::testing::TestWithParam<RxCase> {};

TEST_P(ReceiveFrames, AcceptsExactlyTheRightFrames) {
  testing::FakePort port;
  testing::FakeMessages messages;
  testing::RecordingHandler handler;
  testing::RecordingObserver observer;
  LinkCore core(port, messages);
  core.setReplyHandler(&handler);
  core.setObserver(&observer);
  core.link().awaitingResponse = 1;

  for (const Segment& segment : GetParam().line) {
    core.receiveBytes(segment.bytes.data(), segment.bytes.size(), segment.at);
  }

  EXPECT_EQ(handler.replies.size(), GetParam().replies);
  EXPECT_EQ(core.link().awaitingResponse, GetParam().awaitingAfter);
  std::vector<DropReason> drops;
  for (const auto& [reason, raw] : observer.dropped) drops.push_back(reason);
  EXPECT_EQ(drops, GetParam().drops);
  EXPECT_TRUE(port.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(Line, ReceiveFrames, ::testing::ValuesIn(kRxCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct Harness {
  testing::FakePort port;
  testing::FakeMessages messages;
  testing::RecordingHandler handler;
  LinkCore core{port, messages};
  Harness() { core.setReplyHandler(&handler); }
  void feed(const Bytes& bytes, TimeMs at) { core.receiveBytes(bytes.data(), bytes.size(), at); }
};

TEST(Receiver, ResponseFieldsAreFiled) {
  Harness h;
  h.feed(Cat({Preambles(5), Frame(0x86, {0x9A, 0x10, 0x01, 0x02, 0x03}, 15,
                                  {0x84, 0x41, 0x0C, 0x42, 0xC8, 0x00, 0x00})}),
         1000);
  ASSERT_EQ(h.handler.replies.size(), 1u);
  const ReceivedFrame& reply = h.handler.replies[0];
  EXPECT_EQ(reply.delimiter, 0x86);
  EXPECT_TRUE(reply.isLongAddress());
  EXPECT_EQ(reply.address, (std::array<std::uint8_t, 5>{0x9A, 0x10, 0x01, 0x02, 0x03}));
  EXPECT_EQ(reply.command, 15);
  EXPECT_EQ(reply.byteCount, 7);
  EXPECT_EQ(reply.responseCode, 0x84);
  EXPECT_EQ(reply.deviceStatus, 0x41);
  EXPECT_EQ(reply.dataCount, 5u);
  EXPECT_EQ(reply.data[0], 0x0C);
  EXPECT_EQ(reply.data[1], 0x42);
  EXPECT_EQ(reply.data[4], 0x00);
}

TEST(Receiver, ExpansionBytesAreStored) {
  Harness h;
  h.feed(Cat({Preambles(5), Frame(0x66, {0x80}, 3, {0x00, 0x00}, {0xA1, 0xB2, 0xC3})}), 1000);
  ASSERT_EQ(h.handler.replies.size(), 1u);
  EXPECT_EQ(h.handler.replies[0].expansionCount, 3);
  EXPECT_EQ(h.handler.replies[0].expansion, (std::array<std::uint8_t, 3>{0xA1, 0xB2, 0xC3}));
}

TEST(Receiver, ByteCount255StoresAtMost251DataBytes) {
  Bytes data(255);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
  Harness h;
  h.feed(Cat({Preambles(5), Frame(0x06, {0x80}, 200, data)}), 1000);
  ASSERT_EQ(h.handler.replies.size(), 1u);
  const ReceivedFrame& reply = h.handler.replies[0];
  EXPECT_EQ(reply.responseCode, 1);
  EXPECT_EQ(reply.deviceStatus, 2);
  EXPECT_EQ(reply.dataCount, 251u);
  EXPECT_EQ(reply.data[0], 3);
  EXPECT_EQ(reply.data[250], 253);  // data position 252
  EXPECT_EQ(reply.data[251], 0);    // positions 253 and 254 are not stored
  EXPECT_EQ(h.core.link().rxData[251], 0);
}

TEST(Receiver, BurstFrameIsFiledInBurstFields) {
  Harness h;
  h.feed(Cat({Preambles(5), Frame(0x81, {0x9A, 0x10, 0x01, 0x02, 0x03}, 1, {0x00, 0x08, 0x55})}),
         1000);
  EXPECT_TRUE(h.handler.replies.empty());
  EXPECT_EQ(h.core.link().burstCommand, 1);
  EXPECT_EQ(h.core.link().burstData[0], 0x55);
  EXPECT_EQ(h.core.link().burstAddress[0], 0x9A);
  EXPECT_EQ(h.core.link().rxData[0], 0x00);
}

TEST(Receiver, ReplyCopyReadsZeroBeyondItsByteCount) {
  Harness h;
  h.feed(Cat({Preambles(5), Frame(0x06, {0x80}, 0, Bytes(14, 0xAB))}), 1000);
  h.feed(Cat({Preambles(5), Frame(0x06, {0x80}, 3, {0x00, 0x00, 0x01})}), 1005);
  ASSERT_EQ(h.handler.replies.size(), 2u);
  const ReceivedFrame& second = h.handler.replies[1];
  EXPECT_EQ(second.dataCount, 1u);
  EXPECT_EQ(second.data[0], 0x01);
  for (std::size_t i = 1; i < second.data.size(); ++i) ASSERT_EQ(second.data[i], 0) << i;
  // The link record itself still holds what the longer frame left behind.
  EXPECT_EQ(h.core.link().rxData[1], 0xAB);
}

TEST(Receiver, EachReplyKeepsItsOwnDataWhenFramesArriveTogether) {
  Harness h;
  h.feed(Cat({Preambles(5), Frame(0x06, {0x80}, 3, {0, 0, 0x11}), Preambles(2),
              Frame(0x06, {0x80}, 3, {0, 0, 0x22})}),
         1000);
  ASSERT_EQ(h.handler.replies.size(), 2u);
  EXPECT_EQ(h.handler.replies[0].data[0], 0x11);
  EXPECT_EQ(h.handler.replies[1].data[0], 0x22);
}

TEST(Receiver, RxFrameDoneRestartsHuntBeforeNextByte) {
  HartLink link;
  link.rxState = RX_FRAME_DONE;
  link.rxCount = 9;
  link.rxChecksum = 0x42;
  ReceiveByte(link, 0xFF);
  EXPECT_EQ(link.rxState, RX_PREAMBLE);
  EXPECT_EQ(link.rxCount, 1);
  EXPECT_EQ(link.rxChecksum, 0);
}

TEST(LinkCoreSilence, DeadlineIsTwentyMsAfterTheLastByte) {
  Harness h;
  EXPECT_FALSE(h.core.nextDeadline());  // idle from the start
  h.feed({0xFF, 0xFF}, 1000);
  ASSERT_TRUE(h.core.nextDeadline());
  EXPECT_EQ(*h.core.nextDeadline(), 1020);
  h.feed({0xFF}, 1010);
  EXPECT_EQ(*h.core.nextDeadline(), 1030);

  h.core.handleDeadline(1029);
  EXPECT_EQ(h.core.link().rxState, RX_PREAMBLE);
  h.core.handleDeadline(1030);
  EXPECT_EQ(h.core.link().rxState, RX_IDLE);
  EXPECT_FALSE(h.core.nextDeadline());
}

TEST(LinkCoreSilence, DeadlineEndsFrameInProgress) {
  Harness h;
  testing::RecordingObserver observer;
  h.core.setObserver(&observer);
  h.feed(Cat({Preambles(5), Bytes(kLongAck.begin(), kLongAck.begin() + 6)}), 1000);
  EXPECT_EQ(h.core.link().rxState, RX_COMMAND);
  h.core.handleDeadline(1020);
  EXPECT_EQ(h.core.link().rxState, RX_IDLE);
  ASSERT_EQ(observer.dropped.size(), 1u);
  EXPECT_EQ(observer.dropped[0].first, DropReason::Silence);
  EXPECT_EQ(observer.dropped[0].second, Bytes(kLongAck.begin(), kLongAck.begin() + 6));
  // The rest of the frame is now noise; the next proper frame is taken.
  h.feed(Cat({Bytes(kLongAck.begin() + 6, kLongAck.end()), Preambles(2), kShortAck}), 1030);
  EXPECT_EQ(h.handler.replies.size(), 1u);
}

TEST(LinkCore, LargeBatchPassesThroughTheRingInOrder) {
  Bytes line{0x00};
  for (int i = 0; i < 300; ++i) {
    line.insert(line.end(), {0xFF, 0xFF});
    const Bytes frame = Frame(0x06, {0x80}, static_cast<std::uint8_t>(i), {0, 0, 1, 2, 3, 4, 5});
    line.insert(line.end(), frame.begin(), frame.end());
  }
  ASSERT_GT(line.size(), 3 * RxRing::kSize);
  Harness h;
  h.feed(line, 1000);
  ASSERT_EQ(h.handler.replies.size(), 300u);
  for (int i = 0; i < 300; ++i) EXPECT_EQ(h.handler.replies[i].command, i % 256);
}

TEST(LinkCore, ObserverSeesRequestsResponsesAndDrops) {
  Harness h;
  testing::RecordingObserver observer;
  h.core.setObserver(&observer);
  const Bytes request = Frame(0x02, {0x80}, 0, {});
  h.feed(
      Cat({Preambles(5), request, Preambles(3), kShortAck, Preambles(3), WithBadCheck(kShortAck)}),
      1000);
  ASSERT_EQ(observer.received.size(), 2u);
  EXPECT_EQ(observer.received[0], request);
  EXPECT_EQ(observer.received[1], kShortAck);
  ASSERT_EQ(observer.dropped.size(), 1u);
  EXPECT_EQ(observer.dropped[0].second, WithBadCheck(kShortAck));
}

// Arbitrary bytes with arbitrary gaps: the receiver stays in a known state and
// still takes the next well-formed frame.
TEST(LinkCore, SurvivesRandomBytesAndResynchronises) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> gap(0, 30);
  std::uniform_int_distribution<int> length(1, 40);
  Harness h;
  TimeMs now = 1000;
  for (int round = 0; round < 2000; ++round) {
    Bytes chunk(static_cast<std::size_t>(length(random)));
    for (auto& b : chunk) b = static_cast<std::uint8_t>(byte(random));
    now += gap(random);
    h.feed(chunk, now);
    const std::int32_t state = h.core.link().rxState;
    ASSERT_TRUE((state >= RX_IDLE && state <= RX_CHECK) || state == RX_FRAME_DONE) << state;
  }
  const std::size_t before = h.handler.replies.size();
  now += 100;
  h.feed(Cat({Preambles(3), kShortAck}), now);
  ASSERT_EQ(h.handler.replies.size(), before + 1);
  EXPECT_EQ(h.handler.replies.back().command, 3);
}

}  // namespace
}  // namespace vantrel
