#pragma once

// The rows of a screen's list as QML sees them: display values keyed by role name, one row per
// record key (an id, number or text). Each new list is laid over the shown one in place: rows
// whose key stays are updated (and moved where the order changed), the others removed or
// inserted. A row's delegate therefore lives as long as its record, and the control in it that
// has the keyboard focus keeps it through a reload (an activated character, a liked post); a
// reset happens only when the new list repeats a key.

#include <QAbstractListModel>
#include <QByteArrayList>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class KeyedRowModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // Every row carries "rowId" (the record's key) besides the given roles.
    explicit KeyedRowModel(QByteArrayList roles, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    void setRows(const QVariantList &keys, const QList<QVariantMap> &rows);
    void setRows(const QList<qint64> &ids, const QList<QVariantMap> &rows);
    QVariant value(int row, const QByteArray &role) const;
    Q_INVOKABLE QVariant keyAt(int row) const { return row >= 0 && row < m_keys.size() ? m_keys.at(row) : QVariant(); }
    Q_INVOKABLE qint64 idAt(int row) const { return keyAt(row).toLongLong(); }
    // The row of a key, or -1.
    Q_INVOKABLE int rowOf(const QVariant &key) const;

Q_SIGNALS:
    void countChanged();

private:
    void reset(const QVariantList &keys, const QList<QVariantMap> &rows);
    void update(qsizetype row, const QVariantMap &values);

    QByteArrayList m_roles;
    QVariantList m_keys;
    QList<QVariantMap> m_rows;
};

} // namespace vexa
