// What the pages need from the main view: starting an operation on the
// instrument chosen in the polling-address box, and asking the engineer to
// confirm a calibration step or a trim.
#pragma once

#include "engine/OperationCode.h"

namespace vantrel {

class OperationStarter {
 public:
  virtual ~OperationStarter() = default;
  // Starts `op` on the polling address that the HART page shows.
  virtual void start(OperationCode op) = 0;
};

// Asks whether a calibration step or a current trim (`op`) may go ahead. The
// window shows the modal CDialogConfirm; tests answer without a dialog.
class Confirmer {
 public:
  virtual ~Confirmer() = default;
  virtual bool confirm(OperationCode op) = 0;
};

}  // namespace vantrel
