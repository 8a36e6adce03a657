#pragma once

// The code workspace screen's state and commands. The QML view (CodeWorkspaceView) lays it out
// and binds to it; the store keeps everything that lives on disk.

#include "codelistmodels.h"
#include "codeprojectstore.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class CodeWorkspaceViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    // Whether the screen is on display: showing it opens the signed-in account's projects,
    // hiding it saves the open file silently.
    Q_PROPERTY(bool shown READ shown WRITE setShown NOTIFY shownChanged)
    Q_PROPERTY(vexa::CodeProjectStore *store READ store CONSTANT)
    Q_PROPERTY(vexa::CodeProjectListModel *projects READ projects CONSTANT)
    Q_PROPERTY(vexa::CodeFileListModel *files READ files CONSTANT)
    Q_PROPERTY(vexa::CodeConversationModel *conversation READ conversation CONSTANT)
    Q_PROPERTY(QString newProjectName READ newProjectName WRITE setNewProjectName NOTIFY newProjectNameChanged)
    Q_PROPERTY(QString newFileName READ newFileName WRITE setNewFileName NOTIFY newFileNameChanged)
    Q_PROPERTY(QString question READ question WRITE setQuestion NOTIFY questionChanged)
    Q_PROPERTY(bool showingProjectPrompt READ showingProjectPrompt WRITE setShowingProjectPrompt NOTIFY showingProjectPromptChanged)
    Q_PROPERTY(bool showingFilePrompt READ showingFilePrompt WRITE setShowingFilePrompt NOTIFY showingFilePromptChanged)
    Q_PROPERTY(bool showingImport READ showingImport WRITE setShowingImport NOTIFY showingImportChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(QString filesStayLocalCaption READ filesStayLocalCaption CONSTANT)

public:
    explicit CodeWorkspaceViewModel(QObject *parent = nullptr);
    ~CodeWorkspaceViewModel() override;

    VexaClient *client() const { return m_client.data(); }
    void setClient(VexaClient *client);
    bool shown() const { return m_shown; }
    void setShown(bool shown);
    CodeProjectStore *store() const { return m_store; }
    CodeProjectListModel *projects() const { return m_projects; }
    CodeFileListModel *files() const { return m_files; }
    CodeConversationModel *conversation() const { return m_conversation; }

    QString newProjectName() const { return m_newProjectName; }
    void setNewProjectName(const QString &name);
    QString newFileName() const { return m_newFileName; }
    void setNewFileName(const QString &name);
    QString question() const { return m_question; }
    void setQuestion(const QString &question);
    bool showingProjectPrompt() const { return m_showingProjectPrompt; }
    void setShowingProjectPrompt(bool showing);
    bool showingFilePrompt() const { return m_showingFilePrompt; }
    void setShowingFilePrompt(bool showing);
    bool showingImport() const { return m_showingImport; }
    void setShowingImport(bool showing);
    bool canSend() const;
    QString filesStayLocalCaption() const;

    // Tests and tools point the store at another data directory.
    void setDataRoot(const QString &dataRoot) { m_store->setDataRoot(dataRoot); }

    // Dialog buttons.
    Q_INVOKABLE void confirmNewProject();
    Q_INVOKABLE void cancelNewProject();
    Q_INVOKABLE void confirmNewFile();
    Q_INVOKABLE void cancelNewFile();
    Q_INVOKABLE void importFiles(const QList<QUrl> &urls);

    Q_INVOKABLE void selectProject(const QString &projectID);
    Q_INVOKABLE void selectFile(const QString &name);
    Q_INVOKABLE void saveFile();
    // Clears the question and asks the store in the background.
    Q_INVOKABLE void send();
    Q_INVOKABLE void dismissNotice();

Q_SIGNALS:
    void clientChanged();
    void shownChanged();
    void newProjectNameChanged();
    void newFileNameChanged();
    void questionChanged();
    void showingProjectPromptChanged();
    void showingFilePromptChanged();
    void showingImportChanged();
    void canSendChanged();

private:
    std::optional<qint64> signedInUserNumber() const;
    // Opens the account again when the signed-in user's number differs from the open one.
    void followAccount();
    void openCurrentAccount();
    void refreshLists();

    QPointer<VexaClient> m_client;
    QMetaObject::Connection m_stateConnection;
    CodeProjectStore *m_store;
    CodeProjectListModel *m_projects;
    CodeFileListModel *m_files;
    CodeConversationModel *m_conversation;
    bool m_shown = false;
    bool m_accountOpened = false;
    std::optional<qint64> m_openedUserNumber;

    QString m_newProjectName;
    QString m_newFileName;
    QString m_question;
    bool m_showingProjectPrompt = false;
    bool m_showingFilePrompt = false;
    bool m_showingImport = false;
    bool m_canSend = false;
};

} // namespace vexa
