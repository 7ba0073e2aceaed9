// Resource numbers of this page, as the documents name them:
//   1008 → calibrationPointCombo      1010 → calibrateCurrentButton  1011 → fixedCurrentCheck
//   1012 → actualCurrentEdit          1013 → current3p8mARadio       1014 → current4mARadio
//   1015 → current8mARadio            1016 → current12mARadio        1017 → current16mARadio
//   1018 → current20mARadio           1019 → current20p8mARadio      1020 → otherCurrentEdit
//   1021 → sendFixedCurrentButton     1022 → otherCurrentRadio       1039 → labelOtherCurrentUnit
//   1040 → releaseFixedCurrentButton

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

  connect(ui_->calibrationPointCombo, &QComboBox::activated, this,
          &CTabCur::chooseCalibrationPoint);
  connect(ui_->calibrateCurrentButton, &QPushButton::clicked, this, &CTabCur::calibrate);
  connect(ui_->fixedCurrentCheck, &QCheckBox::clicked, this, &CTabCur::enableFixedCurrent);
  connect(ui_->sendFixedCurrentButton, &QPushButton::clicked, this, &CTabCur::sendFixedCurrent);
  connect(ui_->releaseFixedCurrentButton, &QPushButton::clicked, this,
          &CTabCur::releaseFixedCurrent);
}

CTabCur::~CTabCur() = default;

void CTabCur::fillCalibrationPoints() {
  QStringList points;
  for (const CurrentPointEntry& entry : CurrentPointTable()) {
    points << QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size()));
  }
  FillList(ui_->calibrationPointCombo, points, -1);
}

void CTabCur::refresh(RefreshDirection direction) {
  if (direction == RefreshDirection::ToControls) {
    ui_->actualCurrentEdit->setText(actualCurrentText_);
  }
}

// Choosing a trim point drives the loop to that current at once.
void CTabCur::chooseCalibrationPoint() {
  data_.calibrationPoint =
      CurrentPointValue(ui_->calibrationPointCombo->currentIndex()).value_or(4.0f);
  starter_.start(OP_FIXED_CURRENT);
}

// The engine trims the point the loop was last driven to: 4 mA or 20 mA. The
// current measured is a number a meter can show on a 4-20 mA loop. A trim
// changes the instrument's output, so it is confirmed first; at any other
// point the engine refuses it without asking.
void CTabCur::calibrate() {
  actualCurrentText_ = ui_->actualCurrentEdit->text();
  DataExchange exchange(this);
  if (!exchange.takeFloatBetween(ui_->actualCurrentEdit, data_.actualCurrent, kMeasuredMin,
                                 kMeasuredMax)) {
    return;
  }
  const bool trimPoint = data_.calibrationPoint == 4.0f || data_.calibrationPoint == 20.0f;
  if (trimPoint && (!confirmer_ || !confirmer_->confirm(OP_CALIBRATE_CURRENT))) return;
  starter_.start(OP_CALIBRATE_CURRENT);
}

void CTabCur::enableFixedCurrent() {
  const bool on = ui_->fixedCurrentCheck->isChecked();
  QWidget* const controls[] = {
      ui_->current3p8mARadio,         ui_->current4mARadio,  ui_->current8mARadio,
      ui_->current12mARadio,          ui_->current16mARadio, ui_->current20mARadio,
      ui_->current20p8mARadio,        ui_->otherCurrentEdit, ui_->sendFixedCurrentButton,
      ui_->releaseFixedCurrentButton, ui_->otherCurrentRadio};
  for (QWidget* control : controls) control->setEnabled(on);
}

// With no point chosen there is nothing to send.
void CTabCur::sendFixedCurrent() {
  const std::pair<QRadioButton*, float> points[] = {
      {ui_->current3p8mARadio, 3.8f},   {ui_->current4mARadio, 4.0f},
      {ui_->current8mARadio, 8.0f},     {ui_->current12mARadio, 12.0f},
      {ui_->current16mARadio, 16.0f},   {ui_->current20mARadio, 20.0f},
      {ui_->current20p8mARadio, 20.8f},
  };
  bool chosen = false;
  float milliamps = 0.0f;
  for (const auto& [radio, value] : points) {
    if (radio->isChecked()) {
      chosen = true;
      milliamps = value;
    }
  }
  if (ui_->otherCurrentRadio->isChecked()) {
    // Wide enough for the alarm currents; the instrument refuses what it
    // cannot drive.
    DataExchange exchange(this);
    if (!exchange.takeFloatBetween(ui_->otherCurrentEdit, milliamps, kOtherMin, kOtherMax)) return;
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
