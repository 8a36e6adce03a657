#pragma once

// What one code question sends to the assistant, and how long a project's conversation gets.

#include "chatrecords.h"

#include <QList>
#include <QString>

#include <optional>

namespace vexa::codeprompt {

inline constexpr qsizetype kFileExcerptLength = 5000; // user-perceived characters
inline constexpr qsizetype kQuestionLength = 1500;
inline constexpr qsizetype kKeptEntries = 80;

// "Файл: <name>\n```\n<first 5000 characters>\n```\n", or empty with no file open.
QString fileContextBlock(const std::optional<QString> &fileName, const QString &editorText);

// The instruction naming the project, the file context block and the question's prefix, joined
// with nothing in between. `question` is already trimmed.
QString compose(const QString &projectName, const QString &fileContext, const QString &question);

// Keeps only the newest kKeptEntries entries.
void trimConversation(QList<ChatEntry> &messages);

} // namespace vexa::codeprompt
