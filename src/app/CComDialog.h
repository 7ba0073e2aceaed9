// The port dialog "端口配置": lists the serial ports and opens the chosen one
// with the HART line settings (1200 baud, 8 data bits, odd parity, 1 stop
// bit). Modeless; the main view creates it hidden and shows it from the menu.
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

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
  // shows how the port was last opened here.
  void showPortDialog();

  // Closes the open port, opens the one the port box names (keyed by RTS
  // when the box is checked) and says how it went. A port that opens is
  // remembered for the next run, with the RTS box.
  bool openSelectedPort();

  QComboBox* portBox() const;
  QCheckBox* rtsBox() const;

  // QSettings keys of the remembered port and of the RTS keying beside it.
  static constexpr char kLastPortKey[] = "Settings/LastPort";
  static constexpr char kRtsKeyingKey[] = "Settings/RtsKeying";

 private:
  std::unique_ptr<Ui::CComDialog> ui_;
  Session& session_;
  QStringList extraPorts_;
};

}  // namespace vantrel
