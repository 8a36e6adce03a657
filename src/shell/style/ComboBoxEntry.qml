import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

// An entry of a combo box's list that shows its text as plain text: the style's own entry reads
// it in the automatic format, so a title from the service could draw markup. Use it as
// `delegate: ComboBoxEntry { box: picker }`; the box's textRole names the role shown.
MenuItem {
    id: entry

    required property ComboBox box
    required property int index
    required property var model

    width: ListView.view ? ListView.view.width : implicitWidth
    text: box.textRole ? (Array.isArray(box.model) ? model.modelData[box.textRole] : model[box.textRole])
                       : model.modelData
    highlighted: box.highlightedIndex === index
    hoverEnabled: box.hoverEnabled
    Material.foreground: box.currentIndex === index && ListView.view ? ListView.view.contentItem.Material.accent
                                                                   : box.Material.foreground

    contentItem: Text {
        text: entry.text
        textFormat: Text.PlainText
        font: entry.font
        color: entry.enabled ? entry.Material.foreground : entry.Material.hintTextColor
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
}
