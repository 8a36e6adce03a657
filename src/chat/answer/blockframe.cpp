#include "blockframe.h"

#include <QQuickWindow>
#include <QSGRectangleNode>

#include <algorithm>

namespace vexa::answer {

BlockFrame::BlockFrame(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void BlockFrame::setIndent(int indent)
{
    if (m_indent == indent)
        return;
    m_indent = indent;
    changed();
}

void BlockFrame::setQuoteDepth(int depth)
{
    if (m_quoteDepth == depth)
        return;
    m_quoteDepth = depth;
    changed();
}

void BlockFrame::setBarColor(const QColor &color)
{
    if (m_barColor == color)
        return;
    m_barColor = color;
    changed();
}

void BlockFrame::changed()
{
    update();
    Q_EMIT framingChanged();
}

QList<qreal> BlockFrame::barPositions() const
{
    const qreal start = m_indent * kListInset;
    QList<qreal> bars;
    if (m_quoteDepth > 0)
        bars.append(start + std::max(0, m_quoteDepth - 2) * kQuoteInset);
    if (m_quoteDepth > 1)
        bars.append(start + (m_quoteDepth - 1) * kQuoteInset);
    return bars;
}

QSGNode *BlockFrame::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    const QList<qreal> bars = barPositions();
    if (bars.isEmpty() || height() <= 0 || !window()) {
        delete old;
        return nullptr;
    }
    // A plain node holding a rectangle node per bar, kept while there are as many bars.
    QSGNode *node = old;
    if (node && node->childCount() != bars.size()) {
        delete node;
        node = nullptr;
    }
    if (!node) {
        node = new QSGNode;
        for (qsizetype i = 0; i < bars.size(); ++i)
            node->appendChildNode(window()->createRectangleNode());
    }
    QSGNode *child = node->firstChild();
    for (const qreal x : bars) {
        auto *bar = static_cast<QSGRectangleNode *>(child);
        const QRectF rect(x, 0, kBarWidth, height());
        if (bar->rect() != rect)
            bar->setRect(rect);
        if (bar->color() != m_barColor)
            bar->setColor(m_barColor);
        child = child->nextSibling();
    }
    return node;
}

void BlockFrame::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (m_quoteDepth > 0 && newGeometry.height() != oldGeometry.height())
        update();
}

} // namespace vexa::answer
