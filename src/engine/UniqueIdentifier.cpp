#include "engine/UniqueIdentifier.h"

#include <cstdio>

namespace vantrel {

std::array<std::uint8_t, UniqueIdentifier::kSize> EncodeUniqueIdentifier(
    const UniqueIdentifier& id) {
  return {id.expansionCode,    id.manufacturerId,    id.deviceType,
          id.minPreambles,     id.universalRevision, id.deviceRevision,
          id.softwareRevision, id.hardwareRevision,  id.flags,
          id.deviceId[0],      id.deviceId[1],       id.deviceId[2]};
}

UniqueIdentifier DecodeUniqueIdentifier(const std::uint8_t* data) {
  UniqueIdentifier id;
  id.expansionCode = data[0];
  id.manufacturerId = data[1];
  id.deviceType = data[2];
  id.minPreambles = data[3];
  id.universalRevision = data[4];
  id.deviceRevision = data[5];
  id.softwareRevision = data[6];
  id.hardwareRevision = data[7];
  id.flags = data[8];
  id.deviceId = {data[9], data[10], data[11]};
  return id;
}

LongAddressBytes IdentityBytes(const UniqueIdentifier& id) {
  return {id.manufacturerId, id.deviceType, id.deviceId[0], id.deviceId[1], id.deviceId[2]};
}

std::string DescribeUniqueIdentifier(const UniqueIdentifier& id) {
  char line[200];
  std::snprintf(line, sizeof line,
                "manufacturer=0x%02x device-type=0x%02x preambles=%u universal-rev=%u "
                "device-rev=%u software-rev=%u hardware-rev=%u flags=0x%02x "
                "device-id=%02x%02x%02x",
                id.manufacturerId, id.deviceType, id.minPreambles, id.universalRevision,
                id.deviceRevision, id.softwareRevision, id.hardwareRevision, id.flags,
                id.deviceId[0], id.deviceId[1], id.deviceId[2]);
  return line;
}

}  // namespace vantrel
