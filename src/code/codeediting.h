#pragma once

#include "codeindent.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTextDocument>
#include <QtQml/qqmlregistration.h>

class QTextDocument;

namespace vexa::code {

// The editor's keys that change whole lines, applied to the editor's document through one
// QTextCursor edit block each, so each is one undo step of the editor:
//     CodeEditing { id: editing; document: editor.document; fileName: store.selectedFile }
//     Keys.onReturnPressed: editor.cursorPosition = editing.newline(editor.selectionStart, ...)
// The indentation unit is the file's own, detected when the file name changes (a file opened).
class CodeEditing : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QTextDocument *document READ document WRITE setTextDocument NOTIFY documentChanged)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName NOTIFY fileNameChanged)
    // The language of the file's colours and comments ("python"), "" when unknown.
    Q_PROPERTY(QString language READ language NOTIFY styleChanged)
    Q_PROPERTY(bool indentWithTabs READ indentWithTabs NOTIFY styleChanged)
    Q_PROPERTY(int indentWidth READ indentWidth NOTIFY styleChanged)
    // Whether Ctrl+/ does anything in this language.
    Q_PROPERTY(bool canComment READ canComment NOTIFY styleChanged)
    // The indentation unit for people: "Табуляция" or "Пробелы: 4".
    Q_PROPERTY(QString indentName READ indentName NOTIFY styleChanged)

public:
    explicit CodeEditing(QObject *parent = nullptr);

    QTextDocument *document() const { return m_textDocument; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName);
    QString language() const { return m_language; }
    bool indentWithTabs() const { return m_style.tabs; }
    int indentWidth() const { return m_style.width; }
    bool canComment() const { return !lineCommentFor(m_language).isEmpty(); }
    IndentStyle style() const { return m_style; }
    QString indentName() const;

    // For C++ users (tests): a document without a QML item.
    void setTextDocument(QTextDocument *document);
    // Looks at the text again for its language (a shebang line) and indentation.
    Q_INVOKABLE void detect();

    // The 1-based line (x) and column (y) of a position, columns counting a tab as one.
    Q_INVOKABLE QPoint lineColumn(int position) const;
    // Where line `line` (1-based, clamped to the text) starts.
    Q_INVOKABLE int positionOfLine(int line) const;

    // Enter: replaces the selection by a line break and the new line's indentation; gives the
    // cursor position after it.
    Q_INVOKABLE int newline(int selectionStart, int selectionEnd);
    // Tab: with a selection over several lines, indents them (gives the new selection as x..y);
    // else replaces the selection by one unit (x == y: the cursor).
    Q_INVOKABLE QPoint tab(int selectionStart, int selectionEnd);
    // Shift+Tab: outdents the lines of the selection; gives the new selection.
    Q_INVOKABLE QPoint backtab(int selectionStart, int selectionEnd);
    // "Вставить в файл" of an answer's code: replaces the selection (or inserts at the cursor,
    // start == end) by the code, as one undo step; gives the inserted code's range.
    Q_INVOKABLE QPoint insert(int selectionStart, int selectionEnd, const QString &code);
    // Ctrl+/: comments or uncomments the lines of the selection; gives the new selection.
    Q_INVOKABLE QPoint toggleComment(int selectionStart, int selectionEnd);

Q_SIGNALS:
    void documentChanged();
    void fileNameChanged();
    void styleChanged();

private:
    QPoint replaceLines(int selectionStart, int selectionEnd, QString (*change)(QStringView, const void *),
                        const void *context);

    QPointer<QTextDocument> m_textDocument;
    QString m_fileName;
    QString m_language;
    IndentStyle m_style;
};

} // namespace vexa::code
