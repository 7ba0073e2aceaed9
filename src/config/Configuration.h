// An instrument's configuration as a file: what identifies the instrument and
// the values an engineer sets on it, saved so that they can be compared with
// an instrument later or loaded into a spare.
#pragma once

#include <QDateTime>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/OperationCode.h"

#include "engine/DeviceData.h"

namespace vantrel {

inline constexpr char kConfigurationFormat[] = "vantrel-configuration";
inline constexpr int kConfigurationVersion = 1;

struct Configuration {
  QDateTime time;  // when it was read, with the UTC offset of the place
  // Identity, from the command-0 reply.
  std::uint8_t manufacturer = 0;
  std::uint8_t deviceType = 0;
  std::array<std::uint8_t, 3> deviceId{};
  std::uint8_t hartRevision = 0;
  // Values.
  std::string tag;
  std::string descriptor;
  std::string message;
  CalendarDate date{2000, 1, 1};
  std::uint8_t pollingAddress = 0;
  int unitIndex = -1;  // -1: a units code the program does not know
  float upperRange = 0.0f;
  float lowerRange = 0.0f;
  float damping = 0.0f;
  int sensorTypeIndex = -1;
  int gainIndex = -1;
  std::int16_t offsetTenths = 0;
};

// The reads that fill what a configuration holds, in order: identity and
// long address, device information, output information, sensor type, gain,
// offset.
std::vector<OperationCode> ConfigurationReads();

// The configuration in `data` after the reads of a save: the identity of the
// last command 0, the device information, the output information, the sensor
// type, the gain and the offset.
Configuration ConfigurationOf(const DeviceData& data, std::uint8_t pollingAddress, QDateTime time);

// Reads a configuration file's text. Empty when it is one; otherwise what is
// wrong with it, naming the field ("range.upper: not a number"). Only what a
// load may write and what identifies the instrument must be valid: gain and
// offset are read as they are and never written.
std::string ParseConfiguration(const QByteArray& text, Configuration& configuration);

// Writes the configuration read into `data` to `file` (whole or not at all),
// with the local time of now. False, with why, when it cannot.
bool SaveConfigurationFile(const QString& file, const DeviceData& data, std::uint8_t pollingAddress,
                           QString* error);

// The file's text: a JSON object with "format" and "version" first, then the
// time, the identity and the values with their units. Floats are written as
// the shortest text that reads back as the same 32-bit float.
std::string ConfigurationJson(const Configuration& configuration);

}  // namespace vantrel
