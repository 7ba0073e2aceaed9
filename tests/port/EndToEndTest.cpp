// The whole link through a real pseudo-terminal: the program's link sends
// command 0 to the simulated instrument and the reply handler receives the
// decoded identity.
#include <gtest/gtest.h>

#include <QTest>

#include "engine/UniqueIdentifier.h"
#include "link/Transmitter.h"
#include "port/LinkDriver.h"
#include "tests/link/LinkFakes.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

class LinkEndToEnd : public ::testing::Test {
 protected:
  LinkEndToEnd() { driver.core().setReplyHandler(&handler); }

  void sendCommand0(std::uint8_t address) {
    ASSERT_TRUE(driver.core().StartOperation(PrepareCommand0(address), clock.nowMs()));
  }
  bool waitForReplies(std::size_t n) {
    return QTest::qWaitFor([&] { return handler.replies.size() >= n; }, 5000);
  }

  SteadyClock clock;
  testing::FakeMessages messages;
  testing::RecordingHandler handler;
  LinkDriver driver{clock, messages};
};

TEST_F(LinkEndToEnd, Command0ReplyIsDecoded) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  ASSERT_TRUE(driver.openPort(line.path()));

  sendCommand0(0);
  ASSERT_TRUE(waitForReplies(1));

  const ReceivedFrame& reply = handler.replies[0];
  EXPECT_EQ(reply.delimiter, kAckShort);
  EXPECT_EQ(reply.address[0], 0x80);
  EXPECT_EQ(reply.command, 0);
  EXPECT_EQ(reply.responseCode, 0);
  EXPECT_EQ(reply.deviceStatus, 0);
  ASSERT_EQ(reply.dataCount, UniqueIdentifier::kSize);
  const UniqueIdentifier id = DecodeUniqueIdentifier(reply.data.data());
  EXPECT_EQ(id.expansionCode, 254);
  EXPECT_EQ(id.manufacturerId, 0x5A);
  EXPECT_EQ(id.deviceType, 0x10);
  EXPECT_EQ(id.deviceId, (std::array<std::uint8_t, 3>{0x01, 0x02, 0x03}));
  EXPECT_EQ(driver.core().link().awaitingResponse, 0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LinkEndToEnd, OnlyTheAddressedDeviceAnswers) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0), sim::DefaultDeviceConfig(3)});
  ASSERT_TRUE(driver.openPort(line.path()));

  sendCommand0(5);  // nobody there
  sendCommand0(3);
  ASSERT_TRUE(waitForReplies(1));
  // The simulator handles requests in order, so the request to 5 has been
  // seen and ignored by the time the answer from 3 is in.
  sendCommand0(0);
  ASSERT_TRUE(waitForReplies(2));
  ASSERT_EQ(handler.replies.size(), 2u);
  EXPECT_EQ(handler.replies[0].address[0], 0x83);
  EXPECT_EQ(handler.replies[0].data[11], 0x06);  // device id 01 02 03+3
  EXPECT_EQ(handler.replies[1].address[0], 0x80);
}

TEST_F(LinkEndToEnd, PacedReplyAfterTurnaroundArrivesWhole) {
  sim::PtyServerOptions options;
  options.lineRate = true;
  options.turnaroundMs = 30;
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)}, options);
  ASSERT_TRUE(driver.openPort(line.path()));

  // The simulator paces its reply byte by byte in a thread of its own; on a
  // heavily loaded machine that thread can stall for longer than the line
  // silence, which drops the frame as a real line would. A few tries allow
  // for that; one whole reply shows that paced bytes are put together.
  TimeMs sentAt = 0;
  for (int attempt = 0; attempt < 5 && handler.replies.empty(); ++attempt) {
    sentAt = clock.nowMs();
    sendCommand0(0);
    waitForReplies(1);
  }
  ASSERT_FALSE(handler.replies.empty());
  EXPECT_EQ(handler.replies[0].dataCount, UniqueIdentifier::kSize);
  // A half-duplex 1200 baud line: the request's 15 bytes take their time,
  // then the turnaround, and the reply's 24 bytes complete at 11 bit times
  // each. (A bound from below: the simulator writes no byte before its time.)
  EXPECT_GE(handler.replies[0].receivedAt - sentAt, LineTimeMs(15 + 24, 1200) + 30 - 1);
}

TEST_F(LinkEndToEnd, ReopenedPortKeepsWorking) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  ASSERT_TRUE(driver.openPort(line.path()));
  sendCommand0(0);
  ASSERT_TRUE(waitForReplies(1));
  ASSERT_TRUE(driver.openPort(line.path()));
  sendCommand0(0);
  ASSERT_TRUE(waitForReplies(2));
}

TEST_F(LinkEndToEnd, ClosedPortReportsAndSendsNothing) {
  driver.closePort();
  EXPECT_FALSE(driver.core().StartOperation(PrepareCommand0(0), clock.nowMs()));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].second, "HART端口未打开！");
}

}  // namespace
}  // namespace vantrel
