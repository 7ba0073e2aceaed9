// What the GUI tests share: a shown main frame, the requests it puts on the
// line, the operations that ended, and the message boxes it opens.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CVantrelView.h"
#include "engine/Encoding.h"
#include "link/LinkCore.h"
#include "sim/SimDevice.h"
#include "tabs/CTabConf.h"
#include "tabs/CTabCur.h"
#include "tabs/CTabHart.h"
#include "tests/link/SimulatedLine.h"

namespace vantrel::testing {

// Generous bounds: a reply of the simulated line takes milliseconds.
constexpr int kReplyWaitMs = 10000;

// One request as the program wrote it.
struct SentRequest {
  std::uint8_t delimiter = 0;
  std::vector<std::uint8_t> address;
  std::uint8_t command = 0;
  std::vector<std::uint8_t> data;

  std::uint8_t pollAddress() const { return address.empty() ? 0 : address[0] & 0x3F; }
  float floatAt(std::size_t offset) const { return ReadFloatBE(data.data() + offset); }
};

// Records every request frame the link sends.
class RequestRecorder : public LinkObserver {
 public:
  std::vector<SentRequest> sent;

  void frameSent(const std::vector<std::uint8_t>& raw) override {
    std::size_t i = 0;
    while (i < raw.size() && raw[i] == 0xFF) ++i;  // preambles
    SentRequest request;
    request.delimiter = raw.at(i++);
    const std::size_t addressSize = (request.delimiter & 0x80) ? 5 : 1;
    request.address.assign(raw.begin() + i, raw.begin() + i + addressSize);
    i += addressSize;
    request.command = raw.at(i++);
    const std::size_t count = raw.at(i++);
    request.data.assign(raw.begin() + i, raw.begin() + i + count);
    sent.push_back(request);
  }
  void frameReceived(const ReceivedFrame&, const std::vector<std::uint8_t>&) override {}
  void frameDropped(DropReason, const std::vector<std::uint8_t>&) override {}

  // The requests with `command`, in order.
  std::vector<SentRequest> withCommand(std::uint8_t command) const {
    std::vector<SentRequest> found;
    for (const SentRequest& request : sent) {
      if (request.command == command) found.push_back(request);
    }
    return found;
  }
};

// Answers the confirmation before a calibration as told, and counts the
// questions.
class ScriptedConfirmer : public Confirmer {
 public:
  bool answer = true;
  int asked = 0;
  std::vector<OperationCode> ops;  // what each question was about
  bool confirm(OperationCode op) override {
    ++asked;
    ops.push_back(op);
    return answer;
  }
};

// The visible message boxes, oldest first.
inline std::vector<QMessageBox*> OpenMessageBoxes() {
  std::vector<QMessageBox*> boxes;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box && box->isVisible()) boxes.push_back(box);
  }
  return boxes;
}

// Waits for a message box to open and returns it (nullptr when none came).
inline QMessageBox* WaitForMessageBox(int timeoutMs = kReplyWaitMs) {
  (void)QTest::qWaitFor([] { return !OpenMessageBoxes().empty(); }, timeoutMs);
  const std::vector<QMessageBox*> boxes = OpenMessageBoxes();
  return boxes.empty() ? nullptr : boxes.front();
}

// Presses OK on `box` and lets it go away.
inline void CloseMessageBox(QMessageBox* box) {
  QPointer<QMessageBox> guard(box);
  box->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(QTest::qWaitFor([&guard] { return !guard || !guard->isVisible(); }, 5000));
}

// The user picks item `index` of a list.
inline void Choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// A shown main frame with the requests it sends recorded, the calibration
// confirmation scripted, and (when asked for) a simulated line with devices.
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session = std::make_unique<Session>();
    frame = std::make_unique<CMainFrame>(*session, nullptr, screenArea());
    view = frame->view();
    session->addObserver(&recorder);
    view->setConfirmer(&confirmer);
    QObject::connect(view, &CVantrelView::operationFinished, view,
                     [this](int op, int result) { ended.emplace_back(op, result); });
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  }

  void TearDown() override {
    for (QMessageBox* box : OpenMessageBoxes()) box->done(QMessageBox::Ok);
    session->removeObserver(&recorder);
    frame.reset();
    session.reset();
    line.reset();
  }

  // The screen area the main frame is made for: by default the test
  // platform's screen, a 1366 x 768 laptop's.
  virtual std::optional<QRect> screenArea() const { return std::nullopt; }

  // Starts simulated devices at `addresses` and opens their line.
  void connectTo(std::vector<std::uint8_t> addresses) {
    std::vector<sim::SimDeviceConfig> devices;
    for (std::uint8_t address : addresses) devices.push_back(sim::DefaultDeviceConfig(address));
    connectDevices(std::move(devices));
  }
  void connectDevices(std::vector<sim::SimDeviceConfig> devices) {
    line = std::make_unique<SimulatedLine>(std::move(devices));
    ASSERT_TRUE(session->openPort(line->path()));
  }

  // Finds a control by its name in `scope` (the whole frame without one): a
  // page's tests look in that page.
  template <typename T>
  T* find(const char* name) const {
    QWidget* where = scope ? scope : frame.get();
    T* widget = where->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QPushButton* button(const char* name) const { return find<QPushButton>(name); }
  QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
  QComboBox* combo(const char* name) const { return find<QComboBox>(name); }

  QString status() const { return frame->statusPane()->text(); }

  // Waits until `op` has ended and returns how (-1: it did not end).
  int waitForEnd(OperationCode op, int timeoutMs = kReplyWaitMs) {
    auto result = [this, op]() -> int {
      for (const auto& [code, how] : ended) {
        if (code == op) return how;
      }
      return -1;
    };
    (void)QTest::qWaitFor([&] { return result() >= 0; }, timeoutMs);
    return result();
  }

  // The calibrations are judged against the long address last read: read it.
  void readLongAddress() {
    QWidget* was = scope;
    scope = view->tabHart();
    runOk("readLongAddressButton", OP_READ_LONG_ADDRESS);
    scope = was;
  }

  // Clicks `name` and waits for `op` to end with success.
  void runOk(const char* name, OperationCode op) {
    ended.clear();
    button(name)->click();
    ASSERT_EQ(waitForEnd(op), static_cast<int>(OperationResult::Success)) << name;
  }

  // Delivers what the engine has queued so far: the refreshes it asks for
  // come before it reports the end of the operation.
  static void settle() { QCoreApplication::sendPostedEvents(); }

  std::unique_ptr<Session> session;
  std::unique_ptr<CMainFrame> frame;
  CVantrelView* view = nullptr;
  QWidget* scope = nullptr;
  RequestRecorder recorder;
  ScriptedConfirmer confirmer;
  std::vector<std::pair<int, int>> ended;
  std::unique_ptr<SimulatedLine> line;
};

}  // namespace vantrel::testing
