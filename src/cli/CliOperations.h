// What the command line adds to the operation table: the arguments each
// operation takes (put into the device data the way the window's pages put
// them) and the values it prints when it succeeds. One row per operation
// that has either; the others take no arguments and print no values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "cli/CliSession.h"
#include "engine/DeviceData.h"
#include "engine/OperationCode.h"

namespace vantrel {

// A mistake in the command line, said in one line.
struct UsageError {
  std::string what;
};

// The words given to one operation, read in order.
class ArgReader {
 public:
  ArgReader(std::vector<std::string> words, std::string op)
      : words_(std::move(words)), op_(std::move(op)) {}
  bool empty() const { return next_ >= words_.size(); }
  std::string text(const char* name);
  double number(const char* name);
  int integer(const char* name, int min, int max);
  // An entry of a code table: its index, or a name `byName` knows.
  int choice(const char* name, std::size_t count, std::optional<int> (*byName)(std::string_view),
             const char* table);
  // Throws when words are left over.
  void done();
  const std::string& op() const { return op_; }

 private:
  std::vector<std::string> words_;
  std::string op_;
  std::size_t next_ = 0;
};

// A value as the page shows it: text, a whole number, a float (six
// significant digits, as the view's number fields), a list of numbers or of
// words.
using CliValue =
    std::variant<std::string, long long, float, std::vector<int>, std::vector<std::string>>;
using CliValues = std::vector<std::pair<const char*, CliValue>>;

// What the values are taken from: the device data, and the polling
// addresses the search found.
struct CliShown {
  const DeviceData& data;
  const std::vector<std::uint8_t>& found;
};

using Apply = std::function<void(DeviceData&)>;

// The command line's own column of each operation: the arguments it reads
// into the device data and the values it prints when it succeeds. One entry
// per row of the operation table.
struct CliOperation {
  OperationCode op;
  const char* synopsis;                        // its arguments in the usage text
  Apply (*arguments)(ArgReader& args);         // nullptr: takes none
  CliValues (*values)(const CliShown& shown);  // nullptr: shows none
};

const CliOperation* CliOperationsBegin();
const CliOperation* CliOperationsEnd();

// One line per operation, its word and its arguments.
std::string OperationsUsage();

// Turns the words after an operation into a step. Throws UsageError.
CliStep MakeStep(OperationCode op, ArgReader args);

// The values `op` shows once it has succeeded.
CliValues ValuesOf(OperationCode op, const CliShown& shown);

}  // namespace vantrel
