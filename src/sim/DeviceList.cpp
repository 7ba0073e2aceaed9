#include "sim/DeviceList.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace vantrel::sim {
namespace {

constexpr unsigned kMaxAddress = 63;

struct KindName {
  const char* name;
  int revision;
};
constexpr KindName kKinds[] = {{"hart5", 5}, {"hart6", 6}, {"hart7", 7}};

struct VariantName {
  const char* name;
  DeviceVariant variant;
};
constexpr VariantName kVariants[] = {{"flow", DeviceVariant::Flow},
                                     {"foreign", DeviceVariant::Foreign}};

struct KindIdentity {
  DeviceVariant variant;
  int revision;
  InstrumentModel model;
};
// clang-format off
constexpr KindIdentity kIdentities[] = {
    {DeviceVariant::Family, 6, {0x5A, 0x11}},
    {DeviceVariant::Family, 7, {0x005A, 0x5A12}},
    {DeviceVariant::Flow, 5, {0x3E, 0x20}},
    {DeviceVariant::Flow, 6, {0x3E, 0x21}},
    {DeviceVariant::Flow, 7, {0x60A5, 0xE12C}},
    {DeviceVariant::Foreign, 5, {0x26, 0x30}},
    {DeviceVariant::Foreign, 6, {0x26, 0x31}},
    {DeviceVariant::Foreign, 7, {0x6026, 0xE130}},
};
// clang-format on

std::optional<std::uint8_t> ParseAddress(const std::string& text) {
  if (text.empty() || text.size() > 2) return std::nullopt;  // empty, or more than 63
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > kMaxAddress) return std::nullopt;
  return static_cast<std::uint8_t>(value);
}

// Splits `text` at each `separator`; empty fields are kept.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    fields.push_back(text.substr(start, end - start));
    if (end == text.size()) return fields;
    start = end + 1;
  }
}

std::optional<DeviceEntry> ParseEntry(const std::string& text) {
  const std::vector<std::string> fields = Split(text, ':');
  if (fields.size() > 3) return std::nullopt;
  DeviceEntry entry;
  const std::optional<std::uint8_t> address = ParseAddress(fields[0]);
  if (!address) return std::nullopt;
  entry.pollAddress = *address;
  if (fields.size() == 1) return entry;
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&](const KindName& k) { return fields[1] == k.name; });
  if (kind == std::end(kKinds)) return std::nullopt;
  entry.kind = DeviceKind{kind->revision, DeviceVariant::Family};
  if (fields.size() == 2) return entry;
  const auto variant = std::find_if(std::begin(kVariants), std::end(kVariants),
                                    [&](const VariantName& v) { return fields[2] == v.name; });
  if (variant == std::end(kVariants)) return std::nullopt;
  entry.kind->variant = variant->variant;
  return entry;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool operator==(const DeviceKind& a, const DeviceKind& b) {
  return a.revision == b.revision && a.variant == b.variant;
}

bool operator==(const DeviceEntry& a, const DeviceEntry& b) {
  return a.pollAddress == b.pollAddress && a.kind == b.kind;
}

std::optional<std::vector<DeviceEntry>> ParseDeviceList(const std::string& text) {
  std::vector<DeviceEntry> entries;
  for (const std::string& item : Split(text, ',')) {
    const std::optional<DeviceEntry> entry = ParseEntry(item);
    if (!entry) return std::nullopt;
    const bool repeated = std::any_of(entries.begin(), entries.end(), [&](const DeviceEntry& e) {
      return e.pollAddress == entry->pollAddress;
    });
    if (repeated) return std::nullopt;
    entries.push_back(*entry);
  }
  return entries;
}

SimDeviceConfig KindDeviceConfig(std::uint8_t pollAddress, const DeviceKind& kind) {
  const auto identity =
      std::find_if(std::begin(kIdentities), std::end(kIdentities), [&](const KindIdentity& i) {
        return i.variant == kind.variant && i.revision == kind.revision;
      });
  if (identity == std::end(kIdentities)) return DefaultDeviceConfig(pollAddress);
  SimDeviceConfig config = ModelDeviceConfig(pollAddress, identity->model, kind.revision);
  config.variant = kind.variant;
  config.tracksConfigurationChanged = true;
  return config;
}

std::optional<std::vector<std::uint8_t>> ParseStatusBytes(const std::string& text) {
  if (text.empty() || text.size() % 2 != 0 || text.size() > 2 * kMaxAdditionalStatusBytes) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

std::optional<std::vector<double>> ParseNumberList(const std::string& text) {
  std::vector<double> numbers;
  std::size_t start = 0;
  while (start <= text.size() && numbers.size() < 64) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string word = text.substr(start, comma - start);
    char* end = nullptr;
    const double value = word.empty() ? 0.0 : std::strtod(word.c_str(), &end);
    if (word.empty() || end != word.c_str() + word.size() || !std::isfinite(value)) {
      return std::nullopt;
    }
    numbers.push_back(value);
    start = comma + 1;
  }
  if (start <= text.size()) return std::nullopt;  // more than 64
  return numbers;
}

}  // namespace vantrel::sim
