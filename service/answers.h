#pragma once

// The local service's assistant: deterministic Markdown answers in Russian, composed from the
// message, its attachments and the account's answer settings. The same message always gets the
// same answer. Questions from the local code workspace (a prompt with the project, an optional
// file block and "Запрос: ") get a code-minded answer about that file.

#include "attachments.h"

#include <QString>

#include <optional>

namespace vexa::service {

struct Question {
    QString message;        // as sent, trimmed
    QString modelTitle;     // the chat model answering
    QString responseLength; // "short", "normal" or "detailed"
    std::optional<PhotoInfo> photo;
    std::optional<FileInfo> file;
};

QString composeAnswer(const Question &question);

// The code workspace's prompt, taken apart.
struct CodePrompt {
    QString project;
    std::optional<QString> fileName;
    QString fileText;
    QString request;
};
std::optional<CodePrompt> parseCodePrompt(const QString &message);

// A new chat's title from its first message: its first line, shortened; for a message made
// only of attachments, what was attached.
QString chatTitleFor(const QString &message, const std::optional<PhotoInfo> &photo,
                     const std::optional<FileInfo> &file);

} // namespace vexa::service
