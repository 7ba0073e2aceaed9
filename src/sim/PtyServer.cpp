#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vantrel::sim {

PtyServer::PtyServer(SimLine& line, PtyServerOptions options)
    : line_(line), options_(std::move(options)), injector_(options_.faultInjector) {
  if (!injector_) injector_ = std::make_shared<FaultInjector>();
  injector_->set(options_.faults);
}

PtyServer::~PtyServer() {
  if (!options_.linkPath.empty() && !devicePath_.empty() && !hungUp_.load()) {
    ::unlink(options_.linkPath.c_str());
  }
  for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) ::close(fd);
  }
}

bool PtyServer::open(std::string* error) {
  auto fail = [error](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
  };
  if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return fail("posix_openpt");
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("unlockpt");
  const char* name = ::ptsname(master_);
  if (name == nullptr) return fail("ptsname");
  devicePath_ = name;
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

  // Raw mode on the terminal side, so that nothing is echoed or translated
  // before a client sets its own line settings.
  slave_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) return fail("open terminal");
  termios tio{};
  if (::tcgetattr(slave_, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
  }

  if (!options_.linkPath.empty()) {
    ::unlink(options_.linkPath.c_str());
    if (::symlink(devicePath_.c_str(), options_.linkPath.c_str()) != 0) return fail("symlink");
  }
  return true;
}

void PtyServer::stop() {
  const char byte = 1;
  if (stopPipe_[1] >= 0) {
    [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], &byte, 1);
  }
}

// A response starts the turnaround after its request has left the line, and
// after the response before it. At the line rate each byte is due when its
// last bit is through, so the last byte of n completes at n byte times.
void PtyServer::schedule(const FaultedReply& reply, Clock::time_point requestEnd) {
  Clock::time_point start =
      requestEnd + std::chrono::milliseconds(options_.turnaroundMs) + reply.extraDelay;
  if (!pending_.empty()) start = std::max(start, lastDue_);
  Clock::time_point due = start;
  for (std::uint8_t byte : reply.bytes) {
    if (options_.lineRate) due += kByteTimeAtLineRate;
    pending_.push_back(PendingByte{byte, due, false});
    lastDue_ = due;
  }
  if (reply.hangup) {
    pending_.push_back(PendingByte{0, due, true});
    lastDue_ = due;
  }
  lineFreeAt_ = std::max(lineFreeAt_, due);
}

void PtyServer::writeDueBytes(Clock::time_point now) {
  std::vector<std::uint8_t> out;
  bool hangupDue = false;
  for (const PendingByte& pending : pending_) {
    if (pending.due > now) break;
    if (pending.hangup) {
      hangupDue = true;
      break;
    }
    out.push_back(pending.byte);
  }
  if (!out.empty()) {
    const ssize_t written = ::write(master_, out.data(), out.size());
    if (written > 0) pending_.erase(pending_.begin(), pending_.begin() + written);
    if (written != static_cast<ssize_t>(out.size())) return;  // the rest when there is room
  }
  if (hangupDue) hangUp();
}

// The terminal vanishes as a USB adapter does when it is pulled out: both of
// the server's ends close, so the client's end sees a hang-up, and the device
// path goes away, the link too. The link must not stay behind: the system
// soon gives the terminal's number to another pseudo-terminal, which the link
// would then lead to. The server keeps running until stop(), with nothing to
// serve.
void PtyServer::hangUp() {
  for (int* fd : {&master_, &slave_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  if (!options_.linkPath.empty()) ::unlink(options_.linkPath.c_str());
  pending_.clear();
  hungUp_.store(true);
}

void PtyServer::run() {
  std::uint8_t buffer[512];
  for (;;) {
    timespec timeout{};
    timespec* timeoutPtr = nullptr;
    short events = POLLIN;
    if (!pending_.empty()) {
      const auto wait = pending_.front().due - Clock::now();
      if (wait <= Clock::duration::zero()) {
        events |= POLLOUT;  // due now but the terminal was full: wait for room
      } else {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        timeoutPtr = &timeout;
      }
    }
    pollfd fds[2] = {{master_, events, 0}, {stopPipe_[0], POLLIN, 0}};
    const int ready = ::ppoll(fds, 2, timeoutPtr, nullptr);
    if (ready < 0 && errno != EINTR) return;
    if (fds[1].revents & POLLIN) return;
    const Clock::time_point now = Clock::now();
    if (fds[0].revents & POLLIN) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        // The terminal hands the request over at once; on the line it takes
        // its bytes' time from its first byte.
        Clock::time_point requestEnd = now;
        if (options_.lineRate) {
          requestEnd = std::max(now, lineFreeAt_) + n * kByteTimeAtLineRate;
          lineFreeAt_ = requestEnd;
        }
        const TimeMs nowMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
        for (const auto& frame :
             line_.receive(buffer, static_cast<std::size_t>(n), nowMs, injector_.get())) {
          if (const std::optional<FaultedReply> reply = injector_->apply(frame)) {
            schedule(*reply, requestEnd);
          }
        }
      }
    }
    if (master_ >= 0) writeDueBytes(Clock::now());
  }
}

}  // namespace vantrel::sim
