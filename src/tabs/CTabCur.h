// The current adjustment page (tab "电流调整"): trims the 4 mA and 20 mA points
// of the loop output, and forces the output to a fixed current or releases it.
#pragma once

#include <QWidget>

#include <memory>

#include "engine/DeviceData.h"
#include "engine/EngineEffects.h"
#include "tabs/PageServices.h"

class QRadioButton;
namespace Ui {
class CTabCur;
}

namespace vantrel {

class CTabCur : public QWidget {
  Q_OBJECT

 public:
  CTabCur(DeviceData& data, OperationStarter& starter, QWidget* parent = nullptr);
  ~CTabCur() override;

  // The two trim points "4mA" and "20mA", none selected.
  void fillCalibrationPoints();

  // Shows the measured current last taken (the page saves nothing else).
  void refresh(RefreshDirection direction);

  // Asked before a trim.
  void setConfirmer(Confirmer* confirmer) { confirmer_ = confirmer; }

 private:
  void chooseCalibrationPoint();
  void calibrate();
  void enableFixedCurrent();
  void sendFixedCurrent();
  void releaseFixedCurrent();

  std::unique_ptr<Ui::CTabCur> ui_;
  DeviceData& data_;
  OperationStarter& starter_;
  QString actualCurrentText_;
  Confirmer* confirmer_ = nullptr;
};

}  // namespace vantrel
