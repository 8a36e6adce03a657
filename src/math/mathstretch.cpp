// Glyphs that grow (delimiters, radicals, braces, wide accents) from the font's variants and
// assemblies, and what is built on them: \left...\right, accents, over- and underbraces,
// arrays and frames.
#include "mathlayoutcore.h"

#include <algorithm>
#include <cmath>

namespace vexa::math::detail {

namespace {
// How many times an assembly's extenders may repeat (a 100-row matrix needs a few dozen).
constexpr int kMaxExtenderRepeats = 300;
} // namespace

Box Layouter::stretch(char32_t c, double target, double size, bool vertical, QRgb color)
{
    quint32 g = 0;
    int which = 0;
    if (!m_font.glyphFor(c, &g, &which))
        fail(QStringLiteral("no glyph for U+") + QString::number(uint(c), 16));
    if (which != 0)
        return glyph(g, which, size, color);
    hb_font_t *f = m_font.font(0);
    const double scale = size / m_font.unitsPerEm(0);
    const hb_direction_t dir = vertical ? HB_DIRECTION_BTT : HB_DIRECTION_LTR;
    hb_ot_math_glyph_variant_t variants[32];
    unsigned int total = 32;
    hb_ot_math_get_glyph_variants(f, g, dir, 0, &total, variants);
    auto extent = [&](const Box &b) { return vertical ? b.h + b.d : b.w; };
    Box best = glyph(g, 0, size, color);
    if (extent(best) >= target)
        return best;
    for (unsigned int i = 0; i < total; ++i) {
        if (variants[i].advance * scale >= target || i + 1 == total) {
            --m_glyphs;
            best = glyph(variants[i].glyph, 0, size, color);
            if (extent(best) >= target)
                return best;
            break;
        }
    }
    hb_ot_math_glyph_part_t probe[1];
    unsigned int parts = 1;
    if (hb_ot_math_get_glyph_assembly(f, g, dir, 0, &parts, probe, nullptr) == 0)
        return best; // the largest variant is as big as this glyph gets
    --m_glyphs;
    return assembly(g, target, size, vertical, color);
}

Box Layouter::assembly(quint32 g, double target, double size, bool vertical, QRgb color)
{
    hb_font_t *f = m_font.font(0);
    const double scale = size / m_font.unitsPerEm(0);
    const hb_direction_t dir = vertical ? HB_DIRECTION_BTT : HB_DIRECTION_LTR;
    hb_ot_math_glyph_part_t parts[16];
    unsigned int n = 16;
    hb_ot_math_get_glyph_assembly(f, g, dir, 0, &n, parts, nullptr);
    const double overlap = hb_ot_math_get_min_connector_overlap(f, dir) * scale;
    // Repeat the extenders until the pieces, overlapping by the minimum, reach the target.
    int repeats = 0;
    QList<const hb_ot_math_glyph_part_t *> seq;
    double length = 0;
    for (;;) {
        seq.clear();
        length = 0;
        for (unsigned int i = 0; i < n; ++i) {
            const int times = (parts[i].flags & HB_OT_MATH_GLYPH_PART_FLAG_EXTENDER) ? repeats : 1;
            for (int t = 0; t < times; ++t) {
                seq.append(&parts[i]);
                length += parts[i].full_advance * scale;
            }
        }
        if (seq.size() > 1)
            length -= (seq.size() - 1) * overlap;
        if (length >= target || repeats >= kMaxExtenderRepeats)
            break;
        ++repeats;
    }
    // Spread what is left over the joints, each within its connectors' lengths.
    QList<double> joints;
    double slack = length - target;
    for (int i = 0; i + 1 < seq.size(); ++i) {
        const double room = std::min(seq[i]->end_connector_length, seq[i + 1]->start_connector_length) * scale - overlap;
        joints.append(std::max(0.0, room));
    }
    double roomTotal = 0;
    for (double r : joints)
        roomTotal += r;
    const double share = roomTotal > 0 ? std::min(1.0, std::max(0.0, slack) / roomTotal) : 0;
    Box out;
    double pos = 0;
    for (int i = 0; i < seq.size(); ++i) {
        Box piece = glyph(seq[i]->glyph, 0, size, color);
        hb_glyph_extents_t ext{};
        hb_font_get_glyph_extents(f, seq[i]->glyph, &ext);
        if (vertical) {
            const double bottom = (ext.y_bearing + ext.height) * scale;
            out.add(piece, 0, pos - bottom);
            out.w = std::max(out.w, piece.w);
        } else {
            out.add(piece, pos, 0);
            out.h = std::max(out.h, piece.h);
            out.d = std::max(out.d, piece.d);
        }
        pos += seq[i]->full_advance * scale;
        if (i < joints.size())
            pos -= overlap + joints[i] * share;
    }
    if (vertical) {
        out.h = pos;
        out.d = 0;
    } else {
        out.w = pos;
    }
    out.single = false;
    return out;
}

Box Layouter::delimiter(const QString &c, double target, Style s, QRgb color)
{
    Box out;
    if (c.isEmpty()) {
        out.w = 0.12 * em(s); // \nulldelimiterspace
        return out;
    }
    const char32_t code = c.toUcs4().value(0);
    const Box b = stretch(code, target, em(s), true, color);
    const double axis = k(HB_OT_MATH_CONSTANT_AXIS_HEIGHT, s);
    const double shift = (b.h - b.d) / 2 - axis;
    out.add(b, 0, -shift);
    out.w = b.w;
    out.h = b.h - shift;
    out.d = b.d + shift;
    return out;
}

Box Layouter::fenced(const Node &n, Style s, QRgb color)
{
    const Box body = layout(*n.children[0], s, color);
    const double axis = k(HB_OT_MATH_CONSTANT_AXIS_HEIGHT, s);
    // TeX's rule: cover at least 90.1% of the body around the axis, short by at most 0.5 em.
    const double delta = std::max(body.h - axis, body.d + axis);
    const double size = std::max(2 * delta * 0.901, 2 * delta - 0.5 * em(s));
    const Box open = delimiter(n.text, size, s, color);
    const Box close = delimiter(n.close, size, s, color);
    Box out;
    out.add(open, 0, 0);
    out.add(body, open.w, 0);
    out.add(close, open.w + body.w, 0);
    out.w = open.w + body.w + close.w;
    out.h = std::max({body.h, open.h, close.h});
    out.d = std::max({body.d, open.d, close.d});
    return out;
}

Box Layouter::accent(const Node &n, Style s, QRgb color)
{
    const Node &bodyNode = *n.children[0];
    Box body = layout(bodyNode, s.crampedStyle(), color);
    const char32_t code = n.text.toUcs4().value(0);
    Box mark = n.stretchy ? stretch(code, body.w, em(s), false, color) : character(code, em(s), color);
    // The accent sits on a base of the font's accent base height; taller bases lift it.
    const double baseHeight = k(HB_OT_MATH_CONSTANT_ACCENT_BASE_HEIGHT, s);
    const double lift = std::max(0.0, body.h - baseHeight);
    const double baseX = body.single && body.accentX >= 0 ? body.accentX : body.w / 2;
    // Accent glyphs are combining marks (no advance, ink left of the origin): centred by ink.
    double markX = mark.w / 2;
    if (!mark.glyphs.isEmpty()) {
        double left = 1e9, right = -1e9;
        for (const MathGlyph &g : mark.glyphs) {
            hb_glyph_extents_t ext{};
            hb_font_get_glyph_extents(m_font.font(g.font), g.glyph, &ext);
            const double scale = g.size / m_font.unitsPerEm(g.font);
            left = std::min(left, g.x + ext.x_bearing * scale);
            right = std::max(right, g.x + (ext.x_bearing + ext.width) * scale);
        }
        markX = (left + right) / 2;
    }
    Box out;
    out.add(body, 0, 0);
    out.add(mark, baseX - markX, lift);
    out.w = body.w;
    out.h = std::max(body.h, lift + mark.h);
    out.d = body.d;
    out.italic = body.italic;
    out.single = false;
    return out;
}

Box Layouter::overUnder(const Node &n, Style s, QRgb color)
{
    const Box body = layout(*n.children[0], n.over ? s.crampedStyle() : s, color);
    Box out;
    out.add(body, 0, 0);
    out.w = body.w;
    out.h = body.h;
    out.d = body.d;
    if (!n.stretchy) { // \overline, \underline: a rule with the font's gaps
        if (n.over) {
            const double gap = k(HB_OT_MATH_CONSTANT_OVERBAR_VERTICAL_GAP, s);
            const double t = k(HB_OT_MATH_CONSTANT_OVERBAR_RULE_THICKNESS, s);
            out.rules.append(MathRule{0, float(body.h + gap), float(body.w), float(t), color});
            out.h = body.h + gap + t + k(HB_OT_MATH_CONSTANT_OVERBAR_EXTRA_ASCENDER, s);
        } else {
            const double gap = k(HB_OT_MATH_CONSTANT_UNDERBAR_VERTICAL_GAP, s);
            const double t = k(HB_OT_MATH_CONSTANT_UNDERBAR_RULE_THICKNESS, s);
            out.rules.append(MathRule{0, float(-body.d - gap - t), float(body.w), float(t), color});
            out.d = body.d + gap + t + k(HB_OT_MATH_CONSTANT_UNDERBAR_EXTRA_DESCENDER, s);
        }
        return out;
    }
    const Box brace = stretch(n.text.toUcs4().value(0), body.w, em(s), false, color);
    const double gap = k(HB_OT_MATH_CONSTANT_STRETCH_STACK_GAP_ABOVE_MIN, s);
    const double w = std::max(body.w, brace.w);
    Box stack;
    stack.add(body, (w - body.w) / 2, 0);
    stack.w = w;
    stack.h = body.h;
    stack.d = body.d;
    if (n.over) {
        const double y = body.h + gap + brace.d;
        stack.add(brace, (w - brace.w) / 2, y);
        stack.h = y + brace.h;
    } else {
        const double y = body.d + k(HB_OT_MATH_CONSTANT_STRETCH_STACK_GAP_BELOW_MIN, s) + brace.h;
        stack.add(brace, (w - brace.w) / 2, -y);
        stack.d = y + brace.d;
    }
    return stack;
}

Box Layouter::array(const Node &n, Style s, QRgb color)
{
    const int columns = std::max(1, n.columns);
    const int rows = int(n.children.size()) / columns;
    // Matrices and cases are set in text style, aligned equations in display style.
    const bool equations = n.rowGap && n.align != QLatin1String("ll");
    const Style cell = {equations ? 0 : std::max(1, s.level), false};
    QList<Box> boxes;
    boxes.reserve(n.children.size());
    for (const auto &c : n.children)
        boxes.append(layout(*c, cell, color));
    const double e = em(s);
    QList<double> widths(columns, 0.0);
    for (int i = 0; i < boxes.size(); ++i)
        widths[i % columns] = std::max(widths[i % columns], boxes[i].w);
    // Rows: the strut of a 1.2 em baseline (0.84 em up, 0.36 em down), cases a fifth more,
    // aligned equations 0.3 em apart.
    const double stretchFactor = n.align == QLatin1String("ll") ? 1.2 : 1.0;
    const double strutH = 0.84 * e * stretchFactor, strutD = 0.36 * e * stretchFactor;
    const double jot = equations ? 0.3 * e : 0;
    QList<double> heights(rows), depths(rows);
    for (int r = 0; r < rows; ++r) {
        heights[r] = strutH;
        depths[r] = strutD;
        for (int c = 0; c < columns; ++c) {
            heights[r] = std::max(heights[r], boxes[r * columns + c].h);
            depths[r] = std::max(depths[r], boxes[r * columns + c].d);
        }
    }
    auto gapAfter = [&](int c) {
        if (c + 1 >= columns)
            return 0.0;
        if (n.align.startsWith(QLatin1String("rl")))
            return c % 2 == 0 ? 0.0 : 2.0 * e;  // pairs of right- and left-set columns
        return 1.0 * e;                           // \arraycolsep on each side, \quad in cases
    };
    Box out;
    double total = 0;
    for (int r = 0; r < rows; ++r)
        total += heights[r] + depths[r] + (r ? jot : 0);
    double y = 0; // the top of the array, going down
    for (int r = 0; r < rows; ++r) {
        if (r)
            y += jot;
        y += heights[r];
        double x = 0;
        for (int c = 0; c < columns; ++c) {
            const Box &b = boxes[r * columns + c];
            const QChar a = n.align.at(c);
            const double dx = a == u'l' ? 0 : a == u'r' ? widths[c] - b.w : (widths[c] - b.w) / 2;
            // aligned's left-set columns start with the relation's own space: {}=...
            out.add(b, x + dx, -y);
            x += widths[c] + gapAfter(c);
        }
        out.w = std::max(out.w, x);
        y += depths[r];
    }
    // Centred on the axis.
    const double shift = total / 2 + k(HB_OT_MATH_CONSTANT_AXIS_HEIGHT, s);
    Box centred;
    centred.add(out, 0, shift);
    centred.w = out.w;
    centred.h = shift;
    centred.d = total - shift;
    return centred;
}

Box Layouter::boxed(const Node &n, Style s, QRgb color)
{
    const Box body = layout(*n.children[0], s, color);
    const double sep = 0.3 * em(s), rule = 0.04 * em(s);
    const double w = body.w + 2 * (sep + rule), top = body.h + sep + rule, bottom = body.d + sep + rule;
    Box out;
    out.add(body, sep + rule, 0);
    out.rules.append(MathRule{0, float(-bottom), float(w), float(rule), color});
    out.rules.append(MathRule{0, float(top - rule), float(w), float(rule), color});
    out.rules.append(MathRule{0, float(-bottom), float(rule), float(top + bottom), color});
    out.rules.append(MathRule{float(w - rule), float(-bottom), float(rule), float(top + bottom), color});
    out.w = w;
    out.h = top;
    out.d = bottom;
    return out;
}

} // namespace vexa::math::detail
