// Message boxes of the program: caption "HART调试工具", an OK button, and
// shown without a nested event loop, so the link keeps running while one is
// open.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

#include "link/LinkCore.h"

class QMessageBox;
class QWidget;

namespace vantrel {

// The caption of the main window and of every message box. The settings keep
// the untranslated text as the program's name.
inline constexpr char kAppTitle[] = QT_TRANSLATE_NOOP("vantrel", "HART调试工具");

// Opens a window-modal box over `parent` and returns at once. `closed` runs
// when the user has dismissed it. The box deletes itself once closed.
QMessageBox* ShowMessageBox(QWidget* parent, MessageIcon icon, const QString& text,
                            std::function<void()> closed = {});

// The same for a question with the buttons `buttons` (QMessageBox::
// StandardButtons); `answered` gets the button pressed (Cancel or No when
// the box is closed otherwise, as Qt answers).
QMessageBox* AskQuestion(QWidget* parent, const QString& text, int buttons,
                         std::function<void(int)> answered);

}  // namespace vantrel
