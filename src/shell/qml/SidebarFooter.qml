import QtQuick
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell

// The account (opens the profile) and the tariffs, under the sidebar's sections.
ColumnLayout {
    id: footer

    required property RootViewModel model

    spacing: 4

    Rectangle {
        Layout.fillWidth: true
        Layout.bottomMargin: 4
        implicitHeight: 1
        color: VexaTheme.separator
    }
    SidebarButton {
        objectName: "accountButton"
        Layout.fillWidth: true
        text: footer.model.accountName
        symbolName: "person.crop.circle"
        selected: footer.model.selection === VexaSection.Profile
        onClicked: footer.model.select(VexaSection.Profile)
    }
    SidebarButton {
        objectName: "plansButton"
        Layout.fillWidth: true
        text: "Тарифы"
        symbolName: "crown"
        selected: footer.model.selection === VexaSection.Plans
        onClicked: footer.model.select(VexaSection.Plans)
    }
}
