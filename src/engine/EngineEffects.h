// What the command engine asks of the user interface. The window implements
// it with the status bar, the progress bar, the pages and message boxes; the
// command-line front end records it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/OperationCode.h"
#include "link/LinkCore.h"

namespace vantrel {

enum class RefreshTarget { View, TabHart, TabConf, TabCur };

enum class RefreshDirection {
  ToControls,  // show the data in the controls
  ToData,      // take the controls into the data
};

enum class OperationResult {
  Success,  // ended with its success text
  Failure,  // ended with its failure text
  Refused,  // nothing was sent: bad input or a closed port
};

class EngineEffects : public MessageSink {
 public:
  // Pane 0 of the status bar.
  virtual void setStatusText(const std::string& text) = 0;
  // The progress bar, 0 to 100.
  virtual void setProgress(int percent) = 0;
  // Asks a page (or the main view) to copy between its controls and the data.
  virtual void refresh(RefreshTarget target, RefreshDirection direction) = 0;
  // The date picker of the HART page, set directly from a reply.
  virtual void setDeviceDate(const CalendarDate& date) = 0;
  // Replaces the polling-address list with `items` ("2 ", "10 ", ...), which
  // the list keeps in text order, and selects the first of that order.
  virtual void refillPollAddresses(const std::vector<std::string>& items) = 0;
  // Shows the search report; `closed` must be called once it is dismissed.
  virtual void showSearchReport(const std::string& text, std::function<void()> closed) = 0;
  // An operation has ended. For the front ends that run operations in turn.
  virtual void operationEnded(OperationCode /*op*/, OperationResult /*result*/) {}
};

}  // namespace vantrel
