#pragma once

// What every answer block stands on: a bar at its left per quote around it (the first two;
// deeper quotes are set in further and share the second's bar), drawn by this item itself.
// Bars as child items would be two more items per block, hidden in most, and every item under
// a long chat, hidden ones too, is walked by the renderer on every frame it scrolls.
//
//     BlockFrame { indent: 1; quoteDepth: 2; barColor: VexaTheme.quoteBar }

#include "answerblocks.h"

#include <QColor>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace vexa::answer {

class BlockFrame : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    // Lists around the block: each sets it, and its bars, further in.
    Q_PROPERTY(int indent READ indent WRITE setIndent NOTIFY framingChanged)
    // Quotes around the block; no bar when 0.
    Q_PROPERTY(int quoteDepth READ quoteDepth WRITE setQuoteDepth NOTIFY framingChanged)
    Q_PROPERTY(QColor barColor READ barColor WRITE setBarColor NOTIFY framingChanged)

public:
    static constexpr qreal kBarWidth = 3;

    explicit BlockFrame(QQuickItem *parent = nullptr);

    int indent() const { return m_indent; }
    void setIndent(int indent);
    int quoteDepth() const { return m_quoteDepth; }
    void setQuoteDepth(int depth);
    QColor barColor() const { return m_barColor; }
    void setBarColor(const QColor &color);

    // Where the bars stand, from the block's left edge (none outside a quote).
    QList<qreal> barPositions() const;

Q_SIGNALS:
    void framingChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *node, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    void changed();

    int m_indent = 0;
    int m_quoteDepth = 0;
    QColor m_barColor;
};

} // namespace vexa::answer
