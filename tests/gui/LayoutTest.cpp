// The main window on a plant laptop's 1366 x 768 screen (the test platform's):
// it fits, status bar and monitor included, and no page is cut; on a larger
// screen it is laid out at its template size, as it always was.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>

#include "app/CAboutDlg.h"
#include "app/CComDialog.h"
#include "app/CDialogConfirm.h"
#include "app/CommMonitor.h"
#include "i18n/Language.h"
#include "link/HartCommands.h"
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

// With fresh settings on the laptop, the monitor opened beside a window of
// its template size and beside a maximised one: every control of each page
// stays in sight (inside the scroll area's view, under no monitor), and the
// status bar keeps the height of its text.
void ForgetTheMonitor() {
  for (const char* key : {CMainFrame::kMonitorFloatingKey, CMainFrame::kMonitorGeometryKey}) {
    QSettings().remove(QLatin1String(key));
  }
}

TEST_F(GuiLayout, WithTheMonitorOpenEveryControlOfThePagesStaysInSight) {
  struct Forget {
    ~Forget() { ForgetTheMonitor(); }
  } forget;
  for (const bool maximized : {false, true}) {
    SCOPED_TRACE(maximized ? "maximised" : "as laid out");
    ForgetTheMonitor();
    frame.reset();
    frame = std::make_unique<CMainFrame>(*session);
    view = frame->view();
    if (maximized) {
      frame->showMaximized();
    } else {
      frame->show();
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    CommMonitor* monitor = frame->commMonitor();
    monitor->toggleViewAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return monitor->isVisible(); }, 5000));
    QCoreApplication::processEvents();
    const QRect covered = monitor->isFloating()
                              ? monitor->frameGeometry()
                              : QRect(monitor->mapToGlobal(QPoint(0, 0)), monitor->size());
    auto* scroll = qobject_cast<QScrollArea*>(frame->centralWidget());
    const QRect shown(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
    QTabWidget* tabs = view->tabControl();
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      QCoreApplication::processEvents();
      for (QWidget* control : tabs->currentWidget()->findChildren<QWidget*>()) {
        if (!control->isVisible() || qobject_cast<QGroupBox*>(control)) continue;
        const QRect at(control->mapToGlobal(QPoint(0, 0)), control->size());
        EXPECT_TRUE(shown.contains(at)) << i << " " << control->objectName().toStdString();
        EXPECT_FALSE(covered.intersects(at)) << i << " " << control->objectName().toStdString();
      }
    }
    EXPECT_GE(frame->statusBar()->height(), frame->statusPane()->fontMetrics().height());
    EXPECT_TRUE(Screen().contains(monitor->frameGeometry()));
    monitor->toggleViewAction()->trigger();
  }
}

// The dock's float button takes the monitor out of a docked window at the
// first click, and puts it where it covers nothing of the window.
TEST_F(GuiLayout, TheFloatButtonMovesTheMonitorOutAtOnce) {
  struct Forget {
    ~Forget() { ForgetTheMonitor(); }
  } forget;
  QSettings().setValue(QLatin1String(CMainFrame::kMonitorFloatingKey), false);
  frame.reset();
  frame = std::make_unique<CMainFrame>(*session, nullptr, QRect(0, 0, 1920, 1200));
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  CommMonitor* monitor = frame->commMonitor();
  monitor->toggleViewAction()->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return monitor->isVisible(); }, 5000));
  ASSERT_FALSE(monitor->isFloating());
  auto* button = monitor->findChild<QAbstractButton*>(QStringLiteral("qt_dockwidget_floatbutton"));
  ASSERT_NE(button, nullptr);
  button->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return monitor->isFloating() &&
               !monitor->frameGeometry().intersects(frame->frameGeometry());
      },
      5000));
  EXPECT_TRUE(QSettings().value(QLatin1String(CMainFrame::kMonitorFloatingKey)).toBool());
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

// A frame made in one language, the tests' Chinese brought back after it.
class GuiLanguage : public GuiTest, public ::testing::WithParamInterface<UiLanguage> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UseLanguage(GetParam()));
    GuiTest::SetUp();
  }
  void TearDown() override {
    GuiTest::TearDown();
    UseLanguage(UiLanguage::Chinese);
  }
};

QString Plain(QString text) {
  return text.remove(QLatin1Char('&'));
}

// What of a control's text does not fit it, in pixels (0: it fits).
int CutOff(QWidget* widget) {
  const QFontMetrics metrics = widget->fontMetrics();
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    if (label->text().isEmpty() || !label->pixmap().isNull()) return 0;
    if (label->wordWrap()) {
      // A line that does not fit is missing whole; a pixel or two of the
      // last line's spacing is not.
      const int missing = label->heightForWidth(label->width()) - label->height();
      return missing > metrics.height() / 2 ? missing : 0;
    }
    const int advance = metrics.horizontalAdvance(label->text());
    int cut = std::max(0, advance - label->contentsRect().width());
    // A label may be wider than its text and lie under the control beside
    // it: the text itself must stay clear of that control, with a little
    // room between them.
    constexpr int kGap = 3;
    QRect text = label->geometry();
    if (label->alignment() & Qt::AlignRight)
      text.setLeft(text.right() - advance);
    else if (!(label->alignment() & Qt::AlignHCenter))
      text.setWidth(advance);
    text.adjust(0, 0, kGap, 0);
    for (QWidget* other :
         label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (other == label || !other->isVisible() || qobject_cast<QGroupBox*>(other)) continue;
      cut = std::max(cut, text.intersected(other->geometry()).width());
    }
    return cut;
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    return std::max(0, metrics.horizontalAdvance(Plain(group->title())) + 8 - group->width());
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    // Check boxes and radio buttons give part of their width to the mark.
    QStyleOptionButton option;
    option.initFrom(button);
    int room = button->width() - 8;
    if (qobject_cast<QCheckBox*>(button)) {
      room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
    } else if (qobject_cast<QRadioButton*>(button)) {
      room =
          button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width();
    }
    return std::max(0, metrics.horizontalAdvance(Plain(button->text())) - room);
  }
  return 0;
}

// Every label, button and group title of the pages shows its whole text, in
// both languages: a translation that is too long for its place is cut.
void ExpectEveryTextFits(QWidget* window, const std::string& where) {
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    EXPECT_EQ(CutOff(widget), 0) << where << ": " << widget->objectName().toStdString();
  }
}

TEST_P(GuiLanguage, EveryTextOfThePagesAndDialogsFitsItsControl) {
  QTabWidget* tabs = view->tabControl();
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    QCoreApplication::processEvents();
    ExpectEveryTextFits(view, "page " + std::to_string(i));
  }
  CDialogConfirm confirm(frame.get());
  CAboutDlg about(frame.get());
  for (QDialog* dialog : {static_cast<QDialog*>(view->comDialog()), static_cast<QDialog*>(&confirm),
                          static_cast<QDialog*>(&about)}) {
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    ExpectEveryTextFits(dialog, dialog->metaObject()->className());
    dialog->hide();
  }
}

// The window's own texts, a core text in the status bar and a message box:
// all in the language chosen (the link's message passes through the session).
TEST_P(GuiLanguage, TheWindowSpeaksTheLanguageChosen) {
  const bool english = GetParam() == UiLanguage::English;
  EXPECT_EQ(frame->windowTitle(), english ? "HART Configurator" : "HART调试工具");
  QStringList menus;
  for (QAction* action : frame->menuBar()->actions()) menus << action->text();
  const QStringList expected = english ? QStringList{"&Program", "&Operation", "&Help"}
                                       : QStringList{"程序(&P)", "操作(&O)", "帮助(&H)"};
  EXPECT_EQ(menus, expected);
  EXPECT_EQ(view->tabControl()->tabText(1), english ? "Configuration" : "组态设置");
  EXPECT_EQ(status(), english ? "Not connected" : "未连接");
  EXPECT_EQ(frame->findChild<QAction*>(QStringLiteral("stopCommAction"))->text(),
            english ? "Stop commu&nication" : "停止通信(&K)");
  emit view->deviceStatusChanged(kLoopCurrentFixed);
  EXPECT_EQ(frame->findChild<QLabel*>(QStringLiteral("deviceStatusPane"))->text(),
            english ? "Loop current fixed" : "回路电流固定");
  // A communication test with no port open: the link's own message.
  frame->findChild<QAction*>(QStringLiteral("commTestAction"))->trigger();
  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), english ? "HART port not open!" : "HART端口未打开！");
  EXPECT_EQ(box->windowTitle(), english ? "HART Configurator" : "HART调试工具");
}

INSTANTIATE_TEST_SUITE_P(Languages, GuiLanguage,
                         ::testing::Values(UiLanguage::Chinese, UiLanguage::English),
                         [](const ::testing::TestParamInfo<UiLanguage>& info) {
                           return info.param == UiLanguage::English ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace vantrel::testing
