#include "app/TrendDock.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/CMainFrame.h"
#include "app/CVantrelView.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"
#include "port/Session.h"
#include "tabs/CTabHart.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {
namespace {

constexpr TimeMs kMinuteMs = 60 * 1000;

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

float LaneValue(int lane, const TrendPoint& p) {
  switch (lane) {
    case 0:
      return p.primaryVariable;
    case 1:
      return p.loopCurrent;
    default:
      return p.percentOfRange;
  }
}

// Each lane's colour: the primary variable, the loop current, the percent.
const QColor kLaneColours[] = {QColor(0x1f, 0x5f, 0xb4), QColor(0xc6, 0x28, 0x28),
                               QColor(0x2c, 0x8c, 0x2c)};

// The lane's value range over `first`.. the newest: the loop current at
// least 4 to 20 mA, the percent at least 0 to 100, the primary variable its
// own, with a little room above and below.
std::pair<float, float> LaneRange(int lane, const std::deque<TrendPoint>& samples,
                                  std::size_t first) {
  float low = std::numeric_limits<float>::max();
  float high = std::numeric_limits<float>::lowest();
  for (std::size_t i = first; i < samples.size(); ++i) {
    const float v = LaneValue(lane, samples[i]);
    if (!std::isfinite(v)) continue;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  if (lane == 1) {
    low = std::min(low, 4.0f);
    high = std::max(high, 20.0f);
  } else if (lane == 2) {
    low = std::min(low, 0.0f);
    high = std::max(high, 100.0f);
  }
  if (low > high) return {0.0f, 1.0f};
  if (high - low < 1e-6f) return {low - 1.0f, high + 1.0f};
  const float room = (high - low) * 0.05f;
  return {low - room, high + room};
}

// The time axis' step: 15 s, 2 min or 15 min.
TimeMs TickStep(TimeMs windowMs) {
  if (windowMs <= kMinuteMs) return 15 * 1000;
  if (windowMs <= 10 * kMinuteMs) return 2 * kMinuteMs;
  return 15 * kMinuteMs;
}

}  // namespace

// --- TrendChart --------------------------------------------------------------

TrendChart::TrendChart(const std::deque<TrendPoint>& samples, QWidget* parent)
    : QWidget(parent), samples_(samples), windowMs_(kMinuteMs) {
  setObjectName(QStringLiteral("trendChart"));
  setMinimumSize(480, 300);
  setAttribute(Qt::WA_OpaquePaintEvent);
  line_.reserve(4096);
}

void TrendChart::setWindowMs(TimeMs windowMs) {
  windowMs_ = windowMs;
  update();
}

std::size_t TrendChart::firstShown() const {
  if (samples_.empty()) return 0;
  const TimeMs start = samples_.back().at - windowMs_;
  const auto first = std::lower_bound(samples_.begin(), samples_.end(), start,
                                      [](const TrendPoint& p, TimeMs at) { return p.at < at; });
  return static_cast<std::size_t>(first - samples_.begin());
}

int TrendChart::shownCount() const {
  return static_cast<int>(samples_.size() - firstShown());
}

QString TrendChart::laneTitle(Lane lane) const {
  const TrendPoint& last = samples_.back();
  switch (lane) {
    case kPvLane:
      return tr("主变量 %1 %2")
          .arg(Utf8(FormatFixed(last.primaryVariable, 4)), Utf8(UnitTextOfCode(last.pvUnitCode)));
    case kCurrentLane:
      return tr("电流 %1 mA").arg(Utf8(FormatFixed(last.loopCurrent, 3)));
    default:
      return tr("百分比 %1 %").arg(Utf8(FormatFixed(last.percentOfRange, 2)));
  }
}

void TrendChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  painter.setPen(palette().text().color());
  if (samples_.empty()) {
    painter.drawText(rect(), Qt::AlignCenter, tr("等待数据…"));
    return;
  }
  const QFontMetrics metrics = fontMetrics();
  const qreal left = metrics.horizontalAdvance(QStringLiteral("-00000.00")) + 8;
  const qreal bottom = metrics.height() + 6;
  const QRectF plot(left, 4, width() - left - 10, height() - 4 - bottom);
  const qreal laneHeight = plot.height() / kLaneCount;
  const std::size_t first = firstShown();
  for (int lane = 0; lane < kLaneCount; ++lane) {
    const QRectF area(plot.left(), plot.top() + lane * laneHeight, plot.width(), laneHeight - 8);
    drawLane(painter, static_cast<Lane>(lane), area, first);
  }
  drawTimeAxis(painter, plot);
}

// The lane's frame, its range at the left, its title with the newest value,
// and its line: per pixel column the lowest and the highest sample, so that
// an hour costs no more to draw than a minute.
void TrendChart::drawLane(QPainter& painter, Lane lane, const QRectF& area, std::size_t first) {
  const auto [low, high] = LaneRange(lane, samples_, first);
  const QColor grid = palette().mid().color();
  painter.setPen(QPen(grid, 1, Qt::DotLine));
  painter.drawLine(QPointF(area.left(), area.center().y()),
                   QPointF(area.right(), area.center().y()));
  painter.setPen(grid);
  painter.drawRect(area);
  painter.setPen(palette().text().color());
  const QRectF labels(0, area.top(), area.left() - 4, area.height());
  painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, QString::number(high, 'g', 5));
  painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom, QString::number(low, 'g', 5));
  painter.setPen(kLaneColours[lane]);
  painter.drawText(area.adjusted(6, 2, -6, -2), Qt::AlignLeft | Qt::AlignTop, laneTitle(lane));

  const TimeMs start = samples_.back().at - windowMs_;
  const double xScale = area.width() / static_cast<double>(windowMs_);
  const double yScale = area.height() / static_cast<double>(high - low);
  line_.clear();
  int column = std::numeric_limits<int>::min();
  qreal columnLow = 0, columnHigh = 0, columnX = 0;
  const auto flush = [&] {
    if (column == std::numeric_limits<int>::min()) return;
    line_.emplace_back(columnX, columnLow);
    if (columnHigh != columnLow) line_.emplace_back(columnX, columnHigh);
  };
  for (std::size_t i = first; i < samples_.size(); ++i) {
    const float v = LaneValue(lane, samples_[i]);
    if (!std::isfinite(v)) continue;
    const qreal x = area.left() + static_cast<double>(samples_[i].at - start) * xScale;
    const qreal y = area.bottom() - static_cast<double>(v - low) * yScale;
    if (static_cast<int>(x) != column) {
      flush();
      column = static_cast<int>(x);
      columnX = x;
      columnLow = columnHigh = y;
    }
    columnLow = std::max(columnLow, y);  // lower on the screen
    columnHigh = std::min(columnHigh, y);
  }
  flush();
  painter.save();
  painter.setClipRect(area);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kLaneColours[lane], 1.5));
  painter.drawPolyline(line_.data(), static_cast<int>(line_.size()));
  painter.restore();
}

// Ticks back from the newest sample: 0, then every step.
void TrendChart::drawTimeAxis(QPainter& painter, const QRectF& plot) {
  painter.setPen(palette().text().color());
  const TimeMs step = TickStep(windowMs_);
  const qreal height = fontMetrics().height();
  for (TimeMs back = 0; back <= windowMs_; back += step) {
    const qreal x = plot.right() - plot.width() * static_cast<double>(back) / windowMs_;
    painter.drawLine(QPointF(x, plot.bottom() - 6), QPointF(x, plot.bottom() - 2));
    QString text = QStringLiteral("0");
    if (back > 0) {
      text = step < kMinuteMs ? tr("%1 秒").arg(-back / 1000) : tr("%1 分").arg(-back / kMinuteMs);
    }
    const qreal width = fontMetrics().horizontalAdvance(text);
    const qreal at = std::clamp(x - width / 2, qreal(0), plot.right() - width);
    painter.drawText(QRectF(at, plot.bottom(), width + 2, height + 4), Qt::AlignCenter, text);
  }
}

// --- TrendDock ---------------------------------------------------------------

TrendDock::TrendDock(CMainFrame& frame, Session& session)
    : QDockWidget(&frame), frame_(frame), session_(session) {
  setObjectName(QStringLiteral("trendDock"));
  setWindowTitle(tr("趋势"));
  clockAtOpen_ = session_.clock().nowMs();
  wallAtOpen_ = QDateTime::currentMSecsSinceEpoch();
  auto* body = new QWidget;
  chart_ = new TrendChart(samples_);
  makeControls(body);
  setWidget(body);

  repaint_.setSingleShot(true);
  repaint_.setInterval(kRepaintMs);
  connect(&repaint_, &QTimer::timeout, chart_, qOverload<>(&QWidget::update));
  connect(&session_, &Session::sampleReceived, this, &TrendDock::onSample);
  connect(&session_, &Session::samplingEnded, this, &TrendDock::onSamplingEnded);
}

TrendDock::~TrendDock() {
  if (sampling_) session_.stopSampling();
}

void TrendDock::makeControls(QWidget* body) {
  windowBox_ = new QComboBox;
  windowBox_->setObjectName(QStringLiteral("trendWindowBox"));
  windowBox_->addItem(tr("1 分钟"), QVariant::fromValue<qlonglong>(kMinuteMs));
  windowBox_->addItem(tr("10 分钟"), QVariant::fromValue<qlonglong>(10 * kMinuteMs));
  windowBox_->addItem(tr("1 小时"), QVariant::fromValue<qlonglong>(kLongestWindowMs));
  connect(windowBox_, qOverload<int>(&QComboBox::currentIndexChanged), this,
          [this](int index) { chart_->setWindowMs(windowBox_->itemData(index).toLongLong()); });
  pauseButton_ = new QPushButton(tr("暂停"));
  pauseButton_->setObjectName(QStringLiteral("trendPauseButton"));
  csvButton_ = new QPushButton(tr("导出 CSV…"));
  csvButton_->setObjectName(QStringLiteral("trendCsvButton"));
  pictureButton_ = new QPushButton(tr("导出图片…"));
  pictureButton_->setObjectName(QStringLiteral("trendPictureButton"));
  connect(pauseButton_, &QPushButton::clicked, this, &TrendDock::pauseOrResume);
  connect(csvButton_, &QPushButton::clicked, this, &TrendDock::exportCsv);
  connect(pictureButton_, &QPushButton::clicked, this, &TrendDock::exportPicture);
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("trendNote"));
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(tr("时间窗口")));
  controls->addWidget(windowBox_);
  controls->addWidget(pauseButton_);
  controls->addWidget(note_, 1);
  controls->addWidget(csvButton_);
  controls->addWidget(pictureButton_);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(controls);
  layout->addWidget(chart_, 1);
}

TrendDock* TrendDock::open(CMainFrame& frame, Session& session) {
  auto* dock = frame.findChild<TrendDock*>(QString(), Qt::FindDirectChildrenOnly);
  if (dock == nullptr) {
    dock = new TrendDock(frame, session);
    frame.addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->setFloating(true);
    dock->resize(760, 460);
    dock->move(frame.geometry().topLeft() + QPoint(40, 40));
  }
  dock->show();
  dock->raise();
  if (!dock->sampling()) dock->startSampling();
  return dock;
}

void TrendDock::startSampling() {
  sampling_ = true;  // a run that cannot start ends at once and says why
  note_->clear();
  session_.startSampling(frame_.view()->tabHart()->pollAddress(), kSampleIntervalMs);
  showSampling();
}

void TrendDock::stopSampling() {
  if (sampling_) session_.stopSampling();
  sampling_ = false;
  showSampling();
}

void TrendDock::pauseOrResume() {
  if (sampling_) {
    stopSampling();
  } else {
    startSampling();
  }
}

void TrendDock::showSampling() {
  pauseButton_->setText(sampling_ ? tr("暂停") : tr("继续"));
}

void TrendDock::closeEvent(QCloseEvent* event) {
  stopSampling();
  QDockWidget::closeEvent(event);
}

// Kept while inside the longest window, at most kMaxSamples; the chart is
// drawn again once the repaint pause has passed.
void TrendDock::onSample(const Sample& sample) {
  if (!sampling_) return;
  samples_.push_back(TrendPoint{sample.at, sample.loopCurrent, sample.primaryVariable,
                                sample.percentOfRange, sample.pvUnitCode});
  while (samples_.size() > kMaxSamples || samples_.front().at < sample.at - kLongestWindowMs) {
    samples_.pop_front();
  }
  if (!repaint_.isActive()) repaint_.start();
  emit sampleAdded(static_cast<int>(samples_.size()));
}

void TrendDock::onSamplingEnded(const SamplingEnd& end) {
  if (!sampling_) return;
  sampling_ = false;
  note_->setText(tr("采样已停止：%1").arg(Utf8(end.reason)));
  showSampling();
}

// --- export ------------------------------------------------------------------

QByteArray TrendDock::csvText() const {
  QByteArray text = "time,time_ms,loop_current_ma,pv,pv_unit_code,pv_unit,percent_of_range\n";
  for (const TrendPoint& p : samples_) {
    const TimeMs since = p.at - clockAtOpen_;
    QString unit = Utf8(UnitTextOfCode(p.pvUnitCode));
    if (unit.contains(QLatin1Char(',')) || unit.contains(QLatin1Char('"'))) {
      unit = QLatin1Char('"') + unit.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
             QLatin1Char('"');
    }
    const QString line =
        QStringLiteral("%1,%2,%3,%4,%5,%6,%7\n")
            .arg(QDateTime::fromMSecsSinceEpoch(wallAtOpen_ + since).toString(Qt::ISODateWithMs),
                 QString::number(since), Utf8(FormatFixed(p.loopCurrent, 4)),
                 Utf8(FormatFixed(p.primaryVariable, 4)), QString::number(p.pvUnitCode), unit,
                 Utf8(FormatFixed(p.percentOfRange, 2)));
    text += line.toUtf8();
  }
  return text;
}

bool TrendDock::saveCsv(const QString& path, QString* error) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(csvText()) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

bool TrendDock::savePicture(const QString& path, QString* error) const {
  QImageWriter writer(path, "png");
  if (writer.write(chart_->grab().toImage())) return true;
  if (error) *error = writer.errorString();
  return false;
}

void TrendDock::chooseAndSave(const QString& title, const QString& filter, const QString& suffix,
                              const QString& name,
                              bool (TrendDock::*save)(const QString&, QString*) const) {
  QPointer<TrendDock> self(this);
  auto chosen = [self, save](const QString& path) {
    if (!self || path.isEmpty()) return;
    QString error;
    if (!(self->*save)(path, &error)) {
      ShowMessageBox(self->window(), MessageIcon::Error,
                     tr("无法保存：%1（%2）").arg(QDir::toNativeSeparators(path), error));
      return;
    }
    self->note_->setText(tr("已保存到 %1").arg(QDir::toNativeSeparators(path)));
  };
  ChooseFile(this, FileDialogTexts{title, filter, suffix}, InDocuments(name), chooser_,
             std::move(chosen));
}

void TrendDock::exportCsv() {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
  chooseAndSave(tr("保存趋势数据"), tr("CSV 文件 (*.csv);;所有文件 (*)"), QStringLiteral("csv"),
                tr("趋势_%1.csv").arg(stamp), &TrendDock::saveCsv);
}

void TrendDock::exportPicture() {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
  chooseAndSave(tr("保存趋势图"), tr("PNG 图片 (*.png);;所有文件 (*)"), QStringLiteral("png"),
                tr("趋势_%1.png").arg(stamp), &TrendDock::savePicture);
}

}  // namespace vantrel
