#pragma once

// Makes an answer's blocks as items of its parent (a Column), one component per block kind,
// like a Repeater, except that the items are reused: when an answer gives way to another (a
// chat bubble reused for another message, a Markdown text replaced), its block items go to a
// pool of the QML engine and the next answer takes them from there, so scrolling a long chat
// sets a few properties instead of building code panels and tables anew on every page.
//
//     BlockRepeater {
//         answer: view.answer
//         view: view
//         delegates: ({ prose: Qt.resolvedUrl("ProseBlock.qml"), code: Qt.resolvedUrl("CodeBlock.qml") })
//     }
//
// Each item gets the row's roles as properties (those it declares), its `index`, `view` and
// `kind`; a kind without a delegate is left out. An item that has a function `reused()` is
// told when it comes back from the pool (to forget a scroll position, a "copied" flash).

#include "answermodel.h"

#include <QPointer>
#include <QQuickItem>
#include <QUrl>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace vexa::answer {

class BlockRepeater : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::answer::AnswerModel *answer READ answer WRITE setAnswer NOTIFY answerChanged)
    Q_PROPERTY(QQuickItem *view READ view WRITE setView NOTIFY viewChanged)
    // Block kind ("prose", "code"…) to the address of the component that draws it.
    Q_PROPERTY(QVariantMap delegates READ delegates WRITE setDelegates NOTIFY delegatesChanged)
    // How many block items there are; notified whenever they are made again, even if their
    // number stays the same (the first block may be another one).
    Q_PROPERTY(int count READ count NOTIFY itemsChanged)

public:
    explicit BlockRepeater(QQuickItem *parent = nullptr);
    ~BlockRepeater() override;

    AnswerModel *answer() const { return m_answer; }
    void setAnswer(AnswerModel *answer);
    QQuickItem *view() const { return m_view; }
    void setView(QQuickItem *view);
    QVariantMap delegates() const { return m_delegates; }
    void setDelegates(const QVariantMap &delegates);
    int count() const { return int(m_items.size()); }

    Q_INVOKABLE QQuickItem *itemAt(int index) const;

    // Free items a pool keeps per component; more are deleted.
    static constexpr int kPoolLimit = 24;

Q_SIGNALS:
    void answerChanged();
    void viewChanged();
    void delegatesChanged();
    void itemsChanged();

protected:
    void componentComplete() override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    void regenerate();
    // Takes or makes an item for each block, in order, into `container`.
    void makeItems(QQmlEngine *engine, QQuickItem *container);
    void updateRows(const QModelIndex &first, const QModelIndex &last, const QList<int> &roles);
    void releaseItems();

    QPointer<AnswerModel> m_answer;
    QPointer<QQuickItem> m_view;
    QVariantMap m_delegates;
    struct Made {
        QPointer<QQuickItem> item;
        QUrl component;
        int row = -1;
    };
    QList<Made> m_items;
    QList<QMetaObject::Connection> m_modelConnections;
};

} // namespace vexa::answer
