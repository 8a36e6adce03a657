#include "codeprompt.h"

#include "graphemes.h"

namespace vexa::codeprompt {

QString fileContextBlock(const std::optional<QString> &fileName, const QString &editorText)
{
    if (!fileName)
        return QString();
    return QStringLiteral("Файл: ") + *fileName + QStringLiteral("\n```\n")
        + graphemes::prefix(editorText, kFileExcerptLength) + QStringLiteral("\n```\n");
}

QString compose(const QString &projectName, const QString &fileContext, const QString &question)
{
    return QStringLiteral("Ты помощник по программированию. Работай с локальным проектом ")
        + projectName + QStringLiteral(". ")
        + QStringLiteral("Предлагай конкретные изменения и объясняй их; не утверждай, что изменил "
                         "файлы сам.\n")
        + fileContext + QStringLiteral("Запрос: ") + graphemes::prefix(question, kQuestionLength);
}

void trimConversation(QList<ChatEntry> &messages)
{
    if (messages.size() > kKeptEntries)
        messages.remove(0, messages.size() - kKeptEntries);
}

} // namespace vexa::codeprompt
