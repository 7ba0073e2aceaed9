#include "link/PskKeyFile.h"

namespace vantrel {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

PskKeyError ParseKeyLine(std::string_view line, PskKey* out) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return PskKeyError::NoColon;
  const std::string_view identity = Trimmed(line.substr(0, colon));
  const std::string_view hex = Trimmed(line.substr(colon + 1));
  if (identity.size() > kMaxPskIdentityChars) return PskKeyError::BadIdentity;
  for (char c : identity) {
    if (c < 0x21 || c > 0x7E) return PskKeyError::BadIdentity;
  }
  if (identity.size() < kMinPskIdentityChars) return PskKeyError::ShortIdentity;
  if (hex.size() % 2 != 0) return PskKeyError::BadHex;
  std::vector<std::uint8_t> key;
  key.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return PskKeyError::BadHex;
    key.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  if (key.size() < kMinPskKeyBytes) return PskKeyError::ShortKey;
  if (key.size() > kMaxPskKeyBytes) return PskKeyError::LongKey;
  out->identity = std::string(identity);
  out->key = std::move(key);
  return PskKeyError::None;
}

}  // namespace

PskKeyParse ParsePskKeyFile(std::string_view text) {
  PskKeyParse result;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    const std::string_view line = Trimmed(raw);
    if (line.empty() || line.front() == '#') continue;
    if (result.key) return {std::nullopt, PskKeyError::SeveralKeys, number};
    PskKey key;
    const PskKeyError error = ParseKeyLine(line, &key);
    if (error != PskKeyError::None) return {std::nullopt, error, number};
    result.key = std::move(key);
  }
  if (!result.key) result.error = PskKeyError::NoKeyLine;
  return result;
}

}  // namespace vantrel
