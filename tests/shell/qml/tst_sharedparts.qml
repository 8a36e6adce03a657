import QtQuick
import QtQuick.Controls
import QtTest
import VexaAI.Style

// The shared screen parts' keyboard rules: what Enter does in the growing field with and without
// submitOnEnter, that Tab leaves it, and that the confirmation dialog opens on its safe button.
TestCase {
    id: testCase
    name: "SharedParts"
    when: windowShown
    width: 600
    height: 400
    visible: true

    Column {
        width: 400
        GrowingTextArea { id: field; width: 400; areaName: "probeArea" }
        Button { id: after; text: "Дальше" }
    }
    SignalSpy { id: submits; target: field; signalName: "submitted" }

    ConfirmationDialog { id: dialog; title: "Удалить?" }
    SignalSpy { id: confirms; target: dialog; signalName: "confirmed" }
    SignalSpy { id: dismissals; target: dialog; signalName: "dismissed" }

    function init() {
        field.text = "ab"
        field.textArea.forceActiveFocus()
        field.textArea.cursorPosition = 2
        submits.clear()
    }

    function test_returnKey_data() {
        return [
            // Enter sends in a composer: a line break there would lose the send.
            { tag: "Enter submits on enter", onEnter: true, modifiers: Qt.NoModifier, submitted: 1, text: "ab" },
            { tag: "Shift+Enter breaks the line", onEnter: true, modifiers: Qt.ShiftModifier, submitted: 0, text: "ab\n" },
            { tag: "Ctrl+Enter submits on enter", onEnter: true, modifiers: Qt.ControlModifier, submitted: 1, text: "ab" },
            // A form field: Enter is a line break, only Ctrl+Enter runs it.
            { tag: "Enter breaks the line", onEnter: false, modifiers: Qt.NoModifier, submitted: 0, text: "ab\n" },
            { tag: "Ctrl+Enter submits", onEnter: false, modifiers: Qt.ControlModifier, submitted: 1, text: "ab" },
        ]
    }
    function test_returnKey(data) {
        field.submitOnEnter = data.onEnter
        keyClick(Qt.Key_Return, data.modifiers)
        compare(submits.count, data.submitted)
        compare(field.text, data.text)
        init()
        keyClick(Qt.Key_Enter, data.modifiers) // the keypad's Enter is the same key
        compare(submits.count, data.submitted)
    }

    function test_tabLeaves() {
        keyClick(Qt.Key_Tab)
        verify(after.activeFocus, "Tab typed into the field instead of moving on")
        compare(field.text, "ab")
        keyClick(Qt.Key_Backtab)
        verify(field.textArea.activeFocus)
    }

    function test_growsToMaxLines() {
        field.minLines = 1
        field.maxLines = 3
        const one = field.implicitHeight
        field.text = "1\n2\n3"
        fuzzyCompare(field.implicitHeight - one, 2 * field.lineHeight, 2)
        const three = field.implicitHeight
        field.text = "1\n2\n3\n4\n5\n6\n7\n8\n9"
        compare(field.implicitHeight, three) // beyond maxLines it scrolls
        field.text = ""
        compare(field.implicitHeight, one) // never below minLines
    }

    function test_confirmationOpensOnTheSafeButton_data() {
        return [
            { tag: "Enter on the opening button", keys: [Qt.Key_Return], confirmed: 0, dismissed: 1 },
            { tag: "Esc", keys: [Qt.Key_Escape], confirmed: 0, dismissed: 1 },
            { tag: "Tab to the red button", keys: [Qt.Key_Tab, Qt.Key_Return], confirmed: 1, dismissed: 0 },
        ]
    }
    function test_confirmationOpensOnTheSafeButton(data) {
        confirms.clear()
        dismissals.clear()
        dialog.open()
        tryCompare(dialog, "opened", true, 5000 * timeoutScale)
        for (const key of data.keys)
            keyClick(key)
        tryCompare(dialog, "visible", false, 5000 * timeoutScale)
        compare(confirms.count, data.confirmed)
        compare(dismissals.count, data.dismissed)
    }
}
