#pragma once

// A parsed formula set into boxes on the math font's own measurements (its MATH table through
// HarfBuzz): the formula's width, height above the baseline and depth below it in pixels at a
// size, and what to draw: glyphs of the math font (or of the serif face for letters it lacks)
// at their sizes and positions, and rules (fraction bars, radicals' overbars, frames).
// Coordinates: x to the right from the formula's left edge, y up from its baseline.

#include "mathparser.h"

#include <QColor>
#include <QList>
#include <QString>

namespace vexa::math {

struct MathGlyph {
    quint32 glyph = 0;
    float x = 0, y = 0;
    float size = 0;   // pixel size
    quint8 font = 0;  // 0: the math font, 1: the text face
    QRgb color = 0;   // 0: the text's own colour
};

struct MathRule {
    float x = 0, y = 0, width = 0, height = 0; // y: the bottom edge
    QRgb color = 0;
};

struct MathBox {
    double width = 0, height = 0, depth = 0;
    QList<MathGlyph> glyphs;
    QList<MathRule> rules;
};

// What a formula may draw at most; beyond it the source is shown.
inline constexpr int kMaxGlyphs = 20000;

struct MathLayout {
    bool ok = false;
    QString error; // why the source is shown (parse or layout), empty when ok
    MathBox box;
};

// Display formulas are set in TeX's display style (limits above and below, full-size
// fractions), inline ones in text style.
MathLayout layoutMath(const Node &root, double pixelSize, bool display);

// Parse and set in one step.
MathLayout typesetMath(const QString &tex, double pixelSize, bool display);

} // namespace vexa::math
