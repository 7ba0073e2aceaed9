// The core's texts and their translation.
//
// The core is plain C++ and its texts are the program's own Chinese texts.
// Each is marked with VANTREL_TR_NOOP so that the translation tools find it
// (all under the context "core"); the marker itself changes nothing. A front
// end that shows the texts in another language installs a translator once at
// start, before any thread is started; until then Tr() gives the source text,
// which is what the core's own tests see.
#pragma once

#include <string>

// Marks a text for the translation tools; expands to the text itself.
#define VANTREL_TR_NOOP(context, text) text

namespace vantrel {

// The translation context of every marked core text.
inline constexpr char kCoreTextContext[] = "core";

using TextTranslator = std::string (*)(const std::string& source);

// Installs the translator; nullptr brings back the source texts.
void SetTextTranslator(TextTranslator translator);

// The shown form of a marked text (or of a text composed from shown forms,
// which is given back unchanged).
std::string Tr(const std::string& source);

}  // namespace vantrel
