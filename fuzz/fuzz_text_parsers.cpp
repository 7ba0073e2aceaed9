// Fuzzes the parsers of text the user types: long-address text, numbers,
// model words, packed ASCII both ways, and the pre-shared key file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/Encoding.h"
#include "engine/Instrument.h"
#include "engine/NumberText.h"
#include "link/PskKeyFile.h"

namespace {

// A key file that parses holds a key of the sizes allowed, and its key
// written back as one line parses to the same key.
void CheckPskKeyFile(const std::string& text) {
  using namespace vantrel;
  const PskKeyParse psk = ParsePskKeyFile(text);
  if (psk.key.has_value() == (psk.error != PskKeyError::None)) std::abort();
  if (psk.key) {
    if (psk.key->identity.size() < kMinPskIdentityChars || psk.key->key.size() < kMinPskKeyBytes ||
        psk.key->key.size() > kMaxPskKeyBytes) {
      std::abort();
    }
    std::string line = psk.key->identity + ":";
    static const char kHex[] = "0123456789abcdef";
    for (std::uint8_t b : psk.key->key) {
      line += kHex[b >> 4];
      line += kHex[b & 15];
    }
    const PskKeyParse again = ParsePskKeyFile(line);
    if (!again.key || again.key->identity != psk.key->identity || again.key->key != psk.key->key) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string text(reinterpret_cast<const char*>(data), size);

  // A long address that parses formats back to a text that parses the same.
  if (const auto address = ParseLongAddressText(text)) {
    const std::string shown = FormatLongAddressText(*address);
    if (shown.size() != 24 || ParseLongAddressText(shown) != address) std::abort();
  }

  // A strictly parsed number agrees with the lenient leading-number reading.
  if (const auto number = ParseNumber(text)) {
    if (TextToDouble(text) != *number) std::abort();
    (void)OffsetTenths(*number);
  }
  (void)TextToInt(text);

  // A model word that parses writes back to one that parses the same.
  if (const auto model = ParseModelWord(text)) {
    if (ParseModelWord(ModelWord(*model)) != model) std::abort();
  }
  (void)FormatFixed(TextToDouble(text), static_cast<int>(size % 8));

  // Packing never writes past its field, and printable text of the field's
  // length comes back upper-cased, without trailing blanks.
  std::uint8_t packed[24 + 4];
  packed[24] = packed[25] = packed[26] = packed[27] = 0xA5;
  const std::string field = text.substr(0, 32);
  PackAscii(field.c_str(), packed, 24);
  if (packed[24] != 0xA5 || packed[27] != 0xA5) std::abort();
  const std::string unpacked = UnpackAsciiText(packed, 24);
  if (unpacked.size() > 32) std::abort();
  bool simple = field.find('\0') == std::string::npos;
  for (char c : field) simple = simple && c >= 0x20 && c <= 0x5F;
  if (simple) {
    std::string expected = field;
    while (expected.size() > 1 && expected.back() == ' ') expected.pop_back();
    if (expected.empty()) expected = " ";
    if (unpacked != expected) std::abort();
  }

  CheckPskKeyFile(text);

  std::uint8_t date[3] = {0, 0, 0};
  for (std::size_t k = 0; k < size && k < 3; ++k) date[k] = data[k];
  const CalendarDate decoded = DecodeDateBytes(date);
  if (decoded.month < 1 || decoded.month > 12 || decoded.day < 1 || decoded.day > 31) std::abort();
  return 0;
}
