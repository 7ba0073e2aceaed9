// One link to one instrument, the same for every front end: the serial port
// and its driver, the instrument's data, the command engine and the watchers
// of the line. The session hands the engine the time with every call it
// forwards and re-arms the driver's timer after each, so that no deadline the
// engine sets is left unarmed. What the engine shows the user comes out as
// signals, delivered at once on the session's thread.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DeviceData.h"
#include "engine/Engine.h"
#include "engine/EngineEffects.h"
#include "link/DeviceStatusTracker.h"
#include "link/ObserverList.h"
#include "port/Clock.h"
#include "port/LinkDriver.h"

namespace vantrel {

class Session : public QObject, private EngineEffects, private HartIpWatcher {
  Q_OBJECT

 public:
  // On the steady clock.
  explicit Session(QObject* parent = nullptr);
  // On `clock`, which must outlive the session.
  explicit Session(const Clock& clock, QObject* parent = nullptr);
  ~Session() override;

  const Clock& clock() const { return clock_; }
  DeviceData& data() { return data_; }
  const DeviceData& data() const { return data_; }
  const Engine& engine() const { return engine_; }

  // Closes the port if open, then opens `portName` with the HART line
  // settings (and RTS keying when asked). Returns true when it is open.
  bool openPort(const QString& portName, const PortSettings& settings = PortSettings{});
  void closePort();
  bool isPortOpen() const { return driver_.isPortOpen(); }
  // Closes what is open, then starts a HART-IP session with `endpoint`:
  // portOpened() or portOpenFailed() tells how it went.
  void openHartIp(const HartIpEndpoint& endpoint) {
    engine_.portChanged();
    useTransportReplyTimeout(true);
    driver_.openHartIp(endpoint);
  }
  // The serial port's name, or the HART-IP server's with its transport
  // ("hart-ip tcp 192.168.1.20:5094"), as the journal records it.
  QString portName() const { return driver_.portName(); }
  // Why the port last failed to open.
  QString portError() const { return driver_.openError(); }
  // The settings of the serial port last opened.
  const PortSettings& serialSettings() const { return driver_.serialSettings(); }
  // The HART-IP server while a HART-IP connection is in use (open, opening
  // or failed); nothing on a serial port.
  std::optional<HartIpEndpoint> hartIpEndpoint() const;
  // The HART-IP transport while one is in use, for what watches its session.
  HartIpTransport* hartIpTransport() const { return driver_.hartIp(); }
  // The link core underneath, for tests that put bytes on the line as the
  // port would deliver them.
  LinkCore& linkCore() { return driver_.core(); }
  // True while a frame is partly received: the line is not quiet.
  bool frameInProgress() const { return driver_.core().frameInProgress(); }
  // Re-arms the timer, for a clock moved by hand.
  void clockMoved() { driver_.rescheduleTimer(); }
  // True when `reply` answers the request last sent (LinkCore::isReplyToRequest).
  bool isReplyToRequest(const ReceivedFrame& reply) const {
    return driver_.core().isReplyToRequest(reply);
  }

  // Adds a watcher of every frame on the line; it must be removed before it
  // goes away.
  void addObserver(LinkObserver* observer) { observers_.add(observer); }
  void removeObserver(LinkObserver* observer) { observers_.remove(observer); }

  // The field device status of the last reply that carried one (0 before
  // any).
  std::uint8_t deviceStatus() const { return statusTracker_.status(); }

  // How long to wait for a reply and how often to try (the window's
  // defaults unless set).
  void setTiming(const LinkTiming& timing) { engine_.setTiming(timing); }
  // With `byTransport`, each port that opens sets the reply time-out of its
  // kind: kHartIpReplyTimeoutMs over HART-IP (a bridge answers after its own
  // loop time and retries), LinkTiming's on a serial port. Without (the
  // default), the time-out set above stays.
  void setReplyTimeoutByTransport(bool byTransport) { replyTimeoutByTransport_ = byTransport; }

  // Starts `op` on the instrument at `pollAddress` (see Engine::start).
  bool start(OperationCode op, std::uint8_t pollAddress);
  // One tick of the acquisition timer (see Engine::pollTick).
  bool pollTick(std::uint8_t pollAddress);
  // The user has dismissed the search report `report`.
  void searchReportClosed(unsigned report);
  // Samples the instrument at `pollAddress` with command 3 every
  // `intervalMs` (0: as fast as the line allows) until stopSampling(); an
  // operation started meanwhile pauses it (see Engine::startSampling).
  void startSampling(std::uint8_t pollAddress, int intervalMs);
  void stopSampling();
  bool samplingActive() const { return engine_.samplingActive(); }

  // The models confirmed besides the family's, and what to do for others
  // (see Engine).
  void setKnownModels(std::vector<InstrumentModel> models) {
    engine_.setKnownModels(std::move(models));
  }
  void setModelPolicy(ModelPolicy policy) { engine_.setModelPolicy(policy); }
  // The user's answer to the question `number` (modelQuestionAsked).
  void answerModelQuestion(unsigned number, bool send, bool remember);
  // The acquisition has stopped; it asks about the model again next time.
  void acquisitionStopped() { engine_.acquisitionStopped(); }
  // The next operation started goes on after command 0 only to `identity`.
  void requireInstrument(const LongAddressBytes& identity) { engine_.requireInstrument(identity); }

 signals:
  // Pane 0 of the status bar.
  void statusTextChanged(const std::string& text);
  // The progress bar, 0 to 100.
  void progressChanged(int percent);
  // A page (or the main view) is to copy between its controls and the data,
  // for operation `op`.
  void refreshRequested(RefreshTarget target, RefreshDirection direction, OperationCode op);
  // The date read from the instrument, for the date picker.
  void deviceDateRead(const CalendarDate& date);
  // The polling-address list after a search, in the order to show.
  void pollAddressesFound(const std::vector<PollAddressItem>& items);
  // The search report; answer with searchReportClosed(report) once the user
  // has dismissed it.
  void searchReportReady(const std::string& text, unsigned report);
  // A message box for the user.
  void messageShown(MessageIcon icon, const std::string& text);
  // An operation has ended.
  void operationFinished(const OperationEnd& end);
  // A reply brought another field device status than the one before.
  void deviceStatusChanged(int status);
  // The port failed while open and has been closed.
  void portLost(const QString& reason);
  // A HART-IP session is up, or could not be set up (the reason in words).
  void portOpened();
  void portOpenFailed(const QString& reason);
  // A serial port or a HART-IP session is open: `where` names it
  // ("/dev/ttyUSB0", "HART-IP TCP 192.168.1.20:5094").
  void portReady(const QString& where);
  // A command-0 reply named `instrument`.
  void instrumentSeen(const Instrument& instrument);
  // The page fields `fields` (PageField bits) have been emptied in the data:
  // the instrument they came from is no longer the one connected.
  void pageFieldsCleared(unsigned fields);
  // Asks whether the family's own command may go to an unknown model; answer
  // with answerModelQuestion(question.number, ...).
  void modelQuestionAsked(const ModelQuestion& question);
  // `model` is to be known from now on.
  void modelRemembered(const InstrumentModel& model);
  // The instrument took the polling address the user wrote.
  void pollAddressTaken(int address);
  // The acquisition cannot go on; `reason` says why.
  void acquisitionStopRequested(const std::string& reason);
  // A reading of the sampling run, its time on the session's clock.
  void sampleReceived(const Sample& sample);
  // The sampling run stopped on its own; the reason is translated.
  void samplingEnded(const SamplingEnd& end);

 private:
  // EngineEffects (and the link core's MessageSink)
  void showMessage(MessageIcon icon, const std::string& text) override;
  void setStatusText(const std::string& text) override;
  void setProgress(int percent) override;
  void refresh(RefreshTarget target, RefreshDirection direction, OperationCode op) override;
  void setDeviceDate(const CalendarDate& date) override;
  void refillPollAddresses(const std::vector<PollAddressItem>& items) override;
  void showSearchReport(const std::string& text, unsigned report) override;
  void operationEnded(const OperationEnd& end) override;
  void instrumentIdentified(const Instrument& instrument) override;
  void fieldsCleared(unsigned fields) override;
  void askAboutModel(const ModelQuestion& question) override;
  void rememberModel(const InstrumentModel& model) override;
  void pollAddressWritten(std::uint8_t address) override;
  void stopAcquisition(const std::string& reason) override;
  void sampleTaken(const Sample& sample) override;
  void samplingStopped(const SamplingEnd& end) override;

  // HartIpWatcher: each message to the watchers of the line, in words.
  void hartIpMessage(bool sent, const hartip::Message& message, bool carriesFrame) override;
  // The secure channel's line, of its own, between the initiate and the PDUs.
  void hartIpSecured(const std::string& words) override;

  TimeMs nowMs() const { return clock_.nowMs(); }
  // The reply time-out of the port about to open, when it is to choose.
  void useTransportReplyTimeout(bool hartIp);

  SteadyClock steadyClock_;
  const Clock& clock_;
  DeviceData data_;
  LinkDriver driver_;
  Engine engine_;
  ObserverList observers_;
  DeviceStatusTracker statusTracker_;
  bool replyTimeoutByTransport_ = false;
};

}  // namespace vantrel
