#include "port/Session.h"

#include "link/Translate.h"

namespace vantrel {

Session::Session(QObject* parent) : Session(steadyClock_, parent) {}

Session::Session(const Clock& clock, QObject* parent)
    : QObject(parent),
      clock_(clock),
      driver_(clock_, *this),
      engine_(driver_.core(), data_, *this),
      statusTracker_([this](std::uint8_t status) { emit deviceStatusChanged(status); }) {
  // The tracker sees each reply before anyone else that watches the line;
  // the reply then goes to the engine.
  observers_.add(&statusTracker_);
  driver_.core().setObserver(&observers_);
  driver_.core().setReplyHandler(&engine_);
  driver_.setHartIpWatcher(this);
  driver_.addTimed(&engine_);
  connect(&driver_, &LinkDriver::portLost, this, [this](const QString& reason) {
    engine_.portLost(nowMs());
    engine_.portChanged();
    driver_.rescheduleTimer();
    emit portLost(reason);
  });
  connect(&driver_, &LinkDriver::portOpened, this, [this] {
    emit portOpened();
    if (const std::optional<HartIpEndpoint> endpoint = hartIpEndpoint()) {
      emit portReady(QStringLiteral("HART-IP %1 %2")
                         .arg(endpoint->udp ? QStringLiteral("UDP") : QStringLiteral("TCP"),
                              endpoint->text()));
    }
  });
  connect(&driver_, &LinkDriver::openFailed, this, &Session::portOpenFailed);
}

Session::~Session() {
  driver_.core().setReplyHandler(nullptr);
  driver_.core().setObserver(nullptr);
  driver_.closePort();
}

bool Session::openPort(const QString& portName, const PortSettings& settings) {
  engine_.portChanged();
  useTransportReplyTimeout(false);
  const bool open = driver_.openPort(portName, settings);
  if (open) emit portReady(portName);
  return open;
}

void Session::useTransportReplyTimeout(bool hartIp) {
  if (!replyTimeoutByTransport_) return;
  LinkTiming timing = engine_.timing();
  timing.replyTimeoutMs = hartIp ? kHartIpReplyTimeoutMs : LinkTiming{}.replyTimeoutMs;
  engine_.setTiming(timing);
}

void Session::closePort() {
  driver_.closePort();
  engine_.portChanged();
}

std::optional<HartIpEndpoint> Session::hartIpEndpoint() const {
  if (const HartIpTransport* transport = driver_.hartIp()) return transport->endpoint();
  return std::nullopt;
}

bool Session::start(OperationCode op, std::uint8_t pollAddress) {
  const bool started = engine_.start(op, pollAddress, nowMs());
  driver_.rescheduleTimer();
  return started;
}

bool Session::pollTick(std::uint8_t pollAddress) {
  const bool started = engine_.pollTick(pollAddress, nowMs());
  driver_.rescheduleTimer();
  return started;
}

void Session::answerModelQuestion(unsigned number, bool send, bool remember) {
  engine_.answerModelQuestion(number, send, remember, nowMs());
  driver_.rescheduleTimer();
}

void Session::searchReportClosed(unsigned report) {
  engine_.searchReportClosed(report, nowMs());
  driver_.rescheduleTimer();
}

void Session::startSampling(std::uint8_t pollAddress, int intervalMs) {
  engine_.startSampling(pollAddress, intervalMs, nowMs());
  driver_.rescheduleTimer();
}

void Session::stopSampling() {
  engine_.stopSampling();
  driver_.rescheduleTimer();
}

// The header, and what a refusal or an error says.
void Session::hartIpMessage(bool sent, const hartip::Message& message, bool carriesFrame) {
  std::string header = hartip::HeaderText(message.header);
  const auto type = static_cast<hartip::MessageType>(message.header.type);
  if (type == hartip::MessageType::Error || type == hartip::MessageType::Nak) {
    if (!message.body.empty()) header += " " + hartip::ErrorCodeText(message.body[0]);
  } else if (message.header.status != hartip::kStatusSuccess) {
    header += " " + hartip::StatusText(message.header.status);
  }
  observers_.transportMessage(sent, header, hartip::EncodeMessage(message), carriesFrame);
}

void Session::hartIpSecured(const std::string& words) {
  observers_.transportMessage(false, words, {}, false);
}

// --- EngineEffects ---------------------------------------------------------

void Session::showMessage(MessageIcon icon, const std::string& text) {
  emit messageShown(icon, Tr(text));
}

void Session::setStatusText(const std::string& text) {
  emit statusTextChanged(Tr(text));
}

void Session::setProgress(int percent) {
  emit progressChanged(percent);
}

void Session::refresh(RefreshTarget target, RefreshDirection direction, OperationCode op) {
  emit refreshRequested(target, direction, op);
}

void Session::setDeviceDate(const CalendarDate& date) {
  emit deviceDateRead(date);
}

void Session::refillPollAddresses(const std::vector<PollAddressItem>& items) {
  emit pollAddressesFound(items);
}

void Session::showSearchReport(const std::string& text, unsigned report) {
  emit searchReportReady(text, report);
}

void Session::operationEnded(const OperationEnd& end) {
  OperationEnd shown = end;
  shown.reason = Tr(end.reason);
  emit operationFinished(shown);
}

void Session::instrumentIdentified(const Instrument& instrument) {
  emit instrumentSeen(instrument);
}

void Session::fieldsCleared(unsigned fields) {
  emit pageFieldsCleared(fields);
}

void Session::askAboutModel(const ModelQuestion& question) {
  emit modelQuestionAsked(question);
}

void Session::rememberModel(const InstrumentModel& model) {
  emit modelRemembered(model);
}

void Session::pollAddressWritten(std::uint8_t address) {
  emit pollAddressTaken(static_cast<int>(address));
}

void Session::stopAcquisition(const std::string& reason) {
  emit acquisitionStopRequested(reason);
}

void Session::sampleTaken(const Sample& sample) {
  emit sampleReceived(sample);
}

void Session::samplingStopped(const SamplingEnd& end) {
  SamplingEnd shown = end;
  shown.reason = Tr(end.reason);
  emit samplingEnded(shown);
}

}  // namespace vantrel
