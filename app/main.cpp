// Vexa AI: the desktop client of the Vexa AI service.

#include "singleinstance.h"
#include "vexaaiapp.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <memory>

namespace {

// Ends the event loop once it runs (the outcome may be known before exec() starts).
void quitSoon(int code)
{
    QTimer::singleShot(0, qApp, [code] { QCoreApplication::exit(code); });
}

} // namespace

int main(int argc, char *argv[])
{
    // Start-up milestones for BENCH_TRACE (vexa.app.debug); the first one shows what the loader
    // and the libraries' initialisers cost.
    qCDebug(vexa::lcApp, "main");
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
    parser.process(application); // --help and --version print and exit here

    // One client per user: a second launch brings the running window to the front instead.
    vexa::SingleInstance instance;
    std::unique_ptr<vexa::VexaAIApp> app;
    auto startApp = [&] {
        app = std::make_unique<vexa::VexaAIApp>();
        app->setRemembersWindow(true);
        if (!app->start())
            quitSoon(1);
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
    instance.claim();
    const int code = application.exec();
    app.reset(); // the window and its screens before the guard and the application
    return code;
}
