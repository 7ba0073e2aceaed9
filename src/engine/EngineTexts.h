// User-visible texts of the command engine.
#pragma once

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
// While the instrument works on a delayed response.
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
inline constexpr const char kTextNotPackable[] =
    VANTREL_TR_NOOP("core", "标签、描述符和消息只能包含英文字母、数字和符号！");

}  // namespace vantrel::texts
