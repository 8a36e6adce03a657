#include "codeindent.h"

#include <QList>

#include <array>

namespace vexa::code {

namespace {

qsizetype leadingWhite(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    return i;
}

bool isBlank(QStringView line) { return leadingWhite(line) == line.size(); }

QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\n') {
            lines.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

bool isBraceLanguage(const QString &language)
{
    static const QStringList brace = {
        u"cpp"_qs, u"c"_qs, u"java"_qs, u"javascript"_qs, u"typescript"_qs, u"rust"_qs,
        u"go"_qs, u"csharp"_qs, u"kotlin"_qs, u"swift"_qs, u"php"_qs, u"css"_qs, u"json"_qs,
        u"bash"_qs};
    return brace.contains(language);
}

} // namespace

IndentStyle detectIndent(QStringView text, IndentStyle fallback)
{
    int tabLines = 0;
    int spaceLines = 0;
    // Steps of 1..8 spaces between a line and the indented line after it.
    std::array<int, 9> steps{};
    qsizetype previous = 0;
    for (QStringView line : splitLines(text)) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (isBlank(line))
            continue; // blank lines say nothing and keep the previous level
        const qsizetype white = leadingWhite(line);
        if (white > 0 && line[0] == u'\t')
            ++tabLines;
        else if (white > 0) {
            ++spaceLines;
            const qsizetype step = white - previous;
            if (step > 0 && step <= 8)
                ++steps[size_t(step)];
        }
        previous = line[0] == u'\t' ? 0 : white;
    }
    if (tabLines == 0 && spaceLines == 0)
        return fallback;
    if (tabLines > spaceLines)
        return {true, fallback.width};
    // A step of 1 is usually alignment (continuation lines, doc comments), not the unit.
    int best = 0;
    for (int w : {2, 3, 4, 8}) {
        if (steps[size_t(w)] > (best ? steps[size_t(best)] : 0))
            best = w;
    }
    return {false, best ? best : fallback.width};
}

QString indentAfter(QStringView line, const QString &language, IndentStyle style)
{
    QString indent = line.left(leadingWhite(line)).toString();
    QStringView body = line.trimmed();
    if (language == u"python") {
        // A trailing comment does not hide the colon: "if x:  # why".
        const qsizetype hash = body.indexOf(u'#');
        if (hash >= 0)
            body = body.left(hash).trimmed();
        if (body.endsWith(u':'))
            indent += style.unit();
    } else if (isBraceLanguage(language)) {
        if (body.endsWith(u'{') || body.endsWith(u'(') || body.endsWith(u'['))
            indent += style.unit();
    }
    return indent;
}

QString lineCommentFor(const QString &language)
{
    static const QStringList hash = {
        u"python"_qs, u"bash"_qs, u"ruby"_qs, u"makefile"_qs, u"dockerfile"_qs, u"yaml"_qs};
    static const QStringList dashes = {u"sql"_qs};
    if (hash.contains(language))
        return u"#"_qs;
    if (dashes.contains(language))
        return u"--"_qs;
    if (isBraceLanguage(language) && language != u"css" && language != u"json"
        && language != u"bash")
        return u"//"_qs;
    return {};
}

QString indentLines(QStringView lines, IndentStyle style)
{
    QStringList out;
    for (QStringView line : splitLines(lines))
        out.append(isBlank(line) ? line.toString() : style.unit() + line.toString());
    return out.join(u'\n');
}

QString outdentLines(QStringView lines, IndentStyle style)
{
    QStringList out;
    for (QStringView line : splitLines(lines)) {
        qsizetype i = 0;
        int columns = 0;
        while (i < line.size() && columns < style.width) {
            if (line[i] == u'\t') {
                ++i;
                break; // a tab is a whole level
            }
            if (line[i] != u' ')
                break;
            ++columns;
            ++i;
        }
        out.append(line.mid(i).toString());
    }
    return out.join(u'\n');
}

QString toggleLineComments(QStringView lines, const QString &prefix)
{
    const QList<QStringView> all = splitLines(lines);
    if (prefix.isEmpty())
        return lines.toString();
    bool allCommented = true;
    bool anyText = false;
    qsizetype column = -1;
    for (QStringView line : all) {
        if (isBlank(line))
            continue;
        anyText = true;
        const qsizetype white = leadingWhite(line);
        column = column < 0 ? white : qMin(column, white);
        if (!line.mid(white).startsWith(prefix))
            allCommented = false;
    }
    if (!anyText)
        return lines.toString();
    QStringList out;
    for (QStringView line : all) {
        if (isBlank(line)) {
            out.append(line.toString());
        } else if (allCommented) {
            const qsizetype at = leadingWhite(line);
            qsizetype end = at + prefix.size();
            if (end < line.size() && line[end] == u' ')
                ++end;
            out.append(line.left(at).toString() + line.mid(end).toString());
        } else {
            out.append(line.left(column).toString() + prefix + u' ' + line.mid(column).toString());
        }
    }
    return out.join(u'\n');
}

} // namespace vexa::code
