#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace vexa::chat {

// A new chat asked for from outside the window (the command line, another launch), to be
// opened by whichever chat screen takes it. The request waits here until one does: at start-up
// the chat screen is made only after the session is restored.
class ComposeRequests : public QObject
{
    Q_OBJECT

public:
    static ComposeRequests &instance();

    // A later request replaces a waiting one, its draft added to the waiting draft.
    void requestNewChat(const QString &draft);
    std::optional<QString> takeNewChat();
    bool hasNewChat() const { return m_pending.has_value(); }

Q_SIGNALS:
    void newChatRequested();

private:
    std::optional<QString> m_pending;
};

// The composer's text after a draft arrives from outside: what the user had written stays first.
QString draftWithRequested(const QString &current, const QString &requested);

} // namespace vexa::chat
