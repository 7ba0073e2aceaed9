// Pieces of JSON text written by hand, where the order of the keys matters
// to the reader (a saved configuration, the command line's objects).
#pragma once

#include <string>

namespace vantrel {

// A JSON string literal, quotes included; UTF-8 passes through.
std::string JsonString(const std::string& text);

// The shortest decimal text that reads back as the same 32-bit float
// (0.25f as "0.25", 0.1f as "0.1", never "0.10000000149"), without an
// exponent from 0.0001 up to 10^9 (100000); "null" for a value that is not
// finite.
std::string JsonFloat(float value);

}  // namespace vantrel
