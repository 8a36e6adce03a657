#include "codelistmodels.h"

#include "codetexts.h"
#include "answerblocks.h"
#include "answermodel.h"

#include <QQmlEngine>

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
    // Blocks of entries no longer listed go.
    for (auto it = m_blocks.begin(); it != m_blocks.end();) {
        const bool listed = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                        [&](const ChatEntry &e) { return e.id == it.key(); });
        it = listed ? std::next(it) : m_blocks.erase(it);
    }
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
        // Every character of the user's text escaped (the prompt carries file content).
        return isUser ? answer::plainToHtml(entry.text) : QString();
    case BlocksRole: {
        // Answers go through the chat's answer renderer, escaped the same way.
        if (isUser)
            return QVariant::fromValue<QObject *>(nullptr);
        auto &blocks = m_blocks[entry.id];
        if (!blocks) {
            blocks.reset(new answer::AnswerModel, [](answer::AnswerModel *model) { model->deleteLater(); });
            QQmlEngine::setObjectOwnership(blocks.get(), QQmlEngine::CppOwnership);
            blocks->setMarkdown(entry.text);
        }
        return QVariant::fromValue<QObject *>(blocks.get());
    }
    }
    return {};
}

QHash<int, QByteArray> CodeConversationModel::roleNames() const
{
    return {{EntryIDRole, "entryID"}, {IsUserRole, "isUser"}, {CaptionRole, "caption"},
            {TextRole, "text"}, {HtmlRole, "html"}, {BlocksRole, "blocks"}};
}

} // namespace vexa
