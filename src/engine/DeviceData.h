// The instrument's data as the pages show and edit it. The pages copy their
// controls into these members before they start an operation, and copy the
// members into their controls when the engine asks for a refresh; the engine
// reads and writes only this structure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

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
  kMillivoltField = 1u << 18,    // the measured millivolts
  kGainField = 1u << 19,         // the amplification factor
  kPressureCodeField = 1u << 20  // the raw pressure code
};

constexpr unsigned kAllPageFields = (kPressureCodeField << 1) - 1;

struct DeviceData {
  // --- main view ---
  float loopCurrent = 0.0f;        // mA
  float percentOfRange = 0.0f;     // of the fixed 4-20 mA span
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

// Empties the page fields `fields` (PageField bits) as a fresh start leaves
// them, and forgets that they were read or typed.
void ClearFields(DeviceData& data, unsigned fields);

// The fields of `fields` whose values came from an instrument other than
// `connected` and were not typed since.
unsigned FieldsFromOtherInstrument(const DeviceData& data, unsigned fields,
                                   const Instrument& connected);

}  // namespace vantrel
