// What the command engine asks of the user interface. The window implements
// it with the status bar, the progress bar, the pages and message boxes; the
// command-line front end records it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/Instrument.h"
#include "engine/OperationCode.h"
#include "link/LinkCore.h"

namespace vantrel {

enum class RefreshTarget { View, TabHart, TabConf, TabCur };

enum class RefreshDirection {
  ToControls,  // show the data in the controls
  ToData,      // take the controls into the data
};

// One entry of the polling-address list after a search: the text the list
// shows and the address it stands for.
struct PollAddressItem {
  std::string text;  // "10 "
  std::uint8_t address = 0;

  bool operator==(const PollAddressItem& other) const {
    return text == other.text && address == other.address;
  }
};

enum class OperationResult {
  Success,  // ended with its success text
  Failure,  // ended with its failure text: the instrument refused or answered wrongly
  NoReply,  // ended with its failure text: no reply came to the last try
  Refused,  // nothing was sent: bad input or a closed port
};

// "success", "failure", "no-reply" or "refused": the word the command line
// and the change journal give a result.
inline const char* OperationResultWord(OperationResult result) {
  switch (result) {
    case OperationResult::Success:
      return "success";
    case OperationResult::Failure:
      return "failure";
    case OperationResult::NoReply:
      return "no-reply";
    case OperationResult::Refused:
      break;
  }
  return "refused";
}

// How an operation ended.
struct OperationEnd {
  OperationCode op = OP_COMM_TEST;
  OperationResult result = OperationResult::Refused;
  std::string reason;  // why it failed, in words; empty when there is nothing to add
  int retries = 0;     // requests sent again, for any reason
};

// One reading of a sampling run (Engine::startSampling): command 3's loop
// current, primary variable and its units code, and the percent of range
// worked out from the loop current, as OP_READ_CURRENT takes them.
struct Sample {
  TimeMs at = 0;                 // the arrival of the reply's last byte, on the owner's clock
  float loopCurrent = 0.0f;      // mA
  float primaryVariable = 0.0f;  // in pvUnitCode
  std::uint8_t pvUnitCode = 0;
  float percentOfRange = 0.0f;
};

// Why a sampling run stopped on its own.
struct SamplingEnd {
  OperationResult result = OperationResult::Failure;  // NoReply after the last try
  std::string reason;                                 // in words
  int retries = 0;                                    // requests sent again in the run
  std::size_t samples = 0;                            // readings taken
};

// The question before the family's own command goes to another model.
struct ModelQuestion {
  unsigned number = 0;  // given back with the answer
  InstrumentModel model;
  std::uint8_t command = 0;  // the first of the family's commands the operation sends
  std::string text;          // the question in the program's language
};

class EngineEffects : public MessageSink {
 public:
  // Pane 0 of the status bar.
  virtual void setStatusText(const std::string& text) = 0;
  // The progress bar, 0 to 100.
  virtual void setProgress(int percent) = 0;
  // Asks a page (or the main view) to copy between its controls and the
  // data, for operation `op`: after a read a page shows only what `op` read.
  virtual void refresh(RefreshTarget target, RefreshDirection direction, OperationCode op) = 0;
  // The date picker of the HART page, set directly from a reply.
  virtual void setDeviceDate(const CalendarDate& date) = 0;
  // Replaces the polling-address list with `items`, in the order given (the
  // text order of the list: "10 " before "2 "), and selects the first.
  virtual void refillPollAddresses(const std::vector<PollAddressItem>& items) = 0;
  // Shows the search report. Once the user has dismissed it, the front end
  // tells the engine (Engine::searchReportClosed) with the same `report`.
  virtual void showSearchReport(const std::string& text, unsigned report) = 0;
  // An operation has ended. For the front ends that run operations in turn.
  virtual void operationEnded(const OperationEnd& /*end*/) {}

  // A command-0 reply named `instrument` (also kept in DeviceData).
  virtual void instrumentIdentified(const Instrument& /*instrument*/) {}
  // The page fields `fields` have been emptied in the data, as their values
  // belonged to another instrument than the one that just answered. The
  // pages show them empty.
  virtual void fieldsCleared(unsigned /*fields*/) {}
  // Asks whether the family's own command may go to a model that is not
  // known; the front end answers with Engine::answerModelQuestion. Asked only
  // when the engine's model policy is ModelPolicy::Ask.
  virtual void askAboutModel(const ModelQuestion& /*question*/) {}
  // `model` is to be known from now on (the user said so, or the command
  // line trusts it): the front end keeps it in its settings.
  virtual void rememberModel(const InstrumentModel& /*model*/) {}
  // The instrument took polling address `address` (written by the user).
  virtual void pollAddressWritten(std::uint8_t /*address*/) {}
  // The acquisition cannot go on (its model was not allowed); `reason` says
  // why.
  virtual void stopAcquisition(const std::string& /*reason*/) {}
  // A sampling run took a reading.
  virtual void sampleTaken(const Sample& /*sample*/) {}
  // A sampling run has stopped on its own: no reply after the retries, an
  // error response, a closed or lost port. Not told for Engine::stopSampling.
  virtual void samplingStopped(const SamplingEnd& /*end*/) {}
};

}  // namespace vantrel
