#pragma once

// Finding items and what a screen reader hears in a QQuickView, for the chat's QML tests.

#include <QAccessible>
#include <QQuickItem>
#include <QQuickView>
#include <QStringList>

#include <algorithm>

namespace vexa::test {

inline QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    const auto children = root->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, name))
            return found;
    }
    return nullptr;
}

// Every object of the window (items, popups and what popups hold) with this name.
inline QObject *findObject(QQuickView &view, const QString &name)
{
    if (QQuickItem *item = findItem(view.rootObject(), name))
        return item;
    if (QQuickItem *item = findItem(view.contentItem(), name))
        return item;
    return view.rootObject()->findChild<QObject *>(name);
}

// The names a screen reader finds showing in the window: every node of the accessibility tree
// not marked invisible, and the nodes under it.
inline void collectShown(QAccessibleInterface *node, QStringList &names, int depth = 0)
{
    if (!node || !node->isValid() || depth > 64 || node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name);
    if (!name.isEmpty())
        names.append(name);
    for (int i = 0; i < node->childCount(); ++i)
        collectShown(node->child(i), names, depth + 1);
}

inline QStringList shownToScreenReaders(QQuickView &view)
{
    QStringList names;
    collectShown(QAccessible::queryAccessibleInterface(&view), names);
    return names;
}

inline bool anyContains(const QStringList &names, const QString &text)
{
    return std::any_of(names.cbegin(), names.cend(),
                       [&](const QString &name) { return name.contains(text); });
}

} // namespace vexa::test
