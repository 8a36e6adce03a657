#include "readingorder.h"

#include <QQuickItem>

#include <algorithm>

namespace vexa::chat {

void ReadingOrder::arrange(QQuickItem *container) const
{
    if (!container)
        return;
    QList<QQuickItem *> bubbles;
    for (QQuickItem *child : container->childItems()) {
        if (child->isVisible() && child->property("cardItem").isValid())
            bubbles.append(child);
    }
    std::stable_sort(bubbles.begin(), bubbles.end(),
                     [](const QQuickItem *a, const QQuickItem *b) { return a->y() < b->y(); });
    for (qsizetype i = 1; i < bubbles.size(); ++i)
        bubbles.at(i)->stackAfter(bubbles.at(i - 1));
}

} // namespace vexa::chat
