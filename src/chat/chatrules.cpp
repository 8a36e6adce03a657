#include "chatrules.h"

#include <QTextBoundaryFinder>

namespace vexa::chat {

bool isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

QString searchQuery(const QString &typed)
{
    return typed.trimmed();
}

QString foldCase(const QString &text, const QLocale &locale)
{
    return locale.toLower(text);
}

QString conversationExport(const QList<ChatEntry> &entries)
{
    QStringList blocks;
    blocks.reserve(entries.size());
    for (const ChatEntry &entry : entries) {
        const QString speaker = entry.role == ChatEntry::Role::Assistant
            ? QStringLiteral("Vexa")
            : QStringLiteral("Вы");
        blocks.append(speaker + QStringLiteral(": ") + entry.text);
    }
    return blocks.join(QStringLiteral("\n\n"));
}

QString quotedDraft(const QString &answer)
{
    return QStringLiteral("По поводу вашего ответа: ") + graphemePrefix(answer, kQuoteLength)
        + QStringLiteral("\n\n");
}

QString dictatedDraft(const QString &prefix, const QString &transcript)
{
    if (prefix.isEmpty())
        return transcript;
    if (transcript.isEmpty())
        return prefix;
    return prefix + QLatin1Char(' ') + transcript;
}

QString graphemePrefix(const QString &text, qsizetype limit)
{
    if (limit <= 0)
        return QString();
    // A cluster is at least one code unit, so a text this short is whole.
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype n = 0; n < limit; ++n) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        end = next;
    }
    return text.left(end);
}

} // namespace vexa::chat
