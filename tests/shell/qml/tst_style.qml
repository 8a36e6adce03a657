import QtQuick
import QtTest
import VexaAI.Style
import VexaAI.Shell

// Behaviour of the shared pieces: the still backdrop by default, the card's width.
TestCase {
    id: testCase
    name: "StyleBehaviour"
    when: windowShown
    width: 800
    height: 600
    visible: true // the backdrop only moves while it is on screen

    EffectsPreferences { id: preferences }

    Component { id: backgroundComponent; VexaBackground { anchors.fill: parent } }
    Component {
        id: cardComponent
        GlassCard {
            width: 300
            Column { Text { text: "одна строка" } }
        }
    }

    function init() {
        failOnWarning(/.?/)
    }

    function cleanup() {
        preferences.reduceEffects = true
    }

    function test_backdrop_still_unless_effects_are_on() {
        // "vexa_reduce_effects" never written in this test profile: reduced, so still.
        var backdrop = createTemporaryObject(backgroundComponent, testCase)
        verify(!backdrop.animated)
        verify(!backdrop.running)
        var phase = backdrop.phase
        wait(100 * timeoutScale)
        compare(backdrop.phase, phase)

        // The profile's switch writes the same key through another instance: it moves at once.
        preferences.reduceEffects = false
        verify(backdrop.animated)
        tryVerify(function() { return backdrop.running }, 1000 * timeoutScale)
        tryVerify(function() { return backdrop.phase !== phase }, 2000 * timeoutScale)

        backdrop.reduceMotion = true
        tryVerify(function() { return !backdrop.running }, 1000 * timeoutScale)
    }

    function test_card_content_spans_card() {
        var card = createTemporaryObject(cardComponent, testCase)
        compare(card.contentChildren.length, 1)
        compare(card.contentChildren[0].width, card.availableWidth)
        verify(card.availableWidth > 0 && card.availableWidth < 300)
        verify(card.implicitHeight > card.contentChildren[0].implicitHeight)
    }
}
