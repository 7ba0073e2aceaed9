// Serves a SimLine on a pseudo-terminal: the program opens the terminal's
// path like a serial port. Responses can be held back by a turnaround time,
// and can be damaged by line faults (sim/Faults.h). At the line rate the
// terminal behaves as a half-duplex 1200 baud line (11 bit times per byte):
// a request occupies the line for its bytes' time from its first byte, a
// response starts after that and the turnaround, and each of its bytes is
// written when its last bit is through. Requests are handed to the line with
// the steady clock's time in ms, which the simulated readings follow.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "sim/Faults.h"
#include "sim/SimLine.h"

namespace vantrel::sim {

struct PtyServerOptions {
  std::string linkPath;  // when set, a symbolic link to the terminal is made here
  bool lineRate = false;
  int turnaroundMs = 0;
  // Faults applied to the replies from the start; none by default.
  LineFaults faults;
  // Where the server takes its faults from at each reply. Give one to switch
  // faults while the server runs and to read its log of replies; the server
  // sets it to `faults` when it is made. Without one the server makes its own.
  std::shared_ptr<FaultInjector> faultInjector;
};

// Time one byte takes on a 1200 baud line with 11 bits per character.
constexpr std::chrono::microseconds kByteTimeAtLineRate{11'000'000 / 1200};

class PtyServer {
 public:
  PtyServer(SimLine& line, PtyServerOptions options);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal (and the link). Returns false with a reason.
  bool open(std::string* error);

  // The path of the terminal's device, valid after open().
  const std::string& devicePath() const { return devicePath_; }

  // Serves requests until stop() is called. Blocks the calling thread, and
  // waits in the kernel between events.
  void run();

  // Makes run() return. Safe from another thread and from a signal handler.
  void stop();

  // Switches the faults of the replies that follow. Safe from another thread.
  void setFaults(const LineFaults& faults) { injector_->set(faults); }
  FaultInjector& faultInjector() { return *injector_; }

  // True once a hang-up fault has closed the terminal. Safe from another
  // thread.
  bool hungUp() const { return hungUp_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  struct PendingByte {
    std::uint8_t byte;
    Clock::time_point due;
    bool hangup;  // not a byte: close the terminal here
  };

  void schedule(const FaultedReply& reply, Clock::time_point requestEnd);
  void writeDueBytes(Clock::time_point now);
  void hangUp();

  SimLine& line_;
  PtyServerOptions options_;
  std::shared_ptr<FaultInjector> injector_;
  int master_ = -1;
  int slave_ = -1;  // kept open so the master never sees a hang-up between clients
  std::atomic<bool> hungUp_{false};
  int stopPipe_[2] = {-1, -1};
  std::string devicePath_;
  std::deque<PendingByte> pending_;
  Clock::time_point lastDue_{};
  Clock::time_point lineFreeAt_{};  // the end of the last request or response on the line
};

}  // namespace vantrel::sim
