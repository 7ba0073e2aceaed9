// Turns a frame as it stood on the line into words an engineer can read:
// frame type, address, command and its name, data, and for replies the
// response code and the device status bits. Used by the communication
// monitor and by the command-line trace.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/HartCommands.h"
#include "link/HartFrame.h"
#include "link/LinkCore.h"

namespace vantrel {

enum class FrameDirection { Sent, Received };

struct DecodedFrame {
  TimeMs timeMs = 0;
  FrameDirection direction = FrameDirection::Received;
  std::vector<std::uint8_t> raw;  // delimiter through check byte
  bool dropped = false;
  std::string dropReason;  // why the receiver dropped it

  std::uint8_t delimiter = 0;
  std::string kind;  // "请求", "应答", "突发"
  bool longAddress = false;
  std::string address;  // "3" or "9a 10 01 02 03"
  std::optional<std::uint8_t> command;
  std::string commandName;
  std::optional<std::uint8_t> byteCount;
  std::vector<std::uint8_t> data;  // command data (after the status bytes of a reply)

  // Replies and burst frames only.
  bool hasStatus = false;
  std::uint8_t responseCode = 0;
  std::uint8_t deviceStatus = 0;
  ResponseClass responseClass = ResponseClass::Success;
  std::string responseText;
  std::vector<std::string> deviceStatusTexts;

  // What the data says, where the decoder knows its layout (the identity of
  // a command-0 reply); empty otherwise.
  std::string details;

  // Over HART-IP: the header of the message that carried the frame, in
  // words; for a session message, which carries no frame, `raw` is the whole
  // message and `transportOnly` is set.
  std::string transport;
  bool transportOnly = false;
};

// Pairs the messages of a framing transport (HART-IP) with the frames they
// carry, for the monitor and the trace.
class TransportLog {
 public:
  // A message that carries no frame is a line of its own, returned here; the
  // header of one that does goes on the frame that follows (take()).
  std::optional<DecodedFrame> message(bool sent, const std::string& header,
                                      const std::vector<std::uint8_t>& raw, bool carriesFrame,
                                      TimeMs timeMs);
  // Puts the header of the message that carried `frame` on it.
  DecodedFrame take(DecodedFrame frame);

 private:
  std::string pending_[2];  // by direction
};

// Decodes `raw` (preambles and trailing bytes, if any, are skipped).
DecodedFrame DecodeFrame(const std::vector<std::uint8_t>& raw, FrameDirection direction,
                         TimeMs timeMs);
DecodedFrame DecodeDroppedFrame(const std::vector<std::uint8_t>& raw, DropReason reason,
                                TimeMs timeMs);

// The name of a command the program uses, in the program's words; empty for
// others.
std::string CommandName(std::uint8_t command);

// Space-separated upper-case hex.
std::string HexBytes(const std::vector<std::uint8_t>& bytes);

// One line: time, direction, type, address, command, byte count, data and
// what it says, response and status, and the raw bytes.
std::string FormatFrameLine(const DecodedFrame& frame);

// " [丢弃：<reason>]": what a dropped frame's type is followed by.
std::string DroppedText(const std::string& dropReason);

}  // namespace vantrel
