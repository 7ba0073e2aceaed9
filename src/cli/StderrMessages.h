// Message boxes of the link shown as lines on standard error, for the
// command-line tools.
#pragma once

#include <cstdio>

#include "link/LinkCore.h"

namespace vantrel {

class StderrMessages : public MessageSink {
 public:
  void showMessage(MessageIcon icon, const std::string& text) override {
    const char* kind = icon == MessageIcon::Error     ? "error"
                       : icon == MessageIcon::Warning ? "warning"
                                                      : "info";
    std::fprintf(stderr, "[%s] %s\n", kind, text.c_str());
  }
};

}  // namespace vantrel
