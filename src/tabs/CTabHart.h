// The HART settings page (tab "Hart设置"): identity data, polling address and
// long address of the instrument, and the polling-address box from which every
// operation takes the address it talks to.
#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/DeviceData.h"
#include "engine/EngineEffects.h"
#include "tabs/PageServices.h"

class QComboBox;
namespace Ui {
class CTabHart;
}

namespace vantrel {

class CTabHart : public QWidget {
  Q_OBJECT

 public:
  CTabHart(DeviceData& data, OperationStarter& starter, QWidget* parent = nullptr);
  ~CTabHart() override;

  // ToControls shows the data `op` read (all of it without one); ToData
  // saves the page (checking nothing).
  void refresh(RefreshDirection direction, std::optional<OperationCode> op = std::nullopt);
  // Controls into data, for `op`: only the fields `op` sends are checked
  // (a refused one is reported and the save stops there); another field
  // that does not parse is left as it was. False when a field was refused.
  bool save(std::optional<OperationCode> op = std::nullopt);
  // Data into controls. The date picker is set only by setDeviceDate.
  void showData();

  // The address of the item the box shows; for text the user typed, its
  // leading number (0 when there is none), low 8 bits.
  std::uint8_t pollAddress() const;
  QComboBox* pollAddressBox() const;
  // Replaces the list with `items`, in the order given, and selects the
  // first.
  void refillPollAddresses(const std::vector<PollAddressItem>& items);
  void setDeviceDate(const CalendarDate& date);
  // The fields `fields` (PageField bits) into their controls.
  void showFields(unsigned fields);
  // Adds `address` to the list when it is not there, leaving the box as it
  // is.
  void offerPollAddress(std::uint8_t address);

 private:
  void saveAndStart(OperationCode op);

  std::unique_ptr<Ui::CTabHart> ui_;
  DeviceData& data_;
  OperationStarter& starter_;
};

}  // namespace vantrel
