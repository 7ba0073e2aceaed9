#include "engine/FrameDecoder.h"

#include "engine/UniqueIdentifier.h"

#include <cstdio>

#include "link/LinkTexts.h"
#include "link/Translate.h"

namespace vantrel {
namespace {

const char* DropReasonText(DropReason reason) {
  switch (reason) {
    case DropReason::CheckByte:
      return VANTREL_TR_NOOP("core", "校验字节错误");
    case DropReason::Silence:
      return VANTREL_TR_NOOP("core", "线路静默，帧不完整");
    case DropReason::TooShort:
      return VANTREL_TR_NOOP("core", "应答缺少状态字节");
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
  f.kind = Tr(type == kFrameTypeRequest ? VANTREL_TR_NOOP("core", "请求")
              : type == kFrameTypeAck   ? VANTREL_TR_NOOP("core", "应答")
                                        : VANTREL_TR_NOOP("core", "突发"));
  f.longAddress = HasLongAddress(f.delimiter);
  const std::size_t addressSize = f.longAddress ? kLongAddressSize : 1;
  char text[8];
  for (std::size_t a = 0; a < addressSize && i < raw.size(); ++a, ++i) {
    if (f.longAddress) {
      std::snprintf(text, sizeof text, a == 0 ? "%02x" : " %02x", raw[i]);
      f.address += text;
    } else {
      f.address = std::to_string(PollingAddressOf(raw[i]));
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
    f.responseText = ResponseCodeText(f.responseCode, f.command);
    f.deviceStatusTexts = DeviceStatusTexts(f.deviceStatus);
    data.erase(data.begin(), data.begin() + kStatusByteCount);
  }
  f.data = std::move(data);
  if (type == kFrameTypeAck && f.command == CMD_READ_UNIQUE_ID &&
      f.responseClass != ResponseClass::CommunicationError &&
      f.data.size() >= UniqueIdentifier::kSize) {
    f.details = DescribeUniqueIdentifier(DecodeUniqueIdentifier(f.data.data(), f.data.size()));
  }
}

}  // namespace

std::string CommandName(std::uint8_t command) {
  const HartCommandInfo* info = FindHartCommand(command);
  return info ? Tr(std::string(info->name)) : std::string();
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
  f.dropReason = Tr(DropReasonText(reason));
  return f;
}

std::optional<DecodedFrame> TransportLog::message(bool sent, const std::string& header,
                                                  const std::vector<std::uint8_t>& raw,
                                                  bool carriesFrame, TimeMs timeMs) {
  if (carriesFrame) {
    pending_[sent ? 0 : 1] = header;
    return std::nullopt;
  }
  DecodedFrame line;
  line.timeMs = timeMs;
  line.direction = sent ? FrameDirection::Sent : FrameDirection::Received;
  line.raw = raw;
  line.transport = header;
  line.transportOnly = true;
  return line;
}

DecodedFrame TransportLog::take(DecodedFrame frame) {
  std::string& pending = pending_[frame.direction == FrameDirection::Sent ? 0 : 1];
  frame.transport = std::move(pending);
  pending.clear();
  return frame;
}

std::string FormatFrameLine(const DecodedFrame& f) {
  std::string line = std::to_string(f.timeMs) + " ms ";
  line += Tr(f.direction == FrameDirection::Sent ? VANTREL_TR_NOOP("core", "发送")
                                                 : VANTREL_TR_NOOP("core", "接收"));
  if (f.transportOnly) {
    // A line of the transport's own (the secure channel up) may carry no bytes.
    line += " " + f.transport;
    return f.raw.empty() ? line : line + " | " + HexBytes(f.raw);
  }
  if (!f.transport.empty()) line += " [" + f.transport + "]";
  if (f.dropped) line += DroppedText(f.dropReason);
  line += " " + f.kind +
          Tr(f.longAddress ? VANTREL_TR_NOOP("core", "(长地址 ")
                           : VANTREL_TR_NOOP("core", "(短地址 ")) +
          f.address + ")";
  if (f.command) {
    line += Tr(VANTREL_TR_NOOP("core", " 命令 ")) + std::to_string(*f.command);
    if (!f.commandName.empty()) line += " " + f.commandName;
  }
  if (f.byteCount) line += Tr(VANTREL_TR_NOOP("core", " 字节数 ")) + std::to_string(*f.byteCount);
  if (f.hasStatus) {
    line += " | " + f.responseText;
    if (!f.deviceStatusTexts.empty()) {
      line += Tr(VANTREL_TR_NOOP("core", " | 设备状态："));
      for (std::size_t i = 0; i < f.deviceStatusTexts.size(); ++i) {
        line += (i ? Tr(texts::kListSeparator) : std::string()) + f.deviceStatusTexts[i];
      }
    }
  }
  if (!f.data.empty()) line += Tr(VANTREL_TR_NOOP("core", " | 数据 ")) + HexBytes(f.data);
  if (!f.details.empty()) line += " | " + f.details;
  line += " | " + HexBytes(f.raw);
  return line;
}

std::string DroppedText(const std::string& dropReason) {
  return Tr(VANTREL_TR_NOOP("core", " [丢弃：")) + dropReason + "]";
}

}  // namespace vantrel
