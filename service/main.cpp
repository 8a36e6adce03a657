// vexa-service: runs the local Vexa AI service on loopback.
//
//   vexa-service [--port N] [--code C] [--host 127.0.0.1]
//
// Prints "Vexa service listening on http://HOST:PORT" and "One-time sign-in code: NNNNNN",
// one line each, flushed at once (scripts read them). Pressing Enter, or SIGUSR1, prints a fresh
// code. SIGINT and SIGTERM stop it cleanly.

#include "localservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int signo)
{
    const int saved = errno;
    const char byte = char(signo);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

void printLine(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printError(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void printCode(vexa::service::LocalService &service)
{
    printLine(QStringLiteral("One-time sign-in code: %1").arg(service.issueCode()));
}

bool installSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return false;
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : {SIGINT, SIGTERM, SIGUSR1}) {
        if (::sigaction(signo, &action, nullptr) != 0)
            return false;
    }
    // A closed stdout (a script stopped reading) must not kill the service.
    std::signal(SIGPIPE, SIG_IGN);
    // Reading the terminal from a background job fails with EIO instead of stopping the process.
    std::signal(SIGTTIN, SIG_IGN);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexa-service"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Local Vexa AI service: the service's endpoints with a demo account, on loopback.\n"
        "Press Enter (or send SIGUSR1) for a fresh one-time sign-in code."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port (0 = any free port)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption codeOption(QStringLiteral("code"),
                                        QStringLiteral("A sign-in code that is always accepted."),
                                        QStringLiteral("C"));
    const QCommandLineOption hostOption(QStringLiteral("host"),
                                        QStringLiteral("Address to listen on."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    parser.addOption(portOption);
    parser.addOption(codeOption);
    parser.addOption(hostOption);
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535) {
        printError(QStringLiteral("vexa-service: invalid port: %1").arg(parser.value(portOption)));
        return 2;
    }
    const QString hostText = parser.value(hostOption);
    QHostAddress host;
    if (hostText == QLatin1String("localhost"))
        host = QHostAddress(QHostAddress::LocalHost);
    else if (!host.setAddress(hostText)) {
        printError(QStringLiteral("vexa-service: invalid host address: %1").arg(hostText));
        return 2;
    }
    if (parser.isSet(codeOption) && parser.value(codeOption).trimmed().isEmpty()) {
        printError(QStringLiteral("vexa-service: --code needs a non-empty code"));
        return 2;
    }

    if (!installSignalHandlers()) {
        printError(QStringLiteral("vexa-service: cannot install signal handlers"));
        return 1;
    }

    vexa::service::LocalService service;
    if (parser.isSet(codeOption))
        service.setFixedCode(parser.value(codeOption));
    if (!service.listen(host, quint16(port))) {
        printError(QStringLiteral("vexa-service: cannot listen on %1 port %2: %3")
                       .arg(hostText)
                       .arg(port)
                       .arg(service.errorString()));
        return 1;
    }
    if (!host.isLoopback()) {
        printError(QStringLiteral("vexa-service: warning: listening on %1, which is not loopback; "
                                  "the service speaks plain HTTP and has no TLS")
                       .arg(host.toString()));
    }

    QUrl url = service.baseUrl();
    if (!host.isLoopback() && host != QHostAddress::Any && host != QHostAddress::AnyIPv4
        && host != QHostAddress::AnyIPv6)
        url.setHost(host.toString());
    printLine(QStringLiteral("Vexa service listening on %1").arg(url.toString()));
    printCode(service);
    if (!service.fixedCode().isEmpty())
        printLine(QStringLiteral("Fixed sign-in code (reusable): %1").arg(service.fixedCode()));
    printLine(QStringLiteral("Press Enter for a new code (or: kill -USR1 %1).")
                  .arg(QCoreApplication::applicationPid()));

    // Signals arrive through the socket pair, on the event loop.
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        const ssize_t n = ::read(g_signalPipe[0], buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == SIGUSR1)
                printCode(service);
            else if (buffer[i] == SIGINT || buffer[i] == SIGTERM)
                QCoreApplication::quit();
        }
    });

    // Enter on stdin prints a fresh code. A closed stdin, /dev/null or end of input just stops
    // the watching; the service keeps running.
    std::unique_ptr<QSocketNotifier> stdinNotifier;
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1) {
        stdinNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QSocketNotifier *notifier = stdinNotifier.get();
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&service, notifier] {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    if (buffer[i] == '\n')
                        printCode(service);
                }
            } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                // try again on the next notification
            } else if (n < 0 && errno == EIO) {
                // A background job reading the terminal: look again a little later.
                notifier->setEnabled(false);
                QTimer::singleShot(1000, notifier, [notifier] { notifier->setEnabled(true); });
            } else {
                notifier->setEnabled(false); // end of input or a real error
            }
        });
    }

    const int rc = app.exec();
    printLine(QStringLiteral("Vexa service stopped."));
    return rc;
}
