// Measures the CPU time that the program's link uses while the port is open
// and the line is idle. Prints the figure; it is a measurement, not a test.
#include <QCoreApplication>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/StderrMessages.h"
#include "link/Transmitter.h"
#include "port/LinkDriver.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class QuitOnReply : public vantrel::ReplyHandler {
 public:
  bool replied = false;
  void HandleOperationReply(const vantrel::ReceivedFrame&) override { replied = true; }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString portName;
  int seconds = 10;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--port") portName = QString::fromLocal8Bit(argv[i + 1]);
    if (arg == "--seconds") seconds = std::atoi(argv[i + 1]);
  }
  if (portName.isEmpty() || seconds <= 0) {
    std::fprintf(stderr, "Usage: vantrel-idle-cpu --port PATH [--seconds N]\n");
    return 64;
  }

  vantrel::SteadyClock clock;
  vantrel::StderrMessages messages;
  vantrel::LinkDriver driver(clock, messages);
  QuitOnReply handler;
  driver.core().setReplyHandler(&handler);
  if (!driver.openPort(portName)) {
    std::fprintf(stderr, "cannot open %s\n", qPrintable(portName));
    return 69;
  }
  // One exchange first, so that the measured link is known to be live.
  driver.core().StartOperation(vantrel::PrepareCommand0(0), driver.clock().nowMs());

  double startCpu = 0;
  QTimer::singleShot(1000, &app, [&] {
    std::printf("link live: %s\n", handler.replied ? "yes (command 0 answered)" : "NO REPLY");
    startCpu = CpuSeconds();
    QTimer::singleShot(seconds * 1000, &app, [&] {
      const double used = CpuSeconds() - startCpu;
      std::printf(
          "idle %d s with the port open: CPU %.4f s = %.3f %% of one core (target < 1 %%)\n",
          seconds, used, used / seconds * 100.0);
      QCoreApplication::exit(handler.replied ? 0 : 1);
    });
  });
  return app.exec();
}
