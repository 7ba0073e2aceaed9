#include "sim/RequestParser.h"

namespace vantrel::sim {

void RequestParser::reset() {
  state_ = State::Preamble;
  preambles_ = 0;
}

std::optional<Request> RequestParser::feed(std::uint8_t byte) {
  switch (state_) {
    case State::Preamble: {
      if (byte == kPreambleByte) {
        if (preambles_ < 255) ++preambles_;
        return std::nullopt;
      }
      const std::uint8_t masked = byte & kDelimiterMask;
      const bool request = masked == kStxShort || masked == kStxLong;
      const bool started =
          start_ == RequestStart::AtDelimiter || preambles_ >= kMinAcceptedPreambles;
      if (request && started) {
        request_ = Request{};
        request_.delimiter = byte;
        expansion_ = ExpansionCount(byte);
        check_ = byte;
        index_ = 0;
        state_ = State::Address;
      }
      preambles_ = 0;
      return std::nullopt;
    }
    case State::Address:
      check_ ^= byte;
      request_.address[index_++] = byte;
      if (!request_.isLong() || index_ == kLongAddressSize) {
        index_ = 0;
        state_ = expansion_ > 0 ? State::Expansion : State::Command;
      }
      return std::nullopt;
    case State::Expansion:
      check_ ^= byte;
      if (++index_ >= expansion_) state_ = State::Command;
      return std::nullopt;
    case State::Command:
      check_ ^= byte;
      request_.command = byte;
      state_ = State::ByteCount;
      return std::nullopt;
    case State::ByteCount:
      check_ ^= byte;
      byteCount_ = byte;
      request_.data.reserve(byte);
      state_ = byte == 0 ? State::Check : State::Data;
      return std::nullopt;
    case State::Data:
      check_ ^= byte;
      request_.data.push_back(byte);
      if (request_.data.size() >= byteCount_) state_ = State::Check;
      return std::nullopt;
    case State::Check:
      reset();
      if (byte != check_) return std::nullopt;
      return std::move(request_);
  }
  return std::nullopt;
}

}  // namespace vantrel::sim
