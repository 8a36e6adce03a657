#include "answerblocks.h"

#include "answerentities.h"
#include "answermath.h"

#include <md4c.h>

#include <algorithm>

namespace vexa::answer {

namespace {

// Colours that read on both bubble backgrounds and on the code assistant's cards.
constexpr auto kCodeColor = "#9ecbff";
constexpr auto kLinkColor = "#7cc4ff";

constexpr char16_t kReplacement = u'\uFFFD';

void appendEscaped(QString &out, QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case 0: out += QChar(kReplacement); break;
        default: out += c;
        }
    }
}

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    appendEscaped(out, text);
    return out;
}

QString bulletFor(int depth)
{
    static const QString bullets[] = {QStringLiteral("•"), QStringLiteral("◦"), QStringLiteral("▪")};
    return bullets[depth % 3];
}

// What the callbacks build: containers open around the leaf being filled.
class Builder
{
public:
    Answer answer;

    int enterBlock(MD_BLOCKTYPE type, void *detail);
    int leaveBlock(MD_BLOCKTYPE type, void *detail);
    int enterSpan(MD_SPANTYPE type, void *detail);
    int leaveSpan(MD_SPANTYPE type, void *detail);
    int text(MD_TEXTTYPE type, QStringView text);

private:
    enum class Leaf { None, Paragraph, ItemText, Heading, Cell, Code };
    struct List {
        bool ordered = false;
        unsigned next = 1;
        char delimiter = '.';
    };
    struct Item {
        QString marker;
        bool shown = false; // its marker has been laid out
    };

    int depth() const { return std::min(int(m_lists.size()) - 1, kMaxDepth); }
    int quoteDepth() const { return std::min(m_quotes, kMaxDepth); }
    MD_BLOCKTYPE parent() const { return m_containers.isEmpty() ? MD_BLOCK_DOC : m_containers.last(); }
    // The container of the paragraph being filled (from inside it or just after it).
    MD_BLOCKTYPE leafParent() const
    {
        const MD_BLOCKTYPE top = parent();
        if (top == MD_BLOCK_P && m_containers.size() >= 2)
            return m_containers.at(m_containers.size() - 2);
        return top;
    }

    void startLeaf(Leaf leaf)
    {
        m_leaf = leaf;
        m_buffer = {};
        m_images = 0;
        m_otherText = false;
        m_imageSource.clear();
    }
    void finishLeaf();
    void emitBlock(AnswerBlock block);
    void appendItem(Inline text);
    void openTag(const QString &open, const QString &close)
    {
        m_buffer.html += open;
        m_closeTags.append(close);
        m_openTags.append(open);
    }
    void closeTag()
    {
        if (m_closeTags.isEmpty())
            return;
        m_buffer.html += m_closeTags.takeLast();
        m_openTags.removeLast();
    }
    void appendText(QStringView html, QStringView plain);
    void enterMath(bool display);
    int leaveMath();
    void appendLong(QStringView text);
    void splitLeaf();

    QList<MD_BLOCKTYPE> m_containers;
    QList<List> m_lists;
    QList<Item> m_items;
    int m_quotes = 0;
    bool m_listOpen = false; // the last block is a List the next items go on

    Leaf m_leaf = Leaf::None;
    int m_headingLevel = 1;
    Inline m_buffer;
    QStringList m_openTags;
    QStringList m_closeTags;
    int m_imageDepth = 0;
    int m_images = 0;
    bool m_otherText = false;
    QString m_imageSource;

    AnswerBlock m_table;
    QList<Inline> m_row;
    QString m_code;
    QString m_language;
    QString m_tex;              // the formula being read
    bool m_mathBlock = false;   // it is a display formula with a block of its own
};

void Builder::emitBlock(AnswerBlock block)
{
    if (block.kind == BlockKind::Prose && !answer.blocks.isEmpty() && answer.blocks.last().kind == BlockKind::Math
        && !textAfterFormula(block.text))
        return; // the rest of a paragraph that ended with its formula
    block.quoteDepth = quoteDepth();
    if (block.kind != BlockKind::List)
        block.indent = std::clamp(int(m_lists.size()), 0, kMaxDepth);
    if (block.kind == BlockKind::Quote && block.quoteDepth == 0)
        block.kind = BlockKind::Prose;
    m_listOpen = false;
    // Neighbouring paragraphs go into one text: fewer items to lay out when scrolling.
    if (!answer.blocks.isEmpty() && (block.kind == BlockKind::Prose || block.kind == BlockKind::Quote)) {
        AnswerBlock &last = answer.blocks.last();
        if (last.kind == block.kind && last.indent == block.indent
            && last.quoteDepth == block.quoteDepth && last.size + block.size + 2 <= kMaxProseChars) {
            last.text.html += QStringLiteral("<br><br>") + block.text.html;
            last.text.plain += QStringLiteral("\n\n") + block.text.plain;
            last.size += block.size + 2;
            return;
        }
    }
    answer.blocks.append(std::move(block));
}

void Builder::appendItem(Inline text)
{
    if (!m_listOpen || answer.blocks.isEmpty() || answer.blocks.last().quoteDepth != quoteDepth()) {
        AnswerBlock list;
        list.kind = BlockKind::List;
        emitBlock(std::move(list));
        m_listOpen = true;
    }
    AnswerBlock &list = answer.blocks.last();
    ListItem item;
    item.depth = std::max(depth(), 0);
    if (!m_items.isEmpty() && !m_items.last().shown) {
        item.marker = m_items.last().marker;
        m_items.last().shown = true;
    }
    list.size += text.plain.size();
    item.text = std::move(text);
    list.items.append(std::move(item));
}

void Builder::finishLeaf()
{
    const Leaf leaf = m_leaf;
    m_leaf = Leaf::None;
    while (!m_closeTags.isEmpty())
        closeTag();
    Inline text = std::move(m_buffer);
    m_buffer = {};
    switch (leaf) {
    case Leaf::None:
    case Leaf::Cell:
    case Leaf::Code:
        return;
    case Leaf::ItemText:
        appendItem(std::move(text));
        return;
    case Leaf::Heading: {
        AnswerBlock block;
        block.kind = BlockKind::Heading;
        block.level = std::clamp(m_headingLevel, 1, 3);
        block.size = text.plain.size();
        block.text = std::move(text);
        emitBlock(std::move(block));
        return;
    }
    case Leaf::Paragraph:
        break;
    }
    if (leafParent() == MD_BLOCK_LI) {
        appendItem(std::move(text));
        return;
    }
    AnswerBlock block;
    const QUrl picture = openableLink(m_imageSource);
    if (m_images == 1 && !m_otherText && picture.scheme() == QLatin1String("https")) {
        block.kind = BlockKind::Picture;
        block.source = picture;
    } else {
        block.kind = m_quotes > 0 ? BlockKind::Quote : BlockKind::Prose;
    }
    block.size = text.plain.size();
    block.text = std::move(text);
    emitBlock(std::move(block));
}

// A paragraph too long for one text item goes on in the next block, its open styles closed
// here and opened again there.
void Builder::splitLeaf()
{
    const Leaf leaf = m_leaf;
    const QStringList open = m_openTags;
    const QStringList close = m_closeTags;
    finishLeaf();
    startLeaf(leaf);
    m_otherText = true; // no longer a lone picture
    for (const QString &tag : open)
        m_buffer.html += tag;
    m_openTags = open;
    m_closeTags = close;
}

void Builder::appendText(QStringView html, QStringView plain)
{
    if (m_leaf == Leaf::Code) {
        m_code += plain;
        return;
    }
    if (m_leaf == Leaf::None) {
        // Text straight in a list item: a tight list has no paragraphs.
        if (parent() != MD_BLOCK_LI)
            return;
        startLeaf(Leaf::ItemText);
    }
    if (m_imageDepth == 0 && !plain.trimmed().isEmpty())
        m_otherText = true;
    m_buffer.html += html;
    m_buffer.plain += plain;
}

// Ordinary text, cut where a paragraph grows past what one text item lays out quickly.
void Builder::appendLong(QStringView text)
{
    const bool splittable = m_leaf == Leaf::Paragraph || m_leaf == Leaf::ItemText
        || (m_leaf == Leaf::None && parent() == MD_BLOCK_LI);
    while (splittable && m_buffer.plain.size() + text.size() > kMaxProseChars && m_imageDepth == 0) {
        qsizetype room = std::max<qsizetype>(kMaxProseChars - m_buffer.plain.size(), 0);
        if (room < kMaxProseChars / 4 && !m_buffer.plain.isEmpty()) {
            splitLeaf();
            continue;
        }
        room = std::min(room, text.size());
        qsizetype cut = room;
        for (qsizetype i = room; i > room / 2; --i) {
            if (text.at(i - 1).isSpace()) {
                cut = i;
                break;
            }
        }
        // Never between the halves of a surrogate pair.
        if (cut > 0 && cut < text.size() && text.at(cut - 1).isHighSurrogate())
            --cut;
        if (cut <= 0)
            cut = std::min<qsizetype>(text.size(), 1);
        appendText(escaped(text.first(cut)), text.first(cut));
        text = text.sliced(cut);
        if (!text.isEmpty())
            splitLeaf();
    }
    if (!text.isEmpty())
        appendText(escaped(text), text);
}

int Builder::enterBlock(MD_BLOCKTYPE type, void *detail)
{
    // A block inside a list item ends the item's own text.
    if (m_leaf == Leaf::ItemText)
        finishLeaf();
    switch (type) {
    case MD_BLOCK_DOC:
    case MD_BLOCK_HTML: // raw HTML is off: never reached
    case MD_BLOCK_THEAD:
    case MD_BLOCK_TBODY:
        break;
    case MD_BLOCK_QUOTE:
        ++m_quotes;
        m_listOpen = false;
        break;
    case MD_BLOCK_UL:
        m_lists.append(List{});
        break;
    case MD_BLOCK_OL: {
        const auto *ol = static_cast<const MD_BLOCK_OL_DETAIL *>(detail);
        m_lists.append(List{true, ol->start, ol->mark_delimiter});
        break;
    }
    case MD_BLOCK_LI: {
        const auto *li = static_cast<const MD_BLOCK_LI_DETAIL *>(detail);
        Item item;
        List &list = m_lists.last();
        if (li->is_task)
            item.marker = (li->task_mark == ' ') ? QStringLiteral("☐") : QStringLiteral("☑");
        else if (list.ordered)
            item.marker = QString::number(list.next) + QLatin1Char(list.delimiter);
        else
            item.marker = bulletFor(std::max(depth(), 0));
        ++list.next;
        m_items.append(item);
        break;
    }
    case MD_BLOCK_HR: {
        AnswerBlock rule;
        rule.kind = BlockKind::Rule;
        emitBlock(rule);
        break;
    }
    case MD_BLOCK_H:
        m_headingLevel = int(static_cast<const MD_BLOCK_H_DETAIL *>(detail)->level);
        startLeaf(Leaf::Heading);
        break;
    case MD_BLOCK_CODE: {
        const auto *code = static_cast<const MD_BLOCK_CODE_DETAIL *>(detail);
        startLeaf(Leaf::Code);
        m_code.clear();
        m_language = attributeText(code->lang);
        break;
    }
    case MD_BLOCK_P:
        startLeaf(Leaf::Paragraph);
        break;
    case MD_BLOCK_TABLE: {
        const auto *table = static_cast<const MD_BLOCK_TABLE_DETAIL *>(detail);
        m_table = {};
        m_table.kind = BlockKind::Table;
        m_table.columns = int(table->col_count);
        break;
    }
    case MD_BLOCK_TR:
        m_row.clear();
        break;
    case MD_BLOCK_TH:
    case MD_BLOCK_TD: {
        if (m_table.rows.isEmpty()) {
            const auto *cell = static_cast<const MD_BLOCK_TD_DETAIL *>(detail);
            static constexpr Align aligns[] = {Align::Default, Align::Left, Align::Center, Align::Right};
            m_table.alignments.append(aligns[std::clamp(int(cell->align), 0, 3)]);
        }
        startLeaf(Leaf::Cell);
        break;
    }
    }
    m_containers.append(type);
    return 0;
}

int Builder::leaveBlock(MD_BLOCKTYPE type, void *)
{
    if (!m_containers.isEmpty())
        m_containers.removeLast();
    switch (type) {
    case MD_BLOCK_QUOTE:
        --m_quotes;
        m_listOpen = false;
        break;
    case MD_BLOCK_UL:
    case MD_BLOCK_OL:
        if (!m_lists.isEmpty())
            m_lists.removeLast();
        break;
    case MD_BLOCK_LI:
        if (m_leaf == Leaf::ItemText)
            finishLeaf();
        // An empty item still shows its marker.
        if (!m_items.isEmpty() && !m_items.last().shown)
            appendItem({});
        if (!m_items.isEmpty())
            m_items.removeLast();
        break;
    case MD_BLOCK_H:
    case MD_BLOCK_P:
        finishLeaf();
        break;
    case MD_BLOCK_CODE: {
        m_leaf = Leaf::None;
        if (m_code.endsWith(QLatin1Char('\n')))
            m_code.chop(1);
        AnswerBlock block;
        block.kind = BlockKind::Code;
        block.code = std::move(m_code);
        block.language = std::move(m_language);
        block.size = block.code.size();
        m_code.clear();
        m_language.clear();
        emitBlock(std::move(block));
        break;
    }
    case MD_BLOCK_TH:
    case MD_BLOCK_TD:
        while (!m_closeTags.isEmpty())
            closeTag();
        m_table.size += m_buffer.plain.size();
        m_row.append(std::move(m_buffer));
        m_buffer = {};
        m_leaf = Leaf::None;
        break;
    case MD_BLOCK_TR:
        while (m_row.size() < m_table.columns)
            m_row.append(Inline{});
        m_table.rows.append(std::move(m_row));
        m_row.clear();
        break;
    case MD_BLOCK_TABLE:
        while (m_table.alignments.size() < m_table.columns)
            m_table.alignments.append(Align::Default);
        emitBlock(std::move(m_table));
        m_table = {};
        break;
    default:
        break;
    }
    return 0;
}

int Builder::enterSpan(MD_SPANTYPE type, void *detail)
{
    if (m_leaf == Leaf::None && parent() == MD_BLOCK_LI)
        startLeaf(Leaf::ItemText);
    switch (type) {
    case MD_SPAN_EM: openTag(QStringLiteral("<i>"), QStringLiteral("</i>")); break;
    case MD_SPAN_STRONG: openTag(QStringLiteral("<b>"), QStringLiteral("</b>")); break;
    case MD_SPAN_DEL: openTag(QStringLiteral("<s>"), QStringLiteral("</s>")); break;
    case MD_SPAN_U: openTag(QStringLiteral("<u>"), QStringLiteral("</u>")); break;
    case MD_SPAN_CODE:
        openTag(QStringLiteral("<font color=\"") + QLatin1String(kCodeColor) + QStringLiteral("\">"),
                QStringLiteral("</font>"));
        break;
    case MD_SPAN_A: {
        const auto *a = static_cast<const MD_SPAN_A_DETAIL *>(detail);
        const QUrl url = openableLink(attributeText(a->href));
        // Links are coloured and underlined here: Text and TextEdit would each style a bare
        // link their own way. A refused address keeps only its text.
        if (url.isEmpty() || m_imageDepth > 0)
            openTag(QString(), QString());
        else
            openTag(QStringLiteral("<a href=\"") + escaped(url.toString(QUrl::FullyEncoded))
                        + QStringLiteral("\"><u><font color=\"") + QLatin1String(kLinkColor)
                        + QStringLiteral("\">"),
                    QStringLiteral("</font></u></a>"));
        break;
    }
    case MD_SPAN_LATEXMATH:
    case MD_SPAN_LATEXMATH_DISPLAY:
        enterMath(type == MD_SPAN_LATEXMATH_DISPLAY);
        break;
    case MD_SPAN_IMG: {
        const auto *img = static_cast<const MD_SPAN_IMG_DETAIL *>(detail);
        if (m_imageDepth++ == 0) {
            ++m_images;
            m_imageSource = attributeText(img->src);
        }
        openTag(QString(), QString());
        break;
    }
    default:
        openTag(QString(), QString());
        break;
    }
    return 0;
}

// A display formula outside lists is a block of its own; elsewhere formulas are in the text.
void Builder::enterMath(bool display)
{
    m_tex.clear();
    m_mathBlock = display && m_leaf == Leaf::Paragraph && leafParent() != MD_BLOCK_LI && m_openTags.isEmpty();
    if (m_mathBlock && !m_buffer.plain.trimmed().isEmpty()) {
        if (m_buffer.plain.endsWith(u'\n') && m_buffer.html.endsWith(QLatin1String("<br>"))) {
            m_buffer.plain.chop(1); // the line break before the formula
            m_buffer.html.chop(4);
        }
        finishLeaf();
        startLeaf(Leaf::Paragraph);
    }
    openTag(QString(), QString());
}

int Builder::leaveMath()
{
    closeTag();
    AnswerBlock block;
    block.code = m_tex.trimmed();
    block.text = {QLatin1String(kInlineMathOpen) + escaped(block.code) + QStringLiteral("</font>"),
                  spokenFormula(block.code)};
    if (!m_mathBlock)
        return appendText(block.text.html, block.text.plain), 0;
    block.kind = BlockKind::Math;
    block.size = block.code.size();
    m_buffer = {}; // what was before it went into its own block; only line breaks are left
    emitBlock(std::move(block));
    return 0;
}

int Builder::leaveSpan(MD_SPANTYPE type, void *)
{
    if (type == MD_SPAN_IMG && m_imageDepth > 0)
        --m_imageDepth;
    if (type == MD_SPAN_LATEXMATH || type == MD_SPAN_LATEXMATH_DISPLAY)
        return leaveMath();
    closeTag();
    return 0;
}

int Builder::text(MD_TEXTTYPE type, QStringView text)
{
    switch (type) {
    case MD_TEXT_NULLCHAR:
        appendText(QString(QChar(kReplacement)), QString(QChar(kReplacement)));
        break;
    case MD_TEXT_BR:
    case MD_TEXT_SOFTBR:
        // Every line break of an answer shows, not only the hard ones.
        if (m_leaf == Leaf::Code)
            m_code += QLatin1Char('\n');
        else
            appendText(QStringLiteral("<br>"), QStringLiteral("\n"));
        break;
    case MD_TEXT_LATEXMATH:
        m_tex += text;
        break;
    case MD_TEXT_ENTITY: {
        const QString decoded = decodeEntity(text.toString());
        appendText(escaped(decoded), decoded);
        break;
    }
    default:
        appendLong(text);
        break;
    }
    return 0;
}

template <auto Method, typename Type>
int call(Type type, void *detail, void *self)
{
    return (static_cast<Builder *>(self)->*Method)(type, detail);
}

} // namespace

Answer parseAnswer(const QString &markdown)
{
    const QByteArray utf8 = markMath(markdown).toUtf8();
    Builder builder;
    MD_PARSER parser{};
    parser.abi_version = 0;
    // GitHub's dialect; raw HTML is text like any other.
    parser.flags = MD_DIALECT_GITHUB | MD_FLAG_NOHTML | MD_FLAG_LATEXMATHSPANS;
    parser.enter_block = &call<&Builder::enterBlock, MD_BLOCKTYPE>;
    parser.leave_block = &call<&Builder::leaveBlock, MD_BLOCKTYPE>;
    parser.enter_span = &call<&Builder::enterSpan, MD_SPANTYPE>;
    parser.leave_span = &call<&Builder::leaveSpan, MD_SPANTYPE>;
    parser.text = [](MD_TEXTTYPE type, const MD_CHAR *text, MD_SIZE size, void *self) {
        return static_cast<Builder *>(self)->text(type, QString::fromUtf8(text, qsizetype(size)));
    };
    md_parse(utf8.constData(), MD_SIZE(utf8.size()), &parser, &builder);
    return std::move(builder.answer);
}

QString plainToHtml(const QString &text)
{
    QString html = escaped(text);
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    // Runs of spaces are kept as typed.
    html.replace(QStringLiteral("  "), QStringLiteral("&nbsp; "));
    return html;
}

} // namespace vexa::answer
