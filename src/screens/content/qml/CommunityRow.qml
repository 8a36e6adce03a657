// One tappable list row: a headline, optional secondary lines and a chevron. Enter, Return and
// Space open it like a click.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

ItemDelegate {
    id: row

    property string headline
    property string subtitle
    property string caption
    property bool locked: false
    // What a screen reader says: the lines joined as sentences (see the view-model).
    property string spokenName

    focusPolicy: Qt.StrongFocus
    padding: 10
    Accessible.role: Accessible.Button
    Accessible.name: spokenName
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    background: Rectangle {
        radius: 12
        color: row.down ? VexaTheme.selectionFill
             : row.hovered ? VexaTheme.hoverFill : "transparent"
        border.width: row.visualFocus ? 2 : 0
        border.color: VexaTheme.accent
    }

    contentItem: RowLayout {
        spacing: 10
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3
            RowLayout {
                spacing: 6
                Layout.fillWidth: true
                VexaIcon {
                    visible: row.locked
                    symbol: "lock.fill"
                    size: 16
                    color: VexaTheme.textSecondary
                }
                Text {
                    Layout.fillWidth: true
                    text: row.headline
                    textFormat: Text.PlainText
                    color: VexaTheme.textPrimary
                    font.pixelSize: VexaTheme.bodySize + 1
                    font.weight: Font.DemiBold
                    wrapMode: Text.Wrap
                }
            }
            Text {
                Layout.fillWidth: true
                visible: row.subtitle.length > 0
                text: row.subtitle
                textFormat: Text.PlainText
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.bodySize - 1
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
            }
            Text {
                text: row.caption
                textFormat: Text.PlainText
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
            }
        }
        VexaIcon {
            symbol: "chevron.right"
            size: 20
            color: VexaTheme.textTertiary
        }
    }
}
