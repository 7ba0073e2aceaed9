// Appends big-endian numbers to the simulated device's reply data, with the
// program's own encodings underneath.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/Encoding.h"

namespace vantrel::sim {

inline void PutUint32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t bytes[4];
  WriteUint32BE(value, bytes);
  out.insert(out.end(), bytes, bytes + 4);
}

inline void PutInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
  PutUint32(out, static_cast<std::uint32_t>(value));
}

inline void PutInt16(std::vector<std::uint8_t>& out, std::int16_t value) {
  std::uint8_t bytes[2];
  WriteInt16BE(value, bytes);
  out.insert(out.end(), bytes, bytes + 2);
}

inline void PutFloat(std::vector<std::uint8_t>& out, float value) {
  std::uint8_t bytes[4];
  WriteFloatBE(value, bytes);
  out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace vantrel::sim
