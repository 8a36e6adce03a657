#include "codehighlighter.h"
#include "rolestyle.h"

#include <QFutureWatcher>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextDocument>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace vexa::highlight {

namespace {


// How many lines get their formats per turn of the event loop: a large text's colours arrive
// over several frames rather than stalling one.
constexpr int kBlocksPerSlice = 300;

} // namespace

// Draws the last result's runs as the blocks' formats. Line i of the result is block i: the
// text was read with QTextDocument::toPlainText, one '\n' per block boundary.
class DocumentHighlighter : public QSyntaxHighlighter {
public:
    explicit DocumentHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {}

    void setFormats(const detail::RoleColors &colors) { m_formats = detail::formatsFor(colors); }
    void setLines(QList<QList<Span>> lines) { m_lines = std::move(lines); }

protected:
    void highlightBlock(const QString &text) override
    {
        const int n = currentBlock().blockNumber();
        if (n < 0 || n >= m_lines.size())
            return;
        const int size = int(text.size());
        for (const Span &s : m_lines.at(n)) {
            if (s.start >= size)
                break;
            setFormat(s.start, std::min(s.length, size - s.start), m_formats[size_t(s.role)]);
        }
    }

private:
    QList<QList<Span>> m_lines;
    detail::RoleFormats m_formats;
};

CodeHighlighter::CodeHighlighter(QObject *parent)
    : QObject(parent), m_generation(std::make_shared<std::atomic<quint64>>(0)),
      m_colors(detail::defaultColors())
{
}

CodeHighlighter::~CodeHighlighter()
{
    // Queued tasks of this object are dropped before they start.
    m_generation->fetch_add(1);
    delete m_highlighter.data();
}

void CodeHighlighter::componentComplete()
{
    readThemeColors();
    if (m_highlighter)
        m_highlighter->setFormats(m_colors);
    schedule();
}

void CodeHighlighter::readThemeColors()
{
    detail::readThemeColors(this, m_colors);
}

void CodeHighlighter::setDocument(QQuickTextDocument *document)
{
    if (m_document == document)
        return;
    m_document = document;
    attach(document ? document->textDocument() : nullptr);
    Q_EMIT documentChanged();
}

void CodeHighlighter::setTextDocument(QTextDocument *document)
{
    m_document = nullptr;
    attach(document);
}

void CodeHighlighter::attach(QTextDocument *document)
{
    if (m_textDocument == document)
        return;
    m_generation->fetch_add(1);
    if (m_textDocument)
        disconnect(m_textDocument, nullptr, this, nullptr);
    delete m_highlighter.data();
    m_textDocument = document;
    m_complete = true;
    m_hasFormats = false;
    if (document) {
        m_highlighter = new DocumentHighlighter(document);
        m_highlighter->setFormats(m_colors);
        connect(document, &QTextDocument::contentsChange, this, [this] {
            if (!m_applying)
                schedule();
        });
        schedule();
    } else {
        setBusy(false, true);
    }
}

void CodeHighlighter::setLanguage(const QString &language)
{
    if (m_language == language)
        return;
    m_language = language;
    Q_EMIT languageChanged();
    schedule();
}

QString CodeHighlighter::languageName() const
{
    return displayName(m_language);
}

void CodeHighlighter::schedule()
{
    if (!m_textDocument)
        return;
    // Every change in one turn of the event loop (a whole paste, text and language set
    // together) makes one run.
    m_generation->fetch_add(1);
    setBusy(true, m_complete);
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        start();
    });
}

void CodeHighlighter::start()
{
    if (!m_textDocument || !m_highlighter)
        return;
    const quint64 generation = m_generation->fetch_add(1) + 1;
    const QString canonical = canonicalLanguage(m_language);
    const QString text = m_textDocument->toPlainText();
    const Budget budget = m_budget;
    const bool overBudget = text.size() > budget.maxChars || text.count(u'\n') >= budget.maxLines;
    if (canonical.isEmpty() || text.isEmpty() || overBudget) {
        // Plain at once: nothing to wait for.
        finish(generation, Result{{}, !overBudget});
        return;
    }
    auto *watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcher<Result>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (!watcher->isCanceled() && watcher->future().resultCount() > 0)
            finish(generation, watcher->result());
    });
    const auto current = m_generation;
    watcher->setFuture(QtConcurrent::run(detail::workerPool(), [current, generation, canonical, text, budget] {
        if (current->load() != generation)
            return Result{{}, false};
        return highlight(canonical, text, budget);
    }));
}

void CodeHighlighter::finish(quint64 generation, Result result)
{
    if (generation != m_generation->load() || !m_highlighter || !m_textDocument)
        return;
    bool coloured = false;
    for (const auto &line : result.lines)
        if (!line.isEmpty()) {
            coloured = true;
            break;
        }
    m_highlighter->setLines(std::move(result.lines));
    if (!coloured && !m_hasFormats) {
        // Nothing was coloured and nothing is to be: no block needs its formats again.
        setBusy(false, result.complete);
        return;
    }
    m_hasFormats = coloured;
    applySlice(generation, 0, result.complete);
}

// Formats go on in slices, each one turn of the event loop; a newer run stops them.
void CodeHighlighter::applySlice(quint64 generation, int first, bool complete)
{
    if (generation != m_generation->load() || !m_highlighter || !m_textDocument)
        return;
    QTextBlock block = m_textDocument->findBlockByNumber(first);
    m_applying = true;
    int done = 0;
    for (; block.isValid() && done < kBlocksPerSlice; block = block.next(), ++done)
        m_highlighter->rehighlightBlock(block);
    m_applying = false;
    if (block.isValid()) {
        QTimer::singleShot(0, this, [this, generation, complete, next = first + done] {
            applySlice(generation, next, complete);
        });
    } else {
        setBusy(false, complete);
    }
}

void CodeHighlighter::setBusy(bool busy, bool complete)
{
    if (m_busy == busy && m_complete == complete)
        return;
    m_busy = busy;
    m_complete = complete;
    Q_EMIT busyChanged();
}

} // namespace vexa::highlight
