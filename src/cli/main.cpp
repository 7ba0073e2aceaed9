// vantrel-cli: runs the program's operations from the command line, for
// scripts and bench checks. The same engine as the window, no window.
#include <QCoreApplication>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"
#include "link/LinkTexts.h"

namespace {

using namespace vantrel;

constexpr int kExitFailure = 1;
constexpr int kExitNoReply = 2;
constexpr int kExitUsage = 64;
constexpr int kExitNoPort = 69;

const char kUsage[] =
    "Usage: vantrel-cli --port PATH [--address N] [--timeout-ms N] [--json] [--trace]\n"
    "                   OPERATION [ARGS] [then OPERATION [ARGS] ...]\n"
    "\n"
    "Operations:\n"
    "  comm-test | search | read-current | read-device-info | fixed-current MA\n"
    "  calibrate-current POINT_MA ACTUAL_MA   (POINT_MA 4 or 20)\n"
    "  write-device-info --tag T --descriptor D --message M --date YYYY-MM-DD\n"
    "  write-poll-address N | read-long-address | write-sensor-config INDEX\n"
    "  read-sensor-config | read-resistance | calibrate-resistance A B C D\n"
    "  write-long-address TEXT | read-config\n"
    "  write-config --unit INDEX --lower X --upper X --damping X\n"
    "  calibrate-50mv | read-offset | write-offset VALUE | read-cal-row1 | read-cal-row2\n"
    "  calibrate-0mv | read-voltage | calibrate-low KPA | calibrate-high KPA | clear-zero\n"
    "  calibrate-mid KPA | read-gain | write-gain INDEX | poll\n"
    "\n"
    "Operations joined with 'then' run in order and share the device data, as in\n"
    "the window. After 'search' the operations address the device the window's\n"
    "list would select. Exit status: 0 all succeeded, 1 one failed or was\n"
    "refused, 2 a reply did not come, 64 usage error, 69 the port cannot be opened.\n";

struct UsageError {
  std::string what;
};

class ArgReader {
 public:
  ArgReader(std::vector<std::string> words, std::string op)
      : words_(std::move(words)), op_(std::move(op)) {}
  bool empty() const { return next_ >= words_.size(); }
  std::string text(const char* name) {
    if (empty()) throw UsageError{op_ + ": missing " + name};
    return words_[next_++];
  }
  double number(const char* name) {
    const std::string word = text(name);
    const std::optional<double> value = ParseNumber(word);
    if (!value) throw UsageError{op_ + ": " + name + " is not a number: " + word};
    return *value;
  }
  int integer(const char* name, int min, int max) {
    const std::string word = text(name);
    const std::optional<int> value = ParseInteger(word);
    if (!value || *value < min || *value > max) {
      throw UsageError{op_ + ": " + name + " must be a whole number from " + std::to_string(min) +
                       " to " + std::to_string(max) + ": " + word};
    }
    return *value;
  }
  void done() {
    if (!empty()) throw UsageError{op_ + ": unexpected argument " + words_[next_]};
  }

 private:
  std::vector<std::string> words_;
  std::string op_;
  std::size_t next_ = 0;
};

std::string CheckedNumberText(const std::string& word, const std::string& what) {
  if (!ParseNumber(word)) throw UsageError{what + " is not a number: " + word};
  return word;
}

CalendarDate ParseDate(const std::string& word) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(word.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
      word.size() != 10 || year < 1900 || year > 2155 || month < 1 || month > 12 || day < 1 ||
      day > 31) {
    throw UsageError{"write-device-info: --date must be YYYY-MM-DD: " + word};
  }
  const int daysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > daysIn[month - 1] || (month == 2 && day == 29 && !leap)) {
    throw UsageError{"write-device-info: no such date: " + word};
  }
  return CalendarDate{year, month, day};
}

// Turns the words of one operation into a step that puts its arguments into
// the device data the way the window's pages would.
CliStep MakeStep(OperationCode op, ArgReader args) {
  CliStep step{op, nullptr};
  switch (op) {
    case OP_FIXED_CURRENT: {
      const float point = static_cast<float>(args.number("MA"));
      step.apply = [point](DeviceData& d) { d.calibrationPoint = point; };
      break;
    }
    case OP_CALIBRATE_CURRENT: {
      const float point = static_cast<float>(args.number("POINT_MA"));
      const float actual = static_cast<float>(args.number("ACTUAL_MA"));
      step.apply = [point, actual](DeviceData& d) {
        d.calibrationPoint = point;
        d.actualCurrent = actual;
      };
      break;
    }
    case OP_WRITE_DEVICE_INFO: {
      std::optional<std::string> tag, descriptor, message;
      std::optional<CalendarDate> date;
      while (!args.empty()) {
        const std::string flag = args.text("option");
        if (flag == "--tag") {
          tag = args.text("--tag value");
        } else if (flag == "--descriptor") {
          descriptor = args.text("--descriptor value");
        } else if (flag == "--message") {
          message = args.text("--message value");
        } else if (flag == "--date") {
          date = ParseDate(args.text("--date value"));
        } else {
          throw UsageError{"write-device-info: unknown option " + flag};
        }
      }
      if (!tag || !descriptor || !message || !date) {
        throw UsageError{"write-device-info needs --tag, --descriptor, --message and --date"};
      }
      step.apply = [=](DeviceData& d) {
        d.tag = *tag;
        d.descriptor = *descriptor;
        d.message = *message;
        d.date = *date;
      };
      break;
    }
    case OP_WRITE_POLL_ADDRESS: {
      const int address = args.integer("N", 0, 15);
      step.apply = [address](DeviceData& d) {
        d.newPollAddress = static_cast<std::uint8_t>(address);
      };
      break;
    }
    case OP_WRITE_SENSOR_CONFIG: {
      const int index = args.integer("INDEX", 0, static_cast<int>(kSensorTypeCount) - 1);
      step.apply = [index](DeviceData& d) { d.sensorTypeIndex = index; };
      break;
    }
    case OP_CALIBRATE_RESISTANCE: {
      std::string rows[4];
      const char* names[4] = {"A", "B", "C", "D"};
      for (int i = 0; i < 4; ++i)
        rows[i] = std::to_string(args.integer(names[i], INT32_MIN, INT32_MAX));
      step.apply = [rows](DeviceData& d) {
        d.row1AdmText = rows[0];
        d.row1AdlText = rows[1];
        d.row2AdmText = rows[2];
        d.row2AdlText = rows[3];
      };
      break;
    }
    case OP_WRITE_LONG_ADDRESS: {
      const std::string text = args.text("TEXT");
      step.apply = [text](DeviceData& d) { d.longAddressText = text; };
      break;
    }
    case OP_WRITE_CONFIG: {
      std::optional<int> unit;
      std::optional<std::string> lower, upper, damping;
      while (!args.empty()) {
        const std::string flag = args.text("option");
        if (flag == "--unit") {
          unit = args.integer("--unit", 0, static_cast<int>(kUnitCount) - 1);
        } else if (flag == "--lower") {
          lower = CheckedNumberText(args.text("--lower value"), "--lower");
        } else if (flag == "--upper") {
          upper = CheckedNumberText(args.text("--upper value"), "--upper");
        } else if (flag == "--damping") {
          damping = CheckedNumberText(args.text("--damping value"), "--damping");
        } else {
          throw UsageError{"write-config: unknown option " + flag};
        }
      }
      if (!unit || !lower || !upper || !damping) {
        throw UsageError{"write-config needs --unit, --lower, --upper and --damping"};
      }
      step.apply = [=](DeviceData& d) {
        d.unitIndex = *unit;
        d.lowerRangeText = *lower;
        d.upperRangeText = *upper;
        d.dampingText = *damping;
      };
      break;
    }
    case OP_WRITE_OFFSET: {
      const std::string value = CheckedNumberText(args.text("VALUE"), "write-offset VALUE");
      step.apply = [value](DeviceData& d) { d.offsetText = value; };
      break;
    }
    case OP_CALIBRATE_LOW:
    case OP_CALIBRATE_HIGH:
    case OP_CALIBRATE_MID: {
      const float kpa = static_cast<float>(args.number("KPA"));
      step.apply = [op, kpa](DeviceData& d) {
        (op == OP_CALIBRATE_LOW    ? d.lowPressure
         : op == OP_CALIBRATE_HIGH ? d.highPressure
                                   : d.midPressure) = kpa;
      };
      break;
    }
    case OP_WRITE_GAIN: {
      const int index = args.integer("INDEX", 0, static_cast<int>(kGainCount) - 1);
      step.apply = [index](DeviceData& d) { d.gainIndex = index; };
      break;
    }
    default:
      break;
  }
  args.done();
  return step;
}

struct Options {
  QString port;
  CliSession::Options session;
  bool json = false;
  std::vector<CliStep> steps;
};

Options ParseArguments(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) break;
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= argc) throw UsageError{std::string(name) + " needs a value"};
      return argv[++i];
    };
    if (arg == "--port") {
      options.port = QString::fromLocal8Bit(value("--port").c_str());
    } else if (arg == "--address") {
      ArgReader reader({value("--address")}, "--address");
      options.session.pollAddress = static_cast<std::uint8_t>(reader.integer("N", 0, 63));
    } else if (arg == "--timeout-ms") {
      ArgReader reader({value("--timeout-ms")}, "--timeout-ms");
      options.session.timeoutMs = reader.integer("N", 1, 600000);
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--trace") {
      options.session.trace = true;
    } else if (arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else {
      throw UsageError{"unknown option " + arg};
    }
  }
  if (options.port.isEmpty()) throw UsageError{"--port is required"};
  if (i >= argc) throw UsageError{"no operation given"};
  while (i < argc) {
    const std::string word = argv[i++];
    const std::optional<OperationCode> op = OperationFromWord(word);
    if (!op) throw UsageError{"unknown operation " + word};
    std::vector<std::string> words;
    while (i < argc && std::string(argv[i]) != "then") words.emplace_back(argv[i++]);
    if (i < argc) {
      ++i;  // "then"
      if (i >= argc) throw UsageError{"'then' must be followed by an operation"};
    }
    options.steps.push_back(MakeStep(*op, ArgReader(std::move(words), word)));
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "vantrel-cli: %s\n\n%s", error.what.c_str(), kUsage);
    return kExitUsage;
  }

  SteadyClock clock;
  CliSession session(clock, options.session);
  if (!session.openPort(options.port)) {
    std::fprintf(stderr, "%s %s: %s\n", texts::kPortOpenFailed, qPrintable(options.port),
                 qPrintable(session.portError()));
    return kExitNoPort;
  }

  int exitCode = 0;
  session.run(
      std::move(options.steps),
      [&](const CliOutcome& outcome) {
        std::fputs(FormatOutcome(outcome, session.data(), options.json).c_str(), stdout);
        std::fflush(stdout);
        if (!outcome.ended) {
          exitCode = kExitNoReply;
        } else if (outcome.result != OperationResult::Success && exitCode == 0) {
          exitCode = kExitFailure;
        }
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  return exitCode;
}
