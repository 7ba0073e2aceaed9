#include "tabs/DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantrel {
namespace {

constexpr char kConvertedProperty[] = "vantrelDialogUnitsApplied";

// A group box as the dialog templates draw it: the frame's top line runs
// through the middle of the caption, so the box's top edge is where the
// template puts it.
constexpr char kGroupBoxStyle[] =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
    " left: 6px; padding: 0 2px; background-color: palette(window); }";

int Scale(int units, int base, int divisor) {
  return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

}  // namespace

QString UiFontFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    const char* const preferred[] = {
        "微软雅黑",           "Microsoft YaHei",     "Noto Sans CJK SC", "Noto Sans SC",
        "Source Han Sans SC", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei"};
    for (const char* name : preferred) {
      const QString candidate = QString::fromUtf8(name);
      if (installed.contains(candidate, Qt::CaseInsensitive)) return candidate;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  }();
  return family;
}

QFont UiFont(qreal pointSize) {
  QFont font(UiFontFamily());
  font.setPointSizeF(pointSize);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

namespace {
qreal gFormScale = 1.0;
}  // namespace

void SetFormScale(qreal scale) {
  gFormScale = scale;
}

qreal FormScale() {
  return gFormScale;
}

QFont FormFont(qreal pointSize) {
  return UiFont(pointSize * gFormScale);
}

DialogBaseUnits BaseUnitsFor(const QFont& font) {
  // The same measure the Windows dialog manager takes: the width of the 52
  // Latin letters, halved and rounded, and the full character height.
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogBaseUnits{(width / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const QRect& dialogUnits, DialogBaseUnits base) {
  const int left = Scale(dialogUnits.x(), base.x, 4);
  const int top = Scale(dialogUnits.y(), base.y, 8);
  const int right = Scale(dialogUnits.x() + dialogUnits.width(), base.x, 4);
  const int bottom = Scale(dialogUnits.y() + dialogUnits.height(), base.y, 8);
  return QRect(left, top, right - left, bottom - top);
}

void ApplyDialogUnits(QWidget* root) {
  if (root->property(kConvertedProperty).toBool()) return;
  root->setProperty(kConvertedProperty, true);
  const DialogBaseUnits base = BaseUnitsFor(root->font());

  std::vector<QGroupBox*> groups;
  const QList<QWidget*> children = root->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (QWidget* child : children) {
    if (child->isWindow()) continue;
    QRect pixels = DialogUnitsToPixels(child->geometry(), base);
    if (qobject_cast<QComboBox*>(child)) {
      pixels.setHeight(child->sizeHint().height());
    } else if (qobject_cast<QDateTimeEdit*>(child)) {
      pixels.setHeight(std::max(pixels.height(), child->sizeHint().height()));
    }
    auto* label = qobject_cast<QLabel*>(child);
    const bool singleLineLabel = label && !label->wordWrap() && !label->text().isEmpty();
    if (singleLineLabel || qobject_cast<QCheckBox*>(child) || qobject_cast<QRadioButton*>(child)) {
      pixels.setWidth(std::max(pixels.width(), child->sizeHint().width()));
    }
    child->setGeometry(pixels);
    if (auto* group = qobject_cast<QGroupBox*>(child)) {
      group->setStyleSheet(QString::fromLatin1(kGroupBoxStyle));
      groups.push_back(group);
    }
  }
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) (*it)->lower();

  const QRect size = DialogUnitsToPixels(QRect(QPoint(0, 0), root->size()), base);
  root->resize(size.size());
}

}  // namespace vantrel
