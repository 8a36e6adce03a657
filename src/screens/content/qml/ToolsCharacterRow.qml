import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Chat
import VexaAI.Content
import VexaAI.Style

// One character: portrait (or emoji), name and story, and the button its flags allow. The row
// is a focus scope: when its "Включить" turns into the disabled "Активен", the keyboard stays
// on the row (Tab goes on from here) instead of falling out of the list.
FocusScope {
    id: row

    required property int index
    required property string rowId
    required property string name
    required property string story
    required property string emoji
    required property url portrait
    required property string button
    required property ToolsViewModel viewModel

    implicitHeight: layout.implicitHeight
    implicitWidth: layout.implicitWidth
    Accessible.role: Accessible.ListItem
    Accessible.name: button === "active" ? name + ": Активен" : name

    // Tab and Shift+Tab from the row itself go on from where its button is.
    Keys.onTabPressed: (event) => row.passFocus(event, true)
    Keys.onBacktabPressed: (event) => row.passFocus(event, false)
    function passFocus(event, forward) {
        const next = row.Window.activeFocusItem === row ? enable.nextItemInFocusChain(forward) : null
        if (next)
            next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
        event.accepted = next !== null
    }

    FocusRing {
        target: row.activeFocus && !enable.activeFocus && !link.activeFocus ? row : null
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        spacing: 12

        ToolsPortrait {
            Layout.alignment: Qt.AlignTop
            source: row.portrait
            emoji: row.emoji
            name: row.name
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Label {
                Layout.fillWidth: true
                text: row.name
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.bodySize + 1
                font.weight: Font.DemiBold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                Layout.fillWidth: true
                visible: text.length > 0
                text: row.story
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.captionSize + 1
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        TextButton {
            id: enable
            objectName: "characterButton_" + row.rowId
            visible: row.button === "active" || row.button === "enable"
            text: row.button === "active" ? "Активен" : "Включить"
            enabled: row.button === "enable" && !row.viewModel.activating
            onClicked: row.viewModel.activateCharacter(row.rowId)
            Keys.onReturnPressed: clicked()
            Accessible.name: text + ": " + row.name
        }
        TextButton {
            id: link
            objectName: "characterLink_" + row.rowId
            visible: row.button === "open"
            text: "Открыть"
            onClicked: row.viewModel.openPurchaseLink(row.index)
            Keys.onReturnPressed: clicked()
            Accessible.name: text + ": " + row.name
        }
    }
}
