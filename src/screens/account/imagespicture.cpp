#include "imagespicture.h"

#include <QPainter>

namespace vexa {

ImagesPicture::ImagesPicture(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, &ImagesPicture::aspectHeightChanged);
}

void ImagesPicture::setImage(const QImage &image)
{
    m_image = image;
    Q_EMIT imageChanged();
    Q_EMIT aspectHeightChanged();
    update();
}

qreal ImagesPicture::aspectHeight() const
{
    if (m_image.isNull() || m_image.width() == 0)
        return 0;
    return width() * m_image.height() / m_image.width();
}

void ImagesPicture::paint(QPainter *painter)
{
    if (m_image.isNull())
        return;
    const QSizeF fitted = QSizeF(m_image.size()).scaled(size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, m_image);
}

} // namespace vexa
