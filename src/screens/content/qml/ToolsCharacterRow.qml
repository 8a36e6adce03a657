import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

// One character: portrait (or emoji), name and story, and the button its flags allow.
RowLayout {
    id: row

    required property var modelData
    required property int index
    required property ToolsViewModel viewModel

    spacing: 12

    ToolsPortrait {
        Layout.alignment: Qt.AlignTop
        source: row.modelData.portrait
        emoji: row.modelData.emoji
        name: row.modelData.name
    }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 2
        Label {
            Layout.fillWidth: true
            text: row.modelData.name
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
            text: row.modelData.story
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.captionSize + 1
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
    Button {
        font.capitalization: Font.MixedCase
        objectName: "characterButton_" + row.modelData.characterID
        visible: row.modelData.button === "active" || row.modelData.button === "enable"
        text: row.modelData.button === "active" ? "Активен" : "Включить"
        enabled: row.modelData.button === "enable" && !row.viewModel.activating
        onClicked: row.viewModel.activateCharacter(row.modelData.characterID)
        Keys.onReturnPressed: clicked()
        Accessible.name: text + ": " + row.modelData.name
    }
    Button {
        font.capitalization: Font.MixedCase
        objectName: "characterLink_" + row.modelData.characterID
        visible: row.modelData.button === "open"
        text: "Открыть"
        onClicked: row.viewModel.openPurchaseLink(row.index)
        Keys.onReturnPressed: clicked()
        Accessible.name: text + ": " + row.modelData.name
    }
}
