// `--screenshot-dir DIR`: reads the instrument so that the pages show its
// values, writes a damping of 2 s so that the journal holds a change, saves a
// picture of each page, of the dialogs, of the screen with the monitor open
// and of the trend once some samples have come into DIR, and ends the
// program. For the documentation's screenshots.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

#include "engine/OperationCode.h"

namespace vantrel {

class CMainFrame;
class TrendDock;

class ScreenshotRun : public QObject {
  Q_OBJECT

 public:
  ScreenshotRun(CMainFrame& frame, QString directory, QObject* parent = nullptr);

  void start();

 signals:
  // The pictures are saved (`ok` false when one could not be written).
  void finished(bool ok);

 private:
  void next();
  void capture();
  bool save(const QPixmap& picture, const QString& name);

  CMainFrame& frame_;
  QString directory_;
  void captureWindows(bool& ok);
  void captureTrend(bool ok);
  void saveTrend();
  // Each starts one operation.
  std::vector<std::function<void()>> steps_;
  std::size_t nextRead_ = 0;
  QTimer stepTimeout_;
  QPointer<TrendDock> trend_;
  bool ok_ = true;  // every picture so far was saved
};

}  // namespace vantrel
