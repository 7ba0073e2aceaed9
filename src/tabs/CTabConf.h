// The configuration page (tab "组态设置"): range, unit and damping; clearing
// the zero and the pressure calibrations; the gain and the acquisition of the
// raw pressure code. The temperature-input groups (voltage and resistance
// calibration, cold-junction and offset correction, sensor configuration) are
// created hidden, right of the area the tab shows, and take part in the data
// exchange like the shown ones.
#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "engine/DeviceData.h"
#include "engine/EngineEffects.h"
#include "tabs/PageServices.h"

namespace Ui {
class CTabConf;
}

namespace vantrel {

class CTabConf : public QWidget {
  Q_OBJECT

 public:
  CTabConf(DeviceData& data, OperationStarter& starter, QWidget* parent = nullptr);
  ~CTabConf() override;

  // Asked before clearing the zero and before each pressure calibration.
  // Without one, those steps are not started.
  void setConfirmer(Confirmer* confirmer) { confirmer_ = confirmer; }

  // Fills the sensor-type, unit and gain lists in table order. The unit list
  // is the family's ten, except for an instrument of another model whose
  // range unit is known: to that one, the table's units of the same kind.
  void fillSensorTypes();
  void fillUnits();
  void fillGains();

  // ToControls shows the data `op` read (all of it without one); ToData
  // saves the page (checking nothing).
  void refresh(RefreshDirection direction, std::optional<OperationCode> op = std::nullopt);
  // Controls into data, for `op`: only the fields `op` sends are checked
  // (a refused one is reported and the save stops there); another field
  // that does not parse is left as it was. False when a field was refused.
  bool save(std::optional<OperationCode> op = std::nullopt);
  // Data into controls.
  void showData();
  // The fields `fields` (PageField bits) into their controls.
  void showFields(unsigned fields);
  // The acquisition was stopped from outside: the button offers to start it.
  void acquisitionStopped();

 private:
  // Groups of controls the data is shown in: the operations' page fields
  // (PageField), and the three pressure points, which no operation reads.
  static constexpr unsigned kPressureFields = 1u << 31;
  static constexpr unsigned kAllFields = ~0u;
  // The fields `op` reads from the instrument (its row's page fields);
  // kAllFields for an operation that reads none of this page's.
  static unsigned FieldsReadBy(OperationCode op);

  void trackTyped();
  void start(OperationCode op);
  void saveAndStart(OperationCode op);
  void confirmAndStart(OperationCode op, bool saveFirst);
  void showSensorRange();
  void splitRange();
  void toggleAcquisition();
  // The unit box's selection into the data: an index of the family's list,
  // or a code of the other list.
  void takeUnit(int selected);

  std::unique_ptr<Ui::CTabConf> ui_;
  DeviceData& data_;
  OperationStarter& starter_;
  Confirmer* confirmer_ = nullptr;
  // The codes the unit box offers; empty while it offers the family's ten.
  std::vector<std::uint8_t> unitCodes_;
};

}  // namespace vantrel
