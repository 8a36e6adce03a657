import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A multi-line text field that grows from `minLines` to `maxLines`, then scrolls. Tab leaves
// it (a line break is Shift+Enter or Enter); Ctrl+Enter runs `submitted`.
ScrollView {
    id: field

    property alias text: area.text
    property alias placeholderText: area.placeholderText
    property string accessibleName
    property int minLines: 3
    property int maxLines: 7
    signal submitted()

    readonly property real lineHeight: fontMetrics.lineSpacing
    implicitHeight: Math.min(Math.max(area.implicitHeight, minLines * lineHeight + area.topPadding + area.bottomPadding),
                             maxLines * lineHeight + area.topPadding + area.bottomPadding)
    activeFocusOnTab: false

    function focusField() { area.forceActiveFocus() }

    FontMetrics {
        id: fontMetrics
        font: area.font
    }
    TextArea {
        id: area
        objectName: field.objectName + "Area"
        wrapMode: TextEdit.Wrap
        font.pixelSize: VexaTheme.bodySize
        color: VexaTheme.textPrimary
        activeFocusOnTab: true
        Keys.onTabPressed: event => { nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason) }
        Keys.onBacktabPressed: event => { nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason) }
        Keys.onPressed: event => {
            if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                    && (event.modifiers & Qt.ControlModifier)) {
                field.submitted()
                event.accepted = true
            }
        }
        Accessible.name: field.accessibleName
        background: Rectangle {
            radius: 12
            color: Qt.rgba(1, 1, 1, 0.05)
            border.width: area.activeFocus ? 2 : 1
            border.color: area.activeFocus ? VexaTheme.accent : VexaTheme.cardOutline
        }
    }
}
