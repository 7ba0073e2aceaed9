// The driver's view of line silence: a real pseudo-terminal, a manual clock.
// A reply is never cut in two because the program was slow to read it, and a
// real pause still ends a partial frame.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QTest>

#include "link/Receiver.h"
#include "port/LinkDriver.h"
#include "tests/link/LinkFakes.h"
#include "tests/support/ManualClock.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::ManualClock;

// The device end of a pseudo-terminal, written to directly by the test.
class RawLine {
 public:
  RawLine() {
    termios raw{};
    cfmakeraw(&raw);
    char name[128] = {};
    EXPECT_EQ(openpty(&master_, &slave_, name, &raw, nullptr), 0);
    path_ = QString::fromLocal8Bit(name);
  }
  ~RawLine() {
    ::close(master_);
    ::close(slave_);
  }
  void write(const Bytes& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  QString path() const { return path_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  QString path_;
};

const Bytes kReply = {
    0x06, 0x80, 0x00, 0x04, 0x00, 0x00, 0x11, 0x22, 0x06 ^ 0x80 ^ 0x04 ^ 0x11 ^ 0x22};

struct Fixture {
  ManualClock clock;
  testing::FakeMessages messages;
  testing::RecordingHandler handler;
  LinkDriver driver{clock, messages};
  RawLine line;
  Fixture() {
    driver.core().setReplyHandler(&handler);
    EXPECT_TRUE(driver.openPort(line.path()));
  }
  // Lets the event loop take what the line holds.
  void settle() {
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  // Waits until the receiver has taken the start of a frame: the bytes
  // written so far have arrived.
  bool frameStarted() {
    return QTest::qWaitFor([this] { return FrameInProgress(driver.core().link()); }, 5000);
  }
};

TEST(DriverTiming, LateReadDoesNotCutAReply) {
  Fixture f;
  f.line.write({0xFF, 0xFF, 0xFF, 0xFF, 0x06, 0x80, 0x00});
  ASSERT_TRUE(f.frameStarted());
  // The program is busy for 50 ms while the rest of the reply comes in.
  f.clock.now += 50;
  f.line.write(Bytes(kReply.begin() + 3, kReply.end()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !f.handler.replies.empty(); }, 5000));
  EXPECT_EQ(f.handler.replies[0].data[0], 0x11);
}

TEST(DriverTiming, RealSilenceEndsAPartialFrame) {
  Fixture f;
  f.line.write({0xFF, 0xFF, 0xFF, 0xFF, 0x06, 0x80, 0x00});
  // The frame is in progress before the silence, so that its end below is
  // the silence's doing and not the state before any byte came.
  ASSERT_TRUE(f.frameStarted());
  f.clock.now += 50;
  // The timer finds the line quiet: the partial frame is abandoned.
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.driver.core().link().rxState == RX_IDLE; }, 5000));
  f.line.write(Bytes(kReply.begin() + 3, kReply.end()));
  f.settle();
  EXPECT_TRUE(f.handler.replies.empty());
  // A complete reply after the pause is taken.
  Bytes next = {0xFF, 0xFF, 0xFF};
  next.insert(next.end(), kReply.begin(), kReply.end());
  f.line.write(next);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !f.handler.replies.empty(); }, 5000));
}

}  // namespace
}  // namespace vantrel
