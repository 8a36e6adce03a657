#pragma once

#include "vexasection.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// A list of sections for QML: roles section, title, dockLabel, symbol.
class SectionListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    enum Role { SectionRole = Qt::UserRole + 1, TitleRole, DockLabelRole, SymbolRole };

    explicit SectionListModel(QList<VexaSection> sections = {}, QObject *parent = nullptr);

    const QList<VexaSection> &sections() const { return m_sections; }
    void setSections(QList<VexaSection> sections);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The section in row `row`, for keyboard choice of the first match.
    Q_INVOKABLE int sectionAt(int row) const;

Q_SIGNALS:
    void countChanged();

private:
    QList<VexaSection> m_sections;
};

} // namespace vexa
