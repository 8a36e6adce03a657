#include "lazyitem.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlInfo>

namespace vexa::answer {

LazyItem::LazyItem(QObject *parent) : QObject(parent) {}

// The item, a child object, goes with it.
LazyItem::~LazyItem() = default;

void LazyItem::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    update();
    Q_EMIT activeChanged();
}

void LazyItem::setSourceComponent(QQmlComponent *component)
{
    if (component == m_component)
        return;
    drop();
    m_component = component;
    update();
    Q_EMIT sourceComponentChanged();
}

void LazyItem::setTarget(QQuickItem *target)
{
    if (target == m_target)
        return;
    m_target = target;
    if (m_item)
        m_item->setParentItem(target ? target : qobject_cast<QQuickItem *>(parent()));
    Q_EMIT targetChanged();
}

void LazyItem::componentComplete()
{
    m_complete = true;
    update();
}

void LazyItem::update()
{
    if (!m_complete)
        return;
    if (!m_active || !m_component) {
        drop();
        return;
    }
    if (m_item)
        return;
    QQuickItem *target = m_target ? m_target.data() : qobject_cast<QQuickItem *>(parent());
    QQmlContext *context = m_component->creationContext() ? m_component->creationContext() : qmlContext(this);
    if (!target || !context)
        return;
    QObject *made = m_component->beginCreate(context);
    auto *item = qobject_cast<QQuickItem *>(made);
    if (!item) {
        if (made)
            m_component->completeCreate();
        delete made;
        qmlWarning(this) << "the component makes no item";
        return;
    }
    // Parented before its bindings are first evaluated, so those naming `parent` hold at once.
    QQmlEngine::setObjectOwnership(item, QQmlEngine::CppOwnership);
    item->setParent(this);
    item->setParentItem(target);
    m_component->completeCreate();
    m_item = item;
    Q_EMIT itemChanged();
}

void LazyItem::drop()
{
    if (!m_item)
        return;
    QQuickItem *item = m_item;
    m_item = nullptr;
    item->setParentItem(nullptr);
    item->deleteLater();
    Q_EMIT itemChanged();
}

} // namespace vexa::answer
