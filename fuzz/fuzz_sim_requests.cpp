// Fuzzes the simulated instrument's request parser and command handlers with
// arbitrary bytes from the line: every reply it builds is a well-formed frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/HartFrame.h"
#include "sim/SimLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  sim::SimLine line({sim::DefaultDeviceConfig(0), sim::DefaultDeviceConfig(5)});
  const auto replies = line.receive(data, size, static_cast<TimeMs>(size) * 37);
  for (const auto& frame : replies) {
    std::size_t i = 0;
    while (i < frame.size() && frame[i] == kPreambleByte) ++i;
    if (i + 5 > frame.size()) std::abort();
    const std::uint8_t delimiter = frame[i];
    const std::size_t header = HasLongAddress(delimiter) ? 1 + 5 + 2 : 1 + 1 + 2;
    const std::size_t byteCount = frame[i + header - 1];
    if (i + header + byteCount + 1 != frame.size()) std::abort();
    if (CheckByte(frame.data() + i, frame.size() - i - 1) != frame.back()) std::abort();
  }
  return 0;
}
