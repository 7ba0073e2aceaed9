// The HART commands this program sends and the response codes they come back
// with, one table each. The command engine builds its requests from them, the
// frame decoder names commands and codes with them, and the simulated
// instrument takes its request sizes from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Universal, common-practice and this instrument's own commands.
enum HartCommand : std::uint8_t {
  CMD_READ_UNIQUE_ID = 0,
  CMD_READ_CURRENT_AND_VARIABLES = 3,
  CMD_WRITE_POLLING_ADDRESS = 6,
  CMD_READ_MESSAGE = 12,
  CMD_READ_TAG_DESCRIPTOR_DATE = 13,
  CMD_READ_OUTPUT_INFORMATION = 15,
  CMD_WRITE_MESSAGE = 17,
  CMD_WRITE_TAG_DESCRIPTOR_DATE = 18,
  CMD_READ_LONG_TAG = 20,
  CMD_WRITE_LONG_TAG = 22,
  CMD_WRITE_DAMPING = 34,
  CMD_WRITE_RANGE_VALUES = 35,
  CMD_RESET_CONFIGURATION_CHANGED = 38,
  CMD_SET_FIXED_CURRENT = 40,
  CMD_SET_PV_ZERO = 43,
  CMD_TRIM_CURRENT_ZERO = 45,
  CMD_TRIM_CURRENT_GAIN = 46,
  CMD_READ_ADDITIONAL_STATUS = 48,
  CMD_SQUAWK = 72,
  CMD_READ_DYNAMIC_VARIABLES = 110,
  CMD_CALIBRATE_RESISTANCE = 112,
  CMD_WRITE_LONG_ADDRESS = 113,
  CMD_READ_SENSOR_TYPE = 114,
  CMD_WRITE_SENSOR_TYPE = 115,
  CMD_CALIBRATE_MILLIVOLTS = 116,
  CMD_READ_OFFSET = 117,
  CMD_WRITE_OFFSET = 118,
  CMD_READ_REFERENCES = 119,
  CMD_READ_MILLIVOLTS = 120,
  CMD_CALIBRATE_HIGH = 130,
  CMD_CALIBRATE_LOW = 131,
  CMD_CALIBRATE_MID = 132,
  CMD_READ_GAIN = 133,
  CMD_WRITE_GAIN = 134,
  CMD_READ_PRESSURE_CODE = 135,
};

// Who defines a command's meaning: every HART device (universal), the
// common-practice commands that many devices implement alike, or this
// instrument family alone (its own layouts; on another maker's device the
// same number means something else).
enum class CommandClass : std::uint8_t {
  Universal = 1u << 0,
  CommonPractice = 1u << 1,
  FamilySpecific = 1u << 2,
};

// A data size that differs between devices or protocol revisions.
constexpr int kVariableSize = -1;

struct HartCommandInfo {
  HartCommand number;
  std::string_view constantName;  // the enumerator's name, "CMD_READ_UNIQUE_ID"
  std::string_view name;          // in the program's words, "读唯一标识符"
  // Data bytes of the request; for a command whose request grew with the
  // protocol revisions (6, 38, 48), the fewest, HART 5's.
  int requestBytes;
  int replyBytes;  // data bytes after the two status bytes of a reply, or kVariableSize
  CommandClass commandClass;
};

constexpr std::size_t kHartCommandCount = 35;

// Every command the program sends, in ascending order.
const std::array<HartCommandInfo, kHartCommandCount>& HartCommandTable();

// The row of `number`; nullptr for a command the program does not send.
const HartCommandInfo* FindHartCommand(std::uint8_t number);

// Response codes: the first status byte of a reply.
enum ResponseCode : std::uint8_t {
  RC_SUCCESS = 0,
  RC_INVALID_SELECTION = 2,
  RC_TOO_LARGE = 3,
  RC_TOO_SMALL = 4,
  RC_TOO_FEW_DATA_BYTES = 5,
  RC_WRITE_PROTECTED = 7,
  RC_LOWER_TOO_HIGH = 9,  // also: applied process too high, counter mismatch (38)
  RC_LOWER_TOO_LOW = 10,  // also: applied process too low
  RC_INVALID_SPAN = 29,
  RC_BUSY = 32,
  RC_DELAYED_RESPONSE_INITIATED = 33,
  RC_DELAYED_RESPONSE_RUNNING = 34,
  RC_DELAYED_RESPONSE_DEAD = 35,
  RC_DELAYED_RESPONSE_CONFLICT = 36,
  RC_COMMAND_NOT_IMPLEMENTED = 64,
};

// Bit 7 of the response code: the device reports a communication error in
// the request it received, and the other bits say which.
constexpr std::uint8_t kCommunicationErrorBit = 0x80;

enum class ResponseClass { Success, Warning, Error, CommunicationError };

// One row covers the codes first..last. Codes no row covers are errors.
struct ResponseCodeInfo {
  std::uint8_t first;
  std::uint8_t last;
  ResponseClass responseClass;
  std::string_view text;  // empty: no text of its own
};

ResponseClass ClassifyResponse(std::uint8_t responseCode);

// True for a reply whose data cannot be taken: a communication error or a
// command error. Success and the warnings carry valid data.
inline bool IsErrorResponse(std::uint8_t responseCode) {
  const ResponseClass c = ClassifyResponse(responseCode);
  return c == ResponseClass::Error || c == ResponseClass::CommunicationError;
}

// The row that covers `responseCode`; nullptr for a communication error and
// for the error codes no row names.
const ResponseCodeInfo* FindResponseCode(std::uint8_t responseCode);

// The meaning of a response code, with its class ("错误：处于写保护模式");
// with the command answered, in that command's own words where it has them.
std::string ResponseCodeText(std::uint8_t responseCode,
                             std::optional<std::uint8_t> command = std::nullopt);
// The meaning without the class of a command error or warning ("命令未实现",
// "响应码 65"); a communication error in words ("通信错误：奇偶校验错误").
std::string ResponseMeaning(std::uint8_t responseCode);
// The same as the reply to `command` means it: the zero and the pressure
// calibrations say 9 and 10 of the pressure applied ("所加过程值过高").
std::string ResponseMeaning(std::uint8_t responseCode, std::uint8_t command);

// Bits of the field device status, the second status byte of a reply.
constexpr std::uint8_t kDeviceMalfunction = 0x80;
constexpr std::uint8_t kConfigurationChanged = 0x40;
constexpr std::uint8_t kColdStart = 0x20;
constexpr std::uint8_t kMoreStatusAvailable = 0x10;
constexpr std::uint8_t kLoopCurrentFixed = 0x08;
constexpr std::uint8_t kLoopCurrentSaturated = 0x04;
constexpr std::uint8_t kNonPrimaryVariableOutOfLimits = 0x02;
constexpr std::uint8_t kPrimaryVariableOutOfLimits = 0x01;

// Each set bit of the field device status, most severe first.
std::vector<std::string> DeviceStatusTexts(std::uint8_t deviceStatus);
// The most severe set bit in words; empty when the status is 0.
std::string MostSevereDeviceStatus(std::uint8_t deviceStatus);

}  // namespace vantrel
