// Fuzzes the receive state machine: arbitrary bytes in arbitrary chunks with
// arbitrary gaps. Every reply handed on must carry only what its frame
// carried.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/LinkCore.h"
#include "tests/link/LinkFakes.h"

namespace {

class CheckingHandler : public vantrel::ReplyHandler {
 public:
  void HandleOperationReply(const vantrel::ReceivedFrame& reply) override {
    if (reply.byteCount < 2) std::abort();  // a reply always has its status bytes
    const std::size_t carried = reply.byteCount - 2u > 251u ? 251u : reply.byteCount - 2u;
    if (reply.dataCount != carried) std::abort();
    for (std::size_t i = reply.dataCount; i < reply.data.size(); ++i) {
      if (reply.data[i] != 0) std::abort();
    }
    if (reply.frameType() != vantrel::kFrameTypeAck) std::abort();
  }
};

}  // namespace

// Input: repeated [gap in ms][length][bytes...].
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::testing::FakePort port;
  vantrel::testing::FakeMessages messages;
  CheckingHandler handler;
  vantrel::LinkCore core(port, messages);
  core.setReplyHandler(&handler);
  vantrel::TimeMs now = 1000;
  std::size_t i = 0;
  while (i + 2 <= size) {
    now += data[i];
    const std::size_t length = data[i + 1];
    i += 2;
    const std::size_t take = length < size - i ? length : size - i;
    core.receiveBytes(data + i, take, now);
    i += take;
    if (const auto due = core.nextDeadline(); due && (data[i - 1] & 1)) core.handleDeadline(*due);
    const std::int32_t state = core.link().rxState;
    if (!((state >= vantrel::RX_IDLE && state <= vantrel::RX_CHECK) ||
          state == vantrel::RX_FRAME_DONE)) {
      std::abort();
    }
  }
  return 0;
}
