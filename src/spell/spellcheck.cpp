#include "spellcheck.h"

#include "spellchecker.h"
#include "spellwords.h"

#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vexa::spell {

namespace {

// Block state: whether a ``` fence is open after the block.
constexpr int kOutsideFence = 0;
constexpr int kInsideFence = 1;

// What a block's last pass found: the words it underlined and those still waiting for a verdict.
// It moves with the block as lines are added or removed above it.
struct BlockWords : QTextBlockUserData {
    QSet<QString> misspelled;
    QSet<QString> pending;
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
    SpellHighlighter(QTextDocument *document, SpellCheck *owner) : QSyntaxHighlighter(document), m_owner(owner) {}

    void setColor(const QColor &color)
    {
        m_format = QTextCharFormat();
        m_format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
        m_format.setUnderlineColor(color);
    }

    // Again the blocks that waited for one of these words or showed one of them.
    void recheck(const QSet<QString> &changed)
    {
        if (changed.isEmpty())
            return;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            const BlockWords *words = wordsOf(block);
            if (words && (words->pending.intersects(changed) || words->misspelled.intersects(changed)))
                rehighlightBlock(block);
        }
    }

protected:
    void highlightBlock(const QString &text) override
    {
        bool inFence = previousBlockState() == kInsideFence;
        const QList<Word> words = wordsToCheck(text, inFence);
        setCurrentBlockState(inFence ? kInsideFence : kOutsideFence);
        SpellChecker *checker = m_owner->checker();
        if (!m_owner->active() || !checker) {
            setCurrentBlockUserData(nullptr);
            return;
        }
        auto *found = new BlockWords;
        for (const Word &w : words) {
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
    SpellCheck *m_owner;
    QTextCharFormat m_format;
};

SpellCheck::SpellCheck(QObject *parent) : QObject(parent) {}

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
    m_textDocument = document;
    if (!document)
        return;
    if (!m_checker)
        setChecker(SpellChecker::shared());
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
    if (now && m_textDocument)
        m_checker->load();
    if (m_highlighter)
        m_highlighter->rehighlight();
    if (now != m_wasActive) {
        m_wasActive = now;
        Q_EMIT activeChanged();
    }
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
