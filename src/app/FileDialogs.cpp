#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace vantrel {
namespace {

// The folder a file of this kind was last chosen in, kept per suffix.
QString FolderKey(const FileDialogTexts& texts) {
  return QStringLiteral("files/lastFolder/") +
         (texts.suffix.isEmpty() ? QStringLiteral("other") : texts.suffix);
}

// Where the dialog starts: the folder last used for this kind of file, while
// it exists, with the suggested name; else what was suggested.
QString StartPath(const FileDialogTexts& texts, const QString& suggested) {
  const QString remembered = QSettings().value(FolderKey(texts)).toString();
  if (remembered.isEmpty() || !QDir(remembered).exists()) return suggested;
  const QFileInfo info(suggested);
  if (suggested.isEmpty() || info.isDir()) return remembered;
  return QDir(remembered).filePath(info.fileName());
}

}  // namespace

void ChooseFile(QWidget* parent, const FileDialogTexts& texts, const QString& suggested,
                const FileChooser& chooser, std::function<void(const QString& path)> chosen) {
  auto remember = [key = FolderKey(texts), chosen = std::move(chosen)](const QString& path) {
    if (!path.isEmpty()) QSettings().setValue(key, QFileInfo(path).absolutePath());
    chosen(path);
  };
  const QString start = StartPath(texts, suggested);
  if (chooser) {
    chooser(parent, start, std::move(remember));
    return;
  }
  auto* dialog = new QFileDialog(parent, texts.title, start, texts.filter);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(texts.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(texts.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setDefaultSuffix(texts.suffix);
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                   [remember = std::move(remember)](const QString& path) { remember(path); });
  dialog->open();
}

QString DefaultFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QDir(documents).exists()) return documents;
  return QDir::homePath();
}

QString InDocuments(const QString& name) {
  return name.isEmpty() ? DefaultFolder() : QDir(DefaultFolder()).filePath(name);
}

}  // namespace vantrel
