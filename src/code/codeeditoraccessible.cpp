// What screen readers see of the code editor: an editable, multi-line text with its name and
// description from the QML Accessible properties, its text, cursor and selection, read by
// character, word and line from the line in question (never by copying a large file whole), and
// editable unless the file is read-only.
#include "codeeditoraccessible.h"

#include "codeeditorview.h"
#include "codefiletext.h"

#include <QAccessibleObject>
#include <QQuickWindow>
#include <QTextBlock>
#include <QTextBoundaryFinder>

namespace vexa {

namespace {

// The item's Accessible attached object (made by QML when the item sets Accessible.*).
QObject *attachedOf(const QObject *item)
{
    for (QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0)
            return child;
    }
    return nullptr;
}

class CodeEditorAccessible : public QAccessibleObject,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface {
public:
    explicit CodeEditorAccessible(CodeEditorView *view) : QAccessibleObject(view) {}

    CodeEditorView *view() const { return static_cast<CodeEditorView *>(object()); }
    QTextDocument *document() const { return view()->document(); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleObject::interface_cast(type);
    }

    QWindow *window() const override { return view()->window(); }

    // The nearest item above that screen readers know, or the window.
    QAccessibleInterface *parent() const override
    {
        QQuickItem *content = view()->window() ? view()->window()->contentItem() : nullptr;
        for (QQuickItem *item = view()->parentItem(); item && item != content; item = item->parentItem()) {
            if (attachedOf(item) && item->parentItem())
                return QAccessible::queryAccessibleInterface(item);
        }
        return view()->window() ? QAccessible::queryAccessibleInterface(view()->window()) : nullptr;
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QAccessible::Role role() const override { return QAccessible::EditableText; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.focusable = true;
        state.focused = view()->hasActiveFocus();
        state.editable = !view()->isReadOnly();
        state.readOnly = view()->isReadOnly();
        state.multiLine = true;
        state.selectableText = true;
        state.invisible = !view()->isVisible();
        return state;
    }

    QString text(QAccessible::Text which) const override
    {
        const QObject *attached = attachedOf(view());
        switch (which) {
        case QAccessible::Name:
            return attached ? attached->property("name").toString() : QString();
        case QAccessible::Description:
            return attached ? attached->property("description").toString() : QString();
        default:
            return {};
        }
    }

    // The part of the editor in view, on the screen.
    QRect rect() const override
    {
        if (!view()->window())
            return {};
        const QRectF area = view()->viewport().isValid() ? view()->viewport().intersected(view()->boundingRect())
                                                         : view()->boundingRect();
        const QRectF inScene = view()->mapRectToScene(area);
        return QRect(view()->window()->mapToGlobal(inScene.topLeft().toPoint()), inScene.size().toSize());
    }

    // Text.
    void selection(int index, int *start, int *end) const override
    {
        *start = *end = 0;
        if (index == 0 && view()->selectionStart() != view()->selectionEnd()) {
            *start = view()->selectionStart();
            *end = view()->selectionEnd();
        }
    }
    int selectionCount() const override { return view()->selectionStart() != view()->selectionEnd() ? 1 : 0; }
    void addSelection(int start, int end) override { view()->select(start, end); }
    void removeSelection(int) override { view()->deselect(); }
    void setSelection(int, int start, int end) override { view()->select(start, end); }
    int cursorPosition() const override { return view()->cursorPosition(); }
    void setCursorPosition(int position) override { view()->setCursorPosition(position); }
    int characterCount() const override { return view()->length(); }

    QString text(int start, int end) const override { return codefile::documentText(*document(), start, end); }

    QRect characterRect(int offset) const override
    {
        if (!view()->window())
            return {};
        QRectF box = view()->positionToRectangle(offset);
        box.setWidth(qMax<qreal>(1, view()->positionToRectangle(offset + 1).left() - box.left()));
        const QRectF inScene = view()->mapRectToScene(box);
        return QRect(view()->window()->mapToGlobal(inScene.topLeft().toPoint()), inScene.size().toSize());
    }

    int offsetAtPoint(const QPoint &point) const override
    {
        if (!view()->window())
            return -1;
        const QPointF local = view()->mapFromScene(view()->window()->mapFromGlobal(point));
        return view()->positionAt(local.x(), local.y());
    }

    void scrollToSubstring(int start, int) override { view()->setCursorPosition(start); }

    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        return around(offset, type, -1, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        return around(offset, type, 1, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        return around(offset, type, 0, start, end);
    }

    // Editable text.
    void deleteText(int start, int end) override { view()->remove(start, end); }
    void insertText(int offset, const QString &text) override { view()->insert(offset, text); }
    void replaceText(int start, int end, const QString &text) override
    {
        if (view()->isReadOnly())
            return;
        QTextCursor range(document());
        range.setPosition(qBound(0, start, characterCount()));
        range.setPosition(qBound(0, end, characterCount()), QTextCursor::KeepAnchor);
        range.insertText(text);
    }

private:
    // The unit (character, word, line) at, before (-1) or after (1) the offset. Lines are the
    // document's blocks; characters and words are found within the offset's line.
    QString around(int offset, QAccessible::TextBoundaryType type, int step, int *start, int *end) const
    {
        *start = *end = -1;
        const int size = characterCount();
        if (offset == -2)
            offset = cursorPosition();
        if (offset < 0 || offset > size)
            return {};
        if (type == QAccessible::NoBoundary) {
            if (step != 0)
                return {};
            *start = 0;
            *end = size;
            return text(0, size);
        }
        QTextBlock block = document()->findBlock(offset);
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary
                || type == QAccessible::SentenceBoundary) {
            if (step < 0)
                block = block.previous();
            else if (step > 0)
                block = block.next();
            if (!block.isValid())
                return {};
            *start = block.position();
            // A line with its line break, as text interfaces give lines.
            *end = qMin(size, block.position() + block.length());
            return text(*start, *end);
        }
        const QString line = block.text();
        QTextBoundaryFinder finder(type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                                     : QTextBoundaryFinder::Grapheme,
                                   line);
        // The unit that holds the character at p (none past the line's last character).
        const auto unitAt = [&](int p, int *from, int *to) {
            if (p < 0 || p >= line.size())
                return false;
            finder.setPosition(p);
            *from = finder.isAtBoundary() ? p : finder.toPreviousBoundary();
            finder.setPosition(*from);
            *to = finder.toNextBoundary();
            if (*to < 0)
                *to = int(line.size());
            return true;
        };
        int from = 0;
        int to = 0;
        if (!unitAt(qMin(offset - block.position(), int(line.size()) - 1), &from, &to))
            return {};
        if ((step < 0 && !unitAt(from - 1, &from, &to)) || (step > 0 && !unitAt(to, &from, &to)))
            return {};
        *start = block.position() + from;
        *end = block.position() + to;
        return line.mid(from, to - from);
    }
};

QAccessibleInterface *codeEditorFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(CodeEditorView::staticMetaObject.className()))
        return new CodeEditorAccessible(static_cast<CodeEditorView *>(object));
    return nullptr;
}

} // namespace

void installCodeEditorAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(codeEditorFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

void notifyCodeEditorTextChanged(CodeEditorView *view, int position, int removed, int added)
{
    if (!QAccessible::isActive())
        return;
    if (removed == 0 && added > 0) {
        QAccessibleTextInsertEvent event(view, position,
                                         codefile::documentText(*view->document(), position, position + added));
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(view, position, QString(), QString());
        QAccessible::updateAccessibility(&event);
    }
}

void notifyCodeEditorCursorMoved(CodeEditorView *view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent event(view, view->cursorPosition());
    QAccessible::updateAccessibility(&event);
}

} // namespace vexa
