// The front page: the heading with the refresh button, the forum card and the groups card, and
// the new-topic dialog.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import VexaAI.Content
import VexaAI.Style

FocusScope {
    id: page

    required property CommunityViewModel viewModel

    signal topicOpened(int row)
    signal communityOpened(int row)

    function reload() { viewModel.reload() }

    Component.onCompleted: viewModel.reload()

    ScrollView {
        id: scroller
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            width: Math.min(820, scroller.availableWidth - 40)
            x: (scroller.availableWidth - width) / 2
            spacing: 20

            Item { Layout.preferredHeight: 0 }

            RowLayout {
                Layout.fillWidth: true
                Text {
                    Layout.fillWidth: true
                    text: "Сообщество"
                    color: VexaTheme.textPrimary
                    font.pixelSize: VexaTheme.titleSize
                    font.bold: true
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                BusyIndicator {
                    running: page.viewModel.loading
                    visible: running
                    implicitWidth: 28
                    implicitHeight: 28
                }
                CommunityIconButton {
                    objectName: "refreshButton"
                    symbol: "arrow.clockwise"
                    label: "Обновить"
                    focus: true
                    onClicked: page.viewModel.reload()
                }
            }

            CommunityForumCard {
                Layout.fillWidth: true
                viewModel: page.viewModel
                onTopicOpened: row => page.topicOpened(row)
            }

            CommunityGroupsCard {
                Layout.fillWidth: true
                viewModel: page.viewModel
                onCommunityOpened: row => page.communityOpened(row)
            }

            Item { Layout.preferredHeight: 4 }
        }
    }

    // Tab may land on a row below the fold: scroll it into view.
    Connections {
        target: page.Window.window
        function onActiveFocusItemChanged() {
            const flick = scroller.contentItem
            let item = page.Window.activeFocusItem
            let inside = false
            for (let p = item; p; p = p.parent) {
                if (p === flick.contentItem) {
                    inside = true
                    break
                }
            }
            if (!inside)
                return
            const top = item.mapToItem(flick.contentItem, 0, 0).y
            if (top < flick.contentY)
                flick.contentY = Math.max(0, top - 12)
            else if (top + item.height > flick.contentY + flick.height)
                flick.contentY = Math.min(flick.contentHeight - flick.height,
                                          top + item.height - flick.height + 12)
        }
    }

    CommunityNewTopicDialog {
        viewModel: page.viewModel
    }
}
