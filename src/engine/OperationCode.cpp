#include "engine/OperationCode.h"

#include <array>

namespace vantrel {
namespace {

constexpr std::array<std::string_view, kLastOperation> kWords = {
    "comm-test",
    "search",
    "read-current",
    "read-device-info",
    "fixed-current",
    "calibrate-current",
    "write-device-info",
    "write-poll-address",
    "read-long-address",
    "write-sensor-config",
    "read-sensor-config",
    "read-resistance",
    "calibrate-resistance",
    "write-long-address",
    "read-config",
    "write-config",
    "calibrate-50mv",
    "read-offset",
    "write-offset",
    "read-cal-row1",
    "read-cal-row2",
    "calibrate-0mv",
    "read-voltage",
    "calibrate-low",
    "calibrate-high",
    "clear-zero",
    "calibrate-mid",
    "read-gain",
    "write-gain",
    "poll",
};

}  // namespace

int RequestsAfterCommand0(OperationCode op) {
  switch (op) {
    case OP_COMM_TEST:
    case OP_SEARCH:
    case OP_READ_LONG_ADDRESS:
      return 0;
    case OP_READ_DEVICE_INFO:
    case OP_WRITE_DEVICE_INFO:
    case OP_WRITE_CONFIG:
      return 2;
    default:
      return 1;
  }
}

std::string_view OperationWord(OperationCode op) {
  return IsOperationCode(op) ? kWords[op - 1] : std::string_view{};
}

std::optional<OperationCode> OperationFromWord(std::string_view word) {
  for (std::size_t i = 0; i < kWords.size(); ++i) {
    if (kWords[i] == word) return static_cast<OperationCode>(i + 1);
  }
  return std::nullopt;
}

}  // namespace vantrel
