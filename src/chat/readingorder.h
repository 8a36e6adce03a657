#pragma once

// Screen readers go through a list's items in the order of their parent's children, which for
// a ListView is the order the delegates were made in: a chat opened at its end makes the newest
// message first. This puts the message bubbles back in the order they are on the screen, top to
// bottom, so they are read oldest to newest. Drawing is not affected: bubbles never overlap.

#include <QObject>
#include <QtQml/qqmlregistration.h>

class QQuickItem;

namespace vexa::chat {

class ReadingOrder : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;

    // Orders the children of `container` that are message bubbles (items with a `cardItem`
    // property) by their place on the screen.
    Q_INVOKABLE void arrange(QQuickItem *container) const;
};

} // namespace vexa::chat
