#include "engine/Engine.h"

#include "engine/Encoding.h"
#include "engine/EngineTexts.h"
#include "engine/UniqueIdentifier.h"
#include "link/HartCommands.h"
#include "link/Transmitter.h"

namespace vantrel {

Engine::Engine(LinkCore& link, DeviceData& data, EngineEffects& effects)
    : link_(link), data_(data), effects_(effects) {}

const OperationRow& Engine::row() const {
  return OperationRowOf(static_cast<OperationCode>(link_.link().operationCode));
}

// --- starting ------------------------------------------------------------

bool Engine::start(OperationCode op, std::uint8_t pollAddress, TimeMs now) {
  if (!IsOperationCode(op)) return false;
  const OperationRow& started = OperationRowOf(op);
  if (started.kind == OperationKind::Search) {
    startSearch(now);
    return true;
  }
  if (const char* reason = started.refuse ? started.refuse(data_) : nullptr) {
    effects_.showMessage(MessageIcon::Error, reason);
    effects_.operationEnded(op, OperationResult::Refused);
    return false;
  }
  // A new operation takes the link: a search or a paused write in progress
  // ends here.
  if (searchActive()) endSearch();
  pendingSendAt_.reset();
  return sendFirstRequest(op, pollAddress, now);
}

// The start protocol: command 0 in a short frame to the polling address.
bool Engine::sendFirstRequest(OperationCode op, std::uint8_t pollAddress, TimeMs now) {
  HartLink& link = link_.link();
  link.operationCode = op;
  link.operationStep = 0;
  PrepareCommand0(link, pollAddress);
  if (!link_.StartOperation()) {
    inProgress_ = false;
    effects_.operationEnded(op, OperationResult::Refused);
    return false;
  }
  inProgress_ = true;
  lastRequestAt_ = now;
  return true;
}

bool Engine::pollTick(std::uint8_t pollAddress, TimeMs now) {
  if (searchActive()) return false;
  const HartLink& link = link_.link();
  if (inProgress_ && link.operationCode != OP_POLL && now - lastRequestAt_ < kPollYieldMs) {
    return false;
  }
  return start(OP_POLL, pollAddress, now);
}

// --- replies -------------------------------------------------------------

void Engine::HandleOperationReply(const ReceivedFrame& reply) {
  HartLink& link = link_.link();
  if (!IsOperationCode(link.operationCode)) return;
  const OperationRow& current = row();
  if (current.kind == OperationKind::Search) {
    if (searchActive()) searchReply(reply);
    return;
  }
  // A reply that nothing waits for (late, repeated, or while pausing before
  // the next request) is dropped: taking it for the reply of the current step
  // would send the operation's write again without the user asking. So is a
  // reply to another command than the one sent (a late answer to an
  // abandoned operation): its bytes mean something else.
  if (!inProgress_ || pendingSendAt_) return;
  if (reply.command != link.txCommand) return;
  if (current.kind == OperationKind::CommTest) {
    // Any answer to command 0 is an answer, whatever its response code.
    effects_.setProgress(100);
    effects_.setStatusText(current.texts.success);
    inProgress_ = false;
    effects_.operationEnded(current.code, OperationResult::Success);
    return;
  }

  const std::size_t requests = current.steps.size();
  const std::size_t step = link.operationStep;
  if (step > requests) {
    ++link.operationStep;
    return;
  }
  if (IsErrorResponse(reply.responseCode)) {
    fail();
    return;
  }
  if (step == 0) {
    handleCommand0Reply(reply);
    return;
  }
  if (const DecodeReply decode = current.steps[step - 1].decode) {
    OperationContext c = context();
    decode(c, reply);
  }
  if (step < requests) {
    effects_.setProgress(66);
    sendRequest(step, reply.receivedAt);
  } else {
    endWithReply(reply);
  }
}

// The first step of every operation: the reply names the device that the
// requests after it go to.
void Engine::handleCommand0Reply(const ReceivedFrame& reply) {
  const OperationRow& current = row();
  // Without its identity block a command-0 reply names no device to send
  // the next request to.
  if (reply.dataCount < UniqueIdentifier::kSize) {
    fail();
    return;
  }
  effects_.setProgress(current.steps.size() == 2 ? 33 : 50);
  effects_.setStatusText(texts::kConnected);
  learnLongAddress(reply);
  if (current.decodeIdentity) {
    OperationContext c = context();
    current.decodeIdentity(c, reply);
  }
  if (current.steps.size() == 0) {
    endWithReply(reply);
  } else {
    sendRequest(0, reply.receivedAt);
  }
}

// Manufacturer and device type (reply bytes 1 and 2) and the device
// identification number (bytes 9 to 11).
void Engine::learnLongAddress(const ReceivedFrame& reply) {
  data_.longAddress = {reply.data[1], reply.data[2], reply.data[9], reply.data[10], reply.data[11]};
}

// Builds request `index` after command 0 and sends it, at once or after the
// step's pause.
void Engine::sendRequest(std::size_t index, TimeMs now) {
  HartLink& link = link_.link();
  link.txLongAddress = LongAddressToSend(data_.longAddress);
  const OperationStep& step = row().steps[index];
  RequestFields request{step.command, link.txData.data()};
  OperationContext c = context();
  if (step.fill && !step.fill(c, request)) {
    fail();
    return;
  }
  link.txCommand = request.command;
  link.txByteCount = static_cast<std::uint8_t>(FindHartCommand(request.command)->requestBytes);
  link.txPreambles = kRequestPreambles;
  link.txDelimiter = kStxLong;
  if (step.pauseBefore > 0) {
    pendingSendAt_ = now + step.pauseBefore;
    return;
  }
  sendPrepared(now);
}

void Engine::sendPrepared(TimeMs now) {
  HartLink& link = link_.link();
  link_.StartOperation();
  ++link.operationStep;
  lastRequestAt_ = now;
}

// The last reply of an operation: judged, shown, and the operation ends.
void Engine::endWithReply(const ReceivedFrame& reply) {
  const OperationRow& current = row();
  const OperationContext c = context();
  const bool success = !current.succeeded || current.succeeded(c, reply);
  effects_.setProgress(100);
  link_.link().operationStep = 0;
  if (current.refresh) effects_.refresh(*current.refresh, RefreshDirection::ToControls);
  finish(success ? current.texts.success : current.texts.failure,
         success ? OperationResult::Success : OperationResult::Failure);
}

void Engine::finish(const char* statusText, OperationResult result) {
  link_.link().operationStep = 0;
  inProgress_ = false;
  effects_.setStatusText(statusText);
  effects_.operationEnded(row().code, result);
}

// Ends an operation on an error response or a request that cannot be built:
// nothing is decoded and nothing more is sent.
void Engine::fail() {
  effects_.setProgress(100);
  finish(row().texts.failure, OperationResult::Failure);
}

// --- time ----------------------------------------------------------------

std::optional<TimeMs> Engine::nextDeadline() const {
  std::optional<TimeMs> due = pendingSendAt_;
  if (search_.phase == SearchPhase::BeforeProbe || search_.phase == SearchPhase::AfterProbe) {
    if (!due || search_.due < *due) due = search_.due;
  }
  return due;
}

void Engine::handleDeadline(TimeMs now) {
  if (pendingSendAt_ && *pendingSendAt_ <= now) {
    pendingSendAt_.reset();
    sendPrepared(now);
  }
  if ((search_.phase == SearchPhase::BeforeProbe || search_.phase == SearchPhase::AfterProbe) &&
      search_.due <= now) {
    searchStep(now);
  }
}

}  // namespace vantrel
