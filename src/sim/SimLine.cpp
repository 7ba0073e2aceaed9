#include "sim/SimLine.h"

namespace vantrel::sim {

SimLine::SimLine(std::vector<SimDeviceConfig> devices) {
  devices_.reserve(devices.size());
  for (const SimDeviceConfig& config : devices) devices_.emplace_back(config);
}

std::vector<std::vector<std::uint8_t>> SimLine::receive(const std::uint8_t* data, std::size_t size,
                                                        TimeMs nowMs) {
  std::vector<std::vector<std::uint8_t>> responses;
  for (std::size_t i = 0; i < size; ++i) {
    std::optional<Request> request = parser_.feed(data[i]);
    if (!request) continue;
    for (SimDevice& device : devices_) {
      if (device.isAddressedBy(*request)) {
        responses.push_back(device.respond(*request, nowMs));
        break;  // one answer per request, as on a real loop with unique addresses
      }
    }
  }
  return responses;
}

}  // namespace vantrel::sim
