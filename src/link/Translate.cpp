#include "link/Translate.h"

#include <atomic>

namespace vantrel {
namespace {

std::atomic<TextTranslator> gTranslator{nullptr};

}  // namespace

void SetTextTranslator(TextTranslator translator) {
  gTranslator.store(translator);
}

std::string Tr(const std::string& source) {
  const TextTranslator translator = gTranslator.load();
  return translator && !source.empty() ? translator(source) : source;
}

}  // namespace vantrel
