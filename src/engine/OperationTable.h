// The thirty operations, one row each: what the command line calls it, the
// commands it sends after command 0 with a small function that fills each
// request, how each reply is taken into the device data, how the last reply
// is judged, the texts it ends with, what it refuses to start with, and
// whether its requests may go out twice without harm. The engine runs every
// row the same way; adding an operation is a row and its functions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "engine/DeviceData.h"
#include "engine/EngineEffects.h"
#include "engine/OperationCode.h"
#include "link/HartCommands.h"
#include "link/LinkCore.h"

namespace vantrel {

// The pause before command 35 of a configuration write.
constexpr TimeMs kRangeWritePauseMs = 500;

// What the engine remembers from one operation for the next.
struct OperationMemory {
  // The long address last read from or written to the instrument, as the
  // HART page shows it; the calibrations are judged against it.
  LongAddressBytes longAddressBytes{};
  // The units code the last range write sent; its reply must echo it.
  std::uint8_t sentUnitCode = 0;
};

// What an operation's functions work on.
struct OperationContext {
  DeviceData& data;
  EngineEffects& effects;
  OperationMemory& memory;
  OperationCode op;  // the operation running
};

// One request after command 0. `command` comes from the step; a filler may
// choose another (the current trim picks 45 or 46). The byte count is the
// command table's request size.
struct RequestFields {
  std::uint8_t command;
  std::uint8_t* data;  // the request's data bytes
};

// Fills a request. Returns false when the operation ends here instead; the
// filler has said why.
using FillRequest = bool (*)(OperationContext& context, RequestFields& request);
// Takes a reply into the device data.
using DecodeReply = void (*)(OperationContext& context, const ReceivedFrame& reply);
// Judges the reply that ends the operation: true when the instrument did what
// was asked.
using SuccessTest = bool (*)(const OperationContext& context, const ReceivedFrame& reply);
// Why the operation cannot start with the data as they stand; nullptr when it
// can.
using Refusal = const char* (*)(const DeviceData& data);

struct OperationStep {
  HartCommand command;
  FillRequest fill = nullptr;    // nullptr: a request without data
  DecodeReply decode = nullptr;  // nullptr: the reply carries nothing to keep
  TimeMs pauseBefore = 0;        // the engine waits this long before sending
  // What this step of a write changes, in words. When the instrument refuses
  // it, the write goes on with its next step and ends with its failure text,
  // naming the part. nullptr: a refusal ends the operation.
  const char* part = nullptr;
};

constexpr std::size_t kMaxSteps = 2;

// The requests an operation sends after command 0, in order.
class StepList {
 public:
  constexpr StepList() = default;
  constexpr StepList(std::initializer_list<OperationStep> steps) {
    for (const OperationStep& step : steps) steps_[count_++] = step;
  }
  constexpr std::size_t size() const { return count_; }
  constexpr const OperationStep& operator[](std::size_t i) const { return steps_[i]; }

 private:
  std::array<OperationStep, kMaxSteps> steps_{};
  std::size_t count_ = 0;
};

// How the engine runs an operation.
enum class OperationKind {
  Transaction,  // command 0, then its steps; error codes end it with its failure text
  CommTest,     // command 0 alone; any reply to it is an answer
  Search,       // command 0 to each polling address in turn
  // A transaction run in the background (acquisition): no retries, busy and
  // delayed responses not followed, and nothing shown when no reply comes.
  Poll,
};

// The status texts an operation ends with: success, and failure. An
// operation without a success test fails only on an error response.
struct ResultTexts {
  const char* success;
  const char* failure;
};

struct OperationRow {
  OperationCode code;
  std::string_view word;  // on the command line
  OperationKind kind;
  DecodeReply decodeIdentity;  // the command-0 reply, after the long address is learnt
  StepList steps;
  SuccessTest succeeded;  // nullptr: every reply that is not an error
  ResultTexts texts;
  std::optional<RefreshTarget> refresh;  // shown after the last reply
  Refusal refuse;                        // nullptr: nothing to check
  bool maySendTwice;  // a read or a plain write; false for trims and calibrations
};

// The row of `op`, which must be an operation code.
const OperationRow& OperationRowOf(OperationCode op);

}  // namespace vantrel
