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

    BackdropPicture {
        anchors.fill: parent
        topColor: VexaTheme.background
        bottomColor: VexaTheme.backgroundDeep
        phase: backdrop.phase
    }

    SequentialAnimation on phase {
        id: drift
        running: backdrop.animated && backdrop.visible
        loops: Animation.Infinite
        NumberAnimation { from: 0; to: 1; duration: 11000; easing.type: Easing.InOutSine }
        NumberAnimation { from: 1; to: 0; duration: 11000; easing.type: Easing.InOutSine }
    }
}
