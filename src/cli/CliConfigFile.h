// save-config FILE: the reads whose values a configuration holds, run as one
// operation, and the file written once every read has succeeded.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CliSession.h"

namespace vantrel {

// The reads, in order: identity and long address, device information,
// output information, sensor type, gain, offset.
std::vector<CliStep> SaveConfigSteps();

// What a save did: the first read that did not succeed (none: all did), and
// whether the file was written.
struct SaveOutcome {
  std::string file;
  std::optional<CliOutcome> failedRead;
  bool written = false;
  std::string fileError;  // why the file could not be written
};

// Why a read or write of a save or load did not succeed, with its word:
// "read-gain: 接收失败 (设备无应答)".
std::string ReasonOf(const CliOutcome& outcome);

// One JSON object, or the plain lines, for the save.
std::string FormatSave(const SaveOutcome& save, bool json);

}  // namespace vantrel
