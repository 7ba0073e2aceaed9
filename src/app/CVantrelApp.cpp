#include "app/CVantrelApp.h"

#include <QAction>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

#include "app/Artwork.h"
#include "app/CComDialog.h"
#include "app/CMainFrame.h"
#include "app/CVantrelView.h"
#include "app/FirstPaintProbe.h"
#include "app/ScreenshotRun.h"
#include "i18n/Language.h"
#include "port/Session.h"
#include "sim/DeviceList.h"
#include "sim/SimServerThread.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"
#include "vantrel/Version.h"

namespace vantrel {
namespace {

// Where the settings live: the organisation and application names of the
// program's profile.
inline constexpr char kProfileKey[] = "应用程序向导生成的本地应用程序";

// The demonstration line: the family's instruments at polling addresses 0
// and 3, and another maker's HART 7 flow instrument (kg/h, long tag,
// "maintenance required" in its additional status) at 5, whose replies come at the pace of a 1200
// baud line after a short turnaround, as a modem delivers them.
std::unique_ptr<sim::SimServerThread> StartDemoLine() {
  sim::PtyServerOptions options;
  options.lineRate = true;
  options.turnaroundMs = 20;
  sim::SimDeviceConfig flow =
      sim::KindDeviceConfig(5, sim::DeviceKind{7, sim::DeviceVariant::Flow});
  flow.additionalStatus = {0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0};  // maintenance required
  return std::make_unique<sim::SimServerThread>(
      std::vector<sim::SimDeviceConfig>{sim::DefaultDeviceConfig(0), sim::DefaultDeviceConfig(3),
                                        flow},
      options);
}

// The window program's command line: --demo, --lang and the hidden options
// of the screenshots and the start-up timing.
struct CommandLine {
  QCommandLineParser parser;
  const QCommandLineOption demo{
      QStringLiteral("demo"),
      QStringLiteral("Start with simulated instruments at polling addresses 0 and 3 (this "
                     "family's) and 5 (a HART 7 flow instrument) and open their line.")};
  const QCommandLineOption lang{
      QStringLiteral("lang"),
      QStringLiteral("Show the texts in LANG: zh (Chinese) or en (English). Without it, English "
                     "where the locale's language is English, Chinese otherwise."),
      QStringLiteral("LANG")};
  QCommandLineOption screenshotDir{QStringLiteral("screenshot-dir"),
                                   QStringLiteral("Save pictures of the pages into DIR and end."),
                                   QStringLiteral("DIR")};
  QCommandLineOption firstPaint{
      QStringLiteral("exit-after-first-paint"),
      QStringLiteral("Print how long the main window took to first paint, and end.")};
  QCommandLineOption openTrend{QStringLiteral("open-trend"),
                               QStringLiteral("Open the trend at start (bench/trend_cpu.sh).")};

  CommandLine() {
    parser.setApplicationDescription(
        QStringLiteral("Configures and calibrates a HART instrument."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(demo);
    parser.addOption(lang);
    screenshotDir.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshotDir);
    firstPaint.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(firstPaint);
    openTrend.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(openTrend);
  }
};

}  // namespace

CVantrelApp::CVantrelApp(int& argc, char** argv) : QApplication(argc, argv) {}

CVantrelApp::~CVantrelApp() {
  screenshots_.reset();
  mainFrame_.reset();
  session_.reset();
  demo_.reset();
}

bool CVantrelApp::initInstance() {
  setOrganizationName(QString::fromUtf8(kProfileKey));
  setApplicationName(QString::fromUtf8(kAppTitle));
  setApplicationVersion(QString::fromLatin1(kVersion));
  setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
  setWindowIcon(MakeAppIcon());
  setFont(UiFont(kDialogPointSize));

  CommandLine line;
  line.parser.process(arguments());
  const QCommandLineParser& parser = line.parser;
  if (!chooseLanguage(parser.value(line.lang))) return false;

  if (parser.isSet(line.demo)) {
    demo_ = StartDemoLine();
    if (!demo_->running()) {
      std::fprintf(stderr, "vantrel: cannot start the simulated instruments: %s\n",
                   demo_->error().c_str());
      return false;
    }
  }

  session_ = std::make_unique<Session>();
  mainFrame_ = std::make_unique<CMainFrame>(*session_);
  CVantrelView* view = mainFrame_->view();
  if (demo_) {
    const QString demoPort = QString::fromStdString(demo_->devicePath());
    view->comDialog()->setExtraPorts({demoPort});
    if (!session_->openPort(demoPort)) {
      std::fprintf(stderr, "vantrel: cannot open %s\n", qPrintable(demoPort));
    }
  }
  if (parser.isSet(line.firstPaint)) new FirstPaintProbe(mainFrame_.get());
  mainFrame_->show();

  if (parser.isSet(line.openTrend)) {
    QTimer::singleShot(0, mainFrame_.get(), [frame = mainFrame_.get()] {
      frame->findChild<QAction*>(QStringLiteral("trendAction"))->trigger();
    });
  }
  if (parser.isSet(line.screenshotDir)) {
    screenshots_ = std::make_unique<ScreenshotRun>(*mainFrame_, parser.value(line.screenshotDir));
    connect(screenshots_.get(), &ScreenshotRun::finished, this, [](bool ok) {
      QTimer::singleShot(0, qApp, [ok] { QCoreApplication::exit(ok ? 0 : 1); });
    });
    QTimer::singleShot(0, screenshots_.get(), &ScreenshotRun::start);
  }
  return true;
}

// Before any widget is made, so that every text is made in the language.
bool CVantrelApp::chooseLanguage(const QString& name) {
  std::optional<UiLanguage> language = LanguageOfSystem();
  if (!name.isEmpty()) {
    language = LanguageNamed(name);
    if (!language) {
      std::fprintf(stderr, "vantrel: --lang takes zh or en, not %s\n", qPrintable(name));
      return false;
    }
  }
  if (!UseLanguage(*language)) {
    std::fprintf(stderr, "vantrel: the English texts cannot be loaded; the texts stay Chinese\n");
  }
  UseQtLanguage(*language);
  return true;
}

}  // namespace vantrel
