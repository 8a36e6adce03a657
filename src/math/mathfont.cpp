#include "mathfont.h"

#include <QFile>

namespace vexa::math {

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

const MathFont *MathFont::shared()
{
    // Thread-safe static: the first formula of any thread opens it.
    static const std::unique_ptr<MathFont> font = [] {
        auto f = std::make_unique<MathFont>(readAll(QStringLiteral(":/vexa/math/latinmodern-math.otf")),
                                            readAll(QStringLiteral(":/vexa/math/DejaVuSerif.ttf")));
        return f;
    }();
    return font->isValid() ? font.get() : nullptr;
}

MathFont::MathFont(QByteArray mathData, QByteArray textData)
    : m_mathData(std::move(mathData)), m_textData(std::move(textData))
{
    if (m_mathData.isEmpty() || m_textData.isEmpty())
        return;
    const QByteArray *datas[2] = {&m_mathData, &m_textData};
    hb_font_t *fonts[2] = {};
    for (int i = 0; i < 2; ++i) {
        m_blobs[i] = hb_blob_create(datas[i]->constData(), unsigned(datas[i]->size()),
                                    HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        m_faces[i] = hb_face_create(m_blobs[i], 0);
        fonts[i] = hb_font_create(m_faces[i]);
        const int upem = int(hb_face_get_upem(m_faces[i]));
        hb_font_set_scale(fonts[i], upem, upem);
        hb_font_make_immutable(fonts[i]);
    }
    m_math = fonts[0];
    m_text = fonts[1];
    m_mathUpem = hb_face_get_upem(m_faces[0]);
    m_textUpem = hb_face_get_upem(m_faces[1]);
    if (!hb_ot_math_has_data(m_faces[0]))
        return;
    for (int c = 0; c < int(m_constants.size()); ++c) {
        const auto id = hb_ot_math_constant_t(c);
        const double v = hb_ot_math_get_constant(m_math, id);
        const bool percent = id == HB_OT_MATH_CONSTANT_SCRIPT_PERCENT_SCALE_DOWN
                          || id == HB_OT_MATH_CONSTANT_SCRIPT_SCRIPT_PERCENT_SCALE_DOWN
                          || id == HB_OT_MATH_CONSTANT_RADICAL_DEGREE_BOTTOM_RAISE_PERCENT;
        m_constants[c] = percent ? v / 100.0 : v / m_mathUpem;
    }
    m_valid = true;
}

MathFont::~MathFont()
{
    for (int i = 0; i < 2; ++i) {
        hb_font_destroy(i == 0 ? m_math : m_text);
        hb_face_destroy(m_faces[i]);
        hb_blob_destroy(m_blobs[i]);
    }
}

bool MathFont::glyphFor(char32_t c, quint32 *glyph, int *which) const
{
    hb_codepoint_t g = 0;
    if (hb_font_get_nominal_glyph(m_math, c, &g)) {
        *glyph = g;
        *which = 0;
        return true;
    }
    if (hb_font_get_nominal_glyph(m_text, c, &g)) {
        *glyph = g;
        *which = 1;
        return true;
    }
    return false;
}

} // namespace vexa::math
