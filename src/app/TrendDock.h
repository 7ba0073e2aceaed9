// The trend: a dock window with a strip chart of the live values (the
// primary variable, the loop current and the percent of range) over a time
// window of 1 min, 10 min or 1 h. While it is open the session samples the
// instrument at the polling address the HART page shows (command 0 once,
// then command 3 every kSampleIntervalMs); closing it stops the sampling,
// and pausing it does too. It keeps the samples of the longest window, and
// exports them as CSV and the chart as a PNG picture.
#pragma once

#include <QDockWidget>
#include <QPointF>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <vector>

#include "app/FileDialogs.h"
#include "engine/EngineEffects.h"

class QComboBox;
class QLabel;
class QPainter;
class QPushButton;

namespace vantrel {

class CMainFrame;
class Session;

// One sample as the chart keeps it.
struct TrendPoint {
  TimeMs at = 0;  // on the session's clock
  float loopCurrent = 0.0f;
  float primaryVariable = 0.0f;
  float percentOfRange = 0.0f;
  std::uint8_t pvUnitCode = 0;
};

// The strip chart: three lanes over one time axis, ending at the newest
// sample. It draws from the dock's samples and holds none of its own.
class TrendChart : public QWidget {
  Q_OBJECT

 public:
  explicit TrendChart(const std::deque<TrendPoint>& samples, QWidget* parent = nullptr);

  void setWindowMs(TimeMs windowMs);
  TimeMs windowMs() const { return windowMs_; }
  // The samples the chart shows: those inside the window.
  int shownCount() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  enum Lane { kPvLane, kCurrentLane, kPercentLane, kLaneCount };
  void drawLane(QPainter& painter, Lane lane, const QRectF& area, std::size_t first);
  void drawTimeAxis(QPainter& painter, const QRectF& plot);
  QString laneTitle(Lane lane) const;
  std::size_t firstShown() const;

  const std::deque<TrendPoint>& samples_;
  TimeMs windowMs_;
  std::vector<QPointF> line_;  // reused by every lane and every paint
};

class TrendDock : public QDockWidget {
  Q_OBJECT

 public:
  // Between the starts of two samples; a 1200 baud line gives about 1.8 a
  // second at most.
  static constexpr int kSampleIntervalMs = 500;
  static constexpr TimeMs kLongestWindowMs = 3600 * 1000;
  // At most this many samples are kept, whatever the pace.
  static constexpr std::size_t kMaxSamples = kLongestWindowMs / kSampleIntervalMs + 64;
  // The chart is drawn again at most this often.
  static constexpr int kRepaintMs = 250;

  // `session` and `frame` must outlive the dock.
  TrendDock(CMainFrame& frame, Session& session);
  ~TrendDock() override;

  // The frame's trend, made at the first call: shown, raised, sampling.
  static TrendDock* open(CMainFrame& frame, Session& session);

  const std::deque<TrendPoint>& samples() const { return samples_; }
  TrendChart* chart() const { return chart_; }
  QComboBox* windowBox() const { return windowBox_; }
  QPushButton* pauseButton() const { return pauseButton_; }
  QPushButton* csvButton() const { return csvButton_; }
  QPushButton* pictureButton() const { return pictureButton_; }
  QLabel* note() const { return note_; }
  bool sampling() const { return sampling_; }

  // Replaces the file dialogs (tests).
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  // The samples kept, as CSV; the chart as PNG. False with the reason in
  // `error` when the file cannot be written.
  bool saveCsv(const QString& path, QString* error = nullptr) const;
  bool savePicture(const QString& path, QString* error = nullptr) const;

 public slots:
  // Samples at the polling address the HART page shows now.
  void startSampling();
  void pauseOrResume();
  void exportCsv();
  void exportPicture();

 signals:
  // A sample has been added; `count` samples are kept.
  void sampleAdded(int count);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void makeControls(QWidget* body);
  void onSample(const Sample& sample);
  void onSamplingEnded(const SamplingEnd& end);
  void stopSampling();
  void showSampling();
  QByteArray csvText() const;
  void chooseAndSave(const QString& title, const QString& filter, const QString& suffix,
                     const QString& name, bool (TrendDock::*save)(const QString&, QString*) const);

  CMainFrame& frame_;
  Session& session_;
  std::deque<TrendPoint> samples_;
  TrendChart* chart_ = nullptr;
  QComboBox* windowBox_ = nullptr;
  QPushButton* pauseButton_ = nullptr;
  QPushButton* csvButton_ = nullptr;
  QPushButton* pictureButton_ = nullptr;
  QLabel* note_ = nullptr;
  QTimer repaint_;
  FileChooser chooser_;
  bool sampling_ = false;
  // The session's clock and the wall clock at the same moment, for the
  // times of the CSV.
  TimeMs clockAtOpen_ = 0;
  qint64 wallAtOpen_ = 0;
};

}  // namespace vantrel
