// The main window "HART调试工具": menu bar, the main view, and a status bar
// whose first pane is the status line, with the progress bar beside it.
#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QProgressBar;
class QScrollArea;

namespace vantrel {

class CVantrelView;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  CVantrelView* view() const { return view_; }
  QLabel* statusPane() const { return statusPane_; }
  QProgressBar* progressBar() const { return progressBar_; }

 public slots:
  void setStatusText(const QString& text);
  // 0 to 100; the bar keeps the position last set.
  void setProgress(int percent);
  void onAppAbout();

 private:
  void createMenus();
  void createStatusBar();

  CVantrelView* view_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QLabel* statusPane_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
};

}  // namespace vantrel
