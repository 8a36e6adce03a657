#pragma once

// One answer's blocks as the rows of a small list model, for the one component per block
// kind that draws it (AnswerView.qml). Made once per message and kept with it: the chat's
// message model hands out the same object for as long as the message lives. A long answer is
// parsed on the worker pool; until it is ready the model has no rows.
//
// What is laid out is capped (see answerblocks.h): rows stop at kMaxBlocks or kMaxShownChars
// with a last row of kind "more" saying what is left; lists, tables and code show their first
// items, rows and lines. Copying goes by the blocks, so it is always whole.

#include "answerblocks.h"
#include "codepicture.h"
#include "highlight.h"

#include <QAbstractListModel>
#include <QFutureWatcher>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace vexa::answer {

// A picture drawn ahead on its way to an item that shows it, which takes it out: a value
// passed through QML lives on until the script engine collects it (which does not see how
// large a picture is), and must not keep the picture alive meanwhile. Main thread.
struct PictureHandoff {
    std::shared_ptr<const CodePicture> picture;
};

inline std::shared_ptr<PictureHandoff> handOff(std::shared_ptr<const CodePicture> picture)
{
    return picture ? std::make_shared<PictureHandoff>(PictureHandoff{std::move(picture)}) : nullptr;
}

// A code block as a panel draws it: the code as laid out and the coloured runs of each of its
// lines (none while it is still plain).
struct CodeLines {
    QString code;
    QList<QList<highlight::Span>> runs;
    // The code drawn ahead, when it was (each value hands it out once: the item showing it
    // takes it).
    std::shared_ptr<PictureHandoff> ahead;
    // The picture drawn ahead, taken out (null when there was none or it was taken).
    std::shared_ptr<const CodePicture> takePicture() const
    {
        return ahead ? std::exchange(ahead->picture, nullptr) : nullptr;
    }
    bool operator==(const CodeLines &) const = default;
};

// An answer parsed, and the code it shows coloured, before anything asks for it: made on the
// highlighter's worker for messages about to scroll into view, so the frame that shows them
// only lays them out.
struct PreparedAnswer {
    std::shared_ptr<const Answer> answer;
    // The runs of each shown code block's lines, by block index.
    QHash<int, QList<QList<highlight::Span>>> codeRuns;
    // Those blocks drawn, in the style code was last shown in (none before any was).
    QHash<int, std::shared_ptr<const CodePicture>> codePictures;
    // The answer as one text when it is text only (empty otherwise); unset when not made yet.
    std::optional<QString> simpleHtml;
};

class AnswerModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    // The answer's Markdown; setting it parses it again.
    Q_PROPERTY(QString markdown READ markdown WRITE setMarkdown NOTIFY markdownChanged)
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)
    // Everything the answer says, block after block, for a screen reader.
    Q_PROPERTY(QString plainText READ plainText NOTIFY readyChanged)
    // An answer of prose, headings, lists, quotes and rules only (most of them) as one styled
    // text, which a bubble lays out as a single Text: the fast path for scrolling. Empty when
    // the answer has code, tables or pictures, or is long; those are drawn block by block.
    Q_PROPERTY(QString simpleHtml READ simpleHtml NOTIFY readyChanged)
public:
    enum Role {
        KindRole = Qt::UserRole + 1, // "prose", "heading", "list", "quote", "code", "table",
                                     // "rule", "picture", "math", "more"
        HtmlRole,        // styled text (prose, heading, quote; picture: description)
        PlainRole,       // the same without marks, or the block's text for a screen reader
        LevelRole,       // heading 1-3
        IndentRole,      // list nesting around the block
        QuoteDepthRole,  // quotes around it
        InsetRole,       // how far it is set in from the answer's edge, in pixels (blockInset)
        CodeRole,        // code as laid out (long lines and many lines cut); math: its TeX
        LanguageRole,    // the fence's info word
        ItemsRole,       // list: [{depth, marker, html, plain}]
        CellsRole,       // table: rows of cell html, header first
        AlignmentsRole,  // table: Text.horizontalAlignment per column
        HiddenRole,      // list items, table rows or code lines not laid out
        HiddenColumnsRole,
        SummaryRole,     // table: "таблица, 3 столбца, 5 строк"
        SourceRole,      // picture: https address
        ListHtmlRole,    // list: the shown items as one styled text, a line each
        CodeHtmlRole,    // code: as laid out, coloured, as styled text (plain until coloured)
        LanguageNameRole, // code: the language's name for people ("Python"), else the fence's word
        CodeLinesRole,   // code: CodeLines, changing with CodeHtmlRole when colours arrive
    };
    Q_ENUM(Role)

    explicit AnswerModel(QObject *parent = nullptr);
    ~AnswerModel() override;

    QString markdown() const { return m_markdown; }
    void setMarkdown(const QString &markdown);
    // Parses `markdown`, colours and draws its code and sets its formulas on the highlighter's
    // worker (one thread, shared with every code text of the app). For an answer of up to
    // kParseInPlaceChars.
    static QFuture<PreparedAnswer> prepareAhead(const QString &markdown);
    // The user's words as their bubble shows them, drawn ahead the same way (no answer comes
    // of it).
    static QFuture<PreparedAnswer> prepareWords(const QString &text);
    // The same as setMarkdown(markdown), from what prepareAhead(markdown) gave.
    void setPrepared(const QString &markdown, const PreparedAnswer &prepared);
    bool ready() const { return m_answer != nullptr; }
    QString plainText() const;
    QString simpleHtml() const { return m_simpleHtml; }
    const Answer *answer() const { return m_answer.get(); }

    // Puts a code block's code or a table's tab-separated text on the clipboard, whole.
    Q_INVOKABLE bool copyBlock(int row) const;
    // What copyBlock puts there.
    Q_INVOKABLE QString blockCopyText(int row) const;
    // A code row's CodeHtmlRole (for a component that wants it only now and then).
    Q_INVOKABLE QString codeHtml(int row) const;
    // A table cell's text without marks (what a screen reader says for it).
    Q_INVOKABLE QString cellText(int row, int tableRow, int column) const;
    // A table row's HiddenRole when `cut` more of its rows are left out where it is drawn.
    Q_INVOKABLE QString hiddenRowsLine(int row, int cut) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // How many lines and characters per line a code panel lays out.
    static constexpr int kMaxCodeLines = 1500;
    static constexpr int kMaxCodeLineChars = 2000;
    static constexpr int kMaxShownListItems = 150;
    static constexpr int kMaxShownTableRows = 60;
    static constexpr int kMaxShownTableColumns = 12;
    // Code up to this size is coloured where it is first shown, when the highlighter is free
    // and knows the language (no wait): it is laid out once, already coloured. Longer code, or
    // when the highlighter is busy, is shown plain and coloured on the highlighter's worker.
    static constexpr int kColourInPlaceChars = 4096;

Q_SIGNALS:
    void markdownChanged();
    void readyChanged();

private:
    // The answer (none while a long one is parsed), with what was made ahead of it.
    void setAnswer(const PreparedAnswer &prepared);
    void dropParse();

    struct Row {
        int block = -1; // -1: the "more" row
        mutable QVariant items;
        mutable QVariant cells;
        mutable QString code; // code as laid out; for a list, its styled text
        mutable QString listPlain;
        mutable std::optional<QList<QList<highlight::Span>>> runs; // code: its colours, once known
        mutable std::optional<QString> codeHtml;
        mutable int hidden = -1;
    };
    void prepare(const Row &row) const;
    // Gives a code row its runs: made ahead, at once when that costs no wait, else none until
    // the worker's come (then dataChanged).
    void colourCode(int row) const;
    // The picture drawn ahead for a code block, while there is one (see m_shownPictures).
    std::shared_ptr<const CodePicture> codePicture(int block) const;

    QString m_markdown;
    std::shared_ptr<const Answer> m_answer;
    QList<Row> m_rows;
    // Colours made ahead (see PreparedAnswer), used by the rows as they are first drawn.
    QHash<int, QList<QList<highlight::Span>>> m_preparedRuns;
    mutable QHash<int, std::shared_ptr<const CodePicture>> m_preparedPictures;
    // Pictures drawn ahead and handed out, while an item still holds them: a list that lays a
    // bubble out again makes its blocks anew, and they show the same picture instead of drawing
    // it a second time in that frame. Never keeps a picture alive.
    mutable QHash<int, std::weak_ptr<const CodePicture>> m_shownPictures;
    qsizetype m_hiddenChars = 0;
    QString m_simpleHtml;
    // Made when first asked for (screen readers, copying) and kept with the answer.
    mutable std::optional<QString> m_plainText;
    QFutureWatcher<Answer> *m_watcher = nullptr;
    // Which answer the rows are of: colours coming back for an earlier one are dropped.
    quint64 m_generation = 0;
};

} // namespace vexa::answer

Q_DECLARE_METATYPE(vexa::answer::CodeLines)
