#include "cli/CliConfigLoad.h"

#include <QDateTime>

#include "cli/CliConfigFile.h"
#include "cli/CliOutput.h"
#include "config/JsonText.h"
#include "config/LoadPlan.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"

namespace vantrel {
namespace {

bool Written(const LoadReport& report, const char* group) {
  for (const FieldDifference& d : report.differences) {
    if (d.field.rfind(group, 0) == 0) return true;
  }
  return false;
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + JsonString(items[i]);
  return out + "]";
}

}  // namespace

ConfigLoad::ConfigLoad(CliSession& session, Configuration file, LoadOptions options,
                       std::function<bool(const LoadReport&)> consent, QObject* parent)
    : QObject(parent),
      session_(session),
      file_(std::move(file)),
      options_(std::move(options)),
      consent_(std::move(consent)) {}

Configuration ConfigLoad::instrument() const {
  return ConfigurationOf(session_.data(), session_.pollAddress(), QDateTime());
}

void ConfigLoad::start(std::function<void()> done) {
  done_ = std::move(done);
  runThen({{OP_READ_LONG_ADDRESS, {}}}, &ConfigLoad::identityRead);
}

void ConfigLoad::runThen(std::vector<CliStep> steps, void (ConfigLoad::*next)()) {
  failed_.reset();
  session_.run(
      std::move(steps),
      [this](const CliOutcome& outcome) {
        if (!failed_ && !outcome.skipped && !outcome.succeeded()) failed_ = outcome;
        if (outcome.journalNotWritten) report_.journalNotWritten = true;
      },
      [this, next] {
        if (!failed_) {
          (this->*next)();
          return;
        }
        finish(ResultWord(*failed_), ReasonOf(*failed_));
      });
}

// Another model gets none of this instrument's own commands: the load ends
// before anything but command 0 was sent.
void ConfigLoad::identityRead() {
  const Configuration here = instrument();
  const IdentityMatch match = CompareIdentity(here, file_);
  if (match == IdentityMatch::OtherModel) {
    finish("refused", "another model: the instrument has " + IdentityText(here) + ", the file " +
                          IdentityText(file_));
    return;
  }
  if (match == IdentityMatch::OtherDevice) {
    report_.otherDevice = true;
    if (!options_.allowOtherDevice) {
      finish("refused", "another instrument of the same model: the instrument has " +
                            IdentityText(here) + ", the file " + IdentityText(file_) +
                            "; --allow-other-device loads it");
      return;
    }
  }
  std::vector<CliStep> reads = SaveConfigSteps();
  reads.erase(reads.begin());  // the identity is read
  runThen(std::move(reads), &ConfigLoad::configurationRead);
}

void ConfigLoad::configurationRead() {
  report_.differences = Differences(instrument(), file_, options_.withAddress);
  if (options_.dryRun || report_.differences.empty()) {
    finish("success", {});
    return;
  }
  if (!consent_(report_)) {
    finish("refused", "nothing written: the load was not confirmed (--yes)");
    return;
  }
  failed_.reset();
  std::vector<CliStep> steps = writeSteps();
  for (const CliStep& step : steps) report_.written.emplace_back(OperationWord(step.op));
  session_.run(
      std::move(steps),
      [this](const CliOutcome& outcome) {
        if (!failed_ && !outcome.skipped && !outcome.succeeded()) failed_ = outcome;
        if (outcome.journalNotWritten) report_.journalNotWritten = true;
      },
      [this] { written(); });
}

// Only the operations whose fields differ.
std::vector<CliStep> ConfigLoad::writeSteps() const {
  std::vector<std::string> fields;
  for (const FieldDifference& d : report_.differences) fields.push_back(d.field);
  std::vector<CliStep> steps;
  for (PlannedWrite& write : LoadWrites(instrument(), file_, fields)) {
    steps.push_back({write.op, std::move(write.apply)});
  }
  return steps;
}

// Read back whether or not every write succeeded: the report says which
// fields the instrument holds now.
void ConfigLoad::written() {
  failedWrite_ = failed_;
  std::vector<CliStep> reads = SaveConfigSteps();
  if (!failedWrite_ && Written(report_, "pollingAddress")) {
    reads.front().address = file_.pollingAddress;
  }
  runThen(std::move(reads), &ConfigLoad::readBack);
}

void ConfigLoad::readBack() {
  for (const FieldDifference& d : Differences(instrument(), file_, options_.withAddress)) {
    report_.notTaken.push_back(d.field);
  }
  if (failedWrite_) {
    finish(ResultWord(*failedWrite_), ReasonOf(*failedWrite_));
  } else if (report_.notTaken.empty()) {
    finish("success", {});
  } else {
    finish("failure", "the instrument did not take every field");
  }
}

void ConfigLoad::finish(const std::string& result, const std::string& reason) {
  report_.result = result;
  report_.reason = reason;
  if (done_) done_();
}

std::string FormatLoad(const LoadReport& report, const std::string& file, bool json) {
  if (json) {
    std::string differences = "[";
    for (std::size_t i = 0; i < report.differences.size(); ++i) {
      const FieldDifference& d = report.differences[i];
      differences += std::string(i ? ", " : "") + "{\"field\": " + JsonString(d.field) +
                     ", \"instrument\": " + JsonString(d.instrument) +
                     ", \"file\": " + JsonString(d.file) + "}";
    }
    return "{\"operation\": \"load-config\", \"result\": " + JsonString(report.result) +
           ", \"file\": " + JsonString(file) +
           ", \"otherDevice\": " + (report.otherDevice ? "true" : "false") +
           ", \"differences\": " + differences + "]" +
           ", \"written\": " + JsonList(report.written) +
           ", \"notTaken\": " + JsonList(report.notTaken) +
           ", \"reason\": " + (report.reason.empty() ? "null" : JsonString(report.reason)) +
           (report.journalNotWritten ? ", \"journal\": \"not written\"" : "") + "}\n";
  }
  std::string out = "load-config: " + file + "\n";
  if (report.otherDevice) out += "otherDevice=the same model, another device ID\n";
  for (const FieldDifference& d : report.differences) {
    out += "difference=" + d.field + ": " + d.instrument + " -> " + d.file + "\n";
  }
  for (const std::string& op : report.written) out += "written=" + op + "\n";
  for (const std::string& field : report.notTaken) out += "notTaken=" + field + "\n";
  out += "result=" + report.result + "\n";
  if (!report.reason.empty()) out += "reason=" + report.reason + "\n";
  return out;
}

}  // namespace vantrel
