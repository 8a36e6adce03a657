#pragma once

// CodeProjectStore: the signed-in account's local code projects on disk, the selected project's
// files, the text being edited, a notice for the user and the busy flag of a running question.
//
// Layout under the data root: VexaAI/CodeProjects/<user number>/<PROJECT-UUID>/project.json,
// with the project's files beside project.json (no sub-folders). Everything runs on the main
// thread; disk calls are synchronous and only ask() suspends.
//
// One rule holds across every operation: the editor text is written only to the file it was
// read from. Whatever changes the selected project or the account first saves the open file
// silently into its own folder, then closes it, so a later save can never carry one project's
// text into another project's folder.

#include "codefilewatch.h"
#include "codeproject.h"
#include "expected.h"
#include "vexaclient.h"
#include "vexaerror.h"

#include <QObject>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <QCoro/QCoroTask>

#include <optional>

namespace vexa {

class CodeProjectStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The code workspace creates its own store.")
    Q_PROPERTY(QStringList files READ files NOTIFY filesChanged)
    Q_PROPERTY(QString selectedProjectID READ selectedProjectIDText NOTIFY selectedProjectIDChanged)
    Q_PROPERTY(bool hasProject READ hasProject NOTIFY projectChanged)
    Q_PROPERTY(QString projectName READ projectName NOTIFY projectChanged)
    Q_PROPERTY(QString selectedFile READ selectedFileText NOTIFY selectedFileChanged)
    Q_PROPERTY(bool hasOpenFile READ hasOpenFile NOTIFY selectedFileChanged)
    // The open file's text as edited. Changes notify when the text is replaced from here (a file
    // opened, reloaded or closed), not for each edit made in the editor.
    Q_PROPERTY(QString editorText READ editorText WRITE setEditorText NOTIFY editorTextChanged)
    // The editor's document. While set, an edit only marks the text as edited (editorEdited());
    // the text is taken from the document when something needs it (a save, a question, the
    // check for "modified" once typing pauses) rather than copied on every key.
    Q_PROPERTY(QTextDocument *editorDocument READ editorDocument WRITE setEditorDocument NOTIFY editorDocumentChanged)
    Q_PROPERTY(QString notice READ noticeText NOTIFY noticeChanged)
    Q_PROPERTY(bool hasNotice READ hasNotice NOTIFY noticeChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    // The open file's text differs from what it was read as or last saved as.
    Q_PROPERTY(bool modified READ modified NOTIFY modifiedChanged)
    // The open file's line endings for people: "LF", "CRLF" or "CR".
    Q_PROPERTY(QString lineEndingName READ lineEndingName NOTIFY modifiedChanged)
    // The open file is larger than kEditableFileBytes, or has a line longer than
    // kEditableLineChars: shown, never edited or saved; readOnlyReason says which.
    Q_PROPERTY(bool readOnly READ readOnly NOTIFY modifiedChanged)
    Q_PROPERTY(QString readOnlyReason READ readOnlyReason NOTIFY modifiedChanged)
    // The open file was changed or deleted outside the app and the user has not yet chosen
    // what to do: reloadFromDisk() or keepEditorText() (or saveFile, which writes the text).
    Q_PROPERTY(DiskChange diskChange READ diskChange NOTIFY diskChangeChanged)

public:
    enum class DiskChange { None, Changed, Deleted };
    Q_ENUM(DiskChange)

    // dataRoot stands for the platform's generic data directory; empty means ask the platform
    // each time an account is opened.
    explicit CodeProjectStore(QObject *parent = nullptr);
    ~CodeProjectStore() override;

    void setDataRoot(const QString &dataRoot) { m_dataRoot = dataRoot; }
    QString dataRoot() const { return m_dataRoot; }

    // Published state.
    const QList<CodeProject> &projects() const { return m_projects; }
    const QStringList &files() const { return m_files; }
    const std::optional<QUuid> &selectedProjectID() const { return m_selectedProjectID; }
    QString selectedProjectIDText() const;
    bool hasProject() const { return project().has_value(); }
    QString projectName() const;
    const std::optional<QString> &selectedFile() const { return m_selectedFile; }
    QString selectedFileText() const { return m_selectedFile.value_or(QString()); }
    bool hasOpenFile() const { return m_selectedFile.has_value(); }
    const QString &editorText() const;
    void setEditorText(const QString &text);
    QTextDocument *editorDocument() const { return m_editorDocument; }
    void setEditorDocument(QTextDocument *document);
    // The editor's document changed by the user.
    Q_INVOKABLE void editorEdited();
    const std::optional<QString> &notice() const { return m_notice; }
    QString noticeText() const { return m_notice.value_or(QString()); }
    bool hasNotice() const { return m_notice.has_value(); }
    bool busy() const { return m_busy; }

    // The open account folder, and the selected project's folder (not checked for existence).
    const std::optional<QString> &accountRoot() const { return m_accountRoot; }
    std::optional<QString> projectFolder() const;
    // The selected project, when it is listed.
    std::optional<CodeProject> project() const;

    // Opens the folder of that account (none closes the store) and lists its projects. False
    // when the open file's edits could not be saved: then nothing changed (its error shows).
    bool openAccount(std::optional<qint64> userNumber);
    void refreshFiles();
    // Whatever leaves the open file first saves it silently; when that fails the file stays
    // open with its text and the save's error, and the step is not taken (false).
    bool createProject(const QString &name);
    void selectProject(const QUuid &id);
    bool createFile(const QString &name);
    // Selecting the open file again keeps its edits; it is not read again.
    void selectFile(const QString &name);
    // False only when writing failed (the notice says why); nothing to write is success.
    // Text read with "\r\n" or "\r" line endings is edited with "\n" and saved with its own.
    bool saveFile(bool silent);
    // Copies UTF-8 text files of at most 2,000,000 bytes into the selected project; existing
    // names (and names equal to them in composed form, see sameFileName) are never replaced.
    // Only local files are read; a name isSafeFileName refuses is left out.
    void importFiles(const QList<QUrl> &urls);
    // Writes project.json of that project into the open account.
    Outcome<ClientError> save(const CodeProject &project);
    // Replaces the listed copy with the same id (nothing is added) and re-sorts.
    void update(const CodeProject &project);

    // Asks the assistant about the selected project; the question and the answer join the
    // project's stored conversation. See codeprojectstore_ask.cpp.
    QCoro::Task<> ask(QString question, QPointer<VexaClient> client);

    Q_INVOKABLE void clearNotice() { setNotice(std::nullopt); }
    // Larger files open read-only: the editor stays responsive up to about this size.
    static constexpr qint64 kEditableFileBytes = 4 * 1024 * 1024;
    // Qt lays a line out whole (about 4 µs a character, on the main thread): a file with a longer
    // line opens read-only, such lines shown up to kShownLineChars and " …".
    static constexpr qsizetype kEditableLineChars = 20000;
    static constexpr qsizetype kShownLineChars = 10000;
    // How long typing must pause before the edited text is compared with the file's.
    static constexpr int kEditsPauseMs = 300;
    bool readOnly() const { return m_openFileReadOnly; }
    QString readOnlyReason() const;
    // A text read from the open file as the editor shows it (its long lines cut, if they are).
    QString shownText(const QString &text) const;
    bool modified() const
    {
        // Edits not yet looked at count as changes until typing pauses.
        return m_selectedFile.has_value()
            && (m_editorEdited || editorText() != m_openFileText || m_openFileMissing);
    }
    DiskChange diskChange() const { return m_diskChange; }
    // The open file's text as it is on disk now replaces the editor's (the user chose so).
    Q_INVOKABLE void reloadFromDisk();
    // The editor's text stays, unsaved: a changed file's disk text becomes what it differs from;
    // a deleted file stays open until it is saved again or closed. See codeprojectstore_disk.cpp.
    Q_INVOKABLE void keepEditorText();
    QString lineEndingName() const;

Q_SIGNALS:
    void projectsChanged();
    void filesChanged();
    void selectedProjectIDChanged();
    void projectChanged(); // the selected project's name or conversation may differ
    void selectedFileChanged();
    void editorTextChanged();
    void noticeChanged();
    void busyChanged();
    void modifiedChanged();
    void diskChangeChanged();
    void editorDocumentChanged();

private:
    void setProjects(QList<CodeProject> projects);
    void setFiles(QStringList files);
    void setSelectedProjectID(std::optional<QUuid> id);
    void setSelectedFile(std::optional<QString> name);
    void setNotice(std::optional<QString> notice);
    void setBusy(bool busy);
    void setOpenFileText(const QString &text);
    // Reads the file at m_openFilePath into the editor; false (with the notice) when it is not
    // UTF-8 text or cannot be read.
    bool readOpenFile();
    void onChangedOnDisk(const QByteArray &bytes);
    void onDeletedOnDisk();
    void setDiskChange(DiskChange change);
    // Ends a question: busy off, and the failure's text in the notice when there is one.
    void endAsk(std::optional<QString> failure);

    // Saves the open file silently where it came from, then closes it; false (and still open)
    // when the save failed.
    bool closeOpenFile();
    // Closes the open file and forgets the account: no folder, no projects, no selection.
    bool closeAccount();
    std::optional<QString> currentDataRoot() const;

    QString m_dataRoot;
    QList<CodeProject> m_projects;
    QStringList m_files;
    std::optional<QUuid> m_selectedProjectID;
    std::optional<QString> m_selectedFile;
    // Taken from m_editorDocument when m_editorEdited (see editorText()).
    mutable QString m_editorText;
    QPointer<QTextDocument> m_editorDocument;
    mutable bool m_editorEdited = false;
    QTimer m_editsPause;
    std::optional<QString> m_notice;
    bool m_busy = false;
    std::optional<QString> m_accountRoot;

    // The absolute path the open file was read from, and its text as read or last saved.
    // saveFile writes only to this path; a silent save skips a file whose text is unchanged.
    QString m_openFilePath;
    QString m_openFileText;
    QString m_openFileLineEnding = QStringLiteral("\n");
    bool m_openFileReadOnly = false;
    bool m_openFileLinesCut = false; // read-only for its long lines, which are shown cut
    // Deleted outside the app while open: its text is unsaved until written again.
    bool m_openFileMissing = false;
    CodeFileWatch m_watch;
    DiskChange m_diskChange = DiskChange::None;
    // What a changed file holds on disk now (with "\n" line endings).
    QString m_diskText;
};

// Writes project.json into <accountRoot>/<PROJECT-UUID>/ atomically; the folder must exist.
Outcome<ClientError> writeCodeProject(const QString &accountRoot, const CodeProject &project);

} // namespace vexa
