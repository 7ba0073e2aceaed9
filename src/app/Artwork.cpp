#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vantrel {
namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kDeepBlue(0x0b, 0x3d, 0x91);
const QColor kBlue(0x1f, 0x6f, 0xd1);
const QColor kSignal(0xff, 0xb3, 0x1a);

// A 4-20 mA loop carrying HART: a slow rise with the fast FSK ripple on it,
// across `area`.
QPainterPath SignalPath(const QRectF& area) {
  QPainterPath path;
  const int steps = 120;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    const double level = 0.8 - 0.6 * (t < 0.3 ? 0.0 : (t > 0.7 ? 1.0 : (t - 0.3) / 0.4));
    const double ripple = 0.08 * std::sin(t * 2 * kPi * (t < 0.5 ? 6 : 11));
    const QPointF point(area.left() + t * area.width(),
                        area.top() + (level + ripple) * area.height());
    if (i == 0) {
      path.moveTo(point);
    } else {
      path.lineTo(point);
    }
  }
  return path;
}

QPixmap IconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(0.5, 0.5, size - 1.0, size - 1.0);
  QLinearGradient fill(box.topLeft(), box.bottomLeft());
  fill.setColorAt(0, kBlue);
  fill.setColorAt(1, kDeepBlue);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(box, size * 0.18, size * 0.18);

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(static_cast<int>(size * 0.62));
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, -size * 0.08, size, size), Qt::AlignCenter, QStringLiteral("H"));

  QPen pen(kSignal, std::max(1.0, size / 16.0));
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(SignalPath(QRectF(size * 0.12, size * 0.62, size * 0.76, size * 0.3)));
  return pixmap;
}

}  // namespace

QPixmap MakeLogo() {
  QPixmap pixmap(kLogoWidth, kLogoHeight);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);

  QLinearGradient fill(0, 0, kLogoWidth, 0);
  fill.setColorAt(0, kDeepBlue);
  fill.setColorAt(1, kBlue);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(QRectF(1, 1, kLogoWidth - 2, kLogoHeight - 2), 8, 8);

  painter.drawPixmap(8, 8, IconPixmap(49));

  QFont name(QStringLiteral("DejaVu Sans"));
  name.setBold(true);
  name.setPixelSize(26);
  painter.setFont(name);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(66, 6, 166, 32), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Vantrel"));

  QFont line(QStringLiteral("DejaVu Sans"));
  line.setPixelSize(11);
  painter.setFont(line);
  painter.setPen(QColor(0xdd, 0xe8, 0xff));
  painter.drawText(QRectF(68, 38, 164, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("HART 4-20 mA"));

  QPen pen(kSignal, 2);
  painter.setPen(pen);
  painter.drawPath(SignalPath(QRectF(160, 40, 66, 16)));
  return pixmap;
}

QIcon MakeAppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(IconPixmap(size));
  return icon;
}

}  // namespace vantrel
