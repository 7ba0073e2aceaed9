// Slave-side frame parser of the simulated instrument: finds master requests
// (delimiter 0x02 or 0x82 after at least two preamble bytes) in the byte
// stream and checks their check byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/HartFrame.h"

namespace vantrel::sim {

struct Request {
  std::uint8_t delimiter = 0;
  LongAddressBytes address{};  // element 0 only for a short frame
  std::uint8_t command = 0;
  std::vector<std::uint8_t> data;

  bool isLong() const { return HasLongAddress(delimiter); }
};

// Where a request starts.
enum class RequestStart {
  AfterPreambles,  // on the serial line: a delimiter after two preambles at least
  AtDelimiter,     // a frame given whole (HART-IP): the first byte is its delimiter
};

class RequestParser {
 public:
  explicit RequestParser(RequestStart start = RequestStart::AfterPreambles) : start_(start) {}

  // Takes one byte from the line; returns the request it completed, if any.
  std::optional<Request> feed(std::uint8_t byte);
  void reset();

 private:
  enum class State { Preamble, Address, Expansion, Command, ByteCount, Data, Check };

  RequestStart start_;
  State state_ = State::Preamble;
  std::uint8_t preambles_ = 0;
  std::size_t index_ = 0;
  std::uint8_t expansion_ = 0;
  std::uint8_t byteCount_ = 0;
  std::uint8_t check_ = 0;
  Request request_;
};

}  // namespace vantrel::sim
