#include "link/HartIpMessage.h"

#include <algorithm>

#include "link/Translate.h"

namespace vantrel::hartip {
namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t U16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

struct Word {
  std::uint8_t value;
  const char* text;
};

template <std::size_t N>
std::string Lookup(const Word (&words)[N], std::uint8_t value, const char* otherwise) {
  for (const Word& word : words) {
    if (word.value == value) return Tr(word.text);
  }
  return Tr(otherwise) + std::to_string(value);
}

constexpr Word kTypes[] = {
    {0, VANTREL_TR_NOOP("core", "请求")},  {1, VANTREL_TR_NOOP("core", "响应")},
    {2, VANTREL_TR_NOOP("core", "发布")},  {3, VANTREL_TR_NOOP("core", "错误")},
    {15, VANTREL_TR_NOOP("core", "否认")},
};

constexpr Word kIds[] = {
    {0, VANTREL_TR_NOOP("core", "会话建立")},
    {1, VANTREL_TR_NOOP("core", "会话关闭")},
    {2, VANTREL_TR_NOOP("core", "保活")},
    {3, VANTREL_TR_NOOP("core", "令牌传递PDU")},
};

constexpr Word kStatuses[] = {
    {kStatusSuccess, VANTREL_TR_NOOP("core", "成功")},
    {kStatusInvalidSelection, VANTREL_TR_NOOP("core", "无效选择")},
    {kStatusTooFewDataBytes, VANTREL_TR_NOOP("core", "数据字节太少")},
    {kStatusSetToNearest, VANTREL_TR_NOOP("core", "已设为最接近的可能值")},
    {kStatusVersionNotSupported, VANTREL_TR_NOOP("core", "版本不支持")},
    {kStatusAllSessionsInUse, VANTREL_TR_NOOP("core", "会话已满")},
    {kStatusSessionAlreadyOpen, VANTREL_TR_NOOP("core", "会话已建立")},
};

constexpr Word kErrorCodes[] = {
    {kErrorSessionClosed, VANTREL_TR_NOOP("core", "会话已关闭")},
    {kErrorPrimarySessionUnavailable, VANTREL_TR_NOOP("core", "主主站会话不可用")},
    {kErrorServiceUnavailable, VANTREL_TR_NOOP("core", "服务不可用")},
};

constexpr char kOtherType[] = VANTREL_TR_NOOP("core", "类型 ");
constexpr char kOtherId[] = VANTREL_TR_NOOP("core", "消息 ");
constexpr char kOtherStatus[] = VANTREL_TR_NOOP("core", "状态 ");
constexpr char kOtherError[] = VANTREL_TR_NOOP("core", "错误码 ");

}  // namespace

std::vector<std::uint8_t> EncodeMessage(MessageType type, MessageId id, std::uint16_t sequence,
                                        const std::vector<std::uint8_t>& body,
                                        std::uint8_t status) {
  Message message;
  message.header.type = static_cast<std::uint8_t>(type);
  message.header.id = static_cast<std::uint8_t>(id);
  message.header.status = status;
  message.header.sequence = sequence;
  message.body = body;
  return EncodeMessage(message);
}

std::vector<std::uint8_t> EncodeMessage(const Message& message) {
  const std::size_t bodySize = std::min(message.body.size(), kMaxMessageSize - kHeaderSize);
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + bodySize);
  const Header& h = message.header;
  out.push_back(h.version);
  out.push_back(h.type);
  out.push_back(h.id);
  out.push_back(h.status);
  PutU16(out, h.sequence);
  PutU16(out, static_cast<std::uint16_t>(kHeaderSize + bodySize));
  out.insert(out.end(), message.body.begin(),
             message.body.begin() + static_cast<std::ptrdiff_t>(bodySize));
  return out;
}

std::optional<Header> DecodeHeader(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderSize) return std::nullopt;
  Header h;
  h.version = data[0];
  h.type = data[1];
  h.id = data[2];
  h.status = data[3];
  h.sequence = U16(data + 4);
  h.byteCount = U16(data + 6);
  return h;
}

bool IsFramable(const Header& header, std::uint8_t highestVersion) {
  return header.version >= 1 && header.version <= highestVersion && header.byteCount >= kHeaderSize;
}

std::vector<std::uint8_t> SessionInitiateBody(std::uint8_t masterType, std::uint32_t inactivityMs) {
  return {masterType, static_cast<std::uint8_t>(inactivityMs >> 24),
          static_cast<std::uint8_t>(inactivityMs >> 16),
          static_cast<std::uint8_t>(inactivityMs >> 8), static_cast<std::uint8_t>(inactivityMs)};
}

std::optional<SessionInitiate> ParseSessionInitiate(const std::vector<std::uint8_t>& body) {
  if (body.size() < kSessionInitiateBodySize) return std::nullopt;
  SessionInitiate parsed;
  parsed.masterType = body[0];
  parsed.inactivityMs = (std::uint32_t{body[1]} << 24) | (std::uint32_t{body[2]} << 16) |
                        (std::uint32_t{body[3]} << 8) | std::uint32_t{body[4]};
  return parsed;
}

void StreamParser::feed(const std::uint8_t* data, std::size_t size) {
  if (broken_ || size == 0) return;
  // What has been taken out is dropped before the buffer grows.
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.insert(buffer_.end(), data, data + size);
}

std::optional<Message> StreamParser::next() {
  if (broken_) return std::nullopt;
  const std::optional<Header> header = DecodeHeader(buffer_.data() + start_, pending());
  if (!header) return std::nullopt;
  if (!IsFramable(*header, highestVersion_)) {
    broken_ = true;
    return std::nullopt;
  }
  if (pending() < header->byteCount) return std::nullopt;
  Message message;
  message.header = *header;
  const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(start_ + kHeaderSize);
  message.body.assign(first, first + (header->byteCount - kHeaderSize));
  start_ += header->byteCount;
  if (start_ == buffer_.size()) clear();
  return message;
}

void StreamParser::clear() {
  buffer_.clear();
  start_ = 0;
  broken_ = false;
}

std::optional<Message> ParseDatagram(const std::uint8_t* data, std::size_t size,
                                     std::uint8_t highestVersion) {
  const std::optional<Header> header = DecodeHeader(data, size);
  if (!header || !IsFramable(*header, highestVersion) || header->byteCount != size) {
    return std::nullopt;
  }
  Message message;
  message.header = *header;
  message.body.assign(data + kHeaderSize, data + size);
  return message;
}

std::string MessageTypeText(std::uint8_t type) {
  return Lookup(kTypes, type, kOtherType);
}

std::string MessageIdText(std::uint8_t id) {
  return Lookup(kIds, id, kOtherId);
}

std::string StatusText(std::uint8_t status) {
  return Lookup(kStatuses, status, kOtherStatus);
}

std::string ErrorCodeText(std::uint8_t code) {
  return Lookup(kErrorCodes, code, kOtherError);
}

std::string HeaderText(const Header& header) {
  return "HART-IP " + MessageTypeText(header.type) + " " + MessageIdText(header.id) + " " +
         Tr(kOtherStatus) + std::to_string(header.status) + " " +
         Tr(VANTREL_TR_NOOP("core", "序号 ")) + std::to_string(header.sequence);
}

}  // namespace vantrel::hartip
