#include "backdroppicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QQuickWindow>
#include <QRadialGradient>
#include <QSGImageNode>
#include <QSGTexture>

#include <algorithm>
#include <array>
#include <cmath>

namespace vexa {

namespace {

constexpr qreal kPictureScale = 0.25;

struct Patch {
    QColor color;
    qreal diameter; // a share of the backdrop's longer side
    QPointF at;     // its bounding square's top-left corner
};

// The three patches at `phase`: where they sit and how they drift.
std::array<Patch, 3> patches(QSizeF size, qreal phase)
{
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal longer = std::max(w, h);
    const qreal d1 = longer * 0.9;
    const qreal d2 = longer * 0.75;
    const qreal d3 = longer * 0.6;
    return {{
        {QColor::fromRgbF(0.46f, 0.32f, 1.0f, 0.34f), d1,
         QPointF(-d1 * 0.3 + w * 0.12 * phase, -d1 * 0.35 + h * 0.08 * phase)},
        {QColor::fromRgbF(0.1f, 0.62f, 0.86f, 0.24f), d2,
         QPointF(w - d2 * 0.62 - w * 0.1 * phase, h * 0.3 + h * 0.12 * phase)},
        {QColor::fromRgbF(0.85f, 0.3f, 0.62f, 0.16f), d3,
         QPointF(w * 0.18 + w * 0.14 * phase, h - d3 * 0.5 - h * 0.1 * phase)},
    }};
}

} // namespace

BackdropPicture::BackdropPicture(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
}

void BackdropPicture::redraw()
{
    m_pictureChanged = true;
    update();
}

void BackdropPicture::setGroundColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    redraw();
    Q_EMIT lookChanged();
}

void BackdropPicture::setPhase(qreal phase)
{
    if (qFuzzyCompare(m_phase + 1, phase + 1))
        return;
    m_phase = phase;
    redraw();
    Q_EMIT phaseChanged();
}

void BackdropPicture::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        redraw();
}

QImage BackdropPicture::picture(QSizeF size, qreal phase, const QColor &top, const QColor &bottom,
                                qreal scale)
{
    if (size.isEmpty())
        return {};
    const QSize pixels(std::max(1, int(std::ceil(size.width() * scale))),
                       std::max(1, int(std::ceil(size.height() * scale))));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    // Whole pixels: the picture covers exactly the item once stretched to it, on each axis.
    painter.scale(pixels.width() / size.width(), pixels.height() / size.height());
    painter.setPen(Qt::NoPen);
    QLinearGradient ground(0, 0, 0, size.height());
    ground.setColorAt(0, top);
    ground.setColorAt(1, bottom);
    painter.fillRect(QRectF(QPointF(0, 0), size), ground);

    painter.setRenderHint(QPainter::Antialiasing);
    for (const Patch &patch : patches(size, phase)) {
        const qreal radius = patch.diameter / 2;
        const QPointF centre = patch.at + QPointF(radius, radius);
        QRadialGradient gradient(centre, radius);
        QColor middle = patch.color;
        middle.setAlphaF(patch.color.alphaF() * 0.45f);
        QColor rim = patch.color;
        rim.setAlphaF(0);
        gradient.setColorAt(0, patch.color);
        gradient.setColorAt(0.45, middle);
        gradient.setColorAt(1, rim);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius, radius);
    }
    return image;
}

QSGNode *BackdropPicture::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    auto *node = static_cast<QSGImageNode *>(old);
    if (width() <= 0 || height() <= 0) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
        m_pictureChanged = true;
    }
    if (m_pictureChanged) {
        const QImage image = picture(size(), m_phase, m_top, m_bottom, kPictureScale);
        node->setTexture(window()->createTextureFromImage(image));
        m_pictureChanged = false;
    }
    node->setRect(boundingRect());
    return node;
}

} // namespace vexa
