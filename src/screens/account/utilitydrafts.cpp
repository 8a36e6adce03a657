#include "utilitydrafts.h"

#include "utilityrules.h"

namespace vexa::utility {

namespace {
QString draftsObjectName()
{
    return QStringLiteral("vexaUtilityDrafts");
}
} // namespace

UtilityDrafts::UtilityDrafts(VexaClient *client) : QObject(client)
{
    setObjectName(draftsObjectName());
    clear();
    connect(client, &VexaClient::stateChanged, this, [this, client] {
        if (!client->isSignedIn())
            clear();
    });
}

UtilityDrafts *UtilityDrafts::forClient(VexaClient *client)
{
    if (!client)
        return nullptr;
    if (auto *drafts = client->findChild<UtilityDrafts *>(draftsObjectName(),
                                                          Qt::FindDirectChildrenOnly))
        return drafts;
    return new UtilityDrafts(client);
}

void UtilityDrafts::clear()
{
    mode = searchMode();
    query.clear();
    when = defaultWhen();
}

} // namespace vexa::utility
