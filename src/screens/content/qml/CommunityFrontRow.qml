// One row of the front page's list: a card's header (the forum's with "Новая тема", each with
// its "nothing here" line), a topic or a group. The rows of one card draw it between them.
// Tab, Shift+Tab and the arrows are handed to the page, which knows the rows not yet created.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

FocusScope {
    id: row

    required property int index
    required property string kind
    required property string headline
    required property string subtitle
    required property string caption
    required property bool closed
    required property string spoken
    property CommunityViewModel viewModel
    // Off while the page is not the one shown (another slides over it): keys then take their
    // usual way, so no row pulls the focus back into a page going out of sight.
    property bool stepping: true

    // The row's place among the topics or the groups.
    readonly property int topicCount: viewModel ? viewModel.topics.count : 0
    readonly property int groupCount: viewModel ? viewModel.communities.count : 0
    readonly property bool header: kind === "forum" || kind === "groups"
    readonly property int place: kind === "topic" ? index - 1
                               : kind === "group" ? index - 2 - topicCount : -1
    readonly property bool lastOfCard: kind === "forum" ? topicCount === 0
                                     : kind === "topic" ? place === topicCount - 1
                                     : kind === "groups" ? groupCount === 0
                                     : place === groupCount - 1
    readonly property real gap: lastOfCard && index < topicCount + 1 ? 20 : 0

    signal opened(string kind, int place)
    signal stepped(int index, int step, bool leave)

    implicitHeight: segment.height + gap

    // Tab and Shift+Tab are taken by the focused control itself (it is on the Tab chain), so the
    // row's controls hand them over; the arrows come up to the row.
    function tab(event) {
        event.accepted = row.stepping
        if (!row.stepping)
            return
        const back = event.key === Qt.Key_Backtab || (event.modifiers & Qt.ShiftModifier)
        row.stepped(row.index, back ? -1 : 1, true)
    }

    Keys.onDownPressed: event => {
        event.accepted = row.stepping
        if (row.stepping)
            row.stepped(row.index, 1, false)
    }
    Keys.onUpPressed: event => {
        event.accepted = row.stepping
        if (row.stepping)
            row.stepped(row.index, -1, false)
    }

    CommunityCardSegment {
        id: segment
        width: row.width
        height: content.implicitHeight + content.anchors.topMargin + (row.lastOfCard ? 18 : 0)
        first: row.header
        last: row.lastOfCard
    }

    Loader {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 18
        anchors.rightMargin: 18
        anchors.topMargin: row.header ? 18 : 8
        focus: true
        sourceComponent: row.kind === "forum" ? forumHeader
                       : row.kind === "groups" ? groupsHeader : item
    }

    Component {
        id: forumHeader
        ColumnLayout {
            spacing: 8
            RowLayout {
                Layout.fillWidth: true
                CardHeader {
                    symbolColor: VexaTheme.accentSecondary
                    symbolSize: 22
                    symbol: "bubble.left.and.bubble.right.fill"
                    title: "Форум Vexa"
                }
                Item { Layout.fillWidth: true }
                TextButton {
                    objectName: "newTopicButton"
                    text: "Новая тема"
                    focus: true
                    focusPolicy: Qt.StrongFocus
                    Keys.onTabPressed: event => row.tab(event)
                    Keys.onBacktabPressed: event => row.tab(event)
                    onClicked: row.viewModel.beginCreate()
                }
            }
            CommunityMessage {
                objectName: "topicsMessage"
                Layout.fillWidth: true
                text: row.viewModel ? row.viewModel.topicsMessage : ""
            }
        }
    }

    Component {
        id: groupsHeader
        ColumnLayout {
            spacing: 8
            CardHeader {
                symbolColor: VexaTheme.accentSecondary
                symbolSize: 22
                symbol: "person.3.fill"
                title: "Группы Vexa"
            }
            CommunityMessage {
                objectName: "communitiesMessage"
                Layout.fillWidth: true
                text: row.viewModel ? row.viewModel.communitiesMessage : ""
            }
        }
    }

    Component {
        id: item
        CommunityRow {
            objectName: (row.kind === "topic" ? "topicRow" : "communityRow") + row.place
            focus: true
            headline: row.headline
            subtitle: row.subtitle
            caption: row.caption
            locked: row.closed
            spokenName: row.spoken
            Keys.onTabPressed: event => row.tab(event)
            Keys.onBacktabPressed: event => row.tab(event)
            onClicked: row.opened(row.kind, row.place)
        }
    }
}
