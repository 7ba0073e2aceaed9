// Runs the link core on the thread that owns the transport: what the
// transport receives is fed in when it reports it (bytes of a serial line,
// whole frames of HART-IP), and one single-shot timer wakes the core, the
// transport and any other registered Timed part at the next deadline.
// Nothing polls and nothing sleeps.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

#include "link/LinkCore.h"
#include "port/Clock.h"
#include "port/HartIpTransport.h"
#include "port/SerialPort.h"
#include "port/Transport.h"

namespace vantrel {

class SerialTransport;

class LinkDriver : public QObject, private LinkPort {
  Q_OBJECT

 public:
  // `clock` and `messages` must outlive the driver.
  LinkDriver(const Clock& clock, MessageSink& messages, QObject* parent = nullptr);
  ~LinkDriver() override;

  LinkCore& core() { return core_; }
  const LinkCore& core() const { return core_; }
  const Clock& clock() const { return clock_; }

  // Closes what is open, then opens the serial port `portName` with the
  // HART line settings (and RTS keying when asked). True when it is open.
  bool openPort(const QString& portName, const PortSettings& settings = PortSettings{});
  // Closes what is open, then starts a HART-IP session with `endpoint`;
  // portOpened() or openFailed() follows.
  void openHartIp(const HartIpEndpoint& endpoint);
  void closePort();
  bool isPortOpen() const { return transport_ && transport_->isOpen(); }
  // The serial port's name or the HART-IP server's "hart-ip tcp HOST:PORT".
  QString portName() const { return transport_ ? transport_->name() : QString(); }
  // The settings of the serial port last opened.
  const PortSettings& serialSettings() const { return serialSettings_; }
  // The HART-IP transport while one is in use.
  HartIpTransport* hartIp() const { return hartIp_; }
  // Sees every message of the HART-IP transports opened from now on.
  void setHartIpWatcher(HartIpWatcher* watcher) { hartIpWatcher_ = watcher; }
  // Why the port last failed to open.
  QString openError() const { return transport_ ? transport_->errorString() : QString(); }

  // Adds another part to wake at its deadlines (the command engine). Call
  // rescheduleTimer() after anything that may have moved a deadline.
  void addTimed(Timed* timed);
  void rescheduleTimer();

 signals:
  // The port failed while open and has been closed.
  void portLost(const QString& reason);
  // A HART-IP session is up, or could not be set up.
  void portOpened();
  void openFailed(const QString& reason);

 private:
  // LinkPort
  bool isOpened() const override { return isPortOpen(); }
  std::optional<std::vector<std::uint8_t>> writeFrame(const std::vector<std::uint8_t>& frame,
                                                      std::uint8_t preambles) override;

  void use(Transport* transport);
  void drain(TimeMs now);
  void onReadyRead();
  void onTimer();

  const Clock& clock_;
  QPointer<Transport> transport_;
  HartIpTransport* hartIp_ = nullptr;
  HartIpWatcher* hartIpWatcher_ = nullptr;
  PortSettings serialSettings_;
  LinkCore core_;
  std::vector<Timed*> timed_;
  QTimer timer_;
};

}  // namespace vantrel
