// Faults on the simulated line: what can go wrong between the instrument and
// the program's serial port. Most are applied to each reply as it leaves the
// device. Two change what the device says (another address, an error response
// code); the others damage or hold back what reaches the line (a wrong check
// byte, lost bytes, noise in front, a late or missing reply, the terminal
// closing in the middle of a reply). The request faults come before the
// device: it is busy, starts a delayed response, hears nothing, or received
// a garbled request, and then does not act on it. All are off by default.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <vector>

namespace vantrel::sim {

struct LineFaults {
  // Chance, 0 to 1, that a reply's check byte is wrong.
  double corruptRate = 0.0;
  // Chance, 0 to 1, that each byte of a reply is lost.
  double dropRate = 0.0;
  // Every reply waits this much longer than the turnaround.
  int lateMs = 0;
  // Chance, 0 to 1, that a reply is not sent at all.
  double noReplyRate = 0.0;
  // Replies carry the next polling address (short frames) or a long address
  // whose last byte is one higher; the check byte matches.
  bool wrongAddress = false;
  // Replies carry this response code, the device status and no data.
  std::optional<std::uint8_t> errorCode;
  // Random bytes sent in front of each reply.
  int garbageBytes = 0;
  // The terminal closes after this many bytes of a reply, garbage not
  // counted (a shorter reply goes out whole first); -1: never.
  int hangupAfter = -1;
  // Only this many replies are touched, later ones pass clean; -1: all.
  int faultyReplies = -1;
  // Seed of the random choices, so that a run can be repeated.
  std::uint64_t seed = 1;

  // Request faults, counted over the requests addressed to a device; each
  // leaves the device as it was.
  // The next `busy` requests are answered 32 (device busy).
  int busy = 0;
  // The next request is answered 33 (delayed response initiated), the
  // `delayed` after it 34 (running), and the one after those is served.
  int delayed = 0;
  // The next `silent` requests get no answer.
  int silent = 0;
  // The next `commError` requests are answered with a communication error
  // (response code 0x88: check byte error in the request).
  int commError = 0;

  // True when any fault is switched on.
  bool any() const;
};

// What becomes of a request addressed to a device.
enum class RequestFault {
  None,                // served
  Silent,              // no answer
  CommunicationError,  // answered 0x88, not acted on
  Busy,                // answered 32, not acted on
  DelayedInitiated,    // answered 33, not acted on yet
  DelayedRunning,      // answered 34, not acted on yet
};

// The response code a request fault is answered with; 0 for None and Silent.
std::uint8_t RequestFaultCode(RequestFault fault);

// One reply after the faults.
struct FaultedReply {
  std::vector<std::uint8_t> bytes;  // what goes on the line, garbage included
  // The frame as the device meant to send it: the device's reply with the
  // address and response-code faults applied, before any damage.
  std::vector<std::uint8_t> intended;
  // True when the frame (delimiter to check byte) of `intended` reaches the
  // line unchanged in `bytes`; lost preamble bytes do not count.
  bool frameIntact = true;
  // True when all of `intended`, preambles included, reaches the line.
  bool whole = true;
  std::chrono::milliseconds extraDelay{0};
  bool hangup = false;  // close the terminal once `bytes` are out
  // The hang-up comes before the end of the reply: `bytes` stop short.
  bool cut = false;
  // How many random bytes stand in front of the reply in `bytes`.
  std::size_t garbage = 0;
};

// What happened to one reply, for whoever checks the other end of the line.
struct ReplyRecord {
  std::vector<std::uint8_t> intended;  // as in FaultedReply
  bool sent = false;                   // false: the reply was swallowed (no-reply fault)
  bool frameIntact = false;            // sent, and its frame reached the line unchanged
  bool whole = false;                  // sent, and every byte of it reached the line
};

// Applies LineFaults to replies. Thread-safe: the server applies it on its own
// thread while a test (or anyone holding it) switches faults on and off.
class FaultInjector {
 public:
  explicit FaultInjector(const LineFaults& faults = {});

  // Replaces the faults, restarts the random sequence from their seed and the
  // count of faulty replies from 0. The log is kept.
  void set(const LineFaults& faults);
  LineFaults faults() const;

  // Decides what becomes of the next request addressed to a device, counting
  // down the request faults. A silent request is logged as a reply that was
  // not sent.
  RequestFault nextRequest();

  // Returns what becomes of `frame`, a whole reply (preambles through check
  // byte), or nullopt when it is not sent at all.
  std::optional<FaultedReply> apply(const std::vector<std::uint8_t>& frame);

  // The replies handed to apply(), oldest first: all of them since the
  // injector was made, up to a few thousand, then the most recent.
  std::vector<ReplyRecord> log() const;

 private:
  double nextUnit();  // uniform in [0, 1)
  std::uint8_t nextByte();
  // The line faults on `bytes`, the frame proper from `frameStart` on: a
  // corrupted check byte, dropped bytes, a hang-up; what they leave of the
  // frame goes into `reply`.
  void damage(std::vector<std::uint8_t>& bytes, std::size_t frameStart, FaultedReply& reply);

  mutable std::mutex mutex_;
  LineFaults faults_;
  std::mt19937_64 random_;
  int faultyCount_ = 0;
  int delayedRunning_ = -1;  // 34s still to answer; -1 before the delayed response begins
  std::vector<ReplyRecord> log_;
};

// The response frame with the faults that change its content: another
// address, an error response code with no data. The check byte is made to
// match. A frame that cannot be taken apart is returned as it is.
std::vector<std::uint8_t> WithWrongAddress(const std::vector<std::uint8_t>& frame);
std::vector<std::uint8_t> WithErrorCode(const std::vector<std::uint8_t>& frame,
                                        std::uint8_t responseCode);

}  // namespace vantrel::sim
