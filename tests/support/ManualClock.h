// A clock that stands still until the test moves it.
#pragma once

#include "port/Clock.h"

namespace vantrel::testing {

class ManualClock : public Clock {
 public:
  TimeMs now = 5000;
  TimeMs nowMs() const override { return now; }
};

}  // namespace vantrel::testing
