#pragma once

// An answer (Markdown, GitHub's dialect) cut into the blocks the screens draw one component
// each: prose, headings, lists, quotes, code, tables, rules and pictures. Parsed by md4c.
//
// Text meant for display (`html`) is the small subset Text.StyledText and TextEdit's rich text
// lay out alike: <b>, <i>, <s>, <a>, <font> and <br> around escaped pieces of the answer, never
// the answer's own markup. Links are kept only for https (http is opened as https) and mail
// addresses. A single newline inside a paragraph breaks the line: answers written without
// Markdown rely on their lines. Nothing of the answer's text is dropped; what a screen does not
// lay out (see the limits below) is counted in the block, and copying goes by the source.

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace vexa::answer {

enum class BlockKind { Prose, Heading, List, Quote, Code, Table, Rule, Picture, Math };

enum class Align { Default, Left, Center, Right };

// Styled text and the same without marks (for screen readers and speech).
struct Inline {
    QString html;
    QString plain;

    bool operator==(const Inline &) const = default;
};

struct ListItem {
    int depth = 0;  // 0 for the outermost list (capped at kMaxDepth)
    QString marker; // "•", "◦", "▪", "3." or "3)", "☐", "☑"; empty for an item's later paragraph
    Inline text;

    bool operator==(const ListItem &) const = default;
};

struct AnswerBlock {
    BlockKind kind = BlockKind::Prose;
    int indent = 0;     // lists the block sits in (capped at kMaxDepth)
    int quoteDepth = 0; // quotes around it (capped at kMaxDepth); Quote blocks have at least 1
    int level = 0;      // Heading: 1 (largest) to 3 (levels 3-6 share the smallest size)
    Inline text;        // Prose, Heading, Quote; Picture: its description

    // Code: as written, without the fences; the fence's first info word ("" when none).
    // Math (a display formula on lines of its own): its TeX in `code`, its readable text in
    // `text.plain`. Formulas inside text are part of it: their source in the code colour in
    // `html`, their readable text in `plain`.
    QString code;
    QString language;

    // List: items in order, nested ones with their depth.
    QList<ListItem> items;

    // Table: header row first; every row has `columns` cells.
    int columns = 0;
    QList<Align> alignments;
    QList<QList<Inline>> rows;

    // Picture: an https address.
    QUrl source;

    // Characters of the answer the block holds (its share of a message's display budget).
    qsizetype size = 0;

    bool operator==(const AnswerBlock &) const = default;
};

// How far a block is set in from the answer's left edge, in pixels: a step per list it sits
// in, a smaller one per quote (the quote's bar stands in it).
constexpr int kListInset = 22;
constexpr int kQuoteInset = 14;
inline int blockInset(const AnswerBlock &block)
{
    return block.indent * kListInset + block.quoteDepth * kQuoteInset;
}

struct Answer {
    QList<AnswerBlock> blocks; // every block; what a screen lays out is capped (below)
};

// What one message lays out at most, so a hostile answer cannot stall the main thread; the
// blocks keep everything, and what is not laid out is counted on a line of its own ("… ещё
// 49 800 строк"). Nesting deeper than kMaxDepth is drawn at kMaxDepth; a paragraph longer than
// kMaxProseChars is cut into blocks at line breaks or spaces.
inline constexpr int kMaxDepth = 8;
inline constexpr int kMaxListItems = 300;
inline constexpr int kMaxTableRows = 200;
inline constexpr int kMaxTableColumns = 30;
inline constexpr int kMaxBlocks = 300;
inline constexpr qsizetype kMaxProseChars = 8000;
inline constexpr qsizetype kMaxShownChars = 60000;

// Whole answers up to this many characters are parsed where they are asked for (well under a
// millisecond); longer ones on the worker pool.
inline constexpr qsizetype kParseInPlaceChars = 16 * 1024;

Answer parseAnswer(const QString &markdown);

// The whole answer as plain text, block after block (screen readers, the CommonMark check).
QString plainText(const Answer &answer);

// The answer as it is read aloud: no Markdown marks, code said as "Фрагмент кода." or
// "Фрагмент кода на Python." (languageName gives "Python" for "py"; empty when unknown), a
// table row by row as "столбец: значение" pairs, links by their text.
using LanguageName = std::function<QString(const QString &fenceInfo)>;
QString spokenText(const Answer &answer, const LanguageName &languageName = {});

// The spoken text of an answer given as Markdown, code named by its language (the highlighter's
// names: "Фрагмент кода на Python.").
QString spokenAnswer(const QString &markdown);

// A table as tab-separated lines (pastes into a spreadsheet); every row, hidden ones included.
QString tableAsTsv(const AnswerBlock &table);

// What a screen reader hears for a table before its rows: "таблица, 3 столбца, 5 строк".
QString tableSummary(const AnswerBlock &table);

// Plain text of the user's own words for the same display: escaped, line breaks kept.
QString plainToHtml(const QString &text);

// Whether an address may open from an answer, and how: https and mailto as they are, http as
// https; anything else (javascript:, file:, data:, relative) is not a link.
QUrl openableLink(const QString &address);

} // namespace vexa::answer
