#include "engine/UniqueIdentifier.h"

#include <cstdio>

namespace vantrel {
namespace {

std::uint16_t Word(const std::uint8_t* data) {
  return static_cast<std::uint16_t>((data[0] << 8) | data[1]);
}

}  // namespace

std::array<std::uint8_t, UniqueIdentifier::kSize> EncodeUniqueIdentifier(
    const UniqueIdentifier& id) {
  return {id.expansionCode,    id.manufacturerId,    id.deviceType,
          id.minPreambles,     id.universalRevision, id.deviceRevision,
          id.softwareRevision, id.hardwareRevision,  id.flags,
          id.deviceId[0],      id.deviceId[1],       id.deviceId[2]};
}

UniqueIdentifier DecodeUniqueIdentifier(const std::uint8_t* data, std::size_t count) {
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
  if (id.universalRevision >= 6 && count >= UniqueIdentifier::kSizeHart6) {
    id.layout = 6;
    id.responsePreambles = data[12];
    id.maxDeviceVariables = data[13];
    id.configChangeCounter = Word(data + 14);
    id.extendedStatus = data[16];
  }
  if (id.universalRevision >= 7 && count >= UniqueIdentifier::kSizeHart7) {
    id.layout = 7;
    id.manufacturerCode = Word(data + 17);
    id.privateLabelCode = Word(data + 19);
    id.deviceProfile = data[21];
  }
  return id;
}

LongAddressBytes IdentityBytes(const UniqueIdentifier& id) {
  return {id.manufacturerId, id.deviceType, id.deviceId[0], id.deviceId[1], id.deviceId[2]};
}

std::string DescribeUniqueIdentifier(const UniqueIdentifier& id) {
  char line[320];
  int n = 0;
  if (id.layout == 7) {
    n = std::snprintf(line, sizeof line, "HART 7 扩展设备类型 0x%04x 制造商 0x%04x",
                      id.expandedDeviceType(), id.manufacturerCode);
  } else {
    n = std::snprintf(line, sizeof line, "HART %u 制造商 0x%02x 设备类型 0x%02x",
                      static_cast<unsigned>(id.layout == 6 ? 6 : id.universalRevision),
                      id.manufacturerId, id.deviceType);
  }
  n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                     " 通用版本 %u 设备版本 %u 软件版本 %u 硬件版本 %u 信号代码 %u 前导符 %u "
                     "标志 0x%02x 设备号 %02x%02x%02x",
                     id.universalRevision, id.deviceRevision, id.softwareRevision,
                     id.hardwareRevision >> 3, id.hardwareRevision & 0x07, id.minPreambles,
                     id.flags, id.deviceId[0], id.deviceId[1], id.deviceId[2]);
  if (id.layout >= 6) {
    n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                       " 应答前导符 %u 设备变量 %u 组态计数 %u 扩展状态 0x%02x",
                       id.responsePreambles, id.maxDeviceVariables, id.configChangeCounter,
                       id.extendedStatus);
  }
  if (id.layout == 7) {
    std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                  " 私有标签 0x%04x 设备配置文件 %u", id.privateLabelCode, id.deviceProfile);
  }
  return line;
}

}  // namespace vantrel
