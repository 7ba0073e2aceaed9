#include "engine/Instrument.h"

#include <algorithm>
#include <cstdio>

#include "engine/EngineTexts.h"

namespace vantrel {
namespace {

std::string Hex(unsigned value, bool wide) {
  char text[8];
  std::snprintf(text, sizeof text, wide ? "0x%04X" : "0x%02X", value);
  return text;
}

// "0x5A" for a byte, "0x60A5" for a 16-bit code.
std::string CodeText(std::uint16_t value) {
  return Hex(value, value > 0xFF);
}

// One hex number with "0x" and one to four digits.
std::optional<std::uint16_t> ParseHexCode(std::string_view text) {
  if (text.size() < 3 || text.size() > 6 || text[0] != '0' || (text[1] | 0x20) != 'x') {
    return std::nullopt;
  }
  unsigned value = 0;
  for (std::size_t i = 2; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') digit = (c | 0x20) - 'a' + 10;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace

Instrument InstrumentOf(const UniqueIdentifier& id) {
  Instrument instrument;
  instrument.hartRevision = id.universalRevision;
  if (id.layout >= 7) {
    instrument.model = {id.manufacturerCode, id.expandedDeviceType()};
  } else {
    instrument.model = {id.manufacturerId, id.deviceType};
  }
  instrument.deviceId = id.deviceId;
  instrument.deviceRevision = id.deviceRevision;
  instrument.softwareRevision = id.softwareRevision;
  if (id.layout >= 6) {
    instrument.configChangeCounter = id.configChangeCounter;
    instrument.extendedStatus = id.extendedStatus;
  }
  instrument.identity = IdentityBytes(id);
  return instrument;
}

bool IsSameInstrument(const LongAddressBytes& a, const LongAddressBytes& b) {
  return (a[0] & 0x3F) == (b[0] & 0x3F) && std::equal(a.begin() + 1, a.end(), b.begin() + 1);
}

std::string DeviceIdText(const std::array<std::uint8_t, 3>& id) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", id[0], id[1], id[2]);
  return text;
}

std::string ModelText(const InstrumentModel& model) {
  return Tr(texts::kManufacturer) + CodeText(model.manufacturer) + Tr(texts::kModelSeparator) +
         Tr(texts::kDeviceType) + CodeText(model.deviceType);
}

std::string InstrumentText(const Instrument& instrument) {
  return "HART " + std::to_string(instrument.hartRevision) + "  " + Tr(texts::kManufacturer) +
         CodeText(instrument.model.manufacturer) + "  " + Tr(texts::kDeviceType) +
         CodeText(instrument.model.deviceType) + "  " + Tr(texts::kDeviceId) +
         DeviceIdText(instrument.deviceId);
}

std::string ModelWord(const InstrumentModel& model) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x:0x%x", model.manufacturer, model.deviceType);
  return text;
}

std::optional<InstrumentModel> ParseModelWord(std::string_view word) {
  const std::size_t colon = word.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::optional<std::uint16_t> manufacturer = ParseHexCode(word.substr(0, colon));
  const std::optional<std::uint16_t> type = ParseHexCode(word.substr(colon + 1));
  if (!manufacturer || !type) return std::nullopt;
  return InstrumentModel{*manufacturer, *type};
}

bool IsKnownModel(const InstrumentModel& model, const std::vector<InstrumentModel>& confirmed) {
  return model == kFamilyModel ||
         std::find(confirmed.begin(), confirmed.end(), model) != confirmed.end();
}

}  // namespace vantrel
