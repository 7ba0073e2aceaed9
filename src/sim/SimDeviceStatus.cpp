// The commands HART 6 and 7 brought to every instrument, and the status the
// device keeps about itself: the long tag, the configuration-changed flag
// and the additional device status of command 48.
#include <algorithm>

#include "sim/ByteCodec.h"
#include "sim/SimDevice.h"

namespace vantrel::sim {

SimDevice::Data SimDevice::additionalStatus(TimeMs now) const {
  Data data = config_.additionalStatus;
  const std::size_t length = revision() >= 6 ? kAdditionalStatusBytes : kAdditionalStatusBytesHart5;
  if (data.size() < length) data.resize(length, 0);
  if (revision() >= 6) {
    if (loopCurrent(now).saturated) data[kAnalogSaturatedByte] |= 0x01;
    if (state_.fixedCurrent) data[kAnalogFixedByte] |= 0x01;
  }
  return data;
}

bool SimDevice::moreStatusAvailable(TimeMs now) const {
  const Data data = additionalStatus(now);
  const bool any = std::any_of(data.begin(), data.end(), [](std::uint8_t b) { return b != 0; });
  return any && data != state_.acknowledgedStatus;
}

// Command 20: 32 bytes of ISO Latin-1, NUL-padded.
SimDevice::Reply SimDevice::readLongTag(const Data&, TimeMs) {
  return {RC_SUCCESS, {state_.longTag.begin(), state_.longTag.end()}};
}

// Command 22: the 32 bytes are kept as sent and echoed.
SimDevice::Reply SimDevice::writeLongTag(const Data& data, TimeMs now) {
  std::copy_n(data.begin(), state_.longTag.size(), state_.longTag.begin());
  return readLongTag(data, now);
}

// Command 38. HART 7 names the configuration it has seen by the counter of
// command 0 and gets the counter back; another counter is answered with 9
// and leaves the flag set. HART 5 and 6 send and get no data.
SimDevice::Reply SimDevice::resetConfigurationChanged(const Data& data, TimeMs) {
  if (revision() < 7) {
    state_.configurationChanged = false;
    return {RC_SUCCESS, {}};
  }
  if (data.size() < 2) return {RC_TOO_FEW_DATA_BYTES, {}};
  const std::uint16_t counter = config_.identity.configChangeCounter;
  if (ReadUint16BE(data.data()) != counter) return {RC_LOWER_TOO_HIGH, {}};
  state_.configurationChanged = false;
  return {RC_SUCCESS,
          {static_cast<std::uint8_t>(counter >> 8), static_cast<std::uint8_t>(counter & 0xFF)}};
}

// Command 48. HART 7 withdraws "more status available" only for a request
// that echoes the data it would send (the bytes sent, up to the reply's
// length); HART 5 and 6 for any read.
SimDevice::Reply SimDevice::readAdditionalStatus(const Data& data, TimeMs now) {
  Data status = additionalStatus(now);
  const std::size_t compared = std::min(data.size(), status.size());
  const bool echoed =
      compared > 0 && std::equal(data.begin(), data.begin() + compared, status.begin());
  if (revision() < 7 || echoed) state_.acknowledgedStatus = status;
  return {RC_SUCCESS, std::move(status)};
}

// Command 72: the device makes itself known where it is installed.
SimDevice::Reply SimDevice::squawk(const Data&, TimeMs) {
  if (config_.onSquawk) config_.onSquawk(config_.pollAddress);
  return {RC_SUCCESS, {}};
}

}  // namespace vantrel::sim
