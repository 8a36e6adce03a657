#include "workspaceviewmodel.h"

#include "detachedtask.h"
#include "workspacerules.h"

#include <QJsonObject>
#include <QVariantMap>

namespace vexa {

using namespace content;

WorkspaceViewModel::WorkspaceViewModel(QObject *parent)
    : WorkspaceViewModel(VexaClient::shared(), parent)
{
}

WorkspaceViewModel::WorkspaceViewModel(VexaClient *client, QObject *parent)
    : QObject(parent)
    , m_client(client)
    , m_memoryRows(new KeyedRowModel({"content"}, this))
    , m_projectRows(new KeyedRowModel({"name", "description"}, this))
{
    if (client) {
        connect(client, &VexaClient::stateChanged, this, &WorkspaceViewModel::followState);
        connect(client, &VexaClient::stateChanged, this, &WorkspaceViewModel::enablementChanged);
    }
    followState();
}

void WorkspaceViewModel::setMemoryText(const QString &text)
{
    if (m_memoryText == text)
        return;
    m_memoryText = text;
    Q_EMIT memoryTextChanged();
    Q_EMIT enablementChanged();
}

void WorkspaceViewModel::setProjectName(const QString &name)
{
    if (m_projectName == name)
        return;
    m_projectName = name;
    Q_EMIT projectFormChanged();
    Q_EMIT enablementChanged();
}

void WorkspaceViewModel::setProjectDescription(const QString &description)
{
    if (m_projectDescription == description)
        return;
    m_projectDescription = description;
    Q_EMIT projectFormChanged();
}

void WorkspaceViewModel::setShowProjectForm(bool show)
{
    if (m_showProjectForm == show)
        return;
    m_showProjectForm = show;
    Q_EMIT projectFormChanged();
}

QList<VexaMemory> WorkspaceViewModel::stateMemories() const
{
    if (!m_client || !m_client->state())
        return {};
    return m_client->state()->memories.value_or(QList<VexaMemory>());
}

QList<VexaProject> WorkspaceViewModel::stateProjects() const
{
    if (!m_client || !m_client->state())
        return {};
    return m_client->state()->projects.value_or(QList<VexaProject>());
}

// The lists follow every new state in place: a fact or project that stays keeps its row.
void WorkspaceViewModel::followState()
{
    QVariantList keys;
    QList<QVariantMap> rows;
    for (const VexaMemory &memory : stateMemories()) {
        keys.append(memory.id);
        rows.append({{QStringLiteral("content"), memory.content}});
    }
    m_memoryRows->setRows(keys, rows);
    keys.clear();
    rows.clear();
    for (const VexaProject &project : stateProjects()) {
        keys.append(project.id);
        rows.append({{QStringLiteral("name"), project.name},
                     {QStringLiteral("description"), project.description.value_or(QString())}});
    }
    m_projectRows->setRows(keys, rows);
    Q_EMIT stateChanged();
}

bool WorkspaceViewModel::canRemember() const
{
    return m_client && !m_remembering && hasVisibleText(m_memoryText)
        && featureAllows(m_client->state(), &VexaFeatures::longMemory);
}

bool WorkspaceViewModel::canSaveProject() const
{
    return m_client && !m_savingProject && hasVisibleText(m_projectName)
        && featureAllows(m_client->state(), &VexaFeatures::projects);
}

void WorkspaceViewModel::remember()
{
    if (!canRemember())
        return;
    m_remembering = true;
    Q_EMIT enablementChanged();
    detach(runRemember(m_memoryText));
}

QCoro::Task<> WorkspaceViewModel::runRemember(QString text)
{
    QPointer<WorkspaceViewModel> self(this);
    QJsonObject body;
    body.insert(QString::fromUtf8("content"), text);
    auto reply = co_await m_client->request(QString::fromUtf8("/api/memory"), body);
    if (!self || !m_client)
        co_return;
    if (reply) {
        m_client->applyReplyState(*reply);
        // What was typed while the fact travelled stays.
        if (m_memoryText == text)
            setMemoryText(QString());
    } else {
        m_client->showNotice(describe(reply.error()));
    }
    m_remembering = false;
    Q_EMIT enablementChanged();
}

void WorkspaceViewModel::saveProject()
{
    if (!canSaveProject())
        return;
    m_savingProject = true;
    Q_EMIT enablementChanged();
    detach(runSaveProject(m_projectName, m_projectDescription));
}

QCoro::Task<> WorkspaceViewModel::runSaveProject(QString name, QString description)
{
    QPointer<WorkspaceViewModel> self(this);
    QJsonObject body;
    body.insert(QString::fromUtf8("name"), name);
    body.insert(QString::fromUtf8("description"), description);
    auto reply = co_await m_client->request(QString::fromUtf8("/api/projects"), body);
    if (!self || !m_client)
        co_return;
    if (reply) {
        m_client->applyReplyState(*reply);
        // The form closes only when it still holds what was saved.
        if (m_projectName == name && m_projectDescription == description) {
            m_projectName.clear();
            m_projectDescription.clear();
            m_showProjectForm = false;
            Q_EMIT projectFormChanged();
        }
    } else {
        m_client->showNotice(describe(reply.error()));
    }
    m_savingProject = false;
    Q_EMIT enablementChanged();
}

void WorkspaceViewModel::askDeleteMemory(int row)
{
    const QList<VexaMemory> list = stateMemories();
    if (row < 0 || row >= list.size())
        return;
    m_deletingMemory = list.at(row);
    Q_EMIT deletingChanged();
}

void WorkspaceViewModel::askDeleteProject(int row)
{
    const QList<VexaProject> list = stateProjects();
    if (row < 0 || row >= list.size())
        return;
    m_deletingProject = list.at(row);
    Q_EMIT deletingChanged();
}

void WorkspaceViewModel::cancelDelete()
{
    if (!m_deletingMemory && !m_deletingProject)
        return;
    m_deletingMemory.reset();
    m_deletingProject.reset();
    Q_EMIT deletingChanged();
}

void WorkspaceViewModel::confirmDeleteMemory()
{
    if (!m_deletingMemory || !m_client)
        return;
    const qint64 id = std::exchange(m_deletingMemory, std::nullopt)->id;
    Q_EMIT deletingChanged();
    detach(runDelete(QStringLiteral("/api/memory/") + QString::number(id)));
}

void WorkspaceViewModel::confirmDeleteProject()
{
    if (!m_deletingProject || !m_client)
        return;
    const qint64 id = std::exchange(m_deletingProject, std::nullopt)->id;
    Q_EMIT deletingChanged();
    detach(runDelete(QStringLiteral("/api/projects/") + QString::number(id)));
}

QCoro::Task<> WorkspaceViewModel::runDelete(QString path)
{
    QPointer<WorkspaceViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    auto reply = co_await client->request(path, std::nullopt, QByteArray("DELETE"));
    if (!self || !client)
        co_return;
    if (reply)
        client->applyReplyState(*reply);
    else
        client->showNotice(describe(reply.error()));
}

} // namespace vexa
