#include "sim/SimLine.h"

namespace vantrel::sim {

SimLine::SimLine(std::vector<SimDeviceConfig> devices) {
  devices_.reserve(devices.size());
  for (const SimDeviceConfig& config : devices) devices_.emplace_back(config);
}

std::vector<std::vector<std::uint8_t>> SimLine::receive(const std::uint8_t* data, std::size_t size,
                                                        TimeMs nowMs, FaultInjector* faults) {
  std::vector<std::vector<std::uint8_t>> responses;
  for (std::size_t i = 0; i < size; ++i) {
    std::optional<Request> request = parser_.feed(data[i]);
    if (!request) continue;
    for (SimDevice& device : devices_) {
      if (!device.isAddressedBy(*request)) continue;
      // One answer per request, as on a real loop with unique addresses.
      const RequestFault fault = faults ? faults->nextRequest() : RequestFault::None;
      if (fault == RequestFault::None) {
        responses.push_back(device.respond(*request, nowMs));
      } else if (fault != RequestFault::Silent) {
        responses.push_back(device.answerWithoutActing(*request, RequestFaultCode(fault), nowMs));
      }
      break;
    }
  }
  return responses;
}

}  // namespace vantrel::sim
