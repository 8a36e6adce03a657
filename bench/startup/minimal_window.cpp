// The yardstick for start-up and memory: a Qt Quick window with one text item, started the way the
// app is (same platform, renderer and logging), announcing its first frame the same way.

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

Q_LOGGING_CATEGORY(lcApp, "vexa.app", QtWarningMsg)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 1180; height: 780; visible: true; color: "#0b0d17"
            Text { anchors.centerIn: parent; text: "Vexa AI"; color: "white"; font.pixelSize: 28 }
        })");
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [window] {
        QObject::disconnect(window, &QQuickWindow::frameSwapped, nullptr, nullptr);
        qCInfo(lcApp, "first frame");
        qCInfo(lcApp, "signed-in frame");
    });
    return app.exec();
}
