#pragma once

// The layout engine's inside, shared by its two source files (rows, scripts, fractions and
// roots in mathlayout.cpp; stretched glyphs, delimiters, accents and arrays in mathstretch.cpp).

#include "mathfont.h"
#include "mathlayout.h"

namespace vexa::math::detail {

struct LayoutError {
    QString why;
};

// A box under construction: its items are relative to its own origin.
struct Box {
    double w = 0, h = 0, d = 0;
    double italic = 0;     // italic correction of a single glyph
    double accentX = -1;   // top-accent attachment of a single glyph (-1: the middle)
    bool single = false;   // one glyph from the font (accents and scripts read its data)
    AtomClass atom = AtomClass::Ord;
    QList<MathGlyph> glyphs;
    QList<MathRule> rules;

    void add(const Box &b, double dx, double dy);
};

// TeX's styles: display, text, script, scriptscript; cramped ones raise superscripts less.
struct Style {
    int level = 1;
    bool cramped = false;

    bool display() const { return level == 0; }
    bool script() const { return level >= 2; }
    Style sup() const { return {level < 2 ? 2 : 3, cramped}; }
    Style sub() const { return {level < 2 ? 2 : 3, true}; }
    Style num() const { return {level == 0 ? 1 : level == 1 ? 2 : 3, cramped}; }
    Style den() const { return {num().level, true}; }
    Style crampedStyle() const { return {level, true}; }
};

class Layouter {
public:
    Layouter(const MathFont &font, double pixelSize) : m_font(font), m_px(pixelSize) { }

    Box layout(const Node &n, Style s, QRgb color);

    double em(Style s) const;
    double k(hb_ot_math_constant_t c, Style s) const { return m_font.constant(c) * em(s); }
    [[noreturn]] void fail(const QString &why) const { throw LayoutError{why}; }

    Box glyph(quint32 g, int font, double size, QRgb color);
    Box character(char32_t c, double size, QRgb color);
    // The smallest variant of c at least `target` pixels tall (or wide), else its assembly.
    Box stretch(char32_t c, double target, double size, bool vertical, QRgb color);
    // A delimiter at least `target` tall, centred on the axis; empty c draws nothing (null
    // delimiter space).
    Box delimiter(const QString &c, double target, Style s, QRgb color);

private:
    Box row(const Node &n, Style s, QRgb color);
    Box symbol(const Node &n, Style s, QRgb color);
    Box text(const Node &n, Style s, QRgb color);
    Box scripts(const Node &n, Style s, QRgb color);
    Box limits(Box base, const Node *sub, const Node *sup, Style s, QRgb color);
    Box fraction(const Node &n, Style s, QRgb color);
    Box root(const Node &n, Style s, QRgb color);
    Box fenced(const Node &n, Style s, QRgb color);
    Box accent(const Node &n, Style s, QRgb color);
    Box overUnder(const Node &n, Style s, QRgb color);
    Box array(const Node &n, Style s, QRgb color);
    Box boxed(const Node &n, Style s, QRgb color);
    Box bigOperator(const Node &n, Style s, QRgb color);
    Box assembly(quint32 g, double target, double size, bool vertical, QRgb color);
    void count(int glyphs);

    const MathFont &m_font;
    double m_px;
    int m_glyphs = 0;
    int m_depth = 0;
};

// Letters in a math alphabet (italic by default, bold, double-struck...).
char32_t styledChar(char32_t c, MathVariant v);

} // namespace vexa::math::detail
