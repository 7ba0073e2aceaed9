#include "sim/SimLine.h"

namespace vantrel::sim {

SimLine::SimLine(std::vector<SimDeviceConfig> devices) {
  devices_.reserve(devices.size());
  for (const SimDeviceConfig& config : devices) devices_.emplace_back(config);
}

std::vector<std::vector<std::uint8_t>> SimLine::receive(const std::uint8_t* data, std::size_t size,
                                                        TimeMs nowMs, FaultInjector* faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::vector<std::uint8_t>> responses;
  for (std::size_t i = 0; i < size; ++i) {
    std::optional<Request> request = parser_.feed(data[i]);
    if (!request) continue;
    if (std::optional<std::vector<std::uint8_t>> response =
            serve(*request, nowMs, faults, ResponseFraming::SerialLine)) {
      responses.push_back(std::move(*response));
    }
  }
  return responses;
}

std::optional<std::vector<std::uint8_t>> SimLine::receiveFrame(const std::uint8_t* frame,
                                                               std::size_t size, TimeMs nowMs,
                                                               FaultInjector* faults) {
  // A parser of its own that takes the first byte as the delimiter; the
  // request must start with the first byte given and end with the last.
  if (size == 0) return std::nullopt;
  RequestParser parser(RequestStart::AtDelimiter);
  std::optional<Request> request;
  for (std::size_t i = 0; i < size && !request; ++i) {
    request = parser.feed(frame[i]);
    if (request && i + 1 != size) return std::nullopt;
  }
  if (!request || request->delimiter != frame[0]) return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  return serve(*request, nowMs, faults, ResponseFraming::Bare);
}

std::optional<std::vector<std::uint8_t>> SimLine::serve(const Request& request, TimeMs nowMs,
                                                        FaultInjector* faults,
                                                        ResponseFraming framing) {
  for (SimDevice& device : devices_) {
    if (!device.isAddressedBy(request)) continue;
    // One answer per request, as on a real loop with unique addresses.
    const RequestFault fault = faults ? faults->nextRequest() : RequestFault::None;
    if (fault == RequestFault::None) return device.respond(request, nowMs, framing);
    if (fault == RequestFault::Silent) return std::nullopt;
    return device.answerWithoutActing(request, RequestFaultCode(fault), nowMs, framing);
  }
  return std::nullopt;
}

}  // namespace vantrel::sim
