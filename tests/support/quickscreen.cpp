#include "quickscreen.h"

#include "awaittask.h"

#include <QColor>
#include <QDebug>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>

#include <algorithm>

namespace vexa::test {

std::unique_ptr<QQuickView> openScreen(const QUrl &source, QSize size,
                                       const QVariantMap &initialProperties)
{
    auto view = std::make_unique<QQuickView>();
    view->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
    view->setResizeMode(QQuickView::SizeRootObjectToView);
    view->setColor(QColor(QStringLiteral("#0b0d17"))); // the window's colour behind the backdrop
    if (!initialProperties.isEmpty())
        view->setInitialProperties(initialProperties);
    view->setSource(source);
    if (view->status() != QQuickView::Ready) {
        qWarning().noquote() << "the screen did not load:" << QDebug::toString(view->errors());
        return nullptr;
    }
    view->resize(size);
    view->show();
    view->requestActivate();
    if (!QTest::qWaitForWindowExposed(view.get(), scaledMs(5000)))
        return nullptr;
    return view;
}

std::unique_ptr<QObject> createObject(QQmlEngine &engine, const QByteArray &qml)
{
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData(qml, QUrl());
    std::unique_ptr<QObject> object(component.create());
    if (!object)
        qWarning().noquote() << "the document did not load:" << component.errorString();
    return object;
}

QQuickItem *findItem(QQuickItem *root, const QString &name)
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

QObject *findObject(QQuickView &view, const QString &name)
{
    if (QQuickItem *item = findItem(view.rootObject(), name))
        return item;
    if (QQuickItem *item = findItem(view.contentItem(), name))
        return item;
    return view.rootObject()->findChild<QObject *>(name);
}

void collectShown(QAccessibleInterface *node, QStringList &names, int depth)
{
    if (!node || !node->isValid() || depth > 64 || node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name);
    if (!name.isEmpty())
        names.append(name);
    for (int i = 0; i < node->childCount(); ++i)
        collectShown(node->child(i), names, depth + 1);
}

QStringList shownToScreenReaders(QQuickView &view)
{
    QStringList names;
    collectShown(QAccessible::queryAccessibleInterface(&view), names);
    return names;
}

bool anyContains(const QStringList &names, const QString &text)
{
    return std::any_of(names.cbegin(), names.cend(),
                       [&](const QString &name) { return name.contains(text); });
}

void typeText(QWindow *window, const QString &text)
{
    for (qsizetype n = 0; n < text.size(); ++n) {
        // A character outside the basic plane travels as its surrogate pair.
        const qsizetype length = text.at(n).isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, text.mid(n, length),
                            Qt::NoModifier);
        n += length - 1;
    }
}

QStringList menuEntries(QObject *menu)
{
    QStringList entries;
    for (int i = 0; i < menu->property("count").toInt(); ++i) {
        QQuickItem *entry = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, entry), Q_ARG(int, i));
        if (entry && entry->isVisible() && entry->isEnabled())
            entries << entry->property("text").toString();
    }
    return entries;
}

} // namespace vexa::test
