#pragma once

// The two lists of the code workspace as QML models: the account's projects (sidebar) and the
// selected project's conversation.

#include "codeproject.h"

#include <QAbstractListModel>
#include <QHash>
#include <QUuid>

#include <memory>
#include <QtQml/qqmlregistration.h>

namespace vexa {

namespace answer {
class AnswerModel;
}

class CodeProjectListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the code workspace.")
public:
    enum Role { ProjectIDRole = Qt::UserRole + 1, NameRole, SelectedRole };

    using QAbstractListModel::QAbstractListModel;

    void setProjects(const QList<CodeProject> &projects, const std::optional<QUuid> &selected);
    // A row was clicked: reports its project's id.
    Q_INVOKABLE void activate(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void activated(const QUuid &id);

private:
    struct Row {
        QUuid id;
        QString name;
    };
    QList<Row> m_rows;
    std::optional<QUuid> m_selected;
};

// The selected project's file names, sorted, with the open one marked.
class CodeFileListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the code workspace.")
public:
    enum Role { NameRole = Qt::UserRole + 1, SelectedRole };

    using QAbstractListModel::QAbstractListModel;

    void setFiles(const QStringList &names, const std::optional<QString> &selected);
    Q_INVOKABLE void activate(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void activated(const QString &name);

private:
    QStringList m_names;
    std::optional<QString> m_selected;
};

class CodeConversationModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the code workspace.")
public:
    // HtmlRole: the user's words as rich text for display (escaped); BlocksRole: an answer's
    // blocks (answer::AnswerModel, made once per entry and kept while it is listed).
    enum Role { EntryIDRole = Qt::UserRole + 1, IsUserRole, CaptionRole, TextRole, HtmlRole, BlocksRole };

    using QAbstractListModel::QAbstractListModel;

    // A list that only grew at the end inserts rows, so the view keeps its place; anything
    // else (another project, a trimmed conversation) resets.
    void setEntries(const QList<ChatEntry> &entries);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<ChatEntry> m_entries;
    mutable QHash<QUuid, std::shared_ptr<answer::AnswerModel>> m_blocks;
};

} // namespace vexa
