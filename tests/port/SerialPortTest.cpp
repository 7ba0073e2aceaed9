// The serial port layer on a pseudo-terminal: HART line settings are applied
// when the port opens, and close and reopen work.
#include <gtest/gtest.h>

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include "port/SerialPort.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel {
namespace {

TEST(SerialPort, OpensPseudoTerminalWithOddParityCloseAndReopen) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  SerialPort port;
  port.init(line.path());
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(port.open()) << round << ": " << port.errorString().toStdString();
    EXPECT_TRUE(port.isOpened());
    port.close();
    EXPECT_FALSE(port.isOpened());
  }
}

TEST(SerialPort, OpenReplacesAnOpenPort) {
  testing::SimulatedLine first({sim::DefaultDeviceConfig(0)});
  testing::SimulatedLine second({sim::DefaultDeviceConfig(1)});
  SerialPort port;
  port.init(first.path());
  ASSERT_TRUE(port.open());
  port.init(second.path());
  ASSERT_TRUE(port.open());
  EXPECT_TRUE(port.isOpened());
  EXPECT_EQ(port.portName(), second.path());
}

TEST(SerialPort, MissingPortFailsToOpen) {
  SerialPort port;
  port.init(QStringLiteral("/dev/vantrel-no-such-port"));
  EXPECT_FALSE(port.open());
  EXPECT_FALSE(port.isOpened());
  port.init(QString());
  EXPECT_FALSE(port.open());
}

TEST(SerialPort, ClosedPortWritesNothing) {
  SerialPort port;
  const std::uint8_t byte = 0xFF;
  EXPECT_EQ(port.writeData(&byte, 1), -1);
  std::uint8_t buffer[SerialPort::kReadChunk];
  EXPECT_EQ(port.readAllData(buffer), 0);
}

TEST(SerialPort, RequestBytesReachTheLineAndTheReplyComesBack) {
  testing::SimulatedLine line({sim::DefaultDeviceConfig(0)});
  SerialPort port;
  port.init(line.path());
  ASSERT_TRUE(port.open());
  QSignalSpy ready(&port, &SerialPort::readyRead);
  const std::uint8_t command0[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02,
                                   0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF};
  for (std::uint8_t byte : command0) ASSERT_EQ(port.writeData(&byte, 1), 1);  // one at a time

  std::vector<std::uint8_t> received;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        std::uint8_t buffer[SerialPort::kReadChunk];
        const int n = port.readAllData(buffer);
        received.insert(received.end(), buffer, buffer + n);
        return received.size() >= 5u + 4u + 14u + 1u;
      },
      5000));
  // 5 preambles, then an ACK to address 0 with 14 data bytes.
  EXPECT_EQ(received[5], 0x06);
  EXPECT_EQ(received[6], 0x80);
  EXPECT_EQ(received[8], 14);
}

}  // namespace
}  // namespace vantrel
