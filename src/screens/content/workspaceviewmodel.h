#pragma once

// The workspace screen's own part: the long-term memory facts and the server projects of the
// account state (add, delete after confirmation). The lists follow the client's state; the
// screen never fetches it. Saved answers and recipes are SavedAnswersViewModel's.

#include "keyedrowmodel.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace vexa {

class WorkspaceViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString memoryText READ memoryText WRITE setMemoryText NOTIFY memoryTextChanged)
    Q_PROPERTY(QString projectName READ projectName WRITE setProjectName NOTIFY projectFormChanged)
    Q_PROPERTY(QString projectDescription READ projectDescription WRITE setProjectDescription
                   NOTIFY projectFormChanged)
    Q_PROPERTY(bool showProjectForm READ showProjectForm WRITE setShowProjectForm NOTIFY projectFormChanged)
    // Rows keyed by the fact's id: "content".
    Q_PROPERTY(vexa::KeyedRowModel *memories READ memories CONSTANT)
    // Rows keyed by the project's id: "name", "description" (empty when it has none).
    Q_PROPERTY(vexa::KeyedRowModel *projects READ projects CONSTANT)
    Q_PROPERTY(bool canRemember READ canRemember NOTIFY enablementChanged)
    Q_PROPERTY(bool canSaveProject READ canSaveProject NOTIFY enablementChanged)
    Q_PROPERTY(bool remembering READ remembering NOTIFY enablementChanged)
    Q_PROPERTY(bool savingProject READ savingProject NOTIFY enablementChanged)
    Q_PROPERTY(bool hasDeletingMemory READ hasDeletingMemory NOTIFY deletingChanged)
    Q_PROPERTY(bool hasDeletingProject READ hasDeletingProject NOTIFY deletingChanged)

public:
    explicit WorkspaceViewModel(QObject *parent = nullptr);
    explicit WorkspaceViewModel(VexaClient *client, QObject *parent = nullptr);

    QString memoryText() const { return m_memoryText; }
    void setMemoryText(const QString &text);
    QString projectName() const { return m_projectName; }
    void setProjectName(const QString &name);
    QString projectDescription() const { return m_projectDescription; }
    void setProjectDescription(const QString &description);
    bool showProjectForm() const { return m_showProjectForm; }
    void setShowProjectForm(bool show);

    KeyedRowModel *memories() const { return m_memoryRows; }
    KeyedRowModel *projects() const { return m_projectRows; }
    bool canRemember() const;
    bool canSaveProject() const;
    bool remembering() const { return m_remembering; }
    bool savingProject() const { return m_savingProject; }
    bool hasDeletingMemory() const { return m_deletingMemory.has_value(); }
    bool hasDeletingProject() const { return m_deletingProject.has_value(); }

    Q_INVOKABLE void remember();
    Q_INVOKABLE void saveProject();
    Q_INVOKABLE void toggleProjectForm() { setShowProjectForm(!m_showProjectForm); }
    Q_INVOKABLE void askDeleteMemory(int row);
    Q_INVOKABLE void askDeleteProject(int row);
    // The dialog went away without "Удалить".
    Q_INVOKABLE void cancelDelete();
    Q_INVOKABLE void confirmDeleteMemory();
    Q_INVOKABLE void confirmDeleteProject();

Q_SIGNALS:
    void memoryTextChanged();
    void projectFormChanged();
    void stateChanged();
    void enablementChanged();
    void deletingChanged();

private:
    QCoro::Task<> runRemember(QString text);
    QCoro::Task<> runSaveProject(QString name, QString description);
    QCoro::Task<> runDelete(QString path);
    QList<VexaMemory> stateMemories() const;
    QList<VexaProject> stateProjects() const;
    void followState();

    QPointer<VexaClient> m_client;
    QString m_memoryText;
    QString m_projectName;
    QString m_projectDescription;
    bool m_showProjectForm = false;
    bool m_remembering = false;
    bool m_savingProject = false;
    std::optional<VexaMemory> m_deletingMemory;
    std::optional<VexaProject> m_deletingProject;
    KeyedRowModel *m_memoryRows;
    KeyedRowModel *m_projectRows;
};

} // namespace vexa
