#pragma once

// Starts the app (or the yardstick window) as a fresh process against an in-process local
// service holding a signed-in demo account with many chats, and waits for its signed-in frame.

#include "localservice.h"
#include "servicestate.h"
#include "vexaclient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace bench {

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A service whose demo account has `chats` chats, the open one holding `openMessages` messages.
inline void seed(vexa::service::LocalService &service, int chats, int openMessages)
{
    auto &state = service.state();
    state.chats.clear();
    for (int c = 0; c < chats; ++c) {
        vexa::service::Chat chat;
        chat.id = QString::number(10000 + c);
        chat.title = QStringLiteral("Чат №%1: план поездки и список покупок").arg(c);
        const int messages = c == 0 ? openMessages : 4;
        for (int m = 0; m < messages; ++m) {
            vexa::service::ChatMessage message;
            message.role = m % 2 ? QStringLiteral("assistant") : QStringLiteral("user");
            message.text = m % 2 ? QStringLiteral("Вот ответ с **разметкой**, списком:\n- первый пункт\n- второй пункт\n\n`код` и ссылка https://vexa.ai №%1").arg(m)
                                 : QStringLiteral("Вопрос номер %1: как лучше спланировать неделю?").arg(m);
            message.timeMs = 1733000000000 + qint64(c) * 100000 + m * 1000;
            chat.messages.append(message);
        }
        state.chats.append(chat);
    }
    state.activeChatId = state.chats.constFirst().id;
}

// A home with the session cookie of the demo account in the app's default cookie file.
class Home
{
public:
    explicit Home(vexa::service::LocalService &service)
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        service.setFixedCode(QStringLiteral("975310"));
        m_cookies = m_dir.filePath(QStringLiteral("data/VexaAI/cookies"));
        m_base = service.baseUrl();
    }
    const QString &cookieFile() const { return m_cookies; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vexa.app.info=true"));
        env.insert(QStringLiteral("VEXA_BASE_URL"), m_base.toString());
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        return env;
    }

private:
    QTemporaryDir m_dir;
    QString m_cookies;
    QUrl m_base;
};

// Runs the event loop (the service lives in this process) until the predicate or the deadline.
// It sleeps between events rather than polling: on a two-core machine a busy loop here would
// take a whole core from the process being timed. The tick wakes it for predicates that look at
// something no event announces (a file appearing).
inline bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer tick;
    tick.start(1);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// A started process and the moment its signed-in frame was announced.
struct Launch {
    std::unique_ptr<QProcess> process;
    double millisecondsToFrame = -1;
};

// With `trace`, every line the process logs is echoed with the milliseconds since its start.
inline Launch launch(const QString &program, const QProcessEnvironment &env, int timeoutMs = 60000,
                     bool trace = false, const QStringList &arguments = {})
{
    Launch result;
    result.process = std::make_unique<QProcess>();
    QProcess *process = result.process.get();
    process->setProcessEnvironment(env);
    QByteArray log;
    QElapsedTimer timer;
    QObject::connect(process, &QProcess::readyReadStandardError, process, [&log, &timer, process, trace] {
        const QByteArray chunk = process->readAllStandardError();
        log += chunk;
        if (trace)
            for (const QByteArray &line : chunk.split('\n'))
                if (!line.isEmpty())
                    std::fprintf(stderr, "%8.1f ms  %s\n", double(timer.nsecsElapsed()) / 1e6, line.constData());
    });
    timer.start();
    process->start(program, arguments);
    if (spinUntil([&] { return log.contains("signed-in frame"); }, timeoutMs))
        result.millisecondsToFrame = double(timer.nsecsElapsed()) / 1e6;
    else
        std::fprintf(stderr, "%s gave no signed-in frame:\n%s\n", qPrintable(program), log.constData());
    QObject::disconnect(process, &QProcess::readyReadStandardError, nullptr, nullptr);
    return result;
}

inline void stop(Launch &launched)
{
    launched.process->kill();
    launched.process->waitForFinished(5000);
}

// Resident memory of a running process, in MiB.
inline double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    return -1;
}

} // namespace bench
