// Exact bytes that the transmit state machine puts on the line.
#include <gtest/gtest.h>

#include <functional>

#include "link/LinkCore.h"
#include "link/LinkTexts.h"
#include "link/Transmitter.h"
#include "tests/link/LinkFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;

struct TxCase {
  const char* name;
  std::function<void(HartLink&)> prepare;
  Bytes expected;
};

void Command0To(HartLink& link, std::uint8_t address) {
  link.txPreambles = 6;
  link.txDelimiter = kStxShort;
  link.pollAddress = address;
  link.txCommand = 0;
  link.txByteCount = 0;
}

void LongTo5A100102(HartLink& link) {
  link.txPreambles = 6;
  link.txDelimiter = kStxLong;
  link.txLongAddress = {0x9A, 0x10, 0x01, 0x02, 0x03};
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const TxCase& c, std::ostream* os) {
  *os << c.name;
}

const TxCase kTxCases[] = {
    {"Command0ToAddress0",
     [](HartLink& l) { Command0To(l, 0); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF}},
    {"Command0ToAddress5",
     [](HartLink& l) { Command0To(l, 5); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x85, 0x00, 0x00, 0x87, 0xFF, 0xFF, 0xFF}},
    {"ShortRequestKeepsAddressUnmasked",
     [](HartLink& l) { Command0To(l, 0x45); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xC5, 0x00, 0x00, 0xC7, 0xFF, 0xFF, 0xFF}},
    {"WritePollAddress3Long",
     [](HartLink& l) {
       LongTo5A100102(l);
       l.txCommand = 6;
       l.txByteCount = 1;
       l.txData[0] = 3;
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10,
      0x01, 0x02, 0x03, 0x06, 0x01, 0x03, 0x0C, 0xFF, 0xFF, 0xFF}},
    {"FixedCurrent12_5Long",
     [](HartLink& l) {
       LongTo5A100102(l);
       l.txCommand = 40;
       l.txByteCount = 4;
       l.txData[0] = 0x41;
       l.txData[1] = 0x48;
       l.txData[2] = 0x00;
       l.txData[3] = 0x00;
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02,
      0x03, 0x28, 0x04, 0x41, 0x48, 0x00, 0x00, 0x2D, 0xFF, 0xFF, 0xFF}},
    {"LongAddressGetsMasterBit",
     [](HartLink& l) {
       LongTo5A100102(l);
       l.txLongAddress[0] = 0x1A;
       l.txCommand = 3;
       l.txByteCount = 0;
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x03, 0x00,
      0x0B, 0xFF, 0xFF, 0xFF}},
    {"ByteCountZeroGoesStraightToCheck",
     [](HartLink& l) {
       Command0To(l, 2);
       l.txCommand = 3;
       l.txData[0] = 0x55;  // not sent: the byte count is 0
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x82, 0x03, 0x00, 0x83, 0xFF, 0xFF, 0xFF}},
    {"ZeroPreamblesGiveOne",
     [](HartLink& l) {
       Command0To(l, 0);
       l.txPreambles = 0;
     },
     {0xFF, 0x02, 0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF}},
    {"TwoPreambleSetting",
     [](HartLink& l) {
       Command0To(l, 0);
       l.txPreambles = 2;
     },
     {0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF}},
};

class TransmitBytes : public ::testing::TestWithParam<TxCase> {};

TEST_P(TransmitBytes, PutsExactFrameOnTheLine) {
  testing::FakePort port;
  testing::FakeMessages messages;
  LinkCore core(port, messages);
  GetParam().prepare(core.link());

  ASSERT_TRUE(core.StartOperation());

  ASSERT_EQ(port.writes.size(), 1u);
  EXPECT_EQ(port.writes[0], GetParam().expected);
  EXPECT_EQ(core.link().txState, TX_DONE);
  EXPECT_EQ(core.link().awaitingResponse, 1);
  EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Frames, TransmitBytes, ::testing::ValuesIn(kTxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Transmitter, MaximumByteCountSendsZerosPastTheBuffer) {
  HartLink link;
  link.txPreambles = 0;
  link.txDelimiter = kStxShort;
  link.txByteCount = 255;
  link.txData.fill(0x11);
  Bytes frame;
  BuildRequestFrame(link, frame);
  // 1 preamble, delimiter, address, command, byte count, 255 data, check, 3 trailing.
  ASSERT_EQ(frame.size(), 1u + 4u + 255u + 1u + 3u);
  EXPECT_EQ(frame[5 + 252], 0x11);
  EXPECT_EQ(frame[5 + 253], 0x00);
  EXPECT_EQ(frame[5 + 254], 0x00);
}

TEST(StartOperation, ClosedPortShowsMessageEveryTimeAndSendsNothing) {
  testing::FakePort port;
  port.opened = false;
  testing::FakeMessages messages;
  LinkCore core(port, messages);
  Command0To(core.link(), 0);
  core.link().awaitingResponse = 0;

  EXPECT_FALSE(core.StartOperation());
  EXPECT_FALSE(core.StartOperation());

  EXPECT_TRUE(port.writes.empty());
  ASSERT_EQ(messages.shown.size(), 2u);
  for (const auto& [icon, text] : messages.shown) {
    EXPECT_EQ(icon, MessageIcon::Error);
    EXPECT_EQ(text, "HART端口未打开！");
  }
  EXPECT_EQ(core.link().awaitingResponse, 0);
}

TEST(StartOperation, ObserverSeesTheFrameAsWritten) {
  testing::FakePort port;
  testing::FakeMessages messages;
  testing::RecordingObserver observer;
  LinkCore core(port, messages);
  core.setObserver(&observer);
  Command0To(core.link(), 1);
  ASSERT_TRUE(core.StartOperation());
  ASSERT_EQ(observer.sent.size(), 1u);
  EXPECT_EQ(observer.sent[0], port.writes[0]);
}

}  // namespace
}  // namespace vantrel
