#pragma once

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// The backdrop behind every screen, drawn as one picture: a dark vertical gradient and three
// soft round patches of colour (each its colour at the centre, 45 % of that alpha at 45 % of the
// radius, transparent at the rim), placed by `phase` (0 to 1) as the backdrop drifts.
//
// Nothing in it has detail finer than a few dozen pixels, so it is drawn at a quarter of the
// item's size and scaled up with linear filtering: one small picture, redrawn only when the
// size, the colours or the phase change. As separate full-size items the gradients were filled
// pixel by pixel in every frame the software renderer drew, the window's first frame included.
class BackdropPicture : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor topColor READ topColor WRITE setTopColor NOTIFY lookChanged)
    Q_PROPERTY(QColor bottomColor READ bottomColor WRITE setBottomColor NOTIFY lookChanged)
    Q_PROPERTY(qreal phase READ phase WRITE setPhase NOTIFY phaseChanged)

public:
    explicit BackdropPicture(QQuickItem *parent = nullptr);

    QColor topColor() const { return m_top; }
    void setTopColor(const QColor &color) { setGroundColor(m_top, color); }
    QColor bottomColor() const { return m_bottom; }
    void setBottomColor(const QColor &color) { setGroundColor(m_bottom, color); }
    qreal phase() const { return m_phase; }
    void setPhase(qreal phase);

    // The picture for a backdrop of `size` at `phase`, drawn at `scale` of that size.
    static QImage picture(QSizeF size, qreal phase, const QColor &top, const QColor &bottom,
                          qreal scale);

Q_SIGNALS:
    void lookChanged();
    void phaseChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    void redraw();
    void setGroundColor(QColor &member, const QColor &color);

    QColor m_top;
    QColor m_bottom;
    qreal m_phase = 0;
    bool m_pictureChanged = true;
};

} // namespace vexa
