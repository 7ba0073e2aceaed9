// Resource numbers of this page, as the documents name them:
//   1034 → writeSensorButton    1035 → writeRangeButton      1036 → calibrateResistanceButton
//   1037 → calibrate50mVButton  1038 → writeOffsetButton     1039 → writeColdJunctionButton
//   1040 → calibrate0mVButton   1041 → sensorTypeCombo       1042 → sensorLowerEdit
//   1043 → sensorUpperEdit      1044 → readSensorButton      1045 → dampingEdit
//   1046 → lowerRangeEdit       1047 → upperRangeEdit        1048 → readRangeButton
//   1049 → unitCombo            1050 → calibrateHighButton   1051 → resistanceEdit
//   1052 → readRow1Button       1053 → offsetEdit            1054 → readOffsetButton
//   1055 → row1AdmEdit          1056 → row1AdlEdit           1057 → row2AdmEdit
//   1058 → row2AdlEdit          1059 → readResistanceButton  1060 → readRow2Button
//   1061 → rRefEdit             1062 → vRefEdit              1063 → readColdJunctionButton
//   1064 → coldJunctionEdit     1065 → millivoltEdit         1066 → readVoltageButton
//   1067 → calibrateLowButton   1068 → clearZeroButton       1069 → highPressureEdit
//   1070 → lowPressureEdit      1071 → calibrateMidButton    1072 → midPressureEdit
//   1073 → splitRangeButton     1074 → pressureCodeEdit      1075 → acquisitionButton
//   1076 → gainCombo            1077 → readGainButton

#include "tabs/CTabConf.h"

#include <QSignalBlocker>

#include <algorithm>

#include "engine/CodeTables.h"
#include "engine/EngineTexts.h"
#include "engine/Instrument.h"
#include "engine/OperationTable.h"
#include "engine/UnitCodes.h"
#include "link/Translate.h"
#include "tabs/ComboLists.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"
#include "ui_CTabConf.h"

namespace vantrel {
namespace {

inline constexpr char kStartAcquisition[] = QT_TRANSLATE_NOOP("vantrel", "开始采集");
inline constexpr char kStopAcquisition[] = QT_TRANSLATE_NOOP("vantrel", "停止采集");

QString ListText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A selection is the code of the entry, so the list keeps table order and the
// data follows whatever the box shows.
void MirrorSelection(QComboBox* box, int& index, QObject* context) {
  QObject::connect(box, &QComboBox::currentIndexChanged, context,
                   [&index](int selected) { index = selected; });
}

}  // namespace

CTabConf::CTabConf(DeviceData& data, OperationStarter& starter, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::CTabConf>()), data_(data), starter_(starter) {
  setFont(FormFont(kFormPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  trackTyped();

  // Range, unit and damping.
  connect(ui_->readRangeButton, &QPushButton::clicked, this, [this] { start(OP_READ_CONFIG); });
  connect(ui_->writeRangeButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_CONFIG); });
  connect(ui_->splitRangeButton, &QPushButton::clicked, this, &CTabConf::splitRange);

  // Zero and pressure calibration.
  connect(ui_->clearZeroButton, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CLEAR_ZERO, false); });
  connect(ui_->calibrateLowButton, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CALIBRATE_LOW, true); });
  connect(ui_->calibrateMidButton, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CALIBRATE_MID, true); });
  connect(ui_->calibrateHighButton, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CALIBRATE_HIGH, true); });

  // Gain and acquisition. Only a choice made by the user writes the gain; a
  // gain read from the instrument is shown without being written back.
  new PickOnlyFilter(ui_->gainCombo);
  connect(ui_->gainCombo, &QComboBox::activated, this, [this] { start(OP_WRITE_GAIN); });
  connect(ui_->readGainButton, &QPushButton::clicked, this, [this] { start(OP_READ_GAIN); });
  connect(ui_->acquisitionButton, &QPushButton::clicked, this, &CTabConf::toggleAcquisition);

  // The hidden temperature-input groups. Buttons 1063 and 1039 (cold-junction
  // correction) have no function.
  connect(ui_->sensorTypeCombo, &QComboBox::activated, this, [this] {
    showSensorRange();
    showFields(kSensorFields);
  });
  connect(ui_->readSensorButton, &QPushButton::clicked, this,
          [this] { start(OP_READ_SENSOR_CONFIG); });
  connect(ui_->writeSensorButton, &QPushButton::clicked, this,
          [this] { start(OP_WRITE_SENSOR_CONFIG); });
  connect(ui_->readVoltageButton, &QPushButton::clicked, this, [this] { start(OP_READ_VOLTAGE); });
  connect(ui_->calibrate0mVButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_CALIBRATE_0MV); });
  connect(ui_->calibrate50mVButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_CALIBRATE_50MV); });
  connect(ui_->readRow1Button, &QPushButton::clicked, this, [this] { start(OP_READ_CAL_ROW1); });
  connect(ui_->readRow2Button, &QPushButton::clicked, this, [this] { start(OP_READ_CAL_ROW2); });
  connect(ui_->calibrateResistanceButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_CALIBRATE_RESISTANCE); });
  connect(ui_->readResistanceButton, &QPushButton::clicked, this,
          [this] { start(OP_READ_RESISTANCE); });
  connect(ui_->readOffsetButton, &QPushButton::clicked, this, [this] { start(OP_READ_OFFSET); });
  connect(ui_->writeOffsetButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_OFFSET); });

  showData();
}

CTabConf::~CTabConf() = default;

// The lists' selections go into the data as they change. What the user
// types or chooses is the user's: a write may send it to any instrument.
void CTabConf::trackTyped() {
  MirrorSelection(ui_->sensorTypeCombo, data_.sensorTypeIndex, this);
  connect(ui_->unitCombo, &QComboBox::currentIndexChanged, this, &CTabConf::takeUnit);
  MirrorSelection(ui_->gainCombo, data_.gainIndex, this);
  const std::pair<QLineEdit*, unsigned> edits[] = {{ui_->sensorLowerEdit, kSensorLimitsField},
                                                   {ui_->sensorUpperEdit, kSensorLimitsField},
                                                   {ui_->lowerRangeEdit, kLowerRangeField},
                                                   {ui_->upperRangeEdit, kUpperRangeField},
                                                   {ui_->dampingEdit, kDampingField},
                                                   {ui_->resistanceEdit, kResistanceField},
                                                   {ui_->offsetEdit, kOffsetField},
                                                   {ui_->row1AdmEdit, kRow1AdmField},
                                                   {ui_->row1AdlEdit, kRow1AdlField},
                                                   {ui_->row2AdmEdit, kRow2AdmField},
                                                   {ui_->row2AdlEdit, kRow2AdlField},
                                                   {ui_->rRefEdit, kReferenceFields},
                                                   {ui_->vRefEdit, kReferenceFields},
                                                   {ui_->millivoltEdit, kMillivoltField},
                                                   {ui_->pressureCodeEdit, kPressureCodeField}};
  for (const auto& [edit, field] : edits) TrackTyped(edit, data_, field);
  TrackTyped(ui_->sensorTypeCombo, data_, kSensorTypeField);
  TrackTyped(ui_->unitCombo, data_, kUnitField);
  TrackTyped(ui_->gainCombo, data_, kGainField);
}

void CTabConf::acquisitionStopped() {
  ui_->acquisitionButton->setText(UiText(kStartAcquisition));
}

void CTabConf::fillSensorTypes() {
  QStringList names;
  for (const SensorTypeEntry& entry : SensorTypeTable()) names << CoreText(std::string(entry.name));
  FillList(ui_->sensorTypeCombo, names, data_.sensorTypeIndex);
}

namespace {

// The units the box offers an instrument: none (the family's ten) for the
// family, for an instrument not yet known, and while the range's unit is
// unknown or not in the table; else every unit of the same kind as it.
std::vector<std::uint8_t> OfferedUnitCodes(const DeviceData& data) {
  if (!data.instrument || data.instrument->model == kFamilyModel || data.unitCode < 0) return {};
  const HartUnit* unit = FindHartUnit(static_cast<std::uint8_t>(data.unitCode));
  if (unit == nullptr) return {};
  return UnitCodesOfKind(unit->kind);
}

}  // namespace

void CTabConf::fillUnits() {
  QComboBox* box = ui_->unitCombo;
  std::vector<std::uint8_t> codes = OfferedUnitCodes(data_);
  int selected = data_.unitIndex;
  if (!codes.empty()) {
    const auto at = std::find(codes.begin(), codes.end(), data_.unitCode);
    selected = at == codes.end() ? -1 : static_cast<int>(at - codes.begin());
  }
  if (codes == unitCodes_ && box->count() > 0) {
    box->setCurrentIndex(selected);
    return;
  }
  unitCodes_ = std::move(codes);
  QStringList names;
  if (unitCodes_.empty()) {
    for (const UnitEntry& entry : UnitTable()) names << ListText(entry.listText);
  } else {
    for (std::uint8_t code : unitCodes_) names << Utf8Text(UnitTextOfCode(code));
  }
  {
    const QSignalBlocker quiet(box);
    box->clear();
  }
  FillList(box, names, selected);
}

// With the family's list and nothing chosen there is no unit to send, also
// when the instrument's own code (one outside the ten) was read: a range
// write is refused for it, as always.
void CTabConf::takeUnit(int selected) {
  if (unitCodes_.empty()) {
    data_.unitIndex = selected;
    if (selected < 0) data_.unitCode = -1;
    return;
  }
  data_.unitIndex = -1;
  data_.unitCode = selected < 0 ? -1 : unitCodes_[static_cast<std::size_t>(selected)];
}

void CTabConf::fillGains() {
  QStringList names;
  for (std::string_view gain : GainTable()) names << ListText(gain);
  FillList(ui_->gainCombo, names, data_.gainIndex);
}

void CTabConf::refresh(RefreshDirection direction, std::optional<OperationCode> op) {
  if (direction == RefreshDirection::ToData) {
    save();
  } else {
    showFields(op ? FieldsReadBy(*op) : kAllFields);
  }
}

unsigned CTabConf::FieldsReadBy(OperationCode op) {
  const unsigned fields = OperationRowOf(op).shows;
  return fields != kNoFields ? fields : kAllFields;
}

// In the order the page has always exchanged its fields; a refused field
// leaves the ones after it as they were.
bool CTabConf::save(std::optional<OperationCode> op) {
  DataExchange exchange(this);
  // A number the operation sends is checked; the others are taken when they
  // parse.
  const auto number = [&](QLineEdit* edit, float& member, OperationCode sentBy) {
    if (op == sentBy) return exchange.takeFloat(edit, member);
    exchange.takeFloatQuietly(edit, member);
    return true;
  };
  data_.sensorTypeIndex = ui_->sensorTypeCombo->currentIndex();
  data_.sensorLowerText = TextOf(ui_->sensorLowerEdit);
  data_.sensorUpperText = TextOf(ui_->sensorUpperEdit);
  takeUnit(ui_->unitCombo->currentIndex());
  data_.lowerRangeText = TextOf(ui_->lowerRangeEdit);
  data_.upperRangeText = TextOf(ui_->upperRangeEdit);
  data_.dampingText = TextOf(ui_->dampingEdit);
  exchange.takeFloatQuietly(ui_->resistanceEdit, data_.resistance);
  data_.offsetText = TextOf(ui_->offsetEdit);
  data_.row1AdmText = TextOf(ui_->row1AdmEdit);
  data_.row1AdlText = TextOf(ui_->row1AdlEdit);
  data_.row2AdmText = TextOf(ui_->row2AdmEdit);
  data_.row2AdlText = TextOf(ui_->row2AdlEdit);
  data_.rRefText = TextOf(ui_->rRefEdit);
  data_.vRefText = TextOf(ui_->vRefEdit);
  data_.millivoltText = TextOf(ui_->millivoltEdit);
  // The range and damping are sent as typed, so a write checks all three
  // before its first request: a refusal never leaves half a configuration.
  // Without a unit it is refused for that first, as always.
  if (op == OP_WRITE_CONFIG && (UnitCodeForIndex(data_.unitIndex) || data_.unitCode >= 0)) {
    float checked = 0.0f;
    if (!exchange.takeFloat(ui_->lowerRangeEdit, checked)) return false;
    if (!exchange.takeFloat(ui_->upperRangeEdit, checked)) return false;
    if (!exchange.takeFloatAtLeast(ui_->dampingEdit, checked, 0.0f)) return false;
  }
  if (!number(ui_->lowPressureEdit, data_.lowPressure, OP_CALIBRATE_LOW)) return false;
  if (!number(ui_->highPressureEdit, data_.highPressure, OP_CALIBRATE_HIGH)) return false;
  if (!number(ui_->midPressureEdit, data_.midPressure, OP_CALIBRATE_MID)) return false;
  data_.gainIndex = ui_->gainCombo->currentIndex();
  exchange.takeIntQuietly(ui_->pressureCodeEdit, data_.pressureCode);
  return true;
}

// Every member into its control: text typed and not saved is replaced.
void CTabConf::showData() {
  showFields(kAllFields);
}

void CTabConf::showFields(unsigned fields) {
  const auto show = [](QLineEdit* edit, const std::string& text) { edit->setText(Utf8Text(text)); };
  if (fields & kSensorFields) {
    ui_->sensorTypeCombo->setCurrentIndex(data_.sensorTypeIndex);
    show(ui_->sensorLowerEdit, data_.sensorLowerText);
    show(ui_->sensorUpperEdit, data_.sensorUpperText);
  }
  if (fields & kRangeFields) {
    fillUnits();
    show(ui_->lowerRangeEdit, data_.lowerRangeText);
    show(ui_->upperRangeEdit, data_.upperRangeText);
    show(ui_->dampingEdit, data_.dampingText);
  }
  if (fields & kResistanceField) ui_->resistanceEdit->setText(FloatText(data_.resistance));
  if (fields & kOffsetField) show(ui_->offsetEdit, data_.offsetText);
  if (fields & kRow1Fields) {
    show(ui_->row1AdmEdit, data_.row1AdmText);
    show(ui_->row1AdlEdit, data_.row1AdlText);
  }
  if (fields & kRow2Fields) {
    show(ui_->row2AdmEdit, data_.row2AdmText);
    show(ui_->row2AdlEdit, data_.row2AdlText);
  }
  if (fields & kReferenceFields) {
    show(ui_->rRefEdit, data_.rRefText);
    show(ui_->vRefEdit, data_.vRefText);
  }
  if (fields & kMillivoltField) show(ui_->millivoltEdit, data_.millivoltText);
  if (fields & kPressureFields) {
    ui_->lowPressureEdit->setText(FloatText(data_.lowPressure));
    ui_->highPressureEdit->setText(FloatText(data_.highPressure));
    ui_->midPressureEdit->setText(FloatText(data_.midPressure));
  }
  if (fields & kGainField) ui_->gainCombo->setCurrentIndex(data_.gainIndex);
  if (fields & kPressureCodeField)
    ui_->pressureCodeEdit->setText(QString::number(data_.pressureCode));
}

void CTabConf::start(OperationCode op) {
  starter_.start(op);
}

// A write takes the page into the data first; the instrument is not written
// when a field is refused.
void CTabConf::saveAndStart(OperationCode op) {
  if (save(op)) start(op);
}

void CTabConf::confirmAndStart(OperationCode op, bool saveFirst) {
  if (!confirmer_ || !confirmer_->confirm(op)) return;
  if (saveFirst && !save(op)) return;
  start(op);
}

// The limits of the selected sensor type into the data; the controls are
// left alone.
void CTabConf::showSensorRange() {
  if (const SensorTypeEntry* sensor = SensorTypeAt(ui_->sensorTypeCombo->currentIndex())) {
    data_.sensorLowerText = std::string(sensor->lowerLimitText);
    data_.sensorUpperText = std::string(sensor->upperLimitText);
  }
}

// The calibration points from the range as typed: the low and high ends and
// their middle, into the three pressure edits only. The calibrations send
// kPa, so a range in another pressure unit is converted; a range that is not
// a pressure has no calibration points and is refused.
void CTabConf::splitRange() {
  DataExchange exchange(this);
  float low = 0.0f;
  float high = 0.0f;
  if (!exchange.takeFloat(ui_->lowerRangeEdit, low) ||
      !exchange.takeFloat(ui_->upperRangeEdit, high))
    return;
  const std::optional<std::uint8_t> unit = RangeUnitCode(data_);
  if (!unit) {
    ShowMessageBox(window(), MessageIcon::Warning, CoreText(texts::kSelectUnitFirst));
    return;
  }
  const std::optional<double> kilopascals = KilopascalsPerUnit(*unit);
  if (!kilopascals) {
    ShowMessageBox(
        window(), MessageIcon::Warning,
        tr("量程单位 %1 不是压力单位，不能换算为 kPa 标定点").arg(Utf8Text(UnitTextOfCode(*unit))));
    return;
  }
  const double lowKpa = low * *kilopascals;
  const double highKpa = high * *kilopascals;
  ui_->lowPressureEdit->setText(FloatText(static_cast<float>(lowKpa)));
  ui_->highPressureEdit->setText(FloatText(static_cast<float>(highKpa)));
  ui_->midPressureEdit->setText(FloatText(static_cast<float>((lowKpa + highKpa) * 0.5)));
}

// The view's one-second timer polls the pressure code while this is on.
void CTabConf::toggleAcquisition() {
  data_.acquiring = !data_.acquiring;
  ui_->acquisitionButton->setText(UiText(data_.acquiring ? kStopAcquisition : kStartAcquisition));
}

}  // namespace vantrel
