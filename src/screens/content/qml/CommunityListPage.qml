// The front page: the heading with the refresh button, then one list holding the forum card and
// the groups card, whose rows are created as they come into sight (hundreds of topics open at
// once), and the new-topic dialog. Tab, Shift+Tab and the arrows go row by row in the list's
// order, reach rows not yet created, and the list scrolls to the row that has the focus.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

FocusScope {
    id: page

    required property CommunityViewModel viewModel
    readonly property ListView list: rows
    // The page is the one shown (not covered by a topic or a group, nor sliding away).
    readonly property bool shown: StackView.view === null || StackView.status === StackView.Active

    signal topicOpened(int row)
    signal communityOpened(int row)

    function reload() { viewModel.reload() }

    // The forum header (its button), the topics and the groups take the focus; the groups
    // card's header does not.
    function focusable(index) {
        return index >= 0 && index < rows.count && index !== viewModel.topics.count + 1
    }

    function focusRow(index, reason) {
        if (index === 0)
            rows.positionViewAtBeginning()
        else
            rows.positionViewAtIndex(index, ListView.Contain)
        rows.currentIndex = index
        const target = rows.itemAtIndex(index)
        if (target)
            target.forceActiveFocus(reason)
    }

    // From a row, a step forward or back; Tab and Shift+Tab leave the list at its ends, the
    // arrows stop there.
    function step(from, by, leave) {
        let next = from + by
        while (next >= 0 && next < rows.count && !focusable(next))
            next += by
        if (focusable(next))
            focusRow(next, by > 0 ? Qt.TabFocusReason : Qt.BacktabFocusReason)
        else if (leave && by < 0)
            refresh.forceActiveFocus(Qt.BacktabFocusReason)
        else if (leave)
            after.nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
    }

    Component.onCompleted: viewModel.reload()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.maximumWidth: 820
            Layout.alignment: Qt.AlignHCenter
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 20
            Text {
                Layout.fillWidth: true
                text: "Сообщество"
                textFormat: Text.PlainText
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
            IconButton {
                symbolSize: 22
                id: refresh
                objectName: "refreshButton"
                symbol: "arrow.clockwise"
                label: "Обновить"
                focus: true
                onClicked: page.viewModel.reload()
                Keys.onTabPressed: event => {
                    event.accepted = page.shown && !(event.modifiers & Qt.ShiftModifier)
                    if (event.accepted)
                        page.step(-1, 1, true)
                }
            }
        }

        ListView {
            id: rows
            objectName: "communityFront"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: page.viewModel.rows
            currentIndex: -1
            keyNavigationEnabled: false
            highlightFollowsCurrentItem: false
            boundsBehavior: Flickable.StopAtBounds
            Accessible.role: Accessible.List
            Accessible.name: "Сообщество"
            ScrollBar.vertical: ScrollBar {}
            header: Item { height: 16 }
            footer: Item { height: 4 }
            delegate: CommunityFrontRow {
                x: (rows.width - width) / 2
                width: Math.min(820, rows.width - 40)
                viewModel: page.viewModel
                stepping: page.shown
                // A row that takes the focus (a click, a key) is the list's current one and in sight.
                onActiveFocusChanged: if (activeFocus && rows.currentIndex !== index) page.focusRow(index, Qt.OtherFocusReason)
                // Its lines settle after it was brought in sight (layouts polish later).
                onHeightChanged: if (activeFocus) rows.positionViewAtIndex(index, ListView.Contain)
                onStepped: (from, by, leave) => page.step(from, by, leave)
                onOpened: (kind, place) => kind === "topic" ? page.topicOpened(place)
                                                            : page.communityOpened(place)
            }
        }
    }

    // Where Tab goes after the list's last row: the next control after this page.
    Item { id: after }

    CommunityNewTopicDialog {
        viewModel: page.viewModel
    }
}
