// The simulated loop: one or more devices behind one line. Bytes from the
// master go in, response frames come out. Each device keeps its own state.
#pragma once

#include <cstdint>
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

  const std::vector<SimDevice>& devices() const { return devices_; }

 private:
  RequestParser parser_;
  std::vector<SimDevice> devices_;
};

}  // namespace vantrel::sim
