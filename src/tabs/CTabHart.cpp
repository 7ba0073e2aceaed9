#include "tabs/CTabHart.h"

#include <QDate>

#include "engine/Encoding.h"
#include "engine/OperationTable.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "ui_CTabHart.h"

namespace vantrel {

CTabHart::CTabHart(DeviceData& data, OperationStarter& starter, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::CTabHart>()), data_(data), starter_(starter) {
  setFont(FormFont(kFormPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);

  // The date bytes carry the year as an offset from 1900 in one byte.
  ui_->date1023->setDateRange(QDate(1900, 1, 1), QDate(2155, 12, 31));
  ui_->date1023->setDate(QDate::currentDate());

  connect(ui_->button1033, &QPushButton::clicked, this,
          [this] { starter_.start(OP_READ_DEVICE_INFO); });
  connect(ui_->button1032, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_DEVICE_INFO); });
  connect(ui_->button1034, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_POLL_ADDRESS); });
  connect(ui_->button1035, &QPushButton::clicked, this,
          [this] { starter_.start(OP_READ_LONG_ADDRESS); });
  connect(ui_->button1036, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_LONG_ADDRESS); });

  showData();
}

CTabHart::~CTabHart() = default;

// After a read only what it read is shown: a new polling address being
// typed stays.
void CTabHart::refresh(RefreshDirection direction, std::optional<OperationCode> op) {
  const unsigned fields = op ? OperationRowOf(*op).shows : kNoFields;
  if (direction == RefreshDirection::ToData) {
    save();
  } else if (fields & kLongAddressField) {
    ui_->edit1038->setText(Utf8Text(data_.longAddressText));
  } else if (fields & kIdentityFields) {
    ui_->edit1025->setText(Utf8Text(data_.message));
    ui_->edit1024->setText(Utf8Text(data_.tag));
    ui_->edit1026->setText(Utf8Text(data_.descriptor));
  } else {
    showData();
  }
}

// In the order the page has always exchanged its fields; a refused field
// leaves the ones after it as they were.
bool CTabHart::save(std::optional<OperationCode> op) {
  DataExchange exchange(this);
  data_.message = TextOf(ui_->edit1025);
  const QDate date = ui_->date1023->date();
  data_.date = CalendarDate{date.year(), date.month(), date.day()};
  data_.tag = TextOf(ui_->edit1024);
  data_.descriptor = TextOf(ui_->edit1026);
  if (op == OP_WRITE_POLL_ADDRESS) {
    if (!exchange.takeByte(ui_->edit1030, data_.newPollAddress)) return false;
    if (!exchange.checkRange(ui_->edit1030, data_.newPollAddress, 0, 16)) return false;
  } else {
    exchange.takeByteQuietly(ui_->edit1030, data_.newPollAddress, 0, 16);
  }
  data_.longAddressText = TextOf(ui_->edit1038);
  return true;
}

void CTabHart::showData() {
  ui_->edit1025->setText(Utf8Text(data_.message));
  ui_->edit1024->setText(Utf8Text(data_.tag));
  ui_->edit1026->setText(Utf8Text(data_.descriptor));
  ui_->edit1030->setText(QString::number(data_.newPollAddress));
  ui_->edit1038->setText(Utf8Text(data_.longAddressText));
}

// A write takes the page into the data first; the instrument is not written
// when a field is refused.
void CTabHart::saveAndStart(OperationCode op) {
  if (save(op)) starter_.start(op);
}

std::uint8_t CTabHart::pollAddress() const {
  const QComboBox* box = ui_->combo1027;
  const int index = box->currentIndex();
  if (index >= 0 && box->itemText(index) == box->currentText()) {
    return static_cast<std::uint8_t>(box->itemData(index).toUInt());
  }
  return static_cast<std::uint8_t>(TextToInt(box->currentText().toStdString()) & 0xFF);
}

QComboBox* CTabHart::pollAddressBox() const {
  return ui_->combo1027;
}

void CTabHart::refillPollAddresses(const std::vector<PollAddressItem>& items) {
  QComboBox* box = ui_->combo1027;
  box->clear();
  for (const PollAddressItem& item : items) box->addItem(Utf8Text(item.text), item.address);
  box->setCurrentIndex(items.empty() ? -1 : 0);
  if (items.empty()) box->setEditText(QString());
}

void CTabHart::setDeviceDate(const CalendarDate& date) {
  ui_->date1023->setDate(QDate(date.year, date.month, date.day));
}

}  // namespace vantrel
