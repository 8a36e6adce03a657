#pragma once

// The rows of one community list as QML sees them: display values keyed by role name, one row
// per record identifier. A reload that brings the same rows in the same order updates them in
// place, and one that only adds rows at the end inserts them, so a row that has the keyboard
// focus (a liked post, a topic that got a reply) keeps it.

#include <QAbstractListModel>
#include <QConcatenateTablesProxyModel>
#include <QByteArrayList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class CommunityRowModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // Every row carries "rowId" (the record's id) besides the given roles.
    explicit CommunityRowModel(QByteArrayList roles, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    void setRows(const QList<qint64> &ids, const QList<QVariantMap> &rows);
    QVariant value(int row, const QByteArray &role) const;
    Q_INVOKABLE qint64 idAt(int row) const { return row >= 0 && row < m_ids.size() ? m_ids.at(row) : 0; }

Q_SIGNALS:
    void countChanged();

private:
    QByteArrayList m_roles;
    QList<qint64> m_ids;
    QList<QVariantMap> m_rows;
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
