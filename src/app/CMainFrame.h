// The main window "HART调试工具": menu bar, the main view, and a status bar
// whose first pane is the status line, with the progress bar beside it. The
// communication monitor docks at the bottom, hidden until the user opens it.
#pragma once

#include <QMainWindow>
#include <QRect>

#include <optional>

class QAction;
class QLabel;
class QMessageBox;
class QProgressBar;
class QScrollArea;
class QToolButton;

namespace vantrel {

class CommMonitor;
class CVantrelView;
class Session;
class StatusDialog;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // `session` must outlive the frame. The window is made to fit
  // `screenArea` (by default the primary screen's available area).
  explicit CMainFrame(Session& session, QWidget* parent = nullptr,
                      std::optional<QRect> screenArea = std::nullopt);
  ~CMainFrame() override;

  CVantrelView* view() const { return view_; }

  // QSettings key of the user's choice: the monitor docked (false) or in a
  // window of its own (true). Unset: docked where the screen has room.
  static constexpr char kMonitorFloatingKey[] = "Settings/MonitorFloating";
  // Where the monitor's own window was when it was last closed.
  static constexpr char kMonitorGeometryKey[] = "Settings/MonitorGeometry";
  QLabel* statusPane() const { return statusPane_; }
  QProgressBar* progressBar() const { return progressBar_; }
  CommMonitor* commMonitor() const { return monitor_; }
  // Beside the status line: the most severe bit of the device status, hidden
  // while the status is 0.
  QLabel* deviceStatusPane() const { return deviceStatusPane_; }
  // Beside the status line: why the last operation failed, hidden while
  // there is no reason.
  QLabel* reasonPane() const { return reasonPane_; }
  QLabel* instrumentPane() const { return instrumentPane_; }
  // Beside the device status: shown while the device status byte says more
  // status is available; it opens the status dialog.
  QToolButton* moreStatusButton() const { return moreStatusButton_; }
  // The status dialog, open or not (nullptr before it was first opened).
  StatusDialog* statusDialog() const { return statusDialog_; }

 public slots:
  void setStatusText(const QString& text);
  // 0 to 100; the bar keeps the position last set.
  void setProgress(int percent);
  // The field device status of the last reply.
  void setDeviceStatus(int status);
  void setFailureReason(const QString& reason);
  void setInstrument(const QString& line);
  void onAppAbout();
  // Opens the status dialog and reads the additional device status.
  void showStatusDialog();
  // Asks for a search range and pace, then searches.
  void showSearchDialog();
  // 操作 → 校验…: a check as found or as left.
  void showCheckDialog();
  void showTeamDatabaseDialog();

 public:
  // No context menu listing the dock windows: the menu bar keeps behaving as
  // it did before there was one.
  QMenu* createPopupMenu() override { return nullptr; }

  // The question asked on closing with the loop current fixed, open.
  QMessageBox* askToReleaseLoop();

 protected:
  // With the loop current held fixed the engineer is asked whether to
  // release it first; the acquisition stops with the window.
  void closeEvent(QCloseEvent* event) override;

 private:
  void askToCloseUnreleased();
  void closeNow();
  void makeView();
  void fitToScreen();
  int innerHeight() const;
  int outerHeight() const;
  void createMenus();
  void addMonitorAction(QMenu* menu);
  void createStatusBar();
  void createMonitor(Session& session);
  void onMonitorOpened();
  void onMonitorHidden();
  int dockWanted() const;
  int dockRoom() const;
  void growForDock();
  void onMonitorPlaced(bool floating);
  void placeFloatingMonitor(bool remembered);

  Session& session_;
  QRect screenArea_;
  CVantrelView* view_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QLabel* statusPane_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* deviceStatusPane_ = nullptr;
  QLabel* reasonPane_ = nullptr;
  QLabel* instrumentPane_ = nullptr;
  QToolButton* moreStatusButton_ = nullptr;
  StatusDialog* statusDialog_ = nullptr;
  CommMonitor* monitor_ = nullptr;
  bool closing_ = false;   // the engineer has decided: the window closes
  bool asking_ = false;    // a question about the loop is open
  int monitorHeight_ = 0;  // what showing the docked monitor added to the window
  bool placingMonitor_ = false;
};

}  // namespace vantrel
