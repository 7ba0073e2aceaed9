// The instrument the program talks to, as its command-0 reply names it, and
// its model: the manufacturer and device type that decide what the family's
// own commands mean to it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UniqueIdentifier.h"
#include "link/HartFrame.h"

namespace vantrel {

// Manufacturer and device type. HART 5 and 6 send both in one byte each
// (reply bytes 1 and 2); HART 7 sends the manufacturer code in bytes 17-18
// and a 16-bit expanded device type in bytes 1-2.
struct InstrumentModel {
  std::uint16_t manufacturer = 0;
  std::uint16_t deviceType = 0;

  bool operator==(const InstrumentModel& other) const {
    return manufacturer == other.manufacturer && deviceType == other.deviceType;
  }
  bool operator!=(const InstrumentModel& other) const { return !(*this == other); }
};

// The family the program was written for, and its built-in simulated
// instrument: its own commands go to this model without asking.
constexpr InstrumentModel kFamilyModel{0x5A, 0x10};

struct Instrument {
  int hartRevision = 5;  // universal command revision, reply byte 4
  InstrumentModel model;
  std::array<std::uint8_t, 3> deviceId{};
  std::uint8_t deviceRevision = 0;
  std::uint8_t softwareRevision = 0;
  // HART 6 and 7 only.
  std::optional<std::uint16_t> configChangeCounter;
  std::optional<std::uint8_t> extendedStatus;
  // Reply bytes 1, 2 and 9-11: what the long address is made of, and what
  // tells one instrument from another.
  LongAddressBytes identity{};
};

// The instrument of a decoded command-0 reply.
Instrument InstrumentOf(const UniqueIdentifier& id);

// True when two identities (bytes 1, 2 and 9-11 of command 0) name the same
// instrument. Only the manufacturer's bits 5-0 count, as in a long address.
bool IsSameInstrument(const LongAddressBytes& a, const LongAddressBytes& b);

// "a1b2c3": the device ID as six lower-case hex digits.
std::string DeviceIdText(const std::array<std::uint8_t, 3>& id);

// "制造商 0x66，设备类型 0xE4", in the program's language.
std::string ModelText(const InstrumentModel& model);

// "HART 7  制造商 0x60A5  设备类型 0xE12C  设备ID a1b2c3", in the program's
// language: the line the window shows.
std::string InstrumentText(const Instrument& instrument);

// "0x66:0xe4": the model as the settings and the command line write it.
std::string ModelWord(const InstrumentModel& model);
// Reads "MANUFACTURER:TYPE", each a hex number with "0x" (either case) of
// at most four digits; nullopt for anything else.
std::optional<InstrumentModel> ParseModelWord(std::string_view word);

// True when `model` is the family's or one of `confirmed`.
bool IsKnownModel(const InstrumentModel& model, const std::vector<InstrumentModel>& confirmed);

}  // namespace vantrel
