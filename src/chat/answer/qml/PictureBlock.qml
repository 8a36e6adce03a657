import QtQuick
import VexaAI.Style

// A picture standing alone in a paragraph (https only); its description while it loads or when
// it cannot.
AnswerBlock {
    id: block

    required property url source
    required property string html

    body: frame

    Item {
        id: frame
        x: block.inset
        width: picture.status === Image.Ready ? picture.width : Math.min(caption.implicitWidth, block.innerMaxWidth)
        height: picture.status === Image.Ready ? picture.height : caption.height
        Image {
            id: picture
            source: block.source
            asynchronous: true
            fillMode: Image.PreserveAspectFit
            width: Math.min(sourceSize.width, block.innerMaxWidth)
            height: sourceSize.width > 0 ? width * sourceSize.height / sourceSize.width : 0
            visible: status === Image.Ready
        }
        Text {
            id: caption
            visible: picture.status !== Image.Ready
            width: Math.min(implicitWidth, block.innerMaxWidth)
            text: block.html.length > 0 ? block.html : "Картинка"
            textFormat: Text.StyledText
            wrapMode: Text.Wrap
            color: VexaTheme.textSecondary
            font.pointSize: block.textSize
        }
        Accessible.role: Accessible.Graphic
        Accessible.name: block.plain
    }
}
