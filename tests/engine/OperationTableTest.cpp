// The operation table as a whole: what each row may send and how the
// command line names it.
#include <gtest/gtest.h>

#include <set>

#include "engine/OperationTable.h"

namespace vantrel {
namespace {

// The current trims and the calibrations act on what the instrument measures
// when the request arrives: they must not reach it twice. Every read and
// plain write may.
TEST(OperationTable, OnlyTrimsAndCalibrationsAreSentOnce) {
  const std::set<int> once = {
      OP_CALIBRATE_CURRENT, OP_CALIBRATE_RESISTANCE, OP_CALIBRATE_50MV, OP_CALIBRATE_0MV,
      OP_CALIBRATE_LOW,     OP_CALIBRATE_HIGH,       OP_CALIBRATE_MID,  OP_CLEAR_ZERO};
  for (int code = kFirstOperation; code <= kLastOperation; ++code) {
    const auto op = static_cast<OperationCode>(code);
    EXPECT_EQ(MaySendTwice(op), once.count(code) == 0) << OperationWord(op);
  }
}

// Every row: its word names it on the command line, and every request it
// sends is a command of the command table with a fixed request size (the
// byte count comes from there).
TEST(OperationTable, WordsAndCommandsOfEveryRow) {
  std::set<std::string_view> words;
  for (int code = kFirstOperation; code <= kLastOperation; ++code) {
    const auto op = static_cast<OperationCode>(code);
    const OperationRow& row = OperationRowOf(op);
    EXPECT_EQ(row.code, op);
    EXPECT_EQ(OperationFromWord(row.word), op) << row.word;
    EXPECT_TRUE(words.insert(row.word).second) << row.word;
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
      const HartCommandInfo* info = FindHartCommand(row.steps[i].command);
      ASSERT_NE(info, nullptr) << row.word << " request " << i + 1;
      EXPECT_NE(info->requestBytes, kVariableSize) << row.word << " request " << i + 1;
    }
  }
  EXPECT_EQ(OperationFromWord("read"), std::nullopt);
  EXPECT_EQ(OperationWord(static_cast<OperationCode>(0)), "");
}

// The classes of what an operation sends follow from its steps: command 0
// is universal, the range and current commands common practice, the
// family's calibrations its own.
TEST(OperationTable, CommandClassesFollowFromTheSteps) {
  constexpr unsigned kU = static_cast<unsigned>(CommandClass::Universal);
  constexpr unsigned kC = static_cast<unsigned>(CommandClass::CommonPractice);
  constexpr unsigned kF = static_cast<unsigned>(CommandClass::FamilySpecific);
  const std::pair<OperationCode, unsigned> rows[] = {
      {OP_COMM_TEST, kU},          {OP_SEARCH, kU},
      {OP_READ_DEVICE_INFO, kU},   {OP_WRITE_CONFIG, kC | kU},
      {OP_FIXED_CURRENT, kU | kC}, {OP_READ_RESISTANCE, kU | kC},
      {OP_CALIBRATE_LOW, kU | kF}, {OP_READ_SENSOR_CONFIG, kU | kF},
      {OP_POLL, kU | kF},
  };
  for (const auto& [op, classes] : rows)
    EXPECT_EQ(CommandClassesOf(op), classes) << OperationWord(op);
}

}  // namespace
}  // namespace vantrel
