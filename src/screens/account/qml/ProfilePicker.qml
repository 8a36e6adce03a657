import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A labelled choice among a few values. `choices` holds {value, label} entries; `selected` is
// the value shown. Only a choice the user makes is reported, through `chosen`.
RowLayout {
    id: picker

    property string label
    property var choices: []
    property string selected
    readonly property alias box: box

    signal chosen(string value)

    spacing: 12

    Label {
        Layout.fillWidth: true
        textFormat: Text.PlainText
        text: picker.label
        wrapMode: Text.Wrap
        font.pixelSize: VexaTheme.bodySize
        color: VexaTheme.textPrimary
        Accessible.ignored: true
    }
    ComboBox {
        id: box
        delegate: ComboBoxEntry { box: box }
        Layout.preferredWidth: 210
        model: picker.choices
        textRole: "label"
        valueRole: "value"
        currentIndex: {
            const list = picker.choices
            for (let i = 0; i < list.length; ++i) {
                if (list[i].value === picker.selected)
                    return i
            }
            return -1
        }
        Accessible.name: picker.label
        onActivated: (index) => picker.chosen(picker.choices[index].value)
    }
}
