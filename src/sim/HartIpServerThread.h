// A simulated line served on a pseudo-terminal and over HART-IP at once, each
// from a thread of its own, for tests that talk to the same instruments both
// ways. Both servers take their faults from one injector (the one in the
// PtyServerOptions, or one made with their `faults`), and both wait the
// options' turnaround before they answer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/HartIpServer.h"
#include "sim/PtyServer.h"
#include "sim/SimLine.h"

namespace vantrel::sim {

class HartIpServerThread {
 public:
  // `hartIp` serves on a free loopback port unless it says otherwise; its
  // turnaround and fault injector are those of `options`.
  explicit HartIpServerThread(std::vector<SimDeviceConfig> devices, PtyServerOptions options = {},
                              HartIpServerOptions hartIp = {})
      : line_(std::move(devices)),
        injector_(options.faultInjector ? options.faultInjector
                                        : std::make_shared<FaultInjector>()),
        hartIp_(line_, Shared(std::move(hartIp), options.turnaroundMs, injector_)),
        pty_(line_, Shared(options, options.turnaroundMs, injector_)) {
    if (!pty_.open(&error_) || !hartIp_.open(&error_)) return;
    ptyThread_ = std::thread([this] { pty_.run(); });
    hartIpThread_ = std::thread([this] { hartIp_.run(); });
  }
  ~HartIpServerThread() {
    pty_.stop();
    hartIp_.stop();
    if (ptyThread_.joinable()) ptyThread_.join();
    if (hartIpThread_.joinable()) hartIpThread_.join();
  }
  HartIpServerThread(const HartIpServerThread&) = delete;
  HartIpServerThread& operator=(const HartIpServerThread&) = delete;

  bool running() const { return ptyThread_.joinable() && hartIpThread_.joinable(); }
  // Why the terminal or the sockets could not be made, when !running().
  const std::string& error() const { return error_; }
  const std::string& devicePath() const { return pty_.devicePath(); }
  std::uint16_t hartIpPort() const { return hartIp_.port(); }
  // "127.0.0.1:40123", an IPv6 address in brackets.
  const std::string& hartIpEndpoint() const { return hartIp_.endpoint(); }
  std::size_t hartIpSessions() const { return hartIp_.sessionCount(); }

  // The faults of both, switched while they serve; and their log of replies.
  void setFaults(const LineFaults& faults) { injector_->set(faults); }
  FaultInjector& faultInjector() { return *injector_; }

 private:
  template <typename Options>
  static Options Shared(Options options, int turnaroundMs,
                        std::shared_ptr<FaultInjector> injector) {
    options.turnaroundMs = turnaroundMs;
    options.faultInjector = std::move(injector);
    return options;
  }

  SimLine line_;
  std::shared_ptr<FaultInjector> injector_;
  HartIpServer hartIp_;
  PtyServer pty_;
  std::string error_;
  std::thread ptyThread_;
  std::thread hartIpThread_;
};

}  // namespace vantrel::sim
