import QtQuick
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell

// The compact-width navigation at the bottom edge: four sections and "Ещё" for all of them.
Rectangle {
    id: dock
    objectName: "dock"

    required property RootViewModel model

    implicitHeight: 68
    color: VexaTheme.chromeFill

    Rectangle {
        width: parent.width
        height: 1
        color: VexaTheme.separator
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        spacing: 2

        Repeater {
            model: dock.model.dockSections
            DockButton {
                required property int section
                required property string dockLabel
                required property string symbol
                Layout.fillWidth: true
                Layout.fillHeight: true
                text: dockLabel
                symbolName: symbol
                selected: dock.model.selection === section
                onClicked: dock.model.select(section)
            }
        }
        DockButton {
            objectName: "moreButton"
            Layout.fillWidth: true
            Layout.fillHeight: true
            text: "Ещё"
            symbolName: "square.grid.2x2"
            onClicked: dock.model.openSections()
        }
    }
}
