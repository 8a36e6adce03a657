#pragma once

// Draws a picture fitted into the item, keeping its proportions. It is handed the screen's
// preview copy, already scaled off the main thread, so painting stays cheap for large pictures.

#include <QImage>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class ImagesPicture : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged)
    // The picture's height for the item's width (0 without a picture).
    Q_PROPERTY(qreal aspectHeight READ aspectHeight NOTIFY aspectHeightChanged)

public:
    explicit ImagesPicture(QQuickItem *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    qreal aspectHeight() const;

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void imageChanged();
    void aspectHeightChanged();

private:
    QImage m_image;
};

} // namespace vexa
