// User-visible texts of the command engine.
#pragma once

#include <initializer_list>
#include <string>

#include "link/Translate.h"

namespace vantrel::texts {

// Status line.
inline constexpr const char kConnected[] = VANTREL_TR_NOOP("core", "连接成功");
inline constexpr const char kCommOk[] = VANTREL_TR_NOOP("core", "通信正常");
inline constexpr const char kCommFailed[] = VANTREL_TR_NOOP("core", "通信失败");
inline constexpr const char kReceiveOk[] = VANTREL_TR_NOOP("core", "接收成功");
inline constexpr const char kReceiveFailed[] = VANTREL_TR_NOOP("core", "接收失败");
inline constexpr const char kReadOk[] = VANTREL_TR_NOOP("core", "读取成功");
inline constexpr const char kReadFailed[] = VANTREL_TR_NOOP("core", "读取失败");
inline constexpr const char kSendOk[] = VANTREL_TR_NOOP("core", "发送成功");
inline constexpr const char kSendFailed[] = VANTREL_TR_NOOP("core", "发送失败");
inline constexpr const char kCalibrateOk[] = VANTREL_TR_NOOP("core", "校准成功");
inline constexpr const char kCalibrateFailed[] = VANTREL_TR_NOOP("core", "校准失败");
inline constexpr const char kSetOk[] = VANTREL_TR_NOOP("core", "设置成功");
inline constexpr const char kSetFailed[] = VANTREL_TR_NOOP("core", "设置失败");
inline constexpr const char kModifyOk[] = VANTREL_TR_NOOP("core", "修改成功");
inline constexpr const char kModifyFailed[] = VANTREL_TR_NOOP("core", "修改失败");
inline constexpr const char kZeroOk[] = VANTREL_TR_NOOP("core", "清零成功");
inline constexpr const char kZeroFailed[] = VANTREL_TR_NOOP("core", "清零失败");
inline constexpr const char kSearching[] = VANTREL_TR_NOOP("core", "正在搜索");
inline constexpr const char kSearchFailed[] = VANTREL_TR_NOOP("core", "搜索失败");
inline constexpr const char kSearchDone[] = VANTREL_TR_NOOP("core", "搜索完成");
// While the instrument works on a delayed response, or is busy and asked
// again.
inline constexpr const char kDeviceBusyWait[] = VANTREL_TR_NOOP("core", "设备忙，请稍候…");

// Why an operation failed, beside its failure text.
inline constexpr const char kReasonNoReply[] = VANTREL_TR_NOOP("core", "设备无应答");
// A trim or calibration whose request got no reply: the instrument may have
// acted on it.
inline constexpr const char kReasonResultUnknown[] =
    VANTREL_TR_NOOP("core", "结果未知，请读取确认");
inline constexpr const char kReasonUnexpectedReply[] = VANTREL_TR_NOOP("core", "应答与预期不符");
inline constexpr const char kReasonNoIdentity[] = VANTREL_TR_NOOP("core", "应答中没有设备标识");
inline constexpr const char kReasonDelayedTooLong[] = VANTREL_TR_NOOP("core", "延迟响应超过60秒");
// "<part>未修改：<meaning>": a part of a write the instrument refused.
// Between two reasons.
inline constexpr const char kReasonSeparator[] = VANTREL_TR_NOOP("core", "；");
inline constexpr const char kPartNotWritten[] = VANTREL_TR_NOOP("core", "未修改：");
inline constexpr const char kPartDamping[] = VANTREL_TR_NOOP("core", "阻尼时间");
inline constexpr const char kPartRange[] = VANTREL_TR_NOOP("core", "量程");
inline constexpr const char kPartMessage[] = VANTREL_TR_NOOP("core", "消息");
inline constexpr const char kPartTagDescriptorDate[] =
    VANTREL_TR_NOOP("core", "标签、描述符和日期");

// Message boxes.
inline constexpr const char kSearchReport[] = VANTREL_TR_NOOP("core", "搜索到在线设备：");
inline constexpr const char kSelectCurrentFirst[] = VANTREL_TR_NOOP("core", "请先选择电流！");
inline constexpr const char kSelectUnitFirst[] = VANTREL_TR_NOOP("core", "请先选择单位！");
inline constexpr const char kSelectSensorFirst[] = VANTREL_TR_NOOP("core", "请先选择传感器类型！");
inline constexpr const char kBadLongAddress[] =
    VANTREL_TR_NOOP("core", "长地址格式错误！格式应为：0x5a 0x10 0x01 0x02 0x03");
inline constexpr const char kOffsetOutOfRange[] = VANTREL_TR_NOOP("core", "偏移值超出范围！");
// A character packed ASCII cannot carry (0x20-0x5F after upper-casing),
// named.
inline constexpr const char kTagNotPackable[] = VANTREL_TR_NOOP("core", "标签中的 %1 不能写入仪表");
inline constexpr const char kDescriptorNotPackable[] =
    VANTREL_TR_NOOP("core", "描述符中的 %1 不能写入仪表");
inline constexpr const char kMessageNotPackable[] =
    VANTREL_TR_NOOP("core", "消息中的 %1 不能写入仪表");

// The instrument and its model.
inline constexpr const char kManufacturer[] = VANTREL_TR_NOOP("core", "制造商 ");
inline constexpr const char kDeviceType[] = VANTREL_TR_NOOP("core", "设备类型 ");
inline constexpr const char kDeviceId[] = VANTREL_TR_NOOP("core", "设备ID ");
inline constexpr const char kModelSeparator[] = VANTREL_TR_NOOP("core", "，");
// Asked before the family's own command goes to another model: %1 the
// model, %2 the command.
inline constexpr const char kUnknownModelQuestion[] =
    VANTREL_TR_NOOP("core", "此仪表（%1）不在已知型号中，命令 %2 对它可能有别的含义。仍要发送吗？");
inline constexpr const char kReasonUnknownModel[] =
    VANTREL_TR_NOOP("core", "此仪表（%1）不在已知型号中，命令 %2 未发送");
// A write of values read from another instrument: %1 that one, %2 this one.
inline constexpr const char kReasonOtherInstrument[] =
    VANTREL_TR_NOOP("core", "页面数据读自另一台仪表（%1），当前仪表为 %2：未写入");
inline constexpr const char kPagesCleared[] =
    VANTREL_TR_NOOP("core", "已连接另一台仪表，页面数据已清空");
// An operation meant for one instrument (the release of its fixed loop
// current) found another: %1 the one connected.
inline constexpr const char kReasonNotThatInstrument[] =
    VANTREL_TR_NOOP("core", "现在连接的是另一台仪表（%1）：未发送");
// A question left unanswered when another operation took the link.
inline constexpr const char kReasonNotSent[] = VANTREL_TR_NOOP("core", "未发送");
// %1: the polling address just written.
inline constexpr const char kNewPollAddress[] =
    VANTREL_TR_NOOP("core", "新轮询地址 %1：请在 Hart轮询地址 中选择它");

// What HART 6 and 7 add. %1: the instrument's HART revision.
inline constexpr const char kReasonNeedsHart6[] =
    VANTREL_TR_NOOP("core", "此仪表为 HART %1，不支持此操作（需要 HART 6 或 7）：未发送");
// %1: the polling address asked for.
inline constexpr const char kReasonHart5Address[] =
    VANTREL_TR_NOOP("core", "HART 5 仪表的轮询地址为 0 到 15，%1 未发送");
// %1: the character that cannot be sent.
inline constexpr const char kReasonNotLatin1[] =
    VANTREL_TR_NOOP("core", "长标签中的 %1 不能写入仪表");
inline constexpr const char kLongTagTooLong[] = VANTREL_TR_NOOP("core", "长标签最多 32 个字符！");
inline constexpr const char kReadStatusFirst[] = VANTREL_TR_NOOP("core", "请先读取设备状态！");
inline constexpr const char kAcknowledgeOk[] = VANTREL_TR_NOOP("core", "确认成功");
inline constexpr const char kAcknowledgeFailed[] = VANTREL_TR_NOOP("core", "确认失败");
inline constexpr const char kResetOk[] = VANTREL_TR_NOOP("core", "复位成功");
inline constexpr const char kResetFailed[] = VANTREL_TR_NOOP("core", "复位失败");
inline constexpr const char kSquawkOk[] = VANTREL_TR_NOOP("core", "仪表已鸣叫");
inline constexpr const char kSquawkFailed[] = VANTREL_TR_NOOP("core", "鸣叫失败");
// The search over a chosen range: %1 and %2 its first and last address.
inline constexpr const char kSearchRange[] = VANTREL_TR_NOOP("core", "正在搜索 %1 到 %2");
// The first line of the report of a search another operation cut short.
inline constexpr const char kSearchInterrupted[] = VANTREL_TR_NOOP("core", "搜索已中断");

// `text` (translated) with %1, %2, ... replaced by `args` in turn.
inline std::string WithArgs(const char* text, std::initializer_list<std::string> args) {
  std::string out = Tr(text);
  int n = 1;
  for (const std::string& arg : args) {
    const std::string mark = "%" + std::to_string(n++);
    const std::size_t at = out.find(mark);
    if (at != std::string::npos) out.replace(at, mark.size(), arg);
  }
  return out;
}

}  // namespace vantrel::texts
