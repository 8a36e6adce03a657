#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

namespace vexa {

// One desktop notice: a summary line and a body, both plain text.
struct DesktopNotice {
    QString summary;
    QString body;
};

// The desktop's notification service. Notices are named by handles of the app's own, given at
// once; the service's answer arrives later or never, and nothing here waits for it. A notice
// withdrawn before the service answered is closed as soon as it does.
class DesktopNotifications : public QObject
{
    Q_OBJECT

public:
    using Handle = quint64;

    using QObject::QObject;

    virtual Handle show(const DesktopNotice &notice) = 0;
    virtual void withdraw(Handle handle) = 0;

Q_SIGNALS:
    // The service shows the notice.
    void shown(quint64 handle);
    // No service answered in time, or it refused: the notice is not shown.
    void unavailable(quint64 handle);
    // The user chose the notice (its default action).
    void activated(quint64 handle);
};

// org.freedesktop.Notifications on the session bus. Every call is asynchronous with a budget
// of kReplyBudgetMs: an absent service fails at once, a slow one after the budget, and neither
// holds the event loop. The service's capabilities are asked for once, before the first notice:
// a service that reads markup in bodies gets the text escaped, one that does not gets it as is.
class FreedesktopNotifications : public DesktopNotifications
{
    Q_OBJECT

public:
    static constexpr int kReplyBudgetMs = 1000;
    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

    // `bus` unset: the session bus, connected at the first notice (not at start-up).
    explicit FreedesktopNotifications(std::optional<QDBusConnection> bus = std::nullopt,
                                      QObject *parent = nullptr);
    ~FreedesktopNotifications() override;

    Handle show(const DesktopNotice &notice) override;
    void withdraw(Handle handle) override;

    // The arguments of Notify for a notice (for tests of what goes out).
    static QList<QVariant> notifyArguments(const DesktopNotice &notice, bool bodyMarkup);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    enum class Capabilities { Unknown, Asking, Known };

    bool ensureBus();
    void askCapabilities();
    void send(Handle handle, const DesktopNotice &notice);
    void fail(Handle handle);

    std::optional<QDBusConnection> m_bus;
    bool m_busFailed = false;
    bool m_subscribed = false;
    Capabilities m_capabilities = Capabilities::Unknown;
    bool m_bodyMarkup = false;
    Handle m_next = 1;
    // Notices waiting for the capabilities, in order.
    QList<std::pair<Handle, DesktopNotice>> m_waiting;
    // Sent, the service's id not known yet; true once withdrawn meanwhile.
    QHash<Handle, bool> m_sent;
    // Shown: the service's id of each.
    QHash<Handle, uint> m_ids;
};

} // namespace vexa
