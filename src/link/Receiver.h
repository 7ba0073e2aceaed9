// Receive state machine: one handler per state, each taking one byte and
// naming the next state. The functions here touch only the HartLink record;
// timing (line silence) and dispatch are the link core's.
#pragma once

#include <cstdint>

#include "link/HartLink.h"

namespace vantrel {

// What one byte completed.
enum class RxEvent {
  None,              // byte filed, frame (if any) still in progress
  ResponseComplete,  // valid ACK or burst frame; rxState is RX_FRAME_DONE
  RequestComplete,   // valid request frame from a master; hunt restarted
  CheckByteError,    // check byte mismatch; frame dropped, hunt restarted
  TooShort,          // valid ACK or burst frame without its two status bytes; dropped
};

// Runs `byte` through the receive state machine. A byte that arrives in
// RX_FRAME_DONE restarts the hunt before it is handled.
RxEvent ReceiveByte(HartLink& link, std::uint8_t byte);

// Clears the position counter and the running check byte and hunts for the
// next preamble.
void RestartHunt(HartLink& link);

// For a frame handed whole, without preambles (HART-IP): the next byte is
// taken as a delimiter.
void ExpectDelimiter(HartLink& link);

// Marks the line as silent: the frame in progress, if any, is abandoned and
// the next byte is dropped unexamined.
void EnterSilence(HartLink& link);

// True while a frame is partly received (between its delimiter and its check
// byte).
bool FrameInProgress(const HartLink& link);

}  // namespace vantrel
