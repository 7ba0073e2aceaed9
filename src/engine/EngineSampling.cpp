// Sampling: a run of its own beside the operations, for a trend of the live
// values. Command 0 once to the polling address, then one command-3
// transaction per sample to the long address it named, paced by a deadline
// of the engine. It owns the link only while no operation, search or start
// waiting for the line does; whatever the user starts pauses it.
#include <algorithm>

#include "engine/Engine.h"
#include "engine/EngineTexts.h"
#include "engine/UniqueIdentifier.h"
#include "link/HartCommands.h"
#include "link/LinkTexts.h"

namespace vantrel {

void Engine::startSampling(std::uint8_t pollAddress, TimeMs intervalMs, TimeMs now) {
  sampling_ = SamplingState{};
  sampling_.phase = SamplingPhase::Identify;
  sampling_.pollAddress = pollAddress;
  sampling_.intervalMs = std::max<TimeMs>(intervalMs, 0);
  sampling_.due = now;
  if (linkFree()) sendSample(now);
}

void Engine::stopSampling() {
  sampling_ = SamplingState{};
}

// Nothing else holds the link or waits for it, and no frame is arriving.
bool Engine::linkFree() const {
  return !inProgress_ && !deferred_ && !searchActive() && !question_ && !pendingSendAt_ &&
         !link_.frameInProgress();
}

// An operation or search takes the link: the request awaited is given up,
// and the run goes on once the link is free again.
void Engine::pauseSampling() {
  if (!samplingActive()) return;
  sampling_.replyDue.reset();
  sampling_.replyArriving = false;
  sampling_.failedTries = 0;
}

void Engine::endSampling(OperationResult result, std::string reason) {
  const SamplingEnd end{result, std::move(reason), sampling_.retries, sampling_.samples};
  sampling_ = SamplingState{};
  effects_.samplingStopped(end);
}

// The next request: command 0 while the run has not named its instrument,
// or when an operation since has left another long address; command 3
// otherwise.
void Engine::sendSample(TimeMs now) {
  if (!link_.isPortOpen()) {
    endSampling(OperationResult::Refused, texts::kPortNotOpen);
    return;
  }
  if (data_.longAddress != sampling_.longAddress) sampling_.phase = SamplingPhase::Identify;
  Request request;
  if (sampling_.phase == SamplingPhase::Identify) {
    request = PrepareCommand0(sampling_.pollAddress);
  } else {
    request.kind = FrameKind::Long;
    request.longAddress = LongAddressToSend(sampling_.longAddress);
    request.command = CMD_READ_CURRENT_AND_VARIABLES;
    request.byteCount =
        static_cast<std::uint8_t>(FindHartCommand(CMD_READ_CURRENT_AND_VARIABLES)->requestBytes);
  }
  sampling_.request = request;
  sampling_.sentAt = now;
  sampling_.failedTries = 0;
  transmitSample(now);
}

// The reply time-out counts once the request has had its line time, as an
// operation's does.
void Engine::transmitSample(TimeMs now) {
  if (!link_.StartOperation(sampling_.request, now)) {
    if (samplingActive()) endSampling(OperationResult::Refused, texts::kPortNotOpen);
    return;
  }
  const TimeMs lineTime = LineTimeMs(link_.lastRequestSize(), timing_.baudRate);
  sampling_.replyDue = now + lineTime + timing_.replyTimeoutMs;
  sampling_.replyArriving = false;
}

bool Engine::samplingTakes(const ReceivedFrame& reply) const {
  return sampleAwaited() && !inProgress_ && link_.isReplyToRequest(reply);
}

// A communication error is a failed try, a busy instrument is asked again
// later, and any other error response ends the run with its meaning.
void Engine::samplingReply(const ReceivedFrame& reply) {
  sampling_.replyDue.reset();
  const std::uint8_t code = reply.responseCode;
  if (code & kCommunicationErrorBit) {
    sampleTryFailed(TryFailure::CommunicationError, code, reply.receivedAt);
    return;
  }
  if (code == RC_BUSY) {  // asked again after the pause an operation waits
    sampling_.due = reply.receivedAt + kBusyResendMs;
    return;
  }
  if (IsErrorResponse(code)) {
    endSampling(OperationResult::Failure, ResponseMeaning(code, reply.command));
    return;
  }
  if (sampling_.phase == SamplingPhase::Identify) {
    samplingIdentified(reply);
  } else {
    sampleDecoded(reply);
  }
}

// The command-0 reply: the long address learnt, the instrument named, and
// the pages' values emptied when they came from another one.
void Engine::samplingIdentified(const ReceivedFrame& reply) {
  if (reply.dataCount < UniqueIdentifier::kSize) {
    endSampling(OperationResult::Failure, texts::kReasonNoIdentity);
    return;
  }
  learnLongAddress(reply);
  sampling_.longAddress = data_.longAddress;
  sampling_.phase = SamplingPhase::Sampling;
  sampling_.due = reply.receivedAt;
  const Instrument seen = InstrumentOf(DecodeUniqueIdentifier(reply.data.data(), reply.dataCount));
  data_.instrument = seen;
  effects_.instrumentIdentified(seen);
  if (data_.valuesFrom && !IsSameInstrument(data_.valuesFrom->identity, seen.identity)) {
    clearReadFields();
  }
}

// Decoded by OP_READ_CURRENT's own step, into data of the run's own. The
// next request is due an interval after this one went out, or at once.
void Engine::sampleDecoded(const ReceivedFrame& reply) {
  const OperationStep& step = OperationRowOf(OP_READ_CURRENT).steps[0];
  OperationContext c{sampleData_, effects_, memory_, OP_READ_CURRENT};
  step.decode(c, reply);
  ++sampling_.samples;
  sampling_.due =
      sampling_.intervalMs > 0 ? sampling_.sentAt + sampling_.intervalMs : reply.receivedAt;
  const Sample sample{reply.receivedAt, sampleData_.loopCurrent, sampleData_.primaryVariable,
                      sampleData_.pvUnitCode, sampleData_.percentOfRange};
  effects_.sampleTaken(sample);  // may stop the run
}

// The same request again, up to the retries an operation has; then the run
// stops. A try that fails while another start waits for the line is left:
// that start goes first.
void Engine::sampleTryFailed(TryFailure failure, std::uint8_t responseCode, TimeMs now) {
  sampling_.replyDue.reset();
  sampling_.replyArriving = false;
  if (deferred_) return;
  if (sampling_.failedTries < timing_.retries) {
    ++sampling_.failedTries;
    ++sampling_.retries;
    transmitSample(now);
    return;
  }
  if (failure == TryFailure::CommunicationError) {
    endSampling(OperationResult::Failure, ResponseMeaning(responseCode));
  } else if (failure == TryFailure::Refused) {
    endSampling(OperationResult::Failure, refusal_);
  } else {
    endSampling(OperationResult::NoReply, texts::kReasonNoReply);
  }
}

// The time-out of the request awaited, held while its reply arrives; else
// the next request, once the link is free and has rested after the last
// frame.
std::optional<TimeMs> Engine::samplingExpiry() const {
  if (!samplingActive()) return std::nullopt;
  if (sampling_.replyDue) {
    return sampling_.replyArriving ? std::nullopt : sampling_.replyDue;
  }
  if (!linkFree()) return std::nullopt;
  const TimeMs rested = lineQuietSince_ + LineTimeMs(kSampleGapCharacters, timing_.baudRate);
  return std::max(sampling_.due, rested);
}

}  // namespace vantrel
