// The one serial port of the program, over QSerialPort. Settings are made
// before the port is opened and applied by open(): a pseudo-terminal (the
// simulated instrument's line) refuses a parity change once it is open, but
// accepts the same settings at open time.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "port/RtsKeyer.h"

namespace vantrel {

struct SerialPortInfo {
  QString portName;     // what init() takes: a name such as ttyUSB0, or a full path
  QString description;  // as the system describes the port, may be empty
  QString manufacturer;
  QString serialNumber;
  std::optional<quint16> vendorId;  // USB vendor and product, for a USB adapter
  std::optional<quint16> productId;
};

// Line settings of a HART modem: 1200 baud, 8 data bits, odd parity, 1 stop bit.
struct PortSettings {
  qint32 baudRate = 1200;
  QSerialPort::Parity parity = QSerialPort::OddParity;
  QSerialPort::DataBits dataBits = QSerialPort::Data8;
  QSerialPort::StopBits stopBits = QSerialPort::OneStop;
  QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
  // Key the modem's transmitter with RTS, and hold DTR on (RS-232 modems).
  bool rtsKeying = false;
};

class SerialPort : public QObject, public ModemLines {
  Q_OBJECT

 public:
  // The most that readAllData() copies in one call.
  static constexpr int kReadChunk = 1024;

  explicit SerialPort(QObject* parent = nullptr);
  ~SerialPort() override;

  // Lists the serial ports of the machine, in the order of their names.
  static std::vector<SerialPortInfo> availablePortInfos();

  // Stores the port name and line settings for the next open().
  void init(const QString& portName, const PortSettings& settings = PortSettings{});
  bool open();
  void close();
  bool isOpened() const;
  QString portName() const { return portName_; }
  const PortSettings& settings() const { return settings_; }
  QString errorString() const { return port_.errorString(); }

  // ModemLines
  bool setRequestToSend(bool on) override;
  bool setDataTerminalReady(bool on) override;

  // Queues bytes for sending after every byte written before them. Returns
  // the number queued, or -1 when the port is closed. An open port that
  // refuses the bytes has failed: it is closed and portLost() emitted.
  int writeData(const std::uint8_t* data, int size);

  // Copies up to kReadChunk received bytes into `buffer` and returns their
  // number; call again while it returns kReadChunk.
  int readAllData(std::uint8_t* buffer);

 signals:
  // Received bytes are waiting.
  void readyRead();
  // `bytes` have been handed to the serial driver.
  void bytesWritten(qint64 bytes);
  // The port failed while open (a USB adapter pulled out): it has been closed.
  void portLost(const QString& reason);

 private:
  void handleError(QSerialPort::SerialPortError error);
  // Closes the port that failed while open and says so.
  void lose(const QString& reason);

  QSerialPort port_;
  QString portName_;
  PortSettings settings_;
};

}  // namespace vantrel
