#pragma once

// Starting the real app binary the way a desktop would, with its own folders, offscreen, against
// a service, and reading what it logs.

#include "awaittask.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace vexa::test {

// A home of its own: data, settings and the runtime folder (where the one-instance socket is).
inline QProcessEnvironment appEnvironment(const QTemporaryDir &home, const QUrl &service)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vexa.app.info=true"));
    env.insert(QStringLiteral("VEXA_BASE_URL"), service.toString());
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")); // never the tester's own keyring
    return env;
}

inline void prepareHome(const QTemporaryDir &home)
{
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Collects a process's standard error as it comes.
class ErrorLog : public QObject
{
public:
    explicit ErrorLog(QProcess &process)
    {
        connect(&process, &QProcess::readyReadStandardError, this,
                [this, &process] { text += process.readAllStandardError(); });
    }
    bool waitFor(const QByteArray &line, int timeoutMs)
    {
        return waitUntil([&] { return text.contains(line); }, timeoutMs);
    }
    QByteArray text;
};

} // namespace vexa::test
