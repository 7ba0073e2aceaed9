// Resource numbers of the menu commands, as the documents name them:
//   32772 → commPortAction     32774 → searchAction       32775 → commTestAction
//   32776 → resetDeviceAction  32777 → stopCommAction     57664 → aboutAction
//   57665 → exitAction

#include "app/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/Artwork.h"
#include "app/CAboutDlg.h"
#include "app/CVantrelView.h"
#include "app/CheckDialog.h"
#include "app/CommMonitor.h"
#include "app/SearchDialog.h"
#include "app/StatusDialog.h"
#include "app/TeamPush.h"
#include "app/TrendDock.h"
#include "engine/FrameDecoder.h"
#include "link/LinkTexts.h"
#include "port/Session.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {
namespace {

constexpr int kProgressBarWidth = 200;
// The form is never made smaller than this share of its template size.
constexpr qreal kSmallestFormScale = 0.65;
// The monitor goes beside the window only where it gets at least this width.
constexpr int kSmallestMonitorWidth = 360;

}  // namespace

CMainFrame::CMainFrame(Session& session, QWidget* parent, std::optional<QRect> screenArea)
    : QMainWindow(parent), session_(session) {
  setObjectName(QStringLiteral("CMainFrame"));
  setWindowTitle(UiText(kAppTitle));
  // A caption with the system menu and a sizing border; no minimise or
  // maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(MakeAppIcon());
  setFont(UiFont(kDialogPointSize));

  const QScreen* screen = QGuiApplication::primaryScreen();
  screenArea_ = screenArea ? *screenArea : screen ? screen->availableGeometry() : QRect();

  // A form larger than the window scrolls, as a form view does.
  scroll_ = new QScrollArea;
  scroll_->setFrameShape(QFrame::NoFrame);
  setCentralWidget(scroll_);
  SetFormScale(1.0);
  makeView();

  createMonitor(session_);
  createMenus();
  createStatusBar();
  fitToScreen();

  // At the screen's top left, 20 pixels in where there is room, and just
  // large enough for the form.
  const int inset = std::min(20, std::max(0, screenArea_.height() - outerHeight()));
  move(screenArea_.topLeft() + QPoint(inset, inset));
  resize(view_->width(), innerHeight());
}

void CMainFrame::makeView() {
  view_ = new CVantrelView(session_);
  scroll_->setWidget(view_);  // the form before goes with it
  connect(view_, &CVantrelView::statusTextChanged, this, &CMainFrame::setStatusText);
  connect(view_, &CVantrelView::progressChanged, this, &CMainFrame::setProgress);
  connect(view_, &CVantrelView::deviceStatusChanged, this, &CMainFrame::setDeviceStatus);
  connect(view_, &CVantrelView::failureReasonChanged, this, &CMainFrame::setFailureReason);
  connect(view_, &CVantrelView::instrumentChanged, this, &CMainFrame::setInstrument);
}

// The window's height without its frame: menu bar, form, status bar.
int CMainFrame::innerHeight() const {
  return menuBar()->sizeHint().height() + view_->height() + statusBar()->sizeHint().height();
}

// With the caption and border the window manager adds.
int CMainFrame::outerHeight() const {
  const int frame = frameGeometry().height() - geometry().height();
  const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  return innerHeight() + std::max(frame, caption + 2 * 4);
}

// On a screen too small for the form at its template size (a 1366 x 768
// laptop) the form is made again, smaller in steps of 5 %, until the window
// fits, at two thirds at the least.
void CMainFrame::fitToScreen() {
  if (screenArea_.isEmpty()) return;
  for (int step = 0; step < 8 && outerHeight() > screenArea_.height(); ++step) {
    const qreal room = screenArea_.height() - (outerHeight() - view_->height());
    qreal scale = std::floor(FormScale() * room / view_->height() * 20.0) / 20.0;
    scale = std::min(scale, FormScale() - 0.05);
    if (scale < kSmallestFormScale) {
      if (FormScale() <= kSmallestFormScale) return;
      scale = kSmallestFormScale;
    }
    SetFormScale(scale);
    makeView();
  }
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
  connect(monitor_, &QDockWidget::topLevelChanged, this, &CMainFrame::onMonitorPlaced);
  addDockWidget(Qt::BottomDockWidgetArea, monitor_);
  monitor_->hide();
  session.addObserver(monitor_);
}

// The dock's own action, so that the check mark follows the monitor also
// when its close button hides it.
void CMainFrame::addMonitorAction(QMenu* menu) {
  QAction* monitor = monitor_->toggleViewAction();
  monitor->setObjectName(QStringLiteral("actionCommMonitor"));
  monitor->setText(tr("通信监视(&M)"));
  menu->addAction(monitor);
  // Hidden by the menu or the dock's close button; shown by the menu only:
  // Qt also hides and shows the dock while it floats or docks it, and that
  // is no opening of the monitor.
  connect(monitor, &QAction::toggled, this, [this](bool shown) {
    if (!shown) onMonitorHidden();
  });
  connect(monitor, &QAction::triggered, this, [this](bool shown) {
    if (shown) onMonitorOpened();
  });
}

void CMainFrame::createMenus() {
  auto add = [](QMenu* menu, const char* name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromUtf8(name));
    return action;
  };

  QMenu* program = menuBar()->addMenu(tr("程序(&P)"));
  program->setObjectName(QStringLiteral("menuProgram"));
  connect(add(program, "actionSaveConfig", tr("保存组态…")), &QAction::triggered, this,
          [this] { view_->saveConfiguration(); });
  connect(add(program, "actionLoadConfig", tr("载入组态…")), &QAction::triggered, this,
          [this] { view_->loadConfiguration(); });
  connect(add(program, "actionJournal", tr("操作记录…")), &QAction::triggered, this,
          [this] { view_->showJournal(); });
  program->addSeparator();
  connect(add(program, "exitAction", tr("退出(&X)")), &QAction::triggered, this, &QWidget::close);

  QMenu* operation = menuBar()->addMenu(tr("操作(&O)"));
  operation->setObjectName(QStringLiteral("menuOperation"));
  // Through the frame: the form may be made again to fit the screen.
  connect(add(operation, "commPortAction", tr("通信端口(&R)")), &QAction::triggered, this,
          [this] { view_->showPortDialog(); });
  operation->addSeparator();
  connect(add(operation, "commTestAction", tr("通信测试(&T)")), &QAction::triggered, this,
          [this] { view_->onCommTest(); });
  connect(add(operation, "searchAction", tr("搜索设备(&S)")), &QAction::triggered, this,
          [this] { view_->onSearchDevices(); });
  // Reset and stop have no function: shown, never enabled.
  add(operation, "resetDeviceAction", tr("复位设备(&C)"))->setEnabled(false);
  add(operation, "stopCommAction", tr("停止通信(&K)"))->setEnabled(false);
  operation->addSeparator();
  addMonitorAction(operation);
  // Beyond the menu's own commands, after them: a search by range and pace,
  // the instrument's additional status, the trend of its values and a check
  // against a reference.
  operation->addSeparator();
  connect(add(operation, "searchRangeAction", tr("按范围搜索…")), &QAction::triggered, this,
          &CMainFrame::showSearchDialog);
  connect(add(operation, "deviceStatusAction", tr("设备状态…")), &QAction::triggered, this,
          &CMainFrame::showStatusDialog);
  connect(add(operation, "trendAction", tr("趋势…")), &QAction::triggered, this,
          [this] { TrendDock::open(*this, session_); });
  connect(add(operation, "checkAction", tr("校验…")), &QAction::triggered, this,
          &CMainFrame::showCheckDialog);
  connect(add(operation, "teamDatabaseAction", tr("团队数据库…")), &QAction::triggered, this,
          &CMainFrame::showTeamDatabaseDialog);

  QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
  help->setObjectName(QStringLiteral("menuHelp"));
  connect(add(help, "aboutAction", tr("关于 Vantrel(&A)...")), &QAction::triggered, this,
          &CMainFrame::onAppAbout);
}

void CMainFrame::createStatusBar() {
  statusPane_ = new QLabel(CoreText(texts::kNotConnected));
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
  reasonPane_ = new QLabel;
  reasonPane_->setObjectName(QStringLiteral("reasonPane"));
  reasonPane_->setFrameShape(QFrame::Panel);
  reasonPane_->setFrameShadow(QFrame::Sunken);
  statusBar()->addWidget(statusPane_, 1);
  statusBar()->addWidget(reasonPane_);
  statusBar()->addWidget(deviceStatusPane_);
  moreStatusButton_ = new QToolButton;
  moreStatusButton_->setObjectName(QStringLiteral("moreStatusButton"));
  moreStatusButton_->setText(tr("更多状态…"));
  moreStatusButton_->setAutoRaise(true);
  connect(moreStatusButton_, &QToolButton::clicked, this, &CMainFrame::showStatusDialog);
  statusBar()->addWidget(moreStatusButton_);
  moreStatusButton_->hide();
  // The instrument connected: revision, manufacturer and device type as
  // codes, device ID, tag once read.
  instrumentPane_ = new QLabel;
  instrumentPane_->setObjectName(QStringLiteral("instrumentPane"));
  instrumentPane_->setFrameShape(QFrame::Panel);
  instrumentPane_->setFrameShadow(QFrame::Sunken);
  statusBar()->addWidget(instrumentPane_);
  instrumentPane_->hide();
  reasonPane_->hide();
  deviceStatusPane_->hide();
  statusBar()->addPermanentWidget(progressBar_);
  statusBar()->setSizeGripEnabled(true);
  // Whatever else the window holds, the status line stays readable.
  statusBar()->setMinimumHeight(statusBar()->sizeHint().height());
}

void CMainFrame::setStatusText(const QString& text) {
  statusPane_->setText(text);
}

void CMainFrame::setProgress(int percent) {
  progressBar_->setValue(std::clamp(percent, 0, 100));
}

void CMainFrame::setFailureReason(const QString& reason) {
  reasonPane_->setText(reason);
  reasonPane_->setVisible(!reason.isEmpty());
}

void CMainFrame::setInstrument(const QString& line) {
  instrumentPane_->setText(line);
  instrumentPane_->setVisible(!line.isEmpty());
}

void CMainFrame::setDeviceStatus(int status) {
  const auto bits = static_cast<std::uint8_t>(status);
  // On its own in the pane the text starts as a sentence does ("Loop
  // current fixed"); in the list of the tooltip it stays as it is.
  QString text = QString::fromStdString(MostSevereDeviceStatus(bits));
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  QString all;
  for (const std::string& bit : DeviceStatusTexts(bits)) {
    if (!all.isEmpty()) all += tr("、");
    all += QString::fromStdString(bit);
  }
  deviceStatusPane_->setText(text);
  deviceStatusPane_->setToolTip(all.isEmpty() ? QString() : tr("设备状态：") + all);
  deviceStatusPane_->setVisible(!text.isEmpty());
  moreStatusButton_->setVisible((bits & kMoreStatusAvailable) != 0);
}

void CMainFrame::showStatusDialog() {
  if (statusDialog_ == nullptr) statusDialog_ = new StatusDialog(*view_, this);
  statusDialog_->show();
  statusDialog_->raise();
  view_->start(OP_READ_STATUS);
}

void CMainFrame::showCheckDialog() {
  auto* dialog = new CheckDialog(*view_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

// The team database's address, kept in the settings (a password never: libpq
// takes it from ~/.pgpass). An address that does not parse is refused with
// why; an empty one keeps the records on this computer only.
void CMainFrame::showTeamDatabaseDialog() {
  auto* dialog = new QInputDialog(this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setObjectName(QStringLiteral("teamDatabaseDialog"));
  dialog->setWindowTitle(tr("团队数据库"));
  dialog->setLabelText(
      tr("PostgreSQL 地址（postgresql://用户@主机/数据库），密码取自 ~/.pgpass。\n"
         "留空则记录只保存在本机。"));
  dialog->setTextValue(QSettings().value(QLatin1String(TeamPush::kAddressKey)).toString());
  connect(dialog, &QInputDialog::textValueSelected, this, [this](const QString& typed) {
    const QString text = typed.trimmed();
    QString error;
    if (!text.isEmpty() && !ParseDatabaseAddress(text, &error)) {
      ShowMessageBox(this, MessageIcon::Warning, tr("团队数据库地址有误：%1").arg(error));
      return;
    }
    QSettings().setValue(QLatin1String(TeamPush::kAddressKey), text);
    view_->teamPush()->push();
  });
  dialog->open();
}

void CMainFrame::showSearchDialog() {
  auto* dialog = new SearchDialog(view_->data().search, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] { view_->searchWith(dialog->plan()); });
  dialog->open();
}

// Opening the docked monitor makes the window taller by the monitor's height,
// so the form keeps its room; closing it gives that height back. Where the
// screen has no room for that (a laptop, a maximised window: the room is
// what the window has below the form), the monitor opens as a window of its
// own beside the form instead, unless the user has docked it there before:
// then the dock takes what the screen has not from the form, which scrolls.
// The user's last choice, docked or not, is kept in the settings, and so is
// where the monitor's own window was.
void CMainFrame::onMonitorOpened() {
  if (monitorHeight_ != 0) return;
  const QVariant chosen = QSettings().value(QLatin1String(kMonitorFloatingKey));
  const bool floating = chosen.isValid() ? chosen.toBool() : dockRoom() < dockWanted();
  if (floating != monitor_->isFloating()) {
    placingMonitor_ = true;  // the program's choice, not the user's
    monitor_->setFloating(floating);
    placingMonitor_ = false;
  }
  if (floating) {
    placeFloatingMonitor(true);
  } else {
    growForDock();
  }
}

void CMainFrame::onMonitorHidden() {
  if (monitor_->isFloating()) {
    QSettings().setValue(QLatin1String(kMonitorGeometryKey), monitor_->geometry());
  }
  if (monitorHeight_ != 0) resize(width(), height() - monitorHeight_);
  monitorHeight_ = 0;
}

// The height the docked monitor asks for, and what the window can add below
// the form: up to the screen's bottom, or in a maximised window what it has
// to spare.
int CMainFrame::dockWanted() const {
  return monitor_->sizeHint().height() +
         style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
}

int CMainFrame::dockRoom() const {
  if (isMaximized() || isFullScreen()) return height() - innerHeight();
  return screenArea_.isEmpty() ? dockWanted() : screenArea_.height() - outerHeight();
}

// A window that can grow does, by what the dock takes; a maximised one
// cannot, and the dock takes its spare room.
void CMainFrame::growForDock() {
  if (monitorHeight_ != 0 || isMaximized() || isFullScreen()) return;
  monitorHeight_ = std::clamp(dockRoom(), 0, dockWanted());
  if (monitorHeight_ != 0) resize(width(), height() + monitorHeight_);
}

// Where it was last, while that lies on the screen; else below the window
// where it fits whole, else beside it where the screen has room for a
// useful width, else at the bottom of the screen. Its frame on the screen.
void CMainFrame::placeFloatingMonitor(bool remembered) {
  const QRect area = screenArea_.isEmpty() ? frameGeometry() : screenArea_;
  const QRect last = QSettings().value(QLatin1String(kMonitorGeometryKey)).toRect();
  if (remembered && last.isValid() && area.contains(last)) {
    monitor_->setGeometry(last);
    return;
  }
  // A new window's frame is known only once the window system has drawn it:
  // room is kept for one like the main window's.
  const QSize frame = frameGeometry().size() - size();
  const QRect window = frameGeometry();
  const int height = std::min(monitor_->sizeHint().height(), area.height() / 2);
  // Beside the form: right of the window, or of the form inside a maximised
  // window that is wider than the form.
  const int border = window.right() - geometry().right();
  const int formRight = view_->mapToGlobal(QPoint(view_->width(), 0)).x();
  const int besideLeft = std::min(window.right(), formRight + border) + 1;
  const int besideWidth = area.right() + 1 - besideLeft - frame.width();
  if (window.bottom() + height + frame.height() <= area.bottom()) {
    monitor_->resize(std::min(width(), area.width()), height);
    monitor_->move(std::max(area.left(), window.left()), window.bottom() + 1);
  } else if (besideWidth >= kSmallestMonitorWidth) {
    monitor_->resize(std::min(besideWidth, width()),
                     std::min(window.height(), area.height()) - frame.height());
    monitor_->move(besideLeft, std::max(area.top(), window.top()));
  } else {
    monitor_->resize(std::min(width(), area.width()), height);
    monitor_->move(std::max(area.left(), area.right() - width() - frame.width() + 1),
                   area.bottom() - height - frame.height() + 1);
  }
}

// Docking or floating the monitor by hand is remembered for the next time.
// Floated from the dock it would stay where the dock was, over the form: it
// moves beside it once Qt has made its window.
void CMainFrame::onMonitorPlaced(bool floating) {
  if (placingMonitor_) return;
  QSettings().setValue(QLatin1String(kMonitorFloatingKey), floating);
  if (!floating) {
    growForDock();
    return;
  }
  if (monitorHeight_ != 0) {
    resize(width(), height() - monitorHeight_);
    monitorHeight_ = 0;
  }
  QTimer::singleShot(0, this, [this] {
    if (monitor_->isFloating()) placeFloatingMonitor(false);
  });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (closing_ || !view_->loopCurrentFixed()) {
    view_->stopAcquisition();
    event->accept();
    return;
  }
  event->ignore();
  if (!asking_) askToReleaseLoop();
}

void CMainFrame::closeNow() {
  closing_ = true;
  close();
}

// 是 releases the loop and closes once the instrument has answered; 否 closes
// with the loop as it is; 取消 keeps the window. The question names the
// instrument whose loop it is; when that one is not connected any more,
// nothing can be sent to it and the question says so instead.
QMessageBox* CMainFrame::askToReleaseLoop() {
  asking_ = true;
  const std::optional<Instrument> fixed = view_->loopFixedInstrument();
  const QString name = fixed ? QString::fromStdString(InstrumentText(*fixed)) : QString();
  if (fixed && !view_->loopInstrumentConnected()) {
    return AskQuestion(
        this,
        tr("仪表（%1）的回路电流可能仍处于固定状态，它已不在连接中，无法恢复。").arg(name) +
            QLatin1Char('\n') + tr("仍要退出吗？"),
        QMessageBox::Yes | QMessageBox::No, [this](int answer) {
          asking_ = false;
          if (answer == QMessageBox::Yes) closeNow();
        });
  }
  const QString question = tr("回路电流处于固定状态，退出前恢复正常输出吗？");
  return AskQuestion(this,
                     fixed ? tr("仪表：%1").arg(name) + QLatin1Char('\n') + question : question,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, [this](int answer) {
                       if (answer == QMessageBox::No) {
                         asking_ = false;
                         closeNow();
                       } else if (answer == QMessageBox::Yes) {
                         view_->releaseLoopCurrent([this](bool released) {
                           asking_ = false;
                           if (released) {
                             closeNow();
                           } else {
                             askToCloseUnreleased();
                           }
                         });
                       } else {
                         asking_ = false;
                       }
                     });
}

void CMainFrame::askToCloseUnreleased() {
  asking_ = true;
  AskQuestion(this,
              tr("恢复失败，回路电流可能仍处于固定状态") + QLatin1Char('\n') + tr("仍要退出吗？"),
              QMessageBox::Yes | QMessageBox::No, [this](int answer) {
                asking_ = false;
                if (answer == QMessageBox::Yes) closeNow();
              });
}

void CMainFrame::onAppAbout() {
  CAboutDlg::showAbout(this);
}

}  // namespace vantrel
