#include "engine/AdditionalStatus.h"

#include <algorithm>
#include <cstdio>

#include "link/Translate.h"

namespace vantrel {
namespace {

constexpr std::size_t kExtendedAt = 6;
constexpr std::size_t kOperatingModeAt = 7;
constexpr std::size_t kStandardizedAt[4] = {8, 9, 11, 12};
constexpr std::size_t kSaturatedAt = 10;
constexpr std::size_t kFixedAt = 13;
constexpr std::size_t kLaidOutBytes = 14;
// A HART 7 request echoes at most this many bytes of the reply.
constexpr std::size_t kMaxEchoBytes = 25;

// Eight entries per byte, bit 0 first; a null word is a bit without a
// meaning of its own.
using BitWords = std::array<StatusWord, 8>;

constexpr BitWords kExtendedBits = {{
    {"maintenance-required", VANTREL_TR_NOOP("core", "需要维护")},
    {"device-variable-alert", VANTREL_TR_NOOP("core", "设备变量报警")},
    {"critical-power-failure", VANTREL_TR_NOOP("core", "电源严重故障")},
    {"failure", VANTREL_TR_NOOP("core", "故障")},
    {"out-of-limits", VANTREL_TR_NOOP("core", "超出规格")},
    {"function-check", VANTREL_TR_NOOP("core", "功能检查")},
    {nullptr, nullptr},
    {nullptr, nullptr},
}};

constexpr BitWords kStandardizedBits[4] = {
    {{
        {"simulation-active", VANTREL_TR_NOOP("core", "仿真已激活")},
        {"non-volatile-memory-defect", VANTREL_TR_NOOP("core", "非易失存储器故障")},
        {"volatile-memory-defect", VANTREL_TR_NOOP("core", "易失存储器故障")},
        {"watchdog-reset", VANTREL_TR_NOOP("core", "看门狗复位")},
        {"power-supply-out-of-range", VANTREL_TR_NOOP("core", "供电电压超出范围")},
        {"environment-out-of-range", VANTREL_TR_NOOP("core", "环境条件超出范围")},
        {"electronic-defect", VANTREL_TR_NOOP("core", "电子部件故障")},
        {"configuration-locked", VANTREL_TR_NOOP("core", "组态已锁定")},
    }},
    {{
        {"status-simulation-active", VANTREL_TR_NOOP("core", "状态仿真已激活")},
        {"discrete-simulation-active", VANTREL_TR_NOOP("core", "离散变量仿真已激活")},
        {"event-notification-overflow", VANTREL_TR_NOOP("core", "事件通知溢出")},
        {nullptr, nullptr},
        {nullptr, nullptr},
        {nullptr, nullptr},
        {nullptr, nullptr},
        {nullptr, nullptr},
    }},
    {{
        {"sub-device-list-changed", VANTREL_TR_NOOP("core", "子设备列表已更改")},
        {"duplicate-master", VANTREL_TR_NOOP("core", "检测到重复主站")},
        {"sub-device-mismatch", VANTREL_TR_NOOP("core", "子设备不匹配")},
        {"duplicate-sub-device-ids", VANTREL_TR_NOOP("core", "子设备ID重复")},
        {"stale-data", VANTREL_TR_NOOP("core", "数据过时")},
        {nullptr, nullptr},
        {nullptr, nullptr},
        {nullptr, nullptr},
    }},
    {{
        {"capacity-denied", VANTREL_TR_NOOP("core", "容量不足")},
        {nullptr, nullptr},
        {"bandwidth-allocation-pending", VANTREL_TR_NOOP("core", "带宽分配待定")},
        {"block-transfer-pending", VANTREL_TR_NOOP("core", "块传输待定")},
        {"radio-failure", VANTREL_TR_NOOP("core", "无线故障")},
        {nullptr, nullptr},
        {nullptr, nullptr},
        {nullptr, nullptr},
    }},
};

// Words for bits without a meaning of their own, "bit-0" ... "bit-7".
constexpr StatusWord kPlainBits[8] = {
    {"bit-0", "bit 0"}, {"bit-1", "bit 1"}, {"bit-2", "bit 2"}, {"bit-3", "bit 3"},
    {"bit-4", "bit 4"}, {"bit-5", "bit 5"}, {"bit-6", "bit 6"}, {"bit-7", "bit 7"},
};

std::vector<StatusWord> WordsOf(const BitWords& bits, std::uint8_t status) {
  std::vector<StatusWord> words;
  for (int bit = 0; bit < 8; ++bit) {
    if (!(status & (1u << bit))) continue;
    const StatusWord& named = bits[static_cast<std::size_t>(bit)];
    words.push_back(named.word ? named : kPlainBits[bit]);
  }
  return words;
}

std::optional<std::uint8_t> ByteAt(const std::vector<std::uint8_t>& data, std::size_t at) {
  return at < data.size() ? std::optional<std::uint8_t>(data[at]) : std::nullopt;
}

}  // namespace

AdditionalStatus DecodeAdditionalStatus(const std::vector<std::uint8_t>& data, int revision) {
  AdditionalStatus status;
  if (revision < 6) {
    status.deviceSpecific = data;
    return status;
  }
  status.deviceSpecific.assign(data.begin(), data.begin() + std::min<std::size_t>(6, data.size()));
  if (data.size() > kLaidOutBytes) {
    status.deviceSpecific.insert(status.deviceSpecific.end(), data.begin() + kLaidOutBytes,
                                 data.end());
  }
  status.extendedDeviceStatus = ByteAt(data, kExtendedAt);
  status.operatingMode = ByteAt(data, kOperatingModeAt);
  if (data.size() > kStandardizedAt[3]) {
    status.standardized = std::array<std::uint8_t, 4>{};
    for (std::size_t i = 0; i < 4; ++i) (*status.standardized)[i] = data[kStandardizedAt[i]];
  }
  status.analogSaturated = ByteAt(data, kSaturatedAt);
  status.analogFixed = ByteAt(data, kFixedAt);
  return status;
}

std::vector<StatusWord> ExtendedStatusWords(std::uint8_t status) {
  return WordsOf(kExtendedBits, status);
}

std::vector<StatusWord> StandardizedStatusWords(int index, std::uint8_t status) {
  if (index < 0 || index > 3) return {};
  return WordsOf(kStandardizedBits[index], status);
}

std::string PlainHex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (const std::uint8_t byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(byte));
    text += pair;
  }
  return text;
}

std::vector<std::string> AdditionalStatusLines(const AdditionalStatus& status) {
  std::vector<std::string> lines;
  if (status.extendedDeviceStatus) {
    for (const StatusWord& w : ExtendedStatusWords(*status.extendedDeviceStatus)) {
      lines.push_back(Tr(w.text));
    }
  }
  if (status.standardized) {
    for (int i = 0; i < 4; ++i) {
      for (const StatusWord& w : StandardizedStatusWords(i, (*status.standardized)[i])) {
        lines.push_back(Tr(w.text));
      }
    }
  }
  if (status.analogSaturated.value_or(0) != 0) {
    lines.push_back(Tr(VANTREL_TR_NOOP("core", "模拟通道饱和")));
  }
  if (status.analogFixed.value_or(0) != 0) {
    lines.push_back(Tr(VANTREL_TR_NOOP("core", "模拟通道固定")));
  }
  const bool anySpecific = std::any_of(status.deviceSpecific.begin(), status.deviceSpecific.end(),
                                       [](std::uint8_t b) { return b != 0; });
  if (anySpecific) {
    lines.push_back(Tr(VANTREL_TR_NOOP("core", "设备特定状态：")) +
                    PlainHex(status.deviceSpecific));
  }
  return lines;
}

std::vector<std::uint8_t> AcknowledgementData(const std::vector<std::uint8_t>& read, int revision) {
  if (revision < 7) return {};
  return {read.begin(), read.begin() + std::min(read.size(), kMaxEchoBytes)};
}

}  // namespace vantrel
