// The community section: the forum and the groups, with a topic or a group pushed on top of
// them. F5 reloads what is on screen; Esc (or "Готово") goes back to the lists.
import QtQuick
import QtQuick.Controls
import VexaAI.Content
import VexaAI.Style

Item {
    id: root

    readonly property CommunityViewModel viewModel: vm
    readonly property StackView stack: pages

    function openTopic(row) { pages.push(topicPage, { topic: vm.topicAt(row) }) }
    function openCommunity(row) { pages.push(groupPage, { community: vm.communityAt(row) }) }

    CommunityViewModel {
        id: vm
    }

    StackView {
        id: pages
        objectName: "communityStack"
        anchors.fill: parent
        focus: true
        initialItem: CommunityListPage {
            viewModel: vm
            onTopicOpened: row => root.openTopic(row)
            onCommunityOpened: row => root.openCommunity(row)
        }
        onCurrentItemChanged: if (currentItem) currentItem.forceActiveFocus()
    }

    Component {
        id: topicPage
        TopicDetailView {
            onDone: pages.pop()
        }
    }

    Component {
        id: groupPage
        CommunityDetailView {
            onDone: pages.pop()
        }
    }

    Shortcut {
        sequences: VexaShortcuts.keys("community.refresh")
        enabled: root.visible
        onActivated: pages.currentItem.reload()
    }

    Shortcut {
        sequences: VexaShortcuts.keys("community.back")
        enabled: root.visible && pages.depth > 1
        onActivated: pages.pop()
    }
}
