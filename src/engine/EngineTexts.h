// User-visible texts of the command engine.
#pragma once

namespace vantrel::texts {

// Status line.
inline constexpr const char kConnected[] = "连接成功";
inline constexpr const char kCommOk[] = "通信正常";
inline constexpr const char kCommFailed[] = "通信失败";
inline constexpr const char kReceiveOk[] = "接收成功";
inline constexpr const char kReceiveFailed[] = "接收失败";
inline constexpr const char kReadOk[] = "读取成功";
inline constexpr const char kReadFailed[] = "读取失败";
inline constexpr const char kSendOk[] = "发送成功";
inline constexpr const char kSendFailed[] = "发送失败";
inline constexpr const char kCalibrateOk[] = "校准成功";
inline constexpr const char kCalibrateFailed[] = "校准失败";
inline constexpr const char kSetOk[] = "设置成功";
inline constexpr const char kSetFailed[] = "设置失败";
inline constexpr const char kModifyOk[] = "修改成功";
inline constexpr const char kModifyFailed[] = "修改失败";
inline constexpr const char kZeroOk[] = "清零成功";
inline constexpr const char kZeroFailed[] = "清零失败";
inline constexpr const char kSearching[] = "正在搜索";
inline constexpr const char kSearchFailed[] = "搜索失败";
inline constexpr const char kSearchDone[] = "搜索完成";
// While the instrument works on a delayed response.
inline constexpr const char kDeviceBusyWait[] = "设备忙，请稍候…";

// Why an operation failed, beside its failure text.
inline constexpr const char kReasonNoReply[] = "设备无应答";
// A trim or calibration whose request got no reply: the instrument may have
// acted on it.
inline constexpr const char kReasonResultUnknown[] = "结果未知，请读取确认";
inline constexpr const char kReasonUnexpectedReply[] = "应答与预期不符";
inline constexpr const char kReasonNoIdentity[] = "应答中没有设备标识";
inline constexpr const char kReasonDelayedTooLong[] = "延迟响应超过60秒";
// "<part>未修改：<meaning>": a part of a write the instrument refused.
inline constexpr const char kPartNotWritten[] = "未修改：";
inline constexpr const char kPartDamping[] = "阻尼时间";
inline constexpr const char kPartRange[] = "量程";
inline constexpr const char kPartMessage[] = "消息";
inline constexpr const char kPartTagDescriptorDate[] = "标签、描述符和日期";

// Message boxes.
inline constexpr const char kSearchReport[] = "搜索到在线设备：";
inline constexpr const char kSelectCurrentFirst[] = "请先选择电流！";
inline constexpr const char kSelectUnitFirst[] = "请先选择单位！";
inline constexpr const char kSelectSensorFirst[] = "请先选择传感器类型！";
inline constexpr const char kBadLongAddress[] =
    "长地址格式错误！格式应为：0x5a 0x10 0x01 0x02 0x03";
inline constexpr const char kOffsetOutOfRange[] = "偏移值超出范围！";
inline constexpr const char kTextNotPackable[] = "标签、描述符和消息只能包含英文字母、数字和符号！";

}  // namespace vantrel::texts
