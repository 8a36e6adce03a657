// The app as vexa-ai runs it (VexaAIApp: the configured origin, the cookie file in the data
// directory) which, once a line arrives on its standard input, shows every section in turn,
// comes back to the chat and says so on standard error: bench_memory weighs what the sections
// the user has visited keep in memory.

#include "rootviewmodel.h"
#include "vexaaiapp.h"
#include "vexasection.h"

#include <QFile>
#include <QGuiApplication>
#include <QQuickItem>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

// Long enough for a screen to be made and to take in its first replies from the local service.
constexpr int kStayMs = 800;

vexa::RootViewModel *rootModel(QQuickWindow *window)
{
    if (auto *model = window->findChild<vexa::RootViewModel *>())
        return model;
    return window->contentItem()->findChild<vexa::RootViewModel *>();
}

// This process's resident memory, in MiB (for BENCH_TRACE: what each section added).
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    vexa::VexaAIApp::prepareApplication();
    vexa::VexaAIApp app;
    if (!app.start())
        return 1;

    QList<vexa::VexaSection> tour = vexa::allSections();
    tour.append(vexa::VexaSection::Chat);
    QTimer step;
    step.setInterval(kStayMs);
    QObject::connect(&step, &QTimer::timeout, &app, [&] {
        vexa::RootViewModel *model = app.window() ? rootModel(app.window()) : nullptr;
        if (!model || model->screen() != vexa::RootViewModel::Screen::Sections) {
            std::fprintf(stderr, "not signed in: no sections to visit\n");
            QCoreApplication::exit(1);
            return;
        }
        if (tour.isEmpty()) {
            step.stop();
            std::fprintf(stderr, "all sections visited\n");
            std::fflush(stderr);
            return;
        }
        const vexa::VexaSection next = tour.takeFirst();
        model->select(int(next));
        if (qEnvironmentVariableIsSet("BENCH_TRACE"))
            std::fprintf(stderr, "%s shown: %.1f MiB\n", qPrintable(vexa::sectionTitle(next)),
                         residentMiB());
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        [[maybe_unused]] const auto got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        input.setEnabled(false);
        step.start();
    });
    return application.exec();
}
