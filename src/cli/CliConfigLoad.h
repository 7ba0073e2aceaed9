// load-config FILE: compares an instrument with a saved configuration and
// writes what differs. The identity is read first, and nothing else is sent
// to another model; the rest is read, compared, written (with consent) and
// read back, and what the instrument did not take is reported.
#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "config/Configuration.h"
#include "config/LoadPlan.h"

namespace vantrel {

struct LoadOptions {
  std::string file;
  bool dryRun = false;
  bool allowOtherDevice = false;
  bool withAddress = false;  // also the polling address and the long address
};

struct LoadReport {
  std::string result = "success";  // as for an operation, "refused" without consent
  std::string reason;
  bool otherDevice = false;  // the same model, another device ID
  std::vector<FieldDifference> differences;
  std::vector<std::string> written;
  std::vector<std::string> notTaken;
  bool journalNotWritten = false;
};

class ConfigLoad : public QObject {
  Q_OBJECT

 public:
  // `consent` is asked once there is something to write; false writes
  // nothing.
  ConfigLoad(CliSession& session, Configuration file, LoadOptions options,
             std::function<bool(const LoadReport&)> consent, QObject* parent = nullptr);

  // Runs the load and calls `done` when it has ended.
  void start(std::function<void()> done);
  const LoadReport& report() const { return report_; }

 private:
  void identityRead();
  void configurationRead();
  void written();
  void readBack();
  std::vector<CliStep> writeSteps() const;
  void finish(const std::string& result, const std::string& reason);
  // Runs `steps`; `next` runs once all have succeeded, else the load ends
  // with the first that did not.
  void runThen(std::vector<CliStep> steps, void (ConfigLoad::*next)());
  Configuration instrument() const;

  CliSession& session_;
  Configuration file_;
  LoadOptions options_;
  std::function<bool(const LoadReport&)> consent_;
  std::function<void()> done_;
  LoadReport report_;
  std::optional<CliOutcome> failed_;       // of the steps running now
  std::optional<CliOutcome> failedWrite_;  // the write that did not succeed
};

// One JSON object, or the plain lines, for the load.
std::string FormatLoad(const LoadReport& report, const std::string& file, bool json);

}  // namespace vantrel
