#include "engine/Engine.h"

#include <algorithm>
#include <utility>

#include "engine/Encoding.h"
#include "engine/EngineTexts.h"
#include "engine/UniqueIdentifier.h"
#include "link/HartCommands.h"
#include "link/LinkTexts.h"

namespace vantrel {
namespace {

// Busy and delayed responses are answered by asking again; dead and
// conflicting delayed responses end the operation.
bool IsBusyOrDelayedResponse(std::uint8_t code) {
  return code >= RC_BUSY && code <= RC_DELAYED_RESPONSE_CONFLICT;
}

std::string JoinReasons(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return Tr(first) + Tr(texts::kReasonSeparator) + Tr(second);
}

}  // namespace

Engine::Engine(LinkCore& link, DeviceData& data, EngineEffects& effects)
    : link_(link), data_(data), effects_(effects) {}

const OperationRow& Engine::row() const {
  return OperationRowOf(op_);
}

// --- starting ------------------------------------------------------------

bool Engine::start(OperationCode op, std::uint8_t pollAddress, TimeMs now) {
  const std::optional<LongAddressBytes> onlyTo = std::exchange(required_, std::nullopt);
  if (!IsOperationCode(op)) return false;
  const OperationRow& started = OperationRowOf(op);
  if (started.kind == OperationKind::Search) {
    startSearch(now);
    return true;
  }
  if (const std::string reason = started.refuse ? started.refuse(data_) : std::string();
      !reason.empty()) {
    effects_.showMessage(MessageIcon::Error, reason);
    effects_.operationEnded({op, OperationResult::Refused, {}, 0});
    return false;
  }
  // A new operation takes the link: a search, a paused write, an unanswered
  // question about the model or the tries of an operation in progress end
  // here.
  if (searchActive()) interruptSearch();
  if (question_) end(OperationResult::Refused, nullptr, texts::kReasonNotSent);
  pendingSendAt_.reset();
  deferred_.reset();
  if (sampleAwaited()) {
    // A sample's transaction ends first, with its reply or its time-out.
    inProgress_ = false;
    try_ = TryState{};
    const TimeMs due = sampling_.replyArriving
                           ? now + LineTimeMs(kLongestFrameBytes, timing_.baudRate)
                           : *sampling_.replyDue;
    deferred_ = DeferredStart{op, pollAddress, due, onlyTo, true};
    return true;
  }
  if (link_.frameInProgress()) {
    inProgress_ = false;  // what still arrives answers nothing we wait for
    try_ = TryState{};
    deferred_ = DeferredStart{op, pollAddress,
                              now + LineTimeMs(kLongestFrameBytes, timing_.baudRate), onlyTo};
    return true;
  }
  return sendFirstRequest(op, pollAddress, now, onlyTo);
}

void Engine::sendDeferred(TimeMs now) {
  const DeferredStart waiting = *deferred_;
  deferred_.reset();
  sendFirstRequest(waiting.op, waiting.pollAddress, now, waiting.onlyTo);
}

// The start protocol: command 0 in a short frame to the polling address.
bool Engine::sendFirstRequest(OperationCode op, std::uint8_t pollAddress, TimeMs now,
                              std::optional<LongAddressBytes> onlyTo) {
  pauseSampling();
  op_ = op;
  onlyTo_ = onlyTo;
  step_ = 0;
  request_ = PrepareCommand0(pollAddress);
  try_ = TryState{};
  retries_ = 0;
  refusedParts_.clear();
  inProgress_ = false;  // a port lost while writing ends nothing yet
  if (!transmit(now)) {
    inProgress_ = false;
    try_ = TryState{};
    effects_.operationEnded({op, OperationResult::Refused, {}, 0});
    return false;
  }
  inProgress_ = true;
  return true;
}

bool Engine::pollTick(std::uint8_t pollAddress, TimeMs now) {
  if (searchActive() || deferred_ || question_) return false;
  if (inProgress_ && op_ != OP_POLL) {
    if (try_.failedTries > 0 || try_.resendAt || try_.delayedSince) return false;
    if (now - link_.lastRequestAt() < kPollYieldMs) return false;
  }
  return start(OP_POLL, pollAddress, now);
}

// The values read stay with the instrument they came from: the first
// command-0 reply on the new port tells whether they are still its.
void Engine::portChanged() {
  data_.instrument.reset();
  pollAllowed_.reset();
  if (samplingActive()) {
    pauseSampling();
    sampling_.phase = SamplingPhase::Identify;  // the new port's instrument answers command 0 first
  }
}

void Engine::portLost(TimeMs /*now*/) {
  if (samplingActive()) endSampling(OperationResult::Failure, texts::kPortLost);
  if (inProgress_) fail(texts::kPortLost);
  if (deferred_) {
    const OperationCode op = deferred_->op;
    deferred_.reset();
    effects_.operationEnded({op, OperationResult::Refused, {}, 0});
  }
}

// --- sending and trying again --------------------------------------------

// Sends the request of the current step and starts waiting for its reply:
// the time-out counts once the request's last byte has had its line time.
bool Engine::transmit(TimeMs now) {
  if (!link_.StartOperation(request_, now)) return false;
  const TimeMs lineTime = LineTimeMs(link_.lastRequestSize(), timing_.baudRate);
  try_.replyDue = now + lineTime + timing_.replyTimeoutMs;
  try_.replyArriving = false;
  return true;
}

// The same request once more: after a failed try, a busy instrument, or to
// ask after a delayed response.
void Engine::resend(TimeMs now) {
  try_.resendAt.reset();
  ++retries_;
  if (!transmit(now) && inProgress_) fail(texts::kPortNotOpen);
}

// A request after command 0 of a trim or calibration: the instrument may act
// on it, so it goes out again only when a reply proves it did not.
bool Engine::sendingOnce() const {
  return !row().maySendTwice && step_ > 0;
}

void Engine::tryFailed(TryFailure failure, std::uint8_t responseCode, TimeMs now) {
  try_.replyDue.reset();
  try_.replyArriving = false;
  if (row().kind == OperationKind::Poll) {
    // Acquisition shows nothing for a missed reply; the next tick asks again.
    end(OperationResult::NoReply, nullptr, texts::kReasonNoReply);
    return;
  }
  const bool communicationError = failure == TryFailure::CommunicationError;
  if (!communicationError && sendingOnce()) {
    fail(texts::kReasonResultUnknown, OperationResult::NoReply);
    return;
  }
  if (try_.failedTries < timing_.retries) {
    ++try_.failedTries;
    resend(now);
    return;
  }
  if (communicationError) {
    fail(ResponseMeaning(responseCode));
  } else if (failure == TryFailure::Refused) {
    fail(refusal_);
  } else {
    fail(texts::kReasonNoReply, OperationResult::NoReply);
  }
}

// 32: asked again after 500 ms, at most five times. 33 and 34: asked again
// every 500 ms until the result comes, at most a minute. Returns true when
// the reply was one of these and has been answered so.
bool Engine::followBusyOrDelayed(const ReceivedFrame& reply) {
  if (row().kind == OperationKind::Poll) return false;
  const std::uint8_t code = reply.responseCode;
  const TimeMs now = reply.receivedAt;
  if (code == RC_BUSY) {
    if (try_.busyResends >= kMaxBusyResends) return false;
    if (try_.busyResends++ == 0) effects_.setStatusText(texts::kDeviceBusyWait);
    try_.resendAt = now + kBusyResendMs;
    return true;
  }
  if (code != RC_DELAYED_RESPONSE_INITIATED && code != RC_DELAYED_RESPONSE_RUNNING) return false;
  if (!try_.delayedSince) {
    try_.delayedSince = now;
    effects_.setStatusText(texts::kDeviceBusyWait);
  }
  if (now - *try_.delayedSince >= kDelayedResponseMs) {
    fail(texts::kReasonDelayedTooLong);
  } else {
    try_.resendAt = now + kBusyResendMs;
  }
  return true;
}

// --- replies -------------------------------------------------------------

void Engine::frameBegan(TimeMs now) {
  if (inProgress_ && try_.replyDue) try_.replyArriving = true;
  if (sampleAwaited()) sampling_.replyArriving = true;
  if (deferred_ && deferred_->afterSample) {
    deferred_->due =
        std::max(deferred_->due, now + LineTimeMs(kLongestFrameBytes, timing_.baudRate));
  }
  if (searchActive()) searchFrameBegan();
}

// A frame that began and was not a reply (a request, a burst frame) leaves
// the wait as it was; one that was spoiled on the way ends the try.
void Engine::frameEnded(FrameEnd end, TimeMs now) {
  lineQuietSince_ = now;
  if (deferred_) {
    sendDeferred(now);
    return;
  }
  if (searchActive()) searchFrameEnded(now);
  if (sampling_.replyArriving) {
    sampling_.replyArriving = false;
    if (end == FrameEnd::Dropped && sampleAwaited()) sampleTryFailed(TryFailure::Spoiled, 0, now);
  }
  if (!try_.replyArriving) return;
  try_.replyArriving = false;
  if (end == FrameEnd::Dropped && inProgress_ && try_.replyDue) {
    tryFailed(TryFailure::Spoiled, 0, now);
  }
}

// A try the transport refused ends at once, as a lost reply would end at its
// time-out; after the last try the transport's words are the reason.
void Engine::requestRefused(const std::string& reason, TimeMs now) {
  if (sampleAwaited() && !inProgress_ && !deferred_) {
    refusal_ = reason;
    sampleTryFailed(TryFailure::Refused, 0, now);
    return;
  }
  if (!inProgress_ || !try_.replyDue || deferred_) return;
  refusal_ = reason;
  tryFailed(TryFailure::Refused, 0, now);
}

void Engine::HandleOperationReply(const ReceivedFrame& reply) {
  lineQuietSince_ = reply.receivedAt;
  sampling_.replyArriving = false;
  if (samplingTakes(reply)) {
    samplingReply(reply);
    if (deferred_) sendDeferred(reply.receivedAt);  // the start that waited for it
    return;
  }
  if (deferred_) {  // the frame a start waited for has ended
    sendDeferred(reply.receivedAt);
    return;
  }
  const OperationRow& current = row();
  if (current.kind == OperationKind::Search) {
    if (searchActive()) searchReply(reply);
    return;
  }
  try_.replyArriving = false;
  if (!takesReply(reply)) return;
  if (current.kind == OperationKind::CommTest) {
    // Any answer to command 0 is an answer, whatever its response code; one
    // that names its instrument makes it the one connected.
    if (NamesInstrument(reply)) {
      acceptInstrument(InstrumentOf(DecodeUniqueIdentifier(reply.data.data(), reply.dataCount)));
    }
    effects_.setProgress(100);
    end(OperationResult::Success, current.texts.success, {});
    return;
  }
  if (reply.responseCode & kCommunicationErrorBit) {
    tryFailed(TryFailure::CommunicationError, reply.responseCode, reply.receivedAt);
    return;
  }
  try_.replyDue.reset();
  if (followBusyOrDelayed(reply)) return;
  if (step_ > current.steps.size()) {
    ++step_;
  } else if (step_ == 0) {
    handleCommand0Reply(reply);
  } else {
    handleStepReply(reply);
  }
}

// The first step of every operation: the reply names the device that the
// requests after it go to. A refused command 0 ends the operation at once.
void Engine::handleCommand0Reply(const ReceivedFrame& reply) {
  const OperationRow& current = row();
  if (IsErrorResponse(reply.responseCode)) {
    fail(ResponseMeaning(reply.responseCode));
    return;
  }
  // Without its identity block a command-0 reply names no device to send
  // the next request to.
  if (reply.dataCount < UniqueIdentifier::kSize) {
    fail(texts::kReasonNoIdentity);
    return;
  }
  effects_.setProgress(current.steps.size() == 2 ? 33 : 50);
  effects_.setStatusText(texts::kConnected);
  learnLongAddress(reply);
  const Instrument seen = InstrumentOf(DecodeUniqueIdentifier(reply.data.data(), reply.dataCount));
  if (!acceptInstrument(seen)) return;
  if (current.decodeIdentity) {
    OperationContext c = context();
    current.decodeIdentity(c, reply);
  }
  if (current.minimumRevision > data_.hartRevision) {
    fail(texts::WithArgs(texts::kReasonNeedsHart6, {std::to_string(data_.hartRevision)}),
         OperationResult::Refused);
    return;
  }
  if (!modelAllows(seen)) return;
  if (current.steps.size() == 0) {
    endWithReply(reply);
  } else {
    sendRequest(0, reply.receivedAt);
  }
}

// The reply to a request after command 0. A write of several parts goes on
// when the instrument refuses one of them, and names it at the end.
void Engine::handleStepReply(const ReceivedFrame& reply) {
  const OperationRow& current = row();
  const std::size_t step = step_;
  const OperationStep& sent = current.steps[step - 1];
  const std::uint8_t code = reply.responseCode;
  if (IsErrorResponse(code)) {
    const std::string meaning = ResponseMeaning(code, sent.command);
    if (!sent.part || IsBusyOrDelayedResponse(code)) {
      fail(meaning);
      return;
    }
    refusedParts_ =
        JoinReasons(refusedParts_, Tr(sent.part) + Tr(texts::kPartNotWritten) + meaning);
  } else if (sent.decode) {
    OperationContext c = context();
    sent.decode(c, reply);
  }
  if (step < current.steps.size()) {
    effects_.setProgress(66);
    sendRequest(step, reply.receivedAt);
  } else {
    endWithReply(reply);
  }
}

// Manufacturer and device type (reply bytes 1 and 2) and the device
// identification number (bytes 9 to 11); the HART revision (byte 4).
void Engine::learnLongAddress(const ReceivedFrame& reply) {
  data_.longAddress = {reply.data[1], reply.data[2], reply.data[9], reply.data[10], reply.data[11]};
  data_.hartRevision = reply.data[4];
}

// The instrument a command-0 reply names becomes the one the program knows.
// When it is not the one the pages' values came from, those values are
// cleared, and a write that would send them ends refused: they were read
// from another instrument. Returns false when the operation has ended.
bool Engine::acceptInstrument(const Instrument& seen) {
  data_.instrument = seen;
  effects_.instrumentIdentified(seen);
  if (onlyTo_) {
    const LongAddressBytes required = *onlyTo_;
    onlyTo_.reset();
    if (!IsSameInstrument(required, seen.identity)) {
      fail(texts::WithArgs(texts::kReasonNotThatInstrument, {InstrumentText(seen)}),
           OperationResult::Refused);
      return false;
    }
  }
  if (!data_.valuesFrom || IsSameInstrument(data_.valuesFrom->identity, seen.identity)) {
    return true;
  }
  const Instrument from = *data_.valuesFrom;
  const unsigned stale = FieldsFromOtherInstrument(data_, row().sends, seen);
  clearReadFields();
  notice_ = texts::kPagesCleared;
  if (stale == kNoFields) return true;
  fail(texts::WithArgs(texts::kReasonOtherInstrument, {InstrumentText(from), InstrumentText(seen)}),
       OperationResult::Refused);
  return false;
}

// Empties the page fields read from the instrument connected before, except
// what the user has typed since.
void Engine::clearReadFields() {
  const unsigned cleared = data_.readFields & ~data_.typedFields;
  ClearFields(data_, cleared);
  data_.readFields = kNoFields;
  data_.valuesFrom.reset();
  effects_.fieldsCleared(cleared);
}

// The family's own commands go without asking only to a known model.
// Returns false when the operation waits for the user's answer or has ended.
bool Engine::modelAllows(const Instrument& seen) {
  const OperationRow& current = row();
  if (!(CommandClassesOf(op_) & static_cast<unsigned>(CommandClass::FamilySpecific))) return true;
  if (IsKnownModel(seen.model, knownModels_)) return true;
  if (current.kind == OperationKind::Poll && pollAllowed_ == seen.model) return true;
  std::uint8_t command = 0;
  for (std::size_t i = 0; i < current.steps.size() && command == 0; ++i) {
    const HartCommandInfo* info = FindHartCommand(current.steps[i].command);
    if (info->commandClass == CommandClass::FamilySpecific) command = info->number;
  }
  if (modelPolicy_ == ModelPolicy::Trust) {
    knownModels_.push_back(seen.model);
    effects_.rememberModel(seen.model);
    return true;
  }
  if (modelPolicy_ == ModelPolicy::Refuse) {
    refuseModel(seen.model, command);
    return false;
  }
  question_ = ModelQuestion{++questions_, seen.model, command,
                            texts::WithArgs(texts::kUnknownModelQuestion,
                                            {ModelText(seen.model), std::to_string(command)})};
  effects_.askAboutModel(*question_);
  return false;
}

void Engine::answerModelQuestion(unsigned number, bool send, bool remember, TimeMs now) {
  if (!question_ || question_->number != number) return;
  const ModelQuestion question = *question_;
  question_.reset();
  if (!send) {
    refuseModel(question.model, question.command);
    return;
  }
  if (remember) {
    knownModels_.push_back(question.model);
    effects_.rememberModel(question.model);
  }
  if (row().kind == OperationKind::Poll) pollAllowed_ = question.model;
  sendRequest(0, now);
}

// Nothing more is sent; an acquisition stops with the reason.
void Engine::refuseModel(const InstrumentModel& model, std::uint8_t command) {
  const std::string reason =
      texts::WithArgs(texts::kReasonUnknownModel, {ModelText(model), std::to_string(command)});
  if (row().kind == OperationKind::Poll) {
    effects_.stopAcquisition(reason);
    end(OperationResult::Refused, nullptr, reason);
    return;
  }
  fail(reason, OperationResult::Refused);
}

// What an operation read, or wrote, is now the value of the instrument
// connected.
void Engine::valuesRead(unsigned fields) {
  if (fields == kNoFields || !data_.instrument) return;
  data_.valuesFrom = data_.instrument;
  data_.readFields |= fields;
  data_.typedFields &= ~fields;
}

// Builds request `index` after command 0 and sends it, at once or after the
// step's pause.
void Engine::sendRequest(std::size_t index, TimeMs now) {
  const OperationStep& step = row().steps[index];
  Request next;
  next.kind = FrameKind::Long;
  next.longAddress = LongAddressToSend(data_.longAddress);
  RequestFields fields{step.command, next.data.data(),
                       static_cast<std::uint8_t>(FindHartCommand(step.command)->requestBytes)};
  OperationContext c = context();
  if (step.fill && !step.fill(c, fields)) {
    if (c.refusal.empty()) {
      fail({});
    } else {
      fail(c.refusal, OperationResult::Refused);
    }
    return;
  }
  next.command = fields.command;
  next.byteCount = fields.byteCount;
  request_ = next;
  if (step.pauseBefore > 0) {
    pendingSendAt_ = now + step.pauseBefore;
    return;
  }
  sendPrepared(now);
}

// A port that fails as the request is written has ended the operation with
// its loss already; a closed port ends it here.
void Engine::sendPrepared(TimeMs now) {
  try_ = TryState{};
  if (!transmit(now)) {
    if (inProgress_) fail(texts::kPortNotOpen);
    return;
  }
  ++step_;
}

// The last reply of an operation: judged, shown, and the operation ends.
void Engine::endWithReply(const ReceivedFrame& reply) {
  const OperationRow& current = row();
  if (!refusedParts_.empty()) {
    fail({});
    return;
  }
  const OperationContext c = context();
  const bool success = !current.succeeded || current.succeeded(c, reply);
  effects_.setProgress(100);
  step_ = 0;
  if (success) valuesRead(current.shows | current.sends);
  if (current.refresh) effects_.refresh(*current.refresh, RefreshDirection::ToControls, op_);
  if (success) {
    end(OperationResult::Success, current.texts.success, {});
  } else {
    end(OperationResult::Failure, current.texts.failure, texts::kReasonUnexpectedReply);
  }
}

// Ends the operation. A null `statusText` leaves the status line as it is.
void Engine::end(OperationResult result, const char* statusText, std::string reason) {
  const OperationCode op = op_;
  step_ = 0;
  inProgress_ = false;
  try_ = TryState{};
  pendingSendAt_.reset();
  question_.reset();
  onlyTo_.reset();
  if (!notice_.empty()) reason = JoinReasons(reason, notice_);
  notice_.clear();
  if (statusText) effects_.setStatusText(statusText);
  effects_.operationEnded({op, result, std::move(reason), retries_});
}

// Ends an operation that did not do what was asked: nothing more is decoded
// and nothing more is sent. The parts of a write refused before are named
// first.
void Engine::fail(std::string reason, OperationResult result) {
  effects_.setProgress(100);
  end(result, row().texts.failure, JoinReasons(refusedParts_, reason));
}

bool Engine::NamesInstrument(const ReceivedFrame& reply) {
  return !(reply.responseCode & kCommunicationErrorBit) && !IsErrorResponse(reply.responseCode) &&
         reply.dataCount >= UniqueIdentifier::kSize;
}

// Whether `reply` is the one the current step waits for, one reason a line.
bool Engine::takesReply(const ReceivedFrame& reply) const {
  // No operation waits: a late or repeated reply. Taking it for the reply of
  // the next step would send that step's write without the user asking.
  if (!inProgress_ || !try_.replyDue) return false;
  // Pausing before the next request, or about to ask again after a busy or
  // delayed response: the reply answers a request already dealt with.
  if (pendingSendAt_ || try_.resendAt) return false;
  // Another device, the secondary master's exchange, or another command
  // than the one sent (see LinkCore::isReplyToRequest).
  if (!link_.isReplyToRequest(reply)) return false;
  return true;
}

// --- time ----------------------------------------------------------------

std::optional<TimeMs> Engine::deferredStartExpiry() const {
  return deferred_ ? std::optional<TimeMs>(deferred_->due) : std::nullopt;
}

std::optional<TimeMs> Engine::pauseExpiry() const {
  return pendingSendAt_;
}

std::optional<TimeMs> Engine::resendExpiry() const {
  return try_.resendAt;
}

// The time-out is held while a reply is arriving.
std::optional<TimeMs> Engine::replyExpiry() const {
  if (!inProgress_ || try_.replyArriving) return std::nullopt;
  return try_.replyDue;
}

// A fast slot is held while the frame answering its probe arrives.
std::optional<TimeMs> Engine::searchSlotExpiry() const {
  const bool probing =
      search_.phase == SearchPhase::BeforeProbe || search_.phase == SearchPhase::AfterProbe;
  if (search_.arriving) return std::nullopt;
  return probing ? std::optional<TimeMs>(search_.due) : std::nullopt;
}

std::optional<TimeMs> Engine::nextDeadline() const {
  std::optional<TimeMs> due;
  for (const std::optional<TimeMs> at : {deferredStartExpiry(), pauseExpiry(), resendExpiry(),
                                         replyExpiry(), searchSlotExpiry(), samplingExpiry()}) {
    if (at && (!due || *at < *due)) due = at;
  }
  return due;
}

void Engine::handleDeadline(TimeMs now) {
  const auto passed = [now](std::optional<TimeMs> at) { return at && *at <= now; };
  if (passed(deferredStartExpiry())) sendDeferred(now);
  if (passed(pauseExpiry())) {
    pendingSendAt_.reset();
    sendPrepared(now);
  }
  if (passed(resendExpiry())) resend(now);
  if (passed(replyExpiry())) tryFailed(TryFailure::NoReply, 0, now);
  if (passed(searchSlotExpiry())) searchStep(now);
  if (passed(samplingExpiry())) {
    if (sampleAwaited()) {
      sampleTryFailed(TryFailure::NoReply, 0, now);
    } else {
      sendSample(now);
    }
  }
}

}  // namespace vantrel
