// Runs operations one after another on one session, as the window would, and
// reports each one's status, progress, values and messages.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/JournalKeeper.h"
#include "engine/DeviceData.h"
#include "engine/FrameDecoder.h"
#include "port/Session.h"

namespace vantrel {

struct CliStep {
  OperationCode op;
  std::function<void(DeviceData&)> apply;  // puts the step's arguments into the data
  // The polling address from this step on; none: the one before holds.
  std::optional<std::uint8_t> address = std::nullopt;
};

// What one operation did.
struct CliOutcome {
  OperationCode op = OP_COMM_TEST;
  std::string status;  // last status text; empty when none was shown
  bool hasStatus = false;
  int progress = 0;
  std::vector<std::string> messages;
  bool skipped = false;  // not run: an operation before it did not succeed
  OperationResult result = OperationResult::Refused;
  std::string reason;  // why it failed; empty when there is nothing to add
  int retries = 0;     // requests sent again, for any reason
  // The operation's last reply: its response code, and the field device
  // status of the last one that carried one.
  std::optional<std::uint8_t> responseCode;
  std::optional<std::uint8_t> deviceStatus;
  // Frames on the line: requests as written (preambles included), replies
  // from delimiter to check byte.
  std::size_t bytesSent = 0;
  std::size_t bytesReceived = 0;
  std::size_t framesReceived = 0;

  bool journalNotWritten = false;  // its journal record could not be written
  // The instrument its command-0 reply named; none when no such reply came.
  std::optional<Instrument> instrument;

  bool succeeded() const { return !skipped && result == OperationResult::Success; }
};

// Opens a HART-IP session on `session` and waits until it is up or could
// not be set up; the transport's own deadline ends the wait.
bool OpenHartIpAndWait(Session& session, const HartIpEndpoint& endpoint);

// What a port that did not open says: "HART-IP 连接失败 HOST:PORT: why" over
// HART-IP, the serial port's text with its name otherwise.
std::string PortOpenFailedText(const std::optional<HartIpEndpoint>& hartIp, const QString& port,
                               const QString& reason);

class CliSession : public QObject, private LinkObserver {
  Q_OBJECT

 public:
  struct Options {
    LinkTiming timing;  // the reply time-out of one try, and the retries
    // false: the port opened sets the reply time-out of its kind instead of
    // timing's (see Session::setReplyTimeoutByTransport).
    bool replyTimeoutGiven = true;
    bool rtsKeying = false;
    bool trace = false;
    std::uint8_t pollAddress = 0;
    // Send the family's own commands to a model not known, and know it from
    // then on (--trust-model); without, such an operation ends refused.
    bool trustModels = false;
  };

  CliSession(const Clock& clock, Options options, QObject* parent = nullptr);
  ~CliSession() override;

  bool openPort(const QString& portName);
  // Waits until the HART-IP session is up or could not be set up.
  bool openHartIp(const HartIpEndpoint& endpoint);
  // Records every write, fixed current and calibration in `journal`. Once it
  // cannot be written, standard error says so (once) and the operations go
  // on, each outcome marked.
  void setJournal(std::unique_ptr<Journal> journal);
  QString portError() const { return session_.portError(); }

  // Runs the steps in order and calls `done` when the last has ended. An
  // operation that does not succeed stops the chain: the steps after it are
  // reported skipped. `each` sees every outcome as it is known.
  void run(std::vector<CliStep> steps, std::function<void(const CliOutcome&)> each,
           std::function<void()> done);

  const DeviceData& data() const { return session_.data(); }
  // The polling addresses the search last run found.
  std::vector<std::uint8_t> foundAddresses() const { return session_.engine().foundAddresses(); }
  std::uint8_t pollAddress() const { return options_.pollAddress; }

 private:
  // LinkObserver
  void frameSent(const std::vector<std::uint8_t>& raw) override;
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) override;
  void frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) override;
  void transportMessage(bool sent, const std::string& header, const std::vector<std::uint8_t>& raw,
                        bool carriesFrame) override;

  void connectSession();
  void portLost(const QString& reason);
  void startNext();
  void onEnded(const OperationEnd& end);
  void skipTheRest();
  void trace(const DecodedFrame& frame);
  TimeMs elapsedMs() const;

  TransportLog transport_;

  const Clock& clock_;
  Options options_;
  Session session_;
  TimeMs startedAt_;

  std::vector<CliStep> steps_;
  std::size_t next_ = 0;
  CliOutcome current_;
  bool running_ = false;
  std::function<void(const CliOutcome&)> each_;
  std::function<void()> done_;
  std::unique_ptr<JournalKeeper> journal_;
};

}  // namespace vantrel
