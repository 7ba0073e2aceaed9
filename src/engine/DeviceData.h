// The instrument's data as the pages show and edit it. The pages copy their
// controls into these members before they start an operation, and copy the
// members into their controls when the engine asks for a refresh; the engine
// reads and writes only this structure.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/Encoding.h"

namespace vantrel {

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
};

}  // namespace vantrel
