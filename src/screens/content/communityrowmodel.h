#pragma once

// The rows of one community list as QML sees them: the screens' keyed rows (keyedrowmodel.h),
// keyed by the record's numeric id, so a row that has the keyboard focus (a liked post, a topic
// that got a reply) keeps it through a reload.

#include "keyedrowmodel.h"

namespace vexa {

class CommunityRowModel : public KeyedRowModel
{
    Q_OBJECT
    QML_ANONYMOUS

public:
    using KeyedRowModel::KeyedRowModel;
};

} // namespace vexa
