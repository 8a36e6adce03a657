// The code editor's keyboard, mouse and input-method handling. The pane's own keys (Enter keeping
// the indentation, Tab, the find bar's keys) are taken before these by its Keys handler; what is
// here is what any text field does: moving, selecting, deleting, typing, the clipboard, undo.
#include "codeeditorview.h"

#include "codetextlayout.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextLayout>

#include <array>

namespace vexa {

namespace {

struct Move {
    QKeySequence::StandardKey key;
    QTextCursor::MoveOperation operation;
    QTextCursor::MoveMode mode;
};

// The platform's keys for moving and selecting (Qt's own text fields take the same).
constexpr std::array kMoves{
    Move{QKeySequence::MoveToNextChar, QTextCursor::NextCharacter, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToPreviousChar, QTextCursor::PreviousCharacter, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToNextWord, QTextCursor::NextWord, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToPreviousWord, QTextCursor::PreviousWord, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToNextLine, QTextCursor::Down, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToPreviousLine, QTextCursor::Up, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToStartOfLine, QTextCursor::StartOfLine, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToEndOfLine, QTextCursor::EndOfLine, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToStartOfBlock, QTextCursor::StartOfBlock, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToEndOfBlock, QTextCursor::EndOfBlock, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToStartOfDocument, QTextCursor::Start, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToEndOfDocument, QTextCursor::End, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToNextPage, QTextCursor::Down, QTextCursor::MoveAnchor},
    Move{QKeySequence::MoveToPreviousPage, QTextCursor::Up, QTextCursor::MoveAnchor},
    Move{QKeySequence::SelectNextChar, QTextCursor::NextCharacter, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectPreviousChar, QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectNextWord, QTextCursor::NextWord, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectPreviousWord, QTextCursor::PreviousWord, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectNextLine, QTextCursor::Down, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectPreviousLine, QTextCursor::Up, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectStartOfLine, QTextCursor::StartOfLine, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectEndOfLine, QTextCursor::EndOfLine, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectStartOfBlock, QTextCursor::StartOfBlock, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectEndOfBlock, QTextCursor::EndOfBlock, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectStartOfDocument, QTextCursor::Start, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectEndOfDocument, QTextCursor::End, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectNextPage, QTextCursor::Down, QTextCursor::KeepAnchor},
    Move{QKeySequence::SelectPreviousPage, QTextCursor::Up, QTextCursor::KeepAnchor},
};

// A finger on a touch screen: its drag scrolls the view, its tap places the cursor.
bool byTouch(const QMouseEvent *event)
{
    return event->pointingDevice() && event->pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen;
}

bool isPage(QKeySequence::StandardKey key)
{
    return key == QKeySequence::MoveToNextPage || key == QKeySequence::MoveToPreviousPage
        || key == QKeySequence::SelectNextPage || key == QKeySequence::SelectPreviousPage;
}

// Text a key types: printable, and not a shortcut (Ctrl, or Meta on the Mac, held).
bool typesText(const QKeyEvent *event)
{
    const QString text = event->text();
    // AltGr arrives as Ctrl+Alt on some systems: that still types.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (text.isEmpty() || ((modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier)))
        return false;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && c != u'\t')
            return false;
    }
    return true;
}

} // namespace

bool CodeEditorView::event(QEvent *event)
{
    // Keys the editor takes itself are not the window's shortcuts while it has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool ours = typesText(key) || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)
            || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Undo)
            || key->matches(QKeySequence::Redo) || key->matches(QKeySequence::SelectAll)
            || key->matches(QKeySequence::Delete) || key->matches(QKeySequence::DeleteStartOfWord)
            || key->matches(QKeySequence::DeleteEndOfWord) || key->key() == Qt::Key_Backspace
            || std::any_of(kMoves.begin(), kMoves.end(), [key](const Move &m) { return key->matches(m.key); });
        if (ours) {
            event->accept();
            return true;
        }
    }
    return QQuickItem::event(event);
}

void CodeEditorView::keyPressEvent(QKeyEvent *event)
{
    if (handleShortcut(event) || handleMove(event) || (!m_readOnly && handleEdit(event))) {
        event->accept();
        return;
    }
    event->ignore();
}

bool CodeEditorView::handleShortcut(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo)) {
        redo();
    } else {
        return false;
    }
    return true;
}

bool CodeEditorView::handleMove(QKeyEvent *event)
{
    for (const Move &move : kMoves) {
        if (!event->matches(move.key))
            continue;
        const int times = isPage(move.key) ? linesPerPage() : 1;
        // Home goes to the line's first character that is not a blank, and from there to the
        // line's start, as in code editors.
        if (move.operation == QTextCursor::StartOfLine) {
            const QString line = m_cursor.block().text();
            int first = 0;
            while (first < line.size() && (line.at(first) == u' ' || line.at(first) == u'\t'))
                ++first;
            const int column = m_cursor.positionInBlock() == first ? 0 : first;
            m_cursor.setPosition(m_cursor.block().position() + column, move.mode);
            cursorMoved();
            return true;
        }
        // Left or Right with a selection goes to its edge rather than past it.
        if (move.mode == QTextCursor::MoveAnchor && m_cursor.hasSelection()
                && (move.operation == QTextCursor::NextCharacter || move.operation == QTextCursor::PreviousCharacter)) {
            m_cursor.setPosition(move.operation == QTextCursor::NextCharacter ? m_cursor.selectionEnd()
                                                                                : m_cursor.selectionStart());
        } else {
            m_cursor.movePosition(move.operation, move.mode, times);
        }
        // Up and Down keep the column they started from.
        const bool vertical = move.operation == QTextCursor::Up || move.operation == QTextCursor::Down;
        cursorMoved(!vertical);
        return true;
    }
    return false;
}

bool CodeEditorView::handleEdit(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Delete)) {
        m_cursor.deleteChar();
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (!m_cursor.hasSelection())
            m_cursor.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
        m_cursor.removeSelectedText();
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!m_cursor.hasSelection())
            m_cursor.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
        m_cursor.removeSelectedText();
    } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        m_cursor.deletePreviousChar();
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
               && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))) {
        m_cursor.insertBlock();
    } else if (typesText(event)) {
        m_cursor.insertText(event->text());
    } else {
        return false;
    }
    cursorMoved();
    return true;
}

void CodeEditorView::inputMethodEvent(QInputMethodEvent *event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    m_cursor.beginEditBlock();
    if (event->replacementLength() > 0 || event->replacementStart() != 0) {
        m_cursor.setPosition(m_cursor.position() + event->replacementStart());
        m_cursor.setPosition(m_cursor.position() + event->replacementLength(), QTextCursor::KeepAnchor);
    }
    if (!event->commitString().isEmpty() || m_cursor.hasSelection())
        m_cursor.insertText(event->commitString());
    m_cursor.endEditBlock();
    // The text being composed is shown in the line, not put in the document, until committed.
    QTextBlock block = m_cursor.block();
    if (QTextLayout *layout = block.layout(); layout && (m_preedit != event->preeditString())) {
        m_preedit = event->preeditString();
        layout->setPreeditArea(m_cursor.position() - block.position(), m_preedit);
        layout->clearLayout();
    }
    event->accept();
    cursorMoved();
}

QVariant CodeEditorView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return !m_readOnly;
    case Qt::ImCursorRectangle:
        return cursorRectangle();
    case Qt::ImFont:
        return m_font;
    case Qt::ImCursorPosition:
        return m_cursor.position() - m_cursor.block().position();
    case Qt::ImAnchorPosition:
        return qBound(0, m_cursor.anchor() - m_cursor.block().position(), m_cursor.block().length() - 1);
    case Qt::ImSurroundingText:
        return m_cursor.block().text();
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImHints:
        return int(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase | Qt::ImhMultiLine);
    default:
        return QQuickItem::inputMethodQuery(query);
    }
}

// A press puts the cursor under the mouse (Shift extends the selection); a double press selects
// the word and a third the line, and dragging after either extends by words or lines.
void CodeEditorView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        // The primary selection of X11 and Wayland.
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (!m_readOnly && clipboard->supportsSelection() && !clipboard->text(QClipboard::Selection).isEmpty()) {
            m_cursor.setPosition(positionAt(event->position().x(), event->position().y()));
            m_cursor.insertText(clipboard->text(QClipboard::Selection));
            cursorMoved();
        }
        event->accept();
        return;
    }
    forceActiveFocus(Qt::MouseFocusReason);
    if (byTouch(event)) {
        // The cursor goes where the finger lifts, if it did not scroll.
        m_pressAnchor = -1;
        event->accept();
        return;
    }
    // A Flickable around the editor must not take the mouse's drag for scrolling.
    setKeepMouseGrab(true);
    const int position = positionAt(event->position().x(), event->position().y());
    const bool triple = m_lastDoubleClick.isValid()
        && m_lastDoubleClick.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    m_lastDoubleClick.invalidate();
    if (triple) {
        selectAround(QTextCursor::BlockUnderCursor, position);
    } else if (event->modifiers() & Qt::ShiftModifier) {
        m_cursor.setPosition(position, QTextCursor::KeepAnchor);
        m_pressUnit = QTextCursor::Document;
        m_pressAnchor = m_cursor.anchor();
    } else {
        m_cursor.setPosition(position);
        m_pressUnit = QTextCursor::Document;
        m_pressAnchor = position;
    }
    cursorMoved();
    event->accept();
}

void CodeEditorView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    selectAround(QTextCursor::WordUnderCursor, positionAt(event->position().x(), event->position().y()));
    m_lastDoubleClick.start();
    cursorMoved();
    event->accept();
}

void CodeEditorView::selectAround(QTextCursor::SelectionType unit, int position)
{
    m_cursor.setPosition(position);
    if (unit == QTextCursor::BlockUnderCursor) {
        // The line with its end, as a text field's triple click gives it.
        m_cursor.movePosition(QTextCursor::StartOfBlock);
        m_cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        if (m_cursor.position() == m_cursor.anchor() || m_cursor.block() == m_document->findBlock(m_cursor.anchor()))
            m_cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    } else {
        m_cursor.select(unit);
    }
    m_pressUnit = unit;
    m_pressAnchor = m_cursor.selectionStart();
}

void CodeEditorView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_pressAnchor < 0) {
        event->ignore();
        return;
    }
    int position = positionAt(event->position().x(), event->position().y());
    if (m_pressUnit == QTextCursor::WordUnderCursor || m_pressUnit == QTextCursor::BlockUnderCursor) {
        // Whole words or lines on both sides of where the press was.
        QTextCursor around(m_document);
        around.setPosition(position);
        const bool forward = position >= m_pressAnchor;
        if (m_pressUnit == QTextCursor::WordUnderCursor)
            around.movePosition(forward ? QTextCursor::EndOfWord : QTextCursor::StartOfWord);
        else
            around.movePosition(forward ? QTextCursor::EndOfBlock : QTextCursor::StartOfBlock);
        position = around.position();
        QTextCursor first(m_document);
        first.setPosition(m_pressAnchor);
        if (!forward) {
            first.movePosition(m_pressUnit == QTextCursor::WordUnderCursor ? QTextCursor::EndOfWord
                                                                           : QTextCursor::EndOfBlock);
        }
        m_cursor.setPosition(forward ? m_pressAnchor : first.position());
    } else {
        m_cursor.setPosition(m_pressAnchor);
    }
    m_cursor.setPosition(position, QTextCursor::KeepAnchor);
    cursorMoved();
    event->accept();
}

void CodeEditorView::mouseReleaseEvent(QMouseEvent *event)
{
    if (byTouch(event)) {
        m_cursor.setPosition(positionAt(event->position().x(), event->position().y()));
        cursorMoved();
        event->accept();
        return;
    }
    setKeepMouseGrab(false);
    m_pressAnchor = -1;
    // What is selected with the mouse is the primary selection where the system has one.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_cursor.hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedLines(), QClipboard::Selection);
    event->accept();
}

} // namespace vexa
