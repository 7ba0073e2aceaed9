// A link core on a fake port, a fake clock and recorded engine effects: the
// engine runs exactly as in the program, and every byte and every effect can
// be checked.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "link/HartFrame.h"
#include "tests/link/LinkFakes.h"

namespace vantrel::testing {

class RecordingEffects : public EngineEffects {
 public:
  std::vector<std::string> statusTexts;
  std::vector<int> progress;
  std::vector<std::pair<RefreshTarget, RefreshDirection>> refreshes;
  std::vector<std::pair<MessageIcon, std::string>> messages;
  std::vector<CalendarDate> dates;
  std::vector<std::vector<PollAddressItem>> refills;
  std::vector<std::string> reports;
  unsigned lastReport = 0;
  std::vector<std::pair<OperationCode, OperationResult>> ended;
  std::vector<OperationEnd> ends;  // the same, whole

  void setStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void setProgress(int percent) override { progress.push_back(percent); }
  void refresh(RefreshTarget t, RefreshDirection d, OperationCode) override {
    refreshes.emplace_back(t, d);
  }
  void setDeviceDate(const CalendarDate& date) override { dates.push_back(date); }
  void refillPollAddresses(const std::vector<PollAddressItem>& items) override {
    refills.push_back(items);
  }
  void showSearchReport(const std::string& text, unsigned report) override {
    reports.push_back(text);
    lastReport = report;
  }
  void showMessage(MessageIcon icon, const std::string& text) override {
    messages.emplace_back(icon, text);
  }
  void operationEnded(const OperationEnd& end) override {
    ended.emplace_back(end.op, end.result);
    ends.push_back(end);
  }
  std::vector<ModelQuestion> questions;
  std::vector<InstrumentModel> remembered;
  std::vector<unsigned> cleared;
  std::vector<std::string> acquisitionStops;
  std::vector<std::uint8_t> pollAddressesTaken;
  void askAboutModel(const ModelQuestion& question) override { questions.push_back(question); }
  void rememberModel(const InstrumentModel& model) override { remembered.push_back(model); }
  void fieldsCleared(unsigned fields) override { cleared.push_back(fields); }
  void stopAcquisition(const std::string& reason) override { acquisitionStops.push_back(reason); }
  void pollAddressWritten(std::uint8_t address) override { pollAddressesTaken.push_back(address); }
  std::vector<Sample> samples;
  std::vector<SamplingEnd> samplingEnds;
  void sampleTaken(const Sample& sample) override { samples.push_back(sample); }
  void samplingStopped(const SamplingEnd& end) override { samplingEnds.push_back(end); }

  std::string lastStatus() const { return statusTexts.empty() ? "" : statusTexts.back(); }
  int lastProgress() const { return progress.empty() ? -1 : progress.back(); }
};

// Delimiter through check byte of a response.
inline Bytes ResponseFrame(std::uint8_t delimiter, const Bytes& address, std::uint8_t command,
                           std::uint8_t responseCode, const Bytes& data,
                           std::uint8_t deviceStatus = 0) {
  Bytes frame{delimiter};
  frame.insert(frame.end(), address.begin(), address.end());
  frame.push_back(command);
  frame.push_back(static_cast<std::uint8_t>(data.size() + 2));
  frame.push_back(responseCode);
  frame.push_back(deviceStatus);
  frame.insert(frame.end(), data.begin(), data.end());
  frame.push_back(CheckByte(frame.data(), frame.size()));
  return frame;
}

// Command-0 data of the device with manufacturer 0x5A, type 0x10, id 01 02 03.
inline Bytes IdentityData(std::uint8_t manufacturer = 0x5A) {
  return {0xFE, manufacturer, 0x10, 0x05, 0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03};
}

const Bytes kDeviceLongAddress = {0x9A, 0x10, 0x01, 0x02, 0x03};

struct EngineHarness {
  FakePort port;
  RecordingEffects effects;
  TimeMs now = 100000;  // the time the engine is given
  DeviceData data;
  LinkCore link{port, effects};
  Engine engine{link, data, effects};

  EngineHarness() { link.setReplyHandler(&engine); }

  bool start(OperationCode op, std::uint8_t pollAddress) {
    return engine.start(op, pollAddress, now);
  }
  void startSearch() { engine.startSearch(now); }
  void startSampling(std::uint8_t pollAddress, TimeMs intervalMs) {
    engine.startSampling(pollAddress, intervalMs, now);
  }
  bool pollTick(std::uint8_t pollAddress) { return engine.pollTick(pollAddress, now); }
  // The user dismisses the search report last shown.
  void closeReport() { engine.searchReportClosed(effects.lastReport, now); }

  // A response arriving after a pause, with enough preambles.
  void feed(const Bytes& frame) {
    now += 100;
    Bytes line(5, 0xFF);
    line.insert(line.end(), frame.begin(), frame.end());
    link.receiveBytes(line.data(), line.size(), now);
  }
  void replyShort(std::uint8_t address, std::uint8_t command, const Bytes& data,
                  std::uint8_t responseCode = 0) {
    feed(ResponseFrame(0x06, {static_cast<std::uint8_t>(0x80 | address)}, command, responseCode,
                       data));
  }
  void replyCommand0(std::uint8_t responseCode = 0) {
    replyShort(0, 0, IdentityData(), responseCode);
  }
  void replyLong(std::uint8_t command, const Bytes& data, std::uint8_t responseCode = 0) {
    feed(ResponseFrame(0x86, kDeviceLongAddress, command, responseCode, data));
  }
  // The reply to the request last sent, from the device's long address.
  void reply(const Bytes& data, std::uint8_t responseCode = 0) {
    replyLong(link.link().txCommand, data, responseCode);
  }
  // The same from whatever device the request went to.
  void replyToRequest(const Bytes& data, std::uint8_t responseCode = 0) {
    const HartLink& sent = link.link();
    feed(ResponseFrame(0x86, Bytes(sent.txLongAddress.begin(), sent.txLongAddress.end()),
                       sent.txCommand, responseCode, data));
  }
  // Moves the time on and wakes the engine if it is due.
  void advance(TimeMs ms) {
    now += ms;
    if (const auto due = engine.nextDeadline(); due && *due <= now) engine.handleDeadline(now);
  }
  const Bytes& lastWrite() const { return port.writes.back(); }
};

// The frame a request puts on the line, from its delimiter to its check byte
// (preambles and trailing bytes cut off).
inline Bytes FrameBody(const Bytes& written) {
  std::size_t start = 0;
  while (start < written.size() && written[start] == 0xFF) ++start;
  return Bytes(written.begin() + static_cast<long>(start), written.end() - 3);
}

}  // namespace vantrel::testing
