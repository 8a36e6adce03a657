// The yardstick for start-up and memory: a Qt Quick window with one text item, started the way the
// app is (same platform, renderer and logging), announcing its first frame the same way.
// With --controls it is the floor any window of Qt Quick Controls pays instead: an
// ApplicationWindow in the app's style (Material, dark) with one Label. With --content it is the
// least a window showing the signed-in content pays: plain Qt Quick items (no Controls) listing
// the benchmark's 1,000 chat titles beside its 200 messages (the answers' Markdown rendered), the
// list at its last message, all made in memory: no service, no decoding, no app logic. Its texts
// are those bench::seed gives the service (startuprig.h); change both together.

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
    } else if (app.arguments().contains(QStringLiteral("--content"))) {
        engine.loadData(R"(
            import QtQuick
            Window {
                width: 1180; height: 780; visible: true; color: "#0b0d17"
                ListView {
                    id: chats
                    width: 280; height: parent.height
                    model: 1000
                    delegate: Text {
                        required property int index
                        width: 280; height: 44; leftPadding: 14; verticalAlignment: Text.AlignVCenter
                        text: "Чат №" + index + ": план поездки и список покупок"
                        color: "white"; font.pixelSize: 15; elide: Text.ElideRight
                    }
                }
                ListView {
                    id: messages
                    x: 280; width: parent.width - 280; height: parent.height
                    model: 200
                    spacing: 12
                    delegate: Rectangle {
                        required property int index
                        width: messages.width - 80; x: 40
                        height: body.implicitHeight + 24; radius: 14
                        color: index % 2 ? "#1d2030" : "#1b3b6b"
                        Text {
                            id: body
                            x: 12; y: 12; width: parent.width - 24
                            wrapMode: Text.Wrap; color: "white"; font.pixelSize: 16
                            textFormat: Text.MarkdownText
                            text: index % 2 ? "Вот ответ с **разметкой**, списком:
- первый пункт
- второй пункт

`код` и ссылка https://vexa.ai №" + index
                                            : "Вопрос номер " + index + ": как лучше спланировать неделю?"
                        }
                    }
                    Component.onCompleted: positionViewAtEnd()
                }
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
