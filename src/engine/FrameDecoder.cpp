#include "engine/FrameDecoder.h"

#include <cstdio>

namespace vantrel {
namespace {

struct StatusBit {
  std::uint8_t mask;
  const char* text;
};

// Most severe first: the first set bit is what the status bar shows.
constexpr StatusBit kDeviceStatusBits[] = {
    {0x80, "设备故障"},     {0x04, "回路电流饱和"}, {0x01, "主变量超限"}, {0x02, "非主变量超限"},
    {0x08, "回路电流固定"}, {0x20, "冷启动"},       {0x40, "组态已更改"}, {0x10, "有更多状态可用"},
};

constexpr StatusBit kCommunicationErrorBits[] = {
    {0x40, "奇偶校验错误"}, {0x20, "溢出错误"},       {0x10, "帧格式错误"},
    {0x08, "校验和错误"},   {0x02, "接收缓冲区溢出"},
};

std::string JoinBits(const StatusBit* bits, std::size_t count, std::uint8_t value,
                     const char* separator) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(value & bits[i].mask)) continue;
    if (!text.empty()) text += separator;
    text += bits[i].text;
  }
  return text;
}

const char* DropReasonText(DropReason reason) {
  switch (reason) {
    case DropReason::CheckByte:
      return "校验字节错误";
    case DropReason::Silence:
      return "线路静默，帧不完整";
    case DropReason::TooShort:
      return "应答缺少状态字节";
  }
  return "";
}

// Fills the fields that `raw` carries; stops where it ends.
void Parse(DecodedFrame& f, const std::vector<std::uint8_t>& raw) {
  std::size_t i = 0;
  while (i < raw.size() && raw[i] == kPreambleByte) ++i;
  const std::size_t start = i;
  if (i >= raw.size()) return;
  f.delimiter = raw[i++];
  const std::uint8_t type = FrameType(f.delimiter);
  f.kind = type == kFrameTypeRequest ? "请求" : type == kFrameTypeAck ? "应答" : "突发";
  f.longAddress = HasLongAddress(f.delimiter);
  const std::size_t addressSize = f.longAddress ? kLongAddressSize : 1;
  char text[8];
  for (std::size_t a = 0; a < addressSize && i < raw.size(); ++a, ++i) {
    if (f.longAddress) {
      std::snprintf(text, sizeof text, a == 0 ? "%02x" : " %02x", raw[i]);
      f.address += text;
    } else {
      f.address = std::to_string(raw[i] & 0x3F);
    }
  }
  i += ExpansionCount(f.delimiter);
  if (i < raw.size()) {
    f.command = raw[i++];
    f.commandName = CommandName(*f.command);
  }
  if (i < raw.size()) f.byteCount = raw[i++];
  std::size_t end = raw.size();
  if (f.byteCount && i + *f.byteCount < raw.size()) end = i + *f.byteCount;  // check byte follows
  std::vector<std::uint8_t> data(raw.begin() + static_cast<long>(std::min(i, end)),
                                 raw.begin() + static_cast<long>(end));
  f.raw.assign(raw.begin() + static_cast<long>(start), raw.end());
  while (!f.raw.empty() && f.raw.size() > end - start + 1) f.raw.pop_back();  // trailing bytes
  if (type != kFrameTypeRequest && data.size() >= kStatusByteCount) {
    f.hasStatus = true;
    f.responseCode = data[0];
    f.deviceStatus = data[1];
    f.responseClass = ClassifyResponse(f.responseCode);
    f.responseText = ResponseCodeText(f.responseCode);
    f.deviceStatusTexts = DeviceStatusTexts(f.deviceStatus);
    data.erase(data.begin(), data.begin() + kStatusByteCount);
  }
  f.data = std::move(data);
}

}  // namespace

std::string CommandName(std::uint8_t command) {
  switch (command) {
    case 0:
      return "读唯一标识符";
    case 3:
      return "读电流和动态变量";
    case 6:
      return "写轮询地址";
    case 12:
      return "读消息";
    case 13:
      return "读标签、描述符和日期";
    case 15:
      return "读主变量输出信息";
    case 17:
      return "写消息";
    case 18:
      return "写标签、描述符和日期";
    case 34:
      return "写主变量阻尼";
    case 35:
      return "写主变量量程";
    case 40:
      return "进入/退出固定电流模式";
    case 43:
      return "设置主变量零点";
    case 45:
      return "微调回路电流零点";
    case 46:
      return "微调回路电流增益";
    case 110:
      return "读全部动态变量";
    case 112:
      return "电阻校准";
    case 113:
      return "写长地址";
    case 114:
      return "读传感器组态";
    case 115:
      return "写传感器组态";
    case 116:
      return "毫伏校准";
    case 117:
      return "读偏移修正";
    case 118:
      return "写偏移修正";
    case 119:
      return "读电阻校准参考值";
    case 120:
      return "读毫伏值";
    case 130:
      return "高端标定";
    case 131:
      return "低端标定";
    case 132:
      return "中点标定";
    case 133:
      return "读放大倍数";
    case 134:
      return "写放大倍数";
    case 135:
      return "读压力码值";
    default:
      return "";
  }
}

ResponseClass ClassifyResponse(std::uint8_t code) {
  if (code & 0x80) return ResponseClass::CommunicationError;
  if (code == 0) return ResponseClass::Success;
  if (code == 8 || code == 14 || (code >= 24 && code <= 27) || code == 30 || code == 31 ||
      (code >= 96 && code <= 127)) {
    return ResponseClass::Warning;
  }
  return ResponseClass::Error;
}

std::string ResponseCodeText(std::uint8_t code) {
  if (code & 0x80) {
    const std::string bits =
        JoinBits(kCommunicationErrorBits, std::size(kCommunicationErrorBits), code, "、");
    return "通信错误：" + (bits.empty() ? std::string("未知") : bits);
  }
  switch (code) {
    case 0:
      return "成功";
    case 2:
      return "错误：无效选择";
    case 3:
      return "错误：参数过大";
    case 4:
      return "错误：参数过小";
    case 5:
      return "错误：数据字节太少";
    case 6:
      return "错误：设备特定命令错误";
    case 7:
      return "错误：处于写保护模式";
    case 8:
      return "警告：已设为最接近的可能值";
    case 9:
      return "错误：下限值过高";
    case 10:
      return "错误：下限值过低";
    case 11:
      return "错误：上限值过高";
    case 12:
      return "错误：上限值过低";
    case 13:
      return "错误：上下限值均超出范围";
    case 14:
      return "警告：量程过小";
    case 16:
      return "错误：访问受限";
    case 32:
      return "错误：设备忙";
    case 33:
      return "错误：延迟响应已启动";
    case 34:
      return "错误：延迟响应正在执行";
    case 35:
      return "错误：延迟响应已失效";
    case 36:
      return "错误：延迟响应冲突";
    case 64:
      return "错误：命令未实现";
    default:
      break;
  }
  const char* kind = ClassifyResponse(code) == ResponseClass::Warning ? "警告" : "错误";
  return std::string(kind) + "：响应码 " + std::to_string(code);
}

std::vector<std::string> DeviceStatusTexts(std::uint8_t status) {
  std::vector<std::string> texts;
  for (const StatusBit& bit : kDeviceStatusBits) {
    if (status & bit.mask) texts.emplace_back(bit.text);
  }
  return texts;
}

std::string MostSevereDeviceStatus(std::uint8_t status) {
  const std::vector<std::string> texts = DeviceStatusTexts(status);
  return texts.empty() ? std::string() : texts.front();
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", bytes[i]);
    text += byte;
  }
  return text;
}

DecodedFrame DecodeFrame(const std::vector<std::uint8_t>& raw, FrameDirection direction,
                         TimeMs timeMs) {
  DecodedFrame f;
  f.timeMs = timeMs;
  f.direction = direction;
  Parse(f, raw);
  return f;
}

DecodedFrame DecodeDroppedFrame(const std::vector<std::uint8_t>& raw, DropReason reason,
                                TimeMs timeMs) {
  DecodedFrame f = DecodeFrame(raw, FrameDirection::Received, timeMs);
  f.dropped = true;
  f.dropReason = DropReasonText(reason);
  return f;
}

std::string FormatFrameLine(const DecodedFrame& f) {
  std::string line = std::to_string(f.timeMs) + " ms ";
  line += f.direction == FrameDirection::Sent ? "发送" : "接收";
  if (f.dropped) line += " [丢弃：" + f.dropReason + "]";
  line += " " + f.kind + (f.longAddress ? "(长地址 " : "(短地址 ") + f.address + ")";
  if (f.command) {
    line += " 命令 " + std::to_string(*f.command);
    if (!f.commandName.empty()) line += " " + f.commandName;
  }
  if (f.byteCount) line += " 字节数 " + std::to_string(*f.byteCount);
  if (f.hasStatus) {
    line += " | " + f.responseText;
    if (!f.deviceStatusTexts.empty()) {
      line += " | 设备状态：";
      for (std::size_t i = 0; i < f.deviceStatusTexts.size(); ++i) {
        line += (i ? "、" : "") + f.deviceStatusTexts[i];
      }
    }
  }
  if (!f.data.empty()) line += " | 数据 " + HexBytes(f.data);
  line += " | " + HexBytes(f.raw);
  return line;
}

}  // namespace vantrel
