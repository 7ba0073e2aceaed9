// Keying an RS-232 modem's transmitter with RTS: on a fake port whose
// control lines record what is done to them and when, and on a
// pseudo-terminal, which has no control lines to drive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/LinkDriver.h"
#include "port/RtsKeyer.h"
#include "tests/link/LinkFakes.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

// Control lines that record each change with the time it was made.
class FakeLines : public ModemLines {
 public:
  TimeMs now = 0;
  bool canDrive = true;
  std::vector<std::string> events;

  bool setRequestToSend(bool on) override { return record(on ? "RTS on" : "RTS off"); }
  bool setDataTerminalReady(bool on) override { return record(on ? "DTR on" : "DTR off"); }

 private:
  bool record(const char* what) {
    if (!canDrive) return false;
    events.push_back(std::to_string(now) + " " + what);
    return true;
  }
};

// A request of 20 bytes at 1200 baud takes 184 ms on the line: RTS is up
// before its first byte and down only once its last byte's time has passed.
TEST(RtsKeying, UpBeforeTheFirstByteDownAfterTheLastBytesLineTime) {
  FakeLines lines;
  RtsKeyer keyer(lines, 1200);
  ASSERT_TRUE(keyer.portOpened());
  EXPECT_EQ(lines.events, (std::vector<std::string>{"0 DTR on", "0 RTS off"}));

  lines.now = 1000;
  ASSERT_TRUE(keyer.beforeWrite());
  EXPECT_EQ(lines.events.back(), "1000 RTS on");
  keyer.written(20, 1002);  // the port handed the bytes to the driver
  ASSERT_EQ(keyer.nextDeadline(), 1002 + 184);
  keyer.handleDeadline(1185);
  EXPECT_TRUE(keyer.rtsOn());
  lines.now = 1186;
  keyer.handleDeadline(1186);
  EXPECT_FALSE(keyer.rtsOn());
  EXPECT_EQ(lines.events.back(), "1186 RTS off");
  EXPECT_EQ(keyer.nextDeadline(), std::nullopt);
}

// A request handed over in two pieces: the second leaves after the first.
TEST(RtsKeying, BytesWrittenInPiecesKeepRtsUpForAllOfThem) {
  FakeLines lines;
  RtsKeyer keyer(lines, 1200);
  ASSERT_TRUE(keyer.portOpened());
  ASSERT_TRUE(keyer.beforeWrite());
  keyer.written(10, 0);  // 92 ms
  keyer.written(10, 1);  // after the first: 92 ms more
  EXPECT_EQ(keyer.nextDeadline(), 184);
}

TEST(RtsKeying, PortWithoutControlLinesIsReported) {
  FakeLines lines;
  lines.canDrive = false;
  RtsKeyer keyer(lines, 1200);
  EXPECT_FALSE(keyer.portOpened());
  EXPECT_FALSE(keyer.beforeWrite());
}

// On a pseudo-terminal, which has no control lines: with RTS keying asked
// for, the port is refused with the reason; without it, nothing touches the
// lines and the port opens and answers.
TEST(RtsKeying, PseudoTerminalCannotBeKeyed) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  SteadyClock clock;
  testing::FakeMessages messages;
  LinkDriver driver(clock, messages);
  PortSettings keyed;
  keyed.rtsKeying = true;
  EXPECT_FALSE(driver.openPort(line.path(), keyed));
  EXPECT_FALSE(driver.isPortOpen());
  EXPECT_TRUE(driver.openError().startsWith(QString::fromUtf8("端口不能控制RTS和DTR")))
      << driver.openError().toStdString();
  EXPECT_TRUE(driver.openPort(line.path()));
  EXPECT_TRUE(driver.isPortOpen());
}

}  // namespace
}  // namespace vantrel
