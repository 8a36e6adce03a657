#pragma once

// An item made only when it is wanted, without an item standing in for it meanwhile. A Loader
// is an item itself: one per code panel's rarely shown part would be one more node the renderer
// moves and walks on every frame a long chat scrolls. This one is a plain object; it makes
// its component's item as a child of the item it is declared in (or of `target`) while
// `active`, and deletes it when no longer.
//
//     Item { LazyItem { active: hovered; sourceComponent: TextEdit { … } } }

#include <QObject>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlParserStatus>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace vexa::answer {

class LazyItem : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    QML_ELEMENT
    Q_INTERFACES(QQmlParserStatus)
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    Q_PROPERTY(QQmlComponent *sourceComponent READ sourceComponent WRITE setSourceComponent NOTIFY sourceComponentChanged)
    // Where the item goes; by default the item this object is declared in.
    Q_PROPERTY(QQuickItem *target READ target WRITE setTarget NOTIFY targetChanged)
    Q_PROPERTY(QQuickItem *item READ item NOTIFY itemChanged)

public:
    explicit LazyItem(QObject *parent = nullptr);
    ~LazyItem() override;

    bool active() const { return m_active; }
    void setActive(bool active);
    QQmlComponent *sourceComponent() const { return m_component; }
    void setSourceComponent(QQmlComponent *component);
    QQuickItem *target() const { return m_target; }
    void setTarget(QQuickItem *target);
    QQuickItem *item() const { return m_item; }

    void classBegin() override {}
    void componentComplete() override;

Q_SIGNALS:
    void activeChanged();
    void sourceComponentChanged();
    void targetChanged();
    void itemChanged();

private:
    void update();
    void drop();

    bool m_active = true;
    bool m_complete = false;
    QPointer<QQmlComponent> m_component;
    QPointer<QQuickItem> m_target;
    QPointer<QQuickItem> m_item;
};

} // namespace vexa::answer
