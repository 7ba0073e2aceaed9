// The HART engineering-unit codes, all of them, as the common tables of the
// protocol define them: what every instrument's units byte means, whichever
// maker built it. The family's own list of ten (CodeTables.h) is a part of
// this table; the pages show the family's texts for those ten as before and
// this table's for every other code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What a unit measures. Units of one kind can stand for each other in a
// range write; the unit box offers another model the units of its kind.
enum class UnitKind : std::uint8_t {
  Pressure,
  Temperature,
  VolumetricFlow,
  Velocity,
  Volume,
  Length,  // level
  Mass,
  MassFlow,
  MassPerVolume,  // density
  Current,
  Voltage,
  Resistance,
  Percent,
  Time,
  Frequency,
  Other,    // the rest of the table (viscosity, energy, power, ...)
  Special,  // 250-253: not used, none, unknown, special
};

struct HartUnit {
  std::uint8_t code;
  UnitKind kind;
  std::string_view text;  // as it follows a value, UTF-8 ("kg/h", "℃", "m³/h")
  std::string_view name;  // plain ASCII for the command line ("kg/h", "degC", "m3/h")
};

// Every code of the table, in code order.
const std::vector<HartUnit>& HartUnitTable();

// The table's row of `code`; nullptr for a code the table does not hold.
const HartUnit* FindHartUnit(std::uint8_t code);

// The text of a units code: the family's display text for its ten (as the
// pages have always shown them), the table's text for every other code it
// holds, "代码 N" (translated) for a code it does not.
std::string UnitTextOfCode(std::uint8_t code);

// The code of a unit named by its ASCII name or its text (ASCII letters in
// any case, e.g. "KG/H", "degc", "℃"); nullopt for other names.
std::optional<std::uint8_t> UnitCodeForName(std::string_view name);

// The codes of the units of `kind`, in code order.
std::vector<std::uint8_t> UnitCodesOfKind(UnitKind kind);

// How many kPa one `code` is, for the pressure units; nullopt for any other
// code. The water columns at their own reference temperatures, mercury at
// 0 °C, kg/cm² and g/cm² with standard gravity.
std::optional<double> KilopascalsPerUnit(std::uint8_t code);

// The kind in plain English ("pressure", "mass flow"), for the command line.
std::string_view UnitKindName(UnitKind kind);

}  // namespace vantrel
