#include "cli/CliOperations.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>

#include "engine/AdditionalStatus.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"

namespace vantrel {

std::string ArgReader::text(const char* name) {
  if (empty()) throw UsageError{op_ + ": missing " + name};
  return words_[next_++];
}

double ArgReader::number(const char* name) {
  const std::string word = text(name);
  const std::optional<double> value = ParseNumber(word);
  if (!value) throw UsageError{op_ + ": " + name + " is not a number: " + word};
  return *value;
}

int ArgReader::integer(const char* name, int min, int max) {
  const std::string word = text(name);
  const std::optional<int> value = ParseInteger(word);
  if (!value || *value < min || *value > max) {
    throw UsageError{op_ + ": " + name + " must be a whole number from " + std::to_string(min) +
                     " to " + std::to_string(max) + ": " + word};
  }
  return *value;
}

int ArgReader::choice(const char* name, std::size_t count,
                      std::optional<int> (*byName)(std::string_view), const char* table) {
  const std::string word = text(name);
  const std::optional<int> index = ParseInteger(word);
  if (index && *index >= 0 && static_cast<std::size_t>(*index) < count) return *index;
  if (const std::optional<int> named = byName(word)) return *named;
  throw UsageError{op_ + ": " + name + " must be an index from 0 to " + std::to_string(count - 1) +
                   " or a name of 'list " + table + "': " + word};
}

void ArgReader::done() {
  if (!empty()) throw UsageError{op_ + ": unexpected argument " + words_[next_]};
}

namespace {

std::string CheckedNumberText(const std::string& word, const std::string& what) {
  if (!ParseNumber(word)) throw UsageError{what + " is not a number: " + word};
  return word;
}

CalendarDate ParseDate(const std::string& word) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(word.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
      word.size() != 10 || year < 1900 || year > 2155 || month < 1 || month > 12 || day < 1 ||
      day > 31) {
    throw UsageError{"write-device-info: --date must be YYYY-MM-DD: " + word};
  }
  if (day > DaysInMonth(year, month)) {
    throw UsageError{"write-device-info: no such date: " + word};
  }
  return CalendarDate{year, month, day};
}

// An option given as "--name value": `check` throws when the value will not
// do, as soon as it is read.
struct NamedOption {
  const char* name;
  void (*check)(const ArgReader& args, const char* name, const std::string& value);
};

// Packed ASCII carries space to '_' with letters in upper case: anything
// else would reach the instrument as another character.
void PackableText(const ArgReader&, const char* name, const std::string& value) {
  if (const std::optional<std::string> bad = FirstUnpackableCharacter(value)) {
    throw UsageError{std::string("write-device-info: ") + name + " holds " + *bad +
                     ", which cannot be written to the instrument (space to _, letters in any "
                     "case)"};
  }
}

void DateText(const ArgReader&, const char*, const std::string& value) {
  ParseDate(value);
}

void NumberText(const ArgReader&, const char* name, const std::string& value) {
  CheckedNumberText(value, name);
}

// A unit: an index or a name of the family's list, a name of the whole
// table, or code:N. `index` is the family list's entry, -1 for a unit
// outside it.
struct UnitGiven {
  int index = -1;
  int code = -1;
};

UnitGiven UnitChoice(const ArgReader& args, const char* name, const std::string& value) {
  const std::optional<int> familyName = UnitIndexForName(value);
  const std::optional<int> number = ParseInteger(value);
  if (familyName || (number && *number >= 0 && *number < static_cast<int>(kUnitCount))) {
    const int index =
        ArgReader({value}, args.op()).choice(name, kUnitCount, UnitIndexForName, "units");
    return {index, *UnitCodeForIndex(index)};
  }
  std::optional<int> code;
  if (value.rfind("code:", 0) == 0) {
    const std::optional<int> n = ParseInteger(value.substr(5));
    if (n && *n >= 0 && *n <= 255) code = *n;
  } else if (const std::optional<std::uint8_t> named = UnitCodeForName(value)) {
    code = *named;
  }
  if (!code) {
    throw UsageError{args.op() + ": " + name + " must be an index from 0 to " +
                     std::to_string(kUnitCount - 1) +
                     ", a name of 'list units --all' or code:N (N 0 to 255): " + value};
  }
  const std::optional<int> index = UnitIndexForCode(static_cast<std::uint8_t>(*code));
  return {index.value_or(-1), *code};
}

void UnitText(const ArgReader& args, const char* name, const std::string& value) {
  UnitChoice(args, name, value);
}

// Reads the options in any order; every one of `options` must come.
template <std::size_t N>
std::array<std::string, N> NamedOptions(ArgReader& args, const NamedOption (&options)[N]) {
  std::array<std::optional<std::string>, N> values;
  while (!args.empty()) {
    const std::string flag = args.text("option");
    const auto option = std::find_if(std::begin(options), std::end(options),
                                     [&flag](const NamedOption& o) { return flag == o.name; });
    if (option == std::end(options)) throw UsageError{args.op() + ": unknown option " + flag};
    const std::string value = args.text((flag + " value").c_str());
    option->check(args, option->name, value);
    values[static_cast<std::size_t>(option - std::begin(options))] = value;
  }
  std::array<std::string, N> taken;
  for (std::size_t i = 0; i < N; ++i) {
    if (!values[i]) {
      std::string list;
      for (std::size_t k = 0; k < N; ++k) {
        list += std::string(k == 0 ? "" : k + 1 == N ? " and " : ", ") + options[k].name;
      }
      throw UsageError{args.op() + " needs " + list};
    }
    taken[i] = *values[i];
  }
  return taken;
}

// --- arguments, one function per operation that takes any -----------------

Apply FixedCurrentArgs(ArgReader& args) {
  const float point = static_cast<float>(args.number("MA"));
  return [point](DeviceData& d) { d.calibrationPoint = point; };
}

Apply CurrentTrimArgs(ArgReader& args) {
  const float point = static_cast<float>(args.number("POINT_MA"));
  const float actual = static_cast<float>(args.number("ACTUAL_MA"));
  return [point, actual](DeviceData& d) {
    d.calibrationPoint = point;
    d.actualCurrent = actual;
  };
}

Apply DeviceInfoArgs(ArgReader& args) {
  static constexpr NamedOption kOptions[] = {{"--tag", PackableText},
                                             {"--descriptor", PackableText},
                                             {"--message", PackableText},
                                             {"--date", DateText}};
  const auto v = NamedOptions(args, kOptions);
  const CalendarDate date = ParseDate(v[3]);
  return [v, date](DeviceData& d) {
    d.tag = v[0];
    d.descriptor = v[1];
    d.message = v[2];
    d.date = date;
  };
}

// N 0 to 63 (HART 5 instruments refuse above 15 after command 0), and the
// loop-current mode that HART 6 and 7 take with it.
Apply PollAddressArgs(ArgReader& args) {
  const auto address = static_cast<std::uint8_t>(args.integer("N", 0, kLastPollAddress));
  std::optional<bool> enabled;
  if (!args.empty()) {
    const std::string flag = args.text("option");
    if (flag != "--loop-current-mode") throw UsageError{args.op() + ": unknown option " + flag};
    const std::string mode = args.text("--loop-current-mode value");
    if (mode != "enabled" && mode != "disabled") {
      throw UsageError{args.op() + ": --loop-current-mode must be enabled or disabled: " + mode};
    }
    enabled = mode == "enabled";
  }
  return [address, enabled](DeviceData& d) {
    d.newPollAddress = address;
    d.loopCurrentEnabled = enabled;
  };
}

// [--from A] [--to B] [--fast] [--first]: the menu's search without any.
Apply SearchArgs(ArgReader& args) {
  SearchPlan plan;
  while (!args.empty()) {
    const std::string flag = args.text("option");
    if (flag == "--from") {
      plan.from = static_cast<std::uint8_t>(args.integer("--from", 0, kLastPollAddress));
    } else if (flag == "--to") {
      plan.to = static_cast<std::uint8_t>(args.integer("--to", 0, kLastPollAddress));
    } else if (flag == "--fast") {
      plan.fast = true;
    } else if (flag == "--first") {
      plan.stopAtFirst = true;
    } else {
      throw UsageError{args.op() + ": unknown option " + flag};
    }
  }
  if (plan.from > plan.to) throw UsageError{args.op() + ": --from must not be after --to"};
  return [plan](DeviceData& d) { d.search = plan; };
}

Apply LongTagArgs(ArgReader& args) {
  const std::string tag = args.text("TEXT");
  return [tag](DeviceData& d) { d.longTag = tag; };
}

Apply SensorTypeArgs(ArgReader& args) {
  const int index = args.choice("TYPE", kSensorTypeCount, SensorTypeIndexForName, "sensors");
  return [index](DeviceData& d) { d.sensorTypeIndex = index; };
}

Apply ReferenceRowArgs(ArgReader& args) {
  std::string rows[4];
  const char* names[4] = {"A", "B", "C", "D"};
  for (int i = 0; i < 4; ++i)
    rows[i] = std::to_string(args.integer(names[i], INT32_MIN, INT32_MAX));
  return [rows](DeviceData& d) {
    d.row1AdmText = rows[0];
    d.row1AdlText = rows[1];
    d.row2AdmText = rows[2];
    d.row2AdlText = rows[3];
  };
}

Apply LongAddressArgs(ArgReader& args) {
  const std::string text = args.text("TEXT");
  return [text](DeviceData& d) { d.longAddressText = text; };
}

Apply ConfigArgs(ArgReader& args) {
  static constexpr NamedOption kOptions[] = {{"--unit", UnitText},
                                             {"--lower", NumberText},
                                             {"--upper", NumberText},
                                             {"--damping", NumberText}};
  const auto v = NamedOptions(args, kOptions);
  const UnitGiven unit = UnitChoice(args, "--unit", v[0]);
  return [v, unit](DeviceData& d) {
    d.unitIndex = unit.index;
    d.unitCode = unit.code;
    d.lowerRangeText = v[1];
    d.upperRangeText = v[2];
    d.dampingText = v[3];
  };
}

Apply OffsetArgs(ArgReader& args) {
  const std::string value = CheckedNumberText(args.text("VALUE"), "write-offset VALUE");
  return [value](DeviceData& d) { d.offsetText = value; };
}

template <float DeviceData::*Pressure>
Apply PressureArgs(ArgReader& args) {
  const float kpa = static_cast<float>(args.number("KPA"));
  return [kpa](DeviceData& d) { d.*Pressure = kpa; };
}

Apply GainArgs(ArgReader& args) {
  const int index = args.choice("GAIN", kGainCount, GainIndexForName, "gains");
  return [index](DeviceData& d) { d.gainIndex = index; };
}

// --- values, one function per operation that shows any ---------------------

long long Whole(int value) {
  return static_cast<long long>(value);
}

CliValues SearchValues(const CliShown& shown) {
  return {{"found", std::vector<int>(shown.found.begin(), shown.found.end())}};
}

CliValues CurrentValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"loopCurrent", d.loopCurrent},
          {"percentOfRange", d.percentOfRange},
          {"pvText", d.pvText},
          {"svText", d.svText},
          {"pvUnitCode", Whole(d.pvUnitCode)},
          {"pvUnitText", UnitTextOfCode(d.pvUnitCode)},
          {"svUnitCode", Whole(d.svUnitCode)},
          {"svUnitText", UnitTextOfCode(d.svUnitCode)}};
}

CliValues DeviceInfoValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"tag", d.tag},
          {"descriptor", d.descriptor},
          {"message", d.message},
          {"date", FormatDateText(d.date)}};
}

CliValues LongAddressValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"longAddressText", d.longAddressText}};
}

// The unit read: its code, its entry of the family's list (-1 when it is not
// one of the ten) and its text, the list's text for the ten.
CliValues ConfigValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  const auto code = static_cast<std::uint8_t>(d.unitCode);
  const std::optional<int> index = d.unitCode >= 0 ? UnitIndexForCode(code) : std::nullopt;
  std::string unitText;
  if (index) {
    unitText = std::string(UnitTable()[static_cast<std::size_t>(*index)].listText);
  } else if (d.unitCode >= 0) {
    unitText = UnitTextOfCode(code);
  }
  return {{"unitIndex", Whole(index.value_or(-1))},
          {"unitCode", Whole(d.unitCode)},
          {"unitText", unitText},
          {"upperRangeText", d.upperRangeText},
          {"lowerRangeText", d.lowerRangeText},
          {"dampingText", d.dampingText}};
}

CliValues SensorValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"sensorTypeIndex", Whole(d.sensorTypeIndex)},
          {"sensorLowerText", d.sensorLowerText},
          {"sensorUpperText", d.sensorUpperText}};
}

CliValues ResistanceValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"resistance", d.resistance}};
}

CliValues ReferenceValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"rRefText", d.rRefText}, {"vRefText", d.vRefText}};
}

CliValues OffsetValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"offsetText", d.offsetText}};
}

CliValues Row1Values(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"row1AdmText", d.row1AdmText}, {"row1AdlText", d.row1AdlText}};
}

CliValues Row2Values(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"row2AdmText", d.row2AdmText}, {"row2AdlText", d.row2AdlText}};
}

CliValues VoltageValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"millivoltText", d.millivoltText}};
}

CliValues GainValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  const std::string gainText = d.gainIndex >= 0 && d.gainIndex < static_cast<int>(kGainCount)
                                   ? std::string(GainTable()[static_cast<std::size_t>(d.gainIndex)])
                                   : "";
  return {{"gainIndex", Whole(d.gainIndex)}, {"gainText", gainText}};
}

std::vector<std::string> Words(const std::vector<StatusWord>& words) {
  std::vector<std::string> out;
  for (const StatusWord& w : words) out.emplace_back(w.word);
  return out;
}

// The words of the set bits (none for HART 5, whose bytes are all the
// device's own), the device-specific bytes and the whole reply in hex.
CliValues StatusValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  const AdditionalStatus status =
      DecodeAdditionalStatus(d.additionalStatus, d.additionalStatusRevision);
  std::vector<std::string> extended;
  if (status.extendedDeviceStatus)
    extended = Words(ExtendedStatusWords(*status.extendedDeviceStatus));
  std::vector<std::string> standardized;
  if (status.standardized) {
    for (int i = 0; i < 4; ++i) {
      for (std::string& w :
           Words(StandardizedStatusWords(i, (*status.standardized)[static_cast<std::size_t>(i)]))) {
        standardized.push_back(std::move(w));
      }
    }
  }
  return {{"extendedDeviceStatus", extended},
          {"standardizedStatus", standardized},
          {"deviceSpecific", PlainHex(status.deviceSpecific)},
          {"additionalStatus", PlainHex(d.additionalStatus)}};
}

// HART 7 answers with its configuration-change counter; -1 for none.
CliValues ResetValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"configChangeCounter",
           d.configChangeCounter ? static_cast<long long>(*d.configChangeCounter) : -1LL}};
}

CliValues LongTagValues(const CliShown& shown) {
  return {{"longTag", shown.data.longTag}};
}

CliValues PollValues(const CliShown& shown) {
  const DeviceData& d = shown.data;
  return {{"pressureCode", static_cast<long long>(d.pressureCode)}};
}

// clang-format off
const CliOperation kCliOperations[] = {
    {OP_COMM_TEST, "", nullptr, nullptr},
    {OP_SEARCH, "[--from A] [--to B] [--fast] [--first]   (A, B 0 to 63)", SearchArgs,
     SearchValues},
    {OP_READ_CURRENT, "", nullptr, CurrentValues},
    {OP_READ_DEVICE_INFO, "", nullptr, DeviceInfoValues},
    {OP_FIXED_CURRENT, "MA", FixedCurrentArgs, nullptr},
    {OP_CALIBRATE_CURRENT, "POINT_MA ACTUAL_MA   (POINT_MA 4 or 20)", CurrentTrimArgs, nullptr},
    {OP_WRITE_DEVICE_INFO, "--tag T --descriptor D --message M --date YYYY-MM-DD",
     DeviceInfoArgs, nullptr},
    {OP_WRITE_POLL_ADDRESS, "N [--loop-current-mode enabled|disabled]   (N 0 to 63; HART 5: 0 to 15)",
     PollAddressArgs, nullptr},
    {OP_READ_LONG_ADDRESS, "", nullptr, LongAddressValues},
    {OP_WRITE_SENSOR_CONFIG, "TYPE", SensorTypeArgs, nullptr},
    {OP_READ_SENSOR_CONFIG, "", nullptr, SensorValues},
    {OP_READ_RESISTANCE, "", nullptr, ResistanceValues},
    {OP_CALIBRATE_RESISTANCE, "A B C D", ReferenceRowArgs, ReferenceValues},
    {OP_WRITE_LONG_ADDRESS, "TEXT", LongAddressArgs, nullptr},
    {OP_READ_CONFIG, "", nullptr, ConfigValues},
    {OP_WRITE_CONFIG, "--unit UNIT --lower X --upper X --damping X", ConfigArgs, nullptr},
    {OP_CALIBRATE_50MV, "", nullptr, nullptr},
    {OP_READ_OFFSET, "", nullptr, OffsetValues},
    {OP_WRITE_OFFSET, "VALUE", OffsetArgs, nullptr},
    {OP_READ_CAL_ROW1, "", nullptr, Row1Values},
    {OP_READ_CAL_ROW2, "", nullptr, Row2Values},
    {OP_CALIBRATE_0MV, "", nullptr, nullptr},
    {OP_READ_VOLTAGE, "", nullptr, VoltageValues},
    {OP_CALIBRATE_LOW, "KPA", PressureArgs<&DeviceData::lowPressure>, nullptr},
    {OP_CALIBRATE_HIGH, "KPA", PressureArgs<&DeviceData::highPressure>, nullptr},
    {OP_CLEAR_ZERO, "", nullptr, nullptr},
    {OP_CALIBRATE_MID, "KPA", PressureArgs<&DeviceData::midPressure>, nullptr},
    {OP_READ_GAIN, "", nullptr, GainValues},
    {OP_WRITE_GAIN, "GAIN", GainArgs, nullptr},
    {OP_POLL, "", nullptr, PollValues},
    {OP_READ_STATUS, "", nullptr, StatusValues},
    {OP_ACKNOWLEDGE_STATUS, "   (after read-status: read-status then acknowledge-status)", nullptr,
     StatusValues},
    {OP_RESET_CONFIG_CHANGED, "", nullptr, ResetValues},
    {OP_READ_LONG_TAG, "", nullptr, LongTagValues},
    {OP_WRITE_LONG_TAG, "TEXT   (up to 32 ISO Latin-1 characters)", LongTagArgs, nullptr},
    {OP_SQUAWK, "", nullptr, nullptr},
};
// clang-format on

const CliOperation* Find(OperationCode op) {
  const auto row = std::find_if(std::begin(kCliOperations), std::end(kCliOperations),
                                [op](const CliOperation& c) { return c.op == op; });
  return row == std::end(kCliOperations) ? nullptr : row;
}

}  // namespace

CliStep MakeStep(OperationCode op, ArgReader args) {
  CliStep step{op, nullptr};
  const CliOperation* row = Find(op);
  if (row && row->arguments) step.apply = row->arguments(args);
  args.done();
  return step;
}

const CliOperation* CliOperationsBegin() {
  return std::begin(kCliOperations);
}

const CliOperation* CliOperationsEnd() {
  return std::end(kCliOperations);
}

std::string OperationsUsage() {
  std::string text;
  for (const CliOperation& row : kCliOperations) {
    text += "  " + std::string(OperationWord(row.op));
    if (*row.synopsis) text += std::string(" ") + row.synopsis;
    text += "\n";
  }
  return text;
}

CliValues ValuesOf(OperationCode op, const CliShown& shown) {
  const CliOperation* row = Find(op);
  return row && row->values ? row->values(shown) : CliValues{};
}

}  // namespace vantrel
