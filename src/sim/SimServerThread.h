// A simulated line served on a pseudo-terminal from a thread of its own, for
// the program's demonstration mode, the tests and the measurements.
#pragma once

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/PtyServer.h"
#include "sim/SimLine.h"

namespace vantrel::sim {

class SimServerThread {
 public:
  explicit SimServerThread(std::vector<SimDeviceConfig> devices, PtyServerOptions options = {})
      : line_(std::move(devices)), server_(line_, std::move(options)) {
    if (server_.open(&error_)) thread_ = std::thread([this] { server_.run(); });
  }
  ~SimServerThread() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  SimServerThread(const SimServerThread&) = delete;
  SimServerThread& operator=(const SimServerThread&) = delete;

  bool running() const { return thread_.joinable(); }
  // Why the terminal could not be made, when !running().
  const std::string& error() const { return error_; }
  const std::string& devicePath() const { return server_.devicePath(); }

 private:
  SimLine line_;
  PtyServer server_;
  std::string error_;
  std::thread thread_;
};

}  // namespace vantrel::sim
