#include "port/RtsKeyer.h"

#include <algorithm>

namespace vantrel {

bool RtsKeyer::portOpened() {
  rtsOn_ = false;
  dropAt_.reset();
  return lines_.setDataTerminalReady(true) && lines_.setRequestToSend(false);
}

bool RtsKeyer::beforeWrite() {
  if (rtsOn_) return true;
  if (!lines_.setRequestToSend(true)) return false;
  rtsOn_ = true;
  return true;
}

// Bytes handed over while earlier ones are still on their way leave after
// them.
void RtsKeyer::written(std::size_t bytes, TimeMs now) {
  if (!rtsOn_) return;
  const TimeMs start = dropAt_ ? std::max(*dropAt_, now) : now;
  dropAt_ = start + LineTimeMs(bytes, baudRate_);
}

void RtsKeyer::portClosed() {
  rtsOn_ = false;
  dropAt_.reset();
}

void RtsKeyer::handleDeadline(TimeMs now) {
  if (!dropAt_ || *dropAt_ > now) return;
  dropAt_.reset();
  rtsOn_ = false;
  lines_.setRequestToSend(false);
}

}  // namespace vantrel
