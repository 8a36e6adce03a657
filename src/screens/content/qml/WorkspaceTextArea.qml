import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A multi-line field that grows from minLines to maxLines and scrolls beyond. Ctrl+Enter
// submits; with submitOnEnter, Enter submits and Shift+Enter breaks the line. Tab moves on.
ScrollView {
    id: field

    property alias text: area.text
    property string placeholder
    property int minLines: 2
    property int maxLines: 4
    property bool submitOnEnter: false
    readonly property alias textArea: area
    signal submitted()

    readonly property real textPadding: area.topPadding + area.bottomPadding
    implicitHeight: Math.max(minLines * metrics.lineSpacing + textPadding,
                             Math.min(area.implicitHeight, maxLines * metrics.lineSpacing + textPadding))

    FontMetrics {
        id: metrics
        font: area.font
    }

    TextArea {
        id: area
        placeholderText: field.placeholder
        wrapMode: TextEdit.Wrap
        textFormat: TextEdit.PlainText
        selectByMouse: true
        font.pixelSize: VexaTheme.bodySize
        Accessible.name: field.placeholder

        function submitKey(event) {
            const control = event.modifiers & Qt.ControlModifier
            const shift = event.modifiers & Qt.ShiftModifier
            if (control || (field.submitOnEnter && !shift)) {
                event.accepted = true
                field.submitted()
            } else {
                event.accepted = false
            }
        }
        Keys.onReturnPressed: (event) => submitKey(event)
        Keys.onEnterPressed: (event) => submitKey(event)
        Keys.onTabPressed: (event) => {
            event.accepted = true
            nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
        }
        Keys.onBacktabPressed: (event) => {
            event.accepted = true
            nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
        }
    }
}
