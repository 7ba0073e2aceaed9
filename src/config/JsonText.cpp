#include "config/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vantrel {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonFloat(float value) {
  if (!std::isfinite(value)) return "null";
  // Without a precision, to_chars gives the shortest digits that read back
  // as the same float; written out without an exponent for the numbers of
  // the plant (100000, not 1e+05).
  char text[64];
  const float magnitude = std::fabs(value);
  const bool plain = magnitude == 0.0f || (magnitude >= 1e-4f && magnitude < 1e15f);
  const std::to_chars_result written =
      plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
            : std::to_chars(text, text + sizeof text, value);
  if (written.ec != std::errc()) return "null";
  return std::string(text, written.ptr);
}

}  // namespace vantrel
