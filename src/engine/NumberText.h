// The texts that the dialogs and the command line show and read: number
// texts written and read with the C library's rules but always with a '.'
// decimal point, whatever locale the process runs under; the lenient reading
// of typed numbers that the Parts' fields use (the leading number, the rest
// ignored) beside the strict reading of input checks; and the long address's
// text form.
//
// Everything here is plain computation: no I/O, no locale, no clock.
#pragma once

#include <optional>
#include <string>

#include "link/HartFrame.h"

namespace vantrel {

// ---------------------------------------------------------------------------
// Long address text.

// "0x5a 0x10 0x01 0x02 0x03": lower-case hex, always 24 characters.
std::string FormatLongAddressText(const LongAddressBytes& address);

// Reads the text back: exactly five fields of "0x" and one or two hex digits
// (either case), separated by single spaces, with optional whitespace around
// the whole. Anything else gives nullopt, so a malformed text is refused as a
// whole rather than written in part.
std::optional<LongAddressBytes> ParseLongAddressText(const std::string& text);

// ---------------------------------------------------------------------------
// Numbers written as text.

// printf("%.*f", decimals, value) with a '.' decimal point: rounded to nearest,
// "-" for negatives (including "-0.0"), "inf" and "nan" as the C library
// writes them. A negative `decimals` means 6, as in printf.
std::string FormatFixed(double value, int decimals);

// The shortest decimal text that reads back as the same float: without an
// exponent from 0.0001 up to 10^9 ("100000", "0.25"), with one outside.
std::string ShortestFloatText(float value);

// A float the instrument sent and the pages may send back: at least one
// decimal ("100.0"), else the shortest text that reads back as the same
// float ("0.25", at most 9 significant digits), so that a read followed by a
// write sends the same value.
std::string FormatExactFloat(float value);

// ---------------------------------------------------------------------------
// Typed numbers read back. The lenient readings take what the Parts' fields
// take (the leading number, the rest ignored, none as 0); the strict ones are
// the input checks that refuse a text before anything is sent.

// The C library's text-to-double conversion of the leading part of `utf8`:
// leading whitespace, an optional sign, then the longest number that can be
// read (decimal with optional exponent, hexadecimal "0x...", "inf",
// "infinity", "nan"); the rest is ignored. No number gives 0. Values too large
// give +-infinity, too small +-0.
double TextToDouble(const std::string& utf8);

// The C library's text-to-int conversion of the leading part of `utf8`:
// leading whitespace, an optional sign and decimal digits; the rest is
// ignored, no digits give 0, and values beyond int clamp to INT_MIN/INT_MAX.
int TextToInt(const std::string& utf8);

// Strict reading for input checks: the whole text, apart from surrounding
// whitespace, must be one finite decimal number (optional sign, digits with an
// optional point, optional exponent). Hexadecimal, "inf", "nan", values that
// overflow a double and trailing text give nullopt.
std::optional<double> ParseNumber(const std::string& text);

// Strict reading of an int: optional surrounding whitespace, optional sign,
// decimal digits, and a value that fits in int.
std::optional<int> ParseInteger(const std::string& text);

}  // namespace vantrel
