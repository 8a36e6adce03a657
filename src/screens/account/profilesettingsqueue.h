#pragma once

#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QHash>
#include <QQueue>

#include <optional>

namespace vexa::account {

// The answer settings a user chose, sent to the service one after another in the order they
// were made. One queue per client (a child of it), shared by every profile screen, so choices
// keep their order even when the screen is closed and opened again while they are sent, and
// none is dropped with the screen.
class ProfileSettingsQueue : public QObject
{
    Q_OBJECT

public:
    static ProfileSettingsQueue *forClient(VexaClient *client);

    void enqueue(const QString &name, const QString &value);
    // Waiting or on its way to the service.
    bool isPending(const QString &name) const;
    // A value the service took with an answer that left the state out: it is the setting's
    // value until the next account state says otherwise.
    std::optional<QString> acceptedValue(const QString &name) const;
    bool isIdle() const { return m_queue.isEmpty(); }

Q_SIGNALS:
    // A choice reached its end (sent or refused); isPending may have changed.
    void settled(const QString &name);

private:
    explicit ProfileSettingsQueue(VexaClient *client);
    QCoro::Task<> drain();

    struct Setting {
        QString name;
        QString value;
    };
    QPointer<VexaClient> m_client;
    QQueue<Setting> m_queue; // the head is the one being sent
    QHash<QString, QString> m_accepted;
    quint64 m_states = 0; // account states the client has taken so far
    bool m_draining = false;
};

} // namespace vexa::account
