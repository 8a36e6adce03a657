// One row's slice of a card whose rows are created as they come into sight: every row draws its
// slice, and the slices meet into one card that looks like a GlassCard — outline, soft shadow,
// rounded corners above the first row and below the last. Fill the row's card area with it.
import QtQuick
import VexaAI.Style

Item {
    id: slice

    property bool first: false
    property bool last: false

    readonly property real shadow: VexaTheme.cardShadowRadius
    // How far the whole card reaches past a slice's cut edge, so no corner shows there.
    readonly property real overhang: VexaTheme.cardRadius + shadow + 2

    clip: true

    Item {
        id: area
        // The slice reaches out by the shadow's width, above the first and below the last row.
        x: -slice.shadow
        y: slice.first ? -slice.shadow : 0
        width: slice.width + 2 * slice.shadow
        height: slice.height + (slice.first ? slice.shadow : 0) + (slice.last ? slice.shadow : 0)
        clip: true

        // The card as if it were drawn whole.
        Item {
            x: slice.shadow
            y: slice.first ? slice.shadow : -slice.overhang
            width: slice.width
            height: slice.height + (slice.first ? 0 : slice.overhang)
                    + (slice.last ? 0 : slice.overhang)

            Repeater {
                model: 5
                Rectangle {
                    required property int index
                    readonly property real spread: (index + 1) * slice.shadow / 5
                    x: -spread
                    y: -spread
                    width: parent.width + 2 * spread
                    height: parent.height + 2 * spread
                    radius: VexaTheme.cardRadius + spread
                    color: "transparent"
                    border.width: slice.shadow / 5
                    border.color: VexaTheme.withAlpha(VexaTheme.cardShadow, VexaTheme.cardShadow.a - index * VexaTheme.cardShadowStep)
                }
            }
            Rectangle {
                anchors.fill: parent
                radius: VexaTheme.cardRadius
                // The card's light top edge fades out within its first row, so the slices
                // below it meet it in the same colour.
                gradient: Gradient {
                    GradientStop {
                        position: 0
                        color: slice.first ? VexaTheme.cardSheen : VexaTheme.cardFill
                    }
                    GradientStop {
                        position: slice.first && !slice.last && parent.height > 0
                                  ? slice.height / parent.height : 1
                        color: VexaTheme.cardFill
                    }
                }
                border.width: 1
                border.color: VexaTheme.cardOutline
            }
        }
    }
}
