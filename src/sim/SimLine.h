// The simulated loop: one or more devices behind one line. Bytes from the
// master go in, response frames come out. Each device keeps its own state.
// The line can be served from several threads at once (the serial line and
// HART-IP): each call that reaches the devices holds the line's lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/Faults.h"
#include "sim/RequestParser.h"
#include "sim/SimDevice.h"

namespace vantrel::sim {

class SimLine {
 public:
  explicit SimLine(std::vector<SimDeviceConfig> devices);

  // Takes bytes from the master and returns the response frames they caused,
  // in order. A request addressed to no device gets no answer. `nowMs` is the
  // time the devices answer at (a monotonic clock in ms): their readings move
  // with it, and the same time gives the same readings. `faults`, when given,
  // decides first what becomes of each request addressed to a device.
  std::vector<std::vector<std::uint8_t>> receive(const std::uint8_t* data, std::size_t size,
                                                 TimeMs nowMs = 0, FaultInjector* faults = nullptr);

  // Serves one request frame given whole, from its delimiter to its check
  // byte and without preambles, as HART-IP carries it. Returns the response
  // frame, likewise without preambles, or nothing when the bytes are not exactly one
  // request with a good check byte, no device is addressed, or a request
  // fault leaves it unanswered. The serial line's partly received bytes are
  // not disturbed.
  std::optional<std::vector<std::uint8_t>> receiveFrame(const std::uint8_t* frame, std::size_t size,
                                                        TimeMs nowMs = 0,
                                                        FaultInjector* faults = nullptr);

  // The devices as they stand; read only while no server serves the line.
  const std::vector<SimDevice>& devices() const { return devices_; }

 private:
  // The answer of the device `request` is addressed to, if any.
  std::optional<std::vector<std::uint8_t>> serve(const Request& request, TimeMs nowMs,
                                                 FaultInjector* faults, ResponseFraming framing);

  std::mutex mutex_;
  RequestParser parser_;
  std::vector<SimDevice> devices_;
};

}  // namespace vantrel::sim
