#include "codelistmodels.h"

#include "codetexts.h"
#include "markdowntext.h"

namespace vexa {

void CodeProjectListModel::setProjects(const QList<CodeProject> &projects,
                                       const std::optional<QUuid> &selected)
{
    QList<Row> rows;
    rows.reserve(projects.size());
    for (const CodeProject &project : projects)
        rows.append(Row{project.id, project.name});

    const bool sameRows = std::equal(rows.cbegin(), rows.cend(), m_rows.cbegin(), m_rows.cend(),
                                     [](const Row &a, const Row &b) {
                                         return a.id == b.id && a.name == b.name;
                                     });
    if (!sameRows) {
        beginResetModel();
        m_rows = std::move(rows);
        m_selected = selected;
        endResetModel();
        return;
    }
    if (m_selected != selected) {
        m_selected = selected;
        if (!m_rows.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {SelectedRole});
    }
}

void CodeProjectListModel::activate(int row)
{
    if (row >= 0 && row < m_rows.size())
        Q_EMIT activated(m_rows.at(row).id);
}

int CodeProjectListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CodeProjectListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case ProjectIDRole:
        return canonicalUuidText(row.id);
    case NameRole:
    case Qt::DisplayRole:
        return row.name;
    case SelectedRole:
        return m_selected == row.id;
    }
    return {};
}

QHash<int, QByteArray> CodeProjectListModel::roleNames() const
{
    return {{ProjectIDRole, "projectID"}, {NameRole, "name"}, {SelectedRole, "selected"}};
}

void CodeFileListModel::setFiles(const QStringList &names, const std::optional<QString> &selected)
{
    if (names != m_names) {
        beginResetModel();
        m_names = names;
        m_selected = selected;
        endResetModel();
        return;
    }
    if (m_selected != selected) {
        m_selected = selected;
        if (!m_names.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(m_names.size()) - 1), {SelectedRole});
    }
}

void CodeFileListModel::activate(int row)
{
    if (row >= 0 && row < m_names.size())
        Q_EMIT activated(m_names.at(row));
}

int CodeFileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant CodeFileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QString &name = m_names.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return name;
    case SelectedRole:
        return m_selected == name;
    }
    return {};
}

QHash<int, QByteArray> CodeFileListModel::roleNames() const
{
    return {{NameRole, "name"}, {SelectedRole, "selected"}};
}

void CodeConversationModel::setEntries(const QList<ChatEntry> &entries)
{
    const bool grew = entries.size() > m_entries.size()
        && std::equal(m_entries.cbegin(), m_entries.cend(), entries.cbegin(),
                      [](const ChatEntry &a, const ChatEntry &b) { return a.id == b.id; });
    if (grew) {
        beginInsertRows({}, int(m_entries.size()), int(entries.size()) - 1);
        m_entries = entries;
        endInsertRows();
        return;
    }
    const bool same = std::equal(m_entries.cbegin(), m_entries.cend(), entries.cbegin(),
                                 entries.cend(),
                                 [](const ChatEntry &a, const ChatEntry &b) { return a.id == b.id; });
    if (same)
        return;
    beginResetModel();
    m_entries = entries;
    endResetModel();
}

int CodeConversationModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant CodeConversationModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const ChatEntry &entry = m_entries.at(index.row());
    const bool isUser = entry.role == ChatEntry::Role::User;
    switch (role) {
    case EntryIDRole:
        return canonicalUuidText(entry.id);
    case IsUserRole:
        return isUser;
    case CaptionRole:
        return isUser ? codetexts::userCaption() : codetexts::assistantCaption();
    case TextRole:
    case Qt::DisplayRole:
        return entry.text;
    case HtmlRole:
        // Answers go through the chat's Markdown path: every character of the text escaped
        // (the prompt carries file content the answer may echo), line breaks and code kept.
        return isUser ? chat::plainToHtml(entry.text)
                      : chat::renderAnswer(entry.text, chat::CodeCopyLinks::Hidden).editHtml;
    }
    return {};
}

QHash<int, QByteArray> CodeConversationModel::roleNames() const
{
    return {{EntryIDRole, "entryID"}, {IsUserRole, "isUser"}, {CaptionRole, "caption"},
            {TextRole, "text"}, {HtmlRole, "html"}};
}

} // namespace vexa
