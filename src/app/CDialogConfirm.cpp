#include "app/CDialogConfirm.h"

#include "tabs/DialogUnits.h"
#include "ui_CDialogConfirm.h"

namespace vantrel {

CDialogConfirm::CDialogConfirm(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CDialogConfirm>()) {
  setFont(UiFont(kDialogPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  setFixedSize(size());
  setWindowFlags((windowFlags() | Qt::WindowStaysOnTopHint) & ~Qt::WindowContextHelpButtonHint);
  setWindowModality(Qt::ApplicationModal);
  connect(ui_->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CDialogConfirm::~CDialogConfirm() = default;

bool DialogConfirmer::confirm() {
  CDialogConfirm dialog(parent_);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vantrel
