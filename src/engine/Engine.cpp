#include "engine/Engine.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/CodeTables.h"
#include "engine/EngineTexts.h"
#include "engine/UniqueIdentifier.h"

namespace vantrel {
namespace {

constexpr std::uint8_t kCommandReadUniqueId = 0;

// The status texts an operation ends with: success, and failure. Operations
// without a success test fail only on an error response; they show the
// counterpart of their success text.
struct ResultTexts {
  const char* success;
  const char* failure;
};

ResultTexts TextsFor(OperationCode op) {
  switch (op) {
    case OP_COMM_TEST:
      return {texts::kCommOk, texts::kCommOk};
    case OP_READ_CURRENT:
    case OP_READ_DEVICE_INFO:
    case OP_READ_LONG_ADDRESS:
    case OP_READ_SENSOR_CONFIG:
      return {texts::kReceiveOk, texts::kReceiveFailed};
    case OP_FIXED_CURRENT:
      return {texts::kSetOk, texts::kSetFailed};
    case OP_WRITE_DEVICE_INFO:
      return {texts::kSendOk, texts::kSendFailed};
    case OP_WRITE_POLL_ADDRESS:
    case OP_WRITE_SENSOR_CONFIG:
    case OP_WRITE_LONG_ADDRESS:
    case OP_WRITE_CONFIG:
    case OP_WRITE_GAIN:
      return {texts::kModifyOk, texts::kModifyFailed};
    case OP_READ_CAL_ROW1:
    case OP_READ_CAL_ROW2:
    case OP_READ_VOLTAGE:
      return {texts::kReadOk, texts::kReadFailed};
    case OP_CLEAR_ZERO:
      return {texts::kZeroOk, texts::kZeroFailed};
    default:  // the calibrations, and the reads that report "校准成功"
      return {texts::kCalibrateOk, texts::kCalibrateFailed};
  }
}

std::string FormatInt(long long value) {
  return std::to_string(value);
}

// Converts a computed reference value to the signed 32-bit field it is sent
// in: truncated toward zero to 64 bits, then its low 32 bits. Values that are
// not finite (a zero divisor) are 0.
std::int32_t ReferenceValue(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kLimit = 9.2e18;
  const double clamped = value > kLimit ? kLimit : (value < -kLimit ? -kLimit : value);
  const auto wide = static_cast<std::int64_t>(clamped);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

bool SameBytes(const ReceivedFrame& reply, const std::array<std::uint8_t, 5>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (reply.data[i] != bytes[i]) return false;
  }
  return true;
}

}  // namespace

bool IsErrorResponse(std::uint8_t code) {
  if (code & 0x80) return true;  // communication error
  if (code == 0 || code == 8 || code == 14 || code == 30 || code == 31) return false;
  if (code >= 24 && code <= 27) return false;
  if (code >= 96 && code <= 127) return false;
  return true;
}

Engine::Engine(LinkCore& link, DeviceData& data, EngineEffects& effects, const Clock& clock)
    : link_(link), data_(data), effects_(effects), clock_(clock) {}

// --- starting ------------------------------------------------------------

std::optional<std::string> Engine::refusal(OperationCode op) const {
  switch (op) {
    case OP_WRITE_DEVICE_INFO:
      if (!IsPackableText(data_.tag) || !IsPackableText(data_.descriptor) ||
          !IsPackableText(data_.message)) {
        return texts::kTextNotPackable;
      }
      return std::nullopt;
    case OP_WRITE_LONG_ADDRESS:
      if (!ParseLongAddressText(data_.longAddressText)) return texts::kBadLongAddress;
      return std::nullopt;
    case OP_WRITE_CONFIG:
      if (!UnitCodeForIndex(data_.unitIndex)) return texts::kSelectUnitFirst;
      return std::nullopt;
    case OP_WRITE_SENSOR_CONFIG:
      if (!SensorTypeAt(data_.sensorTypeIndex)) return texts::kSelectSensorFirst;
      return std::nullopt;
    case OP_WRITE_OFFSET:
      if (!OffsetTenths(TextToDouble(data_.offsetText))) return texts::kOffsetOutOfRange;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

bool Engine::startOperation(OperationCode op, std::uint8_t pollAddress) {
  if (!IsOperationCode(op)) return false;
  if (op == OP_SEARCH) {
    startSearch();
    return true;
  }
  if (const std::optional<std::string> reason = refusal(op)) {
    effects_.showMessage(MessageIcon::Error, *reason);
    effects_.operationEnded(op, OperationResult::Refused);
    return false;
  }
  // A new operation takes the link: a search or a paused write in progress
  // ends here.
  if (searchActive()) endSearch();
  pendingSendAt_.reset();
  return sendFirstRequest(op, pollAddress);
}

// The start protocol: command 0 in a short frame to the polling address.
bool Engine::sendFirstRequest(OperationCode op, std::uint8_t pollAddress) {
  HartLink& link = link_.link();
  link.operationCode = op;
  link.operationStep = 0;
  link.txPreambles = 6;
  link.txDelimiter = kStxShort;
  link.pollAddress = pollAddress;
  link.txCommand = kCommandReadUniqueId;
  link.txByteCount = 0;
  if (!link_.StartOperation()) {
    inProgress_ = false;
    effects_.operationEnded(op, OperationResult::Refused);
    return false;
  }
  inProgress_ = true;
  lastRequestAt_ = clock_.nowMs();
  return true;
}

bool Engine::pollTick(std::uint8_t pollAddress) {
  if (searchActive()) return false;
  const HartLink& link = link_.link();
  if (inProgress_ && link.operationCode != OP_POLL &&
      clock_.nowMs() - lastRequestAt_ < kPollYieldMs) {
    return false;
  }
  return startOperation(OP_POLL, pollAddress);
}

// --- replies -------------------------------------------------------------

void Engine::HandleOperationReply(const ReceivedFrame& reply) {
  HartLink& link = link_.link();
  if (!IsOperationCode(link.operationCode)) return;
  const auto op = static_cast<OperationCode>(link.operationCode);
  if (op == OP_SEARCH) {
    if (searchActive()) searchReply(reply);
    return;
  }
  // A reply that nothing waits for (late, repeated, or while pausing before
  // the next request) is dropped: taking it for the reply of the current step
  // would send the operation's write again without the user asking. So is a
  // reply to another command than the one sent (a late answer to an
  // abandoned operation): its bytes mean something else.
  if (!inProgress_ || pendingSendAt_) return;
  if (reply.command != link.txCommand) return;
  if (op == OP_COMM_TEST) {
    if (!inProgress_ || reply.command != kCommandReadUniqueId) return;
    effects_.setProgress(100);
    effects_.setStatusText(texts::kCommOk);
    inProgress_ = false;
    effects_.operationEnded(op, OperationResult::Success);
    return;
  }

  const int requests = RequestsAfterCommand0(op);
  const int step = link.operationStep;
  if (step > requests) {
    ++link.operationStep;
    return;
  }
  if (IsErrorResponse(reply.responseCode)) {
    fail(op);
    return;
  }
  if (step == 0) {
    // Without its identity block a command-0 reply names no device to send
    // the next request to.
    if (reply.dataCount < UniqueIdentifier::kSize) {
      fail(op);
      return;
    }
    effects_.setProgress(requests == 2 ? 33 : 50);
    effects_.setStatusText(texts::kConnected);
    LearnLongAddress(reply);
    if (op == OP_READ_LONG_ADDRESS) {
      readLongAddress();
      return;
    }
    composeTxLongAddress();
    sendRequest(op, 1);
  } else if (step < requests) {
    decodeMiddle(op, reply);
    effects_.setProgress(66);
    sendRequest(op, step + 1);
  } else {
    decodeLast(op, reply);
  }
}

void Engine::LearnLongAddress(const ReceivedFrame& reply) {
  data_.longAddress = {reply.data[1], reply.data[2], reply.data[9], reply.data[10], reply.data[11]};
}

void Engine::composeTxLongAddress() {
  HartLink& link = link_.link();
  link.txLongAddress[0] = static_cast<std::uint8_t>((data_.longAddress[0] & 0x3F) | 0x80);
  for (std::size_t i = 1; i < 5; ++i) link.txLongAddress[i] = data_.longAddress[i];
}

void Engine::readLongAddress() {
  longAddressBytes_ = data_.longAddress;
  longAddressBytes_[0] &= 0x7F;
  data_.longAddressText = FormatLongAddressText(longAddressBytes_);
  effects_.setProgress(100);
  effects_.refresh(RefreshTarget::TabHart, RefreshDirection::ToControls);
  finish(OP_READ_LONG_ADDRESS, texts::kReceiveOk, OperationResult::Success);
}

// --- requests ------------------------------------------------------------

void Engine::sendRequest(OperationCode op, int request) {
  HartLink& link = link_.link();
  if (request == 2) composeTxLongAddress();
  if (!buildRequest(op, request)) return;
  link.txPreambles = 6;
  link.txDelimiter = kStxLong;
  if (op == OP_WRITE_CONFIG && request == 2) {
    pendingSendAt_ = clock_.nowMs() + kRangeWritePauseMs;
    return;
  }
  sendPrepared();
}

void Engine::sendPrepared() {
  HartLink& link = link_.link();
  link_.StartOperation();
  ++link.operationStep;
  lastRequestAt_ = clock_.nowMs();
}

// Fills command, byte count and data of request `request` of `op`. Returns
// false when the operation ends here instead.
bool Engine::buildRequest(OperationCode op, int request) {
  HartLink& link = link_.link();
  std::uint8_t* d = link.txData.data();
  auto set = [&link](std::uint8_t command, std::uint8_t byteCount) {
    link.txCommand = command;
    link.txByteCount = byteCount;
  };
  switch (op) {
    case OP_READ_CURRENT:
      set(3, 0);
      return true;
    case OP_READ_DEVICE_INFO:
      set(request == 1 ? 12 : 13, 0);
      return true;
    case OP_FIXED_CURRENT:
      set(40, 4);
      WriteFloatBE(data_.calibrationPoint, d);
      return true;
    case OP_CALIBRATE_CURRENT: {
      if (data_.calibrationPoint != 4.0f && data_.calibrationPoint != 20.0f) {
        effects_.showMessage(MessageIcon::Error, texts::kSelectCurrentFirst);
        effects_.setProgress(100);
        finish(op, texts::kCalibrateFailed, OperationResult::Failure);
        return false;
      }
      set(data_.calibrationPoint == 4.0f ? 45 : 46, 4);
      WriteFloatBE(data_.actualCurrent, d);
      return true;
    }
    case OP_WRITE_DEVICE_INFO:
      if (request == 1) {
        set(17, 24);
        PackAscii(data_.message.c_str(), d, kMessageBytes);
      } else {
        set(18, 21);
        PackAscii(data_.tag.c_str(), d, kTagBytes);
        PackAscii(data_.descriptor.c_str(), d + kTagBytes, kDescriptorBytes);
        const std::array<std::uint8_t, 3> date = EncodeDateBytes(data_.date);
        d[18] = date[0];
        d[19] = date[1];
        d[20] = date[2];
      }
      return true;
    case OP_WRITE_POLL_ADDRESS:
      set(6, 1);
      d[0] = data_.newPollAddress;
      return true;
    case OP_WRITE_SENSOR_CONFIG:
      set(115, 3);
      d[0] = 0xA5;
      d[1] = 0x5A;
      d[2] = static_cast<std::uint8_t>(data_.sensorTypeIndex);
      return true;
    case OP_READ_SENSOR_CONFIG:
      set(114, 0);
      return true;
    case OP_READ_RESISTANCE:
      set(110, 0);
      return true;
    case OP_CALIBRATE_RESISTANCE: {
      const double a = TextToInt(data_.row1AdmText);
      const double b = TextToInt(data_.row1AdlText);
      const double c = TextToInt(data_.row2AdmText);
      const double e = TextToInt(data_.row2AdlText);
      const double divisor = 2 * a - 2 * b - c + e;
      const std::int32_t rRef = ReferenceValue((c + e - a - b) * 20000 / divisor);
      const std::int32_t vRef = ReferenceValue((a * c + 3 * a * e - 3 * b * c - b * e) / divisor);
      data_.rRefText = FormatInt(rRef);
      data_.vRefText = FormatInt(vRef);
      effects_.refresh(RefreshTarget::TabConf, RefreshDirection::ToControls);
      set(112, 8);
      WriteInt32BE(rRef, d);
      WriteInt32BE(vRef, d + 4);
      return true;
    }
    case OP_WRITE_LONG_ADDRESS: {
      const std::optional<LongAddressBytes> parsed = ParseLongAddressText(data_.longAddressText);
      if (!parsed) {  // checked at the start; the text cannot change on the way
        effects_.showMessage(MessageIcon::Error, texts::kBadLongAddress);
        fail(op);
        return false;
      }
      longAddressBytes_ = *parsed;
      set(113, 5);
      for (std::size_t i = 0; i < 5; ++i) d[i] = longAddressBytes_[i];
      return true;
    }
    case OP_READ_CONFIG:
      set(15, 0);
      return true;
    case OP_WRITE_CONFIG:
      if (request == 1) {
        set(34, 4);
        WriteFloatBE(static_cast<float>(TextToDouble(data_.dampingText)), d);
      } else {
        const std::optional<std::uint8_t> code = UnitCodeForIndex(data_.unitIndex);
        if (!code) {
          effects_.showMessage(MessageIcon::Error, texts::kSelectUnitFirst);
          fail(op);
          return false;
        }
        sentUnitCode_ = *code;
        set(35, 9);
        d[0] = *code;
        WriteFloatBE(static_cast<float>(TextToDouble(data_.upperRangeText)), d + 1);
        WriteFloatBE(static_cast<float>(TextToDouble(data_.lowerRangeText)), d + 5);
      }
      return true;
    case OP_CALIBRATE_50MV:
    case OP_CALIBRATE_0MV:
      set(116, 2);
      d[0] = op == OP_CALIBRATE_50MV ? 0xAA : 0x55;
      d[1] = op == OP_CALIBRATE_50MV ? 0x55 : 0xAA;
      return true;
    case OP_READ_OFFSET:
      set(117, 0);
      return true;
    case OP_WRITE_OFFSET: {
      const std::optional<std::int16_t> tenths = OffsetTenths(TextToDouble(data_.offsetText));
      if (!tenths) {
        effects_.showMessage(MessageIcon::Error, texts::kOffsetOutOfRange);
        fail(op);
        return false;
      }
      set(118, 2);
      WriteInt16BE(*tenths, d);
      return true;
    }
    case OP_READ_CAL_ROW1:
    case OP_READ_CAL_ROW2:
    case OP_READ_VOLTAGE:
      set(op == OP_READ_VOLTAGE ? 120 : 119, 2);
      d[0] = 0xAA;
      d[1] = 0x55;
      return true;
    case OP_CALIBRATE_LOW:
    case OP_CALIBRATE_HIGH:
    case OP_CALIBRATE_MID: {
      // The page takes its controls into the data when it handles this; the
      // value sent is the one its own save put there when the button was
      // pressed.
      effects_.refresh(RefreshTarget::TabConf, RefreshDirection::ToData);
      const float pressure = op == OP_CALIBRATE_LOW    ? data_.lowPressure
                             : op == OP_CALIBRATE_HIGH ? data_.highPressure
                                                       : data_.midPressure;
      set(op == OP_CALIBRATE_LOW ? 131 : op == OP_CALIBRATE_HIGH ? 130 : 132, 5);
      d[0] = kPressureCalibrationUnitCode;
      WriteFloatBE(pressure, d + 1);
      return true;
    }
    case OP_CLEAR_ZERO:
      set(43, 0);
      return true;
    case OP_READ_GAIN:
      set(133, 0);
      return true;
    case OP_WRITE_GAIN:
      set(134, 1);
      d[0] = static_cast<std::uint8_t>(data_.gainIndex);
      return true;
    case OP_POLL:
      set(135, 0);
      return true;
    case OP_COMM_TEST:
    case OP_SEARCH:
    case OP_READ_LONG_ADDRESS:
      break;
  }
  return false;
}

// --- decoding ------------------------------------------------------------

void Engine::decodeMiddle(OperationCode op, const ReceivedFrame& reply) {
  if (op != OP_READ_DEVICE_INFO) return;
  data_.message = UnpackAsciiText(reply.data.data(), kMessageBytes);
  data_.message = data_.message.substr(0, data_.message.find('_'));
}

void Engine::decodeLast(OperationCode op, const ReceivedFrame& reply) {
  const std::uint8_t* r = reply.data.data();
  const ResultTexts result = TextsFor(op);
  bool success = true;
  RefreshTarget target = RefreshTarget::TabConf;
  bool refresh = false;
  switch (op) {
    case OP_READ_CURRENT:
      data_.loopCurrent = ReadFloatBE(r);
      data_.pvText = FormatFixed(ReadFloatBE(r + 5), 4) + UnitDisplayText(r[4]);
      data_.svText = FormatFixed(ReadFloatBE(r + 10), 2) + SecondaryUnitDisplayText(r[9]);
      data_.percentOfRange = PercentOfRange(data_.loopCurrent);
      target = RefreshTarget::View;
      refresh = true;
      break;
    case OP_READ_DEVICE_INFO: {
      auto cut = [](std::string text) { return text.substr(0, text.find('_')); };
      data_.tag = cut(UnpackAsciiText(r, kTagBytes));
      data_.descriptor = cut(UnpackAsciiText(r + kTagBytes, kDescriptorBytes));
      data_.date = DecodeDateBytes(r + 18);
      effects_.setDeviceDate(data_.date);
      target = RefreshTarget::TabHart;
      refresh = true;
      break;
    }
    case OP_FIXED_CURRENT:
      success = ReadFloatBE(r) == data_.calibrationPoint;
      break;
    case OP_CALIBRATE_CURRENT:
      success = ReadFloatBE(r) == data_.actualCurrent;
      break;
    case OP_WRITE_DEVICE_INFO:
      break;
    case OP_WRITE_POLL_ADDRESS:
      success = r[0] == data_.newPollAddress;
      break;
    case OP_WRITE_SENSOR_CONFIG:
      success = r[0] == static_cast<std::uint8_t>(data_.sensorTypeIndex);
      break;
    case OP_READ_SENSOR_CONFIG:
      data_.sensorTypeIndex = r[0] < kSensorTypeCount ? r[0] : -1;
      if (const SensorTypeEntry* sensor = SensorTypeAt(data_.sensorTypeIndex)) {
        data_.sensorLowerText = std::string(sensor->lowerLimitText);
        data_.sensorUpperText = std::string(sensor->upperLimitText);
      }
      refresh = true;
      break;
    case OP_READ_RESISTANCE:
      data_.resistance = ReadFloatBE(r + 11);
      refresh = true;
      break;
    case OP_CALIBRATE_RESISTANCE:
      refresh = true;
      break;
    case OP_WRITE_LONG_ADDRESS:
    case OP_CALIBRATE_50MV:
    case OP_CALIBRATE_0MV:
    case OP_CALIBRATE_LOW:
    case OP_CALIBRATE_HIGH:
    case OP_CALIBRATE_MID:
    case OP_CLEAR_ZERO:
      success = SameBytes(reply, longAddressBytes_);
      break;
    case OP_READ_CONFIG:
      if (const std::optional<int> index = UnitIndexForCode(r[2])) data_.unitIndex = *index;
      data_.upperRangeText = FormatFixed(ReadFloatBE(r + 3), 1);
      data_.lowerRangeText = FormatFixed(ReadFloatBE(r + 7), 1);
      data_.dampingText = FormatFixed(ReadFloatBE(r + 11), 1);
      refresh = true;
      break;
    case OP_WRITE_CONFIG:
      success = r[0] == sentUnitCode_;
      break;
    case OP_READ_OFFSET:
      data_.offsetText = FormatFixed(OffsetFromTenths(ReadInt16BE(r)), 1);
      refresh = true;
      break;
    case OP_WRITE_OFFSET:
      refresh = true;
      break;
    case OP_READ_CAL_ROW1:
      data_.row1AdmText = FormatInt(ReadInt32BE(r));
      data_.row1AdlText = FormatInt(ReadInt32BE(r + 4));
      refresh = true;
      break;
    case OP_READ_CAL_ROW2:
      data_.row2AdmText = FormatInt(ReadInt32BE(r));
      data_.row2AdlText = FormatInt(ReadInt32BE(r + 4));
      refresh = true;
      break;
    case OP_READ_VOLTAGE:
      data_.millivoltText = FormatInt(ReadInt32BE(r));
      refresh = true;
      break;
    case OP_READ_GAIN:
      data_.gainIndex = r[0] < kGainCount ? r[0] : -1;
      refresh = true;
      break;
    case OP_WRITE_GAIN:
      success = r[0] == static_cast<std::uint8_t>(data_.gainIndex);
      break;
    case OP_POLL:
      data_.pressureCode = static_cast<std::int32_t>(ReadUint32BE(r));
      refresh = true;
      break;
    case OP_COMM_TEST:
    case OP_SEARCH:
    case OP_READ_LONG_ADDRESS:
      break;
  }
  effects_.setProgress(100);
  link_.link().operationStep = 0;
  if (refresh) effects_.refresh(target, RefreshDirection::ToControls);
  finish(op, success ? result.success : result.failure,
         success ? OperationResult::Success : OperationResult::Failure);
}

void Engine::finish(OperationCode op, const char* statusText, OperationResult result) {
  link_.link().operationStep = 0;
  inProgress_ = false;
  effects_.setStatusText(statusText);
  effects_.operationEnded(op, result);
}

// Ends an operation on an error response or a request that cannot be built:
// nothing is decoded and nothing more is sent.
void Engine::fail(OperationCode op) {
  effects_.setProgress(100);
  finish(op, TextsFor(op).failure, OperationResult::Failure);
}

// --- time ----------------------------------------------------------------

std::optional<TimeMs> Engine::nextDeadline() const {
  std::optional<TimeMs> due = pendingSendAt_;
  if (search_.phase == SearchPhase::BeforeProbe || search_.phase == SearchPhase::AfterProbe) {
    if (!due || search_.due < *due) due = search_.due;
  }
  return due;
}

void Engine::handleDeadline(TimeMs now) {
  if (pendingSendAt_ && *pendingSendAt_ <= now) {
    pendingSendAt_.reset();
    sendPrepared();
  }
  if ((search_.phase == SearchPhase::BeforeProbe || search_.phase == SearchPhase::AfterProbe) &&
      search_.due <= now) {
    searchStep(now);
  }
}

}  // namespace vantrel
