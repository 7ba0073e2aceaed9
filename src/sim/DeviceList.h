// What vantrel-sim is told about its devices on the command line: the
// --devices list with each device's kind, and the --additional-status bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace vantrel::sim {

// A device's kind: HART revision 5, 6 or 7 and whose instrument it is.
struct DeviceKind {
  int revision = 5;
  DeviceVariant variant = DeviceVariant::Family;
};

// One item of --devices: ADDRESS[:KIND[:VARIANT]]. Without a kind the device
// is the family's HART 5 instrument (or the --model given).
struct DeviceEntry {
  std::uint8_t pollAddress = 0;
  std::optional<DeviceKind> kind;
};

bool operator==(const DeviceKind& a, const DeviceKind& b);
bool operator==(const DeviceEntry& a, const DeviceEntry& b);

// Reads comma-separated items ADDRESS[:KIND[:VARIANT]] ("0,40:hart7,5:hart7:flow"):
// a polling address 0 to 63 in decimal, each at most once, in the order
// given; KIND hart5, hart6 or hart7; VARIANT flow or foreign. Empty fields,
// signs, spaces, other characters, unknown kinds or variants and repeated
// addresses make the whole list invalid: nullopt.
std::optional<std::vector<DeviceEntry>> ParseDeviceList(const std::string& text);

// The device of `kind` at `pollAddress`. The identities (manufacturer : device
// type; HART 7 manufacturer code : expanded device type), device id 01 02
// 03+address in each:
//   family   hart5 0x5A:0x10    hart6 0x5A:0x11    hart7 0x005A:0x5A12
//   flow     hart5 0x3E:0x20    hart6 0x3E:0x21    hart7 0x60A5:0xE12C
//   foreign  hart5 0x26:0x30    hart6 0x26:0x31    hart7 0x6026:0xE130
// All but the family's HART 5 instrument track the configuration-changed flag.
SimDeviceConfig KindDeviceConfig(std::uint8_t pollAddress, const DeviceKind& kind);

// Reads hex digits, two per byte, 1 to 25 bytes ("000000000000030001"),
// either case, without "0x" or spaces; nullopt for anything else.
std::optional<std::vector<std::uint8_t>> ParseStatusBytes(const std::string& text);

// Comma-separated numbers ("0.2,50.1,99.9"), 1 to 64 of them, each finite;
// nullopt for anything else.
std::optional<std::vector<double>> ParseNumberList(const std::string& text);

}  // namespace vantrel::sim
