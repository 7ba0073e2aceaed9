#include "tabs/CTabConf.h"

#include "engine/CodeTables.h"
#include "engine/OperationTable.h"
#include "link/Translate.h"
#include "tabs/ComboLists.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
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

  MirrorSelection(ui_->combo1041, data_.sensorTypeIndex, this);
  MirrorSelection(ui_->combo1049, data_.unitIndex, this);
  MirrorSelection(ui_->combo1076, data_.gainIndex, this);

  // Range, unit and damping.
  connect(ui_->button1048, &QPushButton::clicked, this, [this] { start(OP_READ_CONFIG); });
  connect(ui_->button1035, &QPushButton::clicked, this, [this] { saveAndStart(OP_WRITE_CONFIG); });
  connect(ui_->button1073, &QPushButton::clicked, this, &CTabConf::splitRange);

  // Zero and pressure calibration.
  connect(ui_->button1068, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CLEAR_ZERO, false); });
  connect(ui_->button1067, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CALIBRATE_LOW, true); });
  connect(ui_->button1071, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CALIBRATE_MID, true); });
  connect(ui_->button1050, &QPushButton::clicked, this,
          [this] { confirmAndStart(OP_CALIBRATE_HIGH, true); });

  // Gain and acquisition. Only a choice made by the user writes the gain; a
  // gain read from the instrument is shown without being written back.
  new PickOnlyFilter(ui_->combo1076);
  connect(ui_->combo1076, &QComboBox::activated, this, [this] { start(OP_WRITE_GAIN); });
  connect(ui_->button1077, &QPushButton::clicked, this, [this] { start(OP_READ_GAIN); });
  connect(ui_->button1075, &QPushButton::clicked, this, &CTabConf::toggleAcquisition);

  // The hidden temperature-input groups. Buttons 1063 and 1039 (cold-junction
  // correction) have no function.
  connect(ui_->combo1041, &QComboBox::activated, this, [this] {
    showSensorRange();
    showFields(kSensorFields);
  });
  connect(ui_->button1044, &QPushButton::clicked, this, [this] { start(OP_READ_SENSOR_CONFIG); });
  connect(ui_->button1034, &QPushButton::clicked, this, [this] { start(OP_WRITE_SENSOR_CONFIG); });
  connect(ui_->button1066, &QPushButton::clicked, this, [this] { start(OP_READ_VOLTAGE); });
  connect(ui_->button1040, &QPushButton::clicked, this, [this] { saveAndStart(OP_CALIBRATE_0MV); });
  connect(ui_->button1037, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_CALIBRATE_50MV); });
  connect(ui_->button1052, &QPushButton::clicked, this, [this] { start(OP_READ_CAL_ROW1); });
  connect(ui_->button1060, &QPushButton::clicked, this, [this] { start(OP_READ_CAL_ROW2); });
  connect(ui_->button1036, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_CALIBRATE_RESISTANCE); });
  connect(ui_->button1059, &QPushButton::clicked, this, [this] { start(OP_READ_RESISTANCE); });
  connect(ui_->button1054, &QPushButton::clicked, this, [this] { start(OP_READ_OFFSET); });
  connect(ui_->button1038, &QPushButton::clicked, this, [this] { saveAndStart(OP_WRITE_OFFSET); });

  showData();
}

CTabConf::~CTabConf() = default;

void CTabConf::fillSensorTypes() {
  QStringList names;
  for (const SensorTypeEntry& entry : SensorTypeTable()) names << CoreText(std::string(entry.name));
  FillList(ui_->combo1041, names, data_.sensorTypeIndex);
}

void CTabConf::fillUnits() {
  QStringList names;
  for (const UnitEntry& entry : UnitTable()) names << ListText(entry.listText);
  FillList(ui_->combo1049, names, data_.unitIndex);
}

void CTabConf::fillGains() {
  QStringList names;
  for (std::string_view gain : GainTable()) names << ListText(gain);
  FillList(ui_->combo1076, names, data_.gainIndex);
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
  data_.sensorTypeIndex = ui_->combo1041->currentIndex();
  data_.sensorLowerText = TextOf(ui_->edit1042);
  data_.sensorUpperText = TextOf(ui_->edit1043);
  data_.unitIndex = ui_->combo1049->currentIndex();
  data_.lowerRangeText = TextOf(ui_->edit1046);
  data_.upperRangeText = TextOf(ui_->edit1047);
  data_.dampingText = TextOf(ui_->edit1045);
  exchange.takeFloatQuietly(ui_->edit1051, data_.resistance);
  data_.offsetText = TextOf(ui_->edit1053);
  data_.row1AdmText = TextOf(ui_->edit1055);
  data_.row1AdlText = TextOf(ui_->edit1056);
  data_.row2AdmText = TextOf(ui_->edit1057);
  data_.row2AdlText = TextOf(ui_->edit1058);
  data_.rRefText = TextOf(ui_->edit1061);
  data_.vRefText = TextOf(ui_->edit1062);
  data_.millivoltText = TextOf(ui_->edit1065);
  // The range and damping are sent as typed, so a write checks all three
  // before its first request: a refusal never leaves half a configuration.
  // Without a unit it is refused for that first, as always.
  if (op == OP_WRITE_CONFIG && UnitCodeForIndex(data_.unitIndex)) {
    float checked = 0.0f;
    if (!exchange.takeFloat(ui_->edit1046, checked)) return false;
    if (!exchange.takeFloat(ui_->edit1047, checked)) return false;
    if (!exchange.takeFloatAtLeast(ui_->edit1045, checked, 0.0f)) return false;
  }
  if (!number(ui_->edit1070, data_.lowPressure, OP_CALIBRATE_LOW)) return false;
  if (!number(ui_->edit1069, data_.highPressure, OP_CALIBRATE_HIGH)) return false;
  if (!number(ui_->edit1072, data_.midPressure, OP_CALIBRATE_MID)) return false;
  data_.gainIndex = ui_->combo1076->currentIndex();
  exchange.takeIntQuietly(ui_->edit1074, data_.pressureCode);
  return true;
}

// Every member into its control: text typed and not saved is replaced.
void CTabConf::showData() {
  showFields(kAllFields);
}

void CTabConf::showFields(unsigned fields) {
  const auto show = [](QLineEdit* edit, const std::string& text) { edit->setText(Utf8Text(text)); };
  if (fields & kSensorFields) {
    ui_->combo1041->setCurrentIndex(data_.sensorTypeIndex);
    show(ui_->edit1042, data_.sensorLowerText);
    show(ui_->edit1043, data_.sensorUpperText);
  }
  if (fields & kRangeFields) {
    ui_->combo1049->setCurrentIndex(data_.unitIndex);
    show(ui_->edit1046, data_.lowerRangeText);
    show(ui_->edit1047, data_.upperRangeText);
    show(ui_->edit1045, data_.dampingText);
  }
  if (fields & kResistanceField) ui_->edit1051->setText(FloatText(data_.resistance));
  if (fields & kOffsetField) show(ui_->edit1053, data_.offsetText);
  if (fields & kRow1Fields) {
    show(ui_->edit1055, data_.row1AdmText);
    show(ui_->edit1056, data_.row1AdlText);
  }
  if (fields & kRow2Fields) {
    show(ui_->edit1057, data_.row2AdmText);
    show(ui_->edit1058, data_.row2AdlText);
  }
  if (fields & kReferenceFields) {
    show(ui_->edit1061, data_.rRefText);
    show(ui_->edit1062, data_.vRefText);
  }
  if (fields & kMillivoltField) show(ui_->edit1065, data_.millivoltText);
  if (fields & kPressureFields) {
    ui_->edit1070->setText(FloatText(data_.lowPressure));
    ui_->edit1069->setText(FloatText(data_.highPressure));
    ui_->edit1072->setText(FloatText(data_.midPressure));
  }
  if (fields & kGainField) ui_->combo1076->setCurrentIndex(data_.gainIndex);
  if (fields & kPressureCodeField) ui_->edit1074->setText(QString::number(data_.pressureCode));
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
  if (!confirmer_ || !confirmer_->confirm()) return;
  if (saveFirst && !save(op)) return;
  start(op);
}

// The limits of the selected sensor type into the data; the controls are
// left alone.
void CTabConf::showSensorRange() {
  if (const SensorTypeEntry* sensor = SensorTypeAt(ui_->combo1041->currentIndex())) {
    data_.sensorLowerText = std::string(sensor->lowerLimitText);
    data_.sensorUpperText = std::string(sensor->upperLimitText);
  }
}

// The calibration points from the range as typed: the low and high ends and
// their middle, into the three pressure edits only.
void CTabConf::splitRange() {
  DataExchange exchange(this);
  float low = 0.0f;
  float high = 0.0f;
  if (!exchange.takeFloat(ui_->edit1046, low) || !exchange.takeFloat(ui_->edit1047, high)) return;
  ui_->edit1070->setText(FloatText(low));
  ui_->edit1069->setText(FloatText(high));
  ui_->edit1072->setText(FloatText(static_cast<float>((double{low} + high) * 0.5)));
}

// The view's one-second timer polls the pressure code while this is on.
void CTabConf::toggleAcquisition() {
  data_.acquiring = !data_.acquiring;
  ui_->button1075->setText(UiText(data_.acquiring ? kStopAcquisition : kStartAcquisition));
}

}  // namespace vantrel
