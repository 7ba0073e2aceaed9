// A simulated instrument serving on a pseudo-terminal from a background
// thread, for tests that need a real serial line.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "sim/PtyServer.h"
#include "sim/SimLine.h"

namespace vantrel::testing {

class SimulatedLine {
 public:
  explicit SimulatedLine(std::vector<sim::SimDeviceConfig> devices,
                         sim::PtyServerOptions options = {})
      : line_(std::move(devices)), server_(line_, std::move(options)) {
    std::string error;
    opened_ = server_.open(&error);
    EXPECT_TRUE(opened_) << error;
    if (opened_) thread_ = std::thread([this] { server_.run(); });
  }
  ~SimulatedLine() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  QString path() const { return QString::fromStdString(server_.devicePath()); }

 private:
  sim::SimLine line_;
  sim::PtyServer server_;
  bool opened_ = false;
  std::thread thread_;
};

}  // namespace vantrel::testing
