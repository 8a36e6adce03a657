// The yardstick for start-up and memory: a Qt Quick window with one text item, started the way the
// app is (same platform, renderer and logging), announcing its first frame the same way.
// With --controls it is the floor any window of Qt Quick Controls pays instead: an
// ApplicationWindow in the app's style (Material, dark) with one Label.

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>

Q_LOGGING_CATEGORY(lcApp, "vexa.app", QtWarningMsg)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    if (app.arguments().contains(QStringLiteral("--controls"))) {
        QQuickStyle::setStyle(QStringLiteral("Material")); // as the app's qtquickcontrols2.conf
        engine.loadData(R"(
            import QtQuick
            import QtQuick.Controls
            import QtQuick.Controls.Material
            ApplicationWindow {
                width: 1180; height: 780; visible: true; color: "#0b0d17"
                Material.theme: Material.Dark
                Label { anchors.centerIn: parent; text: "Vexa AI"; font.pixelSize: 28 }
            })");
    } else {
        engine.loadData(R"(
            import QtQuick
            Window {
                width: 1180; height: 780; visible: true; color: "#0b0d17"
                Text { anchors.centerIn: parent; text: "Vexa AI"; color: "white"; font.pixelSize: 28 }
            })");
    }
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
