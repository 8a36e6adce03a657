import QtQuick
import VexaAI.Style

// Service text shown as plain, selectable text (never markup), reachable from the keyboard.
TextEdit {
    readOnly: true
    selectByMouse: true
    selectByKeyboard: true
    activeFocusOnTab: true
    textFormat: TextEdit.PlainText
    wrapMode: TextEdit.Wrap
    color: VexaTheme.textPrimary
    selectionColor: VexaTheme.selectionFill
    font.pixelSize: VexaTheme.bodySize
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
