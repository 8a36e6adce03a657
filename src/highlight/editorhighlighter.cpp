#include "editorhighlighter.h"

#include <QFutureWatcher>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace vexa::highlight {

namespace {


// A piece is at most this many lines: the main thread puts their formats on in one turn of the
// event loop, so a piece must stay well inside a frame.
constexpr int kLinesPerPiece = 200;
// An edited stretch is first coloured with this many lines after it (most edits end there); a
// stretch that runs on takes four times as many each time, up to a whole piece.
constexpr int kEditTail = 4;
// Not coloured yet (the user state of a new block).
constexpr int kUncoloured = -1;

// A line's runs, kept with its block so an edit elsewhere leaves them in place.
class BlockSpans : public QTextBlockUserData {
public:
    QList<Span> spans;
};

} // namespace

struct EditorHighlighter::Piece {
    quint64 revision = 0;
    int first = 0;
    bool edit = false; // colouring an edited stretch again (else the sweep from the start)
};

EditorHighlighter::EditorHighlighter(QObject *parent)
    : QObject(parent), m_colors(detail::defaultColors()), m_formats(detail::formatsFor(m_colors))
{
    // Pieces run on the worker for a long time if they must; the main thread's share is small.
    m_budget.time = std::chrono::milliseconds(40);
}

EditorHighlighter::~EditorHighlighter() = default;

void EditorHighlighter::componentComplete()
{
    detail::readThemeColors(this, m_colors);
    m_formats = detail::formatsFor(m_colors);
    restart();
}

void EditorHighlighter::setDocument(QTextDocument *document)
{
    if (m_textDocument == document)
        return;
    attach(document);
    Q_EMIT documentChanged();
}

void EditorHighlighter::setTextDocument(QTextDocument *document)
{
    setDocument(document);
}

void EditorHighlighter::attach(QTextDocument *document)
{
    if (m_textDocument == document)
        return;
    if (m_textDocument)
        disconnect(m_textDocument, nullptr, this, nullptr);
    m_textDocument = document;
    if (document) {
        // A document reports its changes only once it has a layout (an editor's always has).
        document->documentLayout();
        connect(document, &QTextDocument::contentsChange, this, &EditorHighlighter::contentsChanged);
    }
    restart();
}

void EditorHighlighter::setLanguage(const QString &language)
{
    if (m_language == language)
        return;
    m_language = language;
    m_canonical = canonicalLanguage(language);
    Q_EMIT languageChanged();
    restart();
}

// Everything coloured again from the start (a new document or language).
void EditorHighlighter::restart()
{
    ++m_revision;
    m_sweep = 0;
    m_edits.clear();
    m_blockCount = m_textDocument ? m_textDocument->blockCount() : 1;
    schedule();
}

void EditorHighlighter::contentsChanged(int position, int removed, int added)
{
    Q_UNUSED(removed);
    if (!m_textDocument)
        return;
    ++m_revision;
    const int count = m_textDocument->blockCount();
    const int delta = count - m_blockCount;
    m_blockCount = count;
    const QTextBlock firstBlock = m_textDocument->findBlock(position);
    const int first = qMax(0, firstBlock.blockNumber());
    QTextBlock lastBlock = m_textDocument->findBlock(position + added);
    if (!lastBlock.isValid())
        lastBlock = m_textDocument->lastBlock();
    const int last = qMax(first, lastBlock.blockNumber());
    // The last line the change touched, numbered as before it.
    const int oldLast = last - delta;

    // Lines after the change move with it; lines in it are coloured again from its first.
    if (m_sweep > oldLast)
        m_sweep += delta;
    else if (m_sweep > first)
        m_sweep = first;
    std::map<int, int> edits;
    for (const auto &[line, tail] : m_edits) {
        const int moved = line > oldLast ? line + delta : qMin(line, first);
        if (moved < m_sweep)
            edits.emplace(moved, kEditTail);
    }
    if (first < m_sweep) {
        edits[first] = kEditTail;
        // The changed lines' old end states say nothing now: the stretch runs at least to its
        // last line before it may stop.
        for (QTextBlock b = firstBlock; b.isValid() && b.blockNumber() <= last; b = b.next())
            b.setUserState(kUncoloured);
    }
    m_edits = std::move(edits);
    schedule();
}

void EditorHighlighter::schedule()
{
    if (m_scheduled || m_running || !m_textDocument)
        return;
    m_scheduled = true;
    Q_EMIT busyChanged();
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        startPiece();
        if (!m_running)
            Q_EMIT busyChanged();
    });
}

void EditorHighlighter::startPiece()
{
    if (!m_textDocument || m_running)
        return;
    Piece piece;
    piece.revision = m_revision;
    int end = 0; // one past the last line this piece may reach
    int tail = kLinesPerPiece; // lines it takes past the uncoloured ones
    if (!m_edits.empty()) {
        piece.edit = true;
        piece.first = m_edits.begin()->first;
        tail = m_edits.begin()->second;
        end = m_sweep;
    } else if (m_sweep < m_blockCount) {
        piece.first = m_sweep;
        end = m_blockCount;
    } else {
        return;
    }
    QTextBlock block = m_textDocument->findBlockByNumber(piece.first);
    const int startState = piece.first == 0 ? 0 : qMax(0, block.previous().userState());
    QStringList lines;
    for (; block.isValid() && piece.first + lines.size() < end && lines.size() < kLinesPerPiece
           && (tail > 0 || block.userState() == kUncoloured);
         block = block.next()) {
        if (block.userState() != kUncoloured)
            --tail;
        lines.append(block.text());
    }
    if (lines.isEmpty())
        return;
    m_linesTokenized += lines.size();
    setRunning(true);
    auto *watcher = new QFutureWatcher<LinesResult>(this);
    connect(watcher, &QFutureWatcher<LinesResult>::finished, this, [this, watcher, piece] {
        watcher->deleteLater();
        setRunning(false);
        if (watcher->future().resultCount() > 0)
            finishPiece(piece, watcher->result());
        schedule();
    });
    watcher->setFuture(QtConcurrent::run(detail::workerPool(),
        [language = m_canonical, lines = std::move(lines), startState, budget = m_budget] {
            return highlightLines(language, lines, startState, budget);
        }));
}

void EditorHighlighter::finishPiece(const Piece &piece, const LinesResult &result)
{
    // The text changed while the piece was away: its lines are queued again as they are now.
    if (piece.revision != m_revision || !m_textDocument)
        return;
    QTextBlock block = m_textDocument->findBlockByNumber(piece.first);
    const int done = int(result.lines.size());
    int line = piece.first;
    bool settled = false;
    for (int i = 0; i < done && block.isValid(); ++i, ++line, block = block.next()) {
        applySpans(block, result.lines.at(i));
        const int before = block.userState();
        block.setUserState(result.endStates.at(i));
        // An edited stretch ends at a line that ends as it did: the lines after it start alike.
        if (piece.edit && before == result.endStates.at(i)) {
            settled = true;
            ++line;
            break;
        }
    }
    if (piece.edit) {
        const int tail = m_edits.count(piece.first) ? m_edits[piece.first] : kEditTail;
        // Edits inside what was just coloured are done with it.
        m_edits.erase(m_edits.begin(), m_edits.lower_bound(line));
        if (!settled && line < m_sweep)
            m_edits.emplace(line, qMin(kLinesPerPiece, tail * 4));
    } else {
        m_sweep = qMax(m_sweep, line);
    }
}

void EditorHighlighter::applySpans(const QTextBlock &block, const QList<Span> &spans)
{
    auto *data = static_cast<BlockSpans *>(block.userData());
    if (data ? data->spans == spans : spans.isEmpty())
        return;
    if (!data) {
        data = new BlockSpans;
        QTextBlock(block).setUserData(data);
    }
    data->spans = spans;
    const int length = block.length() - 1;
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(spans.size());
    for (const Span &s : spans) {
        if (s.start >= length)
            break;
        ranges.append({s.start, qMin(s.length, length - s.start), m_formats[size_t(s.role)]});
    }
    block.layout()->setFormats(ranges);
    m_textDocument->markContentsDirty(block.position(), block.length());
}

void EditorHighlighter::setRunning(bool running)
{
    if (m_running == running)
        return;
    m_running = running;
    Q_EMIT busyChanged();
}

} // namespace vexa::highlight
