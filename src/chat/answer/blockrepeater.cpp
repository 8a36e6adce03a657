#include "blockrepeater.h"

#include "answermodel.h"
#include "textpicture.h"

#include <QHash>
#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>

namespace vexa::answer {

namespace {

Q_LOGGING_CATEGORY(lcBlocks, "vexa.answer.blocks")

// A model role a kind of item declares as a property: a delegate takes the roles it draws,
// and only those are asked of the model (a code block's colours are not made for a table).
struct Binding {
    int role;
    QString name;
    int property; // its index in the item's meta-object
};

// The engine's free block items by component, and the components themselves (compiled once).
// A child of the engine: it and every item it made go with it.
class BlockPool : public QObject
{
public:
    static BlockPool *of(QQmlEngine *engine)
    {
        static const QString name = QStringLiteral("vexa-answer-block-pool");
        if (auto *found = engine->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
            return static_cast<BlockPool *>(found);
        auto *pool = new BlockPool(engine);
        pool->setObjectName(name);
        return pool;
    }

    QQmlComponent *component(const QUrl &url)
    {
        QQmlComponent *&component = m_components[url];
        if (!component) {
            component = new QQmlComponent(m_engine, url, QQmlComponent::PreferSynchronous, this);
            if (component->isError())
                qCWarning(lcBlocks) << component->errors();
        }
        return component->isReady() ? component : nullptr;
    }

    // One of the component's free items, preferably one already in `container`: an item moved
    // into another answer is taken out of the scene where it was and put in again, which the
    // renderer pays for with its whole subtree.
    QQuickItem *take(const QUrl &url, const QQuickItem *container)
    {
        auto it = m_free.find(url);
        if (it == m_free.end())
            return nullptr;
        for (qsizetype i = it->size() - 1; i >= 0; --i) {
            if (it->at(i) && it->at(i)->parentItem() == container)
                return it->takeAt(i);
        }
        while (!it->isEmpty()) {
            if (QQuickItem *item = it->takeLast())
                return item;
        }
        return nullptr;
    }

    // What the items of a component take from the model, found once per component.
    const QList<Binding> &bindings(const QUrl &url, const QObject *item, const QHash<int, QByteArray> &roles)
    {
        auto found = m_bindings.constFind(url);
        if (found != m_bindings.cend())
            return *found;
        QList<Binding> bindings;
        const QMetaObject *meta = item->metaObject();
        for (auto it = roles.cbegin(); it != roles.cend(); ++it) {
            const int index = meta->indexOfProperty(it.value().constData());
            if (index >= 0)
                bindings.append({it.key(), QString::fromUtf8(it.value()), index});
        }
        return *m_bindings.insert(url, bindings);
    }

    void put(const QUrl &url, QQuickItem *item)
    {
        QList<QPointer<QQuickItem>> &free = m_free[url];
        if (free.size() >= BlockRepeater::kPoolLimit) {
            item->deleteLater();
            return;
        }
        free.append(item);
    }

private:
    explicit BlockPool(QQmlEngine *engine) : QObject(engine), m_engine(engine) {}

    QQmlEngine *m_engine;
    QHash<QUrl, QQmlComponent *> m_components;
    QHash<QUrl, QList<QPointer<QQuickItem>>> m_free;
    QHash<QUrl, QList<Binding>> m_bindings;
};

// A QML property notifies on every write, equal or not, and what binds to it is evaluated
// again: an item lent to a block like its last one keeps what is the same.
void write(QObject *item, const QMetaProperty &property, const QVariant &value)
{
    if (property.read(item) != value)
        property.write(item, value);
}

void write(QObject *item, const Binding &binding, const QModelIndex &index)
{
    write(item, item->metaObject()->property(binding.property), index.data(binding.role));
}

} // namespace

BlockRepeater::BlockRepeater(QQuickItem *parent) : QQuickItem(parent) {}

BlockRepeater::~BlockRepeater()
{
    releaseItems();
}

void BlockRepeater::setAnswer(AnswerModel *answer)
{
    if (m_answer == answer)
        return;
    for (const auto &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    m_answer = answer;
    if (answer) {
        // Answers change as a whole (a reset once parsed), which makes the blocks again; a row's
        // data changes in place (a code block's colours arriving).
        const auto again = [this] { regenerate(); };
        m_modelConnections = {
            connect(answer, &QAbstractItemModel::modelReset, this, again),
            connect(answer, &QAbstractItemModel::rowsInserted, this, again),
            connect(answer, &QAbstractItemModel::rowsRemoved, this, again),
            connect(answer, &QAbstractItemModel::dataChanged, this, &BlockRepeater::updateRows),
            connect(answer, &QAbstractItemModel::layoutChanged, this, again),
            connect(answer, &QObject::destroyed, this, again),
        };
    }
    regenerate();
    Q_EMIT answerChanged();
}

void BlockRepeater::setView(QQuickItem *view)
{
    if (m_view == view)
        return;
    m_view = view;
    for (const Made &made : std::as_const(m_items)) {
        if (made.item)
            made.item->setProperty("view", QVariant::fromValue(view));
    }
    Q_EMIT viewChanged();
}

void BlockRepeater::setDelegates(const QVariantMap &delegates)
{
    if (m_delegates == delegates)
        return;
    m_delegates = delegates;
    regenerate();
    Q_EMIT delegatesChanged();
}

void BlockRepeater::updateRows(const QModelIndex &first, const QModelIndex &last, const QList<int> &roles)
{
    if (!m_answer)
        return;
    QQmlEngine *engine = qmlEngine(this);
    if (!engine)
        return;
    BlockPool *pool = BlockPool::of(engine);
    const TextLayoutBatch batch; // texts are laid out once their blocks are all set
    const QHash<int, QByteArray> names = m_answer->roleNames();
    for (const Made &made : std::as_const(m_items)) {
        if (!made.item || made.row < first.row() || made.row > last.row())
            continue;
        const QModelIndex index = m_answer->index(made.row);
        for (const Binding &binding : pool->bindings(made.component, made.item, names)) {
            if (roles.isEmpty() || roles.contains(binding.role))
                write(made.item, binding, index);
        }
    }
}

QQuickItem *BlockRepeater::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).item.data() : nullptr;
}

void BlockRepeater::componentComplete()
{
    QQuickItem::componentComplete();
    regenerate();
}

void BlockRepeater::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemParentHasChanged)
        regenerate();
}

void BlockRepeater::releaseItems()
{
    QQmlEngine *engine = qmlEngine(this);
    for (const Made &made : std::as_const(m_items)) {
        if (!made.item)
            continue;
        if (engine) {
            // Hidden where it is, not taken out of the scene: an item moved to another answer
            // of the same window keeps its scene-graph nodes (text, rounded grounds), which
            // taking it out would throw away and the next answer would make again.
            made.item->setVisible(false);
            BlockPool::of(engine)->put(made.component, made.item);
        } else {
            made.item->setParentItem(nullptr);
            made.item->deleteLater();
        }
    }
    m_items.clear();
}

void BlockRepeater::makeItems(QQmlEngine *engine, QQuickItem *container)
{
    BlockPool *pool = BlockPool::of(engine);
    const TextLayoutBatch batch; // texts are laid out once their blocks are all set
    const QHash<int, QByteArray> roles = m_answer->roleNames();
    QQuickItem *previous = this;
    const int rows = m_answer->rowCount();
    m_items.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = m_answer->index(row);
        const QUrl url = m_delegates.value(index.data(AnswerModel::KindRole).toString()).toUrl();
        if (url.isEmpty())
            continue;
        QQuickItem *item = pool->take(url, container);
        if (item) {
            if (item->parentItem() != container)
                item->setParentItem(container);
            for (const Binding &binding : pool->bindings(url, item, roles))
                write(item, binding, index);
            const QMetaObject *meta = item->metaObject();
            write(item, meta->property(meta->indexOfProperty("index")), row);
            write(item, meta->property(meta->indexOfProperty("view")), QVariant::fromValue(m_view.data()));
            item->setVisible(true);
            if (item->metaObject()->indexOfMethod("reused()") >= 0)
                QMetaObject::invokeMethod(item, "reused");
        } else {
            QQmlComponent *component = pool->component(url);
            if (!component)
                continue;
            QObject *object = component->beginCreate(engine->rootContext());
            item = qobject_cast<QQuickItem *>(object);
            if (!item) {
                component->completeCreate();
                delete object;
                continue;
            }
            QVariantMap values{{QStringLiteral("index"), row},
                               {QStringLiteral("view"), QVariant::fromValue(m_view.data())}};
            for (const Binding &binding : pool->bindings(url, item, roles))
                values.insert(binding.name, index.data(binding.role));
            component->setInitialProperties(item, values);
            item->setParentItem(container);
            component->completeCreate();
            // The pool owns it; this repeater only lends it out.
            item->setParent(pool);
            QQmlEngine::setObjectOwnership(item, QQmlEngine::CppOwnership);
        }
        item->stackAfter(previous);
        previous = item;
        m_items.append(Made{item, url, row});
    }
}

void BlockRepeater::regenerate()
{
    if (!isComponentComplete())
        return;
    const bool hadItems = !m_items.isEmpty();
    releaseItems();
    QQmlEngine *engine = qmlEngine(this);
    QQuickItem *container = parentItem();
    if (!m_answer || !engine || !container) {
        if (hadItems)
            Q_EMIT itemsChanged();
        return;
    }
    makeItems(engine, container);
    // A positioner places its children when the frame is polished, but a list that has just
    // made the bubble reads its height now: laid out later, the bubble would first be as high
    // as the answer it showed before, and the list would make (and then drop) bubbles for rows
    // that turn out not to fit. The blocks' texts are laid out by now (the batch has ended).
    if (container->metaObject()->indexOfMethod("forceLayout()") >= 0)
        QMetaObject::invokeMethod(container, "forceLayout");
    Q_EMIT itemsChanged();
}

} // namespace vexa::answer
