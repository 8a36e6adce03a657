#include "mathlayoutcore.h"

#include <algorithm>
#include <cmath>

namespace vexa::math {
namespace detail {

void Box::add(const Box &b, double dx, double dy)
{
    glyphs.reserve(glyphs.size() + b.glyphs.size());
    for (MathGlyph g : b.glyphs) {
        g.x += float(dx);
        g.y += float(dy);
        glyphs.append(g);
    }
    for (MathRule r : b.rules) {
        r.x += float(dx);
        r.y += float(dy);
        rules.append(r);
    }
}

namespace {

// Spacing between neighbouring atoms in mu (3 thin, 4 medium, 5 thick); negative: only outside
// script styles. Rows: left atom, columns: right atom (Ord Op Bin Rel Open Close Punct Inner).
constexpr int kSpacing[8][8] = {
    {0, 3, -4, -5, 0, 0, 0, -3},   {3, 3, 0, -5, 0, 0, 0, -3},
    {-4, -4, 0, 0, -4, 0, 0, -4},  {-5, -5, 0, 0, -5, 0, 0, -5},
    {0, 0, 0, 0, 0, 0, 0, 0},      {0, 3, -4, -5, 0, 0, 0, -3},
    {-3, -3, 0, -3, -3, -3, -3, -3}, {-3, 3, -4, -5, -3, 0, -3, -3},
};

AtomClass classOfNode(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Symbol: case NodeKind::Text: return n.atom;
    case NodeKind::Scripts: return n.children.isEmpty() ? AtomClass::Ord : classOfNode(*n.children.first());
    case NodeKind::Fraction: case NodeKind::Fenced: return AtomClass::Inner;
    case NodeKind::Colored:
        return n.children.value(0) && n.children.first()->children.size() == 1
                 ? classOfNode(*n.children.first()->children.first()) : AtomClass::Ord;
    case NodeKind::Row:
        return n.children.size() == 1 && n.atom != AtomClass::Ord ? classOfNode(*n.children.first()) : AtomClass::Ord;
    default: return AtomClass::Ord;
    }
}

bool isLatin(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

char32_t styledChar(char32_t c, MathVariant v)
{
    const bool lower = c >= 'a' && c <= 'z';
    const int i = lower ? int(c - 'a') + 26 : int(c - 'A');
    const bool digit = c >= '0' && c <= '9';
    switch (v) {
    case MathVariant::Upright:
        return c;
    case MathVariant::Normal:
    case MathVariant::Italic:
        if (c == 'h')
            return 0x210E;
        if (isLatin(c))
            return 0x1D434 + i;
        if (c >= 0x3B1 && c <= 0x3C9)
            return 0x1D6FC + (c - 0x3B1);
        if (c == 0x3F5) return 0x1D716;
        if (c == 0x3D1) return 0x1D717;
        if (c == 0x3D5) return 0x1D719;
        if (c == 0x3F1) return 0x1D71A;
        if (c == 0x3D6) return 0x1D71B;
        return c;
    case MathVariant::Bold:
        if (isLatin(c))
            return 0x1D400 + i;
        if (digit)
            return 0x1D7CE + (c - '0');
        if (c >= 0x3B1 && c <= 0x3C9)
            return 0x1D6C2 + (c - 0x3B1);
        return c;
    case MathVariant::DoubleStruck:
        switch (c) {
        case 'C': return 0x2102; case 'H': return 0x210D; case 'N': return 0x2115;
        case 'P': return 0x2119; case 'Q': return 0x211A; case 'R': return 0x211D;
        case 'Z': return 0x2124; default: break;
        }
        if (isLatin(c))
            return 0x1D538 + i;
        if (digit)
            return 0x1D7D8 + (c - '0');
        return c;
    case MathVariant::Script:
        switch (c) {
        case 'B': return 0x212C; case 'E': return 0x2130; case 'F': return 0x2131;
        case 'H': return 0x210B; case 'I': return 0x2110; case 'L': return 0x2112;
        case 'M': return 0x2133; case 'R': return 0x211B; case 'e': return 0x212F;
        case 'g': return 0x210A; case 'o': return 0x2134; default: break;
        }
        return isLatin(c) ? 0x1D49C + i : c;
    case MathVariant::Fraktur:
        switch (c) {
        case 'C': return 0x212D; case 'H': return 0x210C; case 'I': return 0x2111;
        case 'R': return 0x211C; case 'Z': return 0x2128; default: break;
        }
        return isLatin(c) ? 0x1D504 + i : c;
    }
    return c;
}

double Layouter::em(Style s) const
{
    if (s.level == 2)
        return m_px * m_font.constant(HB_OT_MATH_CONSTANT_SCRIPT_PERCENT_SCALE_DOWN);
    if (s.level == 3)
        return m_px * m_font.constant(HB_OT_MATH_CONSTANT_SCRIPT_SCRIPT_PERCENT_SCALE_DOWN);
    return m_px;
}

void Layouter::count(int glyphs)
{
    m_glyphs += glyphs;
    if (m_glyphs > kMaxGlyphs)
        fail(QStringLiteral("too many glyphs"));
}

Box Layouter::glyph(quint32 g, int font, double size, QRgb color)
{
    count(1);
    hb_font_t *f = m_font.font(font);
    const double scale = size / m_font.unitsPerEm(font);
    hb_glyph_extents_t ext{};
    hb_font_get_glyph_extents(f, g, &ext);
    Box b;
    b.w = hb_font_get_glyph_h_advance(f, g) * scale;
    b.h = std::max(0.0, ext.y_bearing * scale);
    b.d = std::max(0.0, -(ext.y_bearing + ext.height) * scale);
    b.single = true;
    if (font == 0) {
        b.italic = hb_ot_math_get_glyph_italics_correction(f, g) * scale;
        b.accentX = hb_ot_math_get_glyph_top_accent_attachment(f, g) * scale;
    }
    b.glyphs.append(MathGlyph{g, 0, 0, float(size), quint8(font), color});
    return b;
}

Box Layouter::character(char32_t c, double size, QRgb color)
{
    quint32 g = 0;
    int which = 0;
    if (!m_font.glyphFor(c, &g, &which))
        fail(QStringLiteral("no glyph for U+") + QString::number(uint(c), 16));
    return glyph(g, which, size, color);
}

Box Layouter::layout(const Node &n, Style s, QRgb color)
{
    if (++m_depth > 3 * kMaxNesting)
        fail(QStringLiteral("nesting"));
    Box b;
    switch (n.kind) {
    case NodeKind::Symbol: b = symbol(n, s, color); break;
    case NodeKind::Text: b = text(n, s, color); break;
    case NodeKind::Row: b = row(n, s, color); break;
    case NodeKind::Fraction: b = fraction(n, s, color); break;
    case NodeKind::Root: b = root(n, s, color); break;
    case NodeKind::Scripts: b = scripts(n, s, color); break;
    case NodeKind::Fenced: b = fenced(n, s, color); break;
    case NodeKind::Accent: b = accent(n, s, color); break;
    case NodeKind::OverUnder: b = overUnder(n, s, color); break;
    case NodeKind::Space: b.w = n.mu / 18.0 * em(s); break;
    case NodeKind::Array: b = array(n, s, color); break;
    case NodeKind::Boxed: b = boxed(n, s, color); break;
    case NodeKind::Colored: {
        const QColor c(n.color);
        b = row(*n.children.first(), s, c.isValid() ? c.rgba() : color);
        break;
    }
    }
    b.atom = classOfNode(n);
    --m_depth;
    return b;
}

Box Layouter::row(const Node &n, Style s, QRgb color)
{
    if (n.kind != NodeKind::Row)
        return layout(n, s, color);
    // Atom classes, binary operators without operands taken as ordinary (TeX's rules 5 and 6).
    QList<int> atoms;
    for (const auto &c : n.children)
        atoms.append(c->kind == NodeKind::Space ? -1 : int(classOfNode(*c)));
    int prev = -1;
    for (int i = 0; i < atoms.size(); ++i) {
        if (atoms[i] < 0)
            continue;
        auto a = AtomClass(atoms[i]);
        if (a == AtomClass::Bin) {
            const bool noLeft = prev < 0 || prev == int(AtomClass::Bin) || prev == int(AtomClass::Op)
                             || prev == int(AtomClass::Rel) || prev == int(AtomClass::Open)
                             || prev == int(AtomClass::Punct);
            int next = -1;
            for (int j = i + 1; j < atoms.size() && next < 0; ++j)
                next = atoms[j];
            const bool noRight = next < 0 || next == int(AtomClass::Rel) || next == int(AtomClass::Close)
                              || next == int(AtomClass::Punct);
            if (noLeft || noRight)
                atoms[i] = int(AtomClass::Ord);
        }
        prev = atoms[i];
    }
    Box out;
    double x = 0;
    prev = -1;
    for (int i = 0; i < n.children.size(); ++i) {
        const Node &c = *n.children[i];
        if (atoms[i] >= 0 && prev >= 0) {
            const int sp = kSpacing[prev][atoms[i]];
            if (sp > 0 || (sp < 0 && !s.script()))
                x += std::abs(sp) / 18.0 * em(s);
        }
        Box b = layout(c, s, color);
        // A letter's italic correction joins its width unless a script takes it.
        // \mathit spells words: no corrections inside one, only at its end.
        const bool inWord = c.variant == MathVariant::Italic && i + 1 < n.children.size()
                         && n.children[i + 1]->kind == NodeKind::Symbol
                         && n.children[i + 1]->variant == MathVariant::Italic;
        if (b.single && c.kind == NodeKind::Symbol && c.atom != AtomClass::Op && !inWord)
            b.w += b.italic;
        if (n.children.size() == 1) { // a group of one keeps what accents and scripts read
            out.single = b.single;
            out.italic = b.italic;
            out.accentX = b.accentX;
            if (b.single && c.kind == NodeKind::Symbol && c.atom != AtomClass::Op)
                b.w -= b.italic; // and leaves the italic correction to its scripts
        }
        out.add(b, x, 0);
        x += b.w;
        out.h = std::max(out.h, b.h);
        out.d = std::max(out.d, b.d);
        if (atoms[i] >= 0)
            prev = atoms[i];
    }
    out.w = x;
    return out;
}

Box Layouter::symbol(const Node &n, Style s, QRgb color)
{
    if (n.atom == AtomClass::Op && n.largeOp)
        return bigOperator(n, s, color);
    const QList<uint> codes = n.text.toUcs4();
    if (n.mu > 0 && codes.size() == 1) // \big( and friends: a fixed height
        return delimiter(n.text, n.mu * em(s), s, color);
    Box out;
    for (uint c : codes) {
        const Box b = character(styledChar(c, n.variant), em(s), color);
        out.add(b, out.w, 0);
        out.w += b.w;
        out.h = std::max(out.h, b.h);
        out.d = std::max(out.d, b.d);
        out.italic = b.italic;
        out.accentX = b.accentX;
    }
    out.single = codes.size() == 1;
    return out;
}

Box Layouter::bigOperator(const Node &n, Style s, QRgb color)
{
    quint32 g = 0;
    int which = 0;
    if (!m_font.glyphFor(n.text.toUcs4().value(0), &g, &which))
        fail(QStringLiteral("no operator glyph"));
    if (s.display() && which == 0) {
        const double minHeight = k(HB_OT_MATH_CONSTANT_DISPLAY_OPERATOR_MIN_HEIGHT, s);
        hb_ot_math_glyph_variant_t variants[16];
        unsigned int total = 16;
        hb_ot_math_get_glyph_variants(m_font.font(0), g, HB_DIRECTION_BTT, 0, &total, variants);
        const double scale = em(s) / m_font.unitsPerEm(0);
        for (unsigned int i = 0; i < total; ++i) {
            g = variants[i].glyph;
            if (variants[i].advance * scale >= minHeight)
                break;
        }
    }
    Box b = glyph(g, which, em(s), color);
    // Centred on the math axis.
    const double shift = (b.h - b.d) / 2 - k(HB_OT_MATH_CONSTANT_AXIS_HEIGHT, s);
    Box out;
    out.add(b, 0, -shift);
    out.w = b.w;
    out.h = b.h - shift;
    out.d = b.d + shift;
    out.italic = b.italic;
    out.single = true;
    return out;
}

Box Layouter::text(const Node &n, Style s, QRgb color)
{
    // Shaped run by run: the math font where it has the letters, the serif face elsewhere.
    Box out;
    const QList<uint> codes = n.text.toUcs4();
    int i = 0;
    while (i < codes.size()) {
        quint32 g = 0;
        int which = 0;
        if (!m_font.glyphFor(codes[i], &g, &which))
            fail(QStringLiteral("no glyph for U+") + QString::number(codes[i], 16));
        int j = i + 1;
        for (int w = 0; j < codes.size() && m_font.glyphFor(codes[j], &g, &w) && (w == which || codes[j] == ' '); ++j) { }
        hb_buffer_t *buf = hb_buffer_create();
        hb_buffer_add_utf32(buf, reinterpret_cast<const uint32_t *>(codes.constData()) , codes.size(), i, j - i);
        hb_buffer_guess_segment_properties(buf);
        hb_shape(m_font.font(which), buf, nullptr, 0);
        unsigned int len = 0;
        const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buf, &len);
        const hb_glyph_position_t *pos = hb_buffer_get_glyph_positions(buf, nullptr);
        const double scale = em(s) / m_font.unitsPerEm(which);
        for (unsigned int q = 0; q < len; ++q) {
            Box b = glyph(info[q].codepoint, which, em(s), color);
            double advance = pos[q].x_advance * scale;
            if (n.variant == MathVariant::Bold || n.variant == MathVariant::Italic) {
                // \textbf and \textit draw the math font's bold or italic letters.
                const char32_t c = codes.value(int(info[q].cluster));
                const char32_t styled = styledChar(c, n.variant);
                if (styled != c) {
                    m_glyphs -= 1;
                    b = character(styled, em(s), color);
                    advance = b.w;
                }
            }
            out.add(b, out.w + pos[q].x_offset * scale, pos[q].y_offset * scale);
            out.w += advance;
            out.h = std::max(out.h, b.h);
            out.d = std::max(out.d, b.d);
        }
        hb_buffer_destroy(buf);
        i = j;
    }
    return out;
}

} // namespace detail

MathLayout layoutMath(const Node &root, double pixelSize, bool display)
{
    const MathFont *font = MathFont::shared();
    if (!font)
        return {false, QStringLiteral("the math font is missing"), {}};
    if (!(pixelSize > 1 && pixelSize < 1000))
        return {false, QStringLiteral("bad size"), {}};
    try {
        detail::Layouter layouter(*font, pixelSize);
        const detail::Box b = layouter.layout(root, {display ? 0 : 1, false}, 0);
        MathLayout out;
        out.ok = true;
        out.box.width = b.w + (b.single ? b.italic : 0);
        out.box.height = b.h;
        out.box.depth = b.d;
        out.box.glyphs = b.glyphs;
        out.box.rules = b.rules;
        return out;
    } catch (const detail::LayoutError &e) {
        return {false, e.why, {}};
    }
}

MathLayout typesetMath(const QString &tex, double pixelSize, bool display)
{
    const ParseResult parsed = parseMath(tex);
    if (!parsed.root)
        return {false, parsed.error, {}};
    return layoutMath(*parsed.root, pixelSize, display);
}

} // namespace vexa::math
