// A session on a real link to a simulated instrument whose line can be made
// faulty. The bench stands in for the window: it records every status text,
// message and end the session reports, and every frame the link hands to the
// engine, and runs one operation at a time.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "port/Session.h"
#include "sim/Faults.h"
#include "sim/PtyServer.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel::testing {

// Long enough for any clean reply, including the pause before command 35.
constexpr int kEndMs = 10000;
// How long the line must stay quiet before an operation counts as stuck.
constexpr int kQuietMs = 300;

using Bytes = std::vector<std::uint8_t>;

// Every field of the device data as text, to tell whether an operation wrote
// anything.
inline std::string Fingerprint(const DeviceData& d) {
  std::ostringstream out;
  out << d.loopCurrent << '|' << d.percentOfRange << '|' << d.pvText << '|' << d.svText << '|';
  for (std::uint8_t b : d.longAddress) out << int{b} << ',';
  out << '|' << d.tag << '|' << d.descriptor << '|' << d.message << '|' << d.date.year << '-'
      << d.date.month << '-' << d.date.day << '|' << d.longAddressText << '|' << d.sensorTypeIndex
      << '|' << d.sensorLowerText << '|' << d.sensorUpperText << '|' << d.resistance << '|'
      << d.row1AdmText << '|' << d.row1AdlText << '|' << d.row2AdmText << '|' << d.row2AdlText
      << '|' << d.rRefText << '|' << d.vRefText << '|' << d.unitIndex << '|' << d.upperRangeText
      << '|' << d.lowerRangeText << '|' << d.dampingText << '|' << d.offsetText << '|'
      << d.millivoltText << '|' << d.gainIndex << '|' << d.pressureCode;
  return out.str();
}

// The frame of a reply as the link core reports it: delimiter to check byte.
inline Bytes WithoutPreambles(const Bytes& frame) {
  std::size_t start = 0;
  while (start < frame.size() && frame[start] == kPreambleByte) ++start;
  return Bytes(frame.begin() + static_cast<std::ptrdiff_t>(start), frame.end());
}

inline bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A simulated instrument at polling address 0 whose faults the test switches
// while it runs. The program opens it through a symbolic link of its own:
// QSerialPort names its lock file after the path it opens, and pseudo-terminal
// numbers are reused by other test processes, so /dev/pts/N may be locked by
// another process's port; the link also stays behind, dangling, when the
// terminal goes away.
struct FaultyLine {
  explicit FaultyLine(const sim::LineFaults& faults = {},
                      std::vector<sim::SimDeviceConfig> devices = {sim::DefaultDeviceConfig(0)})
      : injector(std::make_shared<sim::FaultInjector>()),
        line(std::move(devices), Options(faults, injector, dir)) {}

  QString path() const { return dir.filePath(QStringLiteral("port")); }

  void set(const sim::LineFaults& faults) { injector->set(faults); }
  void clean() { injector->set({}); }

  // Waits until the instrument has answered (or swallowed) `requests`
  // requests, so that a fault switched afterwards cannot reach them.
  bool waitForReplies(std::size_t requests, int timeoutMs = 5000) {
    return QTest::qWaitFor([&] { return injector->log().size() >= requests; }, timeoutMs);
  }

  // Checks the frames the link handed to the engine against what the
  // instrument put on the line: each is a reply whose frame (delimiter to
  // check byte) reached the line unchanged, in the order sent, and no reply
  // that reached the line whole is missing. A reply that lost only preamble
  // bytes may or may not be found.
  void expectOnlyIntactFramesHanded(const std::vector<Bytes>& handed) const {
    std::size_t next = 0;
    std::size_t index = 0;
    for (const sim::ReplyRecord& r : injector->log()) {
      ++index;
      if (!r.frameIntact) continue;
      if (next < handed.size() && handed[next] == WithoutPreambles(r.intended)) {
        ++next;
      } else {
        EXPECT_FALSE(r.whole) << "reply " << index << " reached the line whole but not the engine";
      }
    }
    EXPECT_EQ(next, handed.size())
        << "frame " << next + 1 << " handed to the engine is not an intact reply";
  }

  static sim::PtyServerOptions Options(const sim::LineFaults& faults,
                                       std::shared_ptr<sim::FaultInjector> injector,
                                       const QTemporaryDir& dir) {
    sim::PtyServerOptions options;
    options.faults = faults;
    options.faultInjector = std::move(injector);
    options.linkPath = dir.filePath(QStringLiteral("port")).toStdString();
    return options;
  }

  QTemporaryDir dir;
  std::shared_ptr<sim::FaultInjector> injector;
  SimulatedLine line;
};

// What one operation did.
struct RunOutcome {
  bool ended = false;
  OperationResult result = OperationResult::Refused;
  std::vector<std::string> statuses;  // every status text, in order
  std::vector<std::string> messages;
  int progress = -1;
  std::size_t replies = 0;   // frames the link handed to the engine
  std::size_t requests = 0;  // request frames the link sent
  TimeMs endedAfterMs = -1;
  std::string reason;  // why it failed, as the engine says it
  int retries = 0;
  std::string dataBefore;  // Fingerprint() after the operation's arguments were set
  std::string dataAfter;

  // A status text that claims success: one ending in 成功, or 通信正常. The
  // command-0 step's 连接成功 only says that the device answered command 0.
  bool claimedSuccess() const {
    for (const std::string& s : statuses) {
      if (s == "通信正常" || (EndsWith(s, "成功") && s != "连接成功")) return true;
    }
    return false;
  }
  std::string lastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }
  std::string statusTrail() const {
    std::string trail;
    for (const std::string& s : statuses) trail += (trail.empty() ? "" : " / ") + s;
    return trail;
  }
};

class FaultBench : private LinkObserver {
 public:
  FaultBench() {
    session.addObserver(this);
    record();
  }
  ~FaultBench() override { session.removeObserver(this); }

  // Opens the port; a failure is reported with Qt's reason.
  bool open(const QString& path) {
    const bool opened = session.openPort(path);
    if (!opened) {
      std::fprintf(stderr, "cannot open %s: %s\n", path.toLocal8Bit().constData(),
                   session.portError().toLocal8Bit().constData());
    }
    return opened;
  }

  // Starts `op` after `prepare` has put its arguments into the data.
  void start(OperationCode op, const std::function<void(DeviceData&)>& prepare = {}) {
    current_ = RunOutcome{};
    op_ = op;
    running_ = true;
    if (prepare) prepare(data);
    current_.dataBefore = Fingerprint(data);
    startedAt_ = session.clock().nowMs();
    session.start(op, pollAddress);
  }

  // Waits up to `windowMs` for the operation to end.
  RunOutcome finish(int windowMs) {
    // Not ending within the window is an outcome, not an error.
    [[maybe_unused]] const bool ended =
        QTest::qWaitFor([this] { return current_.ended; }, windowMs);
    return collect();
  }

  // Waits until the operation has ended, or until the instrument has
  // answered every request sent and then neither an end nor another request
  // came for `quietMs`: an operation whose reply was lost goes no further.
  // With `allAddressed` false a request may go to an address no device has;
  // the instrument is then given `quietMs` to answer.
  RunOutcome settle(FaultyLine& line, int quietMs, bool allAddressed = true) {
    for (;;) {
      const std::size_t requests = sent.size();
      if (allAddressed) {
        EXPECT_TRUE(line.waitForReplies(requests)) << "the instrument did not see every request";
      } else {
        [[maybe_unused]] const bool answered = line.waitForReplies(requests, quietMs);
      }
      const bool moved =
          QTest::qWaitFor([&] { return current_.ended || sent.size() != requests; }, quietMs);
      if (!moved || current_.ended) return collect();
    }
  }

  RunOutcome run(OperationCode op, int windowMs,
                 const std::function<void(DeviceData&)>& prepare = {}) {
    start(op, prepare);
    return finish(windowMs);
  }

  // Called with the running count of handed frames before the engine sees
  // each one: a test arms a fault there for the replies that follow.
  std::function<void(std::size_t)> beforeReply;

  Session session;
  DeviceData& data = session.data();
  std::uint8_t pollAddress = 0;

  std::vector<Bytes> handed;  // raw frames handed to the engine, in order
  std::vector<ReceivedFrame> handedFrames;
  std::vector<Bytes> sent;  // request frames
  std::vector<std::vector<PollAddressItem>> refills;

 private:
  // Records what the session shows the user, as the window would show it.
  void record() {
    Session* s = &session;
    QObject::connect(s, &Session::messageShown, s, [this](MessageIcon, const std::string& text) {
      current_.messages.push_back(text);
    });
    QObject::connect(s, &Session::statusTextChanged, s,
                     [this](const std::string& text) { current_.statuses.push_back(text); });
    QObject::connect(s, &Session::progressChanged, s,
                     [this](int percent) { current_.progress = percent; });
    QObject::connect(
        s, &Session::pollAddressesFound, s,
        [this](const std::vector<PollAddressItem>& items) { refills.push_back(items); });
    QObject::connect(
        s, &Session::searchReportReady, s, [this](const std::string& text, unsigned report) {
          current_.messages.push_back(text);
          QTimer::singleShot(0, &session, [this, report] { session.searchReportClosed(report); });
        });
    QObject::connect(s, &Session::operationFinished, s, [this](const OperationEnd& end) {
      if (!running_ || end.op != op_) return;
      current_.ended = true;
      current_.result = end.result;
      current_.reason = end.reason;
      current_.retries = end.retries;
      current_.endedAfterMs = session.clock().nowMs() - startedAt_;
    });
  }

  // LinkObserver: a reply is seen here just before the engine takes it.
  void frameSent(const Bytes& raw) override {
    sent.push_back(raw);
    ++current_.requests;
  }
  void frameReceived(const ReceivedFrame& frame, const Bytes& raw) override {
    if (frame.frameType() != kFrameTypeAck) return;
    handed.push_back(raw);
    handedFrames.push_back(frame);
    ++current_.replies;
    if (beforeReply) beforeReply(handed.size());
  }
  void frameDropped(DropReason, const Bytes&) override {}

  RunOutcome collect() {
    running_ = false;
    current_.dataAfter = Fingerprint(data);
    return current_;
  }

  RunOutcome current_;
  OperationCode op_ = OP_COMM_TEST;
  bool running_ = false;
  TimeMs startedAt_ = 0;
};

}  // namespace vantrel::testing
