import QtQuick
import VexaAI.Style
import VexaAI.Answer

// Message text drawn as one picture (TextPicture, drawn ahead for messages about to scroll into
// view). The list lays its one MessageSelection over the text under the mouse, so it can be
// selected and copied: a TextEdit in every bubble would make a long chat scroll slowly.
TextPicture {
    property string spoken

    role: "message"
    color: VexaTheme.textPrimary
    Accessible.role: Accessible.StaticText
    Accessible.name: spoken
}
