// Resource numbers of this page, as the documents name them:
//   1023 → dateEdit                1024 → tagEdit                 1025 → messageEdit
//   1026 → descriptorEdit          1027 → pollAddressCombo        1030 → newPollAddressEdit
//   1032 → writeDeviceInfoButton   1033 → readDeviceInfoButton    1034 → writePollAddressButton
//   1035 → readLongAddressButton   1036 → writeLongAddressButton  1038 → longAddressEdit
// Added beside them for HART 6 and 7 instruments: longTagEdit, readLongTagButton,
// writeLongTagButton, loopCurrentModeCombo, squawkButton.

#include "tabs/CTabHart.h"

#include <QDate>

#include "engine/Encoding.h"
#include "engine/NumberText.h"
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
  ui_->dateEdit->setDateRange(QDate(1900, 1, 1), QDate(2155, 12, 31));
  ui_->dateEdit->setDate(QDate::currentDate());

  connect(ui_->readDeviceInfoButton, &QPushButton::clicked, this,
          [this] { starter_.start(OP_READ_DEVICE_INFO); });
  connect(ui_->writeDeviceInfoButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_DEVICE_INFO); });
  connect(ui_->writePollAddressButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_POLL_ADDRESS); });
  connect(ui_->readLongAddressButton, &QPushButton::clicked, this,
          [this] { starter_.start(OP_READ_LONG_ADDRESS); });
  connect(ui_->writeLongAddressButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_LONG_ADDRESS); });
  // HART 6 and 7 only: the engine refuses them for a HART 5 instrument,
  // saying why, after command 0.
  connect(ui_->readLongTagButton, &QPushButton::clicked, this,
          [this] { starter_.start(OP_READ_LONG_TAG); });
  connect(ui_->writeLongTagButton, &QPushButton::clicked, this,
          [this] { saveAndStart(OP_WRITE_LONG_TAG); });
  connect(ui_->squawkButton, &QPushButton::clicked, this, [this] { starter_.start(OP_SQUAWK); });

  // The loop-current mode sent with a new polling address to a HART 6 or 7
  // instrument; "自动" enables it at address 0 and disables it elsewhere.
  QComboBox* mode = ui_->loopCurrentModeCombo;
  mode->addItem(tr("自动"), -1);
  mode->addItem(tr("启用"), 1);
  mode->addItem(tr("禁用"), 0);
  mode->setToolTip(tr("回路电流模式（HART 6/7）：自动为地址 0 时启用，其他地址禁用"));

  // The packed fields show what will be written: letters turn upper case as
  // they are typed (a character packed ASCII cannot carry is refused when
  // the write starts, named).
  for (QLineEdit* edit : {ui_->tagEdit, ui_->descriptorEdit, ui_->messageEdit}) {
    connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
      const QString upper = Utf8Text(PackedUpperCase(text.toStdString()));
      if (upper == text) return;
      const int cursor = edit->cursorPosition();
      edit->setText(upper);
      edit->setCursorPosition(cursor);
    });
  }

  // What the user types is the user's: a write may send it to any instrument.
  TrackTyped(ui_->messageEdit, data_, kMessageField);
  TrackTyped(ui_->tagEdit, data_, kTagField);
  TrackTyped(ui_->descriptorEdit, data_, kDescriptorField);
  TrackTyped(ui_->dateEdit, data_, kDateField);
  TrackTyped(ui_->longAddressEdit, data_, kLongAddressField);
  TrackTyped(ui_->longTagEdit, data_, kLongTagField);

  showData();
}

// The date picker follows the data only when kDateField is asked for (the
// fields emptied because they belonged to another instrument); after a read
// the reply sets it.
void CTabHart::showFields(unsigned fields) {
  if (fields & (kMessageField | kTagField | kDescriptorField)) {
    ui_->messageEdit->setText(Utf8Text(data_.message));
    ui_->tagEdit->setText(Utf8Text(data_.tag));
    ui_->descriptorEdit->setText(Utf8Text(data_.descriptor));
  }
  if (fields & kDateField) setDeviceDate(data_.date);
  if (fields & kLongAddressField) ui_->longAddressEdit->setText(Utf8Text(data_.longAddressText));
  if (fields & kLongTagField) ui_->longTagEdit->setText(Utf8Text(data_.longTag));
}

// The address the instrument took joins the list in its text order; what the
// box shows stays.
void CTabHart::offerPollAddress(std::uint8_t address) {
  QComboBox* box = ui_->pollAddressCombo;
  const QString text = QString::number(address) + QLatin1Char(' ');
  for (int i = 0; i < box->count(); ++i) {
    if (box->itemData(i).toUInt() == address) return;
  }
  const QString shown = box->currentText();
  const int index = box->currentIndex();
  int at = 0;
  while (at < box->count() && box->itemText(at) < text) ++at;
  box->insertItem(at, text, static_cast<unsigned>(address));
  box->setCurrentIndex(index >= at ? index + 1 : index);
  box->setEditText(shown);
}

CTabHart::~CTabHart() = default;

// After a read only what it read is shown: a new polling address being
// typed stays.
void CTabHart::refresh(RefreshDirection direction, std::optional<OperationCode> op) {
  const unsigned fields = op ? OperationRowOf(*op).shows : kNoFields;
  if (direction == RefreshDirection::ToData) {
    save();
  } else if (fields & (kLongAddressField | kLongTagField)) {
    showFields(fields & (kLongAddressField | kLongTagField));
  } else if (fields & kIdentityFields) {
    showFields(fields & ~kDateField);
  } else {
    showData();
  }
}

// In the order the page has always exchanged its fields; a refused field
// leaves the ones after it as they were.
bool CTabHart::save(std::optional<OperationCode> op) {
  DataExchange exchange(this);
  data_.message = TextOf(ui_->messageEdit);
  const QDate date = ui_->dateEdit->date();
  data_.date = CalendarDate{date.year(), date.month(), date.day()};
  data_.tag = TextOf(ui_->tagEdit);
  data_.descriptor = TextOf(ui_->descriptorEdit);
  // A HART 6 or 7 instrument takes 0 to 63; otherwise the page keeps its
  // range of 0 to 16 (the engine refuses above 15 for HART 5).
  const int lastAddress = data_.hartRevision >= 6 ? kLastPollAddress : 16;
  if (op == OP_WRITE_POLL_ADDRESS) {
    if (!exchange.takeByte(ui_->newPollAddressEdit, data_.newPollAddress)) return false;
    if (!exchange.checkRange(ui_->newPollAddressEdit, data_.newPollAddress, 0, lastAddress)) {
      return false;
    }
  } else {
    exchange.takeByteQuietly(ui_->newPollAddressEdit, data_.newPollAddress, 0, lastAddress);
  }
  data_.longAddressText = TextOf(ui_->longAddressEdit);
  data_.longTag = TextOf(ui_->longTagEdit);
  const int mode = ui_->loopCurrentModeCombo->currentData().toInt();
  data_.loopCurrentEnabled = mode < 0 ? std::nullopt : std::optional<bool>(mode == 1);
  return true;
}

void CTabHart::showData() {
  showFields((kIdentityFields & ~kDateField) | kLongAddressField | kLongTagField);
  ui_->newPollAddressEdit->setText(QString::number(data_.newPollAddress));
}

// A write takes the page into the data first; the instrument is not written
// when a field is refused.
void CTabHart::saveAndStart(OperationCode op) {
  if (save(op)) starter_.start(op);
}

std::uint8_t CTabHart::pollAddress() const {
  const QComboBox* box = ui_->pollAddressCombo;
  const int index = box->currentIndex();
  if (index >= 0 && box->itemText(index) == box->currentText()) {
    return static_cast<std::uint8_t>(box->itemData(index).toUInt());
  }
  return static_cast<std::uint8_t>(TextToInt(box->currentText().toStdString()) & 0xFF);
}

QComboBox* CTabHart::pollAddressBox() const {
  return ui_->pollAddressCombo;
}

void CTabHart::refillPollAddresses(const std::vector<PollAddressItem>& items) {
  QComboBox* box = ui_->pollAddressCombo;
  box->clear();
  for (const PollAddressItem& item : items) box->addItem(Utf8Text(item.text), item.address);
  box->setCurrentIndex(items.empty() ? -1 : 0);
  if (items.empty()) box->setEditText(QString());
}

void CTabHart::setDeviceDate(const CalendarDate& date) {
  ui_->dateEdit->setDate(QDate(date.year, date.month, date.day));
}

}  // namespace vantrel
