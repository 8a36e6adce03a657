#pragma once

// Markdown prose (answers without their fenced code) turned into the small HTML subset both
// Text.StyledText and TextEdit's rich text lay out alike: <b>, <i>, <s>, <a>, <font> and <br>
// only. Lists, quotes, headings and tables become lines of text with bullets and separators,
// so a bubble shown as a Text and the same bubble turned into a TextEdit for selecting look the
// same. StyledText is laid out several times faster than a Markdown document, which is what
// keeps a long chat scrolling smoothly on the software renderer.

#include <QString>

#include <optional>

namespace vexa::chat {

struct ProseText {
    QString html;  // for display
    QString plain; // for screen readers: the same text without markup characters
};

// Every line break is kept (answers written without Markdown rely on their lines) and a blank
// line starts a paragraph; two trailing spaces or a backslash also end a line. Links keep only web and mail addresses; every
// other character of the answer is escaped.
ProseText renderProse(const QString &markdown);

// Plain text (the user's own words) escaped for the same display: line breaks kept.
QString plainToHtml(const QString &text);

// A whole answer: its prose as above and its fenced code blocks in a monospaced font, every
// space and line break kept, each under a line with its language and a "#copy-<n>" link (n
// counts the answer's code blocks from 0). Text.StyledText gets its monospaced font only from
// <pre>, which TextEdit lays out with extra margins; so the TextEdit that takes over for
// selecting gets `editHtml`, the same text with the code in a monospaced <font>, laid out
// line for line like `html`.
struct AnswerText {
    QString html;
    QString editHtml;
    QString spoken;
};
// Hidden: code blocks without their copy links, where nothing handles them.
enum class CodeCopyLinks { Shown, Hidden };
AnswerText renderAnswer(const QString &markdown, CodeCopyLinks copyLinks = CodeCopyLinks::Shown);

// The link an answer's n-th code block carries for copying it, and back.
QString copyCodeLink(int index);
std::optional<int> copyCodeIndex(const QString &link);

} // namespace vexa::chat
