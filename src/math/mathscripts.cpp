// Scripts, limits, fractions and roots, on the MATH table's constants.
#include "mathlayoutcore.h"

#include <algorithm>
#include <cmath>

namespace vexa::math::detail {

namespace {
bool isEmptyRow(const Node &n)
{
    return n.kind == NodeKind::Row && n.children.isEmpty();
}

bool takesLimits(const Node &base, Style s)
{
    if (base.kind == NodeKind::OverUnder && base.stretchy)
        return true; // \overbrace{...}^{label}
    return base.atom == AtomClass::Op && base.limits && !base.noLimits && (s.display() || base.forceLimits);
}
} // namespace

Box Layouter::scripts(const Node &n, Style s, QRgb color)
{
    const Node &baseNode = *n.children[0];
    const Node *sub = isEmptyRow(*n.children[1]) ? nullptr : n.children[1].get();
    const Node *sup = isEmptyRow(*n.children[2]) ? nullptr : n.children[2].get();
    Box base = layout(baseNode, s, color);
    // Primes: the font's prime glyphs are raised already, so they join the base at its size;
    // what follows them (x'^2) is the superscript.
    Node rest;
    if (sup && sup->kind == NodeKind::Row && !sup->children.isEmpty()
        && sup->children.first()->kind == NodeKind::Symbol
        && sup->children.first()->text.startsWith(QChar(0x2032))) {
        const Box primes = layout(*sup->children.first(), s, color);
        const double italic = base.single ? base.italic : 0;
        Box joined;
        joined.add(base, 0, 0);
        joined.add(primes, base.w + italic, 0);
        joined.w = base.w + italic + primes.w;
        joined.h = std::max(base.h, primes.h);
        joined.d = std::max(base.d, primes.d);
        joined.single = true; // scripts keep the font's shifts, as on the letter itself
        base = joined;
        rest.children = sup->children.mid(1);
        sup = rest.children.isEmpty() ? nullptr : &rest;
    }
    if (n.limits || takesLimits(baseNode, s))
        return limits(base, sub, sup, s, color);

    // Scripts of a glyph (or of a word such as \sin) keep the font's shifts; a built base
    // (a fraction, a group) moves them with its own height and depth.
    // A big operator is a built box too: its scripts hang from its top and bottom.
    const bool glyphBase = (base.single && !baseNode.largeOp) || baseNode.kind == NodeKind::Text;
    double italic = glyphBase ? base.italic : 0;
    Box out;
    out.add(base, 0, 0);
    out.h = base.h;
    out.d = base.d;
    double supShift = 0, subShift = 0;
    Box supBox, subBox;
    const double gapMin = k(HB_OT_MATH_CONSTANT_SUB_SUPERSCRIPT_GAP_MIN, s);
    if (sup) {
        supBox = layout(*sup, s.sup(), color);
        const double up = s.cramped ? k(HB_OT_MATH_CONSTANT_SUPERSCRIPT_SHIFT_UP_CRAMPED, s)
                                    : k(HB_OT_MATH_CONSTANT_SUPERSCRIPT_SHIFT_UP, s);
        supShift = std::max({up, glyphBase ? 0.0 : base.h - k(HB_OT_MATH_CONSTANT_SUPERSCRIPT_BASELINE_DROP_MAX, s),
                             supBox.d + k(HB_OT_MATH_CONSTANT_SUPERSCRIPT_BOTTOM_MIN, s)});
    }
    if (sub) {
        subBox = layout(*sub, s.sub(), color);
        subShift = std::max({k(HB_OT_MATH_CONSTANT_SUBSCRIPT_SHIFT_DOWN, s),
                             glyphBase ? 0.0 : base.d + k(HB_OT_MATH_CONSTANT_SUBSCRIPT_BASELINE_DROP_MIN, s),
                             subBox.h - k(HB_OT_MATH_CONSTANT_SUBSCRIPT_TOP_MAX, s)});
    }
    if (sup && sub) {
        const double gap = (supShift - supBox.d) - (subBox.h - subShift);
        if (gap < gapMin) {
            subShift += gapMin - gap;
            const double maxBottom = k(HB_OT_MATH_CONSTANT_SUPERSCRIPT_BOTTOM_MAX_WITH_SUBSCRIPT, s);
            const double lift = std::min(maxBottom - (supShift - supBox.d), subShift - subBox.h + maxBottom);
            if (lift > 0) {
                supShift += lift;
                subShift -= lift;
            }
        }
    }
    const double space = k(HB_OT_MATH_CONSTANT_SPACE_AFTER_SCRIPT, s);
    double w = base.w;
    if (sup) {
        const double x = base.w + italic;
        out.add(supBox, x, supShift);
        out.h = std::max(out.h, supShift + supBox.h);
        out.d = std::max(out.d, supBox.d - supShift);
        w = std::max(w, x + supBox.w + space);
    }
    if (sub) {
        const double x = base.w;
        out.add(subBox, x, -subShift);
        out.d = std::max(out.d, subShift + subBox.d);
        out.h = std::max(out.h, subBox.h - subShift);
        w = std::max(w, x + subBox.w + space);
    }
    out.w = w;
    return out;
}

Box Layouter::limits(Box base, const Node *sub, const Node *sup, Style s, QRgb color)
{
    Box supBox, subBox;
    if (sup)
        supBox = layout(*sup, s.sup(), color);
    if (sub)
        subBox = layout(*sub, s.sub(), color);
    const double w = std::max({base.w, supBox.w, subBox.w});
    const double italic = base.single ? base.italic : 0;
    Box out;
    out.add(base, (w - base.w) / 2, 0);
    out.w = w;
    out.h = base.h;
    out.d = base.d;
    if (sup) {
        const double shift = std::max(k(HB_OT_MATH_CONSTANT_UPPER_LIMIT_BASELINE_RISE_MIN, s) + base.h,
                                      base.h + k(HB_OT_MATH_CONSTANT_UPPER_LIMIT_GAP_MIN, s) + supBox.d);
        out.add(supBox, (w - supBox.w) / 2 + italic / 2, shift);
        out.h = shift + supBox.h;
    }
    if (sub) {
        const double shift = std::max(k(HB_OT_MATH_CONSTANT_LOWER_LIMIT_BASELINE_DROP_MIN, s) + base.d,
                                      base.d + k(HB_OT_MATH_CONSTANT_LOWER_LIMIT_GAP_MIN, s) + subBox.h);
        out.add(subBox, (w - subBox.w) / 2 - italic / 2, -shift);
        out.d = shift + subBox.d;
    }
    return out;
}

Box Layouter::fraction(const Node &n, Style s, QRgb color)
{
    Style fs = s;
    if (n.style == FracStyle::Display)
        fs = {0, s.cramped};
    else if (n.style == FracStyle::Text)
        fs = {std::max(1, s.level), s.cramped};
    const Box num = layout(*n.children[0], fs.num(), color);
    const Box den = layout(*n.children[1], fs.den(), color);
    const double axis = k(HB_OT_MATH_CONSTANT_AXIS_HEIGHT, fs);
    const bool d = fs.display();
    double up, down;
    const double w = std::max(num.w, den.w);
    Box out;
    if (n.bar) {
        const double t = k(HB_OT_MATH_CONSTANT_FRACTION_RULE_THICKNESS, fs);
        up = k(d ? HB_OT_MATH_CONSTANT_FRACTION_NUMERATOR_DISPLAY_STYLE_SHIFT_UP
                 : HB_OT_MATH_CONSTANT_FRACTION_NUMERATOR_SHIFT_UP, fs);
        down = k(d ? HB_OT_MATH_CONSTANT_FRACTION_DENOMINATOR_DISPLAY_STYLE_SHIFT_DOWN
                   : HB_OT_MATH_CONSTANT_FRACTION_DENOMINATOR_SHIFT_DOWN, fs);
        const double numGap = k(d ? HB_OT_MATH_CONSTANT_FRACTION_NUM_DISPLAY_STYLE_GAP_MIN
                                  : HB_OT_MATH_CONSTANT_FRACTION_NUMERATOR_GAP_MIN, fs);
        const double denGap = k(d ? HB_OT_MATH_CONSTANT_FRACTION_DENOM_DISPLAY_STYLE_GAP_MIN
                                  : HB_OT_MATH_CONSTANT_FRACTION_DENOMINATOR_GAP_MIN, fs);
        up = std::max(up, axis + t / 2 + numGap + num.d);
        down = std::max(down, den.h + denGap - (axis - t / 2));
        out.rules.append(MathRule{0, float(axis - t / 2), float(w), float(t), color});
    } else {
        up = k(d ? HB_OT_MATH_CONSTANT_STACK_TOP_DISPLAY_STYLE_SHIFT_UP
                 : HB_OT_MATH_CONSTANT_STACK_TOP_SHIFT_UP, fs);
        down = k(d ? HB_OT_MATH_CONSTANT_STACK_BOTTOM_DISPLAY_STYLE_SHIFT_DOWN
                   : HB_OT_MATH_CONSTANT_STACK_BOTTOM_SHIFT_DOWN, fs);
        const double gapMin = k(d ? HB_OT_MATH_CONSTANT_STACK_DISPLAY_STYLE_GAP_MIN
                                  : HB_OT_MATH_CONSTANT_STACK_GAP_MIN, fs);
        const double gap = (up - num.d) - (den.h - down);
        if (gap < gapMin) {
            up += (gapMin - gap) / 2;
            down += (gapMin - gap) / 2;
        }
    }
    out.add(num, (w - num.w) / 2, up);
    out.add(den, (w - den.w) / 2, -down);
    out.w = w;
    out.h = up + num.h;
    out.d = down + den.d;
    // TeX's null delimiters (\nulldelimiterspace) on both sides of a fraction.
    const double pad = 0.12 * em(fs);
    Box padded;
    if (n.bar) {
        padded.add(out, pad, 0);
        padded.w = out.w + 2 * pad;
        padded.h = out.h;
        padded.d = out.d;
        return padded;
    }
    // \binom: parentheses grown to the stack.
    const double size = d ? k(HB_OT_MATH_CONSTANT_DELIMITED_SUB_FORMULA_MIN_HEIGHT, fs) * 1.01
                          : std::max(out.h - axis, out.d + axis) * 2;
    const Box open = delimiter(QStringLiteral("("), std::max(size, out.h + out.d), fs, color);
    const Box close = delimiter(QStringLiteral(")"), std::max(size, out.h + out.d), fs, color);
    padded.add(open, 0, 0);
    padded.add(out, open.w, 0);
    padded.add(close, open.w + out.w, 0);
    padded.w = open.w + out.w + close.w;
    padded.h = std::max({out.h, open.h, close.h});
    padded.d = std::max({out.d, open.d, close.d});
    return padded;
}

Box Layouter::root(const Node &n, Style s, QRgb color)
{
    const Box body = layout(*n.children[0], s.crampedStyle(), color);
    const double t = k(HB_OT_MATH_CONSTANT_RADICAL_RULE_THICKNESS, s);
    const double gap = k(s.display() ? HB_OT_MATH_CONSTANT_RADICAL_DISPLAY_STYLE_VERTICAL_GAP
                                     : HB_OT_MATH_CONSTANT_RADICAL_VERTICAL_GAP, s);
    const double extra = k(HB_OT_MATH_CONSTANT_RADICAL_EXTRA_ASCENDER, s);
    const Box sign = stretch(0x221A, body.h + body.d + gap + t, em(s), true, color);
    // The sign's top meets the overbar; the slack below the body is shared out.
    const double total = sign.h + sign.d;
    const double clearance = std::max(gap, (total - t - body.h - body.d) / 2 > gap
                                               ? (total - t - body.h - body.d) / 2 : gap);
    const double barBottom = body.h + clearance;
    const double signShift = barBottom + t - sign.h; // moves the sign's top to the bar's top
    Box out;
    double x = 0;
    if (n.children.size() > 1) {
        const Box index = layout(*n.children[1], {3, true}, color);
        const double before = k(HB_OT_MATH_CONSTANT_RADICAL_KERN_BEFORE_DEGREE, s);
        const double after = k(HB_OT_MATH_CONSTANT_RADICAL_KERN_AFTER_DEGREE, s);
        const double raise = m_font.constant(HB_OT_MATH_CONSTANT_RADICAL_DEGREE_BOTTOM_RAISE_PERCENT)
                           * total + (signShift - sign.d);
        out.add(index, before, raise + index.d);
        out.h = std::max(out.h, raise + index.d + index.h);
        x = std::max(0.0, before + index.w + after);
    }
    out.add(sign, x, signShift);
    x += sign.w;
    out.rules.append(MathRule{float(x), float(barBottom), float(body.w), float(t), color});
    out.add(body, x, 0);
    out.w = x + body.w;
    out.h = std::max(out.h, barBottom + t + extra);
    out.d = std::max(body.d, sign.d - signShift);
    return out;
}

} // namespace vexa::math::detail
