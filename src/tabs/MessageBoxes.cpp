#include "tabs/MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

// A box only as wide as its text would have the window manager cut its
// caption ("HA… 工具"): the box is made wide enough for the caption with room
// for the caption's icon and buttons.
void WidenForCaption(QMessageBox* box) {
  auto* grid = qobject_cast<QGridLayout*>(box->layout());
  if (!grid) return;
  const QFontMetrics caption(QApplication::font("QMdiSubWindowTitleBar"));
  const int width = caption.horizontalAdvance(box->windowTitle()) + 6 * caption.height();
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox* MakeBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                     QMessageBox::StandardButtons buttons) {
  auto* box = new QMessageBox(icon, QCoreApplication::translate("vantrel", kAppTitle), text,
                              buttons, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  WidenForCaption(box);
  return box;
}

}  // namespace

QMessageBox* AskQuestion(QWidget* parent, const QString& text, int buttons,
                         std::function<void(int)> answered) {
  QMessageBox* box =
      MakeBox(parent, QMessageBox::Question, text, QMessageBox::StandardButtons(buttons));
  QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)] {
    answered(box->standardButton(box->clickedButton()));
  });
  box->open();
  return box;
}

QMessageBox* ShowMessageBox(QWidget* parent, MessageIcon icon, const QString& text,
                            std::function<void()> closed) {
  QMessageBox* box = MakeBox(parent, BoxIcon(icon), text, QMessageBox::Ok);
  if (closed) {
    QObject::connect(box, &QMessageBox::finished, box, [closed = std::move(closed)] { closed(); });
  }
  box->open();
  return box;
}

}  // namespace vantrel
