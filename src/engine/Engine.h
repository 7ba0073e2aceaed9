// The command engine: starts operations, runs each one's row of the operation
// table (requests, reply decoding, success test, texts) and reports through
// EngineEffects. It waits for each reply a limited time and tries again as a
// HART master does: after a lost or spoiled reply and a communication error,
// after a busy instrument, and through a delayed response. Plain C++ on top
// of the link core. Like the core it never reads a clock: every call that
// needs the time is given it, and its waits (the reply time-out, the resends,
// the pause before command 35, the search's probe slots) are deadlines that
// the owner wakes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
// The menu's search probes polling addresses 0 to 14.
constexpr std::uint8_t kSearchAddressCount = 15;
// A fast search gives an empty address up this many character times after
// the probe's last byte: the slave time-out, within which an instrument
// begins its reply (256.7 ms at 1200 baud).
constexpr std::size_t kSlaveTimeoutCharacters = 28;
// A busy instrument is asked again after this long, at most kMaxBusyResends
// times.
constexpr TimeMs kBusyResendMs = 500;
constexpr int kMaxBusyResends = 5;
// A delayed response is asked after every kBusyResendMs for this long.
constexpr TimeMs kDelayedResponseMs = 60000;

// A sampling run rests the line this many character times between a reply
// and its next request (9.2 ms at 1200 baud): the instrument's carrier is
// off before the master's comes on.
constexpr std::size_t kSampleGapCharacters = 1;

// How long to wait for a reply and how often to try.
struct LinkTiming {
  // From the moment the request's last byte has had its line time until a
  // reply begins. A primary master waits 33 character times (302.5 ms at
  // 1200 baud); the rest is room for a USB adapter.
  TimeMs replyTimeoutMs = 400;
  // Further tries of a request after a failed one.
  int retries = 3;
  // The line rate the request's line time is counted at.
  int baudRate = 1200;
};

// What happens when an operation would send the family's own commands to a
// model that is neither the family's nor confirmed.
enum class ModelPolicy {
  Refuse,  // ends refused after command 0
  Ask,     // asks the front end (EngineEffects::askAboutModel) and waits
  Trust,   // sends, and the model is remembered
};

class Engine : public ReplyHandler, public Timed {
 public:
  Engine(LinkCore& link, DeviceData& data, EngineEffects& effects);

  void setTiming(const LinkTiming& timing) { timing_ = timing; }
  const LinkTiming& timing() const { return timing_; }

  // Starts `op` at `now` with command 0 to `pollAddress`, after checking what
  // it will write. A refused operation sends nothing and says why in a message
  // box. Returns true when the first request went out, or waits for a frame
  // arriving to end: on a half-duplex loop a request sent into a reply
  // spoils both, so it goes out once the line is quiet, at the latest after
  // the longest frame's line time. OP_SEARCH starts a search; a search in
  // progress ends with its report of what it found so far.
  bool start(OperationCode op, std::uint8_t pollAddress, TimeMs now);

  // The device search as DeviceData::search plans it: by default polling
  // addresses 0 to 14, one second each.
  void startSearch(TimeMs now);
  bool searchActive() const { return search_.phase != SearchPhase::Idle; }
  // The user has dismissed the search report `report` (see
  // EngineEffects::showSearchReport).
  void searchReportClosed(unsigned report, TimeMs now);

  // One tick of the acquisition timer: starts OP_POLL unless a search runs,
  // or another operation is trying a request again, waits out a busy or
  // delayed response, or sent a request less than kPollYieldMs ago and still
  // waits for its reply. Returns true when the poll was started.
  bool pollTick(std::uint8_t pollAddress, TimeMs now);

  // True from the start of an operation until its last reply.
  bool operationInProgress() const { return inProgress_ || deferred_.has_value(); }
  // The operation started last, and the request of it last sent: 0 for
  // command 0, n for the n-th request after it; 0 again once it has ended.
  OperationCode operationCode() const { return op_; }
  std::size_t operationStep() const { return step_; }
  // The polling addresses that answered the search last run.
  std::vector<std::uint8_t> foundAddresses() const;

  // Sampling, a run of its own beside the operations: command 0 once to
  // `pollAddress` (the long address learnt and the instrument checked as
  // every operation does), then one command 3 to the long address per
  // sample, decoded as OP_READ_CURRENT decodes it and told through
  // EngineEffects::sampleTaken. Each request goes out `intervalMs` after the
  // one before; 0: as fast as the line allows, kSampleGapCharacters after
  // the reply. A missed reply is tried again as an operation's is; after the
  // last try the run stops (EngineEffects::samplingStopped). An operation
  // or search started meanwhile pauses it: a start waits at most for the
  // sample's transaction in progress, and once the link is free again the
  // run goes on, with command 0 first when the long address the operation
  // left is not the run's. A run started while one runs replaces it.
  void startSampling(std::uint8_t pollAddress, TimeMs intervalMs, TimeMs now);
  // Ends the run; a reply still awaited is not taken.
  void stopSampling();
  bool samplingActive() const { return sampling_.phase != SamplingPhase::Idle; }

  // The port went away: an operation in progress ends at once with its
  // failure text, as no reply can come.
  void portLost(TimeMs now);

  // The port closed or another opened: no instrument is connected until a
  // command-0 reply names one.
  void portChanged();

  // The models confirmed besides the family's, and what to do for others.
  void setKnownModels(std::vector<InstrumentModel> models) { knownModels_ = std::move(models); }
  const std::vector<InstrumentModel>& knownModels() const { return knownModels_; }
  void setModelPolicy(ModelPolicy policy) { modelPolicy_ = policy; }
  // The user's answer to question `number` (EngineEffects::askAboutModel):
  // send the family's commands or end refused; and whether to know the model
  // from now on. An answer to a question no longer open is ignored.
  void answerModelQuestion(unsigned number, bool send, bool remember, TimeMs now);
  bool askingAboutModel() const { return question_.has_value(); }
  // The acquisition has stopped: when it starts again, it asks again.
  void acquisitionStopped() { pollAllowed_.reset(); }
  // The next operation started goes on after command 0 only when the reply
  // names the instrument `identity` (bytes 1, 2 and 9-11 of command 0).
  void requireInstrument(const LongAddressBytes& identity) { required_ = identity; }

  const LongAddressBytes& longAddressBytes() const { return memory_.longAddressBytes; }
  DeviceData& data() { return data_; }

  // True when a command-0 reply carries an identity: no communication error,
  // no error code, at least the 12 bytes of HART 5.
  static bool NamesInstrument(const ReceivedFrame& reply);

  // ReplyHandler: the reply's arrival time is the engine's `now`.
  void HandleOperationReply(const ReceivedFrame& reply) override;
  void frameBegan(TimeMs now) override;
  void frameEnded(FrameEnd end, TimeMs now) override;
  void requestRefused(const std::string& reason, TimeMs now) override;

  // Timed
  std::optional<TimeMs> nextDeadline() const override;
  void handleDeadline(TimeMs now) override;

 private:
  enum class SearchPhase { Idle, BeforeProbe, AfterProbe, Reporting };
  struct SearchState {
    SearchPhase phase = SearchPhase::Idle;
    std::uint8_t address = 0;  // the polling address probed
    std::array<bool, kLastPollAddress + 1> found{};
    SearchPlan plan;
    TimeMs due = 0;
    bool arriving = false;  // fast: a frame began after the probe and has not ended
    bool quiet = true;      // no reply from the probed address yet in this slot
    int tries = 0;          // probes of this address sent again after a reply without identity
    bool again = false;     // asked for while the report was open
    unsigned report = 0;    // the number of the report last shown
  };
  // The tries of the request last sent.
  struct TryState {
    std::optional<TimeMs> replyDue;  // no reply begun by then: the try failed
    bool replyArriving = false;      // a frame began after the request
    int failedTries = 0;
    int busyResends = 0;
    std::optional<TimeMs> delayedSince;  // the first 33 to this request
    std::optional<TimeMs> resendAt;      // busy or delayed: the same request again
  };
  enum class TryFailure { NoReply, Spoiled, CommunicationError, Refused };
  enum class SamplingPhase { Idle, Identify, Sampling };
  struct SamplingState {
    SamplingPhase phase = SamplingPhase::Idle;  // Identify: command 0 is next or awaited
    std::uint8_t pollAddress = 0;
    TimeMs intervalMs = 0;
    LongAddressBytes longAddress{};  // as its command 0 learnt it
    TimeMs due = 0;                  // the next request, once the link is free
    Request request;                 // the request last sent, for trying again
    TimeMs sentAt = 0;               // the first try of the request awaited
    std::optional<TimeMs> replyDue;  // a request awaits its reply
    bool replyArriving = false;
    int failedTries = 0;
    int retries = 0;
    std::size_t samples = 0;
  };
  // A start waiting for the line to fall quiet.
  struct DeferredStart {
    OperationCode op = OP_COMM_TEST;
    std::uint8_t pollAddress = 0;
    TimeMs due = 0;                          // sent then even if the frame has not ended
    std::optional<LongAddressBytes> onlyTo;  // see requireInstrument
    bool afterSample = false;                // waits for a sample's transaction, not for a frame
  };

  const OperationRow& row() const;
  OperationContext context() { return {data_, effects_, memory_, op_}; }
  bool sendFirstRequest(OperationCode op, std::uint8_t pollAddress, TimeMs now,
                        std::optional<LongAddressBytes> onlyTo);
  void sendDeferred(TimeMs now);
  bool transmit(TimeMs now);
  bool takesReply(const ReceivedFrame& reply) const;

  // The deadlines, one function each: nextDeadline() is their minimum, and
  // handleDeadline() asks the same functions.
  std::optional<TimeMs> deferredStartExpiry() const;
  std::optional<TimeMs> pauseExpiry() const;
  std::optional<TimeMs> resendExpiry() const;
  std::optional<TimeMs> replyExpiry() const;
  std::optional<TimeMs> searchSlotExpiry() const;
  std::optional<TimeMs> samplingExpiry() const;
  void resend(TimeMs now);
  void tryFailed(TryFailure failure, std::uint8_t responseCode, TimeMs now);
  bool followBusyOrDelayed(const ReceivedFrame& reply);
  void handleCommand0Reply(const ReceivedFrame& reply);
  void handleStepReply(const ReceivedFrame& reply);
  void learnLongAddress(const ReceivedFrame& reply);
  bool acceptInstrument(const Instrument& seen);
  bool modelAllows(const Instrument& seen);
  void refuseModel(const InstrumentModel& model, std::uint8_t command);
  void valuesRead(unsigned fields);
  void sendRequest(std::size_t index, TimeMs now);
  void sendPrepared(TimeMs now);
  void endWithReply(const ReceivedFrame& reply);
  void end(OperationResult result, const char* statusText, std::string reason);
  void fail(std::string reason, OperationResult result = OperationResult::Failure);
  bool sendingOnce() const;

  void searchReply(const ReceivedFrame& reply);
  void searchFrameBegan();
  void searchFrameEnded(TimeMs now);
  void beginProbeSlot(TimeMs now);
  void sendProbe(TimeMs now);
  void searchStep(TimeMs now);
  void nextSearchAddress(TimeMs now);
  void searchProgress();
  void reportSearch(bool interrupted = false);
  void interruptSearch();
  void endSearchWithoutPort(OperationResult result);
  void endSearch();

  bool linkFree() const;
  bool sampleAwaited() const { return samplingActive() && sampling_.replyDue.has_value(); }
  void sendSample(TimeMs now);
  void transmitSample(TimeMs now);
  bool samplingTakes(const ReceivedFrame& reply) const;
  void samplingReply(const ReceivedFrame& reply);
  void samplingIdentified(const ReceivedFrame& reply);
  void sampleDecoded(const ReceivedFrame& reply);
  void sampleTryFailed(TryFailure failure, std::uint8_t responseCode, TimeMs now);
  void pauseSampling();
  void endSampling(OperationResult result, std::string reason);
  void clearReadFields();

  LinkCore& link_;
  DeviceData& data_;
  EngineEffects& effects_;
  LinkTiming timing_;

  OperationMemory memory_;
  OperationCode op_ = OP_COMM_TEST;      // the operation started last
  std::size_t step_ = 0;                 // its request last sent
  Request request_;                      // that request, for sending again
  std::optional<TimeMs> pendingSendAt_;  // the pause before a request
  std::optional<DeferredStart> deferred_;
  bool inProgress_ = false;
  TryState try_;
  int retries_ = 0;           // requests sent again in this operation
  std::string refusedParts_;  // the parts of a write the instrument refused
  std::string refusal_;       // why the transport refused the last try
  SearchState search_;
  SamplingState sampling_;
  DeviceData sampleData_;      // what command 3 is decoded into: the pages' data stay as they are
  TimeMs lineQuietSince_ = 0;  // the end of the last frame on the line

  std::vector<InstrumentModel> knownModels_;
  ModelPolicy modelPolicy_ = ModelPolicy::Refuse;
  std::optional<ModelQuestion> question_;       // asked, not answered yet
  unsigned questions_ = 0;                      // the number of the question last asked
  std::optional<InstrumentModel> pollAllowed_;  // allowed for the acquisition running
  std::optional<LongAddressBytes> required_;    // see requireInstrument, for the next start
  std::optional<LongAddressBytes> onlyTo_;      // the same for the operation running
  std::string notice_;  // said with the end of the operation, whatever its result
};

}  // namespace vantrel
