// The trend: opened from the menu it samples the instrument (one command 0,
// then one command 3 per sample drawn), gives way to an operation, pauses,
// exports, and stops with its closing.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/TrendDock.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

constexpr int kSampleWaitMs = 20000;

class GuiTrend : public GuiTest {
 protected:
  // Opens the trend from the menu and records, at each sample, the requests
  // sent until then and the samples the chart holds.
  TrendDock* openTrend() {
    QAction* action = frame->findChild<QAction*>(QStringLiteral("trendAction"));
    EXPECT_NE(action, nullptr);
    if (action == nullptr) return nullptr;
    action->trigger();
    auto* trend = frame->findChild<TrendDock*>();
    EXPECT_NE(trend, nullptr);
    if (trend == nullptr) return nullptr;
    if (!recording_) {
      QObject::connect(trend, &TrendDock::sampleAdded, trend,
                       [this](int count) { atSample.emplace_back(recorder.sent.size(), count); });
      recording_ = true;
    }
    return trend;
  }
  bool waitForSamples(std::size_t count) {
    return QTest::qWaitFor([&] { return atSample.size() >= count; }, kSampleWaitMs);
  }

  std::vector<std::pair<std::size_t, int>> atSample;

 private:
  bool recording_ = false;
};

bool IsCommand3ToTheInstrument(const SentRequest& r) {
  return r.delimiter == 0x82 && r.command == 3 && r.data.empty() &&
         r.address == std::vector<std::uint8_t>{0x9A, 0x10, 0x01, 0x02, 0x03};
}

TEST_F(GuiTrend, OneCommand0ThenOneCommand3PerSampleUntilClosed) {
  connectTo({0});
  TrendDock* trend = openTrend();
  ASSERT_NE(trend, nullptr);
  EXPECT_TRUE(trend->isVisible());
  ASSERT_TRUE(waitForSamples(4));
  ASSERT_GE(recorder.sent.size(), 2u);
  EXPECT_EQ(recorder.sent[0].delimiter, 0x02);
  EXPECT_EQ(recorder.sent[0].command, 0);
  EXPECT_EQ(recorder.sent[0].pollAddress(), 0);
  for (std::size_t i = 1; i < recorder.sent.size(); ++i) {
    EXPECT_TRUE(IsCommand3ToTheInstrument(recorder.sent[i])) << i;
  }
  // As each sample came in, the requests were its command 0 and one command
  // 3 per sample in the chart.
  for (std::size_t k = 0; k < atSample.size(); ++k) {
    EXPECT_EQ(atSample[k].second, static_cast<int>(k + 1));
    EXPECT_EQ(atSample[k].first, k + 2) << k;
  }
  EXPECT_EQ(trend->chart()->shownCount(), static_cast<int>(trend->samples().size()));

  trend->close();
  EXPECT_FALSE(trend->isVisible());
  EXPECT_FALSE(session->samplingActive());
  const std::size_t sent = recorder.sent.size();
  const std::size_t samples = trend->samples().size();
  // Four sample intervals without a request.
  EXPECT_FALSE(QTest::qWaitFor([&] { return recorder.sent.size() > sent; },
                               4 * TrendDock::kSampleIntervalMs));
  EXPECT_EQ(trend->samples().size(), samples);

  // Opened again it names the instrument again first.
  EXPECT_EQ(openTrend(), trend);
  ASSERT_TRUE(waitForSamples(atSample.size() + 1));
  EXPECT_EQ(recorder.sent[sent].command, 0);
  EXPECT_TRUE(IsCommand3ToTheInstrument(recorder.sent[sent + 1]));
}

// An operation started while the trend samples runs as usual, and the trend
// goes on after it.
TEST_F(GuiTrend, AnOperationRunsBetweenSamples) {
  connectTo({0});
  ASSERT_NE(openTrend(), nullptr);
  ASSERT_TRUE(waitForSamples(2));
  ended.clear();
  view->onCommTest();
  EXPECT_EQ(waitForEnd(OP_COMM_TEST), static_cast<int>(OperationResult::Success));
  EXPECT_EQ(status(), QString::fromUtf8("通信正常"));
  const std::size_t before = atSample.size();
  ASSERT_TRUE(waitForSamples(before + 2));
  EXPECT_TRUE(session->samplingActive());
}

TEST_F(GuiTrend, PausesAndExportsItsSamples) {
  connectTo({0});
  TrendDock* trend = openTrend();
  ASSERT_NE(trend, nullptr);
  ASSERT_TRUE(waitForSamples(3));
  trend->pauseButton()->click();
  EXPECT_FALSE(session->samplingActive());
  EXPECT_EQ(trend->pauseButton()->text(), QString::fromUtf8("继续"));

  QTemporaryDir dir;
  QString path = dir.filePath(QStringLiteral("trend.csv"));
  trend->setFileChooser(
      [&path](QWidget*, const QString&, std::function<void(const QString&)> f) { f(path); });
  trend->csvButton()->click();
  QFile csv(path);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = csv.readAll().split('\n');
  ASSERT_EQ(lines.size(), static_cast<int>(trend->samples().size()) + 2);  // header, last newline
  EXPECT_EQ(lines[0], "time,time_ms,loop_current_ma,pv,pv_unit_code,pv_unit,percent_of_range");
  EXPECT_EQ(lines[1].split(',').size(), 7);

  path = dir.filePath(QStringLiteral("trend.png"));
  trend->pictureButton()->click();
  const QImage picture(path);
  EXPECT_EQ(picture.size(), trend->chart()->size());

  const std::size_t sent = recorder.sent.size();
  trend->pauseButton()->click();
  EXPECT_TRUE(session->samplingActive());
  ASSERT_TRUE(waitForSamples(atSample.size() + 1));
  EXPECT_EQ(recorder.sent[sent].command, 0);
}

}  // namespace
}  // namespace vantrel::testing
