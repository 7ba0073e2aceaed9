#include "app/CMainFrame.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>

#include "app/Artwork.h"
#include "app/CAboutDlg.h"
#include "app/CVantrelView.h"
#include "app/CommMonitor.h"
#include "engine/FrameDecoder.h"
#include "link/LinkTexts.h"
#include "port/Session.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {
namespace {

constexpr int kProgressBarWidth = 200;

}  // namespace

CMainFrame::CMainFrame(Session& session, QWidget* parent) : QMainWindow(parent), session_(session) {
  setObjectName(QStringLiteral("CMainFrame"));
  setWindowTitle(QString::fromUtf8(kAppTitle));
  // A caption with the system menu and a sizing border; no minimise or
  // maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(MakeAppIcon());
  setFont(UiFont(kDialogPointSize));

  view_ = new CVantrelView(session_);
  // A form larger than the window scrolls, as a form view does.
  scroll_ = new QScrollArea;
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(view_);
  setCentralWidget(scroll_);

  createMonitor(session_);
  createMenus();
  createStatusBar();
  connect(view_, &CVantrelView::statusTextChanged, this, &CMainFrame::setStatusText);
  connect(view_, &CVantrelView::progressChanged, this, &CMainFrame::setProgress);
  connect(view_, &CVantrelView::deviceStatusChanged, this, &CMainFrame::setDeviceStatus);

  // At 20, 20 and just large enough for the form.
  move(20, 20);
  resize(view_->width(),
         menuBar()->sizeHint().height() + view_->height() + statusBar()->sizeHint().height());
}

CMainFrame::~CMainFrame() {
  // The session outlives the frame: the monitor stops watching the line
  // before it goes, and its hiding on the way out is no longer the frame's
  // business.
  session_.removeObserver(monitor_);
  disconnect(monitor_->toggleViewAction(), nullptr, this, nullptr);
}

void CMainFrame::createMonitor(Session& session) {
  monitor_ = new CommMonitor(session.clock(), this);
  addDockWidget(Qt::BottomDockWidgetArea, monitor_);
  monitor_->hide();
  session.addObserver(monitor_);
}

void CMainFrame::createMenus() {
  auto add = [this](QMenu* menu, const char* name, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromUtf8(name));
    return action;
  };

  QMenu* program = menuBar()->addMenu(QStringLiteral("程序(&P)"));
  program->setObjectName(QStringLiteral("menuProgram"));
  connect(add(program, "action57665", "退出(&X)"), &QAction::triggered, this, &QWidget::close);

  QMenu* operation = menuBar()->addMenu(QStringLiteral("操作(&O)"));
  operation->setObjectName(QStringLiteral("menuOperation"));
  connect(add(operation, "action32772", "通信端口(&R)"), &QAction::triggered, view_,
          &CVantrelView::showPortDialog);
  operation->addSeparator();
  connect(add(operation, "action32775", "通信测试(&T)"), &QAction::triggered, view_,
          &CVantrelView::onCommTest);
  connect(add(operation, "action32774", "搜索设备(&S)"), &QAction::triggered, view_,
          &CVantrelView::onSearchDevices);
  // Reset and stop have no function: shown, never enabled.
  add(operation, "action32776", "复位设备(&C)")->setEnabled(false);
  add(operation, "action32777", "停止通信(&K)")->setEnabled(false);
  operation->addSeparator();
  // The dock's own action, so that the check mark follows the monitor also
  // when its close button hides it.
  QAction* monitor = monitor_->toggleViewAction();
  monitor->setObjectName(QStringLiteral("actionCommMonitor"));
  monitor->setText(QStringLiteral("通信监视(&M)"));
  operation->addAction(monitor);
  connect(monitor, &QAction::toggled, this, &CMainFrame::onMonitorToggled);

  QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
  help->setObjectName(QStringLiteral("menuHelp"));
  connect(add(help, "action57664", "关于 Vantrel(&A)..."), &QAction::triggered, this,
          &CMainFrame::onAppAbout);
}

void CMainFrame::createStatusBar() {
  statusPane_ = new QLabel(QString::fromUtf8(texts::kNotConnected));
  statusPane_->setObjectName(QStringLiteral("statusPane0"));
  statusPane_->setFrameShape(QFrame::Panel);
  statusPane_->setFrameShadow(QFrame::Sunken);
  progressBar_ = new QProgressBar;
  progressBar_->setObjectName(QStringLiteral("progressCtrl"));
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  progressBar_->setFixedWidth(kProgressBarWidth);
  deviceStatusPane_ = new QLabel;
  deviceStatusPane_->setObjectName(QStringLiteral("deviceStatusPane"));
  deviceStatusPane_->setFrameShape(QFrame::Panel);
  deviceStatusPane_->setFrameShadow(QFrame::Sunken);
  // The status line takes the room the bar leaves, so its text is never
  // covered; the device status, when there is one, sits between them.
  statusBar()->addWidget(statusPane_, 1);
  statusBar()->addWidget(deviceStatusPane_);
  deviceStatusPane_->hide();
  statusBar()->addPermanentWidget(progressBar_);
  statusBar()->setSizeGripEnabled(true);
}

void CMainFrame::setStatusText(const QString& text) {
  statusPane_->setText(text);
}

void CMainFrame::setProgress(int percent) {
  progressBar_->setValue(std::clamp(percent, 0, 100));
}

void CMainFrame::setDeviceStatus(int status) {
  const auto bits = static_cast<std::uint8_t>(status);
  const QString text = QString::fromStdString(MostSevereDeviceStatus(bits));
  QString all;
  for (const std::string& bit : DeviceStatusTexts(bits)) {
    if (!all.isEmpty()) all += QStringLiteral("、");
    all += QString::fromStdString(bit);
  }
  deviceStatusPane_->setText(text);
  deviceStatusPane_->setToolTip(all.isEmpty() ? QString() : QStringLiteral("设备状态：") + all);
  deviceStatusPane_->setVisible(!text.isEmpty());
}

// Opening the docked monitor makes the window taller by the monitor's height,
// so the form keeps its room; closing it gives that height back.
void CMainFrame::onMonitorToggled(bool shown) {
  if (isMaximized() || isFullScreen()) return;
  if (shown && monitorHeight_ == 0 && !monitor_->isFloating()) {
    monitorHeight_ = monitor_->sizeHint().height() +
                     style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
    resize(width(), height() + monitorHeight_);
  } else if (!shown && monitorHeight_ != 0) {
    resize(width(), height() - monitorHeight_);
    monitorHeight_ = 0;
  }
}

void CMainFrame::onAppAbout() {
  CAboutDlg::showAbout(this);
}

}  // namespace vantrel
