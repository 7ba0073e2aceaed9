#include "i18n/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

#include "link/Translate.h"

namespace vantrel {
namespace {

// Where the build puts the English texts (qt_add_translations).
inline constexpr char kEnglishTexts[] = ":/i18n/vantrel_en.qm";

std::unique_ptr<QTranslator>& Installed() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

std::string TranslateCoreText(const std::string& source) {
  return QCoreApplication::translate(kCoreTextContext, source.c_str()).toStdString();
}

std::unique_ptr<QTranslator>& InstalledQt() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

}  // namespace

std::optional<UiLanguage> LanguageNamed(const QString& name) {
  if (name == QLatin1String("zh")) return UiLanguage::Chinese;
  if (name == QLatin1String("en")) return UiLanguage::English;
  return std::nullopt;
}

UiLanguage LanguageOfSystem() {
  const QStringList languages = QLocale::system().uiLanguages();
  if (languages.isEmpty()) return UiLanguage::Chinese;
  return QLocale(languages.first()).language() == QLocale::English ? UiLanguage::English
                                                                   : UiLanguage::Chinese;
}

bool UseLanguage(UiLanguage language) {
  std::unique_ptr<QTranslator>& installed = Installed();
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  SetTextTranslator(nullptr);
  if (language == UiLanguage::Chinese) return true;

  auto english = std::make_unique<QTranslator>();
  if (!english->load(QString::fromLatin1(kEnglishTexts)) ||
      !QCoreApplication::installTranslator(english.get())) {
    return false;
  }
  installed = std::move(english);
  SetTextTranslator(TranslateCoreText);
  return true;
}

void UseQtLanguage(UiLanguage language) {
  const QLocale locale = language == UiLanguage::Chinese
                             ? QLocale(QLocale::Chinese, QLocale::China)
                             : QLocale(QLocale::English, QLocale::UnitedStates);
  QLocale::setDefault(locale);
  std::unique_ptr<QTranslator>& installed = InstalledQt();
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  if (language == UiLanguage::English) return;  // Qt's own texts are English
  auto qt = std::make_unique<QTranslator>();
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(qt.get())) {
    installed = std::move(qt);
  }
}

}  // namespace vantrel
