#include "codeworkspaceviewmodel.h"

#include "codetexts.h"
#include "vexaclient.h"

namespace vexa {

CodeWorkspaceViewModel::CodeWorkspaceViewModel(QObject *parent)
    : QObject(parent), m_store(new CodeProjectStore(this)),
      m_projects(new CodeProjectListModel(this)), m_files(new CodeFileListModel(this)),
      m_conversation(new CodeConversationModel(this))
{
    connect(m_projects, &CodeProjectListModel::activated, m_store, &CodeProjectStore::selectProject);
    connect(m_files, &CodeFileListModel::activated, m_store, &CodeProjectStore::selectFile);
    connect(m_store, &CodeProjectStore::filesChanged, this, &CodeWorkspaceViewModel::refreshLists);
    connect(m_store, &CodeProjectStore::selectedFileChanged, this,
            &CodeWorkspaceViewModel::refreshLists);
    connect(m_store, &CodeProjectStore::projectsChanged, this, &CodeWorkspaceViewModel::refreshLists);
    connect(m_store, &CodeProjectStore::selectedProjectIDChanged, this,
            &CodeWorkspaceViewModel::refreshLists);
    // The application's client unless a host hands in another. (QML's VexaClient singleton
    // is not used: Qt 6.4 default-constructs a fresh client for it instead of calling its
    // factory.)
    setClient(VexaClient::shared());
    connect(m_store, &CodeProjectStore::busyChanged, this, [this] {
        const bool value = canSend();
        if (value != m_canSend) {
            m_canSend = value;
            Q_EMIT canSendChanged();
        }
    });
}

CodeWorkspaceViewModel::~CodeWorkspaceViewModel()
{
    // Leaving with the screen still on display (window closed): keep the edits.
    if (m_shown)
        m_store->saveFile(true);
}

void CodeWorkspaceViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    disconnect(m_stateConnection);
    m_client = client;
    if (client)
        m_stateConnection = connect(client, &VexaClient::stateChanged, this,
                                    &CodeWorkspaceViewModel::followAccount);
    Q_EMIT clientChanged();
    followAccount();
}

void CodeWorkspaceViewModel::setShown(bool shown)
{
    if (m_shown == shown)
        return;
    m_shown = shown;
    Q_EMIT shownChanged();
    if (shown)
        openCurrentAccount();
    else
        m_store->saveFile(true);
}

std::optional<qint64> CodeWorkspaceViewModel::signedInUserNumber() const
{
    if (!m_client || !m_client->state() || !m_client->state()->user)
        return std::nullopt;
    return m_client->state()->user->userID;
}

void CodeWorkspaceViewModel::followAccount()
{
    // Until the screen has been shown once there is nothing open to follow.
    if (!m_accountOpened)
        return;
    if (signedInUserNumber() != m_openedUserNumber)
        openCurrentAccount();
}

void CodeWorkspaceViewModel::openCurrentAccount()
{
    m_accountOpened = true;
    const std::optional<qint64> user = signedInUserNumber();
    // While the open file's edits cannot be saved the previous account stays open; the next
    // change of state tries again.
    if (m_store->openAccount(user))
        m_openedUserNumber = user;
}

void CodeWorkspaceViewModel::refreshLists()
{
    m_projects->setProjects(m_store->projects(), m_store->selectedProjectID());
    m_files->setFiles(m_store->files(), m_store->selectedFile());
    const auto project = m_store->project();
    m_conversation->setEntries(project ? project->messages : QList<ChatEntry>());
}

void CodeWorkspaceViewModel::setNewProjectName(const QString &name)
{
    if (m_newProjectName == name)
        return;
    m_newProjectName = name;
    Q_EMIT newProjectNameChanged();
}

void CodeWorkspaceViewModel::setNewFileName(const QString &name)
{
    if (m_newFileName == name)
        return;
    m_newFileName = name;
    Q_EMIT newFileNameChanged();
}

void CodeWorkspaceViewModel::setQuestion(const QString &question)
{
    if (m_question == question)
        return;
    m_question = question;
    Q_EMIT questionChanged();
    const bool value = canSend();
    if (value != m_canSend) {
        m_canSend = value;
        Q_EMIT canSendChanged();
    }
}

void CodeWorkspaceViewModel::setShowingProjectPrompt(bool showing)
{
    if (m_showingProjectPrompt == showing)
        return;
    m_showingProjectPrompt = showing;
    Q_EMIT showingProjectPromptChanged();
}

void CodeWorkspaceViewModel::setShowingFilePrompt(bool showing)
{
    if (m_showingFilePrompt == showing)
        return;
    m_showingFilePrompt = showing;
    Q_EMIT showingFilePromptChanged();
}

void CodeWorkspaceViewModel::setShowingImport(bool showing)
{
    if (m_showingImport == showing)
        return;
    m_showingImport = showing;
    Q_EMIT showingImportChanged();
}

bool CodeWorkspaceViewModel::canSend() const
{
    return !m_store->busy() && !m_question.trimmed().isEmpty();
}

QString CodeWorkspaceViewModel::filesStayLocalCaption() const
{
    return codetexts::filesStayLocal();
}

void CodeWorkspaceViewModel::confirmNewProject()
{
    // A refused name or a failure keeps the prompt with what was typed (the notice says why).
    if (!m_store->createProject(m_newProjectName))
        return;
    setNewProjectName(QString());
    setShowingProjectPrompt(false);
}

void CodeWorkspaceViewModel::cancelNewProject()
{
    setNewProjectName(QString());
    setShowingProjectPrompt(false);
}

void CodeWorkspaceViewModel::confirmNewFile()
{
    if (!m_store->createFile(m_newFileName))
        return;
    setNewFileName(QString());
    setShowingFilePrompt(false);
}

void CodeWorkspaceViewModel::cancelNewFile()
{
    setNewFileName(QString());
    setShowingFilePrompt(false);
}

void CodeWorkspaceViewModel::importFiles(const QList<QUrl> &urls)
{
    setShowingImport(false);
    m_store->importFiles(urls);
}

void CodeWorkspaceViewModel::selectProject(const QString &projectID)
{
    const QUuid id = QUuid::fromString(projectID);
    if (!id.isNull())
        m_store->selectProject(id);
}

void CodeWorkspaceViewModel::selectFile(const QString &name)
{
    m_store->selectFile(name);
}

void CodeWorkspaceViewModel::saveFile()
{
    m_store->saveFile(false);
}

void CodeWorkspaceViewModel::send()
{
    if (!canSend())
        return;
    const QString copy = m_question;
    setQuestion(QString());
    // Runs to the end on its own; the store guards itself across the request.
    m_store->ask(copy, m_client);
}

void CodeWorkspaceViewModel::dismissNotice()
{
    m_store->clearNotice();
}

} // namespace vexa
