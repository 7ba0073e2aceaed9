// The command engine: starts operations, runs each one's row of the operation
// table (requests, reply decoding, success test, texts) and reports through
// EngineEffects. Plain C++ on top of the link core. Like the core it never
// reads a clock: every call that needs the time is given it, and its waits
// (the pause before command 35, the search's probe slots) are deadlines that
// the owner wakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/DeviceData.h"
#include "engine/EngineEffects.h"
#include "engine/OperationCode.h"
#include "engine/OperationTable.h"
#include "link/LinkCore.h"

namespace vantrel {

// An acquisition tick leaves an operation alone for this long after its last
// request before it may take over the link.
constexpr TimeMs kPollYieldMs = 2000;
// Each half of a search probe slot.
constexpr TimeMs kSearchWaitMs = 500;
// The search probes polling addresses 0 to 14.
constexpr std::uint8_t kSearchAddressCount = 15;

class Engine : public ReplyHandler, public Timed {
 public:
  Engine(LinkCore& link, DeviceData& data, EngineEffects& effects);

  // Starts `op` at `now` with command 0 to `pollAddress`, after checking what
  // it will write. A refused operation sends nothing and says why in a message
  // box. Returns true when the first request went out. OP_SEARCH starts a
  // search.
  bool start(OperationCode op, std::uint8_t pollAddress, TimeMs now);

  // The device search over polling addresses 0 to 14.
  void startSearch(TimeMs now);
  bool searchActive() const { return search_.phase != SearchPhase::Idle; }
  // The user has dismissed the search report `report` (see
  // EngineEffects::showSearchReport).
  void searchReportClosed(unsigned report, TimeMs now);

  // One tick of the acquisition timer: starts OP_POLL unless another
  // operation sent a request less than kPollYieldMs ago and still waits for
  // its reply, or a search runs. Returns true when the poll was started.
  bool pollTick(std::uint8_t pollAddress, TimeMs now);

  // True from the first request of an operation until its last reply.
  bool operationInProgress() const { return inProgress_; }

  const LongAddressBytes& longAddressBytes() const { return memory_.longAddressBytes; }
  DeviceData& data() { return data_; }

  // ReplyHandler: the reply's arrival time is the engine's `now`.
  void HandleOperationReply(const ReceivedFrame& reply) override;

  // Timed
  std::optional<TimeMs> nextDeadline() const override;
  void handleDeadline(TimeMs now) override;

 private:
  enum class SearchPhase { Idle, BeforeProbe, AfterProbe, Reporting };
  struct SearchState {
    SearchPhase phase = SearchPhase::Idle;
    TimeMs due = 0;
    bool quiet = true;    // no reply from the probed address yet in this slot
    bool again = false;   // asked for while the report was open
    unsigned report = 0;  // the number of the report last shown
  };

  const OperationRow& row() const;
  OperationContext context() { return {data_, effects_, memory_}; }
  bool sendFirstRequest(OperationCode op, std::uint8_t pollAddress, TimeMs now);
  void handleCommand0Reply(const ReceivedFrame& reply);
  void learnLongAddress(const ReceivedFrame& reply);
  void sendRequest(std::size_t index, TimeMs now);
  void sendPrepared(TimeMs now);
  void endWithReply(const ReceivedFrame& reply);
  void finish(const char* statusText, OperationResult result);
  void fail();

  void searchReply(const ReceivedFrame& reply);
  void beginProbeSlot(TimeMs now);
  void searchStep(TimeMs now);
  void reportSearch();
  void endSearch();

  LinkCore& link_;
  DeviceData& data_;
  EngineEffects& effects_;

  OperationMemory memory_;
  std::optional<TimeMs> pendingSendAt_;  // the pause before a request
  bool inProgress_ = false;
  TimeMs lastRequestAt_ = 0;
  SearchState search_;
};

}  // namespace vantrel
