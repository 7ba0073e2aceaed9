// Receiver throughput: bytes per second through the link core's receive
// state machine and dispatch, on a stream of typical replies.
#include <benchmark/benchmark.h>

#include <vector>

#include "link/LinkCore.h"
#include "tests/link/LinkFakes.h"

namespace {

using vantrel::testing::Bytes;

Bytes Stream() {
  Bytes line;
  for (int i = 0; i < 200; ++i) {
    Bytes frame = {0x86, 0x9A, 0x10, 0x01, 0x02, 0x03, 3, 26, 0, 0};
    for (int k = 0; k < 24; ++k) frame.push_back(static_cast<std::uint8_t>(k * 7 + i));
    frame.push_back(vantrel::CheckByte(frame.data(), frame.size()));
    line.insert(line.end(), 5, 0xFF);
    line.insert(line.end(), frame.begin(), frame.end());
  }
  return line;
}

class CountingHandler : public vantrel::ReplyHandler {
 public:
  std::size_t replies = 0;
  void HandleOperationReply(const vantrel::ReceivedFrame&) override { ++replies; }
};

void ReceiverThroughput(benchmark::State& state) {
  const Bytes line = Stream();
  vantrel::testing::FakePort port;
  vantrel::testing::FakeMessages messages;
  CountingHandler handler;
  vantrel::LinkCore core(port, messages);
  core.setReplyHandler(&handler);
  vantrel::TimeMs now = 0;
  const std::size_t chunk = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    for (std::size_t i = 0; i < line.size(); i += chunk) {
      core.receiveBytes(line.data() + i, std::min(chunk, line.size() - i), ++now);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
  state.counters["replies"] = static_cast<double>(handler.replies);
}
// Chunks as the port delivers them: a few bytes at 1200 baud, whole buffers
// after a stall.
BENCHMARK(ReceiverThroughput)->Arg(8)->Arg(64)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
