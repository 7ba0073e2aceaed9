// Layout of the Designer forms in res/: their geometry is written in dialog
// units, as the dialog templates give it, and is converted to pixels with the
// metrics of the font the form is shown in. One horizontal dialog unit is a
// quarter of the font's average character width, one vertical unit an eighth
// of its character height.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace vantrel {

// Point sizes of the templates' fonts.
constexpr qreal kFormPointSize = 12;   // main form and the three pages
constexpr qreal kDialogPointSize = 9;  // port dialog, confirmation, about box
constexpr qreal kTabPointSize = 11;    // captions of the tab control
constexpr qreal kPvPointSize = 40;     // the primary variable

// 微软雅黑 where it is installed, otherwise a Simplified-Chinese sans font.
QString UiFontFamily();
QFont UiFont(qreal pointSize);

// The main form and its pages are laid out at this share of their template
// sizes (fonts, and with them the dialog units): 1 where the screen has room,
// less on a small one. Set it before the form is made.
void SetFormScale(qreal scale);
qreal FormScale();
// UiFont(pointSize) at the form's scale.
QFont FormFont(qreal pointSize);

struct DialogBaseUnits {
  int x = 0;  // average character width in pixels
  int y = 0;  // character height in pixels
};

DialogBaseUnits BaseUnitsFor(const QFont& font);

// Converts a rectangle in dialog units to pixels, edge by edge, rounding each
// edge to the nearest pixel.
QRect DialogUnitsToPixels(const QRect& dialogUnits, DialogBaseUnits base);

// Converts the size of `root` and the geometry of its direct children from
// dialog units to pixels with the metrics of root's font. Set the font first.
// Combo boxes keep their own closed height (a template gives the height of the
// open list); single-line labels, check boxes and radio buttons grow to show
// their whole caption; group boxes are drawn with their caption on the top
// line and put underneath their siblings, so that they frame controls without
// covering them. Calling it again does nothing.
void ApplyDialogUnits(QWidget* root);

}  // namespace vantrel
