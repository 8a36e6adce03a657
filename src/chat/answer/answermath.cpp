#include "answermath.h"

#include "mathparser.h"

namespace vexa::answer {

namespace {

bool escapedAt(const QString &s, qsizetype i)
{
    qsizetype n = 0;
    while (i - n - 1 >= 0 && s.at(i - n - 1) == u'\\')
        ++n;
    return n % 2 == 1;
}

// The end of the paragraph from i: the next blank line (formulas never cross one).
qsizetype paragraphEnd(const QString &s, qsizetype i)
{
    qsizetype blank = s.indexOf(QStringLiteral("\n\n"), i);
    return blank < 0 ? s.size() : blank;
}

bool hasLetterOrDigit(QStringView text)
{
    for (QChar c : text)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// A single $ at i that closes a formula.
bool closesFormula(const QString &s, qsizetype i)
{
    return !s.at(i - 1).isSpace() && !(i + 1 < s.size() && (s.at(i + 1).isDigit() || s.at(i + 1) == u'$'));
}

} // namespace

bool hasInlineMath(const QString &html)
{
    return html.contains(QLatin1String(kInlineMathOpen));
}

QString markMath(const QString &markdown)
{
    const QString &s = markdown;
    QString out;
    out.reserve(s.size() + 16);
    qsizetype i = 0;
    bool lineStart = true;
    QString fence; // the open code fence ("```" or "~~~"), empty outside code
    bool indentedCode = false;
    while (i < s.size()) {
        if (lineStart) {
            const qsizetype eol = s.indexOf(u'\n', i);
            const qsizetype end = eol < 0 ? s.size() : eol + 1;
            const QString line = s.mid(i, end - i);
            const QString trimmed = line.trimmed();
            const bool indented = line.startsWith(QStringLiteral("    ")) || line.startsWith(u'\t');
            bool code = true;
            if (!fence.isEmpty()) {
                if (trimmed.startsWith(fence))
                    fence.clear(); // the closing fence
            } else if (trimmed.startsWith(QStringLiteral("```")) || trimmed.startsWith(QStringLiteral("~~~"))) {
                fence = trimmed.left(3);
            } else if (indented && (indentedCode || out.isEmpty() || out.endsWith(QStringLiteral("\n\n")))) {
                indentedCode = true;
            } else {
                indentedCode = indentedCode && trimmed.isEmpty();
                code = false;
            }
            if (code) {
                out += line; // code, as written
                i = end;
                continue;
            }
            lineStart = false;
        }
        const QChar c = s.at(i);
        if (c == u'\n') {
            out += c;
            ++i;
            lineStart = true;
            continue;
        }
        if (c == u'`') { // a code span: up to the same run of backticks
            qsizetype run = 0;
            while (i + run < s.size() && s.at(i + run) == u'`')
                ++run;
            const QString ticks(run, u'`');
            const qsizetype close = s.indexOf(ticks, i + run);
            const qsizetype stop = close < 0 || close > paragraphEnd(s, i) ? i + run : close + run;
            out += s.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == u'\\' && i + 1 < s.size() && (s.at(i + 1) == u'(' || s.at(i + 1) == u'[') && !escapedAt(s, i)) {
            const bool display = s.at(i + 1) == u'[';
            const qsizetype close = s.indexOf(display ? QStringLiteral("\\]") : QStringLiteral("\\)"), i + 2);
            // "\[\\\]" is escaped punctuation: a formula has a letter or a digit.
            if (close > 0 && close <= paragraphEnd(s, i) && hasLetterOrDigit(QStringView(s).mid(i + 2, close - i - 2))) {
                const QString tex = s.mid(i + 2, close - i - 2).trimmed();
                out += display ? QStringLiteral("$$") + tex + QStringLiteral("$$") : u'$' + tex + u'$';
                i = close + 2;
                continue;
            }
        }
        if (c == u'$' && !escapedAt(s, i)) {
            if (i + 1 < s.size() && s.at(i + 1) == u'$') { // display: up to the closing $$
                const qsizetype close = s.indexOf(QStringLiteral("$$"), i + 2);
                if (close > i + 2 && close <= paragraphEnd(s, i)) {
                    out += s.mid(i, close + 2 - i);
                    i = close + 2;
                    continue;
                }
                out += QStringLiteral("\\$\\$");
                i += 2;
                continue;
            }
            if (i + 1 < s.size() && !s.at(i + 1).isSpace()) {
                const qsizetype end = paragraphEnd(s, i);
                // The next dollar closes the formula, or this one was not a formula's.
                for (qsizetype j = i + 1; j < end; ++j) {
                    if (s.at(j) != u'$' || escapedAt(s, j))
                        continue;
                    if (closesFormula(s, j)) {
                        out += s.mid(i, j + 1 - i);
                        i = j + 1;
                        goto next;
                    }
                    break;
                }
            }
            out += QStringLiteral("\\$"); // money, or a lone dollar
            ++i;
            continue;
        }
        out += c;
        ++i;
    next:;
    }
    return out;
}

bool textAfterFormula(Inline &text)
{
    if (text.plain.startsWith(u'\n') && text.html.startsWith(QLatin1String("<br>"))) {
        text.plain.remove(0, 1);
        text.html.remove(0, 4);
    }
    return !text.plain.trimmed().isEmpty();
}

QString spokenFormula(const QString &tex)
{
    const math::ParseResult parsed = math::parseMath(tex);
    if (parsed.root)
        return math::spokenMath(*parsed.root);
    return QStringLiteral("формула: ") + tex.trimmed();
}

} // namespace vexa::answer
