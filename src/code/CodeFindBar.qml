// The find bar over the editor: find (Ctrl+F), find and replace (Ctrl+H) or go to a line
// (Ctrl+G). Enter / Shift+Enter step through the matches, Esc closes the bar and gives the focus
// back to the text. The search itself is CodeFind's, off the main thread.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

Rectangle {
    id: bar

    required property CodeEditorView editor
    required property CodeEditing editing
    // "find", "replace" or "line"; "" when closed.
    property string mode: ""
    // After a replace: go to the next match once the text has been searched again.
    property bool advancePending: false

    visible: mode !== ""
    implicitHeight: rows.implicitHeight + 8
    color: VexaTheme.chromeFill
    border.color: VexaTheme.separator
    radius: 6

    function open(newMode) {
        mode = newMode
        const field = newMode === "line" ? lineField : findField
        if (newMode !== "line" && editor.selectedText.length > 0 && editor.selectedText.indexOf("\u2029") < 0)
            findField.text = editor.selectedText
        field.forceActiveFocus()
        field.selectAll()
    }
    function close() {
        mode = ""
        editor.forceActiveFocus()
    }
    function show(range) {
        if (range.x >= 0)
            editor.select(range.x, range.y)
    }
    function step(forward) {
        if (mode === "" || mode === "line")
            open("find")
        show(forward ? find.next(editor.selectionEnd) : find.previous(editor.selectionStart))
    }
    function goToLine() {
        const line = parseInt(lineField.text)
        if (isNaN(line))
            return
        editor.cursorPosition = editing.positionOfLine(line)
        close()
    }

    CodeFind {
        id: find
        document: bar.mode === "find" || bar.mode === "replace" ? bar.editor.document : null
        query: findField.text
        onResultsChanged: {
            if (bar.advancePending && !busy) {
                bar.advancePending = false
                bar.show(next(bar.editor.cursorPosition))
            }
        }
    }

    Keys.onEscapePressed: close()
    // Ctrl+F, Ctrl+H and Ctrl+G also switch the bar while its fields have the focus.
    Keys.onPressed: event => {
        if (!(event.modifiers & Qt.ControlModifier))
            return
        if (event.key === Qt.Key_F)
            open("find")
        else if (event.key === Qt.Key_H)
            open("replace")
        else if (event.key === Qt.Key_G)
            open("line")
        else
            return
        event.accepted = true
    }

    ColumnLayout {
        id: rows
        anchors.fill: parent
        anchors.margins: 4
        spacing: 2

        // One row when the bar is wide enough; when narrow, the field and its options on the
        // first and the count, the steps and the close button under them.
        GridLayout {
            visible: bar.mode !== "line"
            columns: bar.width >= 470 ? 8 : 4
            rowSpacing: 2
            columnSpacing: 4
            Layout.fillWidth: true
            TextField {
                id: findField
                objectName: "findField"
                placeholderText: qsTr("Найти")
                Accessible.name: qsTr("Найти")
                selectByMouse: true
                Layout.fillWidth: true
                Layout.minimumWidth: 90
                Keys.onReturnPressed: event => bar.step(!(event.modifiers & Qt.ShiftModifier))
                Keys.onEnterPressed: event => bar.step(!(event.modifiers & Qt.ShiftModifier))
                Keys.onEscapePressed: bar.close()
            }
            ToolButton {
                Layout.preferredWidth: contentItem.implicitWidth + 14
                text: "Aa"
                checkable: true
                checked: find.caseSensitive
                onToggled: find.caseSensitive = checked
                Accessible.name: qsTr("Учитывать регистр")
                ToolTip.text: qsTr("Учитывать регистр")
                ToolTip.visible: hovered
            }
            ToolButton {
                Layout.preferredWidth: contentItem.implicitWidth + 14
                text: qsTr("Слово")
                checkable: true
                checked: find.wholeWords
                onToggled: find.wholeWords = checked
                Accessible.name: qsTr("Слово целиком")
            }
            ToolButton {
                Layout.preferredWidth: contentItem.implicitWidth + 14
                text: ".*"
                checkable: true
                checked: find.regularExpression
                onToggled: find.regularExpression = checked
                Accessible.name: qsTr("Регулярное выражение")
                ToolTip.text: qsTr("Регулярное выражение")
                ToolTip.visible: hovered
            }
            Label {
                objectName: "findSummary"
                textFormat: Text.PlainText
                text: find.summary
                color: find.error !== "" ? VexaTheme.codeRemoved : VexaTheme.textSecondary
                elide: Text.ElideRight
                Layout.maximumWidth: 140
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            ToolButton {
                Layout.preferredWidth: contentItem.implicitWidth + 14
                text: "↑"
                enabled: find.count > 0
                onClicked: bar.step(false)
                Accessible.name: qsTr("Предыдущее совпадение")
            }
            ToolButton {
                Layout.preferredWidth: contentItem.implicitWidth + 14
                text: "↓"
                enabled: find.count > 0
                onClicked: bar.step(true)
                Accessible.name: qsTr("Следующее совпадение")
            }
            ToolButton {
                Layout.preferredWidth: contentItem.implicitWidth + 14
                text: "✕"
                onClicked: bar.close()
                Accessible.name: qsTr("Закрыть поиск")
            }
        }

        RowLayout {
            visible: bar.mode === "replace"
            spacing: 4
            TextField {
                id: replaceField
                objectName: "replaceField"
                placeholderText: qsTr("Заменить на")
                Accessible.name: qsTr("Заменить на")
                selectByMouse: true
                Layout.fillWidth: true
                Keys.onEscapePressed: bar.close()
            }
            TextButton {
                text: qsTr("Заменить")
                enabled: find.count > 0
                onClicked: {
                    bar.advancePending = true
                    const at = find.replace(bar.editor.selectionStart, bar.editor.selectionEnd, replaceField.text)
                    if (at.x >= 0)
                        bar.editor.select(at.x, at.y)
                }
            }
            TextButton {
                objectName: "replaceAllButton"
                text: qsTr("Заменить все")
                enabled: find.count > 0
                onClicked: find.replaceAll(replaceField.text)
            }
        }

        RowLayout {
            visible: bar.mode === "line"
            spacing: 4
            TextField {
                id: lineField
                objectName: "lineField"
                placeholderText: qsTr("Номер строки")
                Accessible.description: qsTr("Строк в файле: %1").arg(bar.editor.lineCount)
                Accessible.name: qsTr("Перейти к строке")
                inputMethodHints: Qt.ImhDigitsOnly
                validator: IntValidator { bottom: 1; top: Math.max(1, bar.editor.lineCount) }
                Layout.fillWidth: true
                Keys.onReturnPressed: bar.goToLine()
                Keys.onEnterPressed: bar.goToLine()
                Keys.onEscapePressed: bar.close()
            }
            TextButton {
                text: qsTr("Перейти")
                onClicked: bar.goToLine()
            }
        }
    }
}
