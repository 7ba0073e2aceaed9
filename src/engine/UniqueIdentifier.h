// The identity block that a device returns to command 0 (read unique
// identifier), after the two status bytes. HART 5 sends 12 bytes; HART 6
// adds five (bytes 12-16), HART 7 five more (17-21) and reads bytes 1-2 as
// one expanded device type, the manufacturer moving to bytes 17-18. The long
// address is made of bytes 1, 2 and 9-11 in every revision.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/HartFrame.h"

namespace vantrel {

struct UniqueIdentifier {
  std::uint8_t expansionCode = 254;
  std::uint8_t manufacturerId = 0;  // HART 7: high byte of the expanded device type
  std::uint8_t deviceType = 0;      // HART 7: low byte of the expanded device type
  std::uint8_t minPreambles = 5;    // preambles the device wants from the master
  std::uint8_t universalRevision = 5;
  std::uint8_t deviceRevision = 1;
  std::uint8_t softwareRevision = 1;
  std::uint8_t hardwareRevision = 1;  // hardware revision and signalling code
  std::uint8_t flags = 0;
  std::array<std::uint8_t, 3> deviceId{};  // most significant byte first

  // The layout the reply carried: 5, 6 or 7.
  int layout = 5;
  // HART 6 and 7.
  std::uint8_t responsePreambles = 0;  // preambles the device sends
  std::uint8_t maxDeviceVariables = 0;
  std::uint16_t configChangeCounter = 0;
  std::uint8_t extendedStatus = 0;
  // HART 7.
  std::uint16_t manufacturerCode = 0;
  std::uint16_t privateLabelCode = 0;
  std::uint8_t deviceProfile = 0;

  static constexpr std::size_t kSize = 12;  // HART 5
  static constexpr std::size_t kSizeHart6 = 17;
  static constexpr std::size_t kSizeHart7 = 22;

  std::uint16_t expandedDeviceType() const {
    return static_cast<std::uint16_t>((manufacturerId << 8) | deviceType);
  }
};

// The HART 5 block: the first 12 bytes.
std::array<std::uint8_t, UniqueIdentifier::kSize> EncodeUniqueIdentifier(
    const UniqueIdentifier& id);

// The whole block of `id.layout`: 12 bytes for HART 5, 17 for HART 6, 22
// for HART 7 (with the manufacturer code in bytes 17-18).
std::vector<std::uint8_t> EncodeIdentityBlock(const UniqueIdentifier& id);

// Reads the `count` bytes at `data` (the command data of a command-0 reply,
// at least 12). The universal revision (byte 4) and the count decide the
// layout: HART 7 with 22 bytes or more, HART 6 with 17 or more, else HART 5.
UniqueIdentifier DecodeUniqueIdentifier(const std::uint8_t* data,
                                        std::size_t count = UniqueIdentifier::kSize);

// Manufacturer (HART 7: expanded device type) and device type bytes and the
// device id: what the long address is made of.
LongAddressBytes IdentityBytes(const UniqueIdentifier& id);

// One line for people, in the program's words, with the fields of the
// layout the reply carried.
std::string DescribeUniqueIdentifier(const UniqueIdentifier& id);

}  // namespace vantrel
