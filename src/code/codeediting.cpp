#include "codeediting.h"

#include "highlight.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextDocument>

namespace vexa::code {

CodeEditing::CodeEditing(QObject *parent) : QObject(parent) {}

void CodeEditing::setTextDocument(QTextDocument *document)
{
    if (m_textDocument == document)
        return;
    m_textDocument = document;
    detect();
    Q_EMIT documentChanged();
}

void CodeEditing::setFileName(const QString &fileName)
{
    if (m_fileName == fileName)
        return;
    m_fileName = fileName;
    Q_EMIT fileNameChanged();
    detect();
}

void CodeEditing::detect()
{
    const QString text = m_textDocument ? m_textDocument->toPlainText() : QString();
    const QStringView first = QStringView(text).left(qMax<qsizetype>(0, text.indexOf(u'\n')));
    const QString language = vexa::highlight::languageForFile(
        m_fileName.section(u'/', -1), text.contains(u'\n') ? first : QStringView(text));
    const IndentStyle style = detectIndent(text);
    if (language == m_language && style == m_style)
        return;
    m_language = language;
    m_style = style;
    Q_EMIT styleChanged();
}

QString CodeEditing::indentName() const
{
    return m_style.tabs ? QStringLiteral("Табуляция") : QStringLiteral("Пробелы: %1").arg(m_style.width);
}

QPoint CodeEditing::lineColumn(int position) const
{
    if (!m_textDocument)
        return {1, 1};
    const QTextBlock block = m_textDocument->findBlock(position);
    return {block.blockNumber() + 1, position - block.position() + 1};
}

int CodeEditing::positionOfLine(int line) const
{
    if (!m_textDocument)
        return 0;
    const int number = qBound(1, line, m_textDocument->blockCount());
    return m_textDocument->findBlockByNumber(number - 1).position();
}

int CodeEditing::newline(int selectionStart, int selectionEnd)
{
    if (!m_textDocument)
        return selectionEnd;
    QTextCursor cursor(m_textDocument);
    cursor.setPosition(selectionStart);
    const QTextBlock block = cursor.block();
    // Only what is before the cursor decides: Enter in the middle of "f(a, b)" after "(".
    const QString before = block.text().left(selectionStart - block.position());
    const QString indent = indentAfter(before, m_language, m_style);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.insertText(u'\n' + indent);
    cursor.endEditBlock();
    return cursor.position();
}

QPoint CodeEditing::tab(int selectionStart, int selectionEnd)
{
    if (!m_textDocument)
        return {selectionStart, selectionEnd};
    if (m_textDocument->findBlock(selectionStart) != m_textDocument->findBlock(selectionEnd)) {
        return replaceLines(selectionStart, selectionEnd, [](QStringView lines, const void *style) {
            return indentLines(lines, *static_cast<const IndentStyle *>(style));
        }, &m_style);
    }
    QTextCursor cursor(m_textDocument);
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    QString unit = m_style.unit();
    if (!m_style.tabs) {
        // Spaces up to the next stop, as a tab would go.
        const int column = selectionStart - cursor.block().position();
        unit.truncate(m_style.width - column % m_style.width);
    }
    cursor.insertText(unit);
    return {cursor.position(), cursor.position()};
}

QPoint CodeEditing::insert(int selectionStart, int selectionEnd, const QString &code)
{
    if (!m_textDocument)
        return {selectionStart, selectionEnd};
    // The editor edits with "\n" only (the file's own endings come back when it is saved).
    QString text = code;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    const int size = m_textDocument->characterCount() - 1;
    QTextCursor cursor(m_textDocument);
    cursor.setPosition(qBound(0, qMin(selectionStart, selectionEnd), size));
    cursor.setPosition(qBound(0, qMax(selectionStart, selectionEnd), size), QTextCursor::KeepAnchor);
    const int start = cursor.selectionStart();
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    return {start, cursor.position()};
}

QPoint CodeEditing::backtab(int selectionStart, int selectionEnd)
{
    return replaceLines(selectionStart, selectionEnd, [](QStringView lines, const void *style) {
        return outdentLines(lines, *static_cast<const IndentStyle *>(style));
    }, &m_style);
}

QPoint CodeEditing::toggleComment(int selectionStart, int selectionEnd)
{
    const QString prefix = lineCommentFor(m_language);
    if (prefix.isEmpty())
        return {selectionStart, selectionEnd};
    return replaceLines(selectionStart, selectionEnd, [](QStringView lines, const void *prefix) {
        return toggleLineComments(lines, *static_cast<const QString *>(prefix));
    }, &prefix);
}

QPoint CodeEditing::replaceLines(int selectionStart, int selectionEnd,
                                 QString (*change)(QStringView, const void *), const void *context)
{
    if (!m_textDocument)
        return {selectionStart, selectionEnd};
    QTextBlock first = m_textDocument->findBlock(qMin(selectionStart, selectionEnd));
    QTextBlock last = m_textDocument->findBlock(qMax(selectionStart, selectionEnd));
    // A selection ending at the start of a line does not take that line along.
    if (last != first && qMax(selectionStart, selectionEnd) == last.position())
        last = last.previous();
    QTextCursor cursor(m_textDocument);
    cursor.setPosition(first.position());
    cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    const QString before = cursor.selection().toPlainText();
    const QString after = change(before, context);
    if (after == before)
        return {selectionStart, selectionEnd};
    const int start = cursor.selectionStart();
    cursor.beginEditBlock();
    cursor.insertText(after);
    cursor.endEditBlock();
    return {start, start + int(after.size())};
}

} // namespace vexa::code
