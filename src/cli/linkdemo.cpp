// vantrel-linkdemo: sends command 0 (read unique identifier) to one polling
// address through the link layer and prints the decoded reply.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/StderrMessages.h"
#include "engine/UniqueIdentifier.h"
#include "link/LinkTexts.h"
#include "link/Transmitter.h"
#include "port/LinkDriver.h"

namespace {

using namespace vantrel;

void PrintHex(const char* prefix, const std::vector<std::uint8_t>& bytes) {
  std::fprintf(stderr, "%s", prefix);
  for (std::uint8_t b : bytes) std::fprintf(stderr, " %02X", b);
  std::fprintf(stderr, "\n");
}

class Trace : public LinkObserver {
 public:
  void frameSent(const std::vector<std::uint8_t>& raw) override { PrintHex("TX", raw); }
  void frameReceived(const ReceivedFrame&, const std::vector<std::uint8_t>& raw) override {
    PrintHex("RX", raw);
  }
  void frameDropped(DropReason, const std::vector<std::uint8_t>& raw) override {
    PrintHex("RX dropped", raw);
  }
};

class PrintReply : public ReplyHandler {
 public:
  void HandleOperationReply(const ReceivedFrame& reply) override {
    std::printf("reply from address 0x%02x, command %u, response code %u, device status 0x%02x\n",
                reply.address[0], reply.command, reply.responseCode, reply.deviceStatus);
    if (reply.command == 0 && reply.dataCount >= UniqueIdentifier::kSize) {
      const UniqueIdentifier id = DecodeUniqueIdentifier(reply.data.data(), reply.dataCount);
      std::printf("%s\n", DescribeUniqueIdentifier(id).c_str());
    }
    std::fflush(stdout);
    QCoreApplication::exit(0);
  }
};

int Usage() {
  std::fprintf(stderr,
               "Usage: vantrel-linkdemo --port PATH [--address N] [--timeout-ms N] [--trace]\n");
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString portName;
  int address = 0;
  int timeoutMs = 3000;
  bool trace = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      portName = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--address" && i + 1 < argc) {
      address = std::atoi(argv[++i]);
    } else if (arg == "--timeout-ms" && i + 1 < argc) {
      timeoutMs = std::atoi(argv[++i]);
    } else if (arg == "--trace") {
      trace = true;
    } else {
      return Usage();
    }
  }
  if (portName.isEmpty() || address < 0 || address > 63 || timeoutMs <= 0) return Usage();

  SteadyClock clock;
  StderrMessages messages;
  LinkDriver driver(clock, messages);
  Trace tracer;
  PrintReply printer;
  if (trace) driver.core().setObserver(&tracer);
  driver.core().setReplyHandler(&printer);
  if (!driver.openPort(portName)) {
    std::fprintf(stderr, "%s %s\n", texts::kPortOpenFailed,
                 driver.openError().toLocal8Bit().constData());
    return 69;
  }

  // The first request of every operation: command 0 in a short frame.
  const Request command0 = PrepareCommand0(static_cast<std::uint8_t>(address));
  if (!driver.core().StartOperation(command0, driver.clock().nowMs())) return 69;

  QTimer::singleShot(timeoutMs, &app, [timeoutMs] {
    std::fprintf(stderr, "no reply within %d ms\n", timeoutMs);
    QCoreApplication::exit(2);
  });
  return app.exec();
}
