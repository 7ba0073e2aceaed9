// The serial line to a HART modem as a transport: the port with the HART
// line settings, and the keying of an RS-232 modem's transmitter by RTS.
#pragma once

#include "port/Clock.h"
#include "port/RtsKeyer.h"
#include "port/SerialPort.h"
#include "port/Transport.h"

namespace vantrel {

class SerialTransport : public Transport {
  Q_OBJECT

 public:
  // `clock` must outlive the transport.
  SerialTransport(const Clock& clock, QObject* parent = nullptr);
  ~SerialTransport() override;

  // Opens `portName` with `settings` (and RTS keying when asked). A port
  // that cannot drive RTS and DTR is not opened when keying is asked.
  bool open(const QString& portName, const PortSettings& settings);

  SerialPort& port() { return port_; }
  const PortSettings& settings() const { return port_.settings(); }

  Delivery delivery() const override { return Delivery::Bytes; }
  bool isOpen() const override { return port_.isOpened(); }
  void close() override;
  QString name() const override { return port_.portName(); }
  QString errorString() const override;
  // Puts the preambles in front of the frame and the trailing bytes after it.
  std::optional<std::vector<std::uint8_t>> send(const std::vector<std::uint8_t>& frame,
                                                std::uint8_t preambles, TimeMs now) override;
  std::size_t take(std::uint8_t* buffer, std::size_t capacity) override;

  // Timed: when RTS drops after a request.
  std::optional<TimeMs> nextDeadline() const override { return keyer_.nextDeadline(); }
  void handleDeadline(TimeMs now) override { keyer_.handleDeadline(now); }

 private:
  const Clock& clock_;
  SerialPort port_;
  RtsKeyer keyer_;
  bool keying_ = false;
  QString error_;
};

}  // namespace vantrel
