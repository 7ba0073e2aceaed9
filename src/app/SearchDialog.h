// "搜索范围": the polling addresses a search probes (0 to 63), whether it
// probes fast (one try per address, an empty one given up one slave time-out
// after the probe) and whether it stops at the first instrument found. The
// menu's 搜索设备 keeps its own plan: 0 to 14, at its own pace.
#pragma once

#include <QDialog>

#include "engine/DeviceData.h"

class QCheckBox;
class QSpinBox;

namespace vantrel {

class SearchDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SearchDialog(const SearchPlan& plan, QWidget* parent = nullptr);

  // What the dialog shows; `to` is never below `from`.
  SearchPlan plan() const;

 private:
  QSpinBox* from_ = nullptr;
  QSpinBox* to_ = nullptr;
  QCheckBox* fast_ = nullptr;
  QCheckBox* first_ = nullptr;
};

}  // namespace vantrel
