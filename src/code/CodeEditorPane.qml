// The open file: its name in a small monospaced caption over a monospaced plain-text editor.
// The store's text is pushed into the editor when it changes there (a file opened, closed or
// reloaded), and the editor's text goes back to the store only when the user edits it, so
// merely showing a file never changes what a later save writes.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

ColumnLayout {
    id: pane

    required property CodeProjectStore store

    spacing: 6

    Label {
        textFormat: Text.PlainText
        text: pane.store.selectedFile
        font.family: "monospace"
        font.pixelSize: VexaTheme.captionSize
        color: VexaTheme.textSecondary
        elide: Text.ElideMiddle
        Layout.fillWidth: true
        Layout.leftMargin: 4
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    ScrollView {
        Layout.fillWidth: true
        Layout.fillHeight: true

        TextArea {
            id: editor

            property bool loading: false

            objectName: "editor"
            font.family: "monospace"
            font.pixelSize: 14
            color: VexaTheme.textPrimary
            selectionColor: VexaTheme.selectionFill
            background: null
            textFormat: TextEdit.PlainText
            wrapMode: TextEdit.NoWrap
            selectByMouse: true
            persistentSelection: true
            tabStopDistance: 4 * fontMetrics.advanceWidth(" ")
            Accessible.name: pane.store.selectedFile
            Component.onCompleted: load()
            onTextChanged: {
                if (!loading)
                    pane.store.editorText = text
            }

            function load() {
                if (text === pane.store.editorText)
                    return
                loading = true
                text = pane.store.editorText
                loading = false
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
