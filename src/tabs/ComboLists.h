// Filling the pages' lists: the items go in the order given (the position is
// the code a list stands for) and the selection is the one asked for, -1 for
// none. A box that receives its first item would otherwise select it by
// itself.
#pragma once

#include <QComboBox>
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

}  // namespace vantrel
