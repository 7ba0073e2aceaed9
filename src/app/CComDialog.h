// The port dialog "端口配置": lists the serial ports and opens the chosen one
// with the HART line settings (1200 baud, 8 data bits, odd parity, 1 stop
// bit). Modeless; the main view creates it hidden and shows it from the menu.
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

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
  // preselected, else the one last opened here, else the first.
  void showPortDialog();

  // Closes the open port, opens the one the port box names and says how it
  // went. A port that opens is remembered for the next run.
  bool openSelectedPort();

  QComboBox* portBox() const;

  // QSettings key of the remembered port.
  static constexpr char kLastPortKey[] = "Settings/LastPort";

 private:
  std::unique_ptr<Ui::CComDialog> ui_;
  Session& session_;
  QStringList extraPorts_;
};

}  // namespace vantrel
