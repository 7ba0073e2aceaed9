// The device search, on time the test moves: probe slots, attribution of
// replies, progress values, the report and the polling-address list.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/engine/EngineFakes.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::EngineHarness;

// Answers command-0 probes for the addresses in `devices` after `delayMs`.
struct SearchRun {
  EngineHarness h;
  std::set<int> devices;
  // Addresses that answer with a communication-error reply without data.
  std::set<int> nameless;
  TimeMs delayMs = 100;
  std::vector<int> probed;

  // Moves the time in 50 ms steps until the report is shown (or 30 s).
  void run() {
    std::size_t seen = h.port.writes.size();
    std::vector<std::pair<TimeMs, int>> answers;
    const TimeMs end = h.now + 30000;
    while (h.now < end && h.effects.reports.empty()) {
      h.now += 50;
      for (auto it = answers.begin(); it != answers.end();) {
        if (it->first <= h.now) {
          const bool named = !nameless.count(it->second);
          const Bytes frame =
              testing::ResponseFrame(0x06, {static_cast<std::uint8_t>(0x80 | it->second)}, 0,
                                     named ? 0 : 0x88, named ? testing::IdentityData() : Bytes{});
          Bytes line(5, 0xFF);
          line.insert(line.end(), frame.begin(), frame.end());
          h.link.receiveBytes(line.data(), line.size(), h.now);
          it = answers.erase(it);
        } else {
          ++it;
        }
      }
      if (const auto due = h.engine.nextDeadline(); due && *due <= h.now) {
        h.engine.handleDeadline(h.now);
      }
      while (seen < h.port.writes.size()) {
        const int address = testing::FrameBody(h.port.writes[seen++])[1] & 0x3F;
        probed.push_back(address);
        if (devices.count(address) || nameless.count(address)) {
          answers.emplace_back(h.now + delayMs, address);
        }
      }
    }
  }
};

TEST(DeviceSearch, FindsDevicesAndListsThemInTextOrder) {
  SearchRun s;
  s.devices = {2, 10};
  const TimeMs start = s.h.now;
  s.h.start(OP_SEARCH, 7);
  EXPECT_EQ(s.h.effects.statusTexts, std::vector<std::string>{"正在搜索"});
  s.run();

  ASSERT_EQ(s.h.effects.reports.size(), 1u);
  EXPECT_EQ(s.h.effects.reports[0], "搜索到在线设备：2 10 ");
  ASSERT_EQ(s.h.effects.refills.size(), 1u);
  EXPECT_EQ(s.h.effects.refills[0], (std::vector<PollAddressItem>{{"10 ", 10}, {"2 ", 2}}));
  EXPECT_EQ(s.probed, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
  std::vector<int> expected = {6};
  for (int p = 12; p <= 96; p += 6) expected.push_back(p);
  EXPECT_EQ(s.h.effects.progress, expected);
  EXPECT_NEAR(static_cast<double>(s.h.now - start), 15000.0, 100.0);
  EXPECT_TRUE(s.h.engine.searchActive());

  s.h.closeReport();
  EXPECT_EQ(s.h.effects.lastProgress(), 100);
  EXPECT_EQ(s.h.effects.lastStatus(), "搜索完成");
  EXPECT_FALSE(s.h.engine.searchActive());
  EXPECT_EQ(s.h.engine.foundAddresses(), (std::vector<std::uint8_t>{2, 10}));
}

// A reply without an identity is asked again, as a damaged reply is; an
// address that never says who it is is not listed.
TEST(DeviceSearch, AReplyWithoutIdentityIsTriedAgainAndNotListed) {
  SearchRun s;
  s.devices = {2};
  s.nameless = {1};
  s.h.start(OP_SEARCH, 0);
  s.run();
  ASSERT_EQ(s.h.effects.reports.size(), 1u);
  EXPECT_EQ(s.h.effects.reports[0], "搜索到在线设备：2 ");
  EXPECT_EQ(std::count(s.probed.begin(), s.probed.end(), 1), 1 + LinkTiming{}.retries);
  EXPECT_EQ(std::count(s.probed.begin(), s.probed.end(), 2), 1);
}

TEST(DeviceSearch, AddressFifteenIsNeverProbed) {
  SearchRun s;
  s.devices = {15};
  s.h.startSearch();
  s.run();
  EXPECT_EQ(s.h.effects.reports[0], "搜索到在线设备：");
  EXPECT_EQ(s.h.effects.refills[0], std::vector<PollAddressItem>{});
}

TEST(DeviceSearch, LateReplyMarksNothingAndTheNextAddressIsStillProbed) {
  SearchRun s;
  s.devices = {3, 4};
  s.delayMs = 700;  // after the slot of its address has ended
  s.h.startSearch();
  s.run();
  EXPECT_EQ(s.h.effects.reports[0], "搜索到在线设备：");
  EXPECT_EQ(s.probed.size(), 15u);
  EXPECT_EQ(s.probed[4], 4);
}

TEST(DeviceSearch, ClosedPortFailsAtOnce) {
  EngineHarness h;
  h.port.opened = false;
  h.startSearch();
  ASSERT_EQ(h.effects.messages.size(), 1u);
  EXPECT_EQ(h.effects.messages[0].second, "HART端口未打开！");
  EXPECT_EQ(h.effects.lastProgress(), 0);
  EXPECT_EQ(h.effects.lastStatus(), "搜索失败");
  EXPECT_FALSE(h.engine.searchActive());
  EXPECT_FALSE(h.engine.nextDeadline());
}

TEST(DeviceSearch, SearchAgainRestartsFromAddressZero) {
  SearchRun s;
  s.devices = {1};
  s.h.startSearch();
  s.h.advance(500);
  s.h.advance(500);
  s.h.advance(500);  // address 1's slot
  s.h.startSearch();
  s.run();
  ASSERT_FALSE(s.probed.empty());
  EXPECT_EQ(s.probed.front(), 0);
  EXPECT_EQ(s.h.effects.reports.size(), 1u);
  EXPECT_EQ(s.h.effects.reports[0], "搜索到在线设备：1 ");
}

TEST(DeviceSearch, AnotherOperationEndsTheSearch) {
  EngineHarness h;
  h.engine.setTiming({400, 0, 1200});  // the operation's own tries are not the point here
  h.startSearch();
  h.advance(500);
  h.start(OP_READ_CURRENT, 0);
  EXPECT_FALSE(h.engine.searchActive());
  // It ends with its report of what it found so far, and "搜索完成".
  ASSERT_EQ(h.effects.reports.size(), 1u);
  EXPECT_EQ(h.effects.reports[0], "搜索已中断\n搜索到在线设备：");
  ASSERT_FALSE(h.effects.ends.empty());
  EXPECT_EQ(h.effects.ends[0].op, OP_SEARCH);
  EXPECT_EQ(h.effects.ends[0].result, OperationResult::Success);
  EXPECT_EQ(h.effects.statusTexts.back(), "搜索完成");
  const std::size_t writes = h.port.writes.size();
  h.advance(2000);
  EXPECT_EQ(h.port.writes.size(), writes);
}

TEST(DeviceSearch, AcquisitionDoesNotInterruptTheSearch) {
  EngineHarness h;
  h.startSearch();
  EXPECT_FALSE(h.pollTick(0));
  EXPECT_TRUE(h.engine.searchActive());
}

}  // namespace
}  // namespace vantrel
