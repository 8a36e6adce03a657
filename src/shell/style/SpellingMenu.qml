import QtQuick
import QtQuick.Controls
import VexaAI.Spell
import VexaAI.Style

// The menu of a misspelled word: up to five corrections (each replaces the word as one step of
// undo), "Добавить в словарь" (the personal list, kept) and "Пропустить" (until the app quits).
// The corrections are looked up as the menu opens and appear when found. The keyboard goes back
// to `returnFocus` once it closes.
Menu {
    id: menu
    objectName: "spellingMenu"

    required property SpellCheck check
    property string word
    property int start: -1
    property var suggestions: []
    property bool searching: false
    property Item returnFocus: null

    function openFor(found, x, y) {
        menu.word = found.word
        menu.start = found.start
        menu.suggestions = []
        menu.searching = true
        menu.check.requestSuggestions(found.word)
        menu.popup(x, y)
    }

    onClosed: {
        const target = menu.returnFocus
        menu.returnFocus = null
        if (target) {
            const focused = target.Window.activeFocusItem
            if (!focused || focused === target.Window.contentItem)
                target.forceActiveFocus()
        }
    }

    Connections {
        target: menu.check
        function onSuggestionsReady(word, suggestions) {
            if (word !== menu.word)
                return
            menu.suggestions = suggestions
            menu.searching = false
        }
    }

    // Drawn by the app, so the menu is the same over any text and in every renderer.
    background: Rectangle {
        implicitWidth: 240
        radius: 10
        color: VexaTheme.sheetFill
        border.width: 1
        border.color: VexaTheme.cardOutline
    }

    component Entry: MenuItem {
        id: entry
        property bool bold: false
        Accessible.name: text
        contentItem: Text {
            leftPadding: 4
            textFormat: Text.PlainText
            text: entry.text
            color: VexaTheme.textPrimary
            opacity: entry.enabled ? 1 : 0.5
            font.pixelSize: VexaTheme.bodySize
            font.bold: entry.bold
            elide: Text.ElideRight
        }
    }

    // The corrections go first, in the order the dictionary ranks them.
    Instantiator {
        model: menu.suggestions
        delegate: Entry {
            required property string modelData
            required property int index
            objectName: "spellingSuggestion" + index
            text: modelData
            bold: true
            onTriggered: menu.check.replace(menu.start, menu.word, modelData)
        }
        onObjectAdded: (index, object) => menu.insertItem(index, object)
        onObjectRemoved: (index, object) => {
            for (let i = 0; i < menu.count; ++i) {
                if (menu.itemAt(i) === object) {
                    menu.takeItem(i)
                    return
                }
            }
        }
    }
    // Hidden rows stay out of the arrows' way: they are disabled too.
    Entry {
        objectName: "spellingSearching"
        text: "Подбираем варианты…"
        enabled: false
        visible: menu.searching
        height: visible ? implicitHeight : 0
    }
    Entry {
        objectName: "spellingNoSuggestions"
        text: "Нет вариантов"
        enabled: false
        visible: !menu.searching && menu.suggestions.length === 0
        height: visible ? implicitHeight : 0
    }
    MenuSeparator {}
    Entry {
        objectName: "spellingAddButton"
        text: "Добавить в словарь"
        onTriggered: menu.check.addToDictionary(menu.word)
    }
    Entry {
        objectName: "spellingIgnoreButton"
        text: "Пропустить"
        onTriggered: menu.check.ignore(menu.word)
    }
}
