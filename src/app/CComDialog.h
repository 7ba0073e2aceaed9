// The port dialog "端口配置": opens a serial port with the HART line settings
// (1200 baud, 8 data bits, odd parity, 1 stop bit), or starts a HART-IP
// session with a server over TCP or UDP, in version 1 or in version 2 (secure,
// with the pre-shared key of a key file). Modeless; the main view creates it
// hidden and shows it from the menu.
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>
#include <optional>

#include "port/HartIpTransport.h"

class QCheckBox;
class QComboBox;
namespace Ui {
class CComDialog;
}

namespace vantrel {

class Session;

class CComDialog : public QDialog {
  Q_OBJECT

 public:
  CComDialog(Session& session, QWidget* parent = nullptr);
  ~CComDialog() override;

  // Ports listed before the machine's own, such as the built-in simulated
  // instrument.
  void setExtraPorts(const QStringList& ports) { extraPorts_ = ports; }

  // Shows the dialog with the port list refilled. The open port is
  // preselected, else the one last opened here, else the first; the RTS box
  // shows how the port was last opened here. The kind (serial or HART-IP) is
  // that of the connection in use, else the one last opened here; the
  // HART-IP fields show that connection's server, else the one last opened.
  void showPortDialog();

  // Closes the open port, opens the one the port box names (keyed by RTS
  // when the box is checked) and says how it went. A port that opens is
  // remembered for the next run, with the RTS box.
  bool openSelectedPort();

  // Starts a HART-IP session with the server the host and port fields name
  // and returns at once; a message says how it went once it is known, and a
  // server that answers is remembered for the next run (with the key file's
  // path, never the key). A host or port that cannot be read, or for version
  // 2 a key file that cannot be used, is refused with a message, and nothing
  // is opened.
  bool startHartIp();

  QComboBox* portBox() const;
  QCheckBox* rtsBox() const;

  // QSettings keys of the remembered port and of the RTS keying beside it.
  static constexpr char kLastPortKey[] = "Settings/LastPort";
  static constexpr char kRtsKeyingKey[] = "Settings/RtsKeying";
  // The HART-IP server last opened, and the kind of port last opened
  // (kSerialKind or kHartIpKind).
  static constexpr char kHartIpHostKey[] = "Settings/HartIpHost";
  static constexpr char kHartIpPortKey[] = "Settings/HartIpPort";
  static constexpr char kHartIpUdpKey[] = "Settings/HartIpUdp";
  static constexpr char kHartIpVersionKey[] = "Settings/HartIpVersion";
  static constexpr char kHartIpKeyFileKey[] = "Settings/HartIpKeyFile";
  static constexpr char kPortKindKey[] = "Settings/PortKind";
  static constexpr char kSerialKind[] = "serial";
  static constexpr char kHartIpKind[] = "hart-ip";

 private:
  void fillSerialFields();
  void fillHartIpFields();
  // Enables the fields of the kind chosen.
  void showKind();
  std::optional<HartIpEndpoint> endpointOfFields();
  // Version 2: the key of the key file named, into `endpoint`; false with a
  // message when it cannot be used.
  bool takeKey(HartIpEndpoint& endpoint);
  void browseKeyFile();
  void hartIpOpened();
  void hartIpFailed(const QString& reason);
  // A message over the main window.
  void tell(const QString& text);

  std::unique_ptr<Ui::CComDialog> ui_;
  Session& session_;
  QStringList extraPorts_;
  // The HART-IP session started here and not yet up or failed.
  std::optional<HartIpEndpoint> pending_;
};

}  // namespace vantrel
