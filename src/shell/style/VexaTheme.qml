pragma Singleton
import QtQuick

// The app's colours and measures. Always dark.
QtObject {
    readonly property color background: "#0b0d17"
    readonly property color backgroundDeep: "#06070d"
    readonly property color accent: "#8b6cff"        // primary actions, selection
    readonly property color accentSecondary: "#2cc3e8" // the second prominent action on a screen
    readonly property color textPrimary: "#f4f5fb"
    readonly property color textSecondary: Qt.rgba(0.96, 0.96, 0.98, 0.66)
    readonly property color textTertiary: Qt.rgba(0.96, 0.96, 0.98, 0.42)
    readonly property color separator: Qt.rgba(1, 1, 1, 0.1)
    readonly property color selectionFill: Qt.rgba(0.545, 0.424, 1, 0.22)
    readonly property color hoverFill: Qt.rgba(1, 1, 1, 0.06)
    readonly property color cardFill: Qt.rgba(0.78, 0.8, 0.95, 0.075)
    readonly property color cardOutline: Qt.rgba(1, 1, 1, 0.1)
    readonly property color sheetFill: "#181b2b"                        // sheets and alerts
    readonly property color dim: Qt.rgba(0, 0, 0, 0.55)                  // behind modal sheets
    readonly property color chromeFill: Qt.rgba(0.05, 0.06, 0.11, 0.72) // sidebar, dock

    // Code: the panel's ground and the syntax colours by role (VexaAI.Highlight reads the
    // code* colours by these names).
    readonly property color codeBackground: "#10121f"
    readonly property color codeText: "#e6e8f2"
    readonly property color codeKeyword: "#c4a7ff"
    readonly property color codeType: "#7fd4ff"
    readonly property color codeString: "#a5e07a"
    readonly property color codeNumber: "#f7a072"
    readonly property color codeComment: "#7d8299"
    readonly property color codePreprocessor: "#ff9ac1"
    readonly property color codeFunction: "#82aaff"
    readonly property color codeOperator: "#89ddff"
    readonly property color codeTag: "#ff7a93"
    readonly property color codeAttribute: "#ffcb6b"
    readonly property color codeInserted: "#8fe388"
    readonly property color codeRemoved: "#ff8080"
    readonly property color codeHeading: "#b59cff"
    readonly property color codeEmphasis: "#f4f5fb"
    readonly property color codeLink: "#2cc3e8"
    readonly property color codeVariable: "#f2c779"
    readonly property color codeEscape: "#d7a8ff"

    // Answers' blocks (VexaAI.Answer)
    readonly property color codeHeaderText: Qt.rgba(0.96, 0.96, 0.98, 0.55)
    readonly property color quoteBar: Qt.rgba(0.545, 0.424, 1, 0.7)
    readonly property color quoteText: "#c9cbe0"
    readonly property color tableHeaderFill: Qt.rgba(1, 1, 1, 0.1)
    readonly property color tableZebraFill: Qt.rgba(1, 1, 1, 0.045)
    readonly property color tableGrid: Qt.rgba(1, 1, 1, 0.12)
    readonly property color ruleLine: Qt.rgba(1, 1, 1, 0.18)

    readonly property real cardRadius: 18
    readonly property real cardShadowRadius: 10
    readonly property real spacing: 12
    readonly property real margin: 24

    readonly property int titleSize: 28
    readonly property int headingSize: 19
    readonly property int bodySize: 15
    readonly property int captionSize: 12
}
