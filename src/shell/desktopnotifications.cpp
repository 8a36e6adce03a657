#include "desktopnotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QTimer>

namespace vexa {

Q_LOGGING_CATEGORY(lcNotifications, "vexa.notifications", QtWarningMsg)

namespace {

// The desktop entry's id: servers take the app's name and icon from it too.
const QString kDesktopEntry = QStringLiteral("ai.vexa.VexaAI");
const QString kDefaultAction = QStringLiteral("default");

QDBusMessage methodCall(const QString &method)
{
    return QDBusMessage::createMethodCall(FreedesktopNotifications::kService,
                                          FreedesktopNotifications::kPath,
                                          FreedesktopNotifications::kInterface, method);
}

} // namespace

FreedesktopNotifications::FreedesktopNotifications(std::optional<QDBusConnection> bus,
                                                   QObject *parent)
    : DesktopNotifications(parent), m_bus(std::move(bus))
{
}

FreedesktopNotifications::~FreedesktopNotifications()
{
    // The notices stay on the desktop after the app is gone, as a chat answer should; only the
    // signal subscriptions end.
    if (m_subscribed) {
        m_bus->disconnect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                          SLOT(onActionInvoked(uint,QString)));
        m_bus->disconnect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                          SLOT(onNotificationClosed(uint,uint)));
    }
}

bool FreedesktopNotifications::ensureBus()
{
    if (m_busFailed)
        return false;
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    if (!m_bus->isConnected()) {
        qCInfo(lcNotifications, "no session bus: %s", qPrintable(m_bus->lastError().message()));
        m_busFailed = true;
        return false;
    }
    if (m_subscribed)
        return true;
    m_subscribed = true;
    // Any sender: the service's unique name is not known before it answers, and a restarted
    // server gets a new one.
    m_bus->connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                   SLOT(onActionInvoked(uint,QString)));
    m_bus->connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                   SLOT(onNotificationClosed(uint,uint)));
    return true;
}

DesktopNotifications::Handle FreedesktopNotifications::show(const DesktopNotice &notice)
{
    const Handle handle = m_next++;
    if (m_capabilities == Capabilities::Known) {
        send(handle, notice);
        return handle;
    }
    m_waiting.append({handle, notice});
    if (m_capabilities == Capabilities::Unknown)
        askCapabilities();
    return handle;
}

void FreedesktopNotifications::askCapabilities()
{
    if (!ensureBus()) {
        // Reported from the event loop, as an answer would be: the caller has its handle first.
        QTimer::singleShot(0, this, [this] {
            const auto waiting = std::exchange(m_waiting, {});
            for (const auto &[handle, notice] : waiting)
                Q_EMIT unavailable(handle);
        });
        return;
    }
    m_capabilities = Capabilities::Asking;
    const QDBusPendingCall call = m_bus->asyncCall(methodCall(QStringLiteral("GetCapabilities")),
                                                   kReplyBudgetMs);
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        const auto waiting = std::exchange(m_waiting, {});
        if (reply.isError()) {
            // Asked again with the next notice: a server may start later in the session.
            qCInfo(lcNotifications, "no notification service: %s",
                   qPrintable(reply.error().message()));
            m_capabilities = Capabilities::Unknown;
            for (const auto &[handle, notice] : waiting)
                Q_EMIT unavailable(handle);
            return;
        }
        m_capabilities = Capabilities::Known;
        m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
        for (const auto &[handle, notice] : waiting)
            send(handle, notice);
    });
}

QList<QVariant> FreedesktopNotifications::notifyArguments(const DesktopNotice &notice,
                                                          bool bodyMarkup)
{
    // A server that reads markup would take "<b>" in an answer for its own; the text is data.
    const QString body = bodyMarkup ? notice.body.toHtmlEscaped() : notice.body;
    const QStringList actions = {kDefaultAction, QStringLiteral("Открыть")};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), kDesktopEntry);
    hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
    return {QStringLiteral("Vexa AI"), uint(0), kDesktopEntry, notice.summary, body, actions,
            hints, int(-1)};
}

void FreedesktopNotifications::send(Handle handle, const DesktopNotice &notice)
{
    if (!ensureBus()) {
        QTimer::singleShot(0, this, [this, handle] { Q_EMIT unavailable(handle); });
        return;
    }
    QDBusMessage message = methodCall(QStringLiteral("Notify"));
    message.setArguments(notifyArguments(notice, m_bodyMarkup));
    m_sent.insert(handle, false);
    const QDBusPendingCall call = m_bus->asyncCall(message, kReplyBudgetMs);
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, handle] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        const bool withdrawn = m_sent.take(handle);
        if (reply.isError()) {
            qCInfo(lcNotifications, "notice refused: %s", qPrintable(reply.error().message()));
            // A service that stopped answering is asked for its capabilities again next time.
            if (reply.error().type() == QDBusError::NoReply
                || reply.error().type() == QDBusError::ServiceUnknown)
                m_capabilities = Capabilities::Unknown;
            Q_EMIT unavailable(handle);
            return;
        }
        const uint id = reply.value();
        if (withdrawn) {
            QDBusMessage close = methodCall(QStringLiteral("CloseNotification"));
            close.setArguments({id});
            m_bus->asyncCall(close, kReplyBudgetMs);
            return;
        }
        m_ids.insert(handle, id);
        Q_EMIT shown(handle);
    });
}

void FreedesktopNotifications::withdraw(Handle handle)
{
    for (qsizetype i = 0; i < m_waiting.size(); ++i) {
        if (m_waiting.at(i).first == handle) {
            m_waiting.removeAt(i);
            return;
        }
    }
    if (m_sent.contains(handle)) {
        m_sent[handle] = true;
        return;
    }
    const auto found = m_ids.constFind(handle);
    if (found == m_ids.constEnd() || !m_bus)
        return;
    QDBusMessage close = methodCall(QStringLiteral("CloseNotification"));
    close.setArguments({*found});
    m_ids.erase(found);
    // The reply says nothing worth waiting for: a notice already gone is an error.
    m_bus->asyncCall(close, kReplyBudgetMs);
}

void FreedesktopNotifications::onActionInvoked(uint id, const QString &action)
{
    if (action != kDefaultAction)
        return;
    for (auto it = m_ids.constBegin(); it != m_ids.constEnd(); ++it) {
        if (it.value() == id) {
            Q_EMIT activated(it.key());
            return;
        }
    }
}

void FreedesktopNotifications::onNotificationClosed(uint id, uint)
{
    for (auto it = m_ids.begin(); it != m_ids.end(); ++it) {
        if (it.value() == id) {
            m_ids.erase(it);
            return;
        }
    }
}

} // namespace vexa
