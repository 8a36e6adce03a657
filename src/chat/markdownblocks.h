#pragma once

// An answer cut into prose and fenced code blocks. Prose is shown as Markdown; a code block
// gets its own monospaced, copyable box, so the code is never re-flowed or styled.

#include <QList>
#include <QString>

namespace vexa::chat {

struct MarkdownBlock {
    enum class Kind { Prose, Code };
    Kind kind = Kind::Prose;
    QString text;     // prose as Markdown; code without its fences
    QString language; // the fence's info word, code only ("" when none)

    bool operator==(const MarkdownBlock &) const = default;
};

// Fences are ``` or ~~~ (three or more, at most three spaces in); the closing fence uses the
// same character at least as many times. An unclosed fence runs to the end. Blank prose
// between blocks is dropped; a text without fences is one prose block.
QList<MarkdownBlock> splitMarkdown(const QString &text);

} // namespace vexa::chat
