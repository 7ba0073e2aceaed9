// The line faults on their own: what each does to a reply frame, that a seed
// repeats them, and that they can be limited to the first replies.
#include <gtest/gtest.h>

#include "link/HartFrame.h"
#include "sim/Faults.h"
#include "tests/sim/SimMaster.h"

namespace vantrel::sim {
namespace {

using testing::Bytes;
using testing::LongAddressOf;
using testing::RequestFrame;
using testing::ShortAddress;

// The whole reply of the default device at polling address 0.
Bytes ReplyTo(const Bytes& address, std::uint8_t command) {
  SimLine line({DefaultDeviceConfig(0)});
  const Bytes request = RequestFrame(address, command, {});
  return line.receive(request.data(), request.size()).at(0);
}

// Command 0 in a short frame: 5 preambles, 06 80 00, byte count 14, ...
const Bytes& ShortReply() {
  static const Bytes reply = ReplyTo(ShortAddress(0), 0);
  return reply;
}

// Command 15 in a long frame: 5 preambles, 86 9A 10 01 02 03 0F, ...
const Bytes& LongReply() {
  static const Bytes reply = ReplyTo(LongAddressOf(0), 15);
  return reply;
}
constexpr std::size_t kPreambles = 5;

bool CheckByteMatches(const Bytes& frame) {
  return frame.back() == CheckByte(frame.data() + kPreambles, frame.size() - kPreambles - 1);
}

FaultedReply ApplyOnce(const LineFaults& faults, const Bytes& frame = ShortReply()) {
  FaultInjector injector(faults);
  const std::optional<FaultedReply> reply = injector.apply(frame);
  EXPECT_TRUE(reply.has_value());
  return reply.value_or(FaultedReply{});
}

TEST(FaultInjector, NoFaultsPassTheReplyUnchanged) {
  ASSERT_TRUE(CheckByteMatches(ShortReply()));
  const FaultedReply reply = ApplyOnce({});
  EXPECT_EQ(reply.bytes, ShortReply());
  EXPECT_TRUE(reply.whole);
  EXPECT_FALSE(reply.hangup);
  EXPECT_EQ(reply.extraDelay.count(), 0);
}

TEST(FaultInjector, CorruptChangesOnlyTheCheckByte) {
  LineFaults faults;
  faults.corruptRate = 1.0;
  const FaultedReply reply = ApplyOnce(faults);
  ASSERT_EQ(reply.bytes.size(), ShortReply().size());
  EXPECT_EQ(Bytes(reply.bytes.begin(), reply.bytes.end() - 1),
            Bytes(ShortReply().begin(), ShortReply().end() - 1));
  EXPECT_NE(reply.bytes.back(), ShortReply().back());
  EXPECT_EQ(reply.intended, ShortReply());
  EXPECT_FALSE(reply.frameIntact);
}

TEST(FaultInjector, WrongAddressMovesTheAddressAndKeepsTheFrameValid) {
  const Bytes shortFrame = WithWrongAddress(ShortReply());
  EXPECT_EQ(shortFrame[kPreambles + 1], 0x81);  // master bit kept, polling address 1
  EXPECT_TRUE(CheckByteMatches(shortFrame));

  const Bytes longFrame = WithWrongAddress(LongReply());
  EXPECT_EQ(Bytes(longFrame.begin() + kPreambles + 1, longFrame.begin() + kPreambles + 6),
            (Bytes{0x9A, 0x10, 0x01, 0x02, 0x04}));
  EXPECT_TRUE(CheckByteMatches(longFrame));
  // Nothing else moves.
  for (std::size_t i = kPreambles + 6; i + 1 < longFrame.size(); ++i) {
    EXPECT_EQ(longFrame[i], LongReply()[i]) << i;
  }
}

TEST(FaultInjector, ErrorCodeLeavesOnlyTheStatusBytes) {
  const Bytes frame = WithErrorCode(LongReply(), 64);
  const std::size_t byteCount = kPreambles + 1 + 5 + 1;
  ASSERT_EQ(frame.size(), byteCount + 1 + 2 + 1);
  EXPECT_EQ(Bytes(frame.begin(), frame.begin() + byteCount),
            Bytes(LongReply().begin(), LongReply().begin() + byteCount));
  EXPECT_EQ(frame[byteCount], 2);
  EXPECT_EQ(frame[byteCount + 1], 64);
  EXPECT_EQ(frame[byteCount + 2], LongReply()[byteCount + 2]);  // device status kept
  EXPECT_TRUE(CheckByteMatches(frame));
}

TEST(FaultInjector, DropRemovesBytesAtTheRate) {
  LineFaults faults;
  faults.dropRate = 1.0;
  EXPECT_TRUE(ApplyOnce(faults).bytes.empty());

  faults.dropRate = 0.25;
  faults.seed = 2;
  FaultInjector injector(faults);
  std::size_t kept = 0;
  constexpr int kReplies = 200;
  for (int i = 0; i < kReplies; ++i) kept += injector.apply(LongReply())->bytes.size();
  const double lost = 1.0 - static_cast<double>(kept) / (kReplies * LongReply().size());
  EXPECT_GT(lost, 0.2);
  EXPECT_LT(lost, 0.3);
}

// Only the frame from the delimiter on decides whether a reply is intact.
TEST(FaultInjector, LostPreambleLeavesTheFrameIntact) {
  LineFaults faults;
  faults.dropRate = 0.1;
  bool sawPreambleOnly = false;
  for (std::uint64_t seed = 1; seed < 200 && !sawPreambleOnly; ++seed) {
    faults.seed = seed;
    const FaultedReply reply = ApplyOnce(faults);
    const Bytes frame(ShortReply().begin() + kPreambles, ShortReply().end());
    const bool endsWithFrame = reply.bytes.size() >= frame.size() &&
                               Bytes(reply.bytes.end() - static_cast<std::ptrdiff_t>(frame.size()),
                                     reply.bytes.end()) == frame;
    EXPECT_EQ(reply.frameIntact, endsWithFrame) << seed;
    EXPECT_EQ(reply.whole, reply.bytes == ShortReply()) << seed;
    sawPreambleOnly = reply.frameIntact && !reply.whole;
  }
  EXPECT_TRUE(sawPreambleOnly);
}

TEST(FaultInjector, GarbageGoesInFront) {
  LineFaults faults;
  faults.garbageBytes = 40;
  const FaultedReply reply = ApplyOnce(faults);
  ASSERT_EQ(reply.bytes.size(), 40 + ShortReply().size());
  EXPECT_EQ(Bytes(reply.bytes.begin() + 40, reply.bytes.end()), ShortReply());
  EXPECT_TRUE(reply.frameIntact);
}

TEST(FaultInjector, LateAddsTheDelay) {
  LineFaults faults;
  faults.lateMs = 250;
  const FaultedReply reply = ApplyOnce(faults);
  EXPECT_EQ(reply.extraDelay.count(), 250);
  EXPECT_EQ(reply.bytes, ShortReply());
}

TEST(FaultInjector, HangupCutsTheReply) {
  const struct {
    int after;
    std::size_t sent;
    bool intact;
  } cases[] = {{0, 0, false}, {7, 7, false}, {23, 23, false}, {24, 24, true}, {100, 24, true}};
  for (const auto& c : cases) {
    LineFaults faults;
    faults.hangupAfter = c.after;
    const FaultedReply reply = ApplyOnce(faults);
    EXPECT_TRUE(reply.hangup) << c.after;
    EXPECT_EQ(reply.bytes, Bytes(ShortReply().begin(), ShortReply().begin() + c.sent)) << c.after;
    EXPECT_EQ(reply.frameIntact, c.intact) << c.after;
  }
}

TEST(FaultInjector, NoReplyIsLogged) {
  LineFaults faults;
  faults.noReplyRate = 1.0;
  FaultInjector injector(faults);
  EXPECT_FALSE(injector.apply(ShortReply()).has_value());
  const std::vector<ReplyRecord> log = injector.log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_FALSE(log[0].sent);
  EXPECT_FALSE(log[0].frameIntact);
  EXPECT_EQ(log[0].intended, ShortReply());
}

TEST(FaultInjector, FaultsCanBeLimitedToTheFirstReplies) {
  LineFaults faults;
  faults.noReplyRate = 1.0;
  faults.faultyReplies = 2;
  FaultInjector injector(faults);
  EXPECT_FALSE(injector.apply(ShortReply()));
  EXPECT_FALSE(injector.apply(ShortReply()));
  EXPECT_TRUE(injector.apply(ShortReply()));
  injector.set(faults);  // counts again from 0
  EXPECT_FALSE(injector.apply(ShortReply()));
  EXPECT_EQ(injector.log().size(), 4u);
}

TEST(FaultInjector, SeedRepeatsTheFaults) {
  LineFaults faults;
  faults.corruptRate = 0.5;
  faults.dropRate = 0.1;
  faults.garbageBytes = 3;
  auto run = [](FaultInjector& injector) {
    std::vector<Bytes> out;
    for (int i = 0; i < 20; ++i) out.push_back(injector.apply(LongReply())->bytes);
    return out;
  };
  faults.seed = 5;
  FaultInjector first(faults);
  FaultInjector second(faults);
  const std::vector<Bytes> a = run(first);
  EXPECT_EQ(a, run(second));
  first.set(faults);
  EXPECT_EQ(a, run(first));  // set() restarts the sequence
  faults.seed = 6;
  FaultInjector other(faults);
  EXPECT_NE(a, run(other));
}

}  // namespace
}  // namespace vantrel::sim
