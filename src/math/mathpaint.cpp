#include "mathpaint.h"
#include "mathfont.h"

#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>

#include <cmath>
#include <map>
#include <tuple>

namespace vexa::math {

namespace {
// QRawFont is not shared between threads: each thread that paints keeps its own faces.
QRawFont rawFont(int which, double size)
{
    thread_local QHash<QPair<int, int>, QRawFont> fonts;
    const auto key = qMakePair(which, int(std::lround(size * 64)));
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        const MathFont *f = MathFont::shared();
        if (fonts.size() > 64)
            fonts.clear();
        it = fonts.insert(key, f ? QRawFont(f->data(which), size) : QRawFont());
    }
    return *it;
}
} // namespace

void paintMath(QPainter &painter, const MathBox &box, QPointF origin, const QColor &color)
{
    // One glyph run per face, size and colour.
    using Key = std::tuple<int, float, QRgb>;
    std::map<Key, std::pair<QList<quint32>, QList<QPointF>>> runs;
    for (const MathGlyph &g : box.glyphs) {
        auto &run = runs[{g.font, g.size, g.color}];
        run.first.append(g.glyph);
        run.second.append(QPointF(g.x, -g.y));
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const auto &[key, run] : runs) {
        QRawFont font = rawFont(std::get<0>(key), std::get<1>(key));
        if (!font.isValid())
            continue;
        QGlyphRun glyphs;
        glyphs.setRawFont(font);
        glyphs.setGlyphIndexes(run.first);
        glyphs.setPositions(run.second);
        const QRgb c = std::get<2>(key);
        painter.setPen(c ? QColor::fromRgba(c) : color);
        painter.drawGlyphRun(origin, glyphs);
    }
    for (const MathRule &r : box.rules) {
        // Rules at least one device pixel thick, so fraction bars do not vanish when small.
        const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const qreal h = std::max<qreal>(r.height, 1.0 / dpr);
        painter.fillRect(QRectF(origin.x() + r.x, origin.y() - r.y - h, r.width, h),
                         r.color ? QColor::fromRgba(r.color) : color);
    }
    painter.restore();
}

QImage renderMath(const MathBox &box, const QColor &color, qreal devicePixelRatio)
{
    const int w = std::max(1, int(std::ceil(box.width)));
    const int top = int(std::ceil(box.height));
    const int h = std::max(1, top + int(std::ceil(box.depth)));
    QImage image(QSize(int(std::ceil(w * devicePixelRatio)), int(std::ceil(h * devicePixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintMath(painter, box, QPointF(0, top), color);
    return image;
}

} // namespace vexa::math
