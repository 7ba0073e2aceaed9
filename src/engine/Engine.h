// The command engine: starts operations, builds every request, decodes every
// reply into DeviceData, judges success and reports through EngineEffects.
// Plain C++ on top of the link core; its waits (the pause before command 35,
// the search's probe slots) are deadlines that the owner wakes, never sleeps.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/DeviceData.h"
#include "engine/EngineEffects.h"
#include "engine/OperationCode.h"
#include "link/Clock.h"
#include "link/LinkCore.h"

namespace vantrel {

// An acquisition tick leaves an operation alone for this long after its last
// request before it may take over the link.
constexpr TimeMs kPollYieldMs = 2000;
// The pause before command 35 of a configuration write.
constexpr TimeMs kRangeWritePauseMs = 500;
// Each half of a search probe slot.
constexpr TimeMs kSearchWaitMs = 500;
// The search probes polling addresses 0 to 14.
constexpr std::uint8_t kSearchAddressCount = 15;

// True for a response code that reports an error: a communication error (bit
// 7) or a command error. 0 is success; 8, 14, 24-27, 30, 31 and 96-127 are
// warnings, which carry valid data.
bool IsErrorResponse(std::uint8_t responseCode);

class Engine : public ReplyHandler, public Timed {
 public:
  Engine(LinkCore& link, DeviceData& data, EngineEffects& effects, const Clock& clock);

  // Starts `op` with command 0 to `pollAddress`, after checking what it will
  // write. A refused operation sends nothing and says why in a message box.
  // Returns true when the first request went out. OP_SEARCH starts a search.
  bool startOperation(OperationCode op, std::uint8_t pollAddress);

  // The device search over polling addresses 0 to 14.
  void startSearch();
  bool searchActive() const { return search_.phase != SearchPhase::Idle; }

  // One tick of the acquisition timer: starts OP_POLL unless another
  // operation sent a request less than kPollYieldMs ago and still waits for
  // its reply, or a search runs. Returns true when the poll was started.
  bool pollTick(std::uint8_t pollAddress);

  // True from the first request of an operation until its last reply.
  bool operationInProgress() const { return inProgress_; }

  const std::array<std::uint8_t, 5>& longAddressBytes() const { return longAddressBytes_; }
  DeviceData& data() { return data_; }

  // ReplyHandler
  void HandleOperationReply(const ReceivedFrame& reply) override;

  // Timed
  std::optional<TimeMs> nextDeadline() const override;
  void handleDeadline(TimeMs now) override;

 private:
  enum class SearchPhase { Idle, BeforeProbe, AfterProbe, Reporting };
  struct SearchState {
    SearchPhase phase = SearchPhase::Idle;
    TimeMs due = 0;
    bool quiet = true;   // no reply from the probed address yet in this slot
    bool again = false;  // asked for while the report was open
    unsigned generation = 0;
  };

  std::optional<std::string> refusal(OperationCode op) const;
  bool sendFirstRequest(OperationCode op, std::uint8_t pollAddress);
  void LearnLongAddress(const ReceivedFrame& reply);
  void composeTxLongAddress();
  void sendRequest(OperationCode op, int request);
  bool buildRequest(OperationCode op, int request);
  void sendPrepared();
  void decodeMiddle(OperationCode op, const ReceivedFrame& reply);
  void decodeLast(OperationCode op, const ReceivedFrame& reply);
  void readLongAddress();
  void finish(OperationCode op, const char* statusText, OperationResult result);
  void fail(OperationCode op);

  void searchReply(const ReceivedFrame& reply);
  void beginProbeSlot(TimeMs now);
  void searchStep(TimeMs now);
  void reportSearch();
  void endSearch();

  LinkCore& link_;
  DeviceData& data_;
  EngineEffects& effects_;
  const Clock& clock_;

  std::array<std::uint8_t, 5> longAddressBytes_{};
  std::uint8_t sentUnitCode_ = 0;
  std::optional<TimeMs> pendingSendAt_;  // the pause before command 35
  bool inProgress_ = false;
  TimeMs lastRequestAt_ = 0;
  SearchState search_;
};

}  // namespace vantrel
