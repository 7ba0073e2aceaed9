#include "port/SerialTransport.h"

#include "link/HartFrame.h"

namespace vantrel {

SerialTransport::SerialTransport(const Clock& clock, QObject* parent)
    : Transport(parent), clock_(clock), port_(this), keyer_(port_, PortSettings{}.baudRate) {
  connect(&port_, &SerialPort::readyRead, this, &Transport::readyRead);
  connect(&port_, &SerialPort::bytesWritten, this, [this](qint64 bytes) {
    if (!keying_) return;
    keyer_.written(static_cast<std::size_t>(bytes), clock_.nowMs());
    emit deadlinesChanged();
  });
  connect(&port_, &SerialPort::portLost, this, [this](const QString& reason) {
    keyer_.portClosed();
    keying_ = false;
    emit lost(reason);
  });
}

SerialTransport::~SerialTransport() = default;

bool SerialTransport::open(const QString& portName, const PortSettings& settings) {
  close();
  error_.clear();
  port_.init(portName, settings);
  if (!port_.open()) return false;
  keying_ = settings.rtsKeying;
  // A modem keyed by RTS never sends without it: a port that cannot drive
  // the line is refused, not opened half working.
  if (keying_ && !keyer_.portOpened()) {
    error_ = tr("端口不能控制RTS和DTR（%1）").arg(port_.errorString());
    close();
    return false;
  }
  return true;
}

void SerialTransport::close() {
  port_.close();
  keyer_.portClosed();
  keying_ = false;
}

QString SerialTransport::errorString() const {
  return error_.isEmpty() ? port_.errorString() : error_;
}

std::optional<std::vector<std::uint8_t>> SerialTransport::send(
    const std::vector<std::uint8_t>& frame, std::uint8_t preambles, TimeMs /*now*/) {
  if (keying_ && !keyer_.beforeWrite()) {
    close();
    error_ = tr("端口不能控制RTS");
    emit lost(error_);
    return std::nullopt;
  }
  std::vector<std::uint8_t> line = SerialLineBytes(frame, preambles);
  const int size = static_cast<int>(line.size());
  if (port_.writeData(line.data(), size) != size) return std::nullopt;
  return line;
}

std::size_t SerialTransport::take(std::uint8_t* buffer, std::size_t capacity) {
  if (capacity < SerialPort::kReadChunk) return 0;
  const int n = port_.readAllData(buffer);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace vantrel
