#include "engine/UniqueIdentifier.h"

#include <cstdio>

#include "link/Translate.h"

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

std::vector<std::uint8_t> EncodeIdentityBlock(const UniqueIdentifier& id) {
  const auto first = EncodeUniqueIdentifier(id);
  std::vector<std::uint8_t> block(first.begin(), first.end());
  if (id.layout < 6) return block;
  const auto word = [&block](std::uint16_t value) {
    block.push_back(static_cast<std::uint8_t>(value >> 8));
    block.push_back(static_cast<std::uint8_t>(value & 0xFF));
  };
  block.push_back(id.responsePreambles);
  block.push_back(id.maxDeviceVariables);
  word(id.configChangeCounter);
  block.push_back(id.extendedStatus);
  if (id.layout < 7) return block;
  word(id.manufacturerCode);
  word(id.privateLabelCode);
  block.push_back(id.deviceProfile);
  return block;
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

namespace {

// Appends " <label> <value>", the value printed with `format`.
void AddField(std::string& line, const char* label, const char* format, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  if (!line.empty()) line += ' ';
  line += Tr(label) + ' ' + text;
}

}  // namespace

std::string DescribeUniqueIdentifier(const UniqueIdentifier& id) {
  std::string line;
  if (id.layout == 7) {
    line = "HART 7";
    AddField(line, VANTREL_TR_NOOP("core", "扩展设备类型"), "0x%04x", id.expandedDeviceType());
    AddField(line, VANTREL_TR_NOOP("core", "制造商"), "0x%04x", id.manufacturerCode);
  } else {
    line = "HART " + std::to_string(id.layout == 6 ? 6 : id.universalRevision);
    AddField(line, VANTREL_TR_NOOP("core", "制造商"), "0x%02x", id.manufacturerId);
    AddField(line, VANTREL_TR_NOOP("core", "设备类型"), "0x%02x", id.deviceType);
  }
  AddField(line, VANTREL_TR_NOOP("core", "通用版本"), "%u", id.universalRevision);
  AddField(line, VANTREL_TR_NOOP("core", "设备版本"), "%u", id.deviceRevision);
  AddField(line, VANTREL_TR_NOOP("core", "软件版本"), "%u", id.softwareRevision);
  AddField(line, VANTREL_TR_NOOP("core", "硬件版本"), "%u", id.hardwareRevision >> 3u);
  AddField(line, VANTREL_TR_NOOP("core", "信号代码"), "%u", id.hardwareRevision & 0x07u);
  AddField(line, VANTREL_TR_NOOP("core", "前导符"), "%u", id.minPreambles);
  AddField(line, VANTREL_TR_NOOP("core", "标志"), "0x%02x", id.flags);
  AddField(line, VANTREL_TR_NOOP("core", "设备号"), "%06x",
           static_cast<unsigned>(id.deviceId[0] << 16 | id.deviceId[1] << 8 | id.deviceId[2]));
  if (id.layout >= 6) {
    AddField(line, VANTREL_TR_NOOP("core", "应答前导符"), "%u", id.responsePreambles);
    AddField(line, VANTREL_TR_NOOP("core", "设备变量"), "%u", id.maxDeviceVariables);
    AddField(line, VANTREL_TR_NOOP("core", "组态计数"), "%u", id.configChangeCounter);
    AddField(line, VANTREL_TR_NOOP("core", "扩展状态"), "0x%02x", id.extendedStatus);
  }
  if (id.layout == 7) {
    AddField(line, VANTREL_TR_NOOP("core", "私有标签"), "0x%04x", id.privateLabelCode);
    AddField(line, VANTREL_TR_NOOP("core", "设备配置文件"), "%u", id.deviceProfile);
  }
  return line;
}

}  // namespace vantrel
