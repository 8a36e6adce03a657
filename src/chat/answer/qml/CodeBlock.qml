import QtQuick
import VexaAI.Style
import VexaAI.Answer

// Code in its own darker, rounded panel: the language's name and a copy button above it, the
// code as written (never re-flowed: long lines scroll sideways), coloured by the highlighter
// (an unknown language, or code over its budget, stays plain). The code is one picture
// (CodeText), or a Text when it is too large for one; a TextEdit is laid over it only while the
// mouse is on it or a selection lives there.
AnswerBlock {
    id: block

    // The code and its colours (see AnswerModel's codeLines).
    required property var codeLines
    required property string language
    // The language's name as people write it ("Python"); the fence's word when it is not known.
    required property string languageName
    required property string hidden
    // A selection lives on the code: its selectable copy stays while the mouse is elsewhere.
    property bool selectionHeld: false
    // What shows the code: the picture, or the Text that stands in for a large one.
    readonly property Item shown: codeText.tooLarge && asText.item ? asText.item : codeText
    // The code as styled text, for the Text and the selection (made only for them).
    function codeHtml() {
        return block.codeLines, block.view ? block.view.answer.codeHtml(block.index) : ""
    }

    readonly property real headerHeight: 30
    readonly property real headerWidth: name.implicitWidth + copy.implicitWidth
        + (insert.item && insert.item.visible ? insert.item.implicitWidth : 0) + 36

    body: panel

    // Back from the pool for another answer (see BlockRepeater).
    function reused() {
        scroller.contentX = 0
        if (selecting.item)
            selecting.item.deselect()
        selectionHeld = false
        copy.flashing = false
        if (insert.item)
            insert.item.flashing = false
    }

    Rectangle {
        id: panel
        objectName: "codePanel"
        x: block.inset
        width: Math.min(Math.max(block.shown.implicitWidth + 28, block.headerWidth + 12, 220), block.innerMaxWidth)
        height: block.headerHeight + scroller.height + (more.item ? more.item.height : 0) + 10
        radius: 10
        color: VexaTheme.codeBackground
        Accessible.role: Accessible.Grouping
        Accessible.name: block.plain

        // The header: the language's name and the buttons, placed straight on the panel (an
        // item around them would be one more node to move while a chat scrolls).
        TextPicture {
            id: name
            label: true
            x: 14
            y: (block.headerHeight - height) / 2
            text: block.languageName
            color: VexaTheme.codeHeaderText
            font.pixelSize: VexaTheme.captionSize
            Accessible.ignored: true
        }
        // Only where the view offers it (the code workspace); the chat makes none.
        LazyItem {
            id: insert
            target: panel
            active: block.view !== null && block.view.offersInsert
            sourceComponent: CopyButton {
                objectName: "insertCode"
                x: copy.x - width
                y: (block.headerHeight - height) / 2
                visible: typeof block.view.insertCode === "function"
                label: "Вставить в файл"
                doneLabel: "Вставлено"
                copy: function() { return block.view.insertCode(block.view.answer.blockCopyText(block.index)) }
            }
        }
        CopyButton {
            id: copy
            objectName: "copyCode"
            x: panel.width - width - 6
            y: (block.headerHeight - height) / 2
            label: "Копировать код"
            copy: function() { return block.view.answer.copyBlock(block.index) }
        }
        // The code as written; long lines scroll sideways.
        SidewaysScroller {
            id: scroller
            x: 14
            y: block.headerHeight
            width: parent.width - 28
            height: block.shown.implicitHeight + (interactive ? 10 : 0)
            contentWidth: block.shown.implicitWidth
            CodeText {
                id: codeText
                objectName: "codeText"
                lines: block.codeLines
                visible: !selecting.item
                color: VexaTheme.codeText
                ground: VexaTheme.codeBackground
                font.family: "DejaVu Sans Mono"
                font.pointSize: block.textSize * 0.82
                Accessible.ignored: true
            }
            LazyItem {
                id: asText
                target: scroller.contentItem
                active: codeText.tooLarge
                sourceComponent: Text {
                    objectName: "codeAsText"
                    text: block.codeHtml()
                    textFormat: Text.StyledText
                    wrapMode: Text.NoWrap
                    visible: !selecting.item
                    color: codeText.color
                    font: codeText.font
                    Accessible.ignored: true
                }
            }
            HoverHandler {
                id: pointer
                cursorShape: Qt.IBeamCursor
            }
            LazyItem {
                id: selecting
                target: scroller.contentItem
                active: pointer.hovered || block.selectionHeld
                sourceComponent: TextEdit {
                    objectName: "codeSelection"
                    width: block.shown.implicitWidth
                    text: block.codeHtml()
                    textFormat: TextEdit.RichText
                    wrapMode: TextEdit.NoWrap
                    readOnly: true
                    selectByMouse: true
                    selectionColor: VexaTheme.accent
                    color: codeText.color
                    font: codeText.font
                    Accessible.ignored: true
                    onSelectedTextChanged: block.selectionHeld = selectedText.length > 0
                }
            }
        }
        LazyItem {
            id: more
            target: panel
            active: block.hidden.length > 0
            sourceComponent: Text {
                textFormat: Text.PlainText
                x: 14
                y: scroller.y + scroller.height
                text: block.hidden
                color: VexaTheme.codeHeaderText
                font.pixelSize: VexaTheme.captionSize
            }
        }
    }
}
