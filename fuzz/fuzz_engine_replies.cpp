// Fuzzes the reply decoding of every operation at every step: an operation
// is started, then arbitrary replies (any command, response code, status and
// data) arrive, with time passing in between.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/engine/EngineFakes.h"

// Input: [operation][poll address][setup byte], then repeated
// [kind][response code][status][length][data...].
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  using namespace vantrel;
  testing::EngineHarness h;
  DeviceData& device = h.data;
  Engine& engine = h.engine;

  const auto op = static_cast<OperationCode>(1 + data[0] % kLastOperation);
  const std::uint8_t setup = data[2];
  device.unitIndex = setup % 11 - 1;
  device.sensorTypeIndex = setup % 13 - 1;
  device.gainIndex = setup % 7;
  device.calibrationPoint = (setup & 0x10) ? 4.0f : 20.0f;
  device.longAddressText = (setup & 0x20) ? "0x5a 0x10 0x01 0x02 0x03" : "0x5a";
  device.offsetText = (setup & 0x40) ? "12.5" : "99999";
  device.row1AdmText = "1";
  device.row2AdlText = std::to_string(setup);
  h.start(op, data[1]);

  std::size_t i = 3;
  while (i + 4 <= size) {
    ReceivedFrame reply;
    const std::uint8_t kind = data[i];
    reply.delimiter = (kind & 1) ? kAckLong : kAckShort;
    reply.address[0] = static_cast<std::uint8_t>(0x80 | (kind >> 2));
    reply.command = kind;
    reply.responseCode = data[i + 1];
    reply.deviceStatus = data[i + 2];
    const std::size_t length = data[i + 3] % 252;
    i += 4;
    const std::size_t take = length < size - i ? length : size - i;
    for (std::size_t k = 0; k < take; ++k) reply.data[k] = data[i + k];
    reply.dataCount = take;
    reply.byteCount = static_cast<std::uint8_t>(take + 2);
    reply.receivedAt = h.now;
    i += take;
    engine.HandleOperationReply(reply);
    h.advance((kind & 2) ? 600 : 10);
    // The user closes a search report at once.
    if (!h.effects.reports.empty()) h.closeReport();
    if (kind == 0xFF) h.pollTick(data[1]);
  }
  // Whatever came, every status text is one the program knows and the
  // progress stays within 0..100.
  for (int p : h.effects.progress) {
    if (p < 0 || p > 100) std::abort();
  }
  return 0;
}
