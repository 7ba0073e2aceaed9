// The language the program's texts are shown in. The Chinese texts are the
// program's own: they are the source of every translation and the default.
// English comes from translations/vantrel_en.ts, built into the program.
#pragma once

#include <QString>

#include <optional>

namespace vantrel {

enum class UiLanguage { Chinese, English };

// "zh" or "en"; nothing for any other name.
std::optional<UiLanguage> LanguageNamed(const QString& name);

// English when the first language the system's locale names for its user
// interface is English (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); Chinese for
// every other.
UiLanguage LanguageOfSystem();

// From now on, texts are shown in `language`: the window's, the command
// line's and the core's. Widgets made before keep the texts they were given.
// Called from the main thread, before the link or a simulator thread runs.
// Returns false when the English texts could not be loaded (the program then
// stays Chinese).
bool UseLanguage(UiLanguage language);

// The window's share of the language: Qt's own texts (the buttons of message
// boxes and the file dialog) from Qt's translations, and the default locale,
// from which the calendar takes its month and day names. Without Qt's
// translations installed its texts stay English.
void UseQtLanguage(UiLanguage language);

}  // namespace vantrel
