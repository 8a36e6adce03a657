import QtQuick
import QtQuick.Controls
import VexaAI.Style

// The card every screen puts its content blocks on: a frosted translucent panel with corner
// radius 18, a faint white outline and a soft shadow. Children go inside, padded; a single
// child is as wide as the card:
//   GlassCard { ColumnLayout { ... } }
// The shadow is drawn as fading rings rather than a shader effect, so cards look the same on
// the software renderer (offscreen, remote sessions) as on the GPU.
Pane {
    id: card

    padding: 18

    // A single content item spans the card's inner width; its height stays its own.
    Binding {
        target: card.contentChildren.length === 1 ? card.contentChildren[0] : null
        when: card.contentChildren.length === 1
        property: "width"
        value: card.availableWidth
    }

    background: Item {
        Repeater {
            model: 5
            Rectangle {
                required property int index
                readonly property real spread: (index + 1) * VexaTheme.cardShadowRadius / 5
                x: -spread
                y: -spread
                width: card.width + 2 * spread
                height: card.height + 2 * spread
                radius: VexaTheme.cardRadius + spread
                color: "transparent"
                border.width: VexaTheme.cardShadowRadius / 5
                border.color: VexaTheme.withAlpha(VexaTheme.cardShadow, VexaTheme.cardShadow.a - index * VexaTheme.cardShadowStep)
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: VexaTheme.cardRadius
            gradient: Gradient {
                GradientStop { position: 0; color: VexaTheme.cardSheen }
                GradientStop { position: 1; color: VexaTheme.cardFill }
            }
            border.width: 1
            border.color: VexaTheme.cardOutline
        }
    }
}
