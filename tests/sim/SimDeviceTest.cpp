// The simulated instrument's request parser and responses, byte for byte.
#include <gtest/gtest.h>

#include "sim/SimLine.h"

namespace vantrel::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kCommand0To0 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02,
                            0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF};

std::vector<Bytes> Feed(SimLine& line, const Bytes& bytes) {
  return line.receive(bytes.data(), bytes.size());
}

TEST(SimDevice, AnswersCommand0WithTwelveByteIdentity) {
  SimLine line({DefaultDeviceConfig(0)});
  const std::vector<Bytes> responses = Feed(line, kCommand0To0);
  ASSERT_EQ(responses.size(), 1u);
  const Bytes expected = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // preambles
                          0x06, 0x80, 0x00, 0x0E,        // ACK, address, cmd 0, 14 bytes
                          0x00, 0x00,                    // response code, status
                          0xFE, 0x5A, 0x10, 0x05, 0x05, 0x01, 0x01,  // 254, manufacturer, type, ...
                          0x01, 0x00, 0x01, 0x02, 0x03,              // flags, device id
                          0x00};
  Bytes withCheck = expected;
  std::uint8_t check = 0;
  for (std::size_t i = 5; i + 1 < withCheck.size(); ++i) check ^= withCheck[i];
  withCheck.back() = check;
  EXPECT_EQ(responses[0], withCheck);
}

struct AddressCase {
  const char* name;
  Bytes request;
  bool answered;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const AddressCase& c, std::ostream* os) {
  *os << c.name;
}

const AddressCase kAddressCases[] = {
    {"ShortToOwnAddress", {0xFF, 0xFF, 0x02, 0x87, 0x00, 0x00, 0x85}, true},
    {"ShortToOtherAddress", {0xFF, 0xFF, 0x02, 0x86, 0x00, 0x00, 0x84}, false},
    {"LongToOwnAddress", {0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02, 0x0A, 0x00, 0x00, 0x01}, true},
    {"LongToOtherDevice",
     {0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x00, 0x00, 0x08},
     false},
    {"BadCheckByteIgnored", {0xFF, 0xFF, 0x02, 0x87, 0x00, 0x00, 0x84}, false},
    {"OnePreambleIgnored", {0x00, 0xFF, 0x02, 0x87, 0x00, 0x00, 0x85}, false},
    {"ResponseFromAnotherSlaveIgnored", {0xFF, 0xFF, 0x06, 0x87, 0x00, 0x00, 0x81}, false},
};

class SimAddressing : public ::testing::TestWithParam<AddressCase> {};

TEST_P(SimAddressing, AnswersOnlyFramesForItself) {
  SimLine line({DefaultDeviceConfig(7)});  // device id 01 02 0A
  EXPECT_EQ(Feed(line, GetParam().request).size(), GetParam().answered ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Frames, SimAddressing, ::testing::ValuesIn(kAddressCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimDevice, LongRequestGetsLongResponseWithSameAddress) {
  SimLine line({DefaultDeviceConfig(0)});
  const Bytes request = {0xFF, 0xFF, 0x82, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x00, 0x00, 0x08};
  const std::vector<Bytes> responses = Feed(line, request);
  ASSERT_EQ(responses.size(), 1u);
  const Bytes& r = responses[0];
  EXPECT_EQ(r[5], 0x86);
  EXPECT_EQ(Bytes(r.begin() + 6, r.begin() + 11), (Bytes{0x9A, 0x10, 0x01, 0x02, 0x03}));
}

TEST(SimDevice, UnknownCommandGetsResponseCode64AndNoData) {
  SimLine line({DefaultDeviceConfig(0)});
  const std::vector<Bytes> responses =
      Feed(line, {0xFF, 0xFF, 0x02, 0x80, 0xFA, 0x00, 0x78});  // command 250
  ASSERT_EQ(responses.size(), 1u);
  const Bytes& r = responses[0];
  EXPECT_EQ(r[7], 0xFA);
  EXPECT_EQ(r[8], 2);   // byte count: the two status bytes only
  EXPECT_EQ(r[9], 64);  // command not implemented
  EXPECT_EQ(r.size(), 5u + 6u + 1u);
}

TEST(SimDevice, RequestSplitAcrossCallsAndBackToBack) {
  SimLine line({DefaultDeviceConfig(0)});
  Bytes two = kCommand0To0;
  two.insert(two.end(), kCommand0To0.begin(), kCommand0To0.end());
  std::size_t answered = 0;
  for (std::uint8_t byte : two) answered += line.receive(&byte, 1).size();
  EXPECT_EQ(answered, 2u);
}

}  // namespace
}  // namespace vantrel::sim
