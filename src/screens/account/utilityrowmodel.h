#pragma once

// The productivity sheet's rows as QML sees them. Rows are keyed (utility::rowKey): a reload
// updates the rows that stay in place, removes the ones that went and inserts the new ones, so
// the card that has the keyboard focus lives on with its row ("Прочитано" on one notice leaves
// the others' cards as they were). Only a reply that reorders the rows it keeps starts afresh.

#include "utilityrules.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class UtilityRowModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Rows belong to a UtilityViewModel")
public:
    enum Role {
        TitleRole = Qt::UserRole + 1,
        DetailRole,
        CanOpenChatRole,
        CanUseDocumentRole,
        HasDueRole,
        DueDateRole,
        DueTimeRole,
        CanDeleteRole,
        CanMarkReadRole,
        PromoRole,
        LinkRole,
        KeyRole,
    };
    using QAbstractListModel::QAbstractListModel;

    void setRows(QList<utility::UtilityRow> rows);
    const QList<utility::UtilityRow> &rows() const { return m_rows; }
    void setLocale(const QLocale &locale) { m_locale = locale; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void reset(QList<utility::UtilityRow> rows, QStringList keys);

    QList<utility::UtilityRow> m_rows;
    QStringList m_keys;
    QLocale m_locale;
};

} // namespace vexa
