import QtQuick
import VexaAI.Style

// Message text drawn as a light Text. The list lays its one MessageSelection over the text
// under the mouse, so it can be selected and copied: a TextEdit in every bubble would make a
// long chat scroll slowly.
Text {
    property string spoken

    textFormat: Text.StyledText
    wrapMode: Text.Wrap
    color: VexaTheme.textPrimary
    Accessible.role: Accessible.StaticText
    Accessible.name: spoken
}
