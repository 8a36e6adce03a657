#pragma once

#include "desktopnotifications.h"
#include "notificationpreferences.h"
#include "vexaclient.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>

namespace vexa {

// Tells the user, who is elsewhere, that an answer is ready. An answer (or a failed request)
// that arrives while the window is not active asks for attention (QWindow::alert) and shows a
// desktop notice: the chat's title and the answer's first line. Choosing the notice asks for
// the window on that chat (openRequested); coming back to the window withdraws what is still
// shown. Nothing happens while the window is active, or when the profile's switch is off.
// Where no notification service answers, only the attention request is made.
class AnswerNotifier : public QObject
{
    Q_OBJECT

public:
    // At most this many characters of the answer's first line go to the notice.
    static constexpr qsizetype kBodyChars = 120;

    AnswerNotifier(VexaClient *client, DesktopNotifications *notifications,
                   std::unique_ptr<NotificationPreferences> preferences, QObject *parent = nullptr);

    // The window whose activity decides; announcements wait for it to be set.
    void setWindow(QWindow *window);
    // How attention is asked for (the window's alert unless a test replaces it).
    void setAttentionRequest(std::function<void()> request) { m_attention = std::move(request); }

    // The notice for an answer: its summary and plain first line.
    static DesktopNotice noticeFor(const AnswerEvent &event);
    // The answer's first line as plain text (Markdown marks gone), shortened to kBodyChars.
    static QString firstLine(const QString &markdown);

    // Notices shown or on their way and not withdrawn yet.
    int openNotices() const { return int(m_open.size()); }

Q_SIGNALS:
    // The user chose the notice of this answer: the window, on its chat, is wanted.
    void openRequested(const vexa::AnswerEvent &event);

private:
    void announce(const AnswerEvent &event);
    void withdrawAll();

    QPointer<VexaClient> m_client;
    QPointer<DesktopNotifications> m_notifications;
    std::unique_ptr<NotificationPreferences> m_preferences;
    QPointer<QWindow> m_window;
    std::function<void()> m_attention;
    QHash<quint64, AnswerEvent> m_open;
};

} // namespace vexa
