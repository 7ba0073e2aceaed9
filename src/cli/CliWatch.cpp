#include "cli/CliWatch.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>
#endif

#include "cli/CliOperations.h"
#include "config/JsonText.h"
#include "engine/FrameDecoder.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"
#include "link/LinkTexts.h"
#include "link/Translate.h"
#include "port/Session.h"

namespace vantrel {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitNoReply = 2;
constexpr int kExitNoPort = 69;

// --- the signals that end the watch ----------------------------------------

// A signal handler may only write a byte: the event loop reads it from the
// other end of the pipe and ends the watch there.
#ifndef _WIN32
int gSignalPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

// Calls `end` on the event loop's thread once SIGINT or SIGTERM came.
void OnSignals(QObject* owner, std::function<void()> end) {
  if (gSignalPipe[0] < 0) {
    if (::pipe(gSignalPipe) != 0) return;
    for (const int fd : gSignalPipe) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(gSignalPipe[1], F_SETFL, O_NONBLOCK);
  }
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [end = std::move(end)] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(gSignalPipe[0], &byte, 1);
    end();
  });
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}
#else
std::atomic<bool> gEndSignal{false};

extern "C" void OnEndSignal(int) {
  gEndSignal.store(true);
}

// Without a pipe to wake the loop, a timer looks at the flag five times a
// second.
void OnSignals(QObject* owner, std::function<void()> end) {
  std::signal(SIGINT, OnEndSignal);
  std::signal(SIGTERM, OnEndSignal);
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, owner, [end = std::move(end)] {
    if (gEndSignal.load()) end();
  });
  timer->start(200);
}
#endif

// --- printing ----------------------------------------------------------------

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

const char kCsvHeader[] = "time_ms,loop_current_ma,pv,pv_unit_code,pv_unit,percent_of_range\n";

// One sample, `elapsed` ms after the watch began.
std::string FormatSample(const Sample& s, TimeMs elapsed, const WatchArgs& args, bool json) {
  const std::string unit = UnitTextOfCode(s.pvUnitCode);
  const std::string time = std::to_string(elapsed);
  if (json) {
    return "{\"timeMs\": " + time + ", \"loopCurrent\": " + JsonFloat(s.loopCurrent) +
           ", \"primaryVariable\": " + JsonFloat(s.primaryVariable) +
           ", \"pvUnitCode\": " + std::to_string(s.pvUnitCode) +
           ", \"pvUnitText\": " + JsonString(unit) +
           ", \"percentOfRange\": " + JsonFloat(s.percentOfRange) + "}\n";
  }
  if (args.csv) {
    return time + "," + FormatFixed(s.loopCurrent, 4) + "," + FormatFixed(s.primaryVariable, 4) +
           "," + std::to_string(s.pvUnitCode) + "," + CsvField(unit) + "," +
           FormatFixed(s.percentOfRange, 2) + "\n";
  }
  return time + " ms  " + FormatFixed(s.loopCurrent, 4) + " mA  " +
         FormatFixed(s.primaryVariable, 4) + " " + unit + "  " + FormatFixed(s.percentOfRange, 2) +
         " %\n";
}

// A run that stopped on its own: an object with --json, a line on standard
// error otherwise (so that CSV stays CSV).
void PrintEnd(const SamplingEnd& end, bool json) {
  const char* result = OperationResultWord(end.result);
  if (json) {
    std::printf(
        "{\"operation\": \"watch\", \"result\": \"%s\", \"samples\": %zu, \"retries\": %d, "
        "\"reason\": %s}\n",
        result, end.samples, end.retries, JsonString(end.reason).c_str());
    std::fflush(stdout);
  }
  std::fprintf(stderr, "vantrel-cli: watch: %s (%s)\n", end.reason.c_str(), result);
}

// --- the watch -----------------------------------------------------------------

class Watch : public QObject, private LinkObserver {
 public:
  Watch(const CliSession::Options& options, const WatchArgs& args, bool json)
      : options_(options), args_(args), json_(json), startedAt_(clock_.nowMs()) {
    session_.setTiming(options.timing);
    session_.setReplyTimeoutByTransport(!options.replyTimeoutGiven);
    session_.addObserver(this);
  }
  ~Watch() override { session_.removeObserver(this); }

  bool open(const WatchPort& where);
  QString portError() const { return session_.portError(); }
  // Samples until the count, a signal or the run's own end; the exit status.
  int run();

 private:
  void onSample(const Sample& sample);

  // LinkObserver: --trace, as the operations print it.
  void frameSent(const std::vector<std::uint8_t>& raw) override {
    trace(transport_.take(DecodeFrame(raw, FrameDirection::Sent, elapsedMs())));
  }
  void frameReceived(const ReceivedFrame&, const std::vector<std::uint8_t>& raw) override {
    trace(transport_.take(DecodeFrame(raw, FrameDirection::Received, elapsedMs())));
  }
  void frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) override {
    trace(DecodeDroppedFrame(raw, reason, elapsedMs()));
  }
  void transportMessage(bool sent, const std::string& header, const std::vector<std::uint8_t>& raw,
                        bool carriesFrame) override {
    if (auto line = transport_.message(sent, header, raw, carriesFrame, elapsedMs())) trace(*line);
  }
  void trace(const DecodedFrame& frame) {
    if (options_.trace) std::fprintf(stderr, "%s\n", FormatFrameLine(frame).c_str());
  }
  TimeMs elapsedMs() const { return clock_.nowMs() - startedAt_; }

  SteadyClock clock_;
  CliSession::Options options_;
  WatchArgs args_;
  bool json_;
  Session session_{clock_};
  TimeMs startedAt_;
  TransportLog transport_;
  long long taken_ = 0;
  int exitCode_ = 0;
};

bool Watch::open(const WatchPort& where) {
  if (!where.hartIp) {
    PortSettings settings;
    settings.rtsKeying = options_.rtsKeying;
    return session_.openPort(where.port, settings);
  }
  return OpenHartIpAndWait(session_, *where.hartIp);
}

int Watch::run() {
  connect(&session_, &Session::sampleReceived, this, &Watch::onSample);
  connect(&session_, &Session::samplingEnded, this, [this](const SamplingEnd& end) {
    PrintEnd(end, json_);
    exitCode_ = end.result == OperationResult::NoReply ? kExitNoReply : kExitFailure;
    QCoreApplication::exit(0);
  });
  OnSignals(this, [this] {
    session_.stopSampling();
    QCoreApplication::exit(0);
  });
  if (args_.csv && !json_) std::fputs(kCsvHeader, stdout);
  session_.startSampling(options_.pollAddress, args_.intervalMs);
  if (session_.samplingActive()) QCoreApplication::exec();
  return exitCode_;
}

void Watch::onSample(const Sample& sample) {
  std::fputs(FormatSample(sample, sample.at - startedAt_, args_, json_).c_str(), stdout);
  std::fflush(stdout);
  if (args_.count && ++taken_ >= *args_.count) {
    session_.stopSampling();
    QCoreApplication::exit(0);
  }
}

}  // namespace

WatchArgs ParseWatchArgs(int i, int argc, char** argv) {
  WatchArgs args;
  for (; i < argc; ++i) {
    const std::string flag = argv[i];
    const bool hasValue = i + 1 < argc;
    if (flag == "--interval-ms" && hasValue) {
      args.intervalMs = ArgReader({argv[++i]}, "--interval-ms").integer("N", 0, 3600000);
    } else if (flag == "--count" && hasValue) {
      args.count = ArgReader({argv[++i]}, "--count").integer("N", 1, 1000000000);
    } else if (flag == "--csv") {
      args.csv = true;
    } else {
      throw UsageError{"watch takes --interval-ms N, --count N and --csv, not " + flag};
    }
  }
  return args;
}

int RunWatch(const CliSession::Options& options, const WatchPort& where, const WatchArgs& args,
             bool json) {
  Watch watch(options, args, json);
  if (!watch.open(where)) {
    const std::string error = PortOpenFailedText(where.hartIp, where.port, watch.portError());
    if (json)
      std::printf("{\"result\": \"port-error\", \"error\": %s}\n", JsonString(error).c_str());
    std::fprintf(stderr, "vantrel-cli: %s\n", error.c_str());
    return kExitNoPort;
  }
  return watch.run();
}

}  // namespace vantrel
