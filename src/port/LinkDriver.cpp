#include "port/LinkDriver.h"

#include <algorithm>
#include <limits>

namespace vantrel {

LinkDriver::LinkDriver(const Clock& clock, MessageSink& messages, QObject* parent)
    : QObject(parent),
      clock_(clock),
      port_(this),
      keyer_(port_, PortSettings{}.baudRate),
      core_(*this, messages) {
  timed_.push_back(&core_);
  timed_.push_back(&keyer_);
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &LinkDriver::onTimer);
  connect(&port_, &SerialPort::readyRead, this, &LinkDriver::onReadyRead);
  connect(&port_, &SerialPort::bytesWritten, this, &LinkDriver::onBytesWritten);
  connect(&port_, &SerialPort::portLost, this, [this] {
    keyer_.portClosed();
    keying_ = false;
  });
  connect(&port_, &SerialPort::portLost, this, &LinkDriver::portLost);
}

LinkDriver::~LinkDriver() = default;

bool LinkDriver::openPort(const QString& portName, const PortSettings& settings) {
  closePort();
  openError_.clear();
  port_.init(portName, settings);
  if (!port_.open()) return false;
  keying_ = settings.rtsKeying;
  // A modem keyed by RTS never sends without it: a port that cannot drive
  // the line is refused, not opened half working.
  if (keying_ && !keyer_.portOpened()) {
    openError_ = tr("端口不能控制RTS和DTR（%1）").arg(port_.errorString());
    closePort();
    return false;
  }
  return true;
}

void LinkDriver::closePort() {
  port_.close();
  keyer_.portClosed();
  keying_ = false;
  rescheduleTimer();
}

void LinkDriver::addTimed(Timed* timed) {
  timed_.push_back(timed);
  rescheduleTimer();
}

bool LinkDriver::writeData(const std::uint8_t* data, std::size_t size) {
  if (keying_ && !keyer_.beforeWrite()) {
    closePort();
    emit portLost(tr("端口不能控制RTS"));
    return false;
  }
  return port_.writeData(data, static_cast<int>(size)) == static_cast<int>(size);
}

void LinkDriver::onBytesWritten(qint64 bytes) {
  if (!keying_) return;
  keyer_.written(static_cast<std::size_t>(bytes), clock_.nowMs());
  rescheduleTimer();
}

// Reads everything the port holds and hands it to the core. Bytes are
// stamped with the time they are read; but when the silence deadline has
// already passed without the timer having run, this thread was late to look,
// and the bytes may well have come in before it. They are then taken as
// arriving just before the deadline, so that a slow event loop never cuts a
// reply in two. A real silence is seen by the timer, which finds no byte
// waiting.
void LinkDriver::drainPort(TimeMs now) {
  std::uint8_t buffer[SerialPort::kReadChunk];
  for (;;) {
    const int n = port_.readAllData(buffer);
    if (n <= 0) break;
    const std::optional<TimeMs> silence = core_.nextDeadline();
    const TimeMs stamp = silence && *silence <= now ? *silence - 1 : now;
    core_.receiveBytes(buffer, static_cast<std::size_t>(n), stamp);
    if (n < SerialPort::kReadChunk) break;
  }
}

void LinkDriver::onReadyRead() {
  drainPort(clock_.nowMs());
  rescheduleTimer();
}

void LinkDriver::onTimer() {
  const TimeMs now = clock_.nowMs();
  drainPort(now);  // bytes already waiting are not part of a silence
  // Copy: a handler may register another part.
  const std::vector<Timed*> parts = timed_;
  for (Timed* part : parts) {
    const std::optional<TimeMs> due = part->nextDeadline();
    if (due && *due <= now) part->handleDeadline(now);
  }
  rescheduleTimer();
}

void LinkDriver::rescheduleTimer() {
  std::optional<TimeMs> earliest;
  for (const Timed* part : timed_) {
    const std::optional<TimeMs> due = part->nextDeadline();
    if (due && (!earliest || *due < *earliest)) earliest = due;
  }
  if (!earliest) {
    timer_.stop();
    return;
  }
  const TimeMs wait =
      std::clamp<TimeMs>(*earliest - clock_.nowMs(), 0, std::numeric_limits<int>::max());
  timer_.start(static_cast<int>(wait));
}

}  // namespace vantrel
