// 操作 → 校验…: a loop check through three points with the readings typed,
// each error shown as it comes, the loop released and the record kept; and
// a check cancelled in the middle, the loop released, nothing kept.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

#include "app/CMainFrame.h"
#include "app/CVantrelView.h"
#include "app/CheckDialog.h"
#include "app/TeamPush.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

class GuiCheck : public GuiTest {
 protected:
  CheckDialog* open() {
    frame->findChild<QAction*>(QStringLiteral("checkAction"))->trigger();
    auto* dialog = frame->findChild<CheckDialog*>(QStringLiteral("checkDialog"));
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return nullptr;
    dialog->setStorePath(dir.filePath(QStringLiteral("records.sqlite")));
    dialog->setSettleMs(0);
    return dialog;
  }

  // The currents command 40 was sent, in order.
  std::vector<float> fixedCurrents() const {
    std::vector<float> currents;
    for (const SentRequest& request : recorder.withCommand(40)) {
      currents.push_back(request.floatAt(0));
    }
    return currents;
  }

  static bool WaitForReading(CheckDialog* dialog) {
    return QTest::qWaitFor([dialog] { return dialog->readingEdit()->isEnabled(); }, kReplyWaitMs);
  }

  QTemporaryDir dir;
};

TEST_F(GuiCheck, ALoopCheckThroughThreePointsWithTypedReadings) {
  connectTo({0});
  CheckDialog* dialog = open();
  ASSERT_NE(dialog, nullptr);
  dialog->pointsEdit()->setText(QStringLiteral("4,12,20"));
  dialog->startButton()->click();
  const struct {
    const char* reading;
    const char* error;
    const char* verdict;
  } points[] = {
      {"4.003", "0.019", "合格"}, {"12.08", "0.500", "不合格"}, {"19.992", "-0.050", "合格"}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(points[i].reading);
    ASSERT_TRUE(WaitForReading(dialog));
    dialog->readingEdit()->setText(QString::fromLatin1(points[i].reading));
    dialog->nextButton()->click();
    ASSERT_EQ(dialog->table()->rowCount(), i + 1);
    EXPECT_EQ(dialog->table()->item(i, 3)->text(), QString::fromLatin1(points[i].error));
    EXPECT_EQ(dialog->table()->item(i, 4)->text(), QString::fromUtf8(points[i].verdict));
  }
  ASSERT_TRUE(QTest::qWaitFor([dialog] { return !dialog->running(); }, kReplyWaitMs));
  EXPECT_EQ(fixedCurrents(), (std::vector<float>{4.0f, 12.0f, 20.0f, 0.0f}));
  ASSERT_TRUE(dialog->record().has_value()) << dialog->note()->text().toStdString();
  EXPECT_FALSE(dialog->record()->pass);
  EXPECT_EQ(dialog->record()->points.size(), 3u);
  EXPECT_TRUE(dialog->note()->text().contains(dialog->record()->uuid));

  RecordStore store;
  QString error;
  ASSERT_TRUE(store.open(dir.filePath(QStringLiteral("records.sqlite")), &error))
      << error.toStdString();
  const std::optional<CheckRecord> kept = store.check(dialog->record()->uuid);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->tag, QStringLiteral("PT-00"));
  EXPECT_EQ(kept->stage, QStringLiteral("as-found"));

  // 证书…: the record's certificate as PDF, its points as CSV beside it.
  ASSERT_TRUE(dialog->certificateButton()->isEnabled());
  const QString pdf = dir.filePath(QStringLiteral("certificate.pdf"));
  dialog->setFileChooser(
      [pdf](QWidget*, const QString&, std::function<void(const QString&)> chosen) { chosen(pdf); });
  dialog->certificateButton()->click();
  EXPECT_TRUE(dialog->note()->text().contains(QStringLiteral("certificate.pdf")))
      << dialog->note()->text().toStdString();
  QFile head(pdf);
  ASSERT_TRUE(head.open(QIODevice::ReadOnly));
  EXPECT_TRUE(head.read(5) == "%PDF-");
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("certificate.csv"))));
}

// Cancelled while the second point waits for its reading: the loop is
// released before the dialog goes, and nothing is kept.
TEST_F(GuiCheck, CancellingReleasesTheLoop) {
  connectTo({0});
  CheckDialog* dialog = open();
  ASSERT_NE(dialog, nullptr);
  dialog->pointsEdit()->setText(QStringLiteral("4,12,20"));
  dialog->startButton()->click();
  ASSERT_TRUE(WaitForReading(dialog));
  dialog->readingEdit()->setText(QStringLiteral("4.0"));
  dialog->nextButton()->click();
  ASSERT_TRUE(WaitForReading(dialog));
  QPointer<CheckDialog> guard(dialog);
  dialog->cancelButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !guard || !guard->isVisible(); }, kReplyWaitMs));
  EXPECT_EQ(fixedCurrents(), (std::vector<float>{4.0f, 12.0f, 0.0f}));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("records.sqlite"))) && guard &&
               guard->record().has_value());
}

// Points outside the loop's currents and a tolerance not above 0 are refused
// before anything is sent.
TEST_F(GuiCheck, BadPointsAndTolerancesSendNothing) {
  connectTo({0});
  CheckDialog* dialog = open();
  ASSERT_NE(dialog, nullptr);
  auto* tolerance = dialog->findChild<QLineEdit*>(QStringLiteral("checkTolerance"));
  ASSERT_NE(tolerance, nullptr);
  const struct {
    const char* points;
    const char* tolerance;
    const char* due;
    const char* said;
  } rows[] = {{"4,abc", "0.25", "", "校验点应为以逗号分隔的数字"},
              {"2,20", "0.25", "", "校验点 2.000 超出 3.5 到 23.0"},
              {"4,20", "0", "", "允差应为大于 0 的数字"},
              {"4,20", "0.25", "2027-13-01", "标准器证书有效期应为 YYYY-MM-DD"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.points);
    dialog->pointsEdit()->setText(QString::fromLatin1(row.points));
    tolerance->setText(QString::fromLatin1(row.tolerance));
    dialog->referenceDueEdit()->setText(QString::fromLatin1(row.due));
    dialog->startButton()->click();
    QMessageBox* box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8(row.said));
    CloseMessageBox(box);
    EXPECT_FALSE(dialog->running());
  }
  EXPECT_TRUE(recorder.sent.empty());
}

// A team database that cannot be reached: the write is kept on this
// computer, said once beside the status, and the window goes on.
TEST_F(GuiCheck, AnUnreachableTeamDatabaseIsSaidOnce) {
  QSettings().setValue(QLatin1String(TeamPush::kAddressKey),
                       QStringLiteral("postgresql://nobody@%2Fnonexistent/vantrel"));
  int pushes = 0;
  QObject::connect(view->teamPush(), &TeamPush::pushed, view, [&](int copied, const QString&) {
    EXPECT_EQ(copied, -1);
    ++pushes;
  });
  connectTo({0});
  view->teamPush()->push();
  ASSERT_TRUE(QTest::qWaitFor([&] { return pushes >= 1; }, kReplyWaitMs));
  EXPECT_EQ(frame->reasonPane()->text(), QString::fromUtf8("团队数据库不可用，记录保存在本机"));
  frame->reasonPane()->clear();
  view->teamPush()->push();
  ASSERT_TRUE(QTest::qWaitFor([&] { return pushes >= 2; }, kReplyWaitMs));
  EXPECT_EQ(frame->reasonPane()->text(), QString());
  QSettings().remove(QLatin1String(TeamPush::kAddressKey));
}

}  // namespace
}  // namespace vantrel::testing
