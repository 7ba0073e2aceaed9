// Follows the field device status (the second status byte) of the replies on
// the line, for the status bar and the command line. A reply that reports a
// communication error carries no device status in that byte: the status
// stays as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "link/HartCommands.h"
#include "link/LinkCore.h"

namespace vantrel {

class DeviceStatusTracker : public LinkObserver {
 public:
  // `changed` is called with the new status whenever a reply brings another
  // status than the one before.
  explicit DeviceStatusTracker(std::function<void(std::uint8_t)> changed = {})
      : changed_(std::move(changed)) {}

  // The status of the last reply that carried one; 0 before any.
  std::uint8_t status() const { return status_; }

  void frameSent(const std::vector<std::uint8_t>&) override {}
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>&) override {
    if (frame.frameType() != kFrameTypeAck) return;
    if (frame.responseCode & kCommunicationErrorBit) return;
    if (frame.deviceStatus == status_) return;
    status_ = frame.deviceStatus;
    if (changed_) changed_(status_);
  }
  void frameDropped(DropReason, const std::vector<std::uint8_t>&) override {}

 private:
  std::function<void(std::uint8_t)> changed_;
  std::uint8_t status_ = 0;
};

}  // namespace vantrel
