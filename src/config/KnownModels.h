// The models the user has confirmed for the family's own commands, kept in
// the settings that the window and the command line share
// ($XDG_CONFIG_HOME/vantrel/vantrel.ini, key knownModels), one word each
// ("0x66:0xe4").
#pragma once

#include <vector>

#include "engine/Instrument.h"

namespace vantrel {

std::vector<InstrumentModel> LoadKnownModels();
// Adds `model` unless it is there already.
void RememberKnownModel(const InstrumentModel& model);
// Removes `model`; false when it was not there.
bool ForgetKnownModel(const InstrumentModel& model);

}  // namespace vantrel
