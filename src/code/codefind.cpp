#include "codefind.h"

#include "codefiletext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace vexa::code {

FindResult findAll(const QString &text, const FindOptions &options, std::chrono::milliseconds budget)
{
    FindResult result;
    if (options.query.isEmpty())
        return result;
    QString pattern = options.regularExpression ? options.query
                                                : QRegularExpression::escape(options.query);
    if (options.wholeWords)
        pattern = u"\\b(?:"_qs + pattern + u")\\b"_qs;
    QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.caseSensitive)
        flags |= QRegularExpression::CaseInsensitiveOption;
    const QRegularExpression re(pattern, flags);
    if (!re.isValid()) {
        result.error = u"Неверное регулярное выражение: "_qs + re.errorString();
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    qsizetype from = 0;
    while (from <= text.size()) {
        // A pathological expression ends in the library's own match limit (no match), so one
        // call is bounded; the budget bounds the number of calls.
        const QRegularExpressionMatch m = re.match(text, from);
        if (!m.hasMatch())
            break;
        const qsizetype start = m.capturedStart();
        const qsizetype length = m.capturedLength();
        if (length > 0)
            result.matches.append({int(start), int(length)});
        from = start + qMax<qsizetype>(length, 1);
        if (clock.elapsed() > budget.count()) {
            result.complete = false;
            break;
        }
    }
    return result;
}

QString expandReplacement(const QString &matched, const FindOptions &options, const QString &replacement)
{
    if (!options.regularExpression)
        return replacement;
    FindOptions whole = options;
    QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.caseSensitive)
        flags |= QRegularExpression::CaseInsensitiveOption;
    const QRegularExpression re(u"\\A(?:"_qs + options.query + u")\\z"_qs, flags);
    const QRegularExpressionMatch m = re.match(matched);
    QString out;
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c == u'$' && i + 1 < replacement.size()) {
            const QChar d = replacement[i + 1];
            if (d == u'$') {
                out += u'$';
                ++i;
                continue;
            }
            if (d.isDigit()) {
                out += m.captured(d.digitValue());
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

CodeFind::CodeFind(QObject *parent) : QObject(parent) {}

CodeFind::~CodeFind() = default;

void CodeFind::setTextDocument(QTextDocument *document)
{
    if (m_textDocument == document)
        return;
    disconnect(m_contents);
    m_textDocument = document;
    if (document) {
        // The document tells its changes (contentsChange) only once it has a layout.
        document->documentLayout();
        m_contents = connect(document, &QTextDocument::contentsChange, this,
                             [this](int from, int removed, int added) {
            // The highlighter's colours change formats, not the text (a change of as many
            // characters as it removed, the same ones): only a changed text is searched again.
            if (removed == added && m_textDocument && !m_busy) {
                const QString now = codefile::documentText(*m_textDocument, from, from + added);
                if (QStringView(m_text).mid(from, now.size()) == now && now.size() == qMin<qsizetype>(added, m_text.size() - from))
                    return;
            }
            schedule();
        });
    }
    schedule();
    Q_EMIT documentChanged();
}

void CodeFind::setQuery(const QString &query)
{
    if (m_options.query == query)
        return;
    m_options.query = query;
    Q_EMIT optionsChanged();
    schedule();
}

void CodeFind::setCaseSensitive(bool on)
{
    if (m_options.caseSensitive == on)
        return;
    m_options.caseSensitive = on;
    Q_EMIT optionsChanged();
    schedule();
}

void CodeFind::setWholeWords(bool on)
{
    if (m_options.wholeWords == on)
        return;
    m_options.wholeWords = on;
    Q_EMIT optionsChanged();
    schedule();
}

void CodeFind::setRegularExpression(bool on)
{
    if (m_options.regularExpression == on)
        return;
    m_options.regularExpression = on;
    Q_EMIT optionsChanged();
    schedule();
}

QString CodeFind::summary() const
{
    if (m_options.query.isEmpty())
        return {};
    if (!m_result.error.isEmpty())
        return m_result.error;
    if (m_busy)
        return u"Поиск…"_qs;
    if (m_result.matches.isEmpty())
        return m_result.complete ? u"Нет совпадений"_qs : u"Поиск прерван: слишком долго"_qs;
    const QString more = m_result.complete ? QString() : u"+"_qs;
    if (m_current < 0)
        return QString::number(count()) + more;
    return u"%1 из %2%3"_qs.arg(m_current + 1).arg(count()).arg(more);
}

void CodeFind::schedule()
{
    // The matches found for older text are stale at once: none are offered until the new run.
    ++m_generation;
    m_busy = !m_options.query.isEmpty() && m_textDocument;
    if (!m_busy) {
        m_result = {};
        m_current = -1;
        Q_EMIT resultsChanged();
        return;
    }
    Q_EMIT resultsChanged();
    if (m_scheduled)
        return;
    m_scheduled = true;
    // One run for a burst of changes (typing the query, Replace All's edits).
    QTimer::singleShot(0, this, &CodeFind::start);
}

void CodeFind::start()
{
    m_scheduled = false;
    if (!m_textDocument || m_options.query.isEmpty())
        return;
    const quint64 generation = m_generation;
    const QString text = m_textDocument->toPlainText();
    m_text = text;
    const FindOptions options = m_options;
    const auto budget = m_budget;
    QPointer<CodeFind> self(this);
    QThreadPool *pool = QThreadPool::globalInstance();
    (void)QtConcurrent::run(pool, [self, generation, text, options, budget] {
        FindResult result = findAll(text, options, budget);
        QMetaObject::invokeMethod(qApp, [self, generation, result = std::move(result)]() mutable {
            if (!self || self->m_generation != generation)
                return;
            self->m_result = std::move(result);
            self->m_busy = false;
            self->m_current = -1;
            Q_EMIT self->resultsChanged();
        }, Qt::QueuedConnection);
    });
}

const FindMatch *CodeFind::matchAt(int start, int end) const
{
    for (const FindMatch &m : m_result.matches) {
        if (m.start == qMin(start, end) && m.start + m.length == qMax(start, end))
            return &m;
    }
    return nullptr;
}

QPoint CodeFind::next(int position)
{
    if (m_busy || m_result.matches.isEmpty())
        return {-1, -1};
    const auto &ms = m_result.matches;
    auto it = std::lower_bound(ms.begin(), ms.end(), position,
                               [](const FindMatch &m, int p) { return m.start < p; });
    m_current = it == ms.end() ? 0 : int(it - ms.begin());
    Q_EMIT resultsChanged();
    return {ms[m_current].start, ms[m_current].start + ms[m_current].length};
}

QPoint CodeFind::previous(int position)
{
    if (m_busy || m_result.matches.isEmpty())
        return {-1, -1};
    const auto &ms = m_result.matches;
    auto it = std::lower_bound(ms.begin(), ms.end(), position,
                               [](const FindMatch &m, int p) { return m.start < p; });
    m_current = it == ms.begin() ? int(ms.size()) - 1 : int(it - ms.begin()) - 1;
    Q_EMIT resultsChanged();
    return {ms[m_current].start, ms[m_current].start + ms[m_current].length};
}

QPoint CodeFind::replace(int selectionStart, int selectionEnd, const QString &replacement)
{
    const FindMatch *m = m_busy ? nullptr : matchAt(selectionStart, selectionEnd);
    if (!m || !m_textDocument)
        return next(qMax(selectionStart, selectionEnd));
    QTextCursor cursor(m_textDocument);
    cursor.setPosition(m->start);
    cursor.setPosition(m->start + m->length, QTextCursor::KeepAnchor);
    const QString text = expandReplacement(cursor.selectedText(), m_options, replacement);
    cursor.insertText(text);
    // The matches are searched again for the changed text; the editor goes on from here.
    return {cursor.position(), cursor.position()};
}

int CodeFind::replaceAll(const QString &replacement)
{
    if (m_busy || !m_textDocument || m_result.matches.isEmpty())
        return 0;
    const QList<FindMatch> matches = m_result.matches;
    QTextCursor cursor(m_textDocument);
    cursor.beginEditBlock();
    // From the last match back, so the earlier ones keep their positions.
    for (auto it = matches.crbegin(); it != matches.crend(); ++it) {
        cursor.setPosition(it->start);
        cursor.setPosition(it->start + it->length, QTextCursor::KeepAnchor);
        cursor.insertText(expandReplacement(cursor.selectedText(), m_options, replacement));
    }
    cursor.endEditBlock();
    return int(matches.size());
}

} // namespace vexa::code
