// The primary-variable box: a large number with its unit in a box of fixed
// width.
#pragma once

#include <QString>

class QLineEdit;

namespace vantrel {

// The smallest size the value is shown at before it loses decimals.
constexpr int kValueSmallestPointSize = 14;

// Shows `text` ("49888.7227Pa") in `box`: at `pointSize` when it fits; else
// at the largest size down to kValueSmallestPointSize that fits; else at that
// size with as few decimals dropped (rounded) as make it fit. The digits
// before the decimal point are never dropped.
void ShowValueFitted(QLineEdit* box, const QString& text, qreal pointSize);

// The width `box` has for its text.
int ValueRoom(const QLineEdit* box);

}  // namespace vantrel
