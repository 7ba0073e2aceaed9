// The application: start-up (settings names, fonts, command line, the
// simulated instruments of --demo, the main frame) and the order of shutdown.
#pragma once

#include <QApplication>

#include <memory>

namespace vantrel {

class CMainFrame;
class Session;
namespace sim {
class SimServerThread;
}
class ScreenshotRun;

class CVantrelApp : public QApplication {
  Q_OBJECT

 public:
  CVantrelApp(int& argc, char** argv);
  ~CVantrelApp() override;

  // Runs the start-up sequence and shows the main frame. False when the
  // program has to end at once; it has said why on standard error.
  bool initInstance();

  CMainFrame* mainFrame() const { return mainFrame_.get(); }

 private:
  // `name` is the value of --lang, empty without it. False for a name that
  // is no language.
  bool chooseLanguage(const QString& name);

  // Destroyed in reverse order: the frame before the session it shows, the
  // session (and with it the port) before the simulated instruments it
  // talks to.
  std::unique_ptr<sim::SimServerThread> demo_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<ScreenshotRun> screenshots_;
};

}  // namespace vantrel
