// The main window on a plant laptop's 1366 x 768 screen (the test platform's):
// it fits, status bar and monitor included, and no page is cut; on a larger
// screen it is laid out at its template size, as it always was.
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>

#include "app/CommMonitor.h"
#include "tabs/DialogUnits.h"
#include "tests/gui/GuiHarness.h"

namespace vantrel::testing {
namespace {

using GuiLayout = GuiTest;

QRect Screen() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST_F(GuiLayout, TheWindowFitsALaptopScreenWithAndWithoutTheMonitor) {
  ASSERT_EQ(Screen().size(), QSize(1366, 768));
  QCoreApplication::processEvents();
  EXPECT_TRUE(Screen().contains(frame->frameGeometry())) << frame->frameGeometry().height();
  // The status bar is inside the window, and the form is shown whole.
  EXPECT_TRUE(frame->statusBar()->isVisible());
  EXPECT_LE(frame->statusBar()->geometry().bottom(), frame->height() - 1);
  auto* scroll = qobject_cast<QScrollArea*>(frame->centralWidget());
  ASSERT_NE(scroll, nullptr);
  EXPECT_GE(scroll->viewport()->height(), view->height());
  EXPECT_GE(scroll->viewport()->width(), view->width());
  EXPECT_LT(FormScale(), 1.0);

  // The monitor: no room below the window, so a window of its own, on the
  // screen; the main window stays as it was.
  const QRect before = frame->frameGeometry();
  frame->commMonitor()->toggleViewAction()->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->commMonitor()->isVisible(); }, 5000));
  QCoreApplication::processEvents();
  EXPECT_TRUE(frame->commMonitor()->isFloating());
  const QRect monitor = frame->commMonitor()->frameGeometry();
  EXPECT_TRUE(Screen().contains(monitor)) << monitor.y() << " + " << monitor.height();
  EXPECT_EQ(frame->frameGeometry(), before);
  EXPECT_GE(scroll->viewport()->height(), view->height());
}

// Each page's visible group boxes lie inside the page area of the tab
// control: nothing is cut at the bottom or the right.
TEST_F(GuiLayout, NoGroupBoxExtendsBeyondThePageArea) {
  QTabWidget* tabs = view->tabControl();
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    QCoreApplication::processEvents();
    QWidget* page = tabs->currentWidget();
    const QRect area(QPoint(0, 0), page->size());
    for (QGroupBox* group : page->findChildren<QGroupBox*>()) {
      if (!group->isVisibleTo(page)) continue;
      EXPECT_TRUE(area.contains(group->geometry()))
          << "page " << i << ": " << group->title().toStdString() << " bottom "
          << group->geometry().bottom() << " of " << area.bottom();
    }
  }
}

// On a desktop screen the form keeps its template size and the docked
// monitor makes the window taller.
TEST_F(GuiLayout, ALargerScreenKeepsTheTemplateSize) {
  frame.reset();
  const QRect desktop(0, 0, 1920, 1200);
  frame = std::make_unique<CMainFrame>(*session, nullptr, desktop);
  view = frame->view();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  EXPECT_EQ(FormScale(), 1.0);
  EXPECT_EQ(view->font().pointSizeF(), kFormPointSize);
  const int height = frame->height();
  frame->commMonitor()->toggleViewAction()->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->commMonitor()->isVisible(); }, 5000));
  EXPECT_FALSE(frame->commMonitor()->isFloating());
  EXPECT_GT(frame->height(), height);
  EXPECT_TRUE(desktop.contains(frame->frameGeometry()));
}

}  // namespace
}  // namespace vantrel::testing
