#pragma once

// Drawing a laid-out formula with Qt: its glyphs as glyph runs of the bundled fonts, its rules
// as rectangles, in the text's colour (or the formula's own \color).

#include "mathlayout.h"

#include <QImage>

class QPainter;

namespace vexa::math {

// `origin` is the formula's left end on its baseline.
void paintMath(QPainter &painter, const MathBox &box, QPointF origin, const QColor &color);

// The formula as an image `ceil(width) x ceil(height + depth)` logical pixels at the device
// pixel ratio, transparent around the ink; its baseline is `ceil(height)` from the top.
QImage renderMath(const MathBox &box, const QColor &color, qreal devicePixelRatio);

} // namespace vexa::math
