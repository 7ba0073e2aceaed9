// The pre-shared key of a secure HART-IP session, as the program and the
// simulator read it from one file: a line "IDENTITY:HEXKEY" (the client's
// PSK identity, a colon, the key's bytes in hex), lines starting with '#'
// and blank lines ignored. Plain C++, no I/O: the caller reads the file and
// checks who may read it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The shortest key and identity accepted.
constexpr std::size_t kMinPskKeyBytes = 16;
constexpr std::size_t kMinPskIdentityChars = 8;
// The longest an identity may be in a TLS handshake, and a generous key.
constexpr std::size_t kMaxPskIdentityChars = 128;
constexpr std::size_t kMaxPskKeyBytes = 64;

struct PskKey {
  std::string identity;
  std::vector<std::uint8_t> key;
};

enum class PskKeyError {
  None,
  NoKeyLine,       // no line but comments and blanks
  SeveralKeys,     // more than one key line
  NoColon,         // a key line without ':'
  BadIdentity,     // a character outside printable ASCII, or too long
  ShortIdentity,   // under kMinPskIdentityChars
  BadHex,          // odd length or a character that is not a hex digit
  ShortKey,        // under kMinPskKeyBytes
  LongKey,         // over kMaxPskKeyBytes
};

struct PskKeyParse {
  std::optional<PskKey> key;
  PskKeyError error = PskKeyError::None;
  int line = 0;  // the line (from 1) the error was found on, 0 for the file
};

// Reads the key file's text. Spaces and tabs around the identity and the
// key, and a CR before each line's end, are ignored.
PskKeyParse ParsePskKeyFile(std::string_view text);

// Group or world bits set in a file's mode: others could read the key.
inline bool PskKeyFileModeTooOpen(unsigned mode) { return (mode & 077u) != 0; }

}  // namespace vantrel
