import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Chat

// The message field: the app's growing field, one line to five. Enter sends, Shift+Enter breaks
// the line, Tab moves on, and Enter during an input method's composition belongs to the input
// method. A paste of a picture or of files attaches them instead of pasting text. Misspelled
// words are underlined, with their menu on a right click, the menu key or Shift+F10. The draft
// lives in the view-model, so nothing typed is lost when the screen is left and made again.
GrowingTextArea {
    id: field

    required property ChatComposer viewModel
    signal sendRequested()

    areaName: "composerField"
    placeholderText: "Напишите сообщение…"
    accessibleName: "Сообщение"
    minLines: 1
    maxLines: 5
    submitOnEnter: true
    fontPixelSize: VexaTheme.bodySize + 1
    Component.onCompleted: text = viewModel.draft

    onTextChanged: {
        if (viewModel.draft !== text)
            viewModel.draft = text
    }
    onSubmitted: sendRequested()
    onKeyPressed: event => {
        if (event.matches(StandardKey.Paste) && viewModel.pasteAttachment())
            event.accepted = true
    }

    Connections {
        target: field.textArea
        function onActiveFocusChanged() { field.viewModel.draftFocused = field.textArea.activeFocus }
    }
    Connections {
        target: field.viewModel
        // Programmatic drafts (a quote, a quick prompt, dictation) put the cursor at the end.
        function onDraftChanged() {
            if (field.text !== field.viewModel.draft) {
                field.text = field.viewModel.draft
                field.textArea.cursorPosition = field.textArea.length
            }
        }
        function onDraftFocusedChanged() {
            if (field.viewModel.draftFocused && !field.textArea.activeFocus)
                field.focusField()
            else if (!field.viewModel.draftFocused && field.textArea.activeFocus)
                field.textArea.focus = false
        }
    }
}
