#include "port/SerialPort.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace vantrel {

SerialPort::SerialPort(QObject* parent) : QObject(parent) {
  connect(&port_, &QSerialPort::readyRead, this, &SerialPort::readyRead);
  connect(&port_, &QSerialPort::bytesWritten, this, &SerialPort::bytesWritten);
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialPort::handleError);
}

SerialPort::~SerialPort() {
  close();
}

std::vector<SerialPortInfo> SerialPort::availablePortInfos() {
  std::vector<SerialPortInfo> infos;
  const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
  infos.reserve(static_cast<std::size_t>(ports.size()));
  for (const QSerialPortInfo& port : ports) {
    SerialPortInfo info{port.portName(),     port.description(), port.manufacturer(),
                        port.serialNumber(), std::nullopt,       std::nullopt};
    if (port.hasVendorIdentifier()) info.vendorId = port.vendorIdentifier();
    if (port.hasProductIdentifier()) info.productId = port.productIdentifier();
    infos.push_back(std::move(info));
  }
  std::sort(infos.begin(), infos.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
    return a.portName < b.portName;
  });
  return infos;
}

void SerialPort::init(const QString& portName, const PortSettings& settings) {
  portName_ = portName;
  settings_ = settings;
}

bool SerialPort::open() {
  if (port_.isOpen()) port_.close();
  if (portName_.isEmpty()) return false;
  // Everything is set while the port is closed; QSerialPort applies it in
  // one go when it opens the device.
  port_.setPortName(portName_);
  port_.setBaudRate(settings_.baudRate);
  port_.setParity(settings_.parity);
  port_.setDataBits(settings_.dataBits);
  port_.setStopBits(settings_.stopBits);
  port_.setFlowControl(settings_.flowControl);
  port_.setReadBufferSize(0);  // never drop received bytes; we read them as they come
  return port_.open(QIODevice::ReadWrite);
}

void SerialPort::close() {
  if (port_.isOpen()) port_.close();
}

bool SerialPort::isOpened() const {
  return port_.isOpen();
}

int SerialPort::writeData(const std::uint8_t* data, int size) {
  if (!port_.isOpen()) return -1;
  const qint64 queued = port_.write(reinterpret_cast<const char*>(data), size);
  if (queued != size) {
    lose(port_.errorString());
    return -1;
  }
  return size;
}

bool SerialPort::setRequestToSend(bool on) {
  return port_.isOpen() && port_.setRequestToSend(on);
}

bool SerialPort::setDataTerminalReady(bool on) {
  return port_.isOpen() && port_.setDataTerminalReady(on);
}

int SerialPort::readAllData(std::uint8_t* buffer) {
  if (!port_.isOpen()) return 0;
  const qint64 n = port_.read(reinterpret_cast<char*>(buffer), kReadChunk);
  return n > 0 ? static_cast<int>(n) : 0;
}

void SerialPort::handleError(QSerialPort::SerialPortError error) {
  // The device went away under us: a USB adapter pulled out gives a resource
  // error, a vanished terminal a read error (the read finds the end of the
  // file) that Qt would otherwise report again and again, or a write error
  // when the bytes queued before could not go out. Anything else (a failed
  // open) is reported by the call that caused it.
  const bool lost = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                    error == QSerialPort::WriteError;
  if (lost) lose(port_.errorString());
}

void SerialPort::lose(const QString& reason) {
  if (!port_.isOpen()) return;
  port_.close();
  emit portLost(reason);
}

}  // namespace vantrel
