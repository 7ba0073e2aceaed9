#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace vantrel {

void ChooseFile(QWidget* parent, const FileDialogTexts& texts, const QString& suggested,
                const FileChooser& chooser, std::function<void(const QString& path)> chosen) {
  if (chooser) {
    chooser(parent, suggested, std::move(chosen));
    return;
  }
  auto* dialog = new QFileDialog(parent, texts.title, suggested, texts.filter);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(texts.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(texts.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setDefaultSuffix(texts.suffix);
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                   [chosen = std::move(chosen)](const QString& path) { chosen(path); });
  dialog->open();
}

QString InDocuments(const QString& name) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

}  // namespace vantrel
