// The --devices list and the --additional-status bytes of vantrel-sim.
#include <gtest/gtest.h>

#include "sim/DeviceList.h"

namespace vantrel::sim {
namespace {

using Entries = std::vector<DeviceEntry>;

constexpr DeviceKind kHart6{6, DeviceVariant::Family};
constexpr DeviceKind kHart7{7, DeviceVariant::Family};
constexpr DeviceKind kHart7Flow{7, DeviceVariant::Flow};
constexpr DeviceKind kHart5Foreign{5, DeviceVariant::Foreign};

struct ListCase {
  const char* text;
  std::optional<Entries> entries;
};

void PrintTo(const ListCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class DeviceList : public ::testing::TestWithParam<ListCase> {};

TEST_P(DeviceList, Parses) {
  EXPECT_EQ(ParseDeviceList(GetParam().text), GetParam().entries);
}

const ListCase kLists[] = {
    {"0", Entries{{0, {}}}},
    {"0,5", Entries{{0, {}}, {5, {}}}},
    {"63,1,07", Entries{{63, {}}, {1, {}}, {7, {}}}},
    {"0,40:hart7,5:hart7:flow", Entries{{0, {}}, {40, kHart7}, {5, kHart7Flow}}},
    {"3:hart5", Entries{{3, DeviceKind{}}}},
    {"3:hart6,4:hart5:foreign", Entries{{3, kHart6}, {4, kHart5Foreign}}},
    {"", std::nullopt},
    {"64", std::nullopt},
    {"100", std::nullopt},
    {"0,,5", std::nullopt},
    {"0,", std::nullopt},
    {",0", std::nullopt},
    {"0, 5", std::nullopt},
    {"-1", std::nullopt},
    {"+1", std::nullopt},
    {"5,5", std::nullopt},
    {"0x3", std::nullopt},
    {"0:", std::nullopt},
    {"0:hart4", std::nullopt},
    {"0:HART7", std::nullopt},
    {"0:hart7:", std::nullopt},
    {"0:hart7:gas", std::nullopt},
    {"0:flow", std::nullopt},
    {"0::flow", std::nullopt},
    {"0:hart7:flow:x", std::nullopt},
    {":hart7", std::nullopt},
    {"5:hart6,5:hart7", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Texts, DeviceList, ::testing::ValuesIn(kLists));

struct StatusCase {
  const char* text;
  std::optional<std::vector<std::uint8_t>> bytes;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class StatusBytes : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusBytes, Parses) {
  EXPECT_EQ(ParseStatusBytes(GetParam().text), GetParam().bytes);
}

const StatusCase kStatusTexts[] = {
    {"000000000000030001",
     std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01}},
    {"aBf0", std::vector<std::uint8_t>{0xAB, 0xF0}},
    {"01", std::vector<std::uint8_t>{0x01}},
    {"00000000000000000000000000000000000000000000000001",  // 25 bytes
     [] {
       std::vector<std::uint8_t> bytes(25, 0x00);
       bytes.back() = 0x01;
       return bytes;
     }()},
    {"0000000000000000000000000000000000000000000000000000", std::nullopt},  // 26 bytes
    {"", std::nullopt},
    {"0", std::nullopt},
    {"0x01", std::nullopt},
    {"00 01", std::nullopt},
    {"0g", std::nullopt},
    {"-1", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Texts, StatusBytes, ::testing::ValuesIn(kStatusTexts));

}  // namespace
}  // namespace vantrel::sim
