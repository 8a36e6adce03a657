// A small symbol drawn with a plain character, named like the app's symbols.
import QtQuick

Text {
    property string symbol

    readonly property var glyphs: ({
        "folder.badge.plus": "+",
        "folder": "▤",
        "square.and.arrow.down": "⇩",
        "plus": "+",
        "doc.text": "≡",
        "chevron.left.forwardslash.chevron.right": "</>",
        "arrow.up.circle.fill": "↑"
    })

    text: glyphs[symbol] !== undefined ? glyphs[symbol] : "?"
    color: palette.buttonText
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true
}
