// The identity block that a device returns to command 0 (read unique
// identifier): the 12 data bytes that follow the two status bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/HartFrame.h"

namespace vantrel {

struct UniqueIdentifier {
  std::uint8_t expansionCode = 254;
  std::uint8_t manufacturerId = 0;
  std::uint8_t deviceType = 0;
  std::uint8_t minPreambles = 5;  // preambles the device wants from the master
  std::uint8_t universalRevision = 5;
  std::uint8_t deviceRevision = 1;
  std::uint8_t softwareRevision = 1;
  std::uint8_t hardwareRevision = 1;  // hardware revision and signalling code
  std::uint8_t flags = 0;
  std::array<std::uint8_t, 3> deviceId{};  // most significant byte first

  static constexpr std::size_t kSize = 12;
};

std::array<std::uint8_t, UniqueIdentifier::kSize> EncodeUniqueIdentifier(
    const UniqueIdentifier& id);

// Reads the 12 bytes at `data` (the command data of a command-0 reply).
UniqueIdentifier DecodeUniqueIdentifier(const std::uint8_t* data);

// Manufacturer, device type and device id: what the long address is made of.
LongAddressBytes IdentityBytes(const UniqueIdentifier& id);

// One line for people: manufacturer, device type, revisions and device id.
std::string DescribeUniqueIdentifier(const UniqueIdentifier& id);

}  // namespace vantrel
