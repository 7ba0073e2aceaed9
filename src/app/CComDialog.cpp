// Resource numbers of the port dialog, as the documents name them:
//   1002 → portCombo      1003 → baudRateCombo

#include "app/CComDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <initializer_list>

#include "app/FileDialogs.h"
#include "link/HartIpEndpoint.h"
#include "link/LinkTexts.h"
#include "port/Session.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"
#include "ui_CComDialog.h"

namespace vantrel {

namespace {

// The host as typed: a name, an IPv4 address, or an IPv6 address in brackets
// (or bare); empty when it is none of these. An IPv6 address comes without
// its brackets, as HartIpEndpoint keeps it.
QString HostOf(const QString& typed) {
  const std::optional<HostAndPort> split = SplitHostAndPort(typed.trimmed().toStdString());
  if (!split || split->port) return QString();  // the port has a field of its own
  const QString host = QString::fromStdString(split->host);
  if (split->bracketed || host.contains(QLatin1Char(':'))) {
    return QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol ? host : QString();
  }
  static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)*\\.?$"));
  return name.match(host).hasMatch() ? host : QString();
}

// The host as the host field shows it.
QString HostText(const QString& host) {
  return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

}  // namespace

CComDialog::CComDialog(Session& session, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CComDialog>()), session_(session) {
  setFont(UiFont(kDialogPointSize));
  // The port chosen here brings the reply time-out of its kind.
  session_.setReplyTimeoutByTransport(true);
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  setFixedSize(size());
  setWindowFlags((windowFlags() | Qt::WindowSystemMenuHint) & ~Qt::WindowContextHelpButtonHint);

  // The line rate is fixed; the box only shows it.
  ui_->baudRateCombo->addItem(QStringLiteral("1200"));
  ui_->baudRateCombo->setCurrentIndex(0);
  ui_->comboProtocol->addItems({QStringLiteral("TCP"), QStringLiteral("UDP")});
  ui_->comboVersion->addItems({QStringLiteral("1"), QStringLiteral("2")});
  showKind();
  connect(ui_->radioHartIp, &QRadioButton::toggled, this, &CComDialog::showKind);
  connect(ui_->comboVersion, &QComboBox::currentIndexChanged, this, &CComDialog::showKind);
  connect(ui_->buttonBrowseKey, &QPushButton::clicked, this, &CComDialog::browseKeyFile);

  connect(ui_->buttonOk, &QPushButton::clicked, this, [this] {
    if (ui_->radioHartIp->isChecked()) {
      if (!startHartIp()) return;  // the fields stay for a correction
    } else {
      openSelectedPort();
    }
    accept();
  });
  connect(ui_->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(&session_, &Session::portOpened, this, &CComDialog::hartIpOpened);
  connect(&session_, &Session::portOpenFailed, this, &CComDialog::hartIpFailed);
}

CComDialog::~CComDialog() = default;

QComboBox* CComDialog::portBox() const {
  return ui_->portCombo;
}

QCheckBox* CComDialog::rtsBox() const {
  return ui_->checkRts;
}

void CComDialog::showPortDialog() {
  fillSerialFields();
  fillHartIpFields();
  bool hartIp = session_.hartIpEndpoint().has_value();
  if (!hartIp && !session_.isPortOpen()) {
    hartIp = QSettings().value(QLatin1String(kPortKindKey)).toString() == kHartIpKind;
  }
  (hartIp ? ui_->radioHartIp : ui_->radioSerial)->setChecked(true);
  showKind();

  show();
  raise();
  activateWindow();
}

void CComDialog::fillSerialFields() {
  QStringList system;
  for (const SerialPortInfo& info : SerialPort::availablePortInfos()) system << info.portName;

  // The port last opened comes first, also one typed by hand that the
  // system does not list (a link under /dev, a port of a remote desktop).
  const QString remembered = QSettings().value(QLatin1String(kLastPortKey)).toString();
  QStringList ports;
  if (!remembered.isEmpty()) ports << remembered;
  for (const QStringList& names : {extraPorts_, system}) {
    for (const QString& name : names) {
      if (!ports.contains(name)) ports << name;
    }
  }

  QComboBox* box = ui_->portCombo;
  box->clear();
  box->addItems(ports);
  const bool serialOpen = session_.isPortOpen() && !session_.hartIpEndpoint();
  const QString open = serialOpen ? session_.portName() : QString();
  int selected = ports.indexOf(open);
  if (selected < 0) selected = ports.indexOf(remembered);
  if (selected < 0 && !ports.isEmpty()) selected = 0;
  box->setCurrentIndex(selected);
  if (selected < 0) box->setEditText(QString());
  ui_->checkRts->setChecked(serialOpen ? session_.serialSettings().rtsKeying
                                       : QSettings().value(QLatin1String(kRtsKeyingKey)).toBool());
}

// The server of the HART-IP connection in use (open, opening or failed),
// else the one remembered.
void CComDialog::fillHartIpFields() {
  HartIpEndpoint endpoint;
  int version = 1;
  if (const std::optional<HartIpEndpoint> inUse = session_.hartIpEndpoint()) {
    endpoint = *inUse;
    version = endpoint.version();
  } else {
    const QSettings settings;
    endpoint.host = settings.value(QLatin1String(kHartIpHostKey)).toString();
    endpoint.port =
        static_cast<quint16>(settings.value(QLatin1String(kHartIpPortKey), endpoint.port).toUInt());
    endpoint.udp = settings.value(QLatin1String(kHartIpUdpKey)).toBool();
    endpoint.keyFile = settings.value(QLatin1String(kHartIpKeyFileKey)).toString();
    version = settings.value(QLatin1String(kHartIpVersionKey), 1).toInt();
  }
  ui_->editHost->setText(HostText(endpoint.host));
  ui_->editIpPort->setText(QString::number(endpoint.port));
  ui_->comboProtocol->setCurrentIndex(endpoint.udp ? 1 : 0);
  ui_->comboVersion->setCurrentIndex(version == 2 ? 1 : 0);
  ui_->editKeyFile->setText(QDir::toNativeSeparators(endpoint.keyFile));
}

void CComDialog::showKind() {
  const bool hartIp = ui_->radioHartIp->isChecked();
  for (QWidget* serial : std::initializer_list<QWidget*>{
           ui_->labelPort, ui_->portCombo, ui_->labelBaudRate, ui_->baudRateCombo, ui_->checkRts}) {
    serial->setEnabled(!hartIp);
  }
  for (QWidget* ip : std::initializer_list<QWidget*>{
           ui_->labelHost, ui_->editHost, ui_->labelIpPort, ui_->editIpPort, ui_->comboProtocol,
           ui_->labelVersion, ui_->comboVersion}) {
    ip->setEnabled(hartIp);
  }
  const bool secure = hartIp && ui_->comboVersion->currentIndex() == 1;
  for (QWidget* key :
       std::initializer_list<QWidget*>{ui_->labelKeyFile, ui_->editKeyFile, ui_->buttonBrowseKey}) {
    key->setEnabled(secure);
  }
}

bool CComDialog::openSelectedPort() {
  pending_.reset();  // a HART-IP session still opening goes with the port it had
  const QString name = ui_->portCombo->currentText().trimmed();
  PortSettings settings;
  settings.rtsKeying = ui_->checkRts->isChecked();
  const bool opened = !name.isEmpty() && session_.openPort(name, settings);
  if (!opened) session_.closePort();
  if (opened) {
    QSettings().setValue(QLatin1String(kLastPortKey), name);
    QSettings().setValue(QLatin1String(kRtsKeyingKey), settings.rtsKeying);
    QSettings().setValue(QLatin1String(kPortKindKey), QLatin1String(kSerialKind));
  }
  QString text = CoreText(opened ? texts::kPortOpened : texts::kPortOpenFailed);
  // A port that opened but cannot key the modem: say why.
  if (!opened && settings.rtsKeying && !name.isEmpty()) text += '\n' + session_.portError();
  tell(text);
  return opened;
}

bool CComDialog::startHartIp() {
  const std::optional<HartIpEndpoint> endpoint = endpointOfFields();
  if (!endpoint) return false;
  pending_ = endpoint;
  session_.openHartIp(*endpoint);
  return true;
}

std::optional<HartIpEndpoint> CComDialog::endpointOfFields() {
  HartIpEndpoint endpoint;
  endpoint.host = HostOf(ui_->editHost->text());
  bool number = false;
  const uint port = ui_->editIpPort->text().trimmed().toUInt(&number);
  endpoint.udp = ui_->comboProtocol->currentIndex() == 1;
  QString refused;
  if (endpoint.host.isEmpty()) {
    refused = tr("主机地址格式错误！");
  } else if (!number || port == 0 || port > 0xFFFF) {
    refused = tr("IP端口应为1～65535！");
  }
  if (!refused.isEmpty()) {
    ShowMessageBox(this, MessageIcon::Error, refused);
    return std::nullopt;
  }
  endpoint.port = static_cast<quint16>(port);
  if (ui_->comboVersion->currentIndex() == 1 && !takeKey(endpoint)) return std::nullopt;
  return endpoint;
}

bool CComDialog::takeKey(HartIpEndpoint& endpoint) {
  const QString path = QDir::fromNativeSeparators(ui_->editKeyFile->text().trimmed());
  QString refused;
  if (path.isEmpty()) {
    refused = tr("请选择密钥文件！");
  } else if (std::optional<PskKey> key = HartIpTransport::readKeyFile(path, &refused)) {
    endpoint.psk = std::move(key);
    endpoint.keyFile = path;
    return true;
  }
  ShowMessageBox(this, MessageIcon::Error, refused);
  return false;
}

void CComDialog::browseKeyFile() {
  FileDialogTexts texts;
  texts.title = tr("选择密钥文件");
  texts.filter = tr("所有文件 (*)");
  texts.save = false;
  const QString typed = QDir::fromNativeSeparators(ui_->editKeyFile->text().trimmed());
  ChooseFile(
      this, texts, typed.isEmpty() ? DefaultFolder() : typed, {},
      [this](const QString& path) { ui_->editKeyFile->setText(QDir::toNativeSeparators(path)); });
}

void CComDialog::hartIpOpened() {
  if (!pending_) return;
  QSettings settings;
  settings.setValue(QLatin1String(kHartIpHostKey), pending_->host);
  settings.setValue(QLatin1String(kHartIpPortKey), pending_->port);
  settings.setValue(QLatin1String(kHartIpUdpKey), pending_->udp);
  settings.setValue(QLatin1String(kHartIpVersionKey), pending_->version());
  if (pending_->psk) settings.setValue(QLatin1String(kHartIpKeyFileKey), pending_->keyFile);
  settings.setValue(QLatin1String(kPortKindKey), QLatin1String(kHartIpKind));
  pending_.reset();
  tell(CoreText(texts::kPortOpened));
}

void CComDialog::hartIpFailed(const QString& reason) {
  if (!pending_) return;
  pending_.reset();
  QString text = HartIpTransport::openFailedText();
  if (!reason.isEmpty()) text += '\n' + reason;
  tell(text);
}

void CComDialog::tell(const QString& text) {
  QWidget* owner = parentWidget() ? parentWidget()->window() : this;
  ShowMessageBox(owner, MessageIcon::Information, text);
}

}  // namespace vantrel
