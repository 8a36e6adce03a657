#pragma once

// The rows of one community list as QML sees them: the screens' keyed rows (keyedrowmodel.h),
// keyed by the record's numeric id, so a row that has the keyboard focus (a liked post, a topic
// that got a reply) keeps it through a reload.

#include "keyedrowmodel.h"

#include <QConcatenateTablesProxyModel>

namespace vexa {

class CommunityRowModel : public KeyedRowModel
{
    Q_OBJECT
    QML_ANONYMOUS

public:
    using KeyedRowModel::KeyedRowModel;
};

// Row models with the same roles, one after the other, as one list for a view that creates its
// rows as they come into sight. The roles are those of the first model (they all share them).
class CommunityRowChain : public QConcatenateTablesProxyModel
{
    Q_OBJECT
    QML_ANONYMOUS

public:
    using QConcatenateTablesProxyModel::QConcatenateTablesProxyModel;
    QHash<int, QByteArray> roleNames() const override;
};

} // namespace vexa
