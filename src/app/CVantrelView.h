// The main form: the current-variables panel, the logo and the tab control
// with the three device pages. The view shows what the session reports and
// starts the operations its controls ask for; the session, which owns the
// link, the engine and the instrument's data, outlives it. Everything runs on
// the GUI thread.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/CDialogConfirm.h"
#include "app/FileDialogs.h"
#include "app/OperationRun.h"
#include "port/Session.h"
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

class JournalKeeper;
class StoreJournal;
class TeamPush;

class CVantrelView : public QWidget, private OperationStarter {
  Q_OBJECT

 public:
  // Period of the acquisition timer.
  static constexpr int kAcquisitionPeriodMs = 1000;

  // `session` must outlive the view.
  explicit CVantrelView(Session& session, QWidget* parent = nullptr);
  ~CVantrelView() override;

  CTabHart* tabHart() const { return tabHart_; }
  CTabConf* tabConf() const { return tabConf_; }
  CTabCur* tabCur() const { return tabCur_; }
  QTabWidget* tabControl() const;
  CComDialog* comDialog() const { return comDialog_; }
  Session& session() { return session_; }
  DeviceData& data() { return session_.data(); }

  // The field device status of the last reply that carried one (0 before
  // any).
  std::uint8_t deviceStatus() const { return session_.deviceStatus(); }

  // Replaces the confirmation asked before the calibrations; nullptr puts
  // the dialog back.
  void setConfirmer(Confirmer* confirmer);
  // What the confirmation before `op` says of it and of the last reading.
  ConfirmText confirmationText(OperationCode op) const {
    return ConfirmationText(op, session_.data(), lastReading_);
  }

  // Starts `op` on the polling address the HART page shows.
  void start(OperationCode op) override;

  // True while the loop current is held fixed: a fixed current was set and
  // not released, or the last reply's device status says so.
  bool loopCurrentFixed() const;
  // The instrument whose loop current is held fixed, when it is known.
  std::optional<Instrument> loopFixedInstrument() const;
  // True when that instrument is the one connected: the release can reach
  // it.
  bool loopInstrumentConnected() const;
  // Sends the release of a fixed current (command 40 with 0 mA) to the
  // instrument whose loop is fixed; `released` gets whether it answered.
  void releaseLoopCurrent(std::function<void(bool released)> released);
  // The open question about a model (tests).
  QMessageBox* modelQuestion() const { return modelQuestion_; }
  // Stops the acquisition of the pressure code.
  void stopAcquisition();

 public slots:
  void showPortDialog();
  // 程序 menu: saves the instrument's configuration to a file the user
  // chooses, loads one into it; shows the change journal.
  void saveConfiguration();
  void loadConfiguration();
  void showJournal();
  // Replaces the file dialogs (tests).
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  JournalKeeper* journal() const { return journal_; }
  // Copies the records to the team database in the background.
  TeamPush* teamPush() const { return teamPush_; }
  void onCommTest();
  // The menu's search: addresses 0 to 14 at the specified pace.
  void onSearchDevices();
  // A search by `plan` (the range dialog's).
  void searchWith(const SearchPlan& plan);
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
  // Why the last operation failed, in words; empty when an operation starts.
  void failureReasonChanged(const QString& reason);
  // The instrument connected, in one line; empty when none is known.
  void instrumentChanged(const QString& line);

 private:
  OperationRun::Starter starter();
  bool startOperation(OperationCode op);
  void operationEnded(const OperationEnd& end);
  void connectSession();
  void showMessage(MessageIcon icon, const std::string& text);
  void refresh(RefreshTarget target, RefreshDirection direction, OperationCode op);
  void showSearchReport(const std::string& text, unsigned report);
  void fillLists();
  void fitTabsToPages();
  void connectInstrument();
  void showInstrument();
  void clearFields(unsigned fields);
  void askAboutModel(const ModelQuestion& question);
  void endAcquisition();

  Session& session_;
  std::unique_ptr<Ui::CVantrelView> ui_;
  CTabHart* tabHart_ = nullptr;
  CTabConf* tabConf_ = nullptr;
  CTabCur* tabCur_ = nullptr;
  CComDialog* comDialog_ = nullptr;
  JournalKeeper* journal_ = nullptr;
  StoreJournal* storeJournal_ = nullptr;  // owned by journal_
  TeamPush* teamPush_ = nullptr;
  QString notedInstrument_;  // the instrument last noted in the store
  FileChooser chooser_;
  std::unique_ptr<DialogConfirmer> dialogConfirmer_;
  QTimer acquisitionTimer_;
  bool currentRead_ = false;  // the current variables have been read once
  // The last reading of the instrument connected, in this connection: what
  // a confirmation shows.
  std::optional<LastReading> lastReading_;
  bool fixedBySetting_ = false;
  std::optional<Instrument> fixedOn_;  // the instrument whose loop was fixed
  bool acquiringSeen_ = false;         // the acquisition ran at the last tick
  QPointer<QMessageBox> modelQuestion_;
};

}  // namespace vantrel
