// For every operation: the time from its start to its final status against
// the simulated instrument as a half-duplex 1200 baud line, against the full
// line time of the operation: its requests and replies at 11 bits a byte and
// a turnaround before each reply. Then the full search. Figures, not a test.
#include <QCoreApplication>

#include <cstdio>
#include <string>

#include "cli/CliSession.h"
#include "sim/SimServerThread.h"

namespace {

using namespace vantrel;

constexpr double kByteMs = 11.0 * 1000.0 / 1200.0;
constexpr int kSimPreambles = 5;   // the simulated device's preambles per reply
constexpr int kTurnaroundMs = 20;  // the simulated device's, as in the demonstration

CliStep StepFor(OperationCode op) {
  CliStep step{op, nullptr};
  step.apply = [op](DeviceData& d) {
    d.calibrationPoint = op == OP_CALIBRATE_CURRENT ? 4.0f : 12.0f;
    d.actualCurrent = 4.0f;
    d.unitIndex = 5;
    d.upperRangeText = "100";
    d.lowerRangeText = "0";
    d.dampingText = "0.5";
    d.sensorTypeIndex = 8;
    d.offsetText = "0";
    d.gainIndex = 0;
    d.newPollAddress = 0;
    d.longAddressText = "0x5a 0x10 0x01 0x02 0x03";
    d.lowPressure = 0.0f;
    d.highPressure = 100.0f;
    d.midPressure = 50.0f;
    d.row1AdmText = "800000";
    d.row1AdlText = "200000";
    d.row2AdmText = "790000";
    d.row2AdlText = "210000";
  };
  return step;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  sim::PtyServerOptions paced;
  paced.lineRate = true;
  paced.turnaroundMs = kTurnaroundMs;
  sim::SimServerThread sim({sim::DefaultDeviceConfig(0)}, paced);
  SteadyClock clock;
  CliSession session(clock, CliSession::Options{});
  if (!sim.running() || !session.openPort(QString::fromStdString(sim.devicePath()))) return 1;

  std::vector<CliStep> steps;
  steps.push_back(StepFor(OP_READ_LONG_ADDRESS));  // the calibrations compare with it
  for (int op = kFirstOperation; op <= kLastOperation; ++op) {
    steps.push_back(StepFor(static_cast<OperationCode>(op)));
  }

  std::printf("%-22s %8s %6s %6s %9s %7s\n", "operation", "ms", "sent", "recv", "line ms*",
              "ratio");
  TimeMs started = clock.nowMs();
  double worst = 0;
  session.run(
      std::move(steps),
      [&](const CliOutcome& o) {
        const TimeMs now = clock.nowMs();
        const double elapsed = static_cast<double>(now - started);
        started = now;
        const std::size_t received = o.bytesReceived + o.framesReceived * kSimPreambles;
        double lineMs = (o.bytesSent + received) * kByteMs +
                        static_cast<double>(o.framesReceived * kTurnaroundMs);
        // The configuration write waits on purpose before command 35.
        if (o.op == OP_WRITE_CONFIG) lineMs += static_cast<double>(kRangeWritePauseMs);
        const double ratio = lineMs > 0 ? elapsed / lineMs : 0;
        if (o.op != OP_SEARCH && ratio > worst) worst = ratio;
        std::printf("%-22s %8.0f %6zu %6zu %9.0f %7.3f%s\n",
                    std::string(OperationWord(o.op)).c_str(), elapsed, o.bytesSent, received,
                    lineMs, ratio, o.succeeded() ? "" : "  (did not succeed)");
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  std::printf("worst ratio of time to line time (search excluded): %.3f (target <= 1.02)\n", worst);
  std::printf(
      "* requests and replies at 1200 baud, 11 bits a byte, a %d ms turnaround before each\n"
      "  reply, and for write-config its %lld ms pause before command 35.\n",
      kTurnaroundMs, static_cast<long long>(kRangeWritePauseMs));
  return 0;
}
