#include "cli/CliConfigFile.h"

#include "cli/CliOutput.h"
#include "config/Configuration.h"
#include "config/JsonText.h"
#include "engine/OperationTable.h"

namespace vantrel {

std::vector<CliStep> SaveConfigSteps() {
  std::vector<CliStep> steps;
  for (OperationCode op : ConfigurationReads()) steps.push_back({op, {}});
  return steps;
}

std::string ReasonOf(const CliOutcome& outcome) {
  std::string reason = std::string(OperationWord(outcome.op)) + ": " + outcome.status;
  if (!outcome.reason.empty()) reason += " (" + outcome.reason + ")";
  return reason;
}

std::string FormatSave(const SaveOutcome& save, bool json) {
  std::string result = "success";
  std::string reason;
  if (save.failedRead) {
    result = ResultWord(*save.failedRead);
    reason = ReasonOf(*save.failedRead);
  } else if (!save.written) {
    result = "file-error";
    reason = save.fileError;
  }
  if (json) {
    return "{\"operation\": \"save-config\", \"result\": " + JsonString(result) +
           ", \"file\": " + JsonString(save.file) +
           ", \"differences\": [], \"written\": [], \"notTaken\": []" +
           ", \"reason\": " + (reason.empty() ? std::string("null") : JsonString(reason)) + "}\n";
  }
  std::string out = "save-config: " + save.file + "\nresult=" + result + "\n";
  if (!reason.empty()) out += "reason=" + reason + "\n";
  return out;
}

}  // namespace vantrel
