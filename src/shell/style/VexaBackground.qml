import QtQuick
import VexaAI.Style

// The backdrop behind every screen: soft colour shapes on a dark ground. They drift back and
// forth (11 s each way, easing in and out) only when the user has turned effects on; Qt 6.4
// reports no reduce-motion setting, so `reduceMotion` stays false unless a platform sets it.
Item {
    id: backdrop

    property bool reduceMotion: false
    readonly property bool animated: !preferences.reduceEffects && !reduceMotion
    readonly property alias running: drift.running
    property real phase // 0 to 1; driven by the animation below

    clip: true

    EffectsPreferences { id: preferences }

    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0; color: VexaTheme.background }
            GradientStop { position: 1; color: VexaTheme.backgroundDeep }
        }
    }

    SoftShape {
        diameter: Math.max(backdrop.width, backdrop.height) * 0.9
        color: Qt.rgba(0.46, 0.32, 1, 0.34)
        x: -diameter * 0.3 + backdrop.width * 0.12 * backdrop.phase
        y: -diameter * 0.35 + backdrop.height * 0.08 * backdrop.phase
    }
    SoftShape {
        diameter: Math.max(backdrop.width, backdrop.height) * 0.75
        color: Qt.rgba(0.1, 0.62, 0.86, 0.24)
        x: backdrop.width - diameter * 0.62 - backdrop.width * 0.1 * backdrop.phase
        y: backdrop.height * 0.3 + backdrop.height * 0.12 * backdrop.phase
    }
    SoftShape {
        diameter: Math.max(backdrop.width, backdrop.height) * 0.6
        color: Qt.rgba(0.85, 0.3, 0.62, 0.16)
        x: backdrop.width * 0.18 + backdrop.width * 0.14 * backdrop.phase
        y: backdrop.height - diameter * 0.5 - backdrop.height * 0.1 * backdrop.phase
    }

    SequentialAnimation on phase {
        id: drift
        running: backdrop.animated && backdrop.visible
        loops: Animation.Infinite
        NumberAnimation { from: 0; to: 1; duration: 11000; easing.type: Easing.InOutSine }
        NumberAnimation { from: 1; to: 0; duration: 11000; easing.type: Easing.InOutSine }
    }
}
