// "Группы Vexa": the groups in the service's order.
import QtQuick
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

GlassCard {
    id: card

    required property CommunityViewModel viewModel

    signal communityOpened(int row)

    ColumnLayout {
        spacing: 8

        CommunityCardHeader {
            symbol: "person.3.fill"
            text: "Группы Vexa"
        }

        CommunityMessage {
            objectName: "communitiesMessage"
            Layout.fillWidth: true
            text: card.viewModel.communitiesMessage
        }

        Repeater {
            model: card.viewModel.communities
            CommunityRow {
                required property int index
                required property string name
                required property string description
                required property string members
                objectName: "communityRow" + index
                Layout.fillWidth: true
                headline: name
                subtitle: description
                caption: members
                onClicked: card.communityOpened(index)
            }
        }
    }
}
