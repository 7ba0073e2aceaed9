// The communication monitor and the device status beside the status line:
// opening and closing the monitor, the rows a read leaves in it, saving and
// clearing the log, its size limit, following the newest row, dropped frames,
// and the device status of the last reply.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include "app/CommMonitor.h"
#include "engine/FrameDecoder.h"
#include "tests/gui/GuiHarness.h"
#include "tests/support/ManualClock.h"

namespace vantrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Col = FrameLogModel::Column;

// Delimiter through check byte, the check byte computed.
Bytes Frame(std::uint8_t delimiter, Bytes address, std::uint8_t command, Bytes data) {
  Bytes frame{delimiter};
  frame.insert(frame.end(), address.begin(), address.end());
  frame.push_back(command);
  frame.push_back(static_cast<std::uint8_t>(data.size()));
  frame.insert(frame.end(), data.begin(), data.end());
  frame.push_back(CheckByte(frame.data(), frame.size()));
  return frame;
}

Bytes WithPreambles(const Bytes& frame) {
  Bytes line(5, kPreambleByte);
  line.insert(line.end(), frame.begin(), frame.end());
  return line;
}

// A reply of the device at polling address 0 to the primary master.
Bytes Reply(std::uint8_t command, std::uint8_t responseCode, std::uint8_t status,
            std::uint8_t delimiter = kAckShort) {
  return Frame(delimiter, {0x80}, command, {responseCode, status});
}

class GuiMonitor : public GuiTest {
 protected:
  // A desktop screen, with room for the docked monitor below the form (the
  // laptop's is in LayoutTest.cpp).
  std::optional<QRect> screenArea() const override { return QRect(0, 0, 1920, 1200); }

  CommMonitor* monitor() const { return frame->commMonitor(); }
  FrameLogModel* model() const { return monitor()->model(); }
  QAction* monitorAction() const {
    return frame->findChild<QAction*>(QStringLiteral("actionCommMonitor"));
  }
  QLabel* deviceStatusPane() const {
    return frame->findChild<QLabel*>(QStringLiteral("deviceStatusPane"));
  }

  void openMonitor() {
    ASSERT_NE(monitorAction(), nullptr);
    if (!monitorAction()->isChecked()) monitorAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return monitor()->isVisible(); }, 5000));
  }

  QString cell(int row, int column) const {
    return model()->data(model()->index(row, column)).toString();
  }

  // The rows whose direction and command columns read as given.
  std::vector<int> rowsWith(const QString& direction, const QString& command) const {
    std::vector<int> rows;
    for (int row = 0; row < model()->rowCount(); ++row) {
      if (cell(row, Col::kDirectionColumn) == direction &&
          cell(row, Col::kCommandColumn) == command) {
        rows.push_back(row);
      }
    }
    return rows;
  }

  // Puts `bytes` on the line as if the port had delivered them, each call
  // after a line silence.
  void receive(const Bytes& bytes) {
    at_ += 100;
    session->linkCore().receiveBytes(bytes.data(), bytes.size(), at_);
  }
  void silence() {
    at_ += 100;
    session->linkCore().handleDeadline(at_);
  }

 private:
  TimeMs at_ = 1'000'000;
};

TEST_F(GuiMonitor, HiddenAtStartAndToggledByItsMenuItem) {
  ASSERT_NE(monitor(), nullptr);
  EXPECT_EQ(monitor()->objectName(), QStringLiteral("commMonitor"));
  EXPECT_FALSE(monitor()->isVisible());
  EXPECT_EQ(frame->dockWidgetArea(monitor()), Qt::BottomDockWidgetArea);

  // Behind a separator after 停止通信 (the range search, the device status,
  // the trend, the check and the team database follow it).
  const QList<QAction*> operation = frame->menuBar()->actions()[1]->menu()->actions();
  ASSERT_EQ(operation.size(), 14);
  EXPECT_EQ(operation[5]->text(), QStringLiteral("停止通信(&K)"));
  EXPECT_TRUE(operation[6]->isSeparator());
  QAction* action = operation[7];
  EXPECT_EQ(action, monitorAction());
  EXPECT_EQ(action->text(), QStringLiteral("通信监视(&M)"));
  EXPECT_TRUE(action->isCheckable());
  EXPECT_TRUE(action->isEnabled());
  EXPECT_FALSE(action->isChecked());

  const int height = frame->height();
  for (int round = 0; round < 2; ++round) {
    action->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return monitor()->isVisible(); }, 5000)) << round;
    EXPECT_TRUE(action->isChecked());
    // The window grew by the monitor: the form is still shown whole.
    auto* scroll = qobject_cast<QScrollArea*>(frame->centralWidget());
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          return scroll->viewport()->height() >= view->height() &&
                 scroll->viewport()->width() >= view->width();
        },
        5000))
        << scroll->viewport()->height() << " < " << view->height() << ", "
        << scroll->viewport()->width() << " < " << view->width();
    EXPECT_GT(frame->height(), height);

    action->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !monitor()->isVisible(); }, 5000)) << round;
    EXPECT_FALSE(action->isChecked());
    EXPECT_EQ(frame->height(), height);
  }

  // Its close button unchecks the item.
  openMonitor();
  monitor()->close();
  EXPECT_FALSE(monitor()->isVisible());
  EXPECT_FALSE(action->isChecked());
  EXPECT_EQ(frame->height(), height);
}

TEST_F(GuiMonitor, ColumnsAndButtons) {
  const char* const titles[] = {"时间(ms)", "方向",   "类型",     "地址", "命令",
                                "字节数",   "响应码", "设备状态", "数据", "原始字节"};
  ASSERT_EQ(model()->columnCount(), static_cast<int>(std::size(titles)));
  for (int column = 0; column < model()->columnCount(); ++column) {
    EXPECT_EQ(model()->headerData(column, Qt::Horizontal).toString(),
              QString::fromUtf8(titles[column]));
  }
  EXPECT_EQ(monitor()->table()->model(), model());
  EXPECT_EQ(monitor()->clearButton()->text(), QStringLiteral("清除"));
  EXPECT_EQ(monitor()->saveButton()->text(), QStringLiteral("保存…"));
  EXPECT_EQ(monitor()->windowTitle(), QStringLiteral("通信监视"));
}

// A read of the current variables: command 0 to learn the long address, then
// command 3, each request followed by its reply; recorded from the start
// while the monitor was still hidden.
TEST_F(GuiMonitor, ReadShowsItsRequestsAndRepliesDecoded) {
  connectTo({0});
  runOk("readCurrentButton", OP_READ_CURRENT);
  EXPECT_FALSE(monitor()->isVisible());
  openMonitor();

  const QString identify = QStringLiteral("0 读唯一标识符");
  const QString current = QStringLiteral("3 读电流和动态变量");
  const struct {
    const char* direction;
    const QString& command;
    const char* kind;
    const char* response;
  } cases[] = {
      {"发送", identify, "请求", ""},
      {"接收", identify, "应答", "0 成功"},
      {"发送", current, "请求", ""},
      {"接收", current, "应答", "0 成功"},
  };
  int previous = -1;
  for (const auto& c : cases) {
    const std::vector<int> rows = rowsWith(QString::fromUtf8(c.direction), c.command);
    ASSERT_EQ(rows.size(), 1u) << c.direction << " " << c.command.toStdString();
    const int row = rows[0];
    EXPECT_GT(row, previous) << "in line order";
    previous = row;
    EXPECT_EQ(cell(row, Col::kKindColumn), QString::fromUtf8(c.kind));
    EXPECT_EQ(cell(row, Col::kResponseColumn), QString::fromUtf8(c.response));
    EXPECT_FALSE(model()->frame(row).dropped);
    bool ok = false;
    EXPECT_GE(cell(row, Col::kTimeColumn).toLongLong(&ok), 0);
    EXPECT_TRUE(ok);
  }
  EXPECT_EQ(model()->rowCount(), 4);

  // Command 0 goes to polling address 0 from the primary master.
  const int request = rowsWith(QStringLiteral("发送"), identify)[0];
  EXPECT_EQ(cell(request, Col::kAddressColumn), QStringLiteral("0"));
  EXPECT_EQ(cell(request, Col::kByteCountColumn), QStringLiteral("0"));
  EXPECT_EQ(cell(request, Col::kRawColumn), QStringLiteral("02 80 00 00 82"));
  EXPECT_EQ(cell(request, Col::kStatusColumn), QString());
  // Command 3 goes to the long address that the reply to command 0 gave.
  const int reply = rowsWith(QStringLiteral("接收"), identify)[0];
  EXPECT_EQ(cell(reply, Col::kStatusColumn), QStringLiteral("00"));
  const int read = rowsWith(QStringLiteral("发送"), current)[0];
  EXPECT_EQ(model()->frame(read).raw.front(), kStxLong);
  EXPECT_EQ(cell(read, Col::kAddressColumn).split(QLatin1Char(' ')).size(), 5);
  // The tests' recorder, on the line beside the monitor, saw the same request.
  const std::vector<SentRequest> sent = recorder.withCommand(3);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(model()->frame(read).raw, Frame(kStxLong, sent[0].address, 3, {}));
}

TEST_F(GuiMonitor, SaveWritesOneLinePerFrameToTheChosenFile) {
  connectTo({0});
  runOk("readCurrentButton", OP_READ_CURRENT);
  openMonitor();
  ASSERT_EQ(model()->rowCount(), 4);

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("通信记录.txt"));
  int asked = 0;
  QString suggested;
  monitor()->setFileChooser([&](QWidget* parent, const QString& name, auto chosen) {
    ++asked;
    suggested = name;
    EXPECT_EQ(parent, monitor());
    chosen(path);
  });
  monitor()->saveButton()->click();
  ASSERT_EQ(asked, 1);
  EXPECT_TRUE(suggested.endsWith(QStringLiteral(".txt"))) << suggested.toStdString();

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines =
      QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(lines[row], QString::fromStdString(FormatFrameLine(model()->frame(row))));
  }
  EXPECT_TRUE(lines[0].contains(QStringLiteral("发送 请求(短地址 0) 命令 0 读唯一标识符")));
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("| 02 80 00 00 82")));
  EXPECT_TRUE(lines[3].contains(QStringLiteral("接收 应答(长地址 ")));
  EXPECT_TRUE(lines[3].contains(QStringLiteral("命令 3 读电流和动态变量")));
  EXPECT_TRUE(lines[3].contains(QStringLiteral("| 成功")));
  file.close();

  // A choice cancelled writes nothing; a file that cannot be written says so.
  ASSERT_TRUE(QFile::remove(path));
  monitor()->setFileChooser([](QWidget*, const QString&, auto) {});
  monitor()->saveButton()->click();
  EXPECT_FALSE(QFile::exists(path));
  monitor()->setFileChooser(
      [&](QWidget*, const QString&, auto chosen) { chosen(dir.filePath("no/such/dir/x.txt")); });
  monitor()->saveButton()->click();
  QMessageBox* box = WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->text().startsWith(QStringLiteral("无法保存通信记录：")))
      << box->text().toStdString();
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  CloseMessageBox(box);
}

// A file dialog starts in a folder that exists: the documents folder, the
// home folder without one, and once a file was chosen, that file's folder
// (per kind of file) while it is there; the monitor says where it saved.
TEST_F(GuiMonitor, FileDialogsStartInAFolderThatExistsAndRememberTheLast) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  const QByteArray wasHome = qgetenv("HOME");
  const QByteArray wasConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
  for (const char* kind : {"txt", "json"})
    QSettings().remove(QStringLiteral("files/lastFolder/") + kind);
  QString suggested;
  QString answer;
  auto chooser = [&](QWidget*, const QString& start, auto chosen) {
    suggested = start;
    if (!answer.isEmpty()) chosen(answer);
  };
  monitor()->setFileChooser(chooser);
  view->setFileChooser(chooser);
  auto folderOf = [](const QString& path) { return QFileInfo(path).absolutePath(); };

  monitor()->saveButton()->click();  // no Documents: the home folder
  EXPECT_EQ(folderOf(suggested), home.path());
  EXPECT_TRUE(QFileInfo(suggested).fileName().startsWith(QStringLiteral("通信记录_")));
  view->loadConfiguration();
  EXPECT_EQ(suggested, home.path());

  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Documents/logs")));
  const QString documents = home.filePath(QStringLiteral("Documents"));
  monitor()->saveButton()->click();
  EXPECT_EQ(folderOf(suggested), documents);

  answer = home.filePath(QStringLiteral("Documents/logs/monitor.txt"));
  monitor()->saveButton()->click();
  EXPECT_EQ(monitor()->savedNote()->text(),
            QStringLiteral("已保存到 ") + QDir::toNativeSeparators(answer));
  answer.clear();
  monitor()->saveButton()->click();  // the folder last chosen, for this kind only
  EXPECT_EQ(folderOf(suggested), home.filePath(QStringLiteral("Documents/logs")));
  view->loadConfiguration();
  EXPECT_EQ(suggested, documents);
  ASSERT_TRUE(QDir(home.filePath(QStringLiteral("Documents/logs"))).removeRecursively());
  monitor()->saveButton()->click();  // gone: the documents folder again
  EXPECT_EQ(folderOf(suggested), documents);

  qputenv("HOME", wasHome);
  if (wasConfig.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", wasConfig);
  }
}

// The HART-IP header a frame came in is shown whole in the type column.
TEST_F(GuiMonitor, TheTypeColumnShowsATransportHeaderWhole) {
  openMonitor();
  const std::string header = "HART-IP 请求 令牌传递PDU 状态 0 序号 17";
  monitor()->transportMessage(true, header, Bytes(8, 0), true);
  monitor()->frameSent(Frame(0x02, {0x80}, 0, {}));
  ASSERT_EQ(model()->rowCount(), 1);
  const QString kind = cell(0, Col::kKindColumn);
  EXPECT_TRUE(kind.contains(QString::fromStdString(header))) << kind.toStdString();
  EXPECT_GE(monitor()->table()->columnWidth(Col::kKindColumn),
            monitor()->table()->fontMetrics().horizontalAdvance(kind));
}

TEST_F(GuiMonitor, ClearEmptiesTheListWhichThenGoesOn) {
  connectTo({0});
  runOk("readCurrentButton", OP_READ_CURRENT);
  openMonitor();
  ASSERT_EQ(model()->rowCount(), 4);
  monitor()->clearButton()->click();
  EXPECT_EQ(model()->rowCount(), 0);
  EXPECT_EQ(model()->logText(), QByteArray());

  runOk("readCurrentButton", OP_READ_CURRENT);
  EXPECT_EQ(model()->rowCount(), 4);
  EXPECT_EQ(cell(0, Col::kCommandColumn), QStringLiteral("0 读唯一标识符"));
}

// Frames that the receiver dropped are listed, marked with the reason.
TEST_F(GuiMonitor, DroppedFramesAreShownAsDropped) {
  openMonitor();
  Bytes badCheck = Reply(3, 0, 0);
  badCheck.back() ^= 0x01;
  const Bytes cutShort = {kAckShort, 0x80, 0x03, 0x04, 0x00};
  const Bytes noStatus = Frame(kAckShort, {0x80}, 3, {0x00});
  const struct {
    const char* name;
    Bytes line;
    bool thenSilence;
    const char* kind;
    Bytes raw;
  } cases[] = {
      {"check byte", WithPreambles(badCheck), false, "应答 [丢弃：校验字节错误]", badCheck},
      {"silence", WithPreambles(cutShort), true, "应答 [丢弃：线路静默，帧不完整]", cutShort},
      {"too short", WithPreambles(noStatus), false, "应答 [丢弃：应答缺少状态字节]", noStatus},
  };
  for (const auto& c : cases) {
    monitor()->clear();
    receive(c.line);
    if (c.thenSilence) silence();
    ASSERT_EQ(model()->rowCount(), 1) << c.name;
    EXPECT_TRUE(model()->frame(0).dropped) << c.name;
    EXPECT_EQ(cell(0, Col::kDirectionColumn), QStringLiteral("接收")) << c.name;
    EXPECT_EQ(cell(0, Col::kKindColumn), QString::fromUtf8(c.kind)) << c.name;
    EXPECT_EQ(cell(0, Col::kCommandColumn), QStringLiteral("3 读电流和动态变量")) << c.name;
    EXPECT_EQ(model()->frame(0).raw, c.raw) << c.name;
    EXPECT_EQ(cell(0, Col::kRawColumn), QString::fromStdString(HexBytes(c.raw))) << c.name;
    // Painted apart from the frames that were taken.
    EXPECT_TRUE(model()->data(model()->index(0, 0), Qt::ForegroundRole).isValid()) << c.name;
  }
  // A good frame after them is not marked.
  monitor()->clear();
  receive(WithPreambles(Reply(3, 0, 0)));
  ASSERT_EQ(model()->rowCount(), 1);
  EXPECT_FALSE(model()->frame(0).dropped);
  EXPECT_EQ(cell(0, Col::kKindColumn), QStringLiteral("应答"));
}

// The limit, with frames fed straight to a monitor of its own: at most 10 000
// rows, the oldest going a thousand at a time.
TEST(GuiMonitorLimit, KeepsTheLastTenThousandFrames) {
  ManualClock clock;
  clock.now = 5000;
  CommMonitor monitor(clock);
  FrameLogModel* model = monitor.model();
  QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
  const Bytes request = WithPreambles(Frame(kStxShort, {0x80}, 3, {}));

  const struct {
    int total;     // frames fed so far
    int rows;      // rows kept
    TimeMs first;  // time of the oldest row kept
    int removals;  // blocks removed so far
  } cases[] = {
      {1, 1, 0, 0},
      {9999, 9999, 0, 0},
      {10000, 10000, 0, 0},
      {10001, 9001, 1000, 1},
      {11000, 10000, 1000, 1},
      {11001, 9001, 2000, 2},
      {25000, 10000, 15000, 15},
  };
  int fed = 0;
  int most = 0;
  for (const auto& c : cases) {
    for (; fed < c.total; ++fed) {
      clock.now = 5000 + fed;  // frame i at i ms
      monitor.frameSent(request);
      most = std::max(most, model->rowCount());
    }
    EXPECT_EQ(model->rowCount(), c.rows) << c.total;
    EXPECT_EQ(model->frame(0).timeMs, c.first) << c.total;
    EXPECT_EQ(model->frame(model->rowCount() - 1).timeMs, c.total - 1) << c.total;
    EXPECT_EQ(removed.size(), c.removals) << c.total;
  }
  EXPECT_EQ(most, FrameLogModel::kMaxFrames);
  for (const QList<QVariant>& block : removed) {
    EXPECT_EQ(block.at(1).toInt(), 0);
    EXPECT_EQ(block.at(2).toInt(), FrameLogModel::kDropBlock - 1);
  }
  EXPECT_EQ(model->logText().count('\n'), 10000);
}

TEST_F(GuiMonitor, FollowsTheNewestRowUnlessScrolledUp) {
  QTableView* table = monitor()->table();
  QScrollBar* bar = table->verticalScrollBar();
  const Bytes request = WithPreambles(Frame(kStxShort, {0x80}, 3, {}));
  auto feed = [&](int count) {
    for (int i = 0; i < count; ++i) monitor()->frameSent(request);
  };
  auto lastRowShown = [&] {
    const QRect last = table->visualRect(model()->index(model()->rowCount() - 1, 0));
    return table->viewport()->rect().contains(last);
  };

  // Frames that came while it was hidden: opening it shows the newest.
  feed(300);
  openMonitor();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }, 5000));
  EXPECT_TRUE(monitor()->followsEnd());
  EXPECT_TRUE(lastRowShown());

  // The user scrolls up: new rows leave the view where it is.
  bar->setValue(20);
  EXPECT_FALSE(monitor()->followsEnd());
  int maximum = bar->maximum();
  feed(100);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() == maximum + 100; }, 5000));
  EXPECT_EQ(bar->value(), 20);
  EXPECT_EQ(table->rowAt(0), 20);
  EXPECT_FALSE(lastRowShown());

  // Hidden and shown again, it is still where the user left it.
  monitorAction()->trigger();
  feed(10);
  openMonitor();
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar->maximum() >= maximum + 110; }, 5000));
  EXPECT_EQ(bar->value(), 20);

  // Back at the bottom, it follows again.
  bar->setValue(bar->maximum());
  EXPECT_TRUE(monitor()->followsEnd());
  maximum = bar->maximum();
  feed(50);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return bar->maximum() == maximum + 50 && bar->value() == bar->maximum(); }, 5000));
  EXPECT_TRUE(lastRowShown());

  // Clearing starts a fresh list that follows.
  bar->setValue(0);
  monitor()->clearButton()->click();
  EXPECT_TRUE(monitor()->followsEnd());
  feed(200);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }, 5000));
}

// When the oldest rows go while the user reads older frames, the same frames
// stay in view.
TEST_F(GuiMonitor, ScrolledUpViewKeepsItsFramesWhenTheOldestGo) {
  openMonitor();
  QTableView* table = monitor()->table();
  QScrollBar* bar = table->verticalScrollBar();
  const Bytes request = WithPreambles(Frame(kStxShort, {0x80}, 3, {}));
  for (int i = 0; i < FrameLogModel::kMaxFrames; ++i) monitor()->frameSent(request);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 5000; }, 5000));

  bar->setValue(5000);
  const TimeMs shownAt = model()->frame(5000).timeMs;
  monitor()->frameSent(request);
  ASSERT_EQ(model()->rowCount(), FrameLogModel::kMaxFrames - FrameLogModel::kDropBlock + 1);
  EXPECT_EQ(bar->value(), 5000 - FrameLogModel::kDropBlock);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return table->rowAt(0) == 5000 - FrameLogModel::kDropBlock; }, 5000));
  EXPECT_EQ(model()->frame(table->rowAt(0)).timeMs, shownAt);
  EXPECT_FALSE(monitor()->followsEnd());
}

// The device status of the last reply, from the simulated instrument: fixed
// current sets "回路电流固定", leaving fixed-current mode clears it.
TEST_F(GuiMonitor, DeviceStatusShowsTheFixedCurrentAndClearsWhenReleased) {
  QLabel* pane = deviceStatusPane();
  ASSERT_NE(pane, nullptr);
  EXPECT_FALSE(pane->isVisible());
  EXPECT_EQ(pane->text(), QString());

  connectTo({0});
  runOk("readCurrentButton", OP_READ_CURRENT);
  EXPECT_FALSE(pane->isVisible());

  scope = view->tabCur();
  view->tabControl()->setCurrentIndex(2);
  find<QCheckBox>("fixedCurrentCheck")->click();
  find<QRadioButton>("current12mARadio")->click();
  runOk("sendFixedCurrentButton", OP_FIXED_CURRENT);
  EXPECT_EQ(pane->text(), QStringLiteral("回路电流固定"));
  EXPECT_TRUE(pane->isVisible());
  EXPECT_EQ(view->deviceStatus(), 0x08);

  runOk("releaseFixedCurrentButton", OP_FIXED_CURRENT);
  EXPECT_EQ(pane->text(), QString());
  EXPECT_FALSE(pane->isVisible());
}

// Replies fed to the link: the most severe bit of each shows; a reply that
// reports a communication error leaves the status as it was, and so does a
// burst frame, which the engine never gets.
TEST_F(GuiMonitor, DeviceStatusFollowsTheRepliesHandedToTheEngine) {
  QLabel* pane = deviceStatusPane();
  ASSERT_NE(pane, nullptr);
  const struct {
    const char* name;
    Bytes frame;
    const char* shown;
  } cases[] = {
      {"fixed", Reply(3, 0x00, 0x08), "回路电流固定"},
      {"communication error", Reply(3, 0x88, 0x00), "回路电流固定"},
      {"communication error with a second byte", Reply(3, 0xC0, 0x80), "回路电流固定"},
      {"failure beats the rest", Reply(3, 0x00, 0x8D), "设备故障"},
      {"command error still carries status", Reply(3, 0x05, 0x01), "主变量超限"},
      {"burst frame", Reply(3, 0x00, 0x00, 0x01), "主变量超限"},
      {"saturated before out of limits", Reply(0, 0x00, 0x07), "回路电流饱和"},
      {"status 0 clears", Reply(3, 0x00, 0x00), ""},
      {"communication error after clearing", Reply(3, 0x82, 0x40), ""},
      {"long address", Frame(kAckLong, {0x9A, 0x10, 0x01, 0x02, 0x03}, 3, {0, 0x40}), "组态已更改"},
  };
  for (const auto& c : cases) {
    receive(WithPreambles(c.frame));
    EXPECT_EQ(pane->text(), QString::fromUtf8(c.shown)) << c.name;
    EXPECT_EQ(pane->isVisible(), *c.shown != '\0') << c.name;
  }
}

// The status text keeps its place and stays whole beside the device status,
// and the progress bar stays where it was.
TEST_F(GuiMonitor, DeviceStatusSitsBetweenTheStatusLineAndTheProgressBar) {
  frame->setStatusText(QStringLiteral("连接成功"));
  frame->setProgress(100);
  QLabel* status = frame->statusPane();
  QLabel* device = deviceStatusPane();
  QProgressBar* bar = frame->progressBar();
  auto rect = [this](QWidget* widget) {
    return QRect(widget->mapTo(frame.get(), QPoint(0, 0)), widget->size());
  };
  QCoreApplication::sendPostedEvents();
  const QRect statusBefore = rect(status);
  const QRect barBefore = rect(bar);

  receive(WithPreambles(Reply(3, 0x00, 0x84)));
  EXPECT_EQ(device->text(), QStringLiteral("设备故障"));
  EXPECT_EQ(device->toolTip(), QStringLiteral("设备状态：设备故障、回路电流饱和"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return device->isVisible() && device->width() > 0; }, 5000));
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(QTest::qWaitFor([&] { return rect(status).right() < rect(device).left(); }, 5000));
  EXPECT_EQ(rect(status).topLeft(), statusBefore.topLeft());
  EXPECT_EQ(rect(bar), barBefore);
  EXPECT_GE(status->width(), status->sizeHint().width());
  EXPECT_GE(device->width(), device->sizeHint().width());
  EXPECT_FALSE(rect(device).intersects(rect(bar)));
  EXPECT_EQ(status->text(), QStringLiteral("连接成功"));
}

}  // namespace
}  // namespace vantrel::testing
