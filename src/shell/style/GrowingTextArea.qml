import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import VexaAI.Style

// The app's multi-line field: grows from `minLines` to `maxLines`, then scrolls. Tab and
// Shift+Tab move on (the keyboard is never trapped in it). Ctrl+Enter runs `submitted`; with
// `submitOnEnter` Enter does too and Shift+Enter breaks the line. Enter during an input method's
// composition finishes the composition and never submits it. `framed` draws its own outline
// (for fields on a card without one). Misspelled words are underlined, with their menu on a right
// click, the menu key or Shift+F10 (`spellCheck: false` turns that off). The inner TextArea is
// named `areaName` and reachable as `textArea`; `keyPressed` lets a screen take a key first
// (accepting the event keeps it from the field).
ScrollView {
    id: field

    property alias text: area.text
    property alias fontPixelSize: area.font.pixelSize
    property string placeholderText
    property string accessibleName: placeholderText
    property string areaName
    property int minLines: 1
    property int maxLines: 4
    property bool submitOnEnter: false
    property bool framed: false
    property bool spellCheck: true
    readonly property alias textArea: area
    signal submitted()
    signal keyPressed(var event)

    function focusField() { area.forceActiveFocus() }

    readonly property real lineHeight: metrics.lineSpacing
    readonly property real textPadding: area.topPadding + area.bottomPadding
    implicitHeight: Math.max(minLines * lineHeight + textPadding,
                             Math.min(area.implicitHeight, maxLines * lineHeight + textPadding))
    activeFocusOnTab: false
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    FontMetrics {
        id: metrics
        font: area.font
    }

    TextArea {
        id: area
        objectName: field.areaName
        placeholderText: field.placeholderText
        wrapMode: TextEdit.Wrap
        textFormat: TextEdit.PlainText
        selectByMouse: true
        activeFocusOnTab: true
        font.pixelSize: VexaTheme.bodySize
        color: VexaTheme.textPrimary
        Accessible.name: field.accessibleName

        function returnKey(event) {
            if (area.preeditText.length > 0) {
                event.accepted = true
                Qt.inputMethod.commit()
                return
            }
            const control = event.modifiers & Qt.ControlModifier
            const shift = event.modifiers & Qt.ShiftModifier
            event.accepted = true
            if (control || (field.submitOnEnter && !shift)) {
                field.submitted()
                return
            }
            // A plain line break, over the selection (never the style's soft line separator).
            area.remove(area.selectionStart, area.selectionEnd)
            area.insert(area.cursorPosition, "\n")
        }
        SpellingSupport {
            id: spelling
            area: field.textArea
            checking: field.spellCheck
        }

        Keys.onPressed: event => {
            if (!spelling.handleKey(event))
                field.keyPressed(event)
        }
        Keys.onReturnPressed: event => returnKey(event)
        Keys.onEnterPressed: event => returnKey(event)
        Keys.onTabPressed: event => {
            event.accepted = true
            nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
        }
        Keys.onBacktabPressed: event => {
            event.accepted = true
            nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
        }

        // Framed: an outline of its own; otherwise the style's underline.
        background: Item {
            implicitWidth: 120
            Rectangle {
                anchors.fill: parent
                visible: field.framed
                radius: 12
                color: VexaTheme.fieldFill
                border.width: area.activeFocus ? 2 : 1
                border.color: area.activeFocus ? VexaTheme.accent : VexaTheme.cardOutline
            }
            Rectangle {
                visible: !field.framed
                width: parent.width
                y: parent.height - height - area.bottomPadding / 2
                height: area.activeFocus ? 2 : 1
                color: area.activeFocus ? area.Material.accentColor : area.Material.hintTextColor
            }
        }
    }
}
