#include "tabs/MessageBoxes.h"

#include <QMessageBox>

namespace vantrel {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QMessageBox* ShowMessageBox(QWidget* parent, MessageIcon icon, const QString& text,
                            std::function<void()> closed) {
  auto* box = new QMessageBox(BoxIcon(icon), QCoreApplication::translate("vantrel", kAppTitle),
                              text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  if (closed) {
    QObject::connect(box, &QMessageBox::finished, box, [closed = std::move(closed)] { closed(); });
  }
  box->open();
  return box;
}

}  // namespace vantrel
