#include "app/CComDialog.h"

#include <QCheckBox>
#include <QSettings>

#include <algorithm>

#include "link/LinkTexts.h"
#include "port/Session.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"
#include "ui_CComDialog.h"

namespace vantrel {

CComDialog::CComDialog(Session& session, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CComDialog>()), session_(session) {
  setFont(UiFont(kDialogPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  setFixedSize(size());
  setWindowFlags((windowFlags() | Qt::WindowSystemMenuHint) & ~Qt::WindowContextHelpButtonHint);

  // The line rate is fixed; the box only shows it.
  ui_->combo1003->addItem(QStringLiteral("1200"));
  ui_->combo1003->setCurrentIndex(0);

  connect(ui_->buttonOk, &QPushButton::clicked, this, [this] {
    openSelectedPort();
    accept();
  });
  connect(ui_->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CComDialog::~CComDialog() = default;

QComboBox* CComDialog::portBox() const {
  return ui_->combo1002;
}

QCheckBox* CComDialog::rtsBox() const {
  return ui_->checkRts;
}

void CComDialog::showPortDialog() {
  QStringList system;
  for (const SerialPortInfo& info : SerialPort::availablePortInfos()) system << info.portName;

  QStringList ports = extraPorts_;
  for (const QString& name : system) {
    if (!ports.contains(name)) ports << name;
  }

  QComboBox* box = ui_->combo1002;
  box->clear();
  box->addItems(ports);
  const QString remembered = QSettings().value(QLatin1String(kLastPortKey)).toString();
  const QString open = session_.isPortOpen() ? session_.portName() : QString();
  int selected = ports.indexOf(open);
  if (selected < 0) selected = ports.indexOf(remembered);
  if (selected < 0 && !ports.isEmpty()) selected = 0;
  box->setCurrentIndex(selected);
  if (selected < 0) box->setEditText(QString());
  ui_->checkRts->setChecked(session_.isPortOpen()
                                ? session_.driver().serialSettings().rtsKeying
                                : QSettings().value(QLatin1String(kRtsKeyingKey)).toBool());

  show();
  raise();
  activateWindow();
}

bool CComDialog::openSelectedPort() {
  const QString name = ui_->combo1002->currentText().trimmed();
  PortSettings settings;
  settings.rtsKeying = ui_->checkRts->isChecked();
  const bool opened = !name.isEmpty() && session_.openPort(name, settings);
  if (!opened) session_.closePort();
  if (opened) {
    QSettings().setValue(QLatin1String(kLastPortKey), name);
    QSettings().setValue(QLatin1String(kRtsKeyingKey), settings.rtsKeying);
  }
  QString text = CoreText(opened ? texts::kPortOpened : texts::kPortOpenFailed);
  // A port that opened but cannot key the modem: say why.
  if (!opened && settings.rtsKeying && !name.isEmpty()) text += '\n' + session_.portError();
  QWidget* owner = parentWidget() ? parentWidget()->window() : this;
  ShowMessageBox(owner, MessageIcon::Information, text);
  return opened;
}

}  // namespace vantrel
