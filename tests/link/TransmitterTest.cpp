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

Bytes BuildFrame(HartLink& link) {
  Bytes frame;
  BuildRequestFrame(link, frame);
  return frame;
}

struct TxCase {
  const char* name;
  std::function<void(Request&)> prepare;
  Bytes expected;
};

void Command0To(Request& request, std::uint8_t address) {
  request = PrepareCommand0(address);
}

void LongTo5A100102(Request& request) {
  request.kind = FrameKind::Long;
  request.longAddress = {0x9A, 0x10, 0x01, 0x02, 0x03};
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const TxCase& c, std::ostream* os) {
  *os << c.name;
}

const TxCase kTxCases[] = {
    {"Command0ToAddress0",
     [](Request& l) { Command0To(l, 0); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF}},
    {"Command0ToAddress5",
     [](Request& l) { Command0To(l, 5); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x85, 0x00, 0x00, 0x87, 0xFF, 0xFF, 0xFF}},
    {"ShortRequestKeepsAddressUnmasked",
     [](Request& l) { Command0To(l, 0x45); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xC5, 0x00, 0x00, 0xC7, 0xFF, 0xFF, 0xFF}},
    {"WritePollAddress3Long",
     [](Request& l) {
       LongTo5A100102(l);
       l.command = 6;
       l.byteCount = 1;
       l.data[0] = 3;
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10,
      0x01, 0x02, 0x03, 0x06, 0x01, 0x03, 0x0C, 0xFF, 0xFF, 0xFF}},
    {"FixedCurrent12_5Long",
     [](Request& l) {
       LongTo5A100102(l);
       l.command = 40;
       l.byteCount = 4;
       l.data[0] = 0x41;
       l.data[1] = 0x48;
       l.data[2] = 0x00;
       l.data[3] = 0x00;
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02,
      0x03, 0x28, 0x04, 0x41, 0x48, 0x00, 0x00, 0x2D, 0xFF, 0xFF, 0xFF}},
    {"LongAddressGetsMasterBit",
     [](Request& l) {
       LongTo5A100102(l);
       l.longAddress[0] = 0x1A;
       l.command = 3;
       l.byteCount = 0;
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x03, 0x00,
      0x0B, 0xFF, 0xFF, 0xFF}},
    {"ByteCountZeroGoesStraightToCheck",
     [](Request& l) {
       Command0To(l, 2);
       l.command = 3;
       l.data[0] = 0x55;  // not sent: the byte count is 0
     },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x82, 0x03, 0x00, 0x83, 0xFF, 0xFF, 0xFF}},
    {"ZeroPreamblesGiveOne",
     [](Request& l) {
       Command0To(l, 0);
       l.preambles = 0;
     },
     {0xFF, 0x02, 0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF}},
    {"TwoPreambleSetting",
     [](Request& l) {
       Command0To(l, 0);
       l.preambles = 2;
     },
     {0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF}},
};

class TransmitBytes : public ::testing::TestWithParam<TxCase> {};

TEST_P(TransmitBytes, PutsExactFrameOnTheLine) {
  testing::FakePort port;
  testing::FakeMessages messages;
  LinkCore core(port, messages);
  Request request;
  GetParam().prepare(request);

  ASSERT_TRUE(core.StartOperation(request, 0));

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
  Request request;
  request.preambles = 0;
  request.byteCount = 255;
  request.data.fill(0x11);
  LoadRequest(link, request);
  const Bytes frame = SerialLineBytes(BuildFrame(link), link.txPreambles);
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
  core.link().awaitingResponse = 0;

  EXPECT_FALSE(core.StartOperation(PrepareCommand0(0), 0));
  EXPECT_FALSE(core.StartOperation(PrepareCommand0(0), 0));

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
  ASSERT_TRUE(core.StartOperation(PrepareCommand0(1), 0));
  ASSERT_EQ(observer.sent.size(), 1u);
  EXPECT_EQ(observer.sent[0], port.writes[0]);
}

}  // namespace
}  // namespace vantrel
