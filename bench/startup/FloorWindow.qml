import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell
import VexaAI.Chat
import VexaAI.Answer

// The floor of the signed-in window's first frame: the same screen made of the app's own
// components and controls in its style (Material, dark) — the sidebar with its buttons and the
// chat titles, the chat's header, the messages at their end with answers drawn by the answer
// renderer, the composer — from memory: no service, no decoding, no view-models. Its texts are
// those bench::seed gives the service (startuprig.h); change both together.
ApplicationWindow {
    id: window

    width: 1180
    height: 780
    visible: true
    color: VexaTheme.background
    Material.theme: Material.Dark
    Material.accent: VexaTheme.accent

    readonly property var sections: [
        ["Чат", "bubble.left.and.bubble.right.fill"], ["Vexa Code", "chevron.left.forwardslash.chevron.right"],
        ["Изображения", "sparkles.rectangle.stack.fill"], ["Инструменты", "wand.and.stars"],
        ["Пространство", "folder.fill"], ["Сообщество", "person.3.fill"]
    ]

    VexaBackground { anchors.fill: parent }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            Layout.preferredWidth: 280
            Layout.fillHeight: true
            color: VexaTheme.chromeFill

            ColumnLayout {
                anchors.fill: parent
                anchors.margins: 14
                spacing: 4

                SidebarHeader { Layout.fillWidth: true; planTitle: "Vexa Pro" }
                SidebarButton {
                    Layout.fillWidth: true; Layout.topMargin: 10
                    text: "Найти раздел"; symbolName: "magnifyingglass"; shortcutHint: "Ctrl+K"
                }
                Repeater {
                    model: window.sections
                    SidebarButton {
                        required property var modelData
                        required property int index
                        Layout.fillWidth: true
                        text: modelData[0]
                        symbolName: modelData[1]
                        selected: index === 0
                    }
                }
                Rectangle { Layout.fillWidth: true; Layout.topMargin: 8; implicitHeight: 1; color: VexaTheme.separator }
                Label {
                    text: "ДИАЛОГИ"
                    font.pixelSize: VexaTheme.captionSize
                    font.weight: Font.DemiBold
                    font.letterSpacing: 0.8
                    color: VexaTheme.textTertiary
                }
                ListView {
                    id: chats
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    model: 1000
                    delegate: ChatListRow {
                        required property int index
                        width: chats.width
                        chatID: String(10000 + index)
                        title: "Чат №" + index + ": план поездки и список покупок"
                        isActive: index === 0
                    }
                }
                SidebarButton { Layout.fillWidth: true; text: "Алина"; symbolName: "person.crop.circle" }
                SidebarButton { Layout.fillWidth: true; text: "Тарифы"; symbolName: "crown" }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            RowLayout {
                Layout.fillWidth: true
                Layout.margins: 12
                spacing: 8
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    Label {
                        Layout.fillWidth: true
                        text: "Чат №0: план поездки и список покупок"
                        elide: Text.ElideRight
                        font.pixelSize: VexaTheme.headingSize
                        font.weight: Font.DemiBold
                    }
                    Label {
                        text: "Общий аккаунт и лимиты с Telegram"
                        font.pixelSize: VexaTheme.captionSize
                        color: VexaTheme.textSecondary
                    }
                }
                Button { text: "Vexa Fast"; flat: true; font.capitalization: Font.MixedCase }
                Button { text: "Разговор"; flat: true; font.capitalization: Font.MixedCase }
                ToolButton { text: "Чаты"; font.capitalization: Font.MixedCase }
                Button { text: "Новый чат"; flat: true; font.capitalization: Font.MixedCase }
                ToolButton { text: "…" }
            }

            ListView {
                id: messages
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                spacing: 12
                model: 200
                readonly property real columnWidth: Math.min(width - 48, 900)
                delegate: TextBubble {
                    id: bubble
                    required property int index
                    readonly property string text: index % 2
                        ? "Вот ответ с **разметкой**, списком:\n- первый пункт\n- второй пункт\n\n`код` и ссылка https://vexa.ai №" + index
                        : "Вопрос номер " + index + ": как лучше спланировать неделю?"
                    x: (messages.width - messages.columnWidth) / 2
                    width: messages.columnWidth
                    model: ({ text: text, entryID: String(index), imageSource: "" })
                    isUser: index % 2 === 0
                    html: isUser ? text : answer.simpleHtml
                    hasImage: false
                    maxBubbleWidth: Math.max(200, Math.min(messages.columnWidth * 0.86, 760))
                    AnswerModel { id: answer; markdown: bubble.isUser ? "" : bubble.text }
                }
                Component.onCompleted: positionViewAtEnd()
            }

            RowLayout {
                Layout.fillWidth: true
                Layout.margins: 12
                spacing: 8
                ToolButton { text: "+" }
                TextArea {
                    Layout.fillWidth: true
                    placeholderText: "Напишите сообщение…"
                    wrapMode: TextEdit.Wrap
                }
                ToolButton { text: "Продиктовать"; font.capitalization: Font.MixedCase }
                RoundButton { text: "↑"; enabled: false }
            }
        }
    }
}
