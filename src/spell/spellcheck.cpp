#include "spellcheck.h"

#include "spellchecker.h"
#include "spellwords.h"

#include <QFutureWatcher>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace vexa::spell {

namespace {

// Block state: whether a ``` fence is open after the block.
constexpr int kOutsideFence = 0;
constexpr int kInsideFence = 1;

// Marks the formats of misspelled words (tests and tools tell them from others by it).
constexpr int kMisspelledProperty = QTextFormat::UserProperty + 71;

// Lines longer than this are not gone through word by word at each key press: their words are
// found and looked up on the worker once typing in them pauses for kLongLineDelayMs.
constexpr int kLongLine = 2000;
constexpr int kLongLineDelayMs = 150;

// What a block's last pass found: the words it underlined and those still waiting for a verdict;
// for a long line, the underlines the worker found and the block revision they belong to. It
// moves with the block as lines are added or removed above it.
struct BlockWords : QTextBlockUserData {
    QSet<QString> misspelled;
    QSet<QString> pending;
    QList<Misspelling> ranges;
    int revision = -1;
};

BlockWords *wordsOf(const QTextBlock &block)
{
    return static_cast<BlockWords *>(block.userData());
}

bool fenceBefore(const QTextBlock &block)
{
    const QTextBlock previous = block.previous();
    return previous.isValid() && previous.userState() == kInsideFence;
}

} // namespace

class SpellHighlighter : public QSyntaxHighlighter
{
public:
    SpellHighlighter(QTextDocument *document, SpellCheck *owner) : QSyntaxHighlighter(document), m_owner(owner)
    {
        m_longLineTimer.setSingleShot(true);
        m_longLineTimer.setInterval(kLongLineDelayMs);
        QObject::connect(&m_longLineTimer, &QTimer::timeout, this, [this] { checkNextLongLine(); });
    }

    void setColor(const QColor &color)
    {
        // Qt Quick's text draws no wavy (spell-check) underline at all, and its straight one in
        // the text's colour: the word itself takes the colour, underlined.
        m_format = QTextCharFormat();
        m_format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        m_format.setUnderlineColor(color);
        m_format.setForeground(color);
        m_format.setProperty(kMisspelledProperty, true);
    }

    // Again the blocks that waited for one of these words or showed one of them.
    void recheck(const QSet<QString> &changed)
    {
        if (changed.isEmpty())
            return;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            BlockWords *words = wordsOf(block);
            if (words && (words->pending.intersects(changed) || words->misspelled.intersects(changed))) {
                words->revision = -1; // a long line is looked at again
                rehighlightBlock(block);
            }
        }
    }

    // The line at a text position again, unless it is a long one.
    void rehighlightShortLineAt(int position)
    {
        const QTextBlock block = document()->findBlock(position);
        if (block.isValid() && block.length() <= kLongLine)
            rehighlightBlock(block);
    }

    // An edit of a long line takes its underlines away until the worker has looked at the new
    // text: shown on, they would make the highlighter lay the whole line out a second time at
    // each key press. They go from the layout here, before the edit's own layout and the
    // highlighting, which then finds nothing to change.
    void hideLongLineUnderlines(int from)
    {
        QTextBlock block = document()->findBlock(from);
        BlockWords *words = wordsOf(block);
        if (!words || words->ranges.isEmpty())
            return;
        words->ranges.clear();
        words->misspelled.clear();
        block.layout()->clearFormats();
    }

protected:
    void highlightBlock(const QString &text) override
    {
        bool inFence = previousBlockState() == kInsideFence;
        if (text.size() > kLongLine) {
            highlightLongLine(text, inFence);
            return;
        }
        const QList<Word> words = wordsToCheck(text, inFence);
        setCurrentBlockState(inFence ? kInsideFence : kOutsideFence);
        SpellChecker *checker = m_owner->checker();
        if (!m_owner->active() || !checker) {
            setCurrentBlockUserData(nullptr);
            return;
        }
        auto *found = new BlockWords;
        const int typing = m_owner->cursorPosition() - currentBlock().position();
        for (const Word &w : words) {
            if (w.start + w.length == typing)
                continue; // still being typed
            const QString word = text.sliced(w.start, w.length);
            switch (checker->verdict(word, w.language)) {
            case SpellChecker::Verdict::Misspelled:
                setFormat(w.start, w.length, m_format);
                found->misspelled.insert(word);
                break;
            case SpellChecker::Verdict::Unknown:
                found->pending.insert(word);
                break;
            case SpellChecker::Verdict::Correct:
                break;
            }
        }
        setCurrentBlockUserData(found);
    }

private:
    void highlightLongLine(const QString &text, bool inFence)
    {
        const bool fenceLine = isFenceLine(text);
        const bool code = inFence || fenceLine;
        setCurrentBlockState(inFence != fenceLine ? kInsideFence : kOutsideFence);
        if (!m_owner->active() || !m_owner->checker() || code) {
            setCurrentBlockUserData(nullptr);
            return;
        }
        BlockWords *words = wordsOf(currentBlock());
        if (!words) {
            words = new BlockWords;
            setCurrentBlockUserData(words);
        }
        words->pending.clear();
        for (const Misspelling &m : std::as_const(words->ranges)) {
            if (m.start + m.length <= text.size())
                setFormat(m.start, m.length, m_format);
        }
        if (words->revision != currentBlock().revision()) {
            if (!m_longLines.contains(currentBlock()))
                m_longLines.append(currentBlock());
            m_longLineTimer.start();
        }
    }

    // One long line at a time goes to the worker; its answer counts only if the line has not
    // changed since.
    void checkNextLongLine()
    {
        if (m_longLineInFlight || !m_owner->checker())
            return;
        QTextBlock block;
        while (!m_longLines.isEmpty() && !block.isValid()) {
            const QTextBlock next = m_longLines.takeFirst();
            const BlockWords *words = next.isValid() && next.document() == document() ? wordsOf(next) : nullptr;
            if (words && words->revision != next.revision())
                block = next;
        }
        if (!block.isValid())
            return;
        const QString text = block.text();
        const int revision = block.revision();
        m_longLineInFlight = true;
        auto *watcher = new QFutureWatcher<QList<Misspelling>>(this);
        QObject::connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, block, text, revision] {
            watcher->deleteLater();
            m_longLineInFlight = false;
            BlockWords *words = block.isValid() && block.document() == document() ? wordsOf(block) : nullptr;
            if (words && block.revision() == revision) {
                words->ranges = watcher->result();
                words->revision = revision;
                words->misspelled.clear();
                for (const Misspelling &m : std::as_const(words->ranges))
                    words->misspelled.insert(text.sliced(m.start, m.length));
                rehighlightBlock(block);
            }
            if (!m_longLines.isEmpty())
                m_longLineTimer.start();
        });
        watcher->setFuture(m_owner->checker()->checkLine(text, fenceBefore(block)));
    }

    SpellCheck *m_owner;
    QTextCharFormat m_format;
    QTimer m_longLineTimer;
    QList<QTextBlock> m_longLines;
    bool m_longLineInFlight = false;
};

SpellCheck::SpellCheck(QObject *parent) : QObject(parent) {}

int SpellCheck::misspelledProperty()
{
    return kMisspelledProperty;
}

SpellCheck::~SpellCheck()
{
    delete m_highlighter.data();
}

void SpellCheck::setDocument(QQuickTextDocument *document)
{
    if (m_document == document)
        return;
    m_document = document;
    attach(document ? document->textDocument() : nullptr);
    Q_EMIT documentChanged();
}

void SpellCheck::setTextDocument(QTextDocument *document)
{
    m_document = nullptr;
    attach(document);
}

SpellChecker *SpellCheck::checker() const
{
    return m_checker;
}

void SpellCheck::setChecker(SpellChecker *checker)
{
    if (m_checker == checker)
        return;
    for (const auto &connection : std::as_const(m_checkerConnections))
        disconnect(connection);
    m_checkerConnections.clear();
    m_checker = checker;
    connectChecker();
    refresh();
}

void SpellCheck::connectChecker()
{
    if (!m_checker)
        return;
    m_checkerConnections = {
        connect(m_checker, &SpellChecker::checked, this,
                [this](const QSet<QString> &misspelled) {
                    if (m_highlighter)
                        m_highlighter->recheck(misspelled);
                }),
        connect(m_checker, &SpellChecker::accepted, this,
                [this](const QString &word) {
                    if (m_highlighter)
                        m_highlighter->recheck({word});
                }),
        connect(m_checker, &SpellChecker::statusChanged, this, &SpellCheck::refresh),
        connect(m_checker, &SpellChecker::enabledChanged, this, &SpellCheck::refresh),
        connect(m_checker, &SpellChecker::suggestionsReady, this,
                [this](const QString &word, const QStringList &suggestions) {
                    if (word == m_requested)
                        Q_EMIT suggestionsReady(word, suggestions);
                }),
    };
}

void SpellCheck::attach(QTextDocument *document)
{
    if (m_textDocument == document)
        return;
    delete m_highlighter.data();
    disconnect(m_documentConnection);
    m_textDocument = document;
    if (!document)
        return;
    if (!m_checker)
        setChecker(SpellChecker::shared());
    // Connected before the highlighter's own handler, which runs after this one.
    disconnect(m_documentConnection);
    m_documentConnection = connect(document, &QTextDocument::contentsChange, this, [this](int from) {
        if (m_highlighter)
            m_highlighter->hideLongLineUnderlines(from);
    });
    m_highlighter = new SpellHighlighter(document, this);
    m_highlighter->setColor(m_color);
    refresh();
}

bool SpellCheck::active() const
{
    return m_enabled && m_checker && m_checker->enabled()
           && m_checker->status() != SpellChecker::Status::Unavailable;
}

// Underlines again from scratch (or takes them away) when what decides them changed.
void SpellCheck::refresh()
{
    const bool now = active();
    // The dictionaries (about 16 MB for Russian) load when there are words to check: an
    // empty field left alone all day costs nothing; the first word asked for starts the load.
    if (now && m_textDocument && !m_textDocument->isEmpty())
        m_checker->load();
    if (m_highlighter)
        m_highlighter->rehighlight();
    if (now != m_wasActive) {
        m_wasActive = now;
        Q_EMIT activeChanged();
    }
}

// The word the cursor left is underlined if wrong, the one it now ends is not (yet).
void SpellCheck::setCursorPosition(int position)
{
    if (m_cursorPosition == position)
        return;
    const int before = m_cursorPosition;
    m_cursorPosition = position;
    if (m_highlighter && active()) {
        m_highlighter->rehighlightShortLineAt(before);
        if (m_textDocument->findBlock(before) != m_textDocument->findBlock(position))
            m_highlighter->rehighlightShortLineAt(position);
    }
    Q_EMIT cursorPositionChanged();
}

void SpellCheck::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    refresh();
}

void SpellCheck::setUnderlineColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    if (m_highlighter) {
        m_highlighter->setColor(color);
        m_highlighter->rehighlight();
    }
    Q_EMIT underlineColorChanged();
}

QVariantMap SpellCheck::misspelledAt(int position) const
{
    if (!m_textDocument || !active())
        return {};
    const QTextBlock block = m_textDocument->findBlock(position);
    if (!block.isValid())
        return {};
    bool inFence = fenceBefore(block);
    const QString text = block.text();
    const int offset = position - block.position();
    for (const Word &w : wordsToCheck(text, inFence)) {
        if (offset < w.start || offset > w.start + w.length)
            continue;
        const QString word = text.sliced(w.start, w.length);
        if (m_checker->verdict(word, w.language) != SpellChecker::Verdict::Misspelled)
            return {};
        return {{QStringLiteral("start"), block.position() + w.start},
                {QStringLiteral("length"), w.length},
                {QStringLiteral("word"), word}};
    }
    return {};
}

void SpellCheck::requestSuggestions(const QString &word)
{
    if (!m_checker)
        return;
    bool inFence = false;
    const QList<Word> words = wordsToCheck(word, inFence);
    m_requested = word;
    m_checker->requestSuggestions(word, words.isEmpty() ? Language::Russian : words.first().language);
}

bool SpellCheck::replace(int start, const QString &word, const QString &replacement)
{
    if (!m_textDocument || start < 0 || replacement.isEmpty()
        || start + word.size() >= m_textDocument->characterCount())
        return false;
    QTextCursor cursor(m_textDocument);
    cursor.setPosition(start);
    cursor.setPosition(start + int(word.size()), QTextCursor::KeepAnchor);
    if (cursor.selectedText() != word)
        return false; // the text changed while the menu was open
    cursor.insertText(replacement);
    return true;
}

void SpellCheck::addToDictionary(const QString &word)
{
    if (m_checker)
        m_checker->addToDictionary(word);
}

void SpellCheck::ignore(const QString &word)
{
    if (m_checker)
        m_checker->ignore(word);
}

} // namespace vexa::spell
