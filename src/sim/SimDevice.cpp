#include "sim/SimDevice.h"

namespace vantrel::sim {

SimDeviceConfig DefaultDeviceConfig(std::uint8_t pollAddress) {
  SimDeviceConfig config;
  config.pollAddress = pollAddress;
  config.identity.manufacturerId = 0x5A;
  config.identity.deviceType = 0x10;
  config.identity.deviceId = {0x01, 0x02, static_cast<std::uint8_t>(0x03 + pollAddress)};
  return config;
}

SimDevice::SimDevice(const SimDeviceConfig& config) : config_(config) {}

bool SimDevice::isAddressedBy(const Request& request) const {
  if (!request.isLong()) return (request.address[0] & 0x3F) == config_.pollAddress;
  const UniqueIdentifier& id = config_.identity;
  return (request.address[0] & 0x3F) == (id.manufacturerId & 0x3F) &&
         request.address[1] == id.deviceType && request.address[2] == id.deviceId[0] &&
         request.address[3] == id.deviceId[1] && request.address[4] == id.deviceId[2];
}

std::vector<std::uint8_t> SimDevice::respond(const Request& request) {
  if (request.command == 0) {
    const auto identity = EncodeUniqueIdentifier(config_.identity);
    return BuildResponseFrame(request, config_.responsePreambles, kResponseSuccess,
                              config_.deviceStatus, {identity.begin(), identity.end()});
  }
  return BuildResponseFrame(request, config_.responsePreambles, kResponseCommandNotImplemented,
                            config_.deviceStatus, {});
}

std::vector<std::uint8_t> BuildResponseFrame(const Request& request, std::uint8_t preambles,
                                             std::uint8_t responseCode, std::uint8_t deviceStatus,
                                             const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> frame(preambles, kPreambleByte);
  const std::size_t start = frame.size();
  frame.push_back(request.isLong() ? kAckLong : kAckShort);
  const std::size_t addressSize = request.isLong() ? kLongAddressSize : 1;
  frame.insert(frame.end(), request.address.begin(), request.address.begin() + addressSize);
  frame.push_back(request.command);
  frame.push_back(static_cast<std::uint8_t>(data.size() + kStatusByteCount));
  frame.push_back(responseCode);
  frame.push_back(deviceStatus);
  frame.insert(frame.end(), data.begin(), data.end());
  frame.push_back(CheckByte(frame.data() + start, frame.size() - start));
  return frame;
}

}  // namespace vantrel::sim
