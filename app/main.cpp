// Vexa AI: the desktop client of the Vexa AI service.

#include "composerequests.h"
#include "desktopdialogs.h"
#include "launchrequest.h"
#include "singleinstance.h"
#include "vexaaiapp.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <csignal>
#include <memory>
#include <optional>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Ends the event loop once it runs (the outcome may be known before exec() starts).
void quitSoon(int code)
{
    QTimer::singleShot(0, qApp, [code] { QCoreApplication::exit(code); });
}

// The session's end (SIGTERM at log-out, SIGHUP, Ctrl+C in a terminal) quits through the event
// loop like closing the window does, so the settings are written and the one-instance socket is
// removed. The handler only writes a byte to a socket pair; the loop reads it.
int g_quitSignal[2] = {-1, -1};

void onQuitSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_quitSignal[0], &byte, 1);
}

void quitOnSessionSignals(QObject *owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_quitSignal) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_quitSignal[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_quitSignal[1], &byte, 1);
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

// The `--ask` value as the command line gave it, before Qt decodes it (invalid UTF-8 would
// come out as replacement characters, and the user would get a question they did not ask).
std::optional<QByteArray> rawAskValue(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--ask") == 0)
            return i + 1 < argc ? std::optional<QByteArray>(QByteArray(argv[i + 1])) : std::nullopt;
        if (std::strncmp(argv[i], "--ask=", 6) == 0)
            return QByteArray(argv[i] + 6);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // Start-up milestones for BENCH_TRACE (vexa.app.debug); the first one shows what the loader
    // and the libraries' initialisers cost.
    qCDebug(vexa::lcApp, "main");
    // Before the application is made: it picks its platform theme (and so its dialogs) then.
    vexa::preferDesktopFileDialogs();
    QGuiApplication application(argc, argv);
    qCDebug(vexa::lcApp, "application made");
    vexa::VexaAIApp::prepareApplication();
    qCDebug(vexa::lcApp, "application prepared");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Vexa AI — клиент AI-ассистента Vexa для компьютера.\n"
        "Переменная окружения VEXA_BASE_URL задаёт адрес сервиса (для разработки)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption newChat(QStringLiteral("new-chat"),
                                     QStringLiteral("Открыть новый чат (в запущенном окне, если оно есть)."));
    const QCommandLineOption ask(QStringLiteral("ask"),
                                 QStringLiteral("Открыть новый чат с этим текстом в поле ввода (не отправляя)."),
                                 QStringLiteral("текст"));
    parser.addOption(newChat);
    parser.addOption(ask);
    parser.process(application); // --help, --version and unknown options print and exit here

    vexa::LaunchRequest request;
    if (parser.isSet(ask)) {
        const auto raw = rawAskValue(argc, argv);
        const auto checked = vexa::LaunchRequest::checkAskText(raw.value_or(QByteArray()));
        if (!checked.error.isEmpty()) {
            std::fprintf(stderr, "vexa-ai: %s\n", qPrintable(checked.error));
            return 2;
        }
        request = {vexa::LaunchRequest::Kind::NewChat, checked.text};
    } else if (parser.isSet(newChat)) {
        request = {vexa::LaunchRequest::Kind::NewChat, {}};
    }
    quitOnSessionSignals(&application);

    // One client per user: a second launch brings the running window to the front instead.
    vexa::SingleInstance instance(vexa::SingleInstance::defaultSocketPath(), request);
    std::unique_ptr<vexa::VexaAIApp> app;
    auto startApp = [&] {
        qCDebug(vexa::lcApp, "the one instance");
        app = std::make_unique<vexa::VexaAIApp>();
        app->setRemembersWindow(true);
        if (!app->start()) {
            quitSoon(1);
            return;
        }
        if (request.kind == vexa::LaunchRequest::Kind::NewChat)
            vexa::chat::ComposeRequests::instance().requestNewChat(request.draft);
    };
    QObject::connect(&instance, &vexa::SingleInstance::primary, startApp);
    QObject::connect(&instance, &vexa::SingleInstance::failed, [&](const QString &reason) {
        qCWarning(vexa::lcApp, "Running without the one-instance guard: %s", qPrintable(reason));
        startApp();
    });
    QObject::connect(&instance, &vexa::SingleInstance::handedOver, [] {
        qCInfo(vexa::lcApp, "Vexa AI is already running: its window was brought to the front");
        quitSoon(0);
    });
    QObject::connect(&instance, &vexa::SingleInstance::activationRequested, [&] {
        if (app)
            app->bringToFront();
    });
    QObject::connect(&instance, &vexa::SingleInstance::newChatRequested, [&](const QString &draft) {
        if (!app)
            return;
        qCInfo(vexa::lcApp, "a new chat asked for by another launch");
        vexa::chat::ComposeRequests::instance().requestNewChat(draft);
    });
    qCDebug(vexa::lcApp, "claiming the one instance");
    instance.claim();
    const int code = application.exec();
    app.reset(); // the window and its screens before the guard and the application
    return code;
}
