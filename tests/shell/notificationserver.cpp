#include "notificationserver.h"

#include <QDBusConnectionInterface>
#include <QTimer>

namespace vexa::test {

namespace {
const QString kName = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

NotificationServer::NotificationServer(QStringList capabilities)
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                          QStringLiteral("vexa-test-notification-server"))),
      m_capabilities(std::move(capabilities))
{
}

NotificationServer::~NotificationServer()
{
    if (m_bus.isConnected()) {
        m_bus.unregisterObject(kPath);
        m_bus.unregisterService(kName);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("vexa-test-notification-server"));
}

bool NotificationServer::start()
{
    return m_bus.isConnected()
           && m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots)
           && m_bus.registerService(kName);
}

bool NotificationServer::holdReply(const QVariant &value)
{
    switch (mode) {
    case Mode::Answer:
        return false;
    case Mode::Refuse:
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("notices are off"));
        return true;
    case Mode::Silent:
        setDelayedReply(true);
        m_parked.append(message());
        return true;
    case Mode::Late: {
        setDelayedReply(true);
        const QDBusMessage reply = message().createReply(value);
        QTimer::singleShot(lateMs, this, [this, reply] { m_bus.send(reply); });
        return true;
    }
    }
    return false;
}

QStringList NotificationServer::GetCapabilities()
{
    ++capabilityCalls;
    holdReply(m_capabilities);
    return m_capabilities;
}

uint NotificationServer::Notify(const QString &appName, uint replacesId, const QString &icon,
                                const QString &summary, const QString &body,
                                const QStringList &actions, const QVariantMap &hints, int timeout)
{
    const uint id = m_next++;
    notices.append({appName, replacesId, icon, summary, body, actions, hints, timeout, id});
    holdReply(id);
    return id;
}

void NotificationServer::CloseNotification(uint id)
{
    closed.append(id);
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kName, QStringLiteral("NotificationClosed"));
    signal.setArguments({id, uint(3)});
    m_bus.send(signal);
}

QString NotificationServer::GetServerInformation(QString &vendor, QString &version, QString &specVersion)
{
    vendor = QStringLiteral("VexaAI tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("vexa-test-notifications");
}

void NotificationServer::invoke(uint id, const QString &action)
{
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kName, QStringLiteral("ActionInvoked"));
    signal.setArguments({id, action});
    m_bus.send(signal);
}

} // namespace vexa::test
