// vantrel-cli: runs the program's operations from the command line, for
// scripts and bench checks. The same engine as the window, no window.
#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOperations.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "link/LinkTexts.h"

namespace {

using namespace vantrel;

constexpr int kExitFailure = 1;
constexpr int kExitNoReply = 2;
constexpr int kExitUsage = 64;
constexpr int kExitNoPort = 69;

const char kUsage[] =
    "Usage: vantrel-cli --port PATH [--rts] [--address N] [--timeout-ms N] [--retries N]\n"
    "                   [--json] [--trace] OPERATION [ARGS] [then OPERATION [ARGS] ...]\n"
    "\n"
    "  --rts            key the modem's transmitter with RTS (RS-232 modems); DTR is\n"
    "                   held on while the port is open\n"
    "  --timeout-ms N   wait N ms for a reply to begin after each request has left\n"
    "                   the line (default 400; the program's own pauses do not count)\n"
    "  --retries N      try each request N more times after a failed try (default 3)\n"
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
    "the window; the first that does not succeed ends the chain, and the ones\n"
    "after it are reported skipped. After 'search' the operations address the\n"
    "device the window's list would select. Exit status, of the first operation\n"
    "that did not succeed: 0 all succeeded, 1 it failed or was refused, 2 no\n"
    "reply came; 64 usage error, 69 the port cannot be opened.\n";

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
      options.session.timing.replyTimeoutMs = reader.integer("N", 1, 600000);
    } else if (arg == "--retries") {
      ArgReader reader({value("--retries")}, "--retries");
      options.session.timing.retries = reader.integer("N", 0, 100);
    } else if (arg == "--rts") {
      options.session.rtsKeying = true;
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
        if (exitCode != 0 || outcome.skipped || outcome.succeeded()) return;
        exitCode = outcome.result == OperationResult::NoReply ? kExitNoReply : kExitFailure;
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  return exitCode;
}
