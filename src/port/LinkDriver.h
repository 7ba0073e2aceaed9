// Runs the link core on the thread that owns the serial port: received bytes
// are fed in when the port reports them, and one single-shot timer wakes the
// core (and any other registered Timed part) at its next deadline. Nothing
// polls and nothing sleeps.
#pragma once

#include <QObject>
#include <QTimer>

#include <vector>

#include "link/LinkCore.h"
#include "port/Clock.h"
#include "port/SerialPort.h"

namespace vantrel {

class LinkDriver : public QObject, private LinkPort {
  Q_OBJECT

 public:
  // `clock` and `messages` must outlive the driver.
  LinkDriver(const Clock& clock, MessageSink& messages, QObject* parent = nullptr);
  ~LinkDriver() override;

  LinkCore& core() { return core_; }
  SerialPort& port() { return port_; }
  const SerialPort& port() const { return port_; }
  const Clock& clock() const { return clock_; }

  // Closes the port if open, then opens `portName` with the HART line
  // settings (and RTS keying when asked). Returns true when it is open.
  bool openPort(const QString& portName, const PortSettings& settings = PortSettings{});
  void closePort();
  bool isPortOpen() const { return port_.isOpened(); }
  // Why the port last failed to open.
  QString openError() const { return openError_.isEmpty() ? port_.errorString() : openError_; }

  // Adds another part to wake at its deadlines (the command engine). Call
  // rescheduleTimer() after anything that may have moved a deadline.
  void addTimed(Timed* timed);
  void rescheduleTimer();

 signals:
  // The port failed while open and has been closed.
  void portLost(const QString& reason);

 private:
  // LinkPort
  bool isOpened() const override { return port_.isOpened(); }
  bool writeData(const std::uint8_t* data, std::size_t size) override;

  void drainPort(TimeMs now);
  void onReadyRead();
  void onBytesWritten(qint64 bytes);
  void onTimer();

  const Clock& clock_;
  SerialPort port_;
  RtsKeyer keyer_;
  bool keying_ = false;
  QString openError_;
  LinkCore core_;
  std::vector<Timed*> timed_;
  QTimer timer_;
};

}  // namespace vantrel
