// Filling the pages' lists: the items go in the order given (the position is
// the code a list stands for) and the selection is the one asked for, -1 for
// none. A box that receives its first item would otherwise select it by
// itself.
#pragma once

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStringList>

namespace vantrel {

inline void FillList(QComboBox* box, const QStringList& items, int selected) {
  {
    const QSignalBlocker quiet(box);
    box->addItems(items);
  }
  box->setCurrentIndex(selected);
  if (selected < 0 && box->isEditable()) box->setEditText(QString());
}

// A list whose choice writes to the instrument at once: a value is taken only
// when the user picks it from the open list. Typing, the arrow keys and the
// mouse wheel on the closed box would each choose an item on the way; they
// are ignored, except the keys that open the list.
class PickOnlyFilter : public QObject {
 public:
  explicit PickOnlyFilter(QComboBox* box) : QObject(box) { box->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Wheel) return true;
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool opens = key->key() == Qt::Key_F4 || key->key() == Qt::Key_Space ||
                       ((key->modifiers() & Qt::AltModifier) &&
                        (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up));
    const bool leaves =
        key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape;
    return !opens && !leaves;
  }
};

}  // namespace vantrel
