import QtQuick
import VexaAI.Shell

// The screen shown for a section, from its document's address (RootViewModel's
// selectionDocument): only the screen shown is compiled, when it is first shown. A section
// without a screen (no address) shows its title.
Loader {
    id: page

    required property string document
    required property string title

    readonly property string placeholder: "qrc:/qt/qml/VexaAI/Shell/SectionPlaceholder.qml"

    source: document !== "" ? document : placeholder

    Binding {
        target: page.item
        when: page.source.toString() === page.placeholder && page.item !== null
        property: "title"
        value: page.title
    }
}
