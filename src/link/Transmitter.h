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

}  // namespace vantrel
