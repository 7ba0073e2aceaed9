// Transmit state machine: one handler per state, each emitting the bytes of
// its field into the frame being built. The link core runs it from
// TX_PREAMBLE_START to TX_DONE and hands the finished frame to the port.
#pragma once

#include <cstdint>
#include <vector>

#include "link/HartLink.h"

namespace vantrel {

// Builds the request that the transmit fields of `link` describe: txPreambles
// + 1 preamble bytes, delimiter, address (master bit set), command, byte
// count, data, check byte and three trailing 0xFF. Leaves txState at TX_DONE
// and sets awaitingResponse.
void BuildRequestFrame(HartLink& link, std::vector<std::uint8_t>& frame);

// Prepares the first request of every operation and every search probe:
// command 0 (read unique identifier) in a short frame to `pollAddress`.
void PrepareCommand0(HartLink& link, std::uint8_t pollAddress);

}  // namespace vantrel
