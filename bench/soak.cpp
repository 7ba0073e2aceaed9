// Runs thousands of operations in a row through the command-line front end's
// session against the simulated instrument (no line pacing) and prints the
// failures and the process's peak memory along the way.
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "sim/SimServerThread.h"

namespace {

using namespace vantrel;

// Peak resident memory of this process, in kB.
long PeakMemoryKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// A mix of what an engineer does in a day: reads, writes and a calibration.
std::vector<CliStep> Steps(int count) {
  const OperationCode cycle[] = {
      OP_READ_CURRENT, OP_READ_CONFIG, OP_READ_DEVICE_INFO, OP_READ_LONG_ADDRESS, OP_COMM_TEST,
      OP_POLL,         OP_READ_GAIN,   OP_WRITE_GAIN,       OP_CLEAR_ZERO,        OP_READ_OFFSET};
  std::vector<CliStep> steps;
  steps.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const OperationCode op = cycle[i % std::size(cycle)];
    CliStep step{op, nullptr};
    if (op == OP_WRITE_GAIN) step.apply = [i](DeviceData& d) { d.gainIndex = (i / 10) % 7; };
    steps.push_back(step);
  }
  return steps;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int total = argc > 1 ? std::atoi(argv[1]) : 10000;
  sim::SimServerThread sim({sim::DefaultDeviceConfig(0)});
  if (!sim.running()) {
    std::fprintf(stderr, "simulator: %s\n", sim.error().c_str());
    return 1;
  }
  SteadyClock clock;
  CliSession session(clock, CliSession::Options{});
  if (!session.openPort(QString::fromStdString(sim.devicePath()))) return 1;

  int done = 0;
  int failures = 0;
  const TimeMs start = clock.nowMs();
  session.run(
      Steps(total),
      [&](const CliOutcome& outcome) {
        ++done;
        if (!outcome.succeeded()) {
          ++failures;
          std::printf("operation %d (%s) did not succeed: %s %s %s\n", done,
                      std::string(OperationWord(outcome.op)).c_str(), ResultWord(outcome),
                      outcome.status.c_str(), outcome.reason.c_str());
        }
        if (done == 1000 || done == total || done % 10000 == 0) {
          std::printf("after %5d operations: %d failures, peak memory %ld kB, %.1f s\n", done,
                      failures, PeakMemoryKb(), (clock.nowMs() - start) / 1000.0);
          std::fflush(stdout);
        }
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  std::printf("soak: %d operations, %d failures (target 0)\n", done, failures);
  return failures == 0 && done == total ? 0 : 1;
}
