// Talks to a SimLine the way the program does: builds request frames, feeds
// them in, and takes the single response apart after checking its framing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "sim/SimLine.h"

namespace vantrel::sim::testing {

using Bytes = std::vector<std::uint8_t>;

struct Reply {
  std::uint8_t responseCode = 0;
  std::uint8_t status = 0;
  Bytes data;  // after the two status bytes
};

// The long address the program sends to the default device at `pollAddress`.
inline Bytes LongAddressOf(std::uint8_t pollAddress) {
  return {0x9A, 0x10, 0x01, 0x02, static_cast<std::uint8_t>(0x03 + pollAddress)};
}

// The long address of the device `config` describes.
inline Bytes LongAddressOf(const SimDeviceConfig& config) {
  const UniqueIdentifier& id = config.identity;
  return {static_cast<std::uint8_t>(0x80 | (id.manufacturerId & 0x3F)), id.deviceType,
          id.deviceId[0], id.deviceId[1], id.deviceId[2]};
}

inline Bytes ShortAddress(std::uint8_t pollAddress) {
  return {static_cast<std::uint8_t>(0x80 | pollAddress)};
}

// A request with six preambles; a one-byte address makes a short frame.
inline Bytes RequestFrame(const Bytes& address, std::uint8_t command, const Bytes& data) {
  Bytes frame(6, 0xFF);
  frame.push_back(address.size() == 1 ? 0x02 : 0x82);
  frame.insert(frame.end(), address.begin(), address.end());
  frame.push_back(command);
  frame.push_back(static_cast<std::uint8_t>(data.size()));
  frame.insert(frame.end(), data.begin(), data.end());
  std::uint8_t check = 0;
  for (std::size_t i = 6; i < frame.size(); ++i) check ^= frame[i];
  frame.push_back(check);
  return frame;
}

inline float FloatAt(const Bytes& data, std::size_t offset) {
  const std::uint32_t bits = (std::uint32_t{data.at(offset)} << 24) |
                             (std::uint32_t{data.at(offset + 1)} << 16) |
                             (std::uint32_t{data.at(offset + 2)} << 8) | data.at(offset + 3);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

class Master {
 public:
  // `faults`, when given, decides what becomes of each request first.
  explicit Master(SimLine& line, FaultInjector* faults = nullptr) : line_(line), faults_(faults) {}

  // Sends one request at time `now` and returns the reply, or nullopt when no
  // device answered.
  std::optional<Reply> send(const Bytes& address, std::uint8_t command, const Bytes& data = {},
                            TimeMs now = 0) {
    const Bytes request = RequestFrame(address, command, data);
    const std::vector<Bytes> responses =
        line_.receive(request.data(), request.size(), now, faults_);
    if (responses.empty()) return std::nullopt;
    EXPECT_EQ(responses.size(), 1u);
    return Parse(responses[0], address, command);
  }

 private:
  static std::optional<Reply> Parse(const Bytes& frame, const Bytes& address,
                                    std::uint8_t command) {
    const std::size_t start = 5;  // the device sends five preambles
    const std::size_t header = start + 1 + address.size() + 2;
    if (frame.size() < header + 3) {
      ADD_FAILURE() << "response of " << frame.size() << " bytes";
      return std::nullopt;
    }
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + start), Bytes(start, 0xFF));
    EXPECT_EQ(frame[start], address.size() == 1 ? 0x06 : 0x86);
    EXPECT_EQ(Bytes(frame.begin() + start + 1, frame.begin() + start + 1 + address.size()),
              address);
    EXPECT_EQ(frame[header - 2], command);
    EXPECT_EQ(frame[header - 1] + header + 1, frame.size()) << "byte count";
    std::uint8_t check = 0;
    for (std::size_t i = start; i + 1 < frame.size(); ++i) check ^= frame[i];
    EXPECT_EQ(frame.back(), check) << "check byte";
    return Reply{frame[header], frame[header + 1],
                 Bytes(frame.begin() + header + 2, frame.end() - 1)};
  }

  SimLine& line_;
  FaultInjector* faults_;
};

}  // namespace vantrel::sim::testing
