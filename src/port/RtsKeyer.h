// Keys the transmitter of an RS-232 HART modem that sends while RTS is on:
// RTS is held low while the port is open, raised before the first byte of a
// request and dropped once its last byte has left the line, and DTR (which
// many such modems take their power from) is held on. Plain C++: the port
// gives it the control lines and the times, and wakes it at its deadline.
#pragma once

#include <cstddef>
#include <optional>

#include "link/HartFrame.h"
#include "link/LinkCore.h"

namespace vantrel {

// The control lines of a serial port. Each returns false when the port
// cannot drive the line (a pseudo-terminal has none).
class ModemLines {
 public:
  virtual ~ModemLines() = default;
  virtual bool setRequestToSend(bool on) = 0;
  virtual bool setDataTerminalReady(bool on) = 0;
};

class RtsKeyer : public Timed {
 public:
  RtsKeyer(ModemLines& lines, int baudRate) : lines_(lines), baudRate_(baudRate) {}

  // The port has opened: DTR on, RTS off. False when a line cannot be driven.
  bool portOpened();
  // A request is about to be written: RTS on. False when RTS cannot be
  // driven.
  bool beforeWrite();
  // `bytes` have been handed to the serial driver at `now`: they leave the
  // line within their line time from then, and RTS drops after that.
  void written(std::size_t bytes, TimeMs now);
  // The port has closed: nothing more to drop.
  void portClosed();

  bool rtsOn() const { return rtsOn_; }

  // Timed: the moment to drop RTS.
  std::optional<TimeMs> nextDeadline() const override { return dropAt_; }
  void handleDeadline(TimeMs now) override;

 private:
  ModemLines& lines_;
  int baudRate_;
  bool rtsOn_ = false;
  std::optional<TimeMs> dropAt_;
};

}  // namespace vantrel
