// User-visible texts of the link layer.
#pragma once

namespace vantrel::texts {

inline constexpr const char kPortNotOpen[] = "HART端口未打开！";
inline constexpr const char kPortOpened[] = "HART打开成功！";
inline constexpr const char kPortOpenFailed[] = "HART打开失败！";

}  // namespace vantrel::texts
