#include "link/HartCommands.h"

#include <algorithm>
#include <iterator>

#include "link/LinkTexts.h"
#include "link/Translate.h"

namespace vantrel {
namespace {

#define ROW(constant, name, request, reply, kind) \
  { constant, #constant, name, request, reply, CommandClass::kind }

// clang-format off
constexpr std::array<HartCommandInfo, kHartCommandCount> kCommands = {{
    ROW(CMD_READ_UNIQUE_ID, VANTREL_TR_NOOP("core", "读唯一标识符"), 0, kVariableSize, Universal),
    ROW(CMD_READ_CURRENT_AND_VARIABLES, VANTREL_TR_NOOP("core", "读电流和动态变量"), 0, kVariableSize, Universal),
    ROW(CMD_WRITE_POLLING_ADDRESS, VANTREL_TR_NOOP("core", "写轮询地址"), 1, kVariableSize, Universal),
    ROW(CMD_READ_MESSAGE, VANTREL_TR_NOOP("core", "读消息"), 0, 24, Universal),
    ROW(CMD_READ_TAG_DESCRIPTOR_DATE, VANTREL_TR_NOOP("core", "读标签、描述符和日期"), 0, 21, Universal),
    ROW(CMD_READ_OUTPUT_INFORMATION, VANTREL_TR_NOOP("core", "读主变量输出信息"), 0, kVariableSize, Universal),
    ROW(CMD_WRITE_MESSAGE, VANTREL_TR_NOOP("core", "写消息"), 24, 24, Universal),
    ROW(CMD_WRITE_TAG_DESCRIPTOR_DATE, VANTREL_TR_NOOP("core", "写标签、描述符和日期"), 21, 21, Universal),
    ROW(CMD_READ_LONG_TAG, VANTREL_TR_NOOP("core", "读长标签"), 0, 32, Universal),
    ROW(CMD_WRITE_LONG_TAG, VANTREL_TR_NOOP("core", "写长标签"), 32, 32, Universal),
    ROW(CMD_WRITE_DAMPING, VANTREL_TR_NOOP("core", "写主变量阻尼"), 4, 4, CommonPractice),
    ROW(CMD_WRITE_RANGE_VALUES, VANTREL_TR_NOOP("core", "写主变量量程"), 9, 9, CommonPractice),
    ROW(CMD_RESET_CONFIGURATION_CHANGED, VANTREL_TR_NOOP("core", "复位组态更改标志"), 0, kVariableSize, Universal),
    ROW(CMD_SET_FIXED_CURRENT, VANTREL_TR_NOOP("core", "进入/退出固定电流模式"), 4, 4, CommonPractice),
    ROW(CMD_SET_PV_ZERO, VANTREL_TR_NOOP("core", "设置主变量零点"), 0, 5, CommonPractice),
    ROW(CMD_TRIM_CURRENT_ZERO, VANTREL_TR_NOOP("core", "微调回路电流零点"), 4, 4, CommonPractice),
    ROW(CMD_TRIM_CURRENT_GAIN, VANTREL_TR_NOOP("core", "微调回路电流增益"), 4, 4, CommonPractice),
    ROW(CMD_READ_ADDITIONAL_STATUS, VANTREL_TR_NOOP("core", "读附加设备状态"), 0, kVariableSize, CommonPractice),
    ROW(CMD_SQUAWK, VANTREL_TR_NOOP("core", "鸣叫"), 0, 0, CommonPractice),
    ROW(CMD_READ_DYNAMIC_VARIABLES, VANTREL_TR_NOOP("core", "读全部动态变量"), 0, 20, CommonPractice),
    ROW(CMD_CALIBRATE_RESISTANCE, VANTREL_TR_NOOP("core", "电阻校准"), 8, 8, FamilySpecific),
    ROW(CMD_WRITE_LONG_ADDRESS, VANTREL_TR_NOOP("core", "写长地址"), 5, 5, FamilySpecific),
    ROW(CMD_READ_SENSOR_TYPE, VANTREL_TR_NOOP("core", "读传感器组态"), 0, 1, FamilySpecific),
    ROW(CMD_WRITE_SENSOR_TYPE, VANTREL_TR_NOOP("core", "写传感器组态"), 3, 1, FamilySpecific),
    ROW(CMD_CALIBRATE_MILLIVOLTS, VANTREL_TR_NOOP("core", "毫伏校准"), 2, 5, FamilySpecific),
    ROW(CMD_READ_OFFSET, VANTREL_TR_NOOP("core", "读偏移修正"), 0, 2, FamilySpecific),
    ROW(CMD_WRITE_OFFSET, VANTREL_TR_NOOP("core", "写偏移修正"), 2, 2, FamilySpecific),
    ROW(CMD_READ_REFERENCES, VANTREL_TR_NOOP("core", "读电阻校准参考值"), 2, 8, FamilySpecific),
    ROW(CMD_READ_MILLIVOLTS, VANTREL_TR_NOOP("core", "读毫伏值"), 2, 4, FamilySpecific),
    ROW(CMD_CALIBRATE_HIGH, VANTREL_TR_NOOP("core", "高端标定"), 5, 5, FamilySpecific),
    ROW(CMD_CALIBRATE_LOW, VANTREL_TR_NOOP("core", "低端标定"), 5, 5, FamilySpecific),
    ROW(CMD_CALIBRATE_MID, VANTREL_TR_NOOP("core", "中点标定"), 5, 5, FamilySpecific),
    ROW(CMD_READ_GAIN, VANTREL_TR_NOOP("core", "读放大倍数"), 0, 1, FamilySpecific),
    ROW(CMD_WRITE_GAIN, VANTREL_TR_NOOP("core", "写放大倍数"), 1, 1, FamilySpecific),
    ROW(CMD_READ_PRESSURE_CODE, VANTREL_TR_NOOP("core", "读压力码值"), 0, 4, FamilySpecific),
}};
// clang-format on

#undef ROW

// Texts are worded without the class; the decoder puts "错误：" or "警告："
// in front.
constexpr ResponseCodeInfo kResponseCodes[] = {
    {0, 0, ResponseClass::Success, VANTREL_TR_NOOP("core", "成功")},
    {2, 2, ResponseClass::Error, VANTREL_TR_NOOP("core", "无效选择")},
    {3, 3, ResponseClass::Error, VANTREL_TR_NOOP("core", "参数过大")},
    {4, 4, ResponseClass::Error, VANTREL_TR_NOOP("core", "参数过小")},
    {5, 5, ResponseClass::Error, VANTREL_TR_NOOP("core", "数据字节太少")},
    {6, 6, ResponseClass::Error, VANTREL_TR_NOOP("core", "设备特定命令错误")},
    {7, 7, ResponseClass::Error, VANTREL_TR_NOOP("core", "处于写保护模式")},
    {8, 8, ResponseClass::Warning, VANTREL_TR_NOOP("core", "已设为最接近的可能值")},
    {9, 9, ResponseClass::Error, VANTREL_TR_NOOP("core", "下限值过高")},
    {10, 10, ResponseClass::Error, VANTREL_TR_NOOP("core", "下限值过低")},
    {11, 11, ResponseClass::Error, VANTREL_TR_NOOP("core", "上限值过高")},
    {12, 12, ResponseClass::Error, VANTREL_TR_NOOP("core", "上限值过低")},
    {13, 13, ResponseClass::Error, VANTREL_TR_NOOP("core", "上下限值均超出范围")},
    {14, 14, ResponseClass::Warning, VANTREL_TR_NOOP("core", "量程过小")},
    {16, 16, ResponseClass::Error, VANTREL_TR_NOOP("core", "访问受限")},
    {24, 27, ResponseClass::Warning, ""},
    {30, 31, ResponseClass::Warning, ""},
    {32, 32, ResponseClass::Error, VANTREL_TR_NOOP("core", "设备忙")},
    {33, 33, ResponseClass::Error, VANTREL_TR_NOOP("core", "延迟响应已启动")},
    {34, 34, ResponseClass::Error, VANTREL_TR_NOOP("core", "延迟响应正在执行")},
    {35, 35, ResponseClass::Error, VANTREL_TR_NOOP("core", "延迟响应已失效")},
    {36, 36, ResponseClass::Error, VANTREL_TR_NOOP("core", "延迟响应冲突")},
    {64, 64, ResponseClass::Error, VANTREL_TR_NOOP("core", "命令未实现")},
    {96, 127, ResponseClass::Warning, ""},
};

struct StatusBit {
  std::uint8_t mask;
  const char* text;
};

// Most severe first: the first set bit is what the status bar shows.
constexpr StatusBit kDeviceStatusBits[] = {
    {kDeviceMalfunction, VANTREL_TR_NOOP("core", "设备故障")},
    {kLoopCurrentSaturated, VANTREL_TR_NOOP("core", "回路电流饱和")},
    {kPrimaryVariableOutOfLimits, VANTREL_TR_NOOP("core", "主变量超限")},
    {kNonPrimaryVariableOutOfLimits, VANTREL_TR_NOOP("core", "非主变量超限")},
    {kLoopCurrentFixed, VANTREL_TR_NOOP("core", "回路电流固定")},
    {kColdStart, VANTREL_TR_NOOP("core", "冷启动")},
    {kConfigurationChanged, VANTREL_TR_NOOP("core", "组态已更改")},
    {kMoreStatusAvailable, VANTREL_TR_NOOP("core", "有更多状态可用")},
};

constexpr StatusBit kCommunicationErrorBits[] = {
    {0x40, VANTREL_TR_NOOP("core", "奇偶校验错误")},
    {0x20, VANTREL_TR_NOOP("core", "溢出错误")},
    {0x10, VANTREL_TR_NOOP("core", "帧格式错误")},
    {0x08, VANTREL_TR_NOOP("core", "校验和错误")},
    {0x02, VANTREL_TR_NOOP("core", "接收缓冲区溢出")},
};

std::string JoinBits(const StatusBit* bits, std::size_t count, std::uint8_t value,
                     const char* separator) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(value & bits[i].mask)) continue;
    if (!text.empty()) text += Tr(separator);
    text += Tr(bits[i].text);
  }
  return text;
}

}  // namespace

const std::array<HartCommandInfo, kHartCommandCount>& HartCommandTable() {
  return kCommands;
}

const HartCommandInfo* FindHartCommand(std::uint8_t number) {
  const auto row = std::find_if(kCommands.begin(), kCommands.end(),
                                [number](const HartCommandInfo& c) { return c.number == number; });
  return row == kCommands.end() ? nullptr : &*row;
}

const ResponseCodeInfo* FindResponseCode(std::uint8_t code) {
  if (code & kCommunicationErrorBit) return nullptr;
  for (const ResponseCodeInfo& row : kResponseCodes) {
    if (code >= row.first && code <= row.last) return &row;
  }
  return nullptr;
}

ResponseClass ClassifyResponse(std::uint8_t code) {
  if (code & kCommunicationErrorBit) return ResponseClass::CommunicationError;
  const ResponseCodeInfo* row = FindResponseCode(code);
  return row ? row->responseClass : ResponseClass::Error;
}

std::string ResponseMeaning(std::uint8_t code) {
  if (code & kCommunicationErrorBit) {
    const std::string bits = JoinBits(kCommunicationErrorBits, std::size(kCommunicationErrorBits),
                                      code, texts::kListSeparator);
    return Tr(VANTREL_TR_NOOP("core", "通信错误：")) +
           (bits.empty() ? Tr(VANTREL_TR_NOOP("core", "未知")) : bits);
  }
  const ResponseCodeInfo* row = FindResponseCode(code);
  if (row && !row->text.empty()) return Tr(std::string(row->text));
  return Tr(VANTREL_TR_NOOP("core", "响应码 ")) + std::to_string(code);
}

// Setting the zero and the family's pressure calibrations answer 9 and 10
// about the pressure applied, not about a range's lower value.
std::string ResponseMeaning(std::uint8_t code, std::uint8_t command) {
  const bool appliedProcess = command == CMD_SET_PV_ZERO || command == CMD_CALIBRATE_HIGH ||
                              command == CMD_CALIBRATE_LOW || command == CMD_CALIBRATE_MID;
  if (appliedProcess && code == 9) return Tr(VANTREL_TR_NOOP("core", "所加过程值过高"));
  if (appliedProcess && code == 10) return Tr(VANTREL_TR_NOOP("core", "所加过程值过低"));
  return ResponseMeaning(code);
}

std::string ResponseCodeText(std::uint8_t code, std::optional<std::uint8_t> command) {
  const std::string meaning = command ? ResponseMeaning(code, *command) : ResponseMeaning(code);
  switch (ClassifyResponse(code)) {
    case ResponseClass::Success:
    case ResponseClass::CommunicationError:
      return meaning;
    case ResponseClass::Warning:
      return Tr(VANTREL_TR_NOOP("core", "警告：")) + meaning;
    case ResponseClass::Error:
      break;
  }
  return Tr(VANTREL_TR_NOOP("core", "错误：")) + meaning;
}

std::vector<std::string> DeviceStatusTexts(std::uint8_t status) {
  std::vector<std::string> texts;
  for (const StatusBit& bit : kDeviceStatusBits) {
    if (status & bit.mask) texts.push_back(Tr(bit.text));
  }
  return texts;
}

std::string MostSevereDeviceStatus(std::uint8_t status) {
  const std::vector<std::string> texts = DeviceStatusTexts(status);
  return texts.empty() ? std::string() : texts.front();
}

}  // namespace vantrel
