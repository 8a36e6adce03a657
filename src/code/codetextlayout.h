#pragma once

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QTextBlock>
#include <QTextOption>
#include <QTimer>

#include <deque>

namespace vexa {

// The layout of a code editor's document: one line per block, no wrapping, every line as high as
// the font's line, so a line's place follows from its number alone. Blocks are laid out when
// they are asked for (drawn, hit, measured by a cursor) and laid out again only when their text
// or formats change, so an edit costs the lines it touched whatever the document's size: Qt's
// general document layout passes over every block after each change.
//
// The width is that of the widest line laid out so far, or estimated from the character count
// of the lines not laid out yet (a monospaced font); it grows as lines are laid out and shrinks
// only when the whole text is replaced.
class CodeTextLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT

public:
    // Lines whose layout (with its shaped glyphs) is kept; the oldest laid out beyond that are
    // let go and laid out again if they are reached again, so scrolling through a large file
    // does not keep a layout of every line it passed.
    static constexpr std::size_t kKeptLayouts = 2000;

    explicit CodeTextLayout(QTextDocument *document);

    void setFont(const QFont &font);
    void setTabStopDistance(qreal distance);
    qreal lineHeight() const { return m_lineHeight; }
    // Set around drawing (which may be on the render thread): a line found wider meanwhile is
    // announced afterwards, on the layout's own thread.
    void setDrawing(bool drawing) { m_drawing = drawing; }

    // The block's layout, laid out now if it was not (or no longer is).
    QTextLayout *ensureLayout(const QTextBlock &block) const;
    // The top of a block's line.
    qreal blockTop(const QTextBlock &block) const { return block.blockNumber() * m_lineHeight; }
    // The block whose line is at y (clamped to the first and the last).
    QTextBlock blockAt(qreal y) const;

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void relayoutAll();
    void estimateWidth();
    void grow(qreal width) const;

    QFont m_font;
    QTextOption m_option;
    qreal m_lineHeight = 16;
    qreal m_advance = 8;
    mutable qreal m_width = 0;
    bool m_drawing = false;
    mutable bool m_growing = false;
    // After text was removed, the width is measured again once the typing pauses.
    QTimer m_shrink;
    // The numbers of the blocks laid out, oldest first. Lines added or removed since shift them:
    // then another block's layout is let go, which costs only its laying out again.
    mutable std::deque<int> m_laidOut;
    int m_blockCount = 1;
};

} // namespace vexa
