// The open file: its name in a small monospaced caption over a monospaced code editor with line
// numbers, the current line marked and syntax colours for the file's language. The store's text
// is pushed into the editor when it changes there (a file opened, closed or reloaded), and the
// editor's text goes back to the store only when the user edits it, so merely showing a file
// never changes what a later save writes.
//
// The editor's own keys are all in keyPressed() below: Enter keeps the indentation, Tab and
// Shift+Tab indent and outdent, Ctrl+/ comments lines, Ctrl+F, Ctrl+H and Ctrl+G open the find
// bar (find, replace, go to a line), F3 and Shift+F3 step through the matches; Ctrl+Tab, or Esc then Tab, leave the
// editor so a keyboard user is never held in it.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Highlight
import VexaAI.Style

ColumnLayout {
    id: pane

    required property CodeProjectStore store
    // Save the file (the view-model's save: its notice says how it went).
    signal saveRequested()

    spacing: 6

    Label {
        textFormat: Text.PlainText
        objectName: "fileCaption"
        // A dot before the name while the file has unsaved changes.
        text: (pane.store.modified ? "● " : "") + pane.store.selectedFile
        font.family: "monospace"
        font.pixelSize: VexaTheme.captionSize
        color: VexaTheme.textSecondary
        elide: Text.ElideMiddle
        Layout.fillWidth: true
        Layout.leftMargin: 4
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    Label {
        objectName: "readOnlyLine"
        visible: pane.store.readOnly
        textFormat: Text.PlainText
        text: pane.store.readOnlyReason
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        Layout.fillWidth: true
        Layout.leftMargin: 4
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    CodeDiskChangeBar {
        store: pane.store
        Layout.fillWidth: true
        onSaveRequested: pane.saveRequested()
    }

    CodeFindBar {
        id: findBar
        objectName: "findBar"
        editor: editor
        editing: editing
        Layout.fillWidth: true
    }

    RowLayout {
        spacing: 0
        Layout.fillWidth: true
        Layout.fillHeight: true

        CodeLineGutter {
            flickable: flick
            editor: editor
            font: editor.font
            Layout.fillHeight: true
        }

        CodeScroller {
            id: flick

            editor: editor
            Layout.fillWidth: true
            Layout.fillHeight: true

            CodeEditorView {
                id: editor

                property bool loading: false
                // Esc was the last key: the next Tab leaves the editor.
                property bool leaving: false

                objectName: "editor"
                width: flick.editorWidth
                height: flick.editorHeight
                viewport: Qt.rect(flick.contentX - x, flick.contentY - y, flick.width, flick.height)
                leftPadding: 6
                rightPadding: 6
                topPadding: 6
                bottomPadding: 6
                font.family: "monospace"
                font.pixelSize: 14
                color: VexaTheme.textPrimary
                backgroundColor: VexaTheme.codeBackground
                selectionColor: VexaTheme.selectionFill
                currentLineColor: Qt.tint(VexaTheme.codeBackground, VexaTheme.hoverFill)
                cursorColor: VexaTheme.accent
                readOnly: pane.store.readOnly
                tabStopDistance: editing.indentWidth * fontMetrics.advanceWidth(" ")
                Accessible.role: Accessible.EditableText
                Accessible.name: pane.store.selectedFile
                Accessible.description: qsTr("Редактор кода. Tab вставляет отступ; Ctrl+Tab или Esc, затем Tab — перейти дальше")
                Component.onCompleted: {
                    load()
                    pane.store.editorDocument = document
                }
                Component.onDestruction: pane.store.editorDocument = null
                // Only marks the text as edited: the store takes it when it needs it, so a key
                // in a large file does not copy the whole text.
                onTextChanged: {
                    if (!loading)
                        pane.store.editorEdited()
                }
                Keys.onPressed: event => pane.keyPressed(event)
                // Ctrl+/ is the window's shortcuts sheet elsewhere; here it comments lines.
                Keys.onShortcutOverride: event => {
                    event.accepted = (event.modifiers & Qt.ControlModifier) !== 0
                            && event.key === Qt.Key_Slash && editing.canComment && !editor.readOnly
                }

                function load() {
                    if (length === pane.store.editorText.length && text === pane.store.editorText)
                        return
                    loading = true
                    text = pane.store.editorText
                    loading = false
                    editing.detect()
                }

                FontMetrics {
                    id: fontMetrics
                    font: editor.font
                }
                Connections {
                    target: pane.store
                    function onEditorTextChanged() { editor.load() }
                }
            }
        }
    }

    Label {
        objectName: "editorStatus"
        readonly property point place: editing.lineColumn(editor.cursorPosition)
        textFormat: Text.PlainText
        text: place.x + ":" + place.y + "  ·  " + editing.indentName + "  ·  "
              + pane.store.lineEndingName + "  ·  UTF-8"
        font.pixelSize: VexaTheme.captionSize
        color: VexaTheme.textSecondary
        horizontalAlignment: Text.AlignRight
        Layout.fillWidth: true
        Layout.rightMargin: 4
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    CodeEditing {
        id: editing
        document: editor.document
        fileName: pane.store.selectedFile
    }

    EditorHighlighter {
        document: editor.document
        language: editing.language
    }

    // An answer's code in place of the selection, or at the cursor: one undo step. The cursor
    // goes after it and the focus to the text.
    function insertCode(code) {
        if (editor.readOnly || code.length === 0)
            return false
        const range = editing.insert(editor.selectionStart, editor.selectionEnd, code)
        editor.cursorPosition = range.y
        editor.forceActiveFocus()
        return true
    }

    function selectRange(range) {
        editor.select(range.x, range.y)
    }

    function keyPressed(event) {
        if (editor.readOnly && event.key !== Qt.Key_F && event.key !== Qt.Key_G && event.key !== Qt.Key_F3)
            return
        const ctrl = (event.modifiers & Qt.ControlModifier) !== 0
        const shift = (event.modifiers & Qt.ShiftModifier) !== 0
        const leaving = editor.leaving
        editor.leaving = event.key === Qt.Key_Escape && !findBar.visible
        if (event.key === Qt.Key_Escape && findBar.visible) {
            findBar.close()
        } else if (ctrl && event.key === Qt.Key_F) {
            findBar.open("find")
        } else if (ctrl && event.key === Qt.Key_H) {
            findBar.open("replace")
        } else if (ctrl && event.key === Qt.Key_G) {
            findBar.open("line")
        } else if (event.key === Qt.Key_F3) {
            findBar.step(!shift)
        } else if (event.key === Qt.Key_Tab && (ctrl || leaving)) {
            editor.nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
        } else if (event.key === Qt.Key_Backtab && (ctrl || leaving)) {
            editor.nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
        } else if (event.key === Qt.Key_Tab && !(event.modifiers & Qt.ShiftModifier)) {
            selectRange(editing.tab(editor.selectionStart, editor.selectionEnd))
        } else if (event.key === Qt.Key_Backtab || (event.key === Qt.Key_Tab && (event.modifiers & Qt.ShiftModifier))) {
            selectRange(editing.backtab(editor.selectionStart, editor.selectionEnd))
        } else if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter) && !ctrl) {
            editor.cursorPosition = editing.newline(editor.selectionStart, editor.selectionEnd)
        } else if (ctrl && event.key === Qt.Key_Slash && editing.canComment) {
            selectRange(editing.toggleComment(editor.selectionStart, editor.selectionEnd))
        } else {
            return
        }
        event.accepted = true
    }
}
