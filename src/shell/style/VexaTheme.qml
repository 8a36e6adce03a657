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
    readonly property color panelFill: "#161a2b"                        // the chat's side sheets
    readonly property color panelDim: Qt.rgba(0, 0, 0, 0.5)              // behind the chat's side sheets
    readonly property color raisedHoverFill: "#2a2f47"                  // a floating button, hovered
    readonly property color fieldFill: Qt.rgba(1, 1, 1, 0.05)            // a framed text field's ground
    readonly property color pictureFill: Qt.rgba(0, 0, 0, 0.25)          // behind a picture as it loads
    readonly property color textOnAccent: "white"                           // text and icons on accent fills
    readonly property color listAction: "cyan"                          // a list's own action row

    // States by role.
    readonly property color error: "#ff6b6b"          // error lines, destructive text and icons, recording
    readonly property color errorMuted: "#ff8a80"     // the composer's dictation error line
    readonly property color destructive: "#e5484d"    // the fill of a destructive or stopping button
    readonly property color warning: "#ffb74d"        // limits of the plan, promotions
    readonly property color warningStrong: "#ff9f0a"  // something the screen cannot do now
    readonly property color success: "#8fe388"        // a step that went through
    readonly property color favorite: "#ffd60a"       // a favourite's star, the fast model's bolt
    readonly property color link: "#2cc3e8"           // links in text

    // Message bubbles; opaque ones lay these over the background.
    readonly property color userBubble: Qt.rgba(0.0, 0.48, 1.0, 0.45)
    readonly property color answerBubble: Qt.rgba(1, 1, 1, 0.09)

    // Cards' glass: the edge's shadow rings (fading outwards) and the top sheen.
    readonly property color cardShadow: Qt.rgba(0, 0, 0, 0.11)
    readonly property real cardShadowStep: 0.02
    readonly property color cardSheen: Qt.rgba(0.82, 0.84, 0.98, 0.11)

    // The accent behind a selected or marked item, and its outline.
    readonly property color accentWash: Qt.rgba(accent.r, accent.g, accent.b, 0.24)
    readonly property color accentWashStrong: Qt.rgba(accent.r, accent.g, accent.b, 0.26)
    readonly property color accentOutline: Qt.rgba(accent.r, accent.g, accent.b, 0.5)

    // A role's colour with another opacity, for fades computed from a role.
    function withAlpha(colour, alpha) {
        return Qt.rgba(colour.r, colour.g, colour.b, alpha)
    }

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
    readonly property color codeLink: link
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
