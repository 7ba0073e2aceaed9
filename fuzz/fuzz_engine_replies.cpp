// Fuzzes the reply decoding of every operation at every step: an operation
// is started, then arbitrary replies (any command, response code, status and
// data) arrive, with time passing in between.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/engine/EngineFakes.h"

namespace {

class SilentEffects : public vantrel::testing::RecordingEffects {
 public:
  void showSearchReport(const std::string& text, std::function<void()> closed) override {
    RecordingEffects::showSearchReport(text, {});
    closed();  // the user closes the report at once
  }
};

}  // namespace

// Input: [operation][poll address][setup byte], then repeated
// [kind][response code][status][length][data...].
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  using namespace vantrel;
  testing::FakePort port;
  SilentEffects effects;
  testing::FakeClock clock;
  DeviceData device;
  LinkCore link(port, effects);
  Engine engine(link, device, effects, clock);
  link.setReplyHandler(&engine);

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
  engine.startOperation(op, data[1]);

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
    i += take;
    engine.HandleOperationReply(reply);
    clock.now += (kind & 2) ? 600 : 10;
    if (const auto due = engine.nextDeadline(); due && *due <= clock.now) {
      engine.handleDeadline(clock.now);
    }
    if (kind == 0xFF) engine.pollTick(data[1]);
  }
  // Whatever came, every status text is one the program knows and the
  // progress stays within 0..100.
  for (int p : effects.progress) {
    if (p < 0 || p > 100) std::abort();
  }
  return 0;
}
