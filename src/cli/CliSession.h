// Runs operations one after another on one session, as the window would, and
// reports each one's status, progress, values and messages.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "engine/DeviceData.h"
#include "engine/FrameDecoder.h"
#include "port/Session.h"

namespace vantrel {

struct CliStep {
  OperationCode op;
  std::function<void(DeviceData&)> apply;  // puts the step's arguments into the data
};

// What one operation did.
struct CliOutcome {
  OperationCode op = OP_COMM_TEST;
  std::string status;  // last status text; empty when none was shown
  bool hasStatus = false;
  int progress = 0;
  std::vector<std::string> messages;
  bool ended = false;  // false: a reply did not come in time
  // Frames on the line: requests as written (preambles included), replies
  // from delimiter to check byte.
  std::size_t bytesSent = 0;
  std::size_t bytesReceived = 0;
  std::size_t framesReceived = 0;
  OperationResult result = OperationResult::Refused;
};

class CliSession : public QObject, private LinkObserver {
  Q_OBJECT

 public:
  struct Options {
    int timeoutMs = 3000;  // per awaited reply; the search runs its own course
    bool trace = false;
    std::uint8_t pollAddress = 0;
  };

  CliSession(const Clock& clock, Options options, QObject* parent = nullptr);
  ~CliSession() override;

  bool openPort(const QString& portName);
  QString portError() const { return session_.portError(); }

  // Runs the steps in order and calls `done` when the last has ended or one
  // timed out. `each` sees every outcome as it is known.
  void run(std::vector<CliStep> steps, std::function<void(const CliOutcome&)> each,
           std::function<void()> done);

  const DeviceData& data() const { return session_.data(); }
  std::uint8_t pollAddress() const { return options_.pollAddress; }

 private:
  // LinkObserver
  void frameSent(const std::vector<std::uint8_t>& raw) override;
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) override;
  void frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) override;

  void connectSession();
  void startNext();
  void onEnded(OperationCode op, OperationResult result);
  void onTimeout();
  void trace(const DecodedFrame& frame);
  TimeMs elapsedMs() const;

  const Clock& clock_;
  Options options_;
  Session session_;
  QTimer replyTimer_;
  TimeMs startedAt_;

  std::vector<CliStep> steps_;
  std::size_t next_ = 0;
  CliOutcome current_;
  bool running_ = false;
  std::function<void(const CliOutcome&)> each_;
  std::function<void()> done_;
};

}  // namespace vantrel
