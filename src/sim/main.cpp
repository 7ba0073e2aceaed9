// vantrel-sim: a simulated HART instrument on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/PtyServer.h"
#include "sim/SimLine.h"

namespace {

vantrel::sim::PtyServer* gServer = nullptr;

void HandleSignal(int) {
  if (gServer) gServer->stop();
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: vantrel-sim [--address N] [--link PATH] [--line-rate] [--turnaround-ms N]\n"
               "\n"
               "Serves a simulated HART field device on a pseudo-terminal and prints the\n"
               "terminal's path on the first line of standard output. Open that path (or\n"
               "PATH given with --link) as the serial port.\n"
               "\n"
               "  --address N        polling address of the device, 0 to 63 (default 0)\n"
               "  --link PATH        also make a symbolic link to the terminal at PATH\n"
               "  --line-rate        send responses at 1200 baud, 11 bits per byte\n"
               "  --turnaround-ms N  wait N ms after a request before answering (default 0)\n"
               "\n"
               "The device answers command 0 (read unique identifier) addressed to it with\n"
               "manufacturer 0x5A, device type 0x10 and device id 01 02 03+N; every other\n"
               "command gets response code 64 (command not implemented). Frames for other\n"
               "addresses are ignored.\n");
}

bool ParseInt(const char* text, long min, long max, long* value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < min || parsed > max) return false;
  *value = parsed;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long address = 0;
  vantrel::sim::PtyServerOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    long value = 0;
    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return 0;
    } else if (arg == "--line-rate") {
      options.lineRate = true;
    } else if (arg == "--link" && hasValue) {
      options.linkPath = argv[++i];
    } else if (arg == "--address" && hasValue && ParseInt(argv[i + 1], 0, 63, &value)) {
      address = value;
      ++i;
    } else if (arg == "--turnaround-ms" && hasValue && ParseInt(argv[i + 1], 0, 60000, &value)) {
      options.turnaroundMs = static_cast<int>(value);
      ++i;
    } else {
      std::fprintf(stderr, "vantrel-sim: bad argument '%s'\n\n", arg.c_str());
      PrintUsage(stderr);
      return 64;
    }
  }

  vantrel::sim::SimLine line(
      {vantrel::sim::DefaultDeviceConfig(static_cast<std::uint8_t>(address))});
  vantrel::sim::PtyServer server(line, options);
  std::string error;
  if (!server.open(&error)) {
    std::fprintf(stderr, "vantrel-sim: %s\n", error.c_str());
    return 69;
  }
  gServer = &server;
  std::signal(SIGINT, HandleSignal);
  std::signal(SIGTERM, HandleSignal);
  std::printf("%s\n", server.devicePath().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "vantrel-sim: device at polling address %ld on %s%s%s\n", address,
               server.devicePath().c_str(), options.linkPath.empty() ? "" : " linked from ",
               options.linkPath.c_str());
  server.run();
  gServer = nullptr;
  return 0;
}
