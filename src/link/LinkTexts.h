// User-visible texts of the link layer.
#pragma once

#include "link/Translate.h"

namespace vantrel::texts {

inline constexpr const char kPortNotOpen[] = VANTREL_TR_NOOP("core", "HART端口未打开！");
inline constexpr const char kPortOpened[] = VANTREL_TR_NOOP("core", "HART打开成功！");
inline constexpr const char kPortOpenFailed[] = VANTREL_TR_NOOP("core", "HART打开失败！");
// The port went away while open (a USB adapter pulled out).
inline constexpr const char kPortLost[] = VANTREL_TR_NOOP("core", "HART端口已断开！");
// Pane 0 of the status bar while no instrument has been talked to.
inline constexpr const char kNotConnected[] = VANTREL_TR_NOOP("core", "未连接");
// Between the items of a list of status bits.
inline constexpr const char kListSeparator[] = VANTREL_TR_NOOP("core", "、");

}  // namespace vantrel::texts
