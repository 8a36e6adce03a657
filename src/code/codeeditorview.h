#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class CodeTextLayout;

// The code editor's text: a plain text document with its own cursor, drawn one line per block
// and only where it is in view, so typing in a 50,000-line file costs the lines on screen and
// the line typed in. It is as large as its text, placed in a Flickable like a TextEdit, and is
// told which part of it is in view (`viewport`, in its own coordinates); it draws that part into
// one image per frame. Its properties and methods carry TextEdit's names, so the pane, the
// scroller, the gutter and the find bar drive it as they would a TextEdit:
//     CodeEditorView { id: editor; viewport: Qt.rect(flick.contentX, flick.contentY, flick.width, flick.height) }
// The document belongs to the item; the highlighter, the editing helpers, the find bar and the
// project store work on it directly (`document`).
class CodeEditorView : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QTextDocument *document READ document CONSTANT)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(int length READ length NOTIFY textChanged)
    Q_PROPERTY(int lineCount READ lineCount NOTIFY lineCountChanged)
    Q_PROPERTY(int cursorPosition READ cursorPosition WRITE setCursorPosition NOTIFY cursorPositionChanged)
    Q_PROPERTY(int selectionStart READ selectionStart NOTIFY selectionChanged)
    Q_PROPERTY(int selectionEnd READ selectionEnd NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedText READ selectedText NOTIFY selectionChanged)
    Q_PROPERTY(QRectF cursorRectangle READ cursorRectangle NOTIFY cursorRectangleChanged)
    Q_PROPERTY(qreal contentWidth READ contentWidth NOTIFY contentSizeChanged)
    Q_PROPERTY(qreal contentHeight READ contentHeight NOTIFY contentSizeChanged)
    Q_PROPERTY(qreal lineHeight READ lineHeight NOTIFY fontChanged)
    Q_PROPERTY(qreal leftPadding READ leftPadding WRITE setLeftPadding NOTIFY paddingChanged)
    Q_PROPERTY(qreal rightPadding READ rightPadding WRITE setRightPadding NOTIFY paddingChanged)
    Q_PROPERTY(qreal topPadding READ topPadding WRITE setTopPadding NOTIFY paddingChanged)
    Q_PROPERTY(qreal bottomPadding READ bottomPadding WRITE setBottomPadding NOTIFY paddingChanged)
    Q_PROPERTY(QRectF viewport READ viewport WRITE setViewport NOTIFY viewportChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged)
    Q_PROPERTY(qreal tabStopDistance READ tabStopDistance WRITE setTabStopDistance NOTIFY tabStopDistanceChanged)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly NOTIFY readOnlyChanged)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY undoRedoChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY undoRedoChanged)
    // Colours: the text's own (syntax colours override it), the ground drawn under the text (opaque
    // is cheapest to draw), the selection's, and the current line's while nothing is selected.
    Q_PROPERTY(QColor color MEMBER m_color WRITE setColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor backgroundColor MEMBER m_backgroundColor WRITE setBackgroundColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor selectionColor MEMBER m_selectionColor WRITE setSelectionColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor selectedTextColor MEMBER m_selectedTextColor WRITE setSelectedTextColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor currentLineColor MEMBER m_currentLineColor WRITE setCurrentLineColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor cursorColor MEMBER m_cursorColor WRITE setCursorColor NOTIFY colorsChanged)

public:
    explicit CodeEditorView(QQuickItem *parent = nullptr);
    ~CodeEditorView() override;

    QTextDocument *document() const { return m_document; }
    CodeTextLayout *textLayout() const { return m_layout; }
    QString text() const;
    void setText(const QString &text);
    int length() const { return m_document->characterCount() - 1; }
    int lineCount() const { return m_document->blockCount(); }
    int cursorPosition() const { return m_cursor.position(); }
    void setCursorPosition(int position);
    int selectionStart() const { return m_cursor.selectionStart(); }
    int selectionEnd() const { return m_cursor.selectionEnd(); }
    QString selectedText() const { return m_cursor.selectedText(); }
    QRectF cursorRectangle() const;
    qreal contentWidth() const;
    qreal contentHeight() const;
    qreal lineHeight() const;
    qreal leftPadding() const { return m_padding.left; }
    qreal rightPadding() const { return m_padding.right; }
    qreal topPadding() const { return m_padding.top; }
    qreal bottomPadding() const { return m_padding.bottom; }
    void setLeftPadding(qreal value);
    void setRightPadding(qreal value);
    void setTopPadding(qreal value);
    void setBottomPadding(qreal value);
    QRectF viewport() const { return m_viewport; }
    void setViewport(const QRectF &viewport);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    qreal tabStopDistance() const;
    void setTabStopDistance(qreal distance);
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    bool canUndo() const { return m_document->isUndoAvailable(); }
    bool canRedo() const { return m_document->isRedoAvailable(); }
    void setColor(const QColor &color);
    void setBackgroundColor(const QColor &color);
    void setSelectionColor(const QColor &color);
    void setSelectedTextColor(const QColor &color);
    void setCurrentLineColor(const QColor &color);
    void setCursorColor(const QColor &color);

    Q_INVOKABLE void select(int start, int end);
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void deselect();
    Q_INVOKABLE int positionAt(qreal x, qreal y) const;
    Q_INVOKABLE QRectF positionToRectangle(int position) const;
    Q_INVOKABLE void undo();
    Q_INVOKABLE void redo();
    Q_INVOKABLE void copy() const;
    Q_INVOKABLE void cut();
    Q_INVOKABLE void paste();
    Q_INVOKABLE void insert(int position, const QString &text);
    Q_INVOKABLE void remove(int start, int end);

    // The cursor the item edits with (the input handling and the accessibility interface).
    QTextCursor &textCursor() { return m_cursor; }
    // After m_cursor moved or changed the text: the signals, the caret shown, a new frame.
    void cursorMoved(bool resetVerticalX = true);
    // The selection with "\n" between its lines (what copying gives).
    QString selectedLines() const;
    // Lines that fit in the view (Page Up and Page Down).
    int linesPerPage() const;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

Q_SIGNALS:
    void textChanged();
    void lineCountChanged();
    void cursorPositionChanged();
    void selectionChanged();
    void cursorRectangleChanged();
    void contentSizeChanged();
    void paddingChanged();
    void viewportChanged();
    void fontChanged();
    void tabStopDistanceChanged();
    void readOnlyChanged();
    void undoRedoChanged();
    void colorsChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *data) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void setPadding(qreal &side, qreal value);
    void updateImplicitSize();
    void updateInputMethod();
    void contentsChanged(int position, int removed, int added);
    void layoutUpdated(const QRectF &rect);
    void paintText(QPainter &painter, const QRectF &area);
    QRectF drawnArea() const;
    QPointF toDocument(const QPointF &point) const;
    void restartBlink();
    void repaint();
    bool handleShortcut(QKeyEvent *event);
    bool handleMove(QKeyEvent *event);
    bool handleEdit(QKeyEvent *event);
    void selectAround(QTextCursor::SelectionType unit, int position);

    QTextDocument *m_document;
    CodeTextLayout *m_layout;
    QTextCursor m_cursor;
    QFont m_font;
    struct {
        qreal left = 0;
        qreal right = 0;
        qreal top = 0;
        qreal bottom = 0;
    } m_padding;
    QRectF m_viewport;
    bool m_readOnly = false;
    QColor m_color = Qt::black;
    QColor m_backgroundColor = Qt::transparent;
    QColor m_selectionColor = QColor(0x33, 0x99, 0xff, 0x80);
    QColor m_selectedTextColor;
    QColor m_currentLineColor = Qt::transparent;
    QColor m_cursorColor;
    // The caret blinks while the item has the focus.
    QTimer m_blink;
    bool m_caretShown = false;
    bool m_contentDirty = true;
    int m_lineCount = 1;
    QRectF m_lastCursorRect;
    int m_lastPosition = 0;
    int m_lastSelectionStart = 0;
    int m_lastSelectionEnd = 0;
    // Mouse selection: what a press selected (a word or a line after a double or triple click).
    int m_pressAnchor = -1;
    QTextCursor::SelectionType m_pressUnit = QTextCursor::Document;
    QElapsedTimer m_lastDoubleClick;
    // An input method's text being composed at the cursor (not in the document yet).
    QString m_preedit;
};

} // namespace vexa
