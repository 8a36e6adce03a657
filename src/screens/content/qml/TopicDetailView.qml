// One forum topic, pushed over the lists: its posts and, unless it is locked, the reply bar.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

FocusScope {
    id: page

    property alias topic: vm.topic
    readonly property TopicDetailViewModel viewModel: vm

    signal done()

    function reload() { vm.reload() }

    TopicDetailViewModel {
        id: vm
    }

    Component.onCompleted: vm.reload()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        CommunityPageHeader {
            Layout.fillWidth: true
            Layout.margins: 10
            title: vm.title
            loading: vm.loading
            focus: true
            onDone: page.done()
            onRefresh: vm.reload()
        }

        ListView {
            id: list
            objectName: "topicPosts"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 12
            model: vm.posts
            // Tab reaches the posts; the arrows move between them.
            activeFocusOnTab: true
            keyNavigationEnabled: true
            Accessible.role: Accessible.List
            Accessible.name: vm.title
            header: Item { height: 8 }
            footer: Item { height: 12 }
            ScrollBar.vertical: ScrollBar {}
            delegate: TopicPostCard {
                x: (list.width - width) / 2
                width: Math.min(820, list.width - 40)
            }
        }

        CommunityMessage {
            objectName: "postsMessage"
            Layout.fillWidth: true
            Layout.margins: 20
            horizontalAlignment: Text.AlignHCenter
            text: vm.postsMessage
        }

        CommunityMessage {
            objectName: "lockedMessage"
            Layout.fillWidth: true
            Layout.margins: 14
            horizontalAlignment: Text.AlignHCenter
            text: vm.acceptsReplies ? "" : "Тема закрыта: ответы не принимаются."
        }

        TopicComposer {
            objectName: "topicComposer"
            Layout.fillWidth: true
            visible: vm.acceptsReplies
            viewModel: vm
        }
    }
}
