// "Форум Vexa": the topics in the service's order and the button that starts a new one.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

GlassCard {
    id: card

    required property CommunityViewModel viewModel

    signal topicOpened(int row)

    ColumnLayout {
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            CommunityCardHeader {
                symbol: "bubble.left.and.bubble.right.fill"
                text: "Форум Vexa"
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "newTopicButton"
                font.capitalization: Font.MixedCase
                text: "Новая тема"
                flat: false
                focusPolicy: Qt.StrongFocus
                onClicked: card.viewModel.beginCreate()
            }
        }

        CommunityMessage {
            objectName: "topicsMessage"
            Layout.fillWidth: true
            text: card.viewModel.topicsMessage
        }

        Repeater {
            model: card.viewModel.topics
            CommunityRow {
                required property int index
                required property string title
                required property string replies
                required property bool closed
                objectName: "topicRow" + index
                Layout.fillWidth: true
                headline: title
                caption: replies
                locked: closed
                onClicked: card.topicOpened(index)
            }
        }
    }
}
