// The --devices list of vantrel-sim.
#include <gtest/gtest.h>

#include "sim/DeviceList.h"

namespace vantrel::sim {
namespace {

struct ListCase {
  const char* text;
  std::optional<std::vector<std::uint8_t>> addresses;
};

void PrintTo(const ListCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class PollAddressList : public ::testing::TestWithParam<ListCase> {};

TEST_P(PollAddressList, Parses) {
  EXPECT_EQ(ParsePollAddressList(GetParam().text), GetParam().addresses);
}

const ListCase kLists[] = {
    {"0", std::vector<std::uint8_t>{0}},
    {"0,5", std::vector<std::uint8_t>{0, 5}},
    {"63,1,07", std::vector<std::uint8_t>{63, 1, 7}},
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
};
INSTANTIATE_TEST_SUITE_P(Texts, PollAddressList, ::testing::ValuesIn(kLists));

}  // namespace
}  // namespace vantrel::sim
