// The instrument's data as the pages show and edit it. The pages copy their
// controls into these members before they start an operation, and copy the
// members into their controls when the engine asks for a refresh; the engine
// reads and writes only this structure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/Instrument.h"

namespace vantrel {

// The fields of the pages, one bit each: the ones an operation's replies
// fill (after it a page shows these and leaves what is being typed elsewhere
// as it is), the ones a write sends, the ones the user has typed. The groups
// are what one operation reads.
enum PageField : unsigned {
  kNoFields = 0,
  // HART settings page.
  kMessageField = 1u << 0,
  kTagField = 1u << 1,
  kDescriptorField = 1u << 2,
  kDateField = 1u << 3,
  kIdentityFields = kMessageField | kTagField | kDescriptorField | kDateField,
  kLongAddressField = 1u << 4,
  // Configuration page.
  kSensorTypeField = 1u << 5,
  kSensorLimitsField = 1u << 6,  // shown from the sensor table
  kSensorFields = kSensorTypeField | kSensorLimitsField,
  kUnitField = 1u << 7,
  kUpperRangeField = 1u << 8,
  kLowerRangeField = 1u << 9,
  kDampingField = 1u << 10,
  kRangeFields = kUnitField | kUpperRangeField | kLowerRangeField | kDampingField,
  kResistanceField = 1u << 11,  // the measured resistance
  kReferenceFields = 1u << 12,  // R_REF and V_REF
  kOffsetField = 1u << 13,      // the offset correction
  kRow1AdmField = 1u << 14,     // the first reference row
  kRow1AdlField = 1u << 15,
  kRow1Fields = kRow1AdmField | kRow1AdlField,
  kRow2AdmField = 1u << 16,  // the second reference row
  kRow2AdlField = 1u << 17,
  kRow2Fields = kRow2AdmField | kRow2AdlField,
  kMillivoltField = 1u << 18,     // the measured millivolts
  kGainField = 1u << 19,          // the amplification factor
  kPressureCodeField = 1u << 20,  // the raw pressure code
  // HART settings page, HART 6 and 7 instruments.
  kLongTagField = 1u << 21,
  // The additional device status last read, which an acknowledgement echoes.
  kStatusField = 1u << 22,
};

constexpr unsigned kAllPageFields = (kStatusField << 1) - 1;

// Which polling addresses a search probes and how. The menu's search is the
// default: 0 to 14, one second each, every address.
struct SearchPlan {
  std::uint8_t from = 0;
  std::uint8_t to = 14;
  // One probe per address, an empty one given up one slave time-out after
  // the probe's last byte, instead of the two half-second waits.
  bool fast = false;
  bool stopAtFirst = false;  // ends at the first instrument found
};

// The polling addresses a search can probe and HART 6 and 7 take: 0 to 63;
// HART 5 takes 0 to 15.
constexpr std::uint8_t kLastPollAddress = 63;
constexpr std::uint8_t kLastHart5PollAddress = 15;

struct DeviceData {
  // --- main view ---
  float loopCurrent = 0.0f;        // mA
  float percentOfRange = 0.0f;     // of the fixed 4-20 mA span
  float primaryVariable = 0.0f;    // in pvUnitCode
  std::string pvText;              // "%.4f" and the unit's display text
  std::string svText;              // "%.2f", with a unit for temperature codes only
  LongAddressBytes longAddress{};  // manufacturer byte as received, type, id
  bool acquiring = false;
  float calibrationPoint = 0.0f;  // mA, chosen on the current page
  float actualCurrent = 0.0f;     // mA, measured by the engineer

  // --- HART settings page ---
  std::string tag;         // up to 8 characters
  std::string descriptor;  // up to 16 characters
  std::string message;     // up to 32 characters
  CalendarDate date{2000, 1, 1};
  std::uint8_t newPollAddress = 0;
  std::string longAddressText;  // "0x5a 0x10 0x01 0x02 0x03"

  // --- configuration page ---
  int sensorTypeIndex = -1;  // -1: nothing selected
  std::string sensorLowerText;
  std::string sensorUpperText;
  float resistance = 0.0f;
  std::string row1AdmText, row1AdlText;  // first reference row
  std::string row2AdmText, row2AdlText;  // second reference row
  std::string rRefText, vRefText;
  int unitIndex = -1;  // -1: nothing selected
  std::string upperRangeText;
  std::string lowerRangeText;
  std::string dampingText;
  std::string offsetText;  // ℃
  std::string millivoltText;
  float lowPressure = 0.0f;   // kPa
  float highPressure = 0.0f;  // kPa
  float midPressure = 0.0f;   // kPa
  int gainIndex = -1;         // -1: nothing selected
  std::int32_t pressureCode = 0;

  // --- what every HART 6 and 7 instrument adds ---
  std::string longTag;  // up to 32 ISO Latin-1 characters, held as UTF-8
  // The loop-current mode a polling-address write sends to a HART 6 or 7
  // instrument; none: enabled at address 0, disabled at any other.
  std::optional<bool> loopCurrentEnabled;
  // The data of the last command-48 reply, as received; an acknowledgement
  // echoes it.
  std::vector<std::uint8_t> additionalStatus;
  std::uint8_t additionalStatusRevision = 0;  // the HART revision it was read under
  // The configuration-change counter command 38 last answered with.
  std::optional<std::uint16_t> configChangeCounter;
  // The units codes of command 3's first two variables and of command 15's
  // range, whatever table they are in.
  std::uint8_t pvUnitCode = 0;
  std::uint8_t svUnitCode = 0;
  // The range's units code as read, or as chosen from a list other than the
  // family's ten; -1 for none. A range write sends unitIndex's code when it
  // is one of the ten, else this one.
  int unitCode = -1;
  SearchPlan search;  // the next search's addresses and pace

  // --- as the instrument sent them, for saving its configuration ---
  // The pages show rounded texts ("%.1f" shows 0.25 as "0.2"); these keep the
  // values of the last replies exactly.
  std::uint8_t hartRevision = 0;  // universal command revision of the last command-0 reply
  float upperRange = 0.0f;        // command 15, in the unit of unitIndex
  float lowerRange = 0.0f;
  float damping = 0.0f;           // s
  std::int16_t offsetTenths = 0;  // the offset correction, in tenths of a degree

  // --- which instrument the values belong to ---
  // The instrument the last command-0 reply named; none before the first
  // reply and after the port closes.
  std::optional<Instrument> instrument;
  // The instrument whose replies filled the page fields `readFields`
  // (PageField bits) in this run; `typedFields` are the ones the user has
  // typed or chosen since, which belong to no instrument.
  std::optional<Instrument> valuesFrom;
  unsigned readFields = kNoFields;
  unsigned typedFields = kNoFields;
};

// The loop-current mode byte a polling-address write sends to a HART 6 or 7
// instrument: 1 enabled, 0 disabled (see DeviceData::loopCurrentEnabled).
std::uint8_t LoopCurrentModeByte(const DeviceData& data);

// Empties the page fields `fields` (PageField bits) as a fresh start leaves
// them, and forgets that they were read or typed.
void ClearFields(DeviceData& data, unsigned fields);

// The fields of `fields` whose values came from an instrument other than
// `connected` and were not typed since.
unsigned FieldsFromOtherInstrument(const DeviceData& data, unsigned fields,
                                   const Instrument& connected);

}  // namespace vantrel
