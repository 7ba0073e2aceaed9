// watch: the instrument's live values, one line per sample, from the
// engine's sampling run (command 0 once, then one command 3 per sample).
// It changes nothing in the instrument, so it ends without releasing
// anything: after --count samples, or at SIGINT or SIGTERM, with exit 0.
#pragma once

#include <QString>

#include <optional>

#include "cli/CliSession.h"
#include "link/HartIpEndpoint.h"

namespace vantrel {

struct WatchArgs {
  int intervalMs = 1000;           // 0: as fast as the line allows
  std::optional<long long> count;  // none: until a signal
  bool csv = false;
};

// The words after "watch", from argv[i]. Throws UsageError.
WatchArgs ParseWatchArgs(int i, int argc, char** argv);

// Where watch talks to the instrument: --port, or --hart-ip.
struct WatchPort {
  QString port;
  std::optional<HartIpEndpoint> hartIp;
};

// Opens the port and samples until the end. The exit status: 0; 1 when the
// run stopped on an error response, 2 when no reply came after the retries,
// 69 when the port cannot be opened.
int RunWatch(const CliSession::Options& options, const WatchPort& where, const WatchArgs& args,
             bool json);

}  // namespace vantrel
