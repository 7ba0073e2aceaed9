// For every operation: the time from its start to its final status against
// the simulated instrument paced at the real line rate, against the time its
// bytes need on the line. Then the full search. Figures, not a test.
#include <QCoreApplication>

#include <cstdio>
#include <string>

#include "cli/CliSession.h"
#include "sim/SimServerThread.h"

namespace {

using namespace vantrel;

constexpr double kByteMs = 11.0 * 1000.0 / 1200.0;
constexpr int kSimPreambles = 5;  // the simulated device's preambles per reply

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
  sim::SimServerThread sim({sim::DefaultDeviceConfig(0)}, paced);
  SteadyClock clock;
  CliSession session(clock, CliSession::Options{});
  if (!sim.running() || !session.openPort(QString::fromStdString(sim.devicePath()))) return 1;

  std::vector<CliStep> steps;
  steps.push_back(StepFor(OP_READ_LONG_ADDRESS));  // the calibrations compare with it
  for (int op = kFirstOperation; op <= kLastOperation; ++op) {
    steps.push_back(StepFor(static_cast<OperationCode>(op)));
  }

  std::printf("%-22s %8s %6s %6s %9s %9s %7s\n", "operation", "ms*", "sent", "recv", "paced ms",
              "line ms", "ratio");
  TimeMs started = clock.nowMs();
  double worst = 0;
  session.run(
      std::move(steps),
      [&](const CliOutcome& o) {
        const TimeMs now = clock.nowMs();
        double elapsed = static_cast<double>(now - started);
        started = now;
        // The configuration write waits on purpose before command 35.
        if (o.op == OP_WRITE_CONFIG) elapsed -= static_cast<double>(kRangeWritePauseMs);
        const std::size_t received = o.bytesReceived + o.framesReceived * kSimPreambles;
        const double pacedMs = received * kByteMs;  // what the simulator spends sending
        const double lineMs = (o.bytesSent + received) * kByteMs;
        const double ratio = pacedMs > 0 ? elapsed / pacedMs : 0;
        if (o.op != OP_SEARCH && ratio > worst) worst = ratio;
        std::printf("%-22s %8.0f %6zu %6zu %9.0f %9.0f %7.3f%s\n",
                    std::string(OperationWord(o.op)).c_str(), elapsed, o.bytesSent, received,
                    pacedMs, lineMs, ratio, o.ended ? "" : "  (no reply)");
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  std::printf("worst ratio of time to paced reply bytes (search excluded): %.3f (target <= 1.05)\n",
              worst);
  std::printf("* write-config without its deliberate %lld ms pause before command 35.\n",
              static_cast<long long>(kRangeWritePauseMs));
  std::printf(
      "a pseudo-terminal takes the program's requests at once; on a modem they also\n"
      "take their line time, given in the 'line ms' column.\n");
  return 0;
}
