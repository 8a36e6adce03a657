#include "communityrowmodel.h"

namespace vexa {

QHash<int, QByteArray> CommunityRowChain::roleNames() const
{
    const auto models = sourceModels();
    return models.isEmpty() ? QHash<int, QByteArray>() : models.first()->roleNames();
}

} // namespace vexa
