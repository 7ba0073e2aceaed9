// The user operations: the thirty of the family's program and those that
// every HART 6 and 7 instrument understands. Each is a short chain of HART transactions with
// one device that always begins with command 0 to the polling address.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel {

enum OperationCode : std::uint8_t {
  OP_COMM_TEST = 1,
  OP_SEARCH = 2,
  OP_READ_CURRENT = 3,
  OP_READ_DEVICE_INFO = 4,
  OP_FIXED_CURRENT = 5,
  OP_CALIBRATE_CURRENT = 6,
  OP_WRITE_DEVICE_INFO = 7,
  OP_WRITE_POLL_ADDRESS = 8,
  OP_READ_LONG_ADDRESS = 9,
  OP_WRITE_SENSOR_CONFIG = 10,
  OP_READ_SENSOR_CONFIG = 11,
  OP_READ_RESISTANCE = 12,
  OP_CALIBRATE_RESISTANCE = 13,
  OP_WRITE_LONG_ADDRESS = 14,
  OP_READ_CONFIG = 15,
  OP_WRITE_CONFIG = 16,
  OP_CALIBRATE_50MV = 17,
  OP_READ_OFFSET = 18,
  OP_WRITE_OFFSET = 19,
  OP_READ_CAL_ROW1 = 20,
  OP_READ_CAL_ROW2 = 21,
  OP_CALIBRATE_0MV = 22,
  OP_READ_VOLTAGE = 23,
  OP_CALIBRATE_LOW = 24,
  OP_CALIBRATE_HIGH = 25,
  OP_CLEAR_ZERO = 26,
  OP_CALIBRATE_MID = 27,
  OP_READ_GAIN = 28,
  OP_WRITE_GAIN = 29,
  OP_POLL = 30,
  OP_READ_STATUS = 31,           // command 48
  OP_ACKNOWLEDGE_STATUS = 32,    // command 48, echoing what was read (HART 7)
  OP_RESET_CONFIG_CHANGED = 33,  // command 38
  OP_READ_LONG_TAG = 34,         // command 20, HART 6 and 7
  OP_WRITE_LONG_TAG = 35,        // command 22, HART 6 and 7
  OP_SQUAWK = 36,                // command 72, HART 6 and 7
};

constexpr int kFirstOperation = OP_COMM_TEST;
constexpr int kLastOperation = OP_SQUAWK;

constexpr bool IsOperationCode(int code) {
  return code >= kFirstOperation && code <= kLastOperation;
}

// Requests an operation sends after its command-0 request: 0, 1 or 2.
int RequestsAfterCommand0(OperationCode op);

// True when the operation's requests may reach the instrument twice without
// harm (reads and plain writes); false for the current trims and the
// calibrations, which act on what the instrument measures at the time.
bool MaySendTwice(OperationCode op);

// The command-line word of an operation ("comm-test", "read-current", ...).
std::string_view OperationWord(OperationCode op);
std::optional<OperationCode> OperationFromWord(std::string_view word);

}  // namespace vantrel
