#include "app/StatusDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVantrelView.h"
#include "engine/AdditionalStatus.h"
#include "engine/EngineEffects.h"
#include "engine/OperationCode.h"

namespace vantrel {

StatusDialog::StatusDialog(CVantrelView& view, QWidget* parent) : QDialog(parent), view_(view) {
  setObjectName(QStringLiteral("statusDialog"));
  setWindowTitle(tr("设备状态"));
  lines_ = new QListWidget;
  lines_->setObjectName(QStringLiteral("statusLines"));
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("statusNote"));
  note_->setWordWrap(true);
  read_ = new QPushButton(tr("读取"));
  read_->setObjectName(QStringLiteral("readStatusButton"));
  acknowledge_ = new QPushButton(tr("确认"));
  acknowledge_->setObjectName(QStringLiteral("acknowledgeStatusButton"));
  reset_ = new QPushButton(tr("复位组态更改标志"));
  reset_->setObjectName(QStringLiteral("resetConfigChangedButton"));
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(read_);
  buttons->addWidget(acknowledge_);
  buttons->addWidget(reset_);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lines_);
  layout->addWidget(note_);
  layout->addLayout(buttons);
  resize(460, 300);

  connect(read_, &QPushButton::clicked, this, [this] { view_.start(OP_READ_STATUS); });
  connect(acknowledge_, &QPushButton::clicked, this,
          [this] { view_.start(OP_ACKNOWLEDGE_STATUS); });
  connect(reset_, &QPushButton::clicked, this, [this] { view_.start(OP_RESET_CONFIG_CHANGED); });
  connect(&view_, &CVantrelView::operationFinished, this, &StatusDialog::operationEnded);
  showStatus();
}

// A read or an acknowledgement brings the status bytes anew; the
// acknowledgement is followed by a read, since the instrument withdraws
// "more status available" only then and the lines should say what stands.
void StatusDialog::operationEnded(int op, int result) {
  const bool success = result == static_cast<int>(OperationResult::Success);
  if (op == OP_READ_STATUS) {
    showStatus();
  } else if (op == OP_ACKNOWLEDGE_STATUS && success) {
    view_.start(OP_READ_STATUS);
  }
}

void StatusDialog::showStatus() {
  const DeviceData& data = view_.data();
  lines_->clear();
  if (data.additionalStatus.empty()) {
    note_->setText(tr("尚未读取"));
    return;
  }
  const AdditionalStatus status =
      DecodeAdditionalStatus(data.additionalStatus, data.additionalStatusRevision);
  for (const std::string& line : AdditionalStatusLines(status)) {
    lines_->addItem(QString::fromStdString(line));
  }
  note_->setText(lines_->count() == 0 ? tr("无附加状态") : QString());
}

}  // namespace vantrel
