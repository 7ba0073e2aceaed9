// The simulated loop: one or more devices behind one line. Bytes from the
// master go in, response frames come out.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/RequestParser.h"
#include "sim/SimDevice.h"

namespace vantrel::sim {

class SimLine {
 public:
  explicit SimLine(std::vector<SimDeviceConfig> devices);

  // Takes bytes from the master and returns the response frames they caused,
  // in order. A request addressed to no device gets no answer.
  std::vector<std::vector<std::uint8_t>> receive(const std::uint8_t* data, std::size_t size);

  const std::vector<SimDevice>& devices() const { return devices_; }

 private:
  RequestParser parser_;
  std::vector<SimDevice> devices_;
};

}  // namespace vantrel::sim
