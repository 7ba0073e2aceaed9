#include "app/CDialogConfirm.h"

#include <cmath>

#include "engine/OperationTable.h"
#include "engine/UnitCodes.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "ui_CDialogConfirm.h"

namespace vantrel {
namespace {

QString OperationName(OperationCode op, const DeviceData& data) {
  switch (op) {
    case OP_CLEAR_ZERO:
      return CDialogConfirm::tr("清除零点");
    case OP_CALIBRATE_LOW:
      return CDialogConfirm::tr("低端标定");
    case OP_CALIBRATE_MID:
      return CDialogConfirm::tr("中点标定");
    case OP_CALIBRATE_HIGH:
      return CDialogConfirm::tr("高端标定");
    case OP_CALIBRATE_CURRENT:
      return CDialogConfirm::tr("输出电流校准 %1 mA").arg(FloatText(data.calibrationPoint));
    default:
      return QString::fromLatin1(OperationWord(op).data(),
                                 static_cast<qsizetype>(OperationWord(op).size()));
  }
}

// The reading in `unit`, where it can be put in it: the same code, or two
// pressure units.
std::optional<double> InUnit(const LastReading& reading, std::uint8_t unit) {
  if (reading.unitCode == unit) return reading.primaryVariable;
  const std::optional<double> from = KilopascalsPerUnit(reading.unitCode);
  const std::optional<double> to = KilopascalsPerUnit(unit);
  if (!from || !to) return std::nullopt;
  return reading.primaryVariable * *from / *to;
}

// How far from zero the reading is, in % of the span: against the range the
// instrument last gave when there is one in a unit the reading converts to,
// else the percent of range of the loop current (a range starting at zero).
double PercentAwayFromZero(const DeviceData& data, const LastReading& reading) {
  const unsigned range = kUpperRangeField | kLowerRangeField;
  const std::optional<std::uint8_t> unit = RangeUnitCode(data);
  const double span = std::fabs(double{data.upperRange} - data.lowerRange);
  if ((data.readFields & range) == range && unit && span > 0.0) {
    if (const std::optional<double> value = InUnit(reading, *unit)) {
      return std::fabs(*value) / span * 100.0;
    }
  }
  return std::fabs(double{reading.percentOfRange});
}

}  // namespace

ConfirmText ConfirmationText(OperationCode op, const DeviceData& data,
                             const std::optional<LastReading>& reading) {
  ConfirmText text;
  const QString name = OperationName(op, data);
  if (!reading) {
    text.operation = CDialogConfirm::tr("%1 — 尚未读取").arg(name);
    return text;
  }
  const QString percent = QString::number(double{reading->percentOfRange}, 'f', 0);
  if (op == OP_CALIBRATE_CURRENT) {
    text.operation = CDialogConfirm::tr("%1 — 当前电流 %2 mA，量程的 %3 %")
                         .arg(name, QString::number(double{reading->loopCurrent}, 'f', 3), percent);
    return text;
  }
  const QString value = QString::number(double{reading->primaryVariable}, 'f', 2) +
                        QLatin1Char(' ') + Utf8Text(UnitTextOfCode(reading->unitCode));
  const bool pressure = KilopascalsPerUnit(reading->unitCode).has_value();
  text.operation = (pressure ? CDialogConfirm::tr("%1 — 当前压力 %2，量程的 %3 %")
                             : CDialogConfirm::tr("%1 — 当前读数 %2，量程的 %3 %"))
                       .arg(name, value, percent);
  if (op == OP_CLEAR_ZERO) {
    const double away = PercentAwayFromZero(data, *reading);
    if (away > kZeroWarningPercent) {
      text.warning =
          CDialogConfirm::tr("注意：当前读数偏离零点达量程的 %1 %，请确认已泄压再清除零点")
              .arg(QString::number(away, 'f', 0));
    }
  }
  return text;
}

CDialogConfirm::CDialogConfirm(QWidget* parent, const ConfirmText& text)
    : QDialog(parent), ui_(std::make_unique<Ui::CDialogConfirm>()) {
  setFont(UiFont(kDialogPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  ui_->labelOperation->setText(text.operation);
  ui_->labelWarning->setText(text.warning);
  // Without a warning its room goes: the buttons move up into it.
  if (text.warning.isEmpty()) {
    ui_->labelWarning->hide();
    const int room = ui_->buttonOk->y() - ui_->labelWarning->y();
    for (QPushButton* button : {ui_->buttonOk, ui_->buttonCancel}) {
      button->move(button->x(), button->y() - room);
    }
    resize(width(), height() - room);
  }
  setFixedSize(size());
  setWindowFlags((windowFlags() | Qt::WindowStaysOnTopHint) & ~Qt::WindowContextHelpButtonHint);
  setWindowModality(Qt::ApplicationModal);
  connect(ui_->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CDialogConfirm::~CDialogConfirm() = default;

bool DialogConfirmer::confirm(OperationCode op) {
  CDialogConfirm dialog(parent_, describe_ ? describe_(op) : ConfirmText{});
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vantrel
