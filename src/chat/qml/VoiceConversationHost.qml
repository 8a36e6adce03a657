import QtQuick
import VexaAI.Voice

// The voice conversation sheet as the chat opens it. The chat loads this document by address
// when the sheet opens, so the voice screens are compiled then rather than with the chat.
Item {
    id: host

    signal closed()

    VoiceConversationView {
        objectName: "voiceConversationSheet"
        Component.onCompleted: open()
        onClosed: host.closed()
    }
}
