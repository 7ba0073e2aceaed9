#include "tabs/CTabConf.h"

#include "engine/CodeTables.h"
#include "engine/Encoding.h"
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
  connect(ui_->combo1076, &QComboBox::activated, this, [this] { start(OP_WRITE_GAIN); });
  connect(ui_->button1077, &QPushButton::clicked, this, [this] { start(OP_READ_GAIN); });
  connect(ui_->button1075, &QPushButton::clicked, this, &CTabConf::toggleAcquisition);

  // The hidden temperature-input groups. Buttons 1063 and 1039 (cold-junction
  // correction) have no function.
  connect(ui_->combo1041, &QComboBox::activated, this, [this] {
    showSensorRange();
    showData();
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

void CTabConf::refresh(RefreshDirection direction) {
  if (direction == RefreshDirection::ToData) {
    save();
  } else {
    showData();
  }
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
  if (!number(ui_->edit1070, data_.lowPressure, OP_CALIBRATE_LOW)) return false;
  if (!number(ui_->edit1069, data_.highPressure, OP_CALIBRATE_HIGH)) return false;
  if (!number(ui_->edit1072, data_.midPressure, OP_CALIBRATE_MID)) return false;
  data_.gainIndex = ui_->combo1076->currentIndex();
  exchange.takeIntQuietly(ui_->edit1074, data_.pressureCode);
  return true;
}

// Every member into its control: text typed and not saved is replaced.
void CTabConf::showData() {
  ui_->combo1041->setCurrentIndex(data_.sensorTypeIndex);
  ui_->edit1042->setText(Utf8Text(data_.sensorLowerText));
  ui_->edit1043->setText(Utf8Text(data_.sensorUpperText));
  ui_->combo1049->setCurrentIndex(data_.unitIndex);
  ui_->edit1046->setText(Utf8Text(data_.lowerRangeText));
  ui_->edit1047->setText(Utf8Text(data_.upperRangeText));
  ui_->edit1045->setText(Utf8Text(data_.dampingText));
  ui_->edit1051->setText(FloatText(data_.resistance));
  ui_->edit1053->setText(Utf8Text(data_.offsetText));
  ui_->edit1055->setText(Utf8Text(data_.row1AdmText));
  ui_->edit1056->setText(Utf8Text(data_.row1AdlText));
  ui_->edit1057->setText(Utf8Text(data_.row2AdmText));
  ui_->edit1058->setText(Utf8Text(data_.row2AdlText));
  ui_->edit1061->setText(Utf8Text(data_.rRefText));
  ui_->edit1062->setText(Utf8Text(data_.vRefText));
  ui_->edit1065->setText(Utf8Text(data_.millivoltText));
  ui_->edit1070->setText(FloatText(data_.lowPressure));
  ui_->edit1069->setText(FloatText(data_.highPressure));
  ui_->edit1072->setText(FloatText(data_.midPressure));
  ui_->combo1076->setCurrentIndex(data_.gainIndex);
  ui_->edit1074->setText(QString::number(data_.pressureCode));
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

// The calibration points from the range last read or saved, not from what
// the range edits show now.
void CTabConf::splitRange() {
  const auto low = static_cast<float>(TextToDouble(data_.lowerRangeText));
  const auto high = static_cast<float>(TextToDouble(data_.upperRangeText));
  data_.lowPressure = low;
  data_.highPressure = high;
  data_.midPressure = static_cast<float>((low + high) * 0.5);
  showData();
}

// The view's one-second timer polls the pressure code while this is on.
void CTabConf::toggleAcquisition() {
  data_.acquiring = !data_.acquiring;
  ui_->button1075->setText(UiText(data_.acquiring ? kStopAcquisition : kStartAcquisition));
}

}  // namespace vantrel
