import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Chat

// The message field: grows from one line to five, then scrolls. Enter sends, Shift+Enter
// breaks the line, and Enter during an input method's composition belongs to the input
// method. A paste of a picture or of files attaches them instead of pasting text. Misspelled
// words are underlined (not inside `code`), with their menu on a right click, the menu key or
// Shift+F10.
ScrollView {
    id: scroller

    required property ChatComposer viewModel
    signal sendRequested()

    function focusField() { field.forceActiveFocus() }

    readonly property real lineHeight: fontMetrics.lineSpacing
    implicitHeight: Math.min(field.implicitHeight,
                             5 * lineHeight + field.topPadding + field.bottomPadding)
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    FontMetrics {
        id: fontMetrics
        font: field.font
    }

    TextArea {
        id: field
        objectName: "composerField"
        placeholderText: "Напишите сообщение…"
        wrapMode: TextArea.Wrap
        textFormat: TextArea.PlainText
        font.pixelSize: VexaTheme.bodySize + 1
        Accessible.name: "Сообщение"
        Component.onCompleted: text = scroller.viewModel.draft

        onTextChanged: {
            if (scroller.viewModel.draft !== text)
                scroller.viewModel.draft = text
        }
        onActiveFocusChanged: scroller.viewModel.draftFocused = activeFocus

        SpellingSupport {
            id: spelling
            area: field
        }

        Keys.onPressed: event => {
            if (spelling.handleKey(event))
                return
            if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                event.accepted = true
                // Enter during a composition finishes the composition, never sends it.
                if (field.preeditText.length > 0) {
                    Qt.inputMethod.commit()
                    return
                }
                if (event.modifiers & Qt.ShiftModifier)
                    field.insert(field.cursorPosition, "\n")
                else
                    scroller.sendRequested()
            } else if (event.matches(StandardKey.Paste)) {
                if (scroller.viewModel.pasteAttachment())
                    event.accepted = true
            }
        }
    }

    Connections {
        target: scroller.viewModel
        // Programmatic drafts (a quote, a quick prompt, dictation) put the cursor at the end.
        function onDraftChanged() {
            if (field.text !== scroller.viewModel.draft) {
                field.text = scroller.viewModel.draft
                field.cursorPosition = field.length
            }
        }
        function onDraftFocusedChanged() {
            if (scroller.viewModel.draftFocused && !field.activeFocus)
                field.forceActiveFocus()
            else if (!scroller.viewModel.draftFocused && field.activeFocus)
                field.focus = false
        }
    }
}
