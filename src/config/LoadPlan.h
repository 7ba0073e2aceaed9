// Loading a saved configuration into an instrument: how the two compare,
// field by field, and the writes that give the instrument the file's value
// of the fields chosen. The command line and the window load alike.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/Configuration.h"

namespace vantrel {

enum class IdentityMatch {
  Same,         // the instrument the file was saved from
  OtherDevice,  // the same model, another device ID: a spare
  OtherModel,   // never loaded
};

IdentityMatch CompareIdentity(const Configuration& instrument, const Configuration& file);

// "manufacturer 0x5a, device type 0x10, device ID 010203"
std::string IdentityText(const Configuration& configuration);
// "制造商 0x5A，设备类型 0x10，设备ID 010203", in the program's language:
// what the window shows.
std::string IdentityWords(const Configuration& configuration);

// One field where the instrument and the file differ, both as text.
struct FieldDifference {
  std::string field;  // "range.upper"
  std::string instrument;
  std::string file;
};

// The fields a load may write that differ between two configurations.
std::vector<FieldDifference> Differences(const Configuration& instrument, const Configuration& file,
                                         bool withAddress);

// Whether a load offers to write `field` before the user chooses: every
// field but the tag of a spare, so that two instruments do not end up with
// one tag.
bool ChosenByDefault(const std::string& field, IdentityMatch match);

struct PlannedWrite {
  OperationCode op;
  std::function<void(DeviceData&)> apply;
};

// The operations that write `fields` (names of Differences), in the order to
// send them, the polling address last. An operation also sends fields that
// were not chosen; those keep the instrument's own values, exactly as read.
std::vector<PlannedWrite> LoadWrites(const Configuration& instrument, const Configuration& file,
                                     const std::vector<std::string>& fields);

}  // namespace vantrel
