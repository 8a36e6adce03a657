#pragma once

#include "launchrequest.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace vexa {

// One running client per user: the cookie store and the code projects on disk are not made for
// two writers. The first launch listens on a per-user local socket; a later launch finds it,
// asks it to bring its window to the front and ends.
//
// Everything is event-driven: claim() returns at once and the outcome arrives as a signal, so
// start-up never waits on a socket.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The socket lives in the user's runtime folder (XDG_RUNTIME_DIR on Linux), or in the temp
    // folder with the user's name in it where there is none.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);
    // What a later launch asks of the running instance (by default: only to show its window).
    SingleInstance(QString socketPath, LaunchRequest request, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Looks for a running instance; ends in primary() or handedOver() (or failed()).
    void claim();
    bool isPrimary() const { return m_server != nullptr; }

Q_SIGNALS:
    // No other instance runs: this one is the app, and listens for later launches.
    void primary();
    // Another instance runs and was asked to come to the front: this process should end.
    void handedOver();
    // The socket could not be set up: the app runs, without the guard.
    void failed(const QString &reason);
    // A later launch asked this (primary) instance to show its window.
    void activationRequested();
    // ...and, after activationRequested(), to open a new chat with this draft (may be empty).
    void newChatRequested(const QString &draft);

private:
    void becomePrimary();
    void acceptConnections();

    void readRequest(QLocalSocket *socket);

    QString m_path;
    LaunchRequest m_request;
    QPointer<QLocalSocket> m_probe;
    QLocalServer *m_server = nullptr;
    bool m_retried = false;
};

} // namespace vexa
