#include "composerequests.h"

namespace vexa::chat {

ComposeRequests &ComposeRequests::instance()
{
    static ComposeRequests requests;
    return requests;
}

void ComposeRequests::requestNewChat(const QString &draft)
{
    m_pending = draftWithRequested(m_pending.value_or(QString()), draft);
    Q_EMIT newChatRequested();
}

std::optional<QString> ComposeRequests::takeNewChat()
{
    return std::exchange(m_pending, std::nullopt);
}

QString draftWithRequested(const QString &current, const QString &requested)
{
    if (requested.isEmpty())
        return current;
    if (current.trimmed().isEmpty())
        return requested;
    if (current.contains(requested))
        return current; // the same question asked twice is not written twice
    return current + QStringLiteral("\n\n") + requested;
}

} // namespace vexa::chat
