#include "engine/OperationTable.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "engine/AdditionalStatus.h"
#include "engine/CodeTables.h"
#include "engine/Encoding.h"
#include "engine/EngineTexts.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"

namespace vantrel {

// The family list's entry when one is chosen, else the code chosen from the
// whole table.
std::optional<std::uint8_t> RangeUnitCode(const DeviceData& d) {
  if (const std::optional<std::uint8_t> code = UnitCodeForIndex(d.unitIndex)) return code;
  if (d.unitCode >= 0 && d.unitCode <= 0xFF) return static_cast<std::uint8_t>(d.unitCode);
  return std::nullopt;
}

namespace {

// Any reply is an answer; the failure text is for no reply at all.
constexpr ResultTexts kCommTexts = {texts::kCommOk, texts::kCommFailed};
constexpr ResultTexts kReceiveTexts = {texts::kReceiveOk, texts::kReceiveFailed};
constexpr ResultTexts kReadTexts = {texts::kReadOk, texts::kReadFailed};
constexpr ResultTexts kSendTexts = {texts::kSendOk, texts::kSendFailed};
constexpr ResultTexts kSetTexts = {texts::kSetOk, texts::kSetFailed};
constexpr ResultTexts kModifyTexts = {texts::kModifyOk, texts::kModifyFailed};
constexpr ResultTexts kZeroTexts = {texts::kZeroOk, texts::kZeroFailed};
// The calibrations, and the reads that report "校准成功".
constexpr ResultTexts kCalibrateTexts = {texts::kCalibrateOk, texts::kCalibrateFailed};
constexpr ResultTexts kAcknowledgeTexts = {texts::kAcknowledgeOk, texts::kAcknowledgeFailed};
constexpr ResultTexts kResetTexts = {texts::kResetOk, texts::kResetFailed};
constexpr ResultTexts kSquawkTexts = {texts::kSquawkOk, texts::kSquawkFailed};

// The key bytes in front of the instrument's own millivolt and reference
// requests.
constexpr std::uint8_t kKeyAA55[] = {0xAA, 0x55};

std::string FormatInt(long long value) {
  return std::to_string(value);
}

// Converts a computed reference value to the signed 32-bit field it is sent
// in: truncated toward zero to 64 bits, then its low 32 bits. Values that are
// not finite (a zero divisor) are 0.
std::int32_t ReferenceValue(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kLimit = 9.2e18;
  const double clamped = value > kLimit ? kLimit : (value < -kLimit ? -kLimit : value);
  const auto wide = static_cast<std::int64_t>(clamped);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

void PutKey(std::uint8_t* d, std::uint8_t first, std::uint8_t second) {
  d[0] = first;
  d[1] = second;
}

// --- refusals: checked before anything is sent ---------------------------

// Tag, descriptor, message in turn; the first character none can carry is
// named.
std::string RefuseUnpackableText(const DeviceData& d) {
  const std::pair<const std::string*, const char*> fields[] = {
      {&d.tag, texts::kTagNotPackable},
      {&d.descriptor, texts::kDescriptorNotPackable},
      {&d.message, texts::kMessageNotPackable}};
  for (const auto& [text, refusal] : fields) {
    if (const std::optional<std::string> bad = FirstUnpackableCharacter(*text)) {
      return texts::WithArgs(refusal, {*bad});
    }
  }
  return {};
}

std::string RefuseBadLongAddress(const DeviceData& d) {
  return ParseLongAddressText(d.longAddressText) ? std::string() : texts::kBadLongAddress;
}

std::string RefuseWithoutUnit(const DeviceData& d) {
  return RangeUnitCode(d) ? std::string() : texts::kSelectUnitFirst;
}

std::string RefuseWithoutSensorType(const DeviceData& d) {
  return SensorTypeAt(d.sensorTypeIndex) ? std::string() : texts::kSelectSensorFirst;
}

std::string RefuseOffsetOutOfRange(const DeviceData& d) {
  return OffsetTenths(TextToDouble(d.offsetText)) ? std::string() : texts::kOffsetOutOfRange;
}

// A long tag is sent in ISO Latin-1, at most 32 characters.
std::string RefuseBadLongTag(const DeviceData& d) {
  std::string bad;
  if (EncodeLatin1(d.longTag, kLongTagBytes, &bad)) return {};
  return bad.empty() ? texts::kLongTagTooLong : texts::WithArgs(texts::kReasonNotLatin1, {bad});
}

std::string RefuseWithoutStatus(const DeviceData& d) {
  return d.additionalStatus.empty() ? texts::kReadStatusFirst : std::string();
}

// --- requests --------------------------------------------------------------

bool FillFixedCurrent(OperationContext& c, RequestFields& r) {
  WriteFloatBE(c.data.calibrationPoint, r.data);
  return true;
}

// Trims the point the loop was last driven to: 45 at exactly 4 mA, 46 at
// exactly 20 mA, nothing at any other current.
bool FillCurrentTrim(OperationContext& c, RequestFields& r) {
  const float point = c.data.calibrationPoint;
  if (point != 4.0f && point != 20.0f) {
    c.effects.showMessage(MessageIcon::Error, texts::kSelectCurrentFirst);
    return false;
  }
  r.command = point == 4.0f ? CMD_TRIM_CURRENT_ZERO : CMD_TRIM_CURRENT_GAIN;
  WriteFloatBE(c.data.actualCurrent, r.data);
  return true;
}

bool FillMessage(OperationContext& c, RequestFields& r) {
  PackAscii(c.data.message.c_str(), r.data, kMessageBytes);
  return true;
}

bool FillTagDescriptorDate(OperationContext& c, RequestFields& r) {
  PackAscii(c.data.tag.c_str(), r.data, kTagBytes);
  PackAscii(c.data.descriptor.c_str(), r.data + kTagBytes, kDescriptorBytes);
  const std::array<std::uint8_t, 3> date = EncodeDateBytes(c.data.date);
  std::copy(date.begin(), date.end(), r.data + kTagBytes + kDescriptorBytes);
  return true;
}

// HART 5 takes the address alone, 0 to 15. HART 6 and 7 take 0 to 63 and
// the loop-current mode: enabled, the loop current tells the measured value;
// disabled, it stays at its minimum, as a multidrop loop needs.
bool FillPollAddress(OperationContext& c, RequestFields& r) {
  const DeviceData& d = c.data;
  c.memory.sentLoopCurrentMode.reset();
  if (d.hartRevision < 6) {
    if (d.newPollAddress > kLastHart5PollAddress) {
      c.refusal = texts::WithArgs(texts::kReasonHart5Address, {std::to_string(d.newPollAddress)});
      return false;
    }
    r.data[0] = d.newPollAddress;
    return true;
  }
  const std::uint8_t mode = LoopCurrentModeByte(d);
  r.data[0] = d.newPollAddress;
  r.data[1] = mode;
  r.byteCount = 2;
  c.memory.sentLoopCurrentMode = mode;
  return true;
}

// The tag as sent: Latin-1, NUL-padded (checked at the start).
bool FillLongTag(OperationContext& c, RequestFields& r) {
  const std::optional<std::vector<std::uint8_t>> bytes =
      EncodeLatin1(c.data.longTag, kLongTagBytes, nullptr);
  if (!bytes) {
    c.refusal = RefuseBadLongTag(c.data);
    return false;
  }
  c.memory.sentLongTag = *bytes;
  std::copy(bytes->begin(), bytes->end(), r.data);
  return true;
}

// HART 7 withdraws "more status available" only for a request that echoes
// the status it reported; earlier revisions take a plain read.
bool FillAcknowledgement(OperationContext& c, RequestFields& r) {
  const std::vector<std::uint8_t> echo =
      AcknowledgementData(c.data.additionalStatus, c.data.hartRevision);
  std::copy(echo.begin(), echo.end(), r.data);
  r.byteCount = static_cast<std::uint8_t>(echo.size());
  return true;
}

// HART 7 names the configuration it has seen by the counter of command 0.
bool FillConfigChangedReset(OperationContext& c, RequestFields& r) {
  if (c.data.hartRevision < 7) return true;
  const std::optional<Instrument>& seen = c.data.instrument;
  WriteUint16BE(seen ? seen->configChangeCounter.value_or(0) : 0, r.data);
  r.byteCount = 2;
  return true;
}

bool FillSensorType(OperationContext& c, RequestFields& r) {
  PutKey(r.data, 0xA5, 0x5A);
  r.data[2] = static_cast<std::uint8_t>(c.data.sensorTypeIndex);
  return true;
}

// R_REF and V_REF from the two reference rows, shown on the page as they
// are sent.
bool FillResistanceReferences(OperationContext& c, RequestFields& r) {
  DeviceData& d = c.data;
  const double a = TextToInt(d.row1AdmText);
  const double b = TextToInt(d.row1AdlText);
  const double m = TextToInt(d.row2AdmText);
  const double e = TextToInt(d.row2AdlText);
  const double divisor = 2 * a - 2 * b - m + e;
  const std::int32_t rRef = ReferenceValue((m + e - a - b) * 20000 / divisor);
  const std::int32_t vRef = ReferenceValue((a * m + 3 * a * e - 3 * b * m - b * e) / divisor);
  d.rRefText = FormatInt(rRef);
  d.vRefText = FormatInt(vRef);
  c.effects.refresh(RefreshTarget::TabConf, RefreshDirection::ToControls, c.op);
  WriteInt32BE(rRef, r.data);
  WriteInt32BE(vRef, r.data + 4);
  return true;
}

bool FillLongAddress(OperationContext& c, RequestFields& r) {
  const std::optional<LongAddressBytes> parsed = ParseLongAddressText(c.data.longAddressText);
  if (!parsed) {  // checked at the start; the text cannot change on the way
    c.effects.showMessage(MessageIcon::Error, texts::kBadLongAddress);
    return false;
  }
  c.memory.longAddressBytes = *parsed;
  std::copy(parsed->begin(), parsed->end(), r.data);
  return true;
}

bool FillDamping(OperationContext& c, RequestFields& r) {
  WriteFloatBE(static_cast<float>(TextToDouble(c.data.dampingText)), r.data);
  return true;
}

bool FillRange(OperationContext& c, RequestFields& r) {
  const std::optional<std::uint8_t> code = RangeUnitCode(c.data);
  if (!code) {
    c.effects.showMessage(MessageIcon::Error, texts::kSelectUnitFirst);
    return false;
  }
  c.memory.sentUnitCode = *code;
  r.data[0] = *code;
  WriteFloatBE(static_cast<float>(TextToDouble(c.data.upperRangeText)), r.data + 1);
  WriteFloatBE(static_cast<float>(TextToDouble(c.data.lowerRangeText)), r.data + 5);
  return true;
}

bool FillKey50mV(OperationContext&, RequestFields& r) {
  PutKey(r.data, 0xAA, 0x55);
  return true;
}

bool FillKey0mV(OperationContext&, RequestFields& r) {
  PutKey(r.data, 0x55, 0xAA);
  return true;
}

bool FillReadKey(OperationContext&, RequestFields& r) {
  PutKey(r.data, kKeyAA55[0], kKeyAA55[1]);
  return true;
}

bool FillOffset(OperationContext& c, RequestFields& r) {
  const std::optional<std::int16_t> tenths = OffsetTenths(TextToDouble(c.data.offsetText));
  if (!tenths) {
    c.effects.showMessage(MessageIcon::Error, texts::kOffsetOutOfRange);
    return false;
  }
  WriteInt16BE(*tenths, r.data);
  return true;
}

// A pressure point: always in kPa, whatever unit the page shows. The page
// takes its controls into the data when it handles the refresh; the value
// sent is the one its own save put there when the button was pressed.
template <float DeviceData::*Pressure>
bool FillPressurePoint(OperationContext& c, RequestFields& r) {
  c.effects.refresh(RefreshTarget::TabConf, RefreshDirection::ToData, c.op);
  r.data[0] = kPressureCalibrationUnitCode;
  WriteFloatBE(c.data.*Pressure, r.data + 1);
  return true;
}

bool FillGain(OperationContext& c, RequestFields& r) {
  r.data[0] = static_cast<std::uint8_t>(c.data.gainIndex);
  return true;
}

// --- replies ---------------------------------------------------------------

void DecodeLongAddress(OperationContext& c, const ReceivedFrame&) {
  c.memory.longAddressBytes = LongAddressToShow(c.data.longAddress);
  c.data.longAddressText = FormatLongAddressText(c.memory.longAddressBytes);
}

// A value and its unit. The family's ten keep their texts, the secondary
// variable a unit for the temperatures alone; every other code is named by
// the whole table.
std::string WithUnit(const std::string& value, std::uint8_t code, bool secondary) {
  if (UnitIndexForCode(code)) {
    return value + (secondary ? SecondaryUnitDisplayText(code) : UnitDisplayText(code));
  }
  return value + (FindHartUnit(code) ? "" : " ") + UnitTextOfCode(code);
}

void DecodeCurrent(OperationContext& c, const ReceivedFrame& reply) {
  const std::uint8_t* r = reply.data.data();
  DeviceData& d = c.data;
  d.loopCurrent = ReadFloatBE(r);
  d.pvUnitCode = r[4];
  d.primaryVariable = ReadFloatBE(r + 5);
  d.svUnitCode = r[9];
  d.pvText = WithUnit(FormatFixed(ReadFloatBE(r + 5), 4), r[4], false);
  d.svText = WithUnit(FormatFixed(ReadFloatBE(r + 10), 2), r[9], true);
  d.percentOfRange = PercentOfRange(d.loopCurrent);
}

void DecodeLongTag(OperationContext& c, const ReceivedFrame& reply) {
  c.data.longTag = DecodeLatin1(reply.data.data(), kLongTagBytes);
}

void DecodeAdditionalStatus(OperationContext& c, const ReceivedFrame& reply) {
  c.data.additionalStatus.assign(reply.data.begin(), reply.data.begin() + reply.dataCount);
  c.data.additionalStatusRevision = c.data.hartRevision;
}

// HART 7 answers with the counter it has now.
void DecodeConfigChangedReset(OperationContext& c, const ReceivedFrame& reply) {
  if (reply.dataCount >= 2) c.data.configChangeCounter = ReadUint16BE(reply.data.data());
}

// Packed texts end at the first underscore.
std::string UnpackedField(const std::uint8_t* bytes, std::size_t count) {
  const std::string text = UnpackAsciiText(bytes, count);
  return text.substr(0, text.find('_'));
}

void DecodeMessage(OperationContext& c, const ReceivedFrame& reply) {
  c.data.message = UnpackedField(reply.data.data(), kMessageBytes);
}

void DecodeTagDescriptorDate(OperationContext& c, const ReceivedFrame& reply) {
  const std::uint8_t* r = reply.data.data();
  c.data.tag = UnpackedField(r, kTagBytes);
  c.data.descriptor = UnpackedField(r + kTagBytes, kDescriptorBytes);
  c.data.date = DecodeDateBytes(r + kTagBytes + kDescriptorBytes);
  c.effects.setDeviceDate(c.data.date);
}

void DecodeSensorType(OperationContext& c, const ReceivedFrame& reply) {
  DeviceData& d = c.data;
  d.sensorTypeIndex = reply.data[0] < kSensorTypeCount ? reply.data[0] : -1;
  if (const SensorTypeEntry* sensor = SensorTypeAt(d.sensorTypeIndex)) {
    d.sensorLowerText = std::string(sensor->lowerLimitText);
    d.sensorUpperText = std::string(sensor->upperLimitText);
  }
}

// The third dynamic variable of command 110.
void DecodeResistance(OperationContext& c, const ReceivedFrame& reply) {
  c.data.resistance = ReadFloatBE(reply.data.data() + 11);
}

// Units, upper and lower range value and damping of command 15. A units code
// the list does not hold leaves the selection as it is.
void DecodeOutputInformation(OperationContext& c, const ReceivedFrame& reply) {
  const std::uint8_t* r = reply.data.data();
  DeviceData& d = c.data;
  if (const std::optional<int> index = UnitIndexForCode(r[2])) d.unitIndex = *index;
  d.unitCode = r[2];
  d.upperRange = ReadFloatBE(r + 3);
  d.lowerRange = ReadFloatBE(r + 7);
  d.damping = ReadFloatBE(r + 11);
  d.upperRangeText = FormatExactFloat(d.upperRange);
  d.lowerRangeText = FormatExactFloat(d.lowerRange);
  d.dampingText = FormatExactFloat(d.damping);
}

void DecodeOffset(OperationContext& c, const ReceivedFrame& reply) {
  c.data.offsetTenths = ReadInt16BE(reply.data.data());
  c.data.offsetText = FormatFixed(OffsetFromTenths(c.data.offsetTenths), 1);
}

template <std::string DeviceData::*Adm, std::string DeviceData::*Adl>
void DecodeReferenceRow(OperationContext& c, const ReceivedFrame& reply) {
  c.data.*Adm = FormatInt(ReadInt32BE(reply.data.data()));
  c.data.*Adl = FormatInt(ReadInt32BE(reply.data.data() + 4));
}

void DecodeMillivolts(OperationContext& c, const ReceivedFrame& reply) {
  c.data.millivoltText = FormatInt(ReadInt32BE(reply.data.data()));
}

void DecodeGain(OperationContext& c, const ReceivedFrame& reply) {
  c.data.gainIndex = reply.data[0] < kGainCount ? reply.data[0] : -1;
}

void DecodePressureCode(OperationContext& c, const ReceivedFrame& reply) {
  c.data.pressureCode = static_cast<std::int32_t>(ReadUint32BE(reply.data.data()));
}

// --- success tests -----------------------------------------------------------

bool FixedCurrentEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  return ReadFloatBE(reply.data.data()) == c.data.calibrationPoint;
}

bool MeasuredCurrentEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  return ReadFloatBE(reply.data.data()) == c.data.actualCurrent;
}

// HART 6 and 7 echo the loop-current mode too.
bool PollAddressEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  if (reply.data[0] != c.data.newPollAddress) return false;
  const std::optional<std::uint8_t>& mode = c.memory.sentLoopCurrentMode;
  return !mode || reply.dataCount < 2 || reply.data[1] == *mode;
}

bool LongTagEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  const std::vector<std::uint8_t>& sent = c.memory.sentLongTag;
  return reply.dataCount >= sent.size() && std::equal(sent.begin(), sent.end(), reply.data.begin());
}

bool SensorTypeEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  return reply.data[0] == static_cast<std::uint8_t>(c.data.sensorTypeIndex);
}

bool UnitEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  return reply.data[0] == c.memory.sentUnitCode;
}

bool GainEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  return reply.data[0] == static_cast<std::uint8_t>(c.data.gainIndex);
}

// The long-address write and the calibrations answer with the long address
// last read or written.
bool LongAddressEchoed(const OperationContext& c, const ReceivedFrame& reply) {
  return std::equal(c.memory.longAddressBytes.begin(), c.memory.longAddressBytes.end(),
                    reply.data.begin());
}

// --- what a write changes in the program's view of the instrument -------------

// The instrument answers to the long address written from now on: the same
// instrument under another identity, so nothing read from it is cleared.
void TakeWrittenLongAddress(OperationContext& c, const ReceivedFrame& reply) {
  if (!LongAddressEchoed(c, reply)) return;
  const LongAddressBytes& written = c.memory.longAddressBytes;
  for (std::optional<Instrument>* known : {&c.data.instrument, &c.data.valuesFrom}) {
    if (!*known) continue;
    (*known)->identity = written;
    (*known)->deviceId = {written[2], written[3], written[4]};
  }
}

// The list of polling addresses offers the one the instrument took.
void OfferWrittenPollAddress(OperationContext& c, const ReceivedFrame& reply) {
  if (PollAddressEchoed(c, reply)) c.effects.pollAddressWritten(c.data.newPollAddress);
}

// --- values sent, for the change journal --------------------------------------

void SentFixedCurrent(SentValues& v, const DeviceData& d) {
  v.given("current", d.calibrationPoint);
}

void SentCurrentTrim(SentValues& v, const DeviceData& d) {
  v.given("point", d.calibrationPoint);
  v.given("actual", d.actualCurrent);
}

void SentDeviceInfo(SentValues& v, const DeviceData& d) {
  v.text(kTagField, "tag", d.tag);
  v.text(kDescriptorField, "descriptor", d.descriptor);
  v.text(kMessageField, "message", d.message);
  v.text(kDateField, "date", FormatDateText(d.date));
}

void SentPollAddress(SentValues& v, const DeviceData& d) {
  v.given("pollingAddress", d.newPollAddress);
  if (d.hartRevision >= 6) v.given("loopCurrentMode", LoopCurrentModeByte(d));
}

void SentLongTag(SentValues& v, const DeviceData& d) {
  v.text(kLongTagField, "longTag", d.longTag);
}

void SentSensorType(SentValues& v, const DeviceData& d) {
  v.name(kSensorTypeField, "sensorType", d.sensorTypeIndex, SensorTypeName);
}

void SentReferenceRows(SentValues& v, const DeviceData& d) {
  v.number(kRow1AdmField, "row1Adm", d.row1AdmText);
  v.number(kRow1AdlField, "row1Adl", d.row1AdlText);
  v.number(kRow2AdmField, "row2Adm", d.row2AdmText);
  v.number(kRow2AdlField, "row2Adl", d.row2AdlText);
}

void SentLongAddress(SentValues& v, const DeviceData& d) {
  v.text(kLongAddressField, "longAddress", d.longAddressText);
}

std::string UnitNameOfCode(int code) {
  const HartUnit* unit =
      code >= 0 && code <= 0xFF ? FindHartUnit(static_cast<std::uint8_t>(code)) : nullptr;
  return unit ? std::string(unit->name) : std::to_string(code);
}

void SentConfig(SentValues& v, const DeviceData& d) {
  if (UnitCodeForIndex(d.unitIndex)) {
    v.name(kUnitField, "unit", d.unitIndex, UnitName);
  } else {
    v.name(kUnitField, "unit", d.unitCode, UnitNameOfCode);
  }
  v.number(kUpperRangeField, "upper", d.upperRangeText);
  v.number(kLowerRangeField, "lower", d.lowerRangeText);
  v.number(kDampingField, "damping", d.dampingText);
}

void SentOffset(SentValues& v, const DeviceData& d) {
  v.number(kOffsetField, "offset", d.offsetText);
}

template <float DeviceData::*Pressure>
void SentPressure(SentValues& v, const DeviceData& d) {
  v.given("pressure", d.*Pressure);
}

void SentGain(SentValues& v, const DeviceData& d) {
  v.name(kGainField, "gain", d.gainIndex, GainName);
}

// --- the kinds of row ------------------------------------------------------------

// Command 0 alone; any reply to it is an answer.
constexpr OperationRow CommTest(OperationCode code, std::string_view word, ResultTexts texts) {
  OperationRow row{code, word};
  row.kind = OperationKind::CommTest;
  row.texts = texts;
  return row;
}

// Command 0 to each polling address in turn. Its texts are the engine's own.
constexpr OperationRow Search(OperationCode code, std::string_view word) {
  OperationRow row{code, word};
  row.kind = OperationKind::Search;
  return row;
}

// Reads the instrument and changes nothing in it.
constexpr OperationRow Read(OperationCode code, std::string_view word, StepList steps,
                            ResultTexts texts) {
  OperationRow row{code, word};
  row.steps = steps;
  row.texts = texts;
  return row;
}

// The acquisition poll: a read in the background.
constexpr OperationRow Poll(OperationCode code, std::string_view word, StepList steps,
                            ResultTexts texts) {
  OperationRow row = Read(code, word, steps, texts);
  row.kind = OperationKind::Poll;
  return row;
}

// Changes what the instrument holds (`changes`); harmless when it reaches
// the instrument twice.
constexpr OperationRow Write(OperationCode code, std::string_view word, StepList steps,
                             ResultTexts texts, Changes changes = Changes::Configuration) {
  OperationRow row = Read(code, word, steps, texts);
  row.changes = changes;
  return row;
}

// Acts on what the instrument measures or drives at the time: its request
// after command 0 goes out again only when a reply proves it was not taken.
constexpr OperationRow Calibration(OperationCode code, std::string_view word, StepList steps,
                                   ResultTexts texts) {
  OperationRow row = Write(code, word, steps, texts, Changes::Calibration);
  row.maySendTwice = false;
  return row;
}

constexpr RefreshTarget kConf = RefreshTarget::TabConf;
constexpr RefreshTarget kHart = RefreshTarget::TabHart;

// clang-format off
constexpr OperationRow kOperations[] = {
    CommTest(OP_COMM_TEST, "comm-test", kCommTexts),
    Search(OP_SEARCH, "search"),
    Read(OP_READ_CURRENT, "read-current",
         {Step(CMD_READ_CURRENT_AND_VARIABLES).decodedBy(DecodeCurrent)}, kReceiveTexts)
        .showing(RefreshTarget::View, kNoFields),
    Read(OP_READ_DEVICE_INFO, "read-device-info",
         {Step(CMD_READ_MESSAGE).decodedBy(DecodeMessage),
          Step(CMD_READ_TAG_DESCRIPTOR_DATE).decodedBy(DecodeTagDescriptorDate)}, kReceiveTexts)
        .showing(kHart, kIdentityFields),
    Write(OP_FIXED_CURRENT, "fixed-current",
          {Step(CMD_SET_FIXED_CURRENT).filledBy(FillFixedCurrent)}, kSetTexts, Changes::Output)
        .judgedBy(FixedCurrentEchoed).recording(SentFixedCurrent),
    Calibration(OP_CALIBRATE_CURRENT, "calibrate-current",
                {Step(CMD_TRIM_CURRENT_ZERO).filledBy(FillCurrentTrim)}, kCalibrateTexts)
        .judgedBy(MeasuredCurrentEchoed).recording(SentCurrentTrim),
    Write(OP_WRITE_DEVICE_INFO, "write-device-info",
          {Step(CMD_WRITE_MESSAGE).filledBy(FillMessage).writing(texts::kPartMessage),
           Step(CMD_WRITE_TAG_DESCRIPTOR_DATE).filledBy(FillTagDescriptorDate)
               .writing(texts::kPartTagDescriptorDate)}, kSendTexts)
        .refusing(RefuseUnpackableText).recording(SentDeviceInfo).sending(kIdentityFields),
    Write(OP_WRITE_POLL_ADDRESS, "write-poll-address",
          {Step(CMD_WRITE_POLLING_ADDRESS).filledBy(FillPollAddress)
               .decodedBy(OfferWrittenPollAddress)}, kModifyTexts)
        .judgedBy(PollAddressEchoed).recording(SentPollAddress),
    Read(OP_READ_LONG_ADDRESS, "read-long-address", {}, kReceiveTexts)
        .identityBy(DecodeLongAddress).showing(kHart, kLongAddressField),
    Write(OP_WRITE_SENSOR_CONFIG, "write-sensor-config",
          {Step(CMD_WRITE_SENSOR_TYPE).filledBy(FillSensorType)}, kModifyTexts)
        .judgedBy(SensorTypeEchoed).refusing(RefuseWithoutSensorType).recording(SentSensorType)
        .sending(kSensorTypeField),
    Read(OP_READ_SENSOR_CONFIG, "read-sensor-config",
         {Step(CMD_READ_SENSOR_TYPE).decodedBy(DecodeSensorType)}, kReceiveTexts)
        .showing(kConf, kSensorFields),
    Read(OP_READ_RESISTANCE, "read-resistance",
         {Step(CMD_READ_DYNAMIC_VARIABLES).decodedBy(DecodeResistance)}, kCalibrateTexts)
        .showing(kConf, kResistanceField),
    Calibration(OP_CALIBRATE_RESISTANCE, "calibrate-resistance",
                {Step(CMD_CALIBRATE_RESISTANCE).filledBy(FillResistanceReferences)},
                kCalibrateTexts)
        .showing(kConf, kReferenceFields).recording(SentReferenceRows)
        .sending(kRow1Fields | kRow2Fields),
    Write(OP_WRITE_LONG_ADDRESS, "write-long-address",
          {Step(CMD_WRITE_LONG_ADDRESS).filledBy(FillLongAddress)
               .decodedBy(TakeWrittenLongAddress)}, kModifyTexts)
        .judgedBy(LongAddressEchoed).refusing(RefuseBadLongAddress).recording(SentLongAddress)
        .sending(kLongAddressField),
    Read(OP_READ_CONFIG, "read-config",
         {Step(CMD_READ_OUTPUT_INFORMATION).decodedBy(DecodeOutputInformation)}, kCalibrateTexts)
        .showing(kConf, kRangeFields),
    Write(OP_WRITE_CONFIG, "write-config",
          {Step(CMD_WRITE_DAMPING).filledBy(FillDamping).writing(texts::kPartDamping),
           Step(CMD_WRITE_RANGE_VALUES).filledBy(FillRange).after(kRangeWritePauseMs)
               .writing(texts::kPartRange)}, kModifyTexts)
        .judgedBy(UnitEchoed).refusing(RefuseWithoutUnit).recording(SentConfig)
        .sending(kRangeFields),
    Calibration(OP_CALIBRATE_50MV, "calibrate-50mv",
                {Step(CMD_CALIBRATE_MILLIVOLTS).filledBy(FillKey50mV)}, kCalibrateTexts)
        .judgedBy(LongAddressEchoed),
    Read(OP_READ_OFFSET, "read-offset",
         {Step(CMD_READ_OFFSET).decodedBy(DecodeOffset)}, kCalibrateTexts)
        .showing(kConf, kOffsetField),
    Write(OP_WRITE_OFFSET, "write-offset",
          {Step(CMD_WRITE_OFFSET).filledBy(FillOffset)}, kCalibrateTexts)
        .showing(kConf, kOffsetField).refusing(RefuseOffsetOutOfRange).recording(SentOffset)
        .sending(kOffsetField),
    Read(OP_READ_CAL_ROW1, "read-cal-row1",
         {Step(CMD_READ_REFERENCES).filledBy(FillReadKey)
              .decodedBy(DecodeReferenceRow<&DeviceData::row1AdmText, &DeviceData::row1AdlText>)},
         kReadTexts)
        .showing(kConf, kRow1Fields),
    Read(OP_READ_CAL_ROW2, "read-cal-row2",
         {Step(CMD_READ_REFERENCES).filledBy(FillReadKey)
              .decodedBy(DecodeReferenceRow<&DeviceData::row2AdmText, &DeviceData::row2AdlText>)},
         kReadTexts)
        .showing(kConf, kRow2Fields),
    Calibration(OP_CALIBRATE_0MV, "calibrate-0mv",
                {Step(CMD_CALIBRATE_MILLIVOLTS).filledBy(FillKey0mV)}, kCalibrateTexts)
        .judgedBy(LongAddressEchoed),
    Read(OP_READ_VOLTAGE, "read-voltage",
         {Step(CMD_READ_MILLIVOLTS).filledBy(FillReadKey).decodedBy(DecodeMillivolts)}, kReadTexts)
        .showing(kConf, kMillivoltField),
    Calibration(OP_CALIBRATE_LOW, "calibrate-low",
                {Step(CMD_CALIBRATE_LOW).filledBy(FillPressurePoint<&DeviceData::lowPressure>)},
                kCalibrateTexts)
        .judgedBy(LongAddressEchoed).recording(SentPressure<&DeviceData::lowPressure>),
    Calibration(OP_CALIBRATE_HIGH, "calibrate-high",
                {Step(CMD_CALIBRATE_HIGH).filledBy(FillPressurePoint<&DeviceData::highPressure>)},
                kCalibrateTexts)
        .judgedBy(LongAddressEchoed).recording(SentPressure<&DeviceData::highPressure>),
    Calibration(OP_CLEAR_ZERO, "clear-zero", {Step(CMD_SET_PV_ZERO)}, kZeroTexts)
        .judgedBy(LongAddressEchoed),
    Calibration(OP_CALIBRATE_MID, "calibrate-mid",
                {Step(CMD_CALIBRATE_MID).filledBy(FillPressurePoint<&DeviceData::midPressure>)},
                kCalibrateTexts)
        .judgedBy(LongAddressEchoed).recording(SentPressure<&DeviceData::midPressure>),
    Read(OP_READ_GAIN, "read-gain", {Step(CMD_READ_GAIN).decodedBy(DecodeGain)}, kCalibrateTexts)
        .showing(kConf, kGainField),
    Write(OP_WRITE_GAIN, "write-gain", {Step(CMD_WRITE_GAIN).filledBy(FillGain)}, kModifyTexts)
        .judgedBy(GainEchoed).recording(SentGain).sending(kGainField),
    Poll(OP_POLL, "poll", {Step(CMD_READ_PRESSURE_CODE).decodedBy(DecodePressureCode)},
         kCalibrateTexts)
        .showing(kConf, kPressureCodeField),
    Read(OP_READ_STATUS, "read-status",
         {Step(CMD_READ_ADDITIONAL_STATUS).decodedBy(DecodeAdditionalStatus)}, kReadTexts)
        .filling(kStatusField),
    Write(OP_ACKNOWLEDGE_STATUS, "acknowledge-status",
          {Step(CMD_READ_ADDITIONAL_STATUS).filledBy(FillAcknowledgement)
               .decodedBy(DecodeAdditionalStatus)}, kAcknowledgeTexts, Changes::Nothing)
        .refusing(RefuseWithoutStatus).sending(kStatusField).filling(kStatusField),
    Write(OP_RESET_CONFIG_CHANGED, "reset-config-changed",
          {Step(CMD_RESET_CONFIGURATION_CHANGED).filledBy(FillConfigChangedReset)
               .decodedBy(DecodeConfigChangedReset)}, kResetTexts),
    Read(OP_READ_LONG_TAG, "read-long-tag",
         {Step(CMD_READ_LONG_TAG).decodedBy(DecodeLongTag)}, kReceiveTexts)
        .fromRevision(6).showing(kHart, kLongTagField),
    Write(OP_WRITE_LONG_TAG, "write-long-tag",
          {Step(CMD_WRITE_LONG_TAG).filledBy(FillLongTag)}, kSendTexts)
        .fromRevision(6).judgedBy(LongTagEchoed).refusing(RefuseBadLongTag)
        .recording(SentLongTag).sending(kLongTagField),
    Read(OP_SQUAWK, "squawk", {Step(CMD_SQUAWK)}, kSquawkTexts).fromRevision(6),
};
// clang-format on

static_assert(std::size(kOperations) == kLastOperation, "one row per operation");

constexpr bool RowsInCodeOrder() {
  for (std::size_t i = 0; i < std::size(kOperations); ++i) {
    if (kOperations[i].code != static_cast<int>(i) + kFirstOperation) return false;
  }
  return true;
}
static_assert(RowsInCodeOrder(), "row i holds operation code i + 1");

}  // namespace

const OperationRow& OperationRowOf(OperationCode op) {
  return kOperations[op - kFirstOperation];
}

const OperationRow* OperationRowsBegin() {
  return std::begin(kOperations);
}

const OperationRow* OperationRowsEnd() {
  return std::end(kOperations);
}

unsigned CommandClassesOf(OperationCode op) {
  unsigned classes = static_cast<unsigned>(CommandClass::Universal);  // command 0
  const StepList& steps = OperationRowOf(op).steps;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    classes |= static_cast<unsigned>(FindHartCommand(steps[i].command)->commandClass);
  }
  return classes;
}

int RequestsAfterCommand0(OperationCode op) {
  return static_cast<int>(OperationRowOf(op).steps.size());
}

bool MaySendTwice(OperationCode op) {
  return OperationRowOf(op).maySendTwice;
}

std::string_view OperationWord(OperationCode op) {
  return IsOperationCode(op) ? OperationRowOf(op).word : std::string_view{};
}

std::optional<OperationCode> OperationFromWord(std::string_view word) {
  for (const OperationRow& row : kOperations) {
    if (row.word == word) return row.code;
  }
  return std::nullopt;
}

}  // namespace vantrel
