import QtQuick
import VexaAI.Style

// One bar at the left per level of quoting.
Row {
    id: bars
    property int depth: 0
    spacing: 10
    Repeater {
        model: bars.depth
        Rectangle {
            width: 3
            height: bars.height
            radius: 1.5
            color: VexaTheme.quoteBar
        }
    }
}
