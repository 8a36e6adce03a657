// vexa-screenshots: renders the app's screens to PNG files, offscreen, against an in-process
// local service and through the real client.
//
//   vexa-screenshots OUTDIR [SCENE...]    every scene (or the named ones) as OUTDIR/SCENE.png
//   vexa-screenshots --list               the scene names
//
// Each scene gets a fresh service, a fresh app with its own cookie file, and a window of the
// scene's size. Settings are read in Qt's test mode, so the user's own preferences do not leak
// into the pictures.

#include "localservice.h"
#include "scene.h"
#include "vexaaiapp.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QCoro/QCoroTask>

#include <cstdio>
#include <memory>

namespace {

using vexa::screenshots::Scene;
using vexa::screenshots::SceneContext;

void print(const QString &line, FILE *stream = stdout)
{
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QString cookieFileFor(const QTemporaryDir &dir, const Scene &scene)
{
    return dir.filePath(scene.name + QStringLiteral(".cookies"));
}

QString pngPathFor(const QDir &out, const Scene &scene)
{
    return out.filePath(scene.name + QStringLiteral(".png"));
}

// Renders one scene; the error text, or empty on success.
QCoro::Task<QString> render(Scene scene, QDir out, const QTemporaryDir *temp)
{
    vexa::service::LocalService service;
    if (!service.listen())
        co_return QString::fromLatin1("the local service cannot listen: ") + service.errorString();
    if (scene.prepare)
        scene.prepare(service);

    auto app = std::make_unique<vexa::VexaAIApp>(service.baseUrl().toString(),
                                                 cookieFileFor(*temp, scene));
    if (!app->start())
        co_return QString::fromLatin1("the window did not load");
    app->window()->resize(scene.size);

    SceneContext context(service, *app);
    const bool staged = co_await scene.stage(context);
    if (!staged)
        co_return context.failure().isEmpty() ? QString::fromLatin1("the scene failed")
                                              : context.failure();

    const QImage image = app->window()->grabWindow();
    if (image.isNull())
        co_return QString::fromLatin1("the window could not be grabbed");
    const QString path = pngPathFor(out, scene);
    if (!image.save(path, "PNG"))
        co_return QString::fromLatin1("cannot write ") + path;
    co_return QString();
}

// QML's binding-loop warnings: a screen that warns of one renders by luck of evaluation order, so
// the scene that shows it fails.
int g_bindingLoops = 0;
QtMessageHandler g_defaultHandler = nullptr;

void countBindingLoops(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("Binding loop detected")))
        ++g_bindingLoops;
    g_defaultHandler(type, context, message);
}

QCoro::Task<> renderAll(QList<Scene> scenes, QDir out, int *failures)
{
    QTemporaryDir temp;
    g_defaultHandler = qInstallMessageHandler(countBindingLoops);
    for (const Scene &scene : scenes) {
        const int loopsBefore = g_bindingLoops;
        QString error = co_await render(scene, out, &temp);
        if (error.isEmpty() && g_bindingLoops != loopsBefore)
            error = QString::fromLatin1("QML warned of a binding loop");
        if (error.isEmpty())
            print(QString::fromLatin1("  ") + pngPathFor(out, scene));
        else {
            print(scene.name + QString::fromLatin1(": ") + error, stderr);
            ++*failures;
        }
    }
    QCoreApplication::exit(*failures == 0 ? 0 : 1);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    vexa::VexaAIApp::prepareApplication();

    const QStringList args = application.arguments().mid(1);
    const QList<Scene> known = vexa::screenshots::allScenes();
    if (args.value(0) == QLatin1String("--list")) {
        for (const Scene &scene : known)
            print(scene.name + QStringLiteral("\t") + scene.description);
        return 0;
    }
    if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
        print(QStringLiteral("usage: vexa-screenshots OUTDIR [SCENE...] | --list"), stderr);
        return 2;
    }

    QList<Scene> chosen;
    for (const QString &name : args.mid(1)) {
        auto it = std::find_if(known.cbegin(), known.cend(),
                               [&](const Scene &scene) { return scene.name == name; });
        if (it == known.cend()) {
            print(QStringLiteral("unknown scene: %1 (see --list)").arg(name), stderr);
            return 2;
        }
        chosen.append(*it);
    }
    if (chosen.isEmpty())
        chosen = known;

    QDir out(args.first());
    if (!out.mkpath(QStringLiteral("."))) {
        print(QStringLiteral("cannot create %1").arg(out.path()), stderr);
        return 1;
    }

    int failures = 0;
    QTimer::singleShot(0, &application, [&] { renderAll(chosen, out, &failures); });
    return application.exec();
}
