#pragma once

// The bundled math font (Latin Modern Math, with its OpenType MATH table) and the serif face for
// letters it lacks (Cyrillic in \text), opened once for HarfBuzz and for drawing. Read-only after
// loading, so worker threads share it.

#include <QByteArray>

#include <hb-ot.h>
#include <hb.h>

#include <array>
#include <memory>

namespace vexa::math {

class MathFont {
public:
    // The bundled fonts; null when they cannot be opened (the formulas are then shown as source).
    static const MathFont *shared();

    MathFont(QByteArray mathData, QByteArray textData);
    ~MathFont();
    MathFont(const MathFont &) = delete;
    MathFont &operator=(const MathFont &) = delete;

    bool isValid() const { return m_valid; }
    hb_font_t *font(int which) const { return which == 0 ? m_math : m_text; }
    const QByteArray &data(int which) const { return which == 0 ? m_mathData : m_textData; }
    double unitsPerEm(int which) const { return which == 0 ? m_mathUpem : m_textUpem; }

    // A MATH table constant in ems (percentages as fractions).
    double constant(hb_ot_math_constant_t c) const { return m_constants[c]; }

    // The glyph for a character: in the math font when it has one (which = 0), else in the text
    // face (which = 1); false when neither has it.
    bool glyphFor(char32_t c, quint32 *glyph, int *which) const;

private:
    QByteArray m_mathData, m_textData;
    hb_blob_t *m_blobs[2] = {};
    hb_face_t *m_faces[2] = {};
    hb_font_t *m_math = nullptr;
    hb_font_t *m_text = nullptr;
    double m_mathUpem = 1000, m_textUpem = 2048;
    bool m_valid = false;
    std::array<double, HB_OT_MATH_CONSTANT_RADICAL_DEGREE_BOTTOM_RAISE_PERCENT + 1> m_constants{};
};

} // namespace vexa::math
