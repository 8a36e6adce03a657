#include "keyedrowmodel.h"

#include <QSet>

namespace vexa {

namespace {

constexpr int kIdRole = Qt::UserRole;

// Keys of one list are all numbers or all texts; their text form tells them apart.
QString keyText(const QVariant &key)
{
    return key.toString();
}

} // namespace

KeyedRowModel::KeyedRowModel(QByteArrayList roles, QObject *parent)
    : QAbstractListModel(parent), m_roles(std::move(roles))
{
}

int KeyedRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KeyedRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == kIdRole)
        return m_keys.at(index.row());
    const int column = role - kIdRole - 1;
    if (column < 0 || column >= m_roles.size())
        return {};
    return m_rows.at(index.row()).value(QString::fromLatin1(m_roles.at(column)));
}

QHash<int, QByteArray> KeyedRowModel::roleNames() const
{
    QHash<int, QByteArray> names{{kIdRole, QByteArrayLiteral("rowId")}};
    for (int n = 0; n < m_roles.size(); ++n)
        names.insert(kIdRole + 1 + n, m_roles.at(n));
    return names;
}

QVariant KeyedRowModel::value(int row, const QByteArray &role) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).value(QString::fromLatin1(role));
}

int KeyedRowModel::rowOf(const QVariant &key) const
{
    const QString wanted = keyText(key);
    for (qsizetype n = 0; n < m_keys.size(); ++n) {
        if (keyText(m_keys.at(n)) == wanted)
            return int(n);
    }
    return -1;
}

void KeyedRowModel::setRows(const QList<qint64> &ids, const QList<QVariantMap> &rows)
{
    QVariantList keys;
    keys.reserve(ids.size());
    for (const qint64 id : ids)
        keys.append(id);
    setRows(keys, rows);
}

void KeyedRowModel::setRows(const QVariantList &keys, const QList<QVariantMap> &rows)
{
    Q_ASSERT(keys.size() == rows.size());
    const int countBefore = count();
    QSet<QString> incoming;
    incoming.reserve(keys.size());
    for (const QVariant &key : keys)
        incoming.insert(keyText(key));
    if (incoming.size() != keys.size()) {
        // A repeated key cannot be followed row by row.
        reset(keys, rows);
        return;
    }

    // Rows whose record went away, in runs from the end.
    for (qsizetype last = m_keys.size() - 1; last >= 0;) {
        if (incoming.contains(keyText(m_keys.at(last)))) {
            --last;
            continue;
        }
        qsizetype first = last;
        while (first > 0 && !incoming.contains(keyText(m_keys.at(first - 1))))
            --first;
        beginRemoveRows(QModelIndex(), int(first), int(last));
        m_keys.remove(first, last - first + 1);
        m_rows.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }

    QSet<QString> kept;
    for (const QVariant &key : std::as_const(m_keys))
        kept.insert(keyText(key));

    // The new order, row by row: the kept row in place (or moved up to it), or a run of new ones.
    for (qsizetype at = 0; at < keys.size(); ++at) {
        const QString wanted = keyText(keys.at(at));
        if (at < m_keys.size() && keyText(m_keys.at(at)) == wanted) {
            update(at, rows.at(at));
            continue;
        }
        if (kept.contains(wanted)) {
            qsizetype from = at + 1;
            while (keyText(m_keys.at(from)) != wanted)
                ++from;
            beginMoveRows(QModelIndex(), int(from), int(from), QModelIndex(), int(at));
            m_keys.move(from, at);
            m_rows.move(from, at);
            endMoveRows();
            update(at, rows.at(at));
            continue;
        }
        qsizetype end = at + 1;
        while (end < keys.size() && !kept.contains(keyText(keys.at(end))))
            ++end;
        beginInsertRows(QModelIndex(), int(at), int(end - 1));
        for (qsizetype n = at; n < end; ++n) {
            m_keys.insert(n, keys.at(n));
            m_rows.insert(n, rows.at(n));
        }
        endInsertRows();
        at = end - 1;
    }
    if (count() != countBefore)
        Q_EMIT countChanged();
}

void KeyedRowModel::reset(const QVariantList &keys, const QList<QVariantMap> &rows)
{
    const int countBefore = count();
    beginResetModel();
    m_keys = keys;
    m_rows = rows;
    endResetModel();
    if (count() != countBefore)
        Q_EMIT countChanged();
}

void KeyedRowModel::update(qsizetype row, const QVariantMap &values)
{
    if (m_rows.at(row) == values)
        return;
    m_rows[row] = values;
    Q_EMIT dataChanged(index(int(row)), index(int(row)));
}

} // namespace vexa
