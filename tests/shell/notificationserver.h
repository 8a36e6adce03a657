#pragma once

// A notification service of the test's own on the test's session bus: it owns
// org.freedesktop.Notifications, records every Notify and CloseNotification, and can answer
// slowly, refuse, or say that the user chose a notice. The app's D-Bus code talks to it as it
// would to the desktop's.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace vexa::test {

class NotificationServer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    enum class Mode { Answer, Refuse, Silent, Late };

    struct Notice {
        QString appName;
        uint replacesId = 0;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout = 0;
        uint id = 0;
    };

    // On a connection of its own (the app's side uses the default session connection).
    explicit NotificationServer(QStringList capabilities = {QStringLiteral("body"),
                                                            QStringLiteral("actions")});
    ~NotificationServer() override;

    // False when the bus or the name could not be had.
    bool start();
    bool busy() const { return !m_parked.isEmpty(); }

    Mode mode = Mode::Answer;
    int lateMs = 300;
    QList<Notice> notices;
    QList<uint> closed;
    int capabilityCalls = 0;

    // The user chose the notice (default action), as a desktop's server reports it.
    void invoke(uint id, const QString &action = QStringLiteral("default"));

public Q_SLOTS:
    QStringList GetCapabilities();
    uint Notify(const QString &appName, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints,
                int timeout);
    void CloseNotification(uint id);
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion);

private:
    bool holdReply(const QVariant &value);

    QDBusConnection m_bus;
    QStringList m_capabilities;
    uint m_next = 1;
    QList<QDBusMessage> m_parked; // replies never sent (Silent)
};

} // namespace vexa::test
