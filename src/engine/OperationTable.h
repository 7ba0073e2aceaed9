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
#include <string>
#include <string_view>
#include <vector>

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
  // The loop-current mode the last polling-address write sent to a HART 6
  // or 7 instrument; none for HART 5.
  std::optional<std::uint8_t> sentLoopCurrentMode;
  // The long tag the last long-tag write sent, as sent.
  std::vector<std::uint8_t> sentLongTag;
};

// What an operation's functions work on.
struct OperationContext {
  DeviceData& data;
  EngineEffects& effects;
  OperationMemory& memory;
  OperationCode op;  // the operation running
  // Set by a filler that ends the operation before its request goes out
  // because the instrument cannot take it: the operation ends refused with
  // these words. Empty: a failure the filler has shown itself.
  std::string refusal{};
};

// One request after command 0. `command` comes from the step; a filler may
// choose another (the current trim picks 45 or 46). The byte count starts as
// the command table's request size; a filler sends more where a later
// revision's request is longer (command 6 of HART 6 and 7).
struct RequestFields {
  std::uint8_t command;
  std::uint8_t* data;  // the request's data bytes
  std::uint8_t byteCount;
};

// Fills a request. Returns false when the operation ends here instead; the
// filler has said why.
using FillRequest = bool (*)(OperationContext& context, RequestFields& request);
// Takes a reply into the device data.
using DecodeReply = void (*)(OperationContext& context, const ReceivedFrame& reply);
// Judges the reply that ends the operation: true when the instrument did what
// was asked.
using SuccessTest = bool (*)(const OperationContext& context, const ReceivedFrame& reply);
// Why the operation cannot start with the data as they stand, in words;
// empty when it can.
using Refusal = std::string (*)(const DeviceData& data);

struct OperationStep {
  template <typename T>
  constexpr OperationStep With(T OperationStep::*member, T value) const {
    OperationStep step = *this;
    step.*member = value;
    return step;
  }

  HartCommand command;
  FillRequest fill = nullptr;    // nullptr: a request without data
  DecodeReply decode = nullptr;  // nullptr: the reply carries nothing to keep
  TimeMs pauseBefore = 0;        // the engine waits this long before sending
  // What this step of a write changes, in words. When the instrument refuses
  // it, the write goes on with its next step and ends with its failure text,
  // naming the part. nullptr: a refusal ends the operation.
  const char* part = nullptr;

  constexpr OperationStep filledBy(FillRequest f) const { return With(&OperationStep::fill, f); }
  constexpr OperationStep decodedBy(DecodeReply d) const { return With(&OperationStep::decode, d); }
  constexpr OperationStep after(TimeMs pause) const {
    return With(&OperationStep::pauseBefore, pause);
  }
  constexpr OperationStep writing(const char* what) const {
    return With(&OperationStep::part, what);
  }
};

// The request of command `command` after command 0.
constexpr OperationStep Step(HartCommand command) {
  return OperationStep{command};
}

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

// What an operation changes in the instrument. Every operation that
// changes something is recorded in the change journal.
enum class Changes {
  Nothing,        // reads and tests
  Configuration,  // identity, addresses, range, units, sensor, offset, gain
  Output,         // the loop current, fixed or released
  Calibration,    // trims and calibrations of the measurement or the output
};

// Where a row puts the values its operation sends, for the change journal.
// `field` is the page field (PageField) the value is taken from.
class SentValues {
 public:
  virtual ~SentValues() = default;
  virtual void text(unsigned field, const char* key, const std::string& value) = 0;
  // A number the page holds as text.
  virtual void number(unsigned field, const char* key, const std::string& value) = 0;
  // A value given for the operation, with no earlier one to show.
  virtual void given(const char* key, float value) = 0;
  // An entry of a code table: `index` into it, named by `nameOf`; -1 for
  // nothing selected.
  virtual void name(unsigned field, const char* key, int index, std::string (*nameOf)(int)) = 0;
};
// Puts the values an operation sends, taken from `data`, into `values`.
using RecordSent = void (*)(SentValues& values, const DeviceData& data);

struct OperationRow {
  template <typename T>
  constexpr OperationRow With(T OperationRow::*member, T value) const {
    OperationRow row = *this;
    row.*member = value;
    return row;
  }

  OperationCode code;
  std::string_view word;  // on the command line
  OperationKind kind = OperationKind::Transaction;
  Changes changes = Changes::Nothing;
  DecodeReply decodeIdentity = nullptr;  // the command-0 reply, after the long address is learnt
  StepList steps{};
  SuccessTest succeeded = nullptr;  // nullptr: every reply that is not an error
  ResultTexts texts{nullptr, nullptr};
  std::optional<RefreshTarget> refresh{};  // shown after the last reply
  unsigned shows = kNoFields;              // the page fields it fills (PageField)
  unsigned sends = kNoFields;              // the page fields whose values it writes
  Refusal refuse = nullptr;                // nullptr: nothing to check
  RecordSent recordSent = nullptr;         // nullptr: it sends no values of the page
  bool maySendTwice = true;  // a read or a plain write; false for trims and calibrations
  // The lowest HART revision that knows the commands, checked after command
  // 0; 0: every revision.
  std::uint8_t minimumRevision = 0;

  constexpr OperationRow judgedBy(SuccessTest test) const {
    return With(&OperationRow::succeeded, test);
  }
  constexpr OperationRow refusing(Refusal refusal) const {
    return With(&OperationRow::refuse, refusal);
  }
  constexpr OperationRow recording(RecordSent record) const {
    return With(&OperationRow::recordSent, record);
  }
  // Writes the values of the page fields `fields` into the instrument.
  constexpr OperationRow sending(unsigned fields) const {
    return With(&OperationRow::sends, fields);
  }
  constexpr OperationRow fromRevision(std::uint8_t revision) const {
    return With(&OperationRow::minimumRevision, revision);
  }
  constexpr OperationRow identityBy(DecodeReply decode) const {
    return With(&OperationRow::decodeIdentity, decode);
  }
  // Fills the fields `fields` (PageField) without showing a page again: a
  // front end shows them in its own way.
  constexpr OperationRow filling(unsigned fields) const {
    return With(&OperationRow::shows, fields);
  }
  // Shown again on `target` after the last reply; `fields` are the ones the
  // operation filled.
  constexpr OperationRow showing(RefreshTarget target, unsigned fields) const {
    OperationRow row = With(&OperationRow::refresh, std::optional<RefreshTarget>(target));
    row.shows = fields;
    return row;
  }
};

// The row of `op`, which must be an operation code.
const OperationRow& OperationRowOf(OperationCode op);

// The units code a range write sends; nullopt while no unit is chosen.
std::optional<std::uint8_t> RangeUnitCode(const DeviceData& data);

// Every row, in code order.
const OperationRow* OperationRowsBegin();
const OperationRow* OperationRowsEnd();

// The classes (CommandClass bits) of the commands `op` sends, command 0
// included.
unsigned CommandClassesOf(OperationCode op);

}  // namespace vantrel
