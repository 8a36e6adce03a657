// One group, pushed over the lists: description, members, join or leave, the posts with likes
// and, for members, the post bar. Tab reaches the post list, where the arrows move between
// posts and Enter likes the one that has the focus (a clicked post is the current one).
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import VexaAI.Content
import VexaAI.Style

FocusScope {
    id: page

    property alias community: vm.community
    readonly property CommunityDetailViewModel viewModel: vm

    signal done()

    function reload() { vm.reload() }

    CommunityDetailViewModel {
        id: vm
    }

    Component.onCompleted: vm.reload()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        CommunityPageHeader {
            Layout.fillWidth: true
            Layout.margins: 10
            title: vm.name
            loading: vm.loading
            focus: true
            onDone: page.done()
            onRefresh: vm.reload()
        }

        // The group's header stays above the posts, outside the list's focus scope, so Tab
        // goes from the button to the posts and back predictably.
        ColumnLayout {
            Layout.fillWidth: true
            Layout.leftMargin: Math.max(20, (page.width - 820) / 2)
            Layout.rightMargin: Layout.leftMargin
            spacing: 10
            CommunityDescription {
                objectName: "groupDescription"
                Layout.fillWidth: true
                text: vm.description
                maximumOpenHeight: Math.max(120, page.height * 0.35)
            }
            RowLayout {
                Layout.fillWidth: true
                Text {
                    textFormat: Text.PlainText
                    text: vm.membersText
                    color: VexaTheme.textPrimary
                    font.pixelSize: VexaTheme.bodySize
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Item { Layout.fillWidth: true }
                TextButton {
                    objectName: "membershipButton"
                    text: vm.membershipLabel
                    focusPolicy: Qt.StrongFocus
                    onClicked: vm.toggleMembership()
                }
            }
            CommunityMessage {
                objectName: "postsMessage"
                Layout.fillWidth: true
                text: vm.postsMessage
            }
        }

        ListView {
            id: list
            objectName: "groupPosts"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 12
            model: vm.posts
            activeFocusOnTab: true
            keyNavigationEnabled: true
            currentIndex: -1
            Accessible.role: Accessible.List
            Accessible.name: vm.name
            // Tab into the list starts at the first post; a click into a post's text makes that
            // post the current one instead (the post reports it), and its text keeps the focus.
            onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0
                                      && Window.activeFocusItem === list) currentIndex = 0
            Keys.onReturnPressed: if (currentIndex >= 0) vm.like(vm.posts.idAt(currentIndex))
            Keys.onEnterPressed: if (currentIndex >= 0) vm.like(vm.posts.idAt(currentIndex))
            ScrollBar.vertical: ScrollBar {}
            header: Item { height: 8 }
            footer: Item { height: 12 }
            delegate: CommunityPostCard {
                x: (list.width - width) / 2
                width: Math.min(820, list.width - 40)
                current: list.activeFocus && ListView.isCurrentItem
                onLiked: postId => vm.like(postId)
                onActivated: row => list.currentIndex = row
            }
        }

        CommunityComposer {
            objectName: "groupComposer"
            Layout.fillWidth: true
            visible: vm.isMember
            viewModel: vm
        }
    }
}
