#include "communityrowmodel.h"

namespace vexa {

namespace {
constexpr int kIdRole = Qt::UserRole;
}

CommunityRowModel::CommunityRowModel(QByteArrayList roles, QObject *parent)
    : QAbstractListModel(parent), m_roles(std::move(roles))
{
}

int CommunityRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CommunityRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == kIdRole)
        return m_ids.at(index.row());
    const int column = role - kIdRole - 1;
    if (column < 0 || column >= m_roles.size())
        return {};
    return m_rows.at(index.row()).value(QString::fromLatin1(m_roles.at(column)));
}

QHash<int, QByteArray> CommunityRowModel::roleNames() const
{
    QHash<int, QByteArray> names{{kIdRole, QByteArrayLiteral("rowId")}};
    for (int n = 0; n < m_roles.size(); ++n)
        names.insert(kIdRole + 1 + n, m_roles.at(n));
    return names;
}

QVariant CommunityRowModel::value(int row, const QByteArray &role) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).value(QString::fromLatin1(role));
}

void CommunityRowModel::setRows(const QList<qint64> &ids, const QList<QVariantMap> &rows)
{
    Q_ASSERT(ids.size() == rows.size());
    const qsizetype kept = m_ids.size();
    const bool samePrefix = ids.size() >= kept && ids.mid(0, kept) == m_ids;
    if (!samePrefix) {
        beginResetModel();
        m_ids = ids;
        m_rows = rows;
        endResetModel();
        Q_EMIT countChanged();
        return;
    }
    for (qsizetype n = 0; n < kept; ++n) {
        if (m_rows.at(n) != rows.at(n)) {
            m_rows[n] = rows.at(n);
            Q_EMIT dataChanged(index(int(n)), index(int(n)));
        }
    }
    if (ids.size() > kept) {
        beginInsertRows(QModelIndex(), int(kept), int(ids.size() - 1));
        m_ids = ids;
        m_rows = rows;
        endInsertRows();
        Q_EMIT countChanged();
    }
}

QHash<int, QByteArray> CommunityRowChain::roleNames() const
{
    const auto models = sourceModels();
    return models.isEmpty() ? QHash<int, QByteArray>() : models.first()->roleNames();
}

} // namespace vexa
