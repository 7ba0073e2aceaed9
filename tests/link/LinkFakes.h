// Fakes around the link core: a serial port that records what goes on the
// line, a message sink and a reply handler that record what they are given.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/HartFrame.h"
#include "link/LinkCore.h"

namespace vantrel::testing {

using Bytes = std::vector<std::uint8_t>;

class FakePort : public LinkPort {
 public:
  bool opened = true;
  bool refusesWrites = false;  // a port that has just failed
  std::vector<Bytes> writes;

  bool isOpened() const override { return opened; }
  // Frames the request as the serial transport does.
  std::optional<Bytes> writeFrame(const Bytes& frame, std::uint8_t preambles) override {
    if (refusesWrites) return std::nullopt;
    writes.push_back(SerialLineBytes(frame, preambles));
    return writes.back();
  }
  Bytes allWritten() const {
    Bytes all;
    for (const Bytes& w : writes) all.insert(all.end(), w.begin(), w.end());
    return all;
  }
};

class FakeMessages : public MessageSink {
 public:
  std::vector<std::pair<MessageIcon, std::string>> shown;
  void showMessage(MessageIcon icon, const std::string& text) override {
    shown.emplace_back(icon, text);
  }
};

class RecordingHandler : public ReplyHandler {
 public:
  std::vector<ReceivedFrame> replies;
  void HandleOperationReply(const ReceivedFrame& reply) override { replies.push_back(reply); }
};

class RecordingObserver : public LinkObserver {
 public:
  std::vector<Bytes> sent;
  std::vector<Bytes> received;
  std::vector<std::pair<DropReason, Bytes>> dropped;
  void frameSent(const Bytes& raw) override { sent.push_back(raw); }
  void frameReceived(const ReceivedFrame&, const Bytes& raw) override { received.push_back(raw); }
  void frameDropped(DropReason reason, const Bytes& raw) override {
    dropped.emplace_back(reason, raw);
  }
};

}  // namespace vantrel::testing
