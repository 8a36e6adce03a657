#include "utilityrowmodel.h"

#include <QHash>
#include <QSet>

namespace vexa {

using namespace utility;

namespace {

// Each row's key, with a count appended to the second and later rows of one key.
QStringList keysOf(const QList<UtilityRow> &rows)
{
    QStringList keys;
    QHash<QString, int> seen;
    keys.reserve(rows.size());
    for (const UtilityRow &row : rows) {
        const QString key = rowKey(row);
        const int repeat = seen[key]++;
        keys.append(repeat == 0 ? key : key + QLatin1Char('#') + QString::number(repeat));
    }
    return keys;
}

} // namespace

void UtilityRowModel::reset(QList<UtilityRow> rows, QStringList keys)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_keys = std::move(keys);
    endResetModel();
}

void UtilityRowModel::setRows(QList<UtilityRow> rows)
{
    const QStringList keys = keysOf(rows);
    const QSet<QString> wanted(keys.cbegin(), keys.cend());

    // Rows that went, from the end so the earlier indexes hold.
    for (qsizetype n = m_keys.size() - 1; n >= 0; --n) {
        if (wanted.contains(m_keys.at(n)))
            continue;
        beginRemoveRows(QModelIndex(), int(n), int(n));
        m_rows.removeAt(n);
        m_keys.removeAt(n);
        endRemoveRows();
    }

    // The rows that stay must keep their order; a reply that moves them starts afresh.
    qsizetype next = 0;
    for (const QString &key : std::as_const(m_keys)) {
        next = keys.indexOf(key, next);
        if (next < 0) {
            reset(std::move(rows), keys);
            return;
        }
        ++next;
    }

    // Walk the reply: a kept row is updated where it is, a new one goes in before the next kept.
    for (qsizetype n = 0; n < keys.size(); ++n) {
        if (n < m_keys.size() && m_keys.at(n) == keys.at(n)) {
            if (!(m_rows.at(n) == rows.at(n))) {
                m_rows[n] = rows.at(n);
                Q_EMIT dataChanged(index(int(n)), index(int(n)));
            }
            continue;
        }
        beginInsertRows(QModelIndex(), int(n), int(n));
        m_rows.insert(n, rows.at(n));
        m_keys.insert(n, keys.at(n));
        endInsertRows();
    }
}

int UtilityRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant UtilityRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const UtilityRow &row = m_rows[index.row()];
    switch (role) {
    case TitleRole:
        return row.title;
    case DetailRole:
        return row.detail;
    case CanOpenChatRole:
        return row.chatID.has_value();
    case CanUseDocumentRole:
        return row.documentID.has_value();
    case HasDueRole:
        return row.due.has_value();
    case DueDateRole:
        return row.due ? m_locale.toString(row.due->toLocalTime().date(), QLocale::ShortFormat) : QString();
    case DueTimeRole:
        return row.due ? m_locale.toString(row.due->toLocalTime().time(), QLocale::ShortFormat) : QString();
    case CanDeleteRole:
        return row.canDelete();
    case CanMarkReadRole:
        return row.noticeID.has_value();
    case PromoRole:
        return row.promo;
    case LinkRole:
        return row.link ? row.link->toString() : QString();
    case KeyRole:
        return m_keys.at(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> UtilityRowModel::roleNames() const
{
    return {{TitleRole, "title"},
            {DetailRole, "detail"},
            {CanOpenChatRole, "canOpenChat"},
            {CanUseDocumentRole, "canUseDocument"},
            {HasDueRole, "hasDue"},
            {DueDateRole, "dueDate"},
            {DueTimeRole, "dueTime"},
            {CanDeleteRole, "canDelete"},
            {CanMarkReadRole, "canMarkRead"},
            {PromoRole, "promo"},
            {LinkRole, "link"},
            {KeyRole, "rowKey"}};
}

} // namespace vexa
