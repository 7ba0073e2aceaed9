// The time source of the Qt shell. Production code uses the steady clock;
// tests substitute a manual one.
#pragma once

#include <chrono>

#include "link/HartFrame.h"

namespace vantrel {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimeMs nowMs() const = 0;
};

class SteadyClock : public Clock {
 public:
  TimeMs nowMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};

}  // namespace vantrel
