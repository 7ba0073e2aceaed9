// The main form: the current-variables panel, the logo and the tab control
// with the three device pages. The view owns the link, the command engine and
// the instrument's data; the engine reaches the screen through the
// EngineEffects the view implements. Everything runs on the GUI thread.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "engine/DeviceData.h"
#include "engine/Engine.h"
#include "link/Clock.h"
#include "link/LinkDriver.h"
#include "link/ObserverList.h"
#include "tabs/PageServices.h"

class QTabWidget;
namespace Ui {
class CVantrelView;
}

namespace vantrel {

class CComDialog;
class CTabConf;
class CTabCur;
class CTabHart;
class DialogConfirmer;

class CVantrelView : public QWidget,
                     private EngineEffects,
                     private OperationStarter,
                     private ReplyHandler {
  Q_OBJECT

 public:
  // Period of the acquisition timer.
  static constexpr int kAcquisitionPeriodMs = 1000;

  explicit CVantrelView(QWidget* parent = nullptr);
  ~CVantrelView() override;

  CTabHart* tabHart() const { return tabHart_; }
  CTabConf* tabConf() const { return tabConf_; }
  CTabCur* tabCur() const { return tabCur_; }
  QTabWidget* tabControl() const;
  CComDialog* comDialog() const { return comDialog_; }
  LinkDriver& linkDriver() { return driver_; }
  Engine& engine() { return engine_; }
  DeviceData& data() { return data_; }

  // Adds a watcher of every frame on the line (the link core itself has room
  // for one only). The observer must be removed before it goes away.
  void addLinkObserver(LinkObserver* observer) { observers_.add(observer); }
  void removeLinkObserver(LinkObserver* observer) { observers_.remove(observer); }

  // The field device status of the last reply that carried one (0 before
  // any).
  std::uint8_t deviceStatus() const { return deviceStatus_; }

  // Replaces the confirmation asked before the calibrations; nullptr puts
  // the dialog back.
  void setConfirmer(Confirmer* confirmer);

  // Starts `op` on the polling address the HART page shows.
  void startOperation(OperationCode op) override;

 public slots:
  void showPortDialog();
  void onCommTest();
  void onSearchDevices();
  void onReadCurrent();
  // One tick of the acquisition timer: polls the pressure code while
  // acquisition is on.
  void acquisitionTick();
  // The current variables into their edits.
  void showData();

 signals:
  void statusTextChanged(const QString& text);
  void progressChanged(int percent);
  // An operation has ended (an OperationCode and an OperationResult).
  void operationFinished(int op, int result);
  // A reply brought another field device status byte than the one before.
  void deviceStatusChanged(int status);

 private:
  // EngineEffects
  void showMessage(MessageIcon icon, const std::string& text) override;
  void setStatusText(const std::string& text) override;
  void setProgress(int percent) override;
  void refresh(RefreshTarget target, RefreshDirection direction) override;
  void setDeviceDate(const CalendarDate& date) override;
  void refillPollAddresses(const std::vector<std::string>& items) override;
  void showSearchReport(const std::string& text, std::function<void()> closed) override;
  void operationEnded(OperationCode op, OperationResult result) override;

  // ReplyHandler: notes the reply's device status, then hands it to the
  // engine.
  void HandleOperationReply(const ReceivedFrame& reply) override;

  void fillLists();

  std::unique_ptr<Ui::CVantrelView> ui_;
  SteadyClock clock_;
  DeviceData data_;
  LinkDriver driver_;
  Engine engine_;
  ObserverList observers_;
  std::uint8_t deviceStatus_ = 0;
  CTabHart* tabHart_ = nullptr;
  CTabConf* tabConf_ = nullptr;
  CTabCur* tabCur_ = nullptr;
  CComDialog* comDialog_ = nullptr;
  std::unique_ptr<DialogConfirmer> dialogConfirmer_;
  QTimer acquisitionTimer_;
};

}  // namespace vantrel
