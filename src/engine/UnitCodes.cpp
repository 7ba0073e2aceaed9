#include "engine/UnitCodes.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "engine/CodeTables.h"
#include "engine/EngineTexts.h"
#include "link/Translate.h"

namespace vantrel {

namespace {

// A units code the table does not hold: %1 the code.
constexpr char kUnitCodeText[] = VANTREL_TR_NOOP("core", "代码 %1");

using K = UnitKind;

// The table in code order. Codes 170-219 are left out on purpose: their
// meaning depends on the device variable's classification, which a units
// byte alone does not carry. Codes 240-249 belong to each maker.
// Water columns without a temperature (1, 3, 4) are at 68 °F.
constexpr HartUnit kUnits[] = {
    {1, K::Pressure, "inH2O", "inH2O"},
    {2, K::Pressure, "inHg", "inHg"},
    {3, K::Pressure, "ftH2O", "ftH2O"},
    {4, K::Pressure, "mmH2O", "mmH2O"},
    {5, K::Pressure, "mmHg", "mmHg"},
    {6, K::Pressure, "psi", "psi"},
    {7, K::Pressure, "bar", "bar"},
    {8, K::Pressure, "mbar", "mbar"},
    {9, K::Pressure, "g/cm²", "g/cm2"},
    {10, K::Pressure, "kg/cm²", "kg/cm2"},
    {11, K::Pressure, "Pa", "Pa"},
    {12, K::Pressure, "kPa", "kPa"},
    {13, K::Pressure, "torr", "torr"},
    {14, K::Pressure, "atm", "atm"},
    {15, K::VolumetricFlow, "ft³/min", "ft3/min"},
    {16, K::VolumetricFlow, "gal/min", "gal/min"},
    {17, K::VolumetricFlow, "l/min", "l/min"},
    {18, K::VolumetricFlow, "ImpGal/min", "ImpGal/min"},
    {19, K::VolumetricFlow, "m³/h", "m3/h"},
    {20, K::Velocity, "ft/s", "ft/s"},
    {21, K::Velocity, "m/s", "m/s"},
    {22, K::VolumetricFlow, "gal/s", "gal/s"},
    {23, K::VolumetricFlow, "Mgal/d", "Mgal/d"},
    {24, K::VolumetricFlow, "l/s", "l/s"},
    {25, K::VolumetricFlow, "Ml/d", "Ml/d"},
    {26, K::VolumetricFlow, "ft³/s", "ft3/s"},
    {27, K::VolumetricFlow, "ft³/d", "ft3/d"},
    {28, K::VolumetricFlow, "m³/s", "m3/s"},
    {29, K::VolumetricFlow, "m³/d", "m3/d"},
    {30, K::VolumetricFlow, "ImpGal/h", "ImpGal/h"},
    {31, K::VolumetricFlow, "ImpGal/d", "ImpGal/d"},
    // ℃ and ℉ are the single characters U+2103 and U+2109, as the pages
    // have always shown them.
    {32, K::Temperature, "℃", "degC"},
    {33, K::Temperature, "℉", "degF"},
    {34, K::Temperature, "°R", "degR"},
    {35, K::Temperature, "K", "K"},
    {36, K::Voltage, "mV", "mV"},
    {37, K::Resistance, "Ω", "ohm"},
    {38, K::Frequency, "Hz", "Hz"},
    {39, K::Current, "mA", "mA"},
    {40, K::Volume, "gal", "gal"},
    {41, K::Volume, "l", "l"},
    {42, K::Volume, "ImpGal", "ImpGal"},
    {43, K::Volume, "m³", "m3"},
    {44, K::Length, "ft", "ft"},
    {45, K::Length, "m", "m"},
    {46, K::Volume, "bbl", "bbl"},  // 42 US gallons
    {47, K::Length, "in", "in"},
    {48, K::Length, "cm", "cm"},
    {49, K::Length, "mm", "mm"},
    {50, K::Time, "min", "min"},
    {51, K::Time, "s", "s"},
    {52, K::Time, "h", "h"},
    {53, K::Time, "d", "d"},
    {54, K::Other, "cSt", "cSt"},
    {55, K::Other, "cP", "cP"},
    {56, K::Other, "µS", "uS"},
    {57, K::Percent, "%", "percent"},
    {58, K::Voltage, "V", "V"},
    {59, K::Other, "pH", "pH"},
    {60, K::Mass, "g", "g"},
    {61, K::Mass, "kg", "kg"},
    {62, K::Mass, "t", "t"},  // metric ton
    {63, K::Mass, "lb", "lb"},
    {64, K::Mass, "short ton", "short-ton"},
    {65, K::Mass, "long ton", "long-ton"},
    {66, K::Other, "mS/cm", "mS/cm"},
    {67, K::Other, "µS/cm", "uS/cm"},
    {68, K::Other, "N", "N"},
    {69, K::Other, "J", "J"},  // older tables call it the newton metre
    {70, K::MassFlow, "g/s", "g/s"},
    {71, K::MassFlow, "g/min", "g/min"},
    {72, K::MassFlow, "g/h", "g/h"},
    {73, K::MassFlow, "kg/s", "kg/s"},
    {74, K::MassFlow, "kg/min", "kg/min"},
    {75, K::MassFlow, "kg/h", "kg/h"},
    {76, K::MassFlow, "kg/d", "kg/d"},
    {77, K::MassFlow, "t/min", "t/min"},
    {78, K::MassFlow, "t/h", "t/h"},
    {79, K::MassFlow, "t/d", "t/d"},
    {80, K::MassFlow, "lb/s", "lb/s"},
    {81, K::MassFlow, "lb/min", "lb/min"},
    {82, K::MassFlow, "lb/h", "lb/h"},
    {83, K::MassFlow, "lb/d", "lb/d"},
    {84, K::MassFlow, "short ton/min", "short-ton/min"},
    {85, K::MassFlow, "short ton/h", "short-ton/h"},
    {86, K::MassFlow, "short ton/d", "short-ton/d"},
    {87, K::MassFlow, "long ton/h", "long-ton/h"},
    {88, K::MassFlow, "long ton/d", "long-ton/d"},
    {89, K::Other, "Dth", "Dth"},  // dekatherm
    {90, K::MassPerVolume, "SGU", "SGU"},
    {91, K::MassPerVolume, "g/cm³", "g/cm3"},
    {92, K::MassPerVolume, "kg/m³", "kg/m3"},
    {93, K::MassPerVolume, "lb/gal", "lb/gal"},
    {94, K::MassPerVolume, "lb/ft³", "lb/ft3"},
    {95, K::MassPerVolume, "g/ml", "g/ml"},
    {96, K::MassPerVolume, "kg/l", "kg/l"},
    {97, K::MassPerVolume, "g/l", "g/l"},
    {98, K::MassPerVolume, "lb/in³", "lb/in3"},
    {99, K::MassPerVolume, "short ton/yd³", "short-ton/yd3"},
    {100, K::MassPerVolume, "°Tw", "degTw"},
    {101, K::Other, "°Bx", "degBx"},
    {102, K::MassPerVolume, "°Bé heavy", "degBe-heavy"},
    {103, K::MassPerVolume, "°Bé light", "degBe-light"},
    {104, K::MassPerVolume, "°API", "degAPI"},
    {105, K::Other, "% solids/wt", "percent-solids-wt"},
    {106, K::Other, "% solids/vol", "percent-solids-vol"},
    {107, K::Other, "°Balling", "degBalling"},
    {108, K::Other, "proof/vol", "proof/vol"},
    {109, K::Other, "proof/mass", "proof/mass"},
    {110, K::Volume, "bushel", "bushel"},
    {111, K::Volume, "yd³", "yd3"},
    {112, K::Volume, "ft³", "ft3"},
    {113, K::Volume, "in³", "in3"},
    {114, K::Velocity, "in/s", "in/s"},
    {115, K::Velocity, "in/min", "in/min"},
    {116, K::Velocity, "ft/min", "ft/min"},
    {117, K::Other, "°/s", "deg/s"},
    {118, K::Other, "rev/s", "rev/s"},
    {119, K::Other, "rpm", "rpm"},
    {120, K::Velocity, "m/h", "m/h"},
    {121, K::VolumetricFlow, "Nm³/h", "Nm3/h"},
    {122, K::VolumetricFlow, "Nl/h", "Nl/h"},
    {123, K::VolumetricFlow, "SCFM", "SCFM"},
    {124, K::Volume, "bbl liq", "bbl-liq"},  // 31.5 US gallons
    {125, K::Mass, "oz", "oz"},
    {126, K::Other, "ft·lbf", "ft-lbf"},
    {127, K::Other, "kW", "kW"},
    {128, K::Other, "kWh", "kWh"},
    {129, K::Other, "hp", "hp"},
    {130, K::VolumetricFlow, "ft³/h", "ft3/h"},
    {131, K::VolumetricFlow, "m³/min", "m3/min"},
    {132, K::VolumetricFlow, "bbl/s", "bbl/s"},
    {133, K::VolumetricFlow, "bbl/min", "bbl/min"},
    {134, K::VolumetricFlow, "bbl/h", "bbl/h"},
    {135, K::VolumetricFlow, "bbl/d", "bbl/d"},
    {136, K::VolumetricFlow, "gal/h", "gal/h"},
    {137, K::VolumetricFlow, "ImpGal/s", "ImpGal/s"},
    {138, K::VolumetricFlow, "l/h", "l/h"},
    {139, K::Other, "ppm", "ppm"},
    {140, K::Other, "Mcal/h", "Mcal/h"},
    {141, K::Other, "MJ/h", "MJ/h"},
    {142, K::Other, "Btu/h", "Btu/h"},
    {143, K::Other, "°", "deg"},
    {144, K::Other, "rad", "rad"},
    {145, K::Pressure, "inH2O@60°F", "inH2O@60F"},
    {146, K::MassPerVolume, "µg/l", "ug/l"},
    {147, K::MassPerVolume, "µg/m³", "ug/m3"},
    {148, K::Other, "% consistency", "percent-consistency"},
    {149, K::Other, "vol%", "vol-percent"},
    {150, K::Other, "% steam quality", "percent-steam-quality"},
    {151, K::Length, "ft·in·1/16", "ft16"},  // feet, inches and sixteenths
    {152, K::Other, "ft³/lb", "ft3/lb"},
    {153, K::Other, "pF", "pF"},
    {154, K::Other, "ml/l", "ml/l"},
    {155, K::Other, "µl/l", "ul/l"},
    {156, K::Other, "dB", "dB"},
    {160, K::Other, "°P", "degPlato"},  // percent Plato
    {161, K::Other, "%LEL", "percent-LEL"},
    {162, K::Other, "Mcal", "Mcal"},
    {163, K::Resistance, "kΩ", "kohm"},
    {164, K::Other, "MJ", "MJ"},
    {165, K::Other, "Btu", "Btu"},
    {166, K::Volume, "Nm³", "Nm3"},
    {167, K::Volume, "Nl", "Nl"},
    {168, K::Volume, "SCF", "SCF"},
    {169, K::Other, "ppb", "ppb"},
    {235, K::VolumetricFlow, "gal/d", "gal/d"},
    {236, K::Volume, "hl", "hl"},
    {237, K::Pressure, "MPa", "MPa"},
    {238, K::Pressure, "inH2O@4°C", "inH2O@4C"},
    {239, K::Pressure, "mmH2O@4°C", "mmH2O@4C"},
    {250, K::Special, "not used", "not-used"},
    {251, K::Special, "none", "none"},
    {252, K::Special, "unknown", "unknown"},
    {253, K::Special, "special", "special"},
};

constexpr bool InCodeOrder() {
  for (std::size_t i = 1; i < std::size(kUnits); ++i) {
    if (kUnits[i - 1].code >= kUnits[i].code) return false;
  }
  return true;
}
static_assert(InCodeOrder(), "the lookup searches the rows by code");

}  // namespace

const std::vector<HartUnit>& HartUnitTable() {
  static const std::vector<HartUnit> table(std::begin(kUnits), std::end(kUnits));
  return table;
}

// The row in the table HartUnitTable() gives, so that a row found by its code
// is the same row as the one listed.
const HartUnit* FindHartUnit(std::uint8_t code) {
  const std::vector<HartUnit>& table = HartUnitTable();
  const auto found = std::lower_bound(
      table.begin(), table.end(), code,
      [](const HartUnit& unit, std::uint8_t wanted) { return unit.code < wanted; });
  return found != table.end() && found->code == code ? &*found : nullptr;
}

std::string UnitTextOfCode(std::uint8_t code) {
  std::string familyText = UnitDisplayText(code);
  if (!familyText.empty()) return familyText;
  if (const HartUnit* unit = FindHartUnit(code)) return std::string(unit->text);
  return texts::WithArgs(kUnitCodeText, {std::to_string(code)});
}

std::optional<std::uint8_t> UnitCodeForName(std::string_view name) {
  if (const std::optional<int> index = UnitIndexForName(name)) return UnitCodeForIndex(*index);
  for (const HartUnit& unit : kUnits) {
    if (SameName(name, unit.name) || SameName(name, unit.text)) return unit.code;
  }
  return std::nullopt;
}

std::vector<std::uint8_t> UnitCodesOfKind(UnitKind kind) {
  std::vector<std::uint8_t> codes;
  for (const HartUnit& unit : kUnits) {
    if (unit.kind == kind) codes.push_back(unit.code);
  }
  return codes;
}

std::optional<double> KilopascalsPerUnit(std::uint8_t code) {
  struct Factor {
    std::uint8_t code;
    double kilopascals;
  };
  static constexpr Factor kFactors[] = {
      {1, 0.248642}, {2, 3.386389},   {3, 2.983704},     {4, 0.00978896}, {5, 0.1333224},
      {6, 6.894757}, {7, 100.0},      {8, 0.1},          {9, 0.0980665},  {10, 98.0665},
      {11, 0.001},   {12, 1.0},       {13, 0.1333224},   {14, 101.325},   {145, 0.248843},
      {237, 1000.0}, {238, 0.249089}, {239, 0.00980665},
  };
  for (const Factor& factor : kFactors) {
    if (factor.code == code) return factor.kilopascals;
  }
  return std::nullopt;
}

std::string_view UnitKindName(UnitKind kind) {
  switch (kind) {
    case UnitKind::Pressure:
      return "pressure";
    case UnitKind::Temperature:
      return "temperature";
    case UnitKind::VolumetricFlow:
      return "volumetric flow";
    case UnitKind::Velocity:
      return "velocity";
    case UnitKind::Volume:
      return "volume";
    case UnitKind::Length:
      return "length";
    case UnitKind::Mass:
      return "mass";
    case UnitKind::MassFlow:
      return "mass flow";
    case UnitKind::MassPerVolume:
      return "density";
    case UnitKind::Current:
      return "current";
    case UnitKind::Voltage:
      return "voltage";
    case UnitKind::Resistance:
      return "resistance";
    case UnitKind::Percent:
      return "percent";
    case UnitKind::Time:
      return "time";
    case UnitKind::Frequency:
      return "frequency";
    case UnitKind::Other:
      return "other";
    case UnitKind::Special:
      return "special";
  }
  return "other";
}

}  // namespace vantrel
