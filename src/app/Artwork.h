// The program's pictures, drawn rather than loaded: the logo of the main form
// and the application icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vantrel {

constexpr int kLogoWidth = 236;
constexpr int kLogoHeight = 65;

QPixmap MakeLogo();
QIcon MakeAppIcon();

}  // namespace vantrel
