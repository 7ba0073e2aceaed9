#include "app/CVantrelView.h"

#include <QComboBox>
#include <QTabBar>

#include "app/Artwork.h"
#include "app/CComDialog.h"
#include "app/CDialogConfirm.h"
#include "link/LinkTexts.h"
#include "tabs/CTabConf.h"
#include "tabs/CTabCur.h"
#include "tabs/CTabHart.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"
#include "ui_CVantrelView.h"

namespace vantrel {
namespace {

// Runs `call` on the GUI thread's event loop after the current handler, as
// long as `target` still exists.
template <typename Call>
void Queue(QObject* target, Call call) {
  QMetaObject::invokeMethod(target, std::move(call), Qt::QueuedConnection);
}

}  // namespace

CVantrelView::CVantrelView(QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::CVantrelView>()),
      driver_(clock_, *this, this),
      engine_(driver_.core(), data_, *this, clock_) {
  setFont(UiFont(kFormPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  setFixedSize(size());

  ui_->edit1003->setFont(UiFont(kPvPointSize));
  ui_->tab1000->tabBar()->setFont(UiFont(kTabPointSize));
  // A picture control takes the size of its bitmap.
  ui_->pictureLogo->setPixmap(MakeLogo());
  ui_->pictureLogo->resize(kLogoWidth, kLogoHeight);

  comDialog_ = new CComDialog(driver_, this);
  comDialog_->hide();

  tabHart_ = new CTabHart(data_, *this);
  tabConf_ = new CTabConf(data_, *this);
  tabCur_ = new CTabCur(data_, *this);
  ui_->tab1000->addTab(tabHart_, QStringLiteral("Hart设置"));
  ui_->tab1000->addTab(tabConf_, QStringLiteral("组态设置"));
  ui_->tab1000->addTab(tabCur_, QStringLiteral("电流调整"));
  ui_->tab1000->setCurrentIndex(0);

  dialogConfirmer_ = std::make_unique<DialogConfirmer>(this);
  tabConf_->setConfirmer(dialogConfirmer_.get());

  fillLists();

  // Replies reach the engine through this view, which notes their device
  // status on the way; every frame goes to the observers added later.
  driver_.core().setReplyHandler(this);
  driver_.core().setObserver(&observers_);
  driver_.addTimed(&engine_);
  // The port went away (a USB adapter pulled out): say so, and show that
  // nothing is connected; the program goes on and the port can be opened
  // again from the port dialog.
  connect(&driver_, &LinkDriver::portLost, this, [this] {
    emit statusTextChanged(QString::fromUtf8(texts::kNotConnected));
    showMessage(MessageIcon::Error, texts::kPortLost);
  });
  connect(ui_->button1006, &QPushButton::clicked, this, &CVantrelView::onReadCurrent);

  acquisitionTimer_.setInterval(kAcquisitionPeriodMs);
  connect(&acquisitionTimer_, &QTimer::timeout, this, &CVantrelView::acquisitionTick);
  acquisitionTimer_.start();

  showData();
}

CVantrelView::~CVantrelView() {
  acquisitionTimer_.stop();
  disconnect(&driver_, nullptr, this, nullptr);
  driver_.core().setReplyHandler(nullptr);
  driver_.core().setObserver(nullptr);
  driver_.closePort();
  // The pages and the port dialog refer to the data, the link and the engine:
  // they go before those members do.
  delete ui_->tab1000;
  delete comDialog_;
}

QTabWidget* CVantrelView::tabControl() const {
  return ui_->tab1000;
}

void CVantrelView::fillLists() {
  QComboBox* addresses = tabHart_->pollAddressBox();
  addresses->insertItem(0, QStringLiteral("0"));
  addresses->setCurrentIndex(0);
  tabCur_->fillCalibrationPoints();
  tabConf_->fillSensorTypes();
  tabConf_->fillUnits();
  data_.resistance = 100.0f;
  tabConf_->showData();
  tabConf_->fillGains();
}

void CVantrelView::setConfirmer(Confirmer* confirmer) {
  tabConf_->setConfirmer(confirmer ? confirmer : dialogConfirmer_.get());
}

void CVantrelView::startOperation(OperationCode op) {
  engine_.startOperation(op, tabHart_->pollAddress());
  driver_.rescheduleTimer();
}

void CVantrelView::showPortDialog() {
  comDialog_->showPortDialog();
}

void CVantrelView::onCommTest() {
  startOperation(OP_COMM_TEST);
}

void CVantrelView::onSearchDevices() {
  startOperation(OP_SEARCH);
}

void CVantrelView::onReadCurrent() {
  startOperation(OP_READ_CURRENT);
}

void CVantrelView::acquisitionTick() {
  if (!data_.acquiring) return;
  engine_.pollTick(tabHart_->pollAddress());
  driver_.rescheduleTimer();
}

void CVantrelView::showData() {
  ui_->edit1004->setText(FloatText(data_.loopCurrent));
  ui_->edit1005->setText(FloatText(data_.percentOfRange));
  ui_->edit1003->setText(Utf8Text(data_.pvText));
  ui_->edit1008->setText(Utf8Text(data_.svText));
}

// --- EngineEffects ---------------------------------------------------------

void CVantrelView::showMessage(MessageIcon icon, const std::string& text) {
  ShowMessageBox(window(), icon, Utf8Text(text));
}

void CVantrelView::setStatusText(const std::string& text) {
  emit statusTextChanged(Utf8Text(text));
}

void CVantrelView::setProgress(int percent) {
  emit progressChanged(percent);
}

void CVantrelView::refresh(RefreshTarget target, RefreshDirection direction) {
  switch (target) {
    case RefreshTarget::View:
      Queue(this, [this] { showData(); });
      break;
    case RefreshTarget::TabHart:
      Queue(tabHart_, [page = tabHart_, direction] { page->refresh(direction); });
      break;
    case RefreshTarget::TabConf:
      Queue(tabConf_, [page = tabConf_, direction] { page->refresh(direction); });
      break;
    case RefreshTarget::TabCur:
      Queue(tabCur_, [page = tabCur_, direction] { page->refresh(direction); });
      break;
  }
}

void CVantrelView::setDeviceDate(const CalendarDate& date) {
  tabHart_->setDeviceDate(date);
}

void CVantrelView::refillPollAddresses(const std::vector<std::string>& items) {
  tabHart_->refillPollAddresses(items);
}

// The search reports "搜索完成" only once its report is closed.
void CVantrelView::showSearchReport(const std::string& text, std::function<void()> closed) {
  QPointer<CVantrelView> self(this);
  ShowMessageBox(window(), MessageIcon::Information, Utf8Text(text),
                 [self, closed = std::move(closed)] {
                   if (!self) return;
                   closed();
                   self->driver_.rescheduleTimer();
                 });
}

void CVantrelView::operationEnded(OperationCode op, OperationResult result) {
  emit operationFinished(static_cast<int>(op), static_cast<int>(result));
}

// --- ReplyHandler ----------------------------------------------------------

// A reply reporting a communication error (response code bit 7) carries no
// device status in its second byte: the status shown stays as it was.
void CVantrelView::HandleOperationReply(const ReceivedFrame& reply) {
  if (!(reply.responseCode & 0x80) && reply.deviceStatus != deviceStatus_) {
    deviceStatus_ = reply.deviceStatus;
    emit deviceStatusChanged(deviceStatus_);
  }
  engine_.HandleOperationReply(reply);
}

}  // namespace vantrel
