#include "codeeditorview.h"

#include "codeeditoraccessible.h"
#include "codefiletext.h"
#include "codetextlayout.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextLayout>

namespace vexa {

CodeEditorView::CodeEditorView(QQuickItem *parent)
    : QQuickItem(parent), m_document(new QTextDocument(this)), m_layout(new CodeTextLayout(m_document)),
      m_cursor(m_document)
{
    installCodeEditorAccessibility();
    setFlag(ItemHasContents);
    setFlag(ItemAcceptsInputMethod);
    setFlag(ItemIsFocusScope, false);
    setActiveFocusOnTab(true);
    setAcceptedMouseButtons(Qt::LeftButton | Qt::MiddleButton);
    setCursor(Qt::IBeamCursor);
    m_document->setUndoRedoEnabled(true);
    m_document->setDocumentLayout(m_layout);
    m_font.setFamily(QStringLiteral("monospace"));
    m_font.setStyleHint(QFont::Monospace);
    m_document->setDefaultFont(m_font);
    m_layout->setFont(m_font);

    connect(m_document, &QTextDocument::contentsChange, this, &CodeEditorView::contentsChanged);
    connect(m_document, &QTextDocument::undoAvailable, this, &CodeEditorView::undoRedoChanged);
    connect(m_document, &QTextDocument::redoAvailable, this, &CodeEditorView::undoRedoChanged);
    connect(m_layout, &QAbstractTextDocumentLayout::update, this, &CodeEditorView::layoutUpdated);
    connect(m_layout, &QAbstractTextDocumentLayout::documentSizeChanged, this, [this] {
        updateImplicitSize();
        Q_EMIT contentSizeChanged();
    });
    m_blink.setInterval(qMax(100, QGuiApplication::styleHints()->cursorFlashTime() / 2));
    connect(&m_blink, &QTimer::timeout, this, [this] {
        m_caretShown = !m_caretShown;
        repaint();
    });
}

CodeEditorView::~CodeEditorView() = default;

QString CodeEditorView::text() const
{
    return codefile::documentText(*m_document);
}

QString CodeEditorView::selectedLines() const
{
    return codefile::documentText(*m_document, selectionStart(), selectionEnd());
}

void CodeEditorView::setText(const QString &text)
{
    // Setting the text also empties the undo history: a file opened is not an edit.
    m_document->setPlainText(text);
    m_cursor = QTextCursor(m_document);
    cursorMoved();
}

void CodeEditorView::setCursorPosition(int position)
{
    m_cursor.setPosition(qBound(0, position, length()));
    cursorMoved();
}

QRectF CodeEditorView::positionToRectangle(int position) const
{
    const QTextBlock block = m_document->findBlock(qBound(0, position, length()));
    if (!block.isValid())
        return {};
    QTextLayout *layout = m_layout->ensureLayout(block);
    const int inBlock = position - block.position();
    qreal x = 0;
    if (layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(inBlock);
        x = (line.isValid() ? line : layout->lineAt(0)).cursorToX(inBlock);
    }
    return QRectF(leftPadding() + x, topPadding() + m_layout->blockTop(block), 1, m_layout->lineHeight());
}

QRectF CodeEditorView::cursorRectangle() const
{
    return positionToRectangle(m_cursor.position());
}

int CodeEditorView::positionAt(qreal x, qreal y) const
{
    return m_layout->hitTest(toDocument(QPointF(x, y)), Qt::FuzzyHit);
}

QPointF CodeEditorView::toDocument(const QPointF &point) const
{
    return point - QPointF(leftPadding(), topPadding());
}

qreal CodeEditorView::contentWidth() const { return m_layout->documentSize().width(); }
qreal CodeEditorView::contentHeight() const { return m_layout->documentSize().height(); }
qreal CodeEditorView::lineHeight() const { return m_layout->lineHeight(); }

int CodeEditorView::linesPerPage() const
{
    const qreal height = m_viewport.isValid() ? m_viewport.height() : this->height();
    return qMax(1, int(height / m_layout->lineHeight()) - 1);
}

void CodeEditorView::setLeftPadding(qreal value) { setPadding(m_padding.left, value); }
void CodeEditorView::setRightPadding(qreal value) { setPadding(m_padding.right, value); }
void CodeEditorView::setTopPadding(qreal value) { setPadding(m_padding.top, value); }
void CodeEditorView::setBottomPadding(qreal value) { setPadding(m_padding.bottom, value); }

void CodeEditorView::setPadding(qreal &side, qreal value)
{
    if (qFuzzyCompare(side, value))
        return;
    side = value;
    Q_EMIT paddingChanged();
    updateImplicitSize();
    cursorMoved(false);
}

void CodeEditorView::updateImplicitSize()
{
    setImplicitSize(contentWidth() + leftPadding() + rightPadding(), contentHeight() + topPadding() + bottomPadding());
}

void CodeEditorView::setViewport(const QRectF &viewport)
{
    if (m_viewport == viewport)
        return;
    m_viewport = viewport;
    Q_EMIT viewportChanged();
    repaint();
}

void CodeEditorView::setFont(const QFont &font)
{
    if (m_font == font)
        return;
    m_font = font;
    m_document->setDefaultFont(font);
    m_layout->setFont(font);
    Q_EMIT fontChanged();
    cursorMoved(false);
}

qreal CodeEditorView::tabStopDistance() const
{
    return m_document->defaultTextOption().tabStopDistance();
}

void CodeEditorView::setTabStopDistance(qreal distance)
{
    if (distance <= 0 || qFuzzyCompare(distance, tabStopDistance()))
        return;
    QTextOption option = m_document->defaultTextOption();
    option.setTabStopDistance(distance);
    m_document->setDefaultTextOption(option);
    m_layout->setTabStopDistance(distance);
    Q_EMIT tabStopDistanceChanged();
    cursorMoved(false);
}

void CodeEditorView::setReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    setFlag(ItemAcceptsInputMethod, !readOnly);
    Q_EMIT readOnlyChanged();
}

#define VEXA_COLOR_SETTER(name, member)          \
    void CodeEditorView::name(const QColor &color) \
    {                                              \
        if (member == color)                       \
            return;                                \
        member = color;                            \
        Q_EMIT colorsChanged();                    \
        repaint();                                 \
    }
VEXA_COLOR_SETTER(setColor, m_color)
VEXA_COLOR_SETTER(setBackgroundColor, m_backgroundColor)
VEXA_COLOR_SETTER(setSelectionColor, m_selectionColor)
VEXA_COLOR_SETTER(setSelectedTextColor, m_selectedTextColor)
VEXA_COLOR_SETTER(setCurrentLineColor, m_currentLineColor)
VEXA_COLOR_SETTER(setCursorColor, m_cursorColor)
#undef VEXA_COLOR_SETTER

void CodeEditorView::select(int start, int end)
{
    const int size = length();
    m_cursor.setPosition(qBound(0, start, size));
    m_cursor.setPosition(qBound(0, end, size), QTextCursor::KeepAnchor);
    cursorMoved();
}

void CodeEditorView::selectAll()
{
    m_cursor.select(QTextCursor::Document);
    cursorMoved();
}

void CodeEditorView::deselect()
{
    m_cursor.clearSelection();
    cursorMoved();
}

void CodeEditorView::undo()
{
    if (m_readOnly)
        return;
    m_document->undo(&m_cursor);
    cursorMoved();
}

void CodeEditorView::redo()
{
    if (m_readOnly)
        return;
    m_document->redo(&m_cursor);
    cursorMoved();
}

void CodeEditorView::copy() const
{
    if (m_cursor.hasSelection())
        QGuiApplication::clipboard()->setText(selectedLines());
}

void CodeEditorView::cut()
{
    if (m_readOnly || !m_cursor.hasSelection())
        return;
    copy();
    m_cursor.removeSelectedText();
    cursorMoved();
}

void CodeEditorView::paste()
{
    if (m_readOnly)
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    m_cursor.insertText(text);
    cursorMoved();
}

void CodeEditorView::insert(int position, const QString &text)
{
    if (m_readOnly)
        return;
    QTextCursor at(m_document);
    at.setPosition(qBound(0, position, length()));
    at.insertText(text);
}

void CodeEditorView::remove(int start, int end)
{
    if (m_readOnly)
        return;
    QTextCursor range(m_document);
    range.setPosition(qBound(0, start, length()));
    range.setPosition(qBound(0, end, length()), QTextCursor::KeepAnchor);
    range.removeSelectedText();
}

void CodeEditorView::cursorMoved(bool resetVerticalX)
{
    if (resetVerticalX)
        m_cursor.setVerticalMovementX(-1);
    if (hasActiveFocus())
        restartBlink();
    repaint();
    // Only what changed is announced: an edit comes here twice, from the document's change and
    // from the key that made it.
    const int position = m_cursor.position();
    const int start = m_cursor.selectionStart();
    const int end = m_cursor.selectionEnd();
    const QRectF rect = cursorRectangle();
    const bool selectionMoved = start != m_lastSelectionStart || end != m_lastSelectionEnd;
    const bool moved = position != m_lastPosition;
    if (!selectionMoved && !moved && rect == m_lastCursorRect)
        return;
    if (selectionMoved) {
        m_lastSelectionStart = start;
        m_lastSelectionEnd = end;
        Q_EMIT selectionChanged();
    }
    if (rect != m_lastCursorRect) {
        m_lastCursorRect = rect;
        Q_EMIT cursorRectangleChanged();
    }
    if (moved) {
        m_lastPosition = position;
        Q_EMIT cursorPositionChanged();
        notifyCodeEditorCursorMoved(this);
    }
    updateInputMethod();
}

void CodeEditorView::updateInputMethod()
{
    if (QGuiApplication::inputMethod() && hasActiveFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImCursorPosition | Qt::ImAnchorPosition
                                               | Qt::ImSurroundingText | Qt::ImCurrentSelection);
}

void CodeEditorView::contentsChanged(int position, int removed, int added)
{
    notifyCodeEditorTextChanged(this, position, removed, added);
    Q_EMIT textChanged();
    if (m_lineCount != m_document->blockCount()) {
        m_lineCount = m_document->blockCount();
        Q_EMIT lineCountChanged();
    }
    // The text around the cursor changed; the cursor kept its place in the text, and where that
    // is on screen may have moved.
    updateInputMethod();
    cursorMoved(false);
}

void CodeEditorView::layoutUpdated(const QRectF &rect)
{
    const QRectF inItem = rect.translated(leftPadding(), topPadding());
    if (inItem.intersects(drawnArea()))
        repaint();
}

void CodeEditorView::restartBlink()
{
    m_caretShown = true;
    if (!m_readOnly)
        m_blink.start();
}

void CodeEditorView::repaint()
{
    m_contentDirty = true;
    update();
}

QRectF CodeEditorView::drawnArea() const
{
    const QRectF bounds(0, 0, width(), height());
    if (m_viewport.isValid())
        return m_viewport.intersected(bounds);
    // Not told what is in view: the top of the item, as much as a screen could show.
    return bounds.intersected(QRectF(0, 0, 4096, 4096));
}

void CodeEditorView::focusInEvent(QFocusEvent *event)
{
    QQuickItem::focusInEvent(event);
    restartBlink();
    repaint();
}

void CodeEditorView::focusOutEvent(QFocusEvent *event)
{
    QQuickItem::focusOutEvent(event);
    m_blink.stop();
    m_caretShown = false;
    repaint();
}

QSGNode *CodeEditorView::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    const QRectF area = drawnArea();
    if (area.width() < 1 || area.height() < 1 || !window()) {
        delete old;
        return nullptr;
    }
    auto *node = static_cast<QSGImageNode *>(old);
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Nearest);
        m_contentDirty = true;
    }
    if (m_contentDirty || node->rect() != area) {
        m_contentDirty = false;
        const qreal ratio = window()->effectiveDevicePixelRatio();
        // An opaque ground is drawn as an opaque image, which the renderer copies without blending.
        const bool opaque = m_backgroundColor.alpha() == 255;
        QImage image((area.size() * ratio).toSize(), opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(m_backgroundColor);
        {
            QPainter painter(&image);
            painter.translate(-area.topLeft());
            paintText(painter, area);
        }
        node->setTexture(window()->createTextureFromImage(image));
        node->setRect(area);
        node->setSourceRect(QRectF(QPointF(), image.size()));
    }
    return node;
}

void CodeEditorView::paintText(QPainter &painter, const QRectF &area)
{
    m_layout->setDrawing(true);
    const QRectF caret = cursorRectangle();
    if (hasActiveFocus() && !m_cursor.hasSelection() && m_currentLineColor.alpha() > 0)
        painter.fillRect(QRectF(area.left(), caret.top(), area.width(), caret.height()), m_currentLineColor);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = area.translated(-leftPadding(), -topPadding());
    context.palette.setColor(QPalette::Text, m_color);
    context.cursorPosition = -1;
    if (m_cursor.hasSelection()) {
        QTextCharFormat format;
        format.setBackground(m_selectionColor);
        if (m_selectedTextColor.isValid())
            format.setForeground(m_selectedTextColor);
        context.selections.append({m_cursor, format});
    }
    painter.save();
    painter.translate(leftPadding(), topPadding());
    m_layout->draw(&painter, context);
    painter.restore();
    if (m_caretShown && hasActiveFocus())
        painter.fillRect(QRectF(caret.left(), caret.top(), 2, caret.height()),
                         m_cursorColor.isValid() ? m_cursorColor : m_color);
    m_layout->setDrawing(false);
}

} // namespace vexa
