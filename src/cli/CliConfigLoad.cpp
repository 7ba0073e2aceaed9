#include "cli/CliConfigLoad.h"

#include <QDateTime>

#include "cli/CliConfigFile.h"
#include "cli/CliOutput.h"
#include "config/JsonText.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"

namespace vantrel {
namespace {

std::string LongAddressText(const Configuration& c) {
  return FormatLongAddressText(LongAddressToShow(c.manufacturer, c.deviceType, c.deviceId));
}

std::string IdentityText(const Configuration& c) {
  char text[96];
  std::snprintf(text, sizeof text,
                "manufacturer 0x%02x, device type 0x%02x, device ID %02x%02x%02x", c.manufacturer,
                c.deviceType, c.deviceId[0], c.deviceId[1], c.deviceId[2]);
  return text;
}

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

std::vector<FieldDifference> Differences(const Configuration& a, const Configuration& b,
                                         bool withAddress) {
  std::vector<FieldDifference> out;
  auto add = [&out](const char* field, bool differ, std::string mine, std::string theirs) {
    if (differ) out.push_back({field, std::move(mine), std::move(theirs)});
  };
  add("tag", a.tag != b.tag, a.tag, b.tag);
  add("descriptor", a.descriptor != b.descriptor, a.descriptor, b.descriptor);
  add("message", a.message != b.message, a.message, b.message);
  add("date", a.date != b.date, FormatDateText(a.date), FormatDateText(b.date));
  add("range.upper", a.upperRange != b.upperRange, JsonFloat(a.upperRange),
      JsonFloat(b.upperRange));
  add("range.lower", a.lowerRange != b.lowerRange, JsonFloat(a.lowerRange),
      JsonFloat(b.lowerRange));
  add("range.unit", a.unitIndex != b.unitIndex, UnitName(a.unitIndex), UnitName(b.unitIndex));
  add("damping", a.damping != b.damping, JsonFloat(a.damping), JsonFloat(b.damping));
  add("sensor.type", b.sensorTypeIndex >= 0 && a.sensorTypeIndex != b.sensorTypeIndex,
      SensorTypeName(a.sensorTypeIndex), SensorTypeName(b.sensorTypeIndex));
  if (withAddress) {
    add("pollingAddress", a.pollingAddress != b.pollingAddress, std::to_string(a.pollingAddress),
        std::to_string(b.pollingAddress));
    add("longAddress", LongAddressText(a) != LongAddressText(b), LongAddressText(a),
        LongAddressText(b));
  }
  return out;
}

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
  if (here.manufacturer != file_.manufacturer || here.deviceType != file_.deviceType) {
    finish("refused", "another model: the instrument has " + IdentityText(here) + ", the file " +
                          IdentityText(file_));
    return;
  }
  if (here.deviceId != file_.deviceId) {
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

// Only the operations whose fields differ; each takes the file's values for
// what it writes (the fields that do not differ are equal anyway).
std::vector<CliStep> ConfigLoad::writeSteps() const {
  const Configuration f = file_;
  std::vector<CliStep> steps;
  if (Written(report_, "tag") || Written(report_, "descriptor") || Written(report_, "message") ||
      Written(report_, "date")) {
    steps.push_back({OP_WRITE_DEVICE_INFO, [f](DeviceData& d) {
                       d.tag = f.tag;
                       d.descriptor = f.descriptor;
                       d.message = f.message;
                       d.date = f.date;
                     }});
  }
  if (Written(report_, "range") || Written(report_, "damping")) {
    steps.push_back({OP_WRITE_CONFIG, [f](DeviceData& d) {
                       d.unitIndex = f.unitIndex;
                       d.upperRangeText = JsonFloat(f.upperRange);
                       d.lowerRangeText = JsonFloat(f.lowerRange);
                       d.dampingText = JsonFloat(f.damping);
                     }});
  }
  if (Written(report_, "sensor")) {
    steps.push_back(
        {OP_WRITE_SENSOR_CONFIG, [f](DeviceData& d) { d.sensorTypeIndex = f.sensorTypeIndex; }});
  }
  if (Written(report_, "longAddress")) {
    const std::string text = LongAddressText(f);
    steps.push_back({OP_WRITE_LONG_ADDRESS, [text](DeviceData& d) { d.longAddressText = text; }});
  }
  // Last: the instrument answers at its new address from then on.
  if (Written(report_, "pollingAddress")) {
    steps.push_back(
        {OP_WRITE_POLL_ADDRESS, [f](DeviceData& d) { d.newPollAddress = f.pollingAddress; }});
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
