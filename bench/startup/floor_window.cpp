// The same screen's floor for start-up: the signed-in window's first frame (sidebar with the
// 1,000 chat titles, the chat's header, its 200 messages at their end, the composer) made of the
// app's own QML components and Qt Quick Controls in its style, from memory — no service, no
// session, no decoding, no view-models. Started and announced like the app and the yardstick
// window (minimal_window.cpp), so bench_startup times all of them alike.

#include "symbols.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>

Q_LOGGING_CATEGORY(lcApp, "vexa.app", QtWarningMsg)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Material")); // as the app's qtquickcontrols2.conf
    vexa::Symbols::loadFont();
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/VexaBench/Floor/FloorWindow.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [window] {
        QObject::disconnect(window, &QQuickWindow::frameSwapped, nullptr, nullptr);
        qCInfo(lcApp, "first frame");
        qCInfo(lcApp, "signed-in frame");
        // BENCH_FLOOR_SHOT=file.png keeps the first frame, to compare the floor with the app's.
        if (!qEnvironmentVariableIsEmpty("BENCH_FLOOR_SHOT"))
            window->grabWindow().save(qEnvironmentVariable("BENCH_FLOOR_SHOT"));
    });
    return app.exec();
}
