#include "app/ScreenshotRun.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include <cstdio>

#include "app/CAboutDlg.h"
#include "app/CComDialog.h"
#include "app/CDialogConfirm.h"
#include "app/CMainFrame.h"
#include "app/CVantrelView.h"
#include "app/CommMonitor.h"
#include "app/JournalDialog.h"
#include "app/TrendDock.h"
#include "records/RecordStore.h"
#include "tabs/CTabConf.h"

namespace vantrel {
namespace {

// An operation that has not ended by then is left behind.
constexpr int kStepTimeoutMs = 8000;
// The trend is pictured with this many samples, or after this long with
// what has come.
constexpr int kTrendSamples = 24;
constexpr int kTrendTimeoutMs = 30000;

}  // namespace

ScreenshotRun::ScreenshotRun(CMainFrame& frame, QString directory, QObject* parent)
    : QObject(parent), frame_(frame), directory_(std::move(directory)) {
  for (const OperationCode read :
       {OP_READ_CURRENT, OP_READ_DEVICE_INFO, OP_READ_LONG_ADDRESS, OP_READ_CONFIG, OP_READ_GAIN}) {
    steps_.emplace_back([this, read] { frame_.view()->start(read); });
  }
  // Typed and written as the user does it, so that the journal holds it.
  steps_.emplace_back([this] {
    CTabConf* page = frame_.view()->tabConf();
    auto* damping = page->findChild<QLineEdit*>(QStringLiteral("dampingEdit"));
    damping->setText(QStringLiteral("2"));
    emit damping->textEdited(damping->text());
    page->findChild<QPushButton*>(QStringLiteral("writeRangeButton"))->click();
  });
  stepTimeout_.setSingleShot(true);
  stepTimeout_.setInterval(kStepTimeoutMs);
  connect(&stepTimeout_, &QTimer::timeout, this, &ScreenshotRun::next);
  connect(frame_.view(), &CVantrelView::operationFinished, this, [this] {
    if (stepTimeout_.isActive()) QTimer::singleShot(0, this, &ScreenshotRun::next);
    stepTimeout_.stop();
  });
}

void ScreenshotRun::start() {
  nextRead_ = 0;
  next();
}

void ScreenshotRun::next() {
  if (nextRead_ >= steps_.size()) {
    capture();
    return;
  }
  stepTimeout_.start();
  steps_[nextRead_++]();
}

void ScreenshotRun::capture() {
  bool ok = QDir().mkpath(directory_);
  CVantrelView* view = frame_.view();
  const char* const pages[] = {"page-1-hart.png", "page-2-conf.png", "page-3-cur.png"};
  for (int i = 0; i < 3; ++i) {
    view->tabControl()->setCurrentIndex(i);
    ok = save(frame_.grab(), QString::fromLatin1(pages[i])) && ok;
  }
  view->tabControl()->setCurrentIndex(0);

  // The value box with a value too long for its normal size.
  DeviceData& data = view->data();
  const std::string reading = data.pvText;
  data.pvText = "49888.7227Pa";
  view->showData();
  ok = save(frame_.grab(), QStringLiteral("value-long.png")) && ok;
  data.pvText = reading;
  view->showData();
  QMessageBox* question = frame_.askToReleaseLoop();
  ok = save(question->grab(), QStringLiteral("question-close.png")) && ok;
  question->done(QMessageBox::Cancel);

  view->showPortDialog();
  ok = save(view->comDialog()->grab(), QStringLiteral("dialog-port.png")) && ok;
  view->comDialog()->hide();

  CDialogConfirm confirm(&frame_, view->confirmationText(OP_CLEAR_ZERO));
  ok = save(confirm.grab(), QStringLiteral("dialog-confirm.png")) && ok;
  CAboutDlg about(&frame_);
  ok = save(about.grab(), QStringLiteral("dialog-about.png")) && ok;
  captureWindows(ok);
  captureTrend(ok);
}

// The journal viewer with the damping write, and the whole screen with the
// monitor opened as the window opens it on this screen.
void ScreenshotRun::captureWindows(bool& ok) {
  JournalDialog journal(RecordStore::defaultPath(), &frame_);
  journal.show();
  QCoreApplication::processEvents();
  ok = save(journal.grab(), QStringLiteral("dialog-journal.png")) && ok;
  journal.hide();

  frame_.commMonitor()->toggleViewAction()->trigger();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  QScreen* screen = frame_.screen();
  ok = screen && save(screen->grabWindow(0), QStringLiteral("form-monitor.png")) && ok;
}

// The trend opened from the menu; its picture, and the end, come once enough
// samples are in.
void ScreenshotRun::captureTrend(bool ok) {
  ok_ = ok;
  frame_.findChild<QAction*>(QStringLiteral("trendAction"))->trigger();
  trend_ = frame_.findChild<TrendDock*>();
  connect(trend_, &TrendDock::sampleAdded, this, [this](int count) {
    if (count == kTrendSamples) QTimer::singleShot(0, this, &ScreenshotRun::saveTrend);
  });
  QTimer::singleShot(kTrendTimeoutMs, this, &ScreenshotRun::saveTrend);
}

void ScreenshotRun::saveTrend() {
  if (!trend_) return;  // saved already
  TrendDock* trend = trend_;
  trend_.clear();
  ok_ = save(trend->grab(), QStringLiteral("trend.png")) && ok_;
  trend->close();
  emit finished(ok_);
}

bool ScreenshotRun::save(const QPixmap& picture, const QString& name) {
  const QString path = QDir(directory_).filePath(name);
  const bool ok = picture.save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
  return ok;
}

}  // namespace vantrel
