#pragma once

#include <QString>
#include <QStringView>

// How code in the editor is indented and commented: the file's own indentation unit, the
// indentation a new line gets, indenting, outdenting and commenting whole lines. Plain functions
// on text, so the editor (CodeEditing) and the tests share them.
namespace vexa::code {

struct IndentStyle {
    bool tabs = false;
    int width = 4; // spaces per level; a tab counts as this many columns too
    QString unit() const { return tabs ? QStringLiteral("\t") : QString(width, QLatin1Char(' ')); }
    friend bool operator==(const IndentStyle &, const IndentStyle &) = default;
};

// The file's style from its indented lines: tabs when most indented lines start with a tab,
// else the most common step between the indentation of neighbouring lines (2, 3, 4 or 8
// spaces). Text with no indented lines gets `fallback`.
IndentStyle detectIndent(QStringView text, IndentStyle fallback = {});

// The text a new line after `line` starts with: the line's own leading white space, plus one
// unit after a line ending in ':' (Python) or an opening bracket (brace languages).
QString indentAfter(QStringView line, const QString &language, IndentStyle style);

// The line comment of a language ("//", "#", "--"), "" when it has none.
QString lineCommentFor(const QString &language);

// `lines` (whole lines joined by '\n') with one unit added before each line that is not blank.
QString indentLines(QStringView lines, IndentStyle style);
// `lines` with up to one unit taken from the start of each line (a tab, or up to `width`
// spaces; a mix counts tabs as `width` columns).
QString outdentLines(QStringView lines, IndentStyle style);
// `lines` commented with `prefix` at the smallest indentation of its non-blank lines, or, when
// every non-blank line already is, uncommented (with the one space after the prefix).
QString toggleLineComments(QStringView lines, const QString &prefix);

} // namespace vexa::code
