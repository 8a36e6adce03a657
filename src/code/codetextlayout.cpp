#include "codetextlayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace vexa {

namespace {

// Wider than any line: with wrapping off a line takes its whole text whatever its width.
constexpr qreal kUnbounded = 1e7;
// A change over more blocks than this is taken as a new text (the width is estimated again).
constexpr int kManyBlocks = 2000;

} // namespace

CodeTextLayout::CodeTextLayout(QTextDocument *document) : QAbstractTextDocumentLayout(document)
{
    m_option.setWrapMode(QTextOption::NoWrap);
    m_option.setAlignment(Qt::AlignLeft);
    m_shrink.setSingleShot(true);
    m_shrink.setInterval(300);
    connect(&m_shrink, &QTimer::timeout, this, [this] {
        const qreal before = m_width;
        estimateWidth();
        if (!qFuzzyCompare(before, m_width))
            Q_EMIT documentSizeChanged(documentSize());
    });
    setFont(document->defaultFont());
}

void CodeTextLayout::setFont(const QFont &font)
{
    m_font = font;
    const QFontMetricsF metrics(font);
    // Whole pixels, so lines sit on the pixel grid at every scroll position.
    m_lineHeight = std::ceil(metrics.ascent()) + std::ceil(metrics.descent());
    m_advance = metrics.horizontalAdvance(QLatin1Char('M'));
    if (m_option.tabStopDistance() <= 0)
        m_option.setTabStopDistance(4 * m_advance);
    relayoutAll();
}

void CodeTextLayout::setTabStopDistance(qreal distance)
{
    if (distance <= 0 || qFuzzyCompare(distance, m_option.tabStopDistance()))
        return;
    m_option.setTabStopDistance(distance);
    relayoutAll();
}

QTextLayout *CodeTextLayout::ensureLayout(const QTextBlock &block) const
{
    QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() > 0)
        return layout;
    layout->setFont(m_font);
    layout->setTextOption(m_option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    // A line separator (U+2028) in a line starts another text line; it stays on the same row, so
    // every block keeps the one row its number gives it.
    qreal x = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(kUnbounded);
        line.setPosition(QPointF(x, 0));
        x += line.naturalTextWidth();
    }
    layout->endLayout();
    m_laidOut.push_back(block.blockNumber());
    while (m_laidOut.size() > kKeptLayouts) {
        const QTextBlock oldest = document()->findBlockByNumber(m_laidOut.front());
        m_laidOut.pop_front();
        if (oldest.isValid() && oldest != block)
            oldest.layout()->clearLayout();
    }
    // The layout stays at the origin: a line's place comes from its block's number, which lines
    // added or removed above change without the block being laid out again.
    grow(x);
    return layout;
}

QTextBlock CodeTextLayout::blockAt(qreal y) const
{
    const int count = document()->blockCount();
    const int number = std::clamp(int(std::floor(y / m_lineHeight)), 0, count - 1);
    return document()->findBlockByNumber(number);
}

void CodeTextLayout::draw(QPainter *painter, const PaintContext &context)
{
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(QPointF(), documentSize());
    painter->setPen(context.palette.color(QPalette::Text));
    const QTextBlock last = blockAt(clip.bottom());
    for (QTextBlock block = blockAt(clip.top()); block.isValid(); block = block.next()) {
        QTextLayout *layout = ensureLayout(block);
        const int start = block.position();
        const int end = start + block.length();
        QList<QTextLayout::FormatRange> ranges;
        for (const Selection &selection : context.selections) {
            const int from = qMax(selection.cursor.selectionStart(), start) - start;
            const int to = qMin(selection.cursor.selectionEnd(), end) - start;
            if (to > from)
                ranges.append({from, to - from, selection.format});
        }
        const QPointF origin(0, blockTop(block));
        layout->draw(painter, origin, ranges, clip);
        if (context.cursorPosition >= start && context.cursorPosition < end)
            layout->drawCursor(painter, origin, context.cursorPosition - start, 2);
        if (block == last)
            break;
    }
}

int CodeTextLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    const QSizeF size = documentSize();
    if (accuracy == Qt::ExactHit && (point.y() < 0 || point.y() >= size.height()))
        return -1;
    const QTextBlock block = blockAt(point.y());
    QTextLayout *layout = ensureLayout(block);
    if (!layout || layout->lineCount() == 0)
        return block.position();
    // The text line whose run covers x (several only around a line separator).
    QTextLine line = layout->lineAt(0);
    for (int i = 1; i < layout->lineCount() && point.x() >= layout->lineAt(i).x(); ++i)
        line = layout->lineAt(i);
    return block.position() + line.xToCursor(point.x());
}

QSizeF CodeTextLayout::documentSize() const
{
    return QSizeF(m_width, document()->blockCount() * m_lineHeight);
}

QRectF CodeTextLayout::frameBoundingRect(QTextFrame *) const
{
    return QRectF(QPointF(), documentSize());
}

QRectF CodeTextLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!block.isValid())
        return {};
    const QTextLayout *layout = ensureLayout(block);
    const qreal width = layout && layout->lineCount() > 0
        ? layout->lineAt(layout->lineCount() - 1).x() + layout->lineAt(layout->lineCount() - 1).naturalTextWidth()
        : 0;
    return QRectF(0, blockTop(block), width, m_lineHeight);
}

void CodeTextLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    QTextDocument *doc = document();
    const int count = doc->blockCount();
    QTextBlock first = doc->findBlock(from);
    QTextBlock last = doc->findBlock(qMax(from, from + charsAdded - 1));
    if (!first.isValid())
        first = doc->lastBlock();
    if (!last.isValid())
        last = doc->lastBlock();
    const bool countChanged = count != m_blockCount;
    m_blockCount = count;
    // A text set anew (or a change over most of it): every line again.
    if (last.blockNumber() - first.blockNumber() > kManyBlocks || (from == 0 && charsAdded >= doc->characterCount() - 1)) {
        relayoutAll();
        return;
    }
    if (charsRemoved > 0)
        m_shrink.start();
    // The changed lines are laid out again when next drawn; their width counts now.
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (QTextLayout *layout = block.layout())
            layout->clearLayout();
        grow(block.length() * m_advance);
        if (block == last)
            break;
    }
    const qreal top = blockTop(first);
    Q_EMIT update(countChanged ? QRectF(0, top, kUnbounded, kUnbounded)
                               : QRectF(0, top, kUnbounded, (last.blockNumber() - first.blockNumber() + 1) * m_lineHeight));
    if (countChanged)
        Q_EMIT documentSizeChanged(documentSize());
}

void CodeTextLayout::relayoutAll()
{
    QTextDocument *doc = document();
    m_blockCount = doc->blockCount();
    m_width = 0;
    m_laidOut.clear();
    for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
        if (QTextLayout *layout = block.layout(); layout && layout->lineCount() > 0)
            layout->clearLayout();
    }
    estimateWidth();
    Q_EMIT documentSizeChanged(documentSize());
    Q_EMIT update(QRectF(0, 0, kUnbounded, kUnbounded));
}

// Columns times the advance, tabs taken to their stops: exact for a monospaced font.
void CodeTextLayout::estimateWidth()
{
    const int tabColumns = qMax(1, qRound(m_option.tabStopDistance() / m_advance));
    int widest = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        // Only a line that could be wider than the widest so far is counted out.
        if ((block.length() - 1) * tabColumns <= widest)
            continue;
        const QString text = block.text();
        int columns = 0;
        for (const QChar c : text)
            columns = c == u'\t' ? (columns / tabColumns + 1) * tabColumns : columns + 1;
        widest = qMax(widest, columns);
    }
    m_width = widest * m_advance;
}

void CodeTextLayout::grow(qreal width) const
{
    if (width <= m_width)
        return;
    m_width = width;
    if (!m_drawing) {
        Q_EMIT const_cast<CodeTextLayout *>(this)->documentSizeChanged(documentSize());
        return;
    }
    // Announced once the drawing is over: the size must not change under the painter.
    if (!m_growing) {
        m_growing = true;
        QMetaObject::invokeMethod(const_cast<CodeTextLayout *>(this), [this] {
            m_growing = false;
            Q_EMIT const_cast<CodeTextLayout *>(this)->documentSizeChanged(documentSize());
        }, Qt::QueuedConnection);
    }
}

} // namespace vexa
