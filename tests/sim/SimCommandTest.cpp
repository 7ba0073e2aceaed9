// The simulated instrument's reply to every command the program sends, byte
// for byte, and the error replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "sim/DeviceList.h"
#include "tests/sim/SimMaster.h"

namespace vantrel::sim::testing {
namespace {

struct CommandCase {
  const char* name;
  std::uint8_t command;
  Bytes request;
  std::uint8_t responseCode;
  Bytes reply;  // the data after the two status bytes
  // The device asked; none: the family's HART 5 instrument.
  std::optional<DeviceKind> kind = std::nullopt;
  std::uint8_t status = 0;  // the field device status of the reply
};

constexpr DeviceKind kHart6{6, DeviceVariant::Family};
constexpr DeviceKind kHart7{7, DeviceVariant::Family};
constexpr DeviceKind kHart5Flow{5, DeviceVariant::Flow};
constexpr DeviceKind kHart6Flow{6, DeviceVariant::Flow};
constexpr DeviceKind kHart7Flow{7, DeviceVariant::Flow};
constexpr DeviceKind kHart5Foreign{5, DeviceVariant::Foreign};
constexpr DeviceKind kHart7Foreign{7, DeviceVariant::Foreign};

SimDeviceConfig ConfigOf(const std::optional<DeviceKind>& kind) {
  return kind ? KindDeviceConfig(0, *kind) : DefaultDeviceConfig(0);
}

// Commands whose request grew with the revisions: later ones send more than
// the table's fewest bytes.
bool RequestGrows(std::uint8_t command) {
  return command == CMD_WRITE_POLLING_ADDRESS || command == CMD_RESET_CONFIGURATION_CHANGED ||
         command == CMD_READ_ADDITIONAL_STATUS;
}

void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<CommandCase>& info) {
  return info.param.name;
}

class SimCommand : public ::testing::TestWithParam<CommandCase> {
 protected:
  // A fresh device of the case's kind at polling address 0, asked over its
  // long address at t = 0.
  std::optional<Reply> ask() {
    return master.send(LongAddressOf(config), GetParam().command, GetParam().request);
  }
  SimDeviceConfig config = ConfigOf(GetParam().kind);
  SimLine line{{config}};
  Master master{line};
};

// Each reply byte for byte; and where the command table gives the sizes of
// a command the program sends, the device agrees with them: a full request
// is served with a reply of the table's size, a shorter one gets code 5.
TEST_P(SimCommand, RepliesWithExactBytes) {
  const CommandCase& c = GetParam();
  const std::optional<Reply> reply = ask();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->responseCode, c.responseCode);
  EXPECT_EQ(reply->status, c.status);
  EXPECT_EQ(reply->data, c.reply);

  const HartCommandInfo* info = FindHartCommand(c.command);
  if (!info) return;
  const int requestBytes = static_cast<int>(c.request.size());
  if (c.responseCode == RC_SUCCESS) {
    if (RequestGrows(c.command)) {
      EXPECT_GE(requestBytes, info->requestBytes) << info->constantName;
    } else {
      EXPECT_EQ(requestBytes, info->requestBytes) << info->constantName;
    }
    if (info->replyBytes != kVariableSize) {
      EXPECT_EQ(static_cast<int>(c.reply.size()), info->replyBytes) << info->constantName;
    }
  } else if (c.responseCode == RC_TOO_FEW_DATA_BYTES && !RequestGrows(c.command)) {
    EXPECT_LT(requestBytes, info->requestBytes) << info->constantName;
  }
}

// The family's devices serve every command of the table, but for the long
// tag and squawk on HART 5; the other makers' every command but the family's.
TEST(SimCommands, EveryCommandOfTheTableIsImplemented) {
  const std::uint8_t kFromHart6[] = {CMD_READ_LONG_TAG, CMD_WRITE_LONG_TAG, CMD_SQUAWK};
  for (const std::optional<DeviceKind>& kind :
       {std::optional<DeviceKind>(), std::optional<DeviceKind>(kHart7),
        std::optional<DeviceKind>(kHart5Foreign), std::optional<DeviceKind>(kHart7Flow)}) {
    const SimDeviceConfig config = ConfigOf(kind);
    SimLine line({config});
    Master master(line);
    const int revision = kind ? kind->revision : 5;
    const bool family = !kind || kind->variant == DeviceVariant::Family;
    for (const HartCommandInfo& info : HartCommandTable()) {
      const std::optional<Reply> reply = master.send(LongAddressOf(config), info.number);
      ASSERT_TRUE(reply) << info.constantName;
      const bool newer = std::find(std::begin(kFromHart6), std::end(kFromHart6), info.number) !=
                         std::end(kFromHart6);
      const bool absent =
          (revision < 6 && newer) || (!family && info.commandClass == CommandClass::FamilySpecific);
      EXPECT_EQ(reply->responseCode == RC_COMMAND_NOT_IMPLEMENTED, absent)
          << info.constantName << " at HART " << revision << (family ? "" : ", another maker's");
    }
  }
}

// What a fresh device reports at t = 0: 50 kPa on a 0-100 kPa range, 25 °C,
// Pt100 sensor, gain x1, and its default tag, descriptor and message.
const CommandCase kReads[] = {
    {"Identity",
     0,
     {},
     0,
     {0xFE, 0x5A, 0x10, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03}},
    {"Message", 12, {}, 0, {0x58, 0x13, 0x94, 0x48, 0x53, 0x20, 0x4C, 0x93,
                            0x55, 0x30, 0x15, 0x05, 0x12, 0x02, 0x4E, 0x4D,
                            0x44, 0x95, 0x34, 0x53, 0x94, 0x82, 0x08, 0x20}},
    {"TagDescriptorDate", 13, {}, 0, {0x41, 0x4B, 0x70, 0xC2, 0x08, 0x20,  // PT-00
                                      0x4C, 0x93, 0x55, 0x30, 0x15, 0x05,
                                      0x12, 0x04, 0x14, 0x82, 0x08, 0x20,  // SIMULATED PT
                                      0x01, 0x01, 0x7C}},                  // 1 Jan 2024
    {"OutputInformation",
     15,
     {},
     0,
     {0x00, 0x00, 0x0C, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00,
      0x00, 0x5A}},
    {"SensorType", 114, {}, 0, {0x08}},
    {"Offset", 117, {}, 0, {0x00, 0x00}},
    {"ReferenceCounts", 119, {0xAA, 0x55}, 0, {0x00, 0x0C, 0x35, 0x00, 0x00, 0x03, 0x0D, 0x40}},
    {"MillivoltsUncalibrated", 120, {0xAA, 0x55}, 0, {0x00, 0x00, 0x00, 0x15}},  // 20.7 mV
    {"Gain", 133, {}, 0, {0x00}},
    {"PressureCode", 135, {}, 0, {0x00, 0x80, 0xC3, 0x50}},  // 0x800000 + 50000
};
INSTANTIATE_TEST_SUITE_P(Reads, SimCommand, ::testing::ValuesIn(kReads), CaseName);

// Writes that the program judges by an exact echo.
const CommandCase kEchoes[] = {
    {"PollingAddress", 6, {0x03}, 0, {0x03}},
    {"Message", 17, Bytes(24, 0x20), 0, Bytes(24, 0x20)},
    {"TagDescriptorDate",
     18,
     {0x04, 0x28, 0x20, 0x82, 0x08, 0x20, 0x30, 0xF3, 0xD0, 0x83, 0x78,
      0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x1F, 0x0C, 0x7C},
     0,
     {0x04, 0x28, 0x20, 0x82, 0x08, 0x20, 0x30, 0xF3, 0xD0, 0x83, 0x78,
      0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x1F, 0x0C, 0x7C}},
    {"Damping", 34, {0x3F, 0x80, 0x00, 0x00}, 0, {0x3F, 0x80, 0x00, 0x00}},
    {"Range",
     35,
     {0x0C, 0x43, 0x48, 0x00, 0x00, 0xC2, 0x48, 0x00, 0x00},
     0,
     {0x0C, 0x43, 0x48, 0x00, 0x00, 0xC2, 0x48, 0x00, 0x00}},
    {"FixedCurrentExit", 40, {0x00, 0x00, 0x00, 0x00}, 0, {0x00, 0x00, 0x00, 0x00}},
    {"TrimZero", 45, {0x40, 0x82, 0x8F, 0x5C}, 0, {0x40, 0x82, 0x8F, 0x5C}},
    {"TrimGain", 46, {0x41, 0x9F, 0xD7, 0x0A}, 0, {0x41, 0x9F, 0xD7, 0x0A}},
    {"ResistanceReferences",
     112,
     {0x00, 0x00, 0x4E, 0x20, 0xFF, 0xFF, 0xFF, 0x9C},
     0,
     {0x00, 0x00, 0x4E, 0x20, 0xFF, 0xFF, 0xFF, 0x9C}},
    {"LongAddress", 113, {0x1B, 0x22, 0x0A, 0x0B, 0x0C}, 0, {0x1B, 0x22, 0x0A, 0x0B, 0x0C}},
    {"SensorType", 115, {0xA5, 0x5A, 0x0B}, 0, {0x0B}},
    {"Offset", 118, {0xFF, 0x9C}, 0, {0xFF, 0x9C}},
    {"Gain", 134, {0x06}, 0, {0x06}},
};
INSTANTIATE_TEST_SUITE_P(Echoes, SimCommand, ::testing::ValuesIn(kEchoes), CaseName);

// The calibrations answer with the long address as the program shows it.
const Bytes kShownAddress = {0x5A, 0x10, 0x01, 0x02, 0x03};
const CommandCase kCalibrations[] = {
    {"SetPvZero", 43, {}, 0, kShownAddress},
    {"FiftyMillivolts", 116, {0xAA, 0x55}, 0, kShownAddress},
    {"ZeroMillivolts", 116, {0x55, 0xAA}, 0, kShownAddress},
    {"HighEnd", 130, {0x0C, 0x42, 0xC8, 0x00, 0x00}, 0, kShownAddress},
    {"LowEnd", 131, {0x0C, 0x00, 0x00, 0x00, 0x00}, 0, kShownAddress},
    {"MidPoint", 132, {0x0C, 0x42, 0x50, 0x00, 0x00}, 0, kShownAddress},
};
INSTANTIATE_TEST_SUITE_P(Calibrations, SimCommand, ::testing::ValuesIn(kCalibrations), CaseName);

// Command 0 of each kind: the revision's layout and the kind's identity.
const CommandCase kIdentities[] = {
    {"Hart6",
     0,
     {},
     0,
     {0xFE, 0x5A, 0x11, 0x05, 0x06, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03, 0x05, 0x04, 0x00,
      0x01, 0x00},
     kHart6},
    {"Hart7",
     0,
     {},
     0,
     {0xFE, 0x5A, 0x12, 0x05, 0x07, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02,
      0x03, 0x05, 0x04, 0x00, 0x01, 0x00, 0x00, 0x5A, 0x00, 0x00, 0x00},
     kHart7},
    {"Hart5Flow",
     0,
     {},
     0,
     {0xFE, 0x3E, 0x20, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03},
     kHart5Flow},
    {"Hart6Flow",
     0,
     {},
     0,
     {0xFE, 0x3E, 0x21, 0x05, 0x06, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03, 0x05, 0x04, 0x00,
      0x01, 0x00},
     kHart6Flow},
    {"Hart7Flow",
     0,
     {},
     0,
     {0xFE, 0xE1, 0x2C, 0x05, 0x07, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02,
      0x03, 0x05, 0x04, 0x00, 0x01, 0x00, 0x60, 0xA5, 0x00, 0x00, 0x00},
     kHart7Flow},
    {"Hart5Foreign",
     0,
     {},
     0,
     {0xFE, 0x26, 0x30, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03},
     kHart5Foreign},
    {"Hart7Foreign",
     0,
     {},
     0,
     {0xFE, 0xE1, 0x30, 0x05, 0x07, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02,
      0x03, 0x05, 0x04, 0x00, 0x01, 0x00, 0x60, 0x26, 0x00, 0x00, 0x00},
     kHart7Foreign},
};
INSTANTIATE_TEST_SUITE_P(Identities, SimCommand, ::testing::ValuesIn(kIdentities), CaseName);

// "PT-00 SIMULATED" and "FT-00 SIMULATED", NUL-padded to 32 bytes.
Bytes LongTag(char first) {
  Bytes tag(32, 0x00);
  const char text[] = "PT-00 SIMULATED";
  std::copy(std::begin(text), std::end(text) - 1, tag.begin());
  tag[0] = static_cast<std::uint8_t>(first);
  return tag;
}

// Latin-1 bytes above 0x7F and a NUL inside are kept as sent.
const Bytes kWrittenLongTag = {0x44, 0xC9, 0x42, 0x49, 0x54, 0x00, 0x31, 0xFF, 0x20, 0x20, 0x20,
                               0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                               0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00, 0x00, 0x00};

// What the newer revisions and the other makers' devices do differently. A
// successful write sets "configuration changed" (0x40), except on the
// family's HART 5 instrument.
const CommandCase kRevisions[] = {
    {"Hart7PollingAddressLoopCurrentDisabled", 6, {0x28, 0x00}, 0, {0x28, 0x00}, kHart7, 0x40},
    {"Hart7PollingAddressLoopCurrentEnabled", 6, {0x3F, 0x01}, 0, {0x3F, 0x01}, kHart7, 0x40},
    {"Hart7PollingAddressAbove63", 6, {0x40, 0x01}, 2, {}, kHart7},
    {"Hart7LoopCurrentModeUnknown", 6, {0x05, 0x02}, 2, {}, kHart7},
    {"Hart7OneBytePollingAddress", 6, {0x0F}, 0, {0x0F}, kHart7, 0x40},
    {"Hart7OneBytePollingAddress40", 6, {0x28}, 2, {}, kHart7},
    {"Hart5PollingAddress15", 6, {0x0F}, 0, {0x0F}},
    {"Hart5FlowPollingAddress", 6, {0x0F}, 0, {0x0F}, kHart5Flow, 0x40},
    {"Hart7LongTag", 20, {}, 0, LongTag('P'), kHart7},
    {"Hart6FlowLongTag", 20, {}, 0, LongTag('F'), kHart6Flow},
    {"Hart7WriteLongTag", 22, kWrittenLongTag, 0, kWrittenLongTag, kHart7, 0x40},
    {"Hart5ResetConfigurationChanged", 38, {}, 0, {}},
    {"Hart6ResetConfigurationChanged", 38, {}, 0, {}, kHart6},
    {"Hart7ResetConfigurationChanged", 38, {0x00, 0x01}, 0, {0x00, 0x01}, kHart7},
    {"Hart7ResetConfigurationCounterMismatch", 38, {0x00, 0x02}, 9, {}, kHart7},
    {"Hart7ResetConfigurationWithoutCounter", 38, {0x00}, 5, {}, kHart7},
    {"Hart5AdditionalStatus", 48, {}, 0, Bytes(8, 0x00)},
    {"Hart6AdditionalStatus", 48, {}, 0, Bytes(14, 0x00), kHart6},
    {"Hart7AdditionalStatusEchoed", 48, Bytes(14, 0x00), 0, Bytes(14, 0x00), kHart7},
    {"Hart7Squawk", 72, {}, 0, {}, kHart7},
    {"FlowRangeInKgPerHour",
     35,
     {0x4B, 0x45, 0x9C, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00},
     0,
     {0x4B, 0x45, 0x9C, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00},
     kHart7Flow,
     0x40},
    {"ForeignRangeAnyUnits",
     35,
     {0xF0, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     0,
     {0xF0, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     kHart5Foreign,
     0x40},
    // 2500 kg/h on 0-5000 kg/h: 12 mA; 25 °C, 998.2 kg/m3, 2.5045 m3/h.
    {"FlowVariables",
     3,
     {},
     0,
     {0x41, 0x40, 0x00, 0x00, 0x4B, 0x45, 0x1C, 0x40, 0x00, 0x20, 0x41, 0xC8,
      0x00, 0x00, 0x5C, 0x44, 0x79, 0x8C, 0xCD, 0x13, 0x40, 0x20, 0x49, 0xDC},
     kHart7Flow},
    {"FlowOutputInformation",
     15,
     {},
     0,
     {0x00, 0x00, 0x4B, 0x45, 0x9C, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00,
      0x00, 0x3E},
     kHart6Flow},
    // 50 kPa on 0-250 kPa: 7.2 mA, 20 %.
    {"ForeignVariables",
     3,
     {},
     0,
     {0x40, 0xE6, 0x66, 0x66, 0x0C, 0x42, 0x48, 0x00, 0x00, 0x20, 0x41, 0xC8,
      0x00, 0x00, 0x27, 0x40, 0xE6, 0x66, 0x66, 0x39, 0x41, 0xA0, 0x00, 0x00},
     kHart5Foreign},
};
INSTANTIATE_TEST_SUITE_P(Revisions, SimCommand, ::testing::ValuesIn(kRevisions), CaseName);

// Requests the device refuses get an error code and no data.
const Bytes kNaN = {0x7F, 0xC0, 0x00, 0x00};
const CommandCase kRefusals[] = {
    {"PollingAddressAbove63", 6, {0x40}, 2, {}},
    {"Hart5PollingAddress40", 6, {0x28}, 2, {}},
    {"DampingNaN", 34, kNaN, 2, {}},
    {"DampingNegative", 34, {0xBF, 0x80, 0x00, 0x00}, 4, {}},
    {"DampingAbove60s", 34, {0x42, 0x74, 0x00, 0x00}, 3, {}},
    {"RangeUnknownUnits", 35, {0x07, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 2, {}},
    {"RangeWithoutSpan", 35, {0x0C, 0x42, 0x48, 0x00, 0x00, 0x42, 0x48, 0x00, 0x00}, 29, {}},
    {"FixedCurrentNaN", 40, kNaN, 2, {}},
    {"SensorTypeAbove11", 115, {0xA5, 0x5A, 0x0C}, 2, {}},
    {"SensorTypeNoSelection", 115, {0xA5, 0x5A, 0xFF}, 2, {}},
    {"SensorTypeWrongKey", 115, {0x5A, 0xA5, 0x00}, 2, {}},
    {"MillivoltCalibrationWrongKey", 116, {0xAA, 0xAA}, 2, {}},
    {"ReferenceCountsWrongKey", 119, {0x55, 0xAA}, 2, {}},
    {"MillivoltsWrongKey", 120, {0x00, 0x00}, 2, {}},
    {"HighEndInPa", 130, {0x0B, 0x42, 0xC8, 0x00, 0x00}, 2, {}},
    {"LowEndNaN", 131, {0x0C, 0x7F, 0xC0, 0x00, 0x00}, 2, {}},
    // 50 kPa applied: 1000 kPa would need a span of 20, 1 kPa one of 0.02.
    {"HighEndSpanTooLarge", 130, {0x0C, 0x44, 0x7A, 0x00, 0x00}, 10, {}},
    {"HighEndSpanTooSmall", 130, {0x0C, 0x3F, 0x80, 0x00, 0x00}, 9, {}},
    {"MidPointNegativeSpan", 132, {0x0C, 0xC3, 0x48, 0x00, 0x00}, 9, {}},
    {"GainAbove6", 134, {0x07}, 2, {}},
};
INSTANTIATE_TEST_SUITE_P(Refusals, SimCommand, ::testing::ValuesIn(kRefusals), CaseName);

// Each command given one data byte fewer than it needs.
const CommandCase kTooShort[] = {
    {"Cmd6", 6, {}, 5, {}},
    {"Cmd17", 17, Bytes(23, 0x20), 5, {}},
    {"Cmd18", 18, Bytes(20, 0x20), 5, {}},
    {"Cmd34", 34, {0x3F, 0x80, 0x00}, 5, {}},
    {"Cmd35", 35, {0x0C, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00}, 5, {}},
    {"Cmd40", 40, {0x41, 0x48, 0x00}, 5, {}},
    {"Cmd45", 45, {0x40, 0x80, 0x00}, 5, {}},
    {"Cmd46", 46, {}, 5, {}},
    {"Cmd112", 112, Bytes(7, 0x00), 5, {}},
    {"Cmd113", 113, {0x1B, 0x22, 0x0A, 0x0B}, 5, {}},
    {"Cmd115", 115, {0xA5, 0x5A}, 5, {}},
    {"Cmd116", 116, {0xAA}, 5, {}},
    {"Cmd118", 118, {0xFF}, 5, {}},
    {"Cmd119", 119, {}, 5, {}},
    {"Cmd120", 120, {0xAA}, 5, {}},
    {"Cmd130", 130, {0x0C, 0x42, 0xC8, 0x00}, 5, {}},
    {"Cmd131", 131, {0x0C}, 5, {}},
    {"Cmd132", 132, {}, 5, {}},
    {"Cmd134", 134, {}, 5, {}},
};
INSTANTIATE_TEST_SUITE_P(TooFewDataBytes, SimCommand, ::testing::ValuesIn(kTooShort), CaseName);

const CommandCase kUnknown[] = {
    {"Cmd1", 1, {}, 64, {}},
    {"Hart5LongTag", 20, {}, 64, {}},
    {"Hart5WriteLongTag", 22, Bytes(32, 0x41), 64, {}},
    {"Hart5Squawk", 72, {}, 64, {}},
    {"Cmd44", 44, {0x0C}, 64, {}},
    {"Cmd111", 111, {}, 64, {}},
    {"Cmd121", 121, {0xAA, 0x55}, 64, {}},
    {"Cmd136", 136, {}, 64, {}},
};
INSTANTIATE_TEST_SUITE_P(NotImplemented, SimCommand, ::testing::ValuesIn(kUnknown), CaseName);

TEST(SimCommands, RefusedWriteLeavesTheValue) {
  SimLine line({DefaultDeviceConfig(0)});
  Master master(line);
  const Bytes address = LongAddressOf(0);
  master.send(address, 134, {0x02});
  EXPECT_EQ(master.send(address, 134, {0x07})->responseCode, 2);
  EXPECT_EQ(master.send(address, 133)->data, Bytes{0x02});
  EXPECT_EQ(master.send(address, 35, {0x0C, 0x42, 0x48, 0x00, 0x00, 0x42, 0x48, 0x00, 0x00})
                ->responseCode,
            29);
  EXPECT_EQ(FloatAt(master.send(address, 15)->data, 3), 100.0f);
}

// Command 3 and 110 carry the four dynamic variables: PV in its units, SV in
// °C, TV in ohms, QV in mV.
TEST(SimCommands, Command3CarriesLoopCurrentAndFourVariables) {
  SimLine line({DefaultDeviceConfig(0)});
  const std::optional<Reply> reply = Master(line).send(LongAddressOf(0), 3);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->data.size(), 24u);
  const Bytes& d = reply->data;
  EXPECT_EQ(Bytes(d.begin(), d.begin() + 14), (Bytes{0x41, 0x40, 0x00, 0x00,           // 12.0 mA
                                                     0x0C, 0x42, 0x48, 0x00, 0x00,     // 50.0 kPa
                                                     0x20, 0x41, 0xC8, 0x00, 0x00}));  // 25.0 °C
  EXPECT_EQ(d[14], 37);                                                                // ohm
  EXPECT_NEAR(FloatAt(d, 15), 109.73, 0.01);  // Pt100 at 25 °C
  EXPECT_EQ(Bytes(d.begin() + 19, d.end()), (Bytes{36, 0x41, 0xA5, 0x99, 0x9A}));  // 20.7 mV
}

TEST(SimCommands, Command110CarriesFourVariables) {
  SimLine line({DefaultDeviceConfig(0)});
  const std::optional<Reply> reply = Master(line).send(LongAddressOf(0), 110);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->data.size(), 20u);
  const Bytes& d = reply->data;
  EXPECT_EQ(Bytes(d.begin(), d.begin() + 10),
            (Bytes{0x0C, 0x42, 0x48, 0x00, 0x00, 0x20, 0x41, 0xC8, 0x00, 0x00}));
  EXPECT_EQ(d[10], 37);
  EXPECT_NEAR(FloatAt(d, 11), 109.73, 0.01);  // the bytes the program reads as resistance
  EXPECT_EQ(Bytes(d.begin() + 15, d.end()), (Bytes{36, 0x41, 0xA5, 0x99, 0x9A}));
}

}  // namespace
}  // namespace vantrel::sim::testing
