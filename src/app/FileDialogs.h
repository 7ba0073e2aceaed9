// File dialogs of the window: opened window-modal without a nested event
// loop, so the link goes on while the user looks for a place.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vantrel {

// Asks for a file, starting from `suggested`, and calls `chosen` with the
// path once the user has picked one (not at all when the user cancels). It
// may return before `chosen` runs. Tests put one that answers at once.
using FileChooser = std::function<void(QWidget* parent, const QString& suggested,
                                       std::function<void(const QString& path)> chosen)>;

struct FileDialogTexts {
  QString title;
  QString filter;  // "文本文件 (*.txt);;所有文件 (*)"
  QString suffix;  // added when the user types none
  bool save = true;
};

// The dialog, or `chooser` where one is given. It starts in the folder a
// file of the same suffix was last chosen in (kept in the settings) while
// that folder exists, with the suggested file name; else at `suggested`.
void ChooseFile(QWidget* parent, const FileDialogTexts& texts, const QString& suggested,
                const FileChooser& chooser, std::function<void(const QString& path)> chosen);

// The user's documents folder where it exists, else the home folder.
QString DefaultFolder();
// DefaultFolder() joined with `name`; the folder itself for no name.
QString InDocuments(const QString& name);

}  // namespace vantrel
