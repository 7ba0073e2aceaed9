// A simulated instrument serving on a pseudo-terminal from a background
// thread, for tests that need a real serial line.
#pragma once

#include <QString>

#include <gtest/gtest.h>

#include "sim/SimServerThread.h"

namespace vantrel::testing {

class SimulatedLine {
 public:
  explicit SimulatedLine(std::vector<sim::SimDeviceConfig> devices,
                         sim::PtyServerOptions options = {})
      : server_(std::move(devices), std::move(options)) {
    EXPECT_TRUE(server_.running()) << server_.error();
  }

  QString path() const { return QString::fromStdString(server_.devicePath()); }

 private:
  sim::SimServerThread server_;
};

}  // namespace vantrel::testing
