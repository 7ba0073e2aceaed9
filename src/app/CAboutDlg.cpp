#include "app/CAboutDlg.h"

#include "app/Artwork.h"
#include "tabs/DialogUnits.h"
#include "ui_CAboutDlg.h"
#include "vantrel/Version.h"

namespace vantrel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::CAboutDlg>()) {
  setFont(UiFont(kDialogPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  setFixedSize(size());
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  const QSize iconSize = ui_->pictureIcon->size();
  ui_->pictureIcon->setPixmap(MakeAppIcon().pixmap(std::min(iconSize.width(), iconSize.height())));
  ui_->labelCopyright->setText(QStringLiteral("Vantrel ") + QString::fromLatin1(kVersion));
  connect(ui_->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

CAboutDlg* CAboutDlg::showAbout(QWidget* parent) {
  auto* dialog = new CAboutDlg(parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

}  // namespace vantrel
