#include "markdowntext.h"

#include "chatrules.h"
#include "markdownblocks.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace vexa::chat {

namespace {

// Colours that read on both bubble backgrounds.
constexpr auto kCodeColor = "#9ecbff";
constexpr auto kQuoteColor = "#b8bccc";
constexpr auto kLinkColor = "#7cc4ff";
constexpr auto kBlockCodeColor = "#d6deeb";
constexpr auto kRuleText = "──────────";

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        default: out += c;
        }
    }
    return out;
}

bool isPunctuation(QChar c)
{
    return c.isPunct() || c.isSymbol();
}

// ---- Inline ----

// One piece of inline content: text already escaped, or a run of emphasis delimiters that a
// later pass pairs (unpaired runs become text again).
struct Piece {
    QString html;
    QString plain;
    QChar delimiter;    // '*', '_' or '~' for a delimiter run, else null
    int length = 0;     // characters left in the run
    bool canOpen = false;
    bool canClose = false;
    QStringList opens;  // tags emitted before the run's remaining text
    QStringList closes; // tags emitted after it
};

bool safeLink(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid()
        && (scheme == QLatin1String("https") || scheme == QLatin1String("http")
            || scheme == QLatin1String("mailto"));
}

// Coloured and underlined explicitly: Text and TextEdit would each style a bare link their own way.
QString linkHtml(const QUrl &url, const QString &innerHtml)
{
    return QStringLiteral("<a href=\"") + escaped(url.toString(QUrl::FullyEncoded))
        + QStringLiteral("\"><u><font color=\"") + QLatin1String(kLinkColor)
        + QStringLiteral("\">") + innerHtml + QStringLiteral("</font></u></a>");
}

struct Inline {
    QString html;
    QString plain;
};

Inline renderInline(QStringView text);

// Pairs delimiter runs closest-first, as CommonMark does for the common cases: ** is bold,
// * is italic, *** both, ~~ strikes through.
void pairDelimiters(QList<Piece> &pieces)
{
    for (int closer = 0; closer < pieces.size(); ++closer) {
        Piece &close = pieces[closer];
        if (close.delimiter.isNull() || !close.canClose)
            continue;
        for (int opener = closer - 1; opener >= 0 && close.length > 0; --opener) {
            Piece &open = pieces[opener];
            if (open.delimiter != close.delimiter || !open.canOpen || open.length == 0)
                continue;
            if (close.delimiter == QLatin1Char('~')) {
                if (open.length < 2 || close.length < 2)
                    continue;
                open.length -= 2;
                close.length -= 2;
                open.opens.append(QStringLiteral("<s>"));
                close.closes.prepend(QStringLiteral("</s>"));
                continue;
            }
            const int used = (open.length >= 2 && close.length >= 2) ? 2 : 1;
            open.length -= used;
            close.length -= used;
            const QString tag = used == 2 ? QStringLiteral("b") : QStringLiteral("i");
            // Tags close in the reverse order of opening.
            open.opens.append(QLatin1Char('<') + tag + QLatin1Char('>'));
            close.closes.prepend(QStringLiteral("</") + tag + QLatin1Char('>'));
            // Everything between an opener and its closer that is still unpaired stays text.
            for (int between = opener + 1; between < closer; ++between) {
                if (!pieces[between].delimiter.isNull())
                    pieces[between].canOpen = pieces[between].canClose = false;
            }
            if (open.length > 0)
                ++opener; // the same opener may pair again (*** closing ** and *)
        }
    }
}

Inline joinPieces(const QList<Piece> &pieces)
{
    Inline out;
    for (const Piece &piece : pieces) {
        if (piece.delimiter.isNull()) {
            out.html += piece.html;
            out.plain += piece.plain;
            continue;
        }
        // Opening tags sit after the leftover characters, closing tags before them.
        const QString rest(piece.length, piece.delimiter);
        for (const QString &tag : piece.closes)
            out.html += tag;
        out.html += rest;
        out.plain += rest;
        for (const QString &tag : piece.opens)
            out.html += tag;
    }
    return out;
}

Inline renderInline(QStringView text)
{
    QList<Piece> pieces;
    QString pendingHtml;
    QString pendingPlain;
    auto flush = [&] {
        if (pendingHtml.isEmpty() && pendingPlain.isEmpty())
            return;
        Piece piece;
        piece.html = pendingHtml;
        piece.plain = pendingPlain;
        pieces.append(piece);
        pendingHtml.clear();
        pendingPlain.clear();
    };
    auto literal = [&](QStringView s) {
        pendingHtml += escaped(s);
        pendingPlain += s;
    };

    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        // Backslash escapes punctuation; at the end of a line it is a hard break.
        if (c == QLatin1Char('\\') && i + 1 < n && isPunctuation(text.at(i + 1))) {
            literal(text.mid(i + 1, 1));
            i += 2;
            continue;
        }
        if (c == QLatin1Char('`')) {
            qsizetype run = i;
            while (run < n && text.at(run) == QLatin1Char('`'))
                ++run;
            const qsizetype ticks = run - i;
            const QString fence(ticks, QLatin1Char('`'));
            qsizetype end = run;
            qsizetype found = -1;
            while ((end = text.indexOf(fence, end)) >= 0) {
                const qsizetype after = end + ticks;
                if ((after >= n || text.at(after) != QLatin1Char('`'))
                    && (end == 0 || text.at(end - 1) != QLatin1Char('`'))) {
                    found = end;
                    break;
                }
                end = after;
                while (end < n && text.at(end) == QLatin1Char('`'))
                    ++end;
            }
            if (found < 0) {
                literal(text.mid(i, ticks));
                i = run;
                continue;
            }
            QStringView code = text.mid(run, found - run);
            if (code.size() > 2 && code.startsWith(QLatin1Char(' ')) && code.endsWith(QLatin1Char(' ')))
                code = code.mid(1, code.size() - 2);
            pendingHtml += QStringLiteral("<font color=\"") + QLatin1String(kCodeColor)
                + QStringLiteral("\">") + escaped(code).replace(QLatin1Char('\n'), QStringLiteral("<br>"))
                + QStringLiteral("</font>");
            pendingPlain += code;
            i = found + ticks;
            continue;
        }
        if (c == QLatin1Char('[')) {
            // [text](address): the text may hold emphasis, not brackets.
            const qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
            if (close > i && close + 1 < n && text.at(close + 1) == QLatin1Char('(')) {
                // The address may hold balanced parentheses of its own.
                qsizetype paren = -1;
                for (qsizetype j = close + 2, depth = 0; j < n; ++j) {
                    if (text.at(j) == QLatin1Char('('))
                        ++depth;
                    else if (text.at(j) == QLatin1Char(')') && depth-- == 0) {
                        paren = j;
                        break;
                    }
                }
                const QStringView inner = text.mid(i + 1, close - i - 1);
                if (paren > close && !inner.contains(QLatin1Char('['))) {
                    const QString target = text.mid(close + 2, paren - close - 2).trimmed().toString();
                    const QUrl url(target.section(QLatin1Char(' '), 0, 0), QUrl::StrictMode);
                    const Inline label = renderInline(inner);
                    if (safeLink(url))
                        pendingHtml += linkHtml(url, label.html);
                    else
                        pendingHtml += label.html;
                    pendingPlain += label.plain;
                    i = paren + 1;
                    continue;
                }
            }
        }
        if (c == QLatin1Char('<')) {
            // <https://…> autolinks.
            const qsizetype close = text.indexOf(QLatin1Char('>'), i + 1);
            if (close > i) {
                const QUrl url(text.mid(i + 1, close - i - 1).toString(), QUrl::StrictMode);
                if (safeLink(url) && !text.mid(i + 1, close - i - 1).contains(QLatin1Char(' '))) {
                    const QString shown = text.mid(i + 1, close - i - 1).toString();
                    pendingHtml += linkHtml(url, escaped(shown));
                    pendingPlain += shown;
                    i = close + 1;
                    continue;
                }
            }
        }
        if (c == QLatin1Char('*') || c == QLatin1Char('_') || c == QLatin1Char('~')) {
            qsizetype run = i;
            while (run < n && text.at(run) == c)
                ++run;
            const QChar before = i > 0 ? text.at(i - 1) : QLatin1Char(' ');
            const QChar after = run < n ? text.at(run) : QLatin1Char(' ');
            const bool leftFlanking = !after.isSpace()
                && (!isPunctuation(after) || before.isSpace() || isPunctuation(before));
            const bool rightFlanking = !before.isSpace()
                && (!isPunctuation(before) || after.isSpace() || isPunctuation(after));
            Piece piece;
            piece.delimiter = c;
            piece.length = int(run - i);
            if (c == QLatin1Char('_')) {
                // Inside a word (snake_case) an underscore is just a character.
                piece.canOpen = leftFlanking && (!rightFlanking || isPunctuation(before));
                piece.canClose = rightFlanking && (!leftFlanking || isPunctuation(after));
            } else {
                piece.canOpen = leftFlanking;
                piece.canClose = rightFlanking;
            }
            flush();
            pieces.append(piece);
            i = run;
            continue;
        }
        if (c == QLatin1Char('\n')) {
            pendingHtml += QStringLiteral("<br>");
            pendingPlain += c;
            ++i;
            continue;
        }
        literal(text.mid(i, 1));
        ++i;
    }
    flush();
    pairDelimiters(pieces);
    return joinPieces(pieces);
}

// ---- Blocks ----

struct Line {
    enum class Kind { Blank, Text, Heading, Rule, Bullet, Ordered, Quote, TableRow, TableRule };
    Kind kind = Kind::Text;
    int level = 0;       // heading level, or list nesting
    QString marker;      // "3." for ordered items
    QString content;
};

Line classify(const QString &raw)
{
    static const QRegularExpression heading(QStringLiteral("^ {0,3}(#{1,6})(?:[ \\t]+(.*?))?(?:[ \\t]+#+)?[ \\t]*$"));
    static const QRegularExpression rule(QStringLiteral("^ {0,3}([-*_])(?:[ \\t]*\\1){2,}[ \\t]*$"));
    static const QRegularExpression bullet(QStringLiteral("^([ \\t]*)[-*+][ \\t]+(.*)$"));
    static const QRegularExpression ordered(QStringLiteral("^([ \\t]*)(\\d{1,9})([.)])[ \\t]+(.*)$"));
    static const QRegularExpression quote(QStringLiteral("^ {0,3}>[ \\t]?(.*)$"));
    static const QRegularExpression tableRule(QStringLiteral("^[ \\t]*\\|?[ \\t]*:?-+:?[ \\t]*(\\|[ \\t]*:?-+:?[ \\t]*)*\\|?[ \\t]*$"));

    Line line;
    if (isBlank(raw)) {
        line.kind = Line::Kind::Blank;
        return line;
    }
    QRegularExpressionMatch m;
    if ((m = heading.match(raw)).hasMatch()) {
        line.kind = Line::Kind::Heading;
        line.level = int(m.capturedLength(1));
        line.content = m.captured(2);
    } else if (rule.match(raw).hasMatch()) {
        line.kind = Line::Kind::Rule;
    } else if ((m = bullet.match(raw)).hasMatch()) {
        line.kind = Line::Kind::Bullet;
        line.level = int(m.captured(1).replace(QLatin1Char('\t'), QStringLiteral("    ")).size() / 2);
        line.content = m.captured(2);
    } else if ((m = ordered.match(raw)).hasMatch()) {
        line.kind = Line::Kind::Ordered;
        line.level = int(m.captured(1).replace(QLatin1Char('\t'), QStringLiteral("    ")).size() / 2);
        line.marker = m.captured(2) + m.captured(3);
        line.content = m.captured(4);
    } else if ((m = quote.match(raw)).hasMatch()) {
        line.kind = Line::Kind::Quote;
        line.content = m.captured(1);
    } else if (raw.trimmed().startsWith(QLatin1Char('|')) && tableRule.match(raw).hasMatch()
               && raw.contains(QLatin1Char('-'))) {
        line.kind = Line::Kind::TableRule;
    } else if (raw.trimmed().startsWith(QLatin1Char('|'))) {
        line.kind = Line::Kind::TableRow;
        line.content = raw.trimmed();
    } else {
        line.content = raw;
    }
    return line;
}

// A table row's cells, split at pipes that are not escaped or inside code.
QStringList tableCells(const QString &row)
{
    QString text = row;
    if (text.startsWith(QLatin1Char('|')))
        text.remove(0, 1);
    if (text.endsWith(QLatin1Char('|')) && !text.endsWith(QStringLiteral("\\|")))
        text.chop(1);
    QStringList cells;
    QString cell;
    bool inCode = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('|')) {
            cell += QLatin1Char('|');
            ++i;
            continue;
        }
        if (c == QLatin1Char('`'))
            inCode = !inCode;
        if (c == QLatin1Char('|') && !inCode) {
            cells.append(cell.trimmed());
            cell.clear();
            continue;
        }
        cell += c;
    }
    cells.append(cell.trimmed());
    return cells;
}

struct Output {
    QStringList htmlBlocks;
    QStringList plainBlocks;
    QString html; // the block being built
    QString plain;
    bool open = false;

    // Starts a line of the current block (a <br> after the block's previous line).
    void startLine()
    {
        if (open) {
            html += QStringLiteral("<br>");
            plain += QLatin1Char('\n');
        }
        open = true;
    }
    void append(const Inline &text)
    {
        html += text.html;
        plain += text.plain;
    }
    void endBlock()
    {
        if (!open)
            return;
        htmlBlocks.append(html);
        plainBlocks.append(plain);
        html.clear();
        plain.clear();
        open = false;
    }
};

QString indentHtml(int level)
{
    QString out;
    for (int i = 0; i < level * 4; ++i)
        out += QStringLiteral("&nbsp;");
    return out;
}

QString fontHtml(const QString &attributes, const QString &inner)
{
    return QStringLiteral("<font ") + attributes + QLatin1Char('>') + inner + QStringLiteral("</font>");
}

QString colorAttribute(const char *color)
{
    return QStringLiteral("color=\"") + QLatin1String(color) + QLatin1Char('"');
}

Inline headingHtml(const QString &source, int level)
{
    Inline text = renderInline(source);
    if (level <= 2)
        text.html = fontHtml(level == 1 ? QStringLiteral("size=\"+2\"") : QStringLiteral("size=\"+1\""),
                             text.html);
    text.html = QStringLiteral("<b>") + text.html + QStringLiteral("</b>");
    return text;
}

bool isListKind(Line::Kind kind)
{
    return kind == Line::Kind::Bullet || kind == Line::Kind::Ordered;
}

bool isTableKind(Line::Kind kind)
{
    return kind == Line::Kind::TableRow || kind == Line::Kind::TableRule;
}

// Whether a line of `kind` goes on in the block a line of `previous` left open.
bool continuesBlock(Line::Kind kind, Line::Kind previous)
{
    return (isListKind(kind) && isListKind(previous))
        || (kind == Line::Kind::Quote && previous == Line::Kind::Quote)
        || (isTableKind(kind) && isTableKind(previous));
}

} // namespace

ProseText renderProse(const QString &markdown)
{
    static const QRegularExpression setext(QStringLiteral("^ {0,3}(=+|-+)[ \\t]*$"));

    QStringList lines = markdown.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }

    Output out;
    Line::Kind previous = Line::Kind::Blank;
    // The open paragraph: its lines, a hard break kept as a line of its own.
    QStringList paragraph;
    bool paragraphOpen = false;

    auto flushParagraph = [&] {
        if (!paragraphOpen)
            return;
        out.startLine();
        QStringList pieces;
        QString current;
        for (const QString &part : std::as_const(paragraph)) {
            if (part.isNull()) { // a hard break
                pieces.append(current);
                current.clear();
            } else {
                current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + part;
            }
        }
        pieces.append(current);
        // One inline run, so emphasis and links may span the breaks.
        out.append(renderInline(pieces.join(QLatin1Char('\n'))));
        paragraph.clear();
        paragraphOpen = false;
    };

    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString &raw = lines.at(index);
        const Line line = classify(raw);

        if (paragraphOpen) {
            // A line of = or - under a one-line paragraph turns it into a heading.
            if (paragraph.size() == 1 && setext.match(raw).hasMatch()) {
                const bool first = raw.trimmed().startsWith(QLatin1Char('='));
                out.startLine();
                out.append(headingHtml(paragraph.constFirst(), first ? 1 : 2));
                out.endBlock();
                paragraph.clear();
                paragraphOpen = false;
                previous = Line::Kind::Heading;
                continue;
            }
            if (line.kind == Line::Kind::Text) {
                QString text = raw;
                const bool hard = text.endsWith(QStringLiteral("  "))
                    || (text.endsWith(QLatin1Char('\\')) && !text.endsWith(QStringLiteral("\\\\")));
                if (text.endsWith(QLatin1Char('\\')))
                    text.chop(1);
                // Every line break of an answer shows: poems, addresses and steps written
                // without Markdown keep their lines.
                if (!paragraph.constLast().isNull())
                    paragraph.append(QString()); // null: the break
                paragraph.append(text.trimmed());
                if (hard)
                    paragraph.append(QString());
                continue;
            }
            flushParagraph();
        }
        // An indented line right under a list item continues that item on a line of its own.
        if (line.kind == Line::Kind::Text && isListKind(previous) && raw.front().isSpace()) {
            out.startLine();
            out.html += indentHtml(1);
            out.plain += QString(4, QLatin1Char(' '));
            out.append(renderInline(raw.trimmed()));
            continue;
        }
        if (line.kind == Line::Kind::Blank) {
            out.endBlock();
            previous = Line::Kind::Blank;
            continue;
        }
        if (!continuesBlock(line.kind, previous))
            out.endBlock();

        switch (line.kind) {
        case Line::Kind::Blank:
            break;
        case Line::Kind::Text: {
            QString text = raw;
            const bool hard = text.endsWith(QStringLiteral("  ")) || text.endsWith(QLatin1Char('\\'));
            if (text.endsWith(QLatin1Char('\\')))
                text.chop(1);
            paragraph = {text.trimmed()};
            if (hard)
                paragraph.append(QString());
            paragraphOpen = true;
            break;
        }
        case Line::Kind::Heading:
            out.startLine();
            out.append(headingHtml(line.content, line.level));
            out.endBlock();
            break;
        case Line::Kind::Rule:
            out.startLine();
            out.html += fontHtml(colorAttribute(kQuoteColor), QLatin1String(kRuleText));
            out.plain += QLatin1String(kRuleText);
            out.endBlock();
            break;
        case Line::Kind::Bullet:
        case Line::Kind::Ordered: {
            const QString marker = line.kind == Line::Kind::Ordered
                ? line.marker
                : (line.level == 0 ? QStringLiteral("•") : QStringLiteral("◦"));
            out.startLine();
            out.html += indentHtml(line.level) + marker + QStringLiteral("&nbsp;");
            out.plain += QString(line.level * 4, QLatin1Char(' ')) + marker + QLatin1Char(' ');
            out.append(renderInline(line.content));
            break;
        }
        case Line::Kind::Quote: {
            const Inline text = renderInline(line.content);
            out.startLine();
            out.html += fontHtml(colorAttribute(kQuoteColor),
                                 QStringLiteral("▍&nbsp;<i>") + text.html + QStringLiteral("</i>"));
            out.plain += text.plain;
            break;
        }
        case Line::Kind::TableRule:
            break; // the header above it is already bold
        case Line::Kind::TableRow: {
            QStringList htmlCells;
            QStringList plainCells;
            for (const QString &cell : tableCells(line.content)) {
                const Inline text = renderInline(cell);
                htmlCells.append(text.html);
                plainCells.append(text.plain);
            }
            const bool header = index + 1 < lines.size()
                && classify(lines.at(index + 1)).kind == Line::Kind::TableRule;
            const QString separator = QStringLiteral("&nbsp;&nbsp;")
                + fontHtml(colorAttribute(kQuoteColor), QStringLiteral("│"))
                + QStringLiteral("&nbsp;&nbsp;");
            const QString row = htmlCells.join(separator);
            out.startLine();
            out.html += header ? QStringLiteral("<b>") + row + QStringLiteral("</b>") : row;
            out.plain += plainCells.join(QStringLiteral(" │ "));
            break;
        }
        }
        previous = line.kind;
    }
    flushParagraph();
    out.endBlock();
    return ProseText{out.htmlBlocks.join(QStringLiteral("<br><br>")),
                     out.plainBlocks.join(QStringLiteral("\n\n"))};
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

QString copyCodeLink(int index)
{
    return QStringLiteral("#copy-") + QString::number(index);
}

std::optional<int> copyCodeIndex(const QString &link)
{
    if (!link.startsWith(QLatin1String("#copy-")))
        return std::nullopt;
    bool ok = false;
    const int index = link.mid(6).toInt(&ok);
    if (!ok || index < 0)
        return std::nullopt;
    return index;
}

AnswerText renderAnswer(const QString &markdown, CodeCopyLinks copyLinks)
{
    const QString codeFont = QStringLiteral("face=\"Courier New,courier\" ") + colorAttribute(kBlockCodeColor);
    AnswerText out;
    QStringList spoken;
    const QList<MarkdownBlock> blocks = splitMarkdown(markdown);
    int codeIndex = 0;
    bool afterCode = false; // the previous block was code, so its closing already broke the line
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        const MarkdownBlock &block = blocks.at(i);
        const bool last = i + 1 == blocks.size();
        if (i > 0) {
            // One empty line between blocks; after code the closing tag gave the first break.
            const QString gap = afterCode ? QStringLiteral("<br>") : QStringLiteral("<br><br>");
            out.html += gap;
            out.editHtml += gap;
        }
        if (block.kind == MarkdownBlock::Kind::Prose) {
            const ProseText prose = renderProse(block.text);
            out.html += prose.html;
            out.editHtml += prose.html;
            spoken.append(prose.plain);
            afterCode = false;
            continue;
        }
        QString header;
        if (!block.language.isEmpty())
            header = fontHtml(colorAttribute(kQuoteColor) + QStringLiteral(" size=\"2\""),
                              escaped(block.language) + QStringLiteral("&nbsp;&nbsp;"));
        if (copyLinks == CodeCopyLinks::Shown)
            header += QStringLiteral("<a href=\"") + copyCodeLink(codeIndex++) + QStringLiteral("\">")
                + fontHtml(colorAttribute(kLinkColor) + QStringLiteral(" size=\"2\""),
                           QStringLiteral("Копировать код"))
                + QStringLiteral("</a>");
        // Styled text: <pre> breaks the line before and after and keeps spaces and breaks.
        QString code = escaped(block.text);
        code.replace(QLatin1Char('\t'), QStringLiteral("    "));
        out.html += header + QStringLiteral("<pre>") + fontHtml(colorAttribute(kBlockCodeColor), code)
            + (last ? QString() : QStringLiteral("</pre>"));
        // Rich text: the same breaks written out, spaces made unbreakable.
        code.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
        code.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        out.editHtml += header + (header.isEmpty() ? QString() : QStringLiteral("<br>"))
            + fontHtml(codeFont, code)
            + (last ? QString() : QStringLiteral("<br>"));
        spoken.append(block.text);
        afterCode = true;
    }
    out.spoken = spoken.join(QStringLiteral("\n\n"));
    return out;
}

} // namespace vexa::chat
