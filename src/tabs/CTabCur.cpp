#include "tabs/CTabCur.h"

#include <utility>

#include "engine/CodeTables.h"
#include "tabs/ComboLists.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "ui_CTabCur.h"

namespace vantrel {
namespace {

// What the current edits accept, in mA.
constexpr float kMeasuredMin = 3.0f;
constexpr float kMeasuredMax = 24.0f;
constexpr float kOtherMin = 3.5f;
constexpr float kOtherMax = 23.0f;

}  // namespace

CTabCur::CTabCur(DeviceData& data, OperationStarter& starter, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::CTabCur>()), data_(data), starter_(starter) {
  setFont(FormFont(kFormPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);

  connect(ui_->combo1008, &QComboBox::activated, this, &CTabCur::chooseCalibrationPoint);
  connect(ui_->button1010, &QPushButton::clicked, this, &CTabCur::calibrate);
  connect(ui_->check1011, &QCheckBox::clicked, this, &CTabCur::enableFixedCurrent);
  connect(ui_->button1021, &QPushButton::clicked, this, &CTabCur::sendFixedCurrent);
  connect(ui_->button1040, &QPushButton::clicked, this, &CTabCur::releaseFixedCurrent);
}

CTabCur::~CTabCur() = default;

void CTabCur::fillCalibrationPoints() {
  QStringList points;
  for (const CurrentPointEntry& entry : CurrentPointTable()) {
    points << QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size()));
  }
  FillList(ui_->combo1008, points, -1);
}

void CTabCur::refresh(RefreshDirection direction) {
  if (direction == RefreshDirection::ToControls) ui_->edit1012->setText(actualCurrentText_);
}

// Choosing a trim point drives the loop to that current at once.
void CTabCur::chooseCalibrationPoint() {
  data_.calibrationPoint = CurrentPointValue(ui_->combo1008->currentIndex()).value_or(4.0f);
  starter_.start(OP_FIXED_CURRENT);
}

// The engine trims the point the loop was last driven to: 4 mA or 20 mA. The
// current measured is a number a meter can show on a 4-20 mA loop.
void CTabCur::calibrate() {
  actualCurrentText_ = ui_->edit1012->text();
  DataExchange exchange(this);
  if (!exchange.takeFloatBetween(ui_->edit1012, data_.actualCurrent, kMeasuredMin, kMeasuredMax)) {
    return;
  }
  starter_.start(OP_CALIBRATE_CURRENT);
}

void CTabCur::enableFixedCurrent() {
  const bool on = ui_->check1011->isChecked();
  QWidget* const controls[] = {ui_->radio1013,  ui_->radio1014,  ui_->radio1015, ui_->radio1016,
                               ui_->radio1017,  ui_->radio1018,  ui_->radio1019, ui_->edit1020,
                               ui_->button1021, ui_->button1040, ui_->radio1022};
  for (QWidget* control : controls) control->setEnabled(on);
}

// With no point chosen there is nothing to send.
void CTabCur::sendFixedCurrent() {
  const std::pair<QRadioButton*, float> points[] = {
      {ui_->radio1013, 3.8f},  {ui_->radio1014, 4.0f},  {ui_->radio1015, 8.0f},
      {ui_->radio1016, 12.0f}, {ui_->radio1017, 16.0f}, {ui_->radio1018, 20.0f},
      {ui_->radio1019, 20.8f},
  };
  bool chosen = false;
  float milliamps = 0.0f;
  for (const auto& [radio, value] : points) {
    if (radio->isChecked()) {
      chosen = true;
      milliamps = value;
    }
  }
  if (ui_->radio1022->isChecked()) {
    // Wide enough for the alarm currents; the instrument refuses what it
    // cannot drive.
    DataExchange exchange(this);
    if (!exchange.takeFloatBetween(ui_->edit1020, milliamps, kOtherMin, kOtherMax)) return;
    chosen = true;
  }
  if (!chosen) return;
  data_.calibrationPoint = milliamps;
  starter_.start(OP_FIXED_CURRENT);
}

// A fixed current of 0 mA returns the instrument to normal output.
void CTabCur::releaseFixedCurrent() {
  data_.calibrationPoint = 0.0f;
  starter_.start(OP_FIXED_CURRENT);
}

}  // namespace vantrel
