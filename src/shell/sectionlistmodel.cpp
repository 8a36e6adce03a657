#include "sectionlistmodel.h"

namespace vexa {

SectionListModel::SectionListModel(QList<VexaSection> sections, QObject *parent)
    : QAbstractListModel(parent),
      m_sections(std::move(sections))
{
}

void SectionListModel::setSections(QList<VexaSection> sections)
{
    if (sections == m_sections)
        return;
    const int oldCount = int(m_sections.size());
    beginResetModel();
    m_sections = std::move(sections);
    endResetModel();
    if (oldCount != m_sections.size())
        Q_EMIT countChanged();
}

int SectionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_sections.size());
}

QVariant SectionListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const VexaSection section = m_sections.at(index.row());
    switch (role) {
    case SectionRole:
        return int(section);
    case Qt::DisplayRole:
    case TitleRole:
        return sectionTitle(section);
    case DockLabelRole:
        return sectionDockLabel(section);
    case SymbolRole:
        return sectionSymbol(section);
    default:
        return {};
    }
}

QHash<int, QByteArray> SectionListModel::roleNames() const
{
    return {{SectionRole, "section"},
            {TitleRole, "title"},
            {DockLabelRole, "dockLabel"},
            {SymbolRole, "symbol"}};
}

int SectionListModel::sectionAt(int row) const
{
    if (row < 0 || row >= m_sections.size())
        return -1;
    return int(m_sections.at(row));
}

} // namespace vexa
