#include "port/LinkDriver.h"

#include <algorithm>
#include <limits>

#include "port/SerialTransport.h"

namespace vantrel {

LinkDriver::LinkDriver(const Clock& clock, MessageSink& messages, QObject* parent)
    : QObject(parent), clock_(clock), core_(*this, messages) {
  timed_.push_back(&core_);
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &LinkDriver::onTimer);
}

// The parts registered may be gone already: only the transport is closed
// (a HART-IP session ends with its close message).
LinkDriver::~LinkDriver() {
  timer_.stop();
  if (!transport_) return;
  transport_->disconnect(this);
  transport_->close();
  delete transport_.data();
}

// The transport in use from now on; the one before is closed and goes.
void LinkDriver::use(Transport* transport) {
  if (transport_) {
    transport_->disconnect(this);
    transport_->close();
    transport_->deleteLater();
  }
  transport_ = transport;
  hartIp_ = qobject_cast<HartIpTransport*>(transport);
  connect(transport, &Transport::readyRead, this, &LinkDriver::onReadyRead);
  connect(transport, &Transport::deadlinesChanged, this, &LinkDriver::rescheduleTimer);
  connect(transport, &Transport::lost, this, [this](const QString& reason) {
    rescheduleTimer();
    emit portLost(reason);
  });
  connect(transport, &Transport::requestRefused, this, [this](const QString& reason) {
    core_.requestRefused(reason.toStdString(), clock_.nowMs());
    rescheduleTimer();
  });
  connect(transport, &Transport::opened, this, [this] {
    rescheduleTimer();
    emit portOpened();
  });
  connect(transport, &Transport::openFailed, this, [this](const QString& reason) {
    rescheduleTimer();
    emit openFailed(reason);
  });
}

bool LinkDriver::openPort(const QString& portName, const PortSettings& settings) {
  auto* serial = new SerialTransport(clock_, this);
  use(serial);
  serialSettings_ = settings;
  const bool open = serial->open(portName, settings);
  rescheduleTimer();
  return open;
}

void LinkDriver::openHartIp(const HartIpEndpoint& endpoint) {
  auto* ip = new HartIpTransport(clock_, endpoint, this);
  use(ip);
  ip->setWatcher(hartIpWatcher_);
  ip->open();
  rescheduleTimer();
}

void LinkDriver::closePort() {
  if (transport_) transport_->close();
  rescheduleTimer();
}

void LinkDriver::addTimed(Timed* timed) {
  timed_.push_back(timed);
  rescheduleTimer();
}

std::optional<std::vector<std::uint8_t>> LinkDriver::writeFrame(
    const std::vector<std::uint8_t>& frame, std::uint8_t preambles) {
  if (!transport_) return std::nullopt;
  return transport_->send(frame, preambles, clock_.nowMs());
}

// Hands everything received to the core. Bytes of a serial line are stamped
// with the time they are read; but when the silence deadline has already
// passed without the timer having run, this thread was late to look, and the
// bytes may well have come in before it. They are then taken as arriving
// just before the deadline, so that a slow event loop never cuts a reply in
// two. A real silence is seen by the timer, which finds no byte waiting.
// Frames of HART-IP go to the core whole.
void LinkDriver::drain(TimeMs now) {
  if (!transport_) return;
  std::uint8_t buffer[SerialPort::kReadChunk];
  const bool frames = transport_->delivery() == Transport::Delivery::Frames;
  for (;;) {
    if (!transport_) return;
    const std::size_t n = transport_->take(buffer, sizeof buffer);
    if (n == 0) break;
    if (frames) {
      core_.receiveFrame(buffer, n, now);
      continue;
    }
    const std::optional<TimeMs> silence = core_.nextDeadline();
    const TimeMs stamp = silence && *silence <= now ? *silence - 1 : now;
    core_.receiveBytes(buffer, n, stamp);
    if (n < sizeof buffer) break;
  }
}

void LinkDriver::onReadyRead() {
  drain(clock_.nowMs());
  rescheduleTimer();
}

void LinkDriver::onTimer() {
  const TimeMs now = clock_.nowMs();
  drain(now);  // what is already waiting is not part of a silence
  // Copy: a handler may register another part.
  std::vector<Timed*> parts = timed_;
  if (transport_) parts.push_back(transport_.data());
  for (Timed* part : parts) {
    const std::optional<TimeMs> due = part->nextDeadline();
    if (due && *due <= now) part->handleDeadline(now);
  }
  rescheduleTimer();
}

void LinkDriver::rescheduleTimer() {
  std::optional<TimeMs> earliest;
  std::vector<const Timed*> parts(timed_.begin(), timed_.end());
  if (transport_) parts.push_back(transport_.data());
  for (const Timed* part : parts) {
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
