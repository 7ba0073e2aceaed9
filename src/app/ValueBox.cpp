#include "app/ValueBox.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

#include "tabs/DialogUnits.h"

namespace vantrel {
namespace {

// A line edit keeps this many pixels free on each side of its text.
constexpr int kEditTextMargin = 2;

bool Fits(const QFont& font, const QString& text, int room) {
  return QFontMetrics(font).horizontalAdvance(text) <= room;
}

}  // namespace

int ValueRoom(const QLineEdit* box) {
  QStyleOptionFrame option;
  option.initFrom(box);
  option.rect = box->rect();
  option.lineWidth =
      box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
  const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
  const QMargins margins = box->textMargins();
  return contents.width() - margins.left() - margins.right() - 2 * kEditTextMargin;
}

void ShowValueFitted(QLineEdit* box, const QString& text, qreal pointSize) {
  const int room = ValueRoom(box);
  QFont font = FormFont(pointSize);
  for (qreal size = pointSize; size > kValueSmallestPointSize && !Fits(font, text, room);) {
    size = std::max<qreal>(kValueSmallestPointSize, size - 1);
    font = FormFont(size);
  }
  QString shown = text;
  // "-12.3456kPa": the number, its decimals, and the unit after it.
  static const QRegularExpression kNumber(QStringLiteral("^([-+]?\\d+)\\.(\\d+)(.*)$"));
  const QRegularExpressionMatch parts = kNumber.match(text);
  if (parts.hasMatch() && !Fits(font, text, room)) {
    const double value = (parts.captured(1) + QLatin1Char('.') + parts.captured(2)).toDouble();
    for (int decimals = static_cast<int>(parts.captured(2).size()) - 1; decimals >= 0; --decimals) {
      shown = QString::number(value, 'f', decimals) + parts.captured(3);
      if (Fits(font, shown, room)) break;
    }
  }
  box->setFont(font);
  box->setText(shown);
  box->setCursorPosition(0);  // a value wider still shows its leading digits
}

}  // namespace vantrel
