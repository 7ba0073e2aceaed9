// One simulated HART field device: decides whether a request is addressed to
// it and builds its response frame.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/UniqueIdentifier.h"
#include "sim/RequestParser.h"

namespace vantrel::sim {

// HART response codes the simulated device uses.
constexpr std::uint8_t kResponseSuccess = 0;
constexpr std::uint8_t kResponseTooFewDataBytes = 5;
constexpr std::uint8_t kResponseCommandNotImplemented = 64;

struct SimDeviceConfig {
  std::uint8_t pollAddress = 0;
  UniqueIdentifier identity;
  std::uint8_t responsePreambles = 5;  // preamble bytes in front of each response
  std::uint8_t deviceStatus = 0;
};

// The identity of the simulated device at `pollAddress`: manufacturer 0x5A,
// device type 0x10, device id 01 02 03 plus the polling address.
SimDeviceConfig DefaultDeviceConfig(std::uint8_t pollAddress);

class SimDevice {
 public:
  explicit SimDevice(const SimDeviceConfig& config);

  const SimDeviceConfig& config() const { return config_; }

  // Short frame: the polling address in bits 5-0 of the address byte. Long
  // frame: manufacturer bits 5-0, device type and device id.
  bool isAddressedBy(const Request& request) const;

  // Builds the whole response frame, preambles through check byte.
  std::vector<std::uint8_t> respond(const Request& request);

 private:
  SimDeviceConfig config_;
};

// Builds a response (ACK) frame to `request`: preambles, delimiter 0x06 or
// 0x86 matching the request's address form, the address as received, the
// command, byte count, response code, device status, data and check byte.
std::vector<std::uint8_t> BuildResponseFrame(const Request& request, std::uint8_t preambles,
                                             std::uint8_t responseCode, std::uint8_t deviceStatus,
                                             const std::vector<std::uint8_t>& data);

}  // namespace vantrel::sim
