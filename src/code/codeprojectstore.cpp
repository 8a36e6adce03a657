#include "codeprojectstore.h"

#include "codefilenames.h"
#include "codefiletext.h"
#include "codetexts.h"
#include "graphemes.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vexa {

namespace {

namespace fs = std::filesystem;
using namespace codefile;

constexpr qint64 kImportLimit = 2'000'000;
constexpr qsizetype kProjectNameLimit = 80;

fs::path nativePath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString fromNative(const fs::path &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

QString describe(const std::error_code &error)
{
    return QString::fromLocal8Bit(error.message());
}

QString joined(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

// Immediate entries of a folder, sorted by name (code units, case-sensitive: "B" before "a"),
// so the order is the same on every run.
Expected<QStringList, QString> listFolder(const QString &folder, bool regularFilesOnly)
{
    std::error_code error;
    fs::directory_iterator it(nativePath(folder), error);
    if (error)
        return describe(error);
    QStringList names;
    for (const fs::directory_entry &entry : it) {
        if (regularFilesOnly) {
            // Symbolic links are not regular files: the editor never writes through one.
            std::error_code statusError;
            const fs::file_status status = entry.symlink_status(statusError);
            if (statusError || !fs::is_regular_file(status))
                continue;
        }
        names.append(fromNative(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Anything at that path, a dangling symbolic link included.
bool pathTaken(const QString &path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(nativePath(path), error));
}

// Anything in the folder under that name or one equal to it in composed form (sameFileName).
// A folder that cannot be listed counts as taken: nothing is written where it cannot be checked.
bool nameTaken(const QString &folder, const QString &name)
{
    if (pathTaken(joined(folder, name)))
        return true;
    std::error_code error;
    fs::directory_iterator it(nativePath(folder), error);
    if (error)
        return true;
    for (const fs::directory_entry &entry : it) {
        if (sameFileName(fromNative(entry.path().filename()), name))
            return true;
    }
    return false;
}

void sortNewestFirst(QList<CodeProject> &projects)
{
    std::stable_sort(projects.begin(), projects.end(),
                     [](const CodeProject &a, const CodeProject &b) {
                         return a.updatedAt > b.updatedAt;
                     });
}

} // namespace

Outcome<ClientError> writeCodeProject(const QString &accountRoot, const CodeProject &project)
{
    const QString path = joined(joined(accountRoot, canonicalUuidText(project.id)),
                                kProjectFileName);
    const auto written = writeAtomically(path, encodeCodeProject(project));
    if (!written)
        return ClientError(PlatformError{PlatformError::Source::File, 0, written.error()});
    return {};
}

CodeProjectStore::CodeProjectStore(QObject *parent) : QObject(parent)
{
    connect(&m_watch, &CodeFileWatch::changedOnDisk, this, &CodeProjectStore::onChangedOnDisk);
    connect(&m_watch, &CodeFileWatch::deletedOnDisk, this, &CodeProjectStore::onDeletedOnDisk);
    connect(&m_watch, &CodeFileWatch::folderChanged, this, &CodeProjectStore::refreshFiles);
    m_editsPause.setSingleShot(true);
    m_editsPause.setInterval(kEditsPauseMs);
    connect(&m_editsPause, &QTimer::timeout, this, [this] {
        // Typing paused: the mark shows whether the text really differs.
        editorText();
        Q_EMIT modifiedChanged();
    });
}

CodeProjectStore::~CodeProjectStore() = default;

QString CodeProjectStore::selectedProjectIDText() const
{
    return m_selectedProjectID ? canonicalUuidText(*m_selectedProjectID) : QString();
}

QString CodeProjectStore::projectName() const
{
    const auto selected = project();
    return selected ? selected->name : QString();
}

std::optional<CodeProject> CodeProjectStore::project() const
{
    if (!m_selectedProjectID)
        return std::nullopt;
    for (const CodeProject &candidate : m_projects) {
        if (candidate.id == *m_selectedProjectID)
            return candidate;
    }
    return std::nullopt;
}

std::optional<QString> CodeProjectStore::projectFolder() const
{
    if (!m_accountRoot || !m_selectedProjectID)
        return std::nullopt;
    return joined(*m_accountRoot, canonicalUuidText(*m_selectedProjectID));
}

std::optional<QString> CodeProjectStore::currentDataRoot() const
{
    QString root = m_dataRoot;
    if (root.isEmpty())
        root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (root.isEmpty())
        return std::nullopt;
    return root;
}

bool CodeProjectStore::openAccount(std::optional<qint64> userNumber)
{
    if (!userNumber)
        return closeAccount();
    const auto dataRoot = currentDataRoot();
    if (!dataRoot) {
        if (!closeAccount())
            return false;
        setNotice(codetexts::storageUnavailable());
        return true;
    }
    const QString root = QDir::cleanPath(*dataRoot + QStringLiteral("/VexaAI/CodeProjects/")
                                         + QString::number(*userNumber));
    // Another account's projects never stay open, even when this one fails to open; but
    // unsaved text is never closed (the failed save's error stays on screen).
    if (m_accountRoot != root && !closeAccount())
        return false;

    std::error_code error;
    fs::create_directories(nativePath(root), error);
    if (error) {
        setNotice(codetexts::openProjectsFailed(describe(error)));
        return true;
    }
    m_accountRoot = root;

    const auto entries = listFolder(root, false);
    if (!entries) {
        setNotice(codetexts::openProjectsFailed(entries.error()));
        return true;
    }
    QList<CodeProject> loaded;
    for (const QString &entry : *entries) {
        QFile file(joined(joined(root, entry), kProjectFileName));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        auto decoded = decodeCodeProject(file.readAll());
        // A project lives in the folder its id names; a copied or renamed folder cannot be
        // addressed and would alias the original.
        if (!decoded || canonicalUuidText(decoded->id) != entry)
            continue;
        loaded.append(std::move(decoded).value());
    }
    sortNewestFirst(loaded);

    std::optional<QUuid> selection;
    if (m_selectedProjectID
        && std::any_of(loaded.cbegin(), loaded.cend(),
                       [&](const CodeProject &p) { return p.id == *m_selectedProjectID; }))
        selection = m_selectedProjectID;
    else if (!loaded.isEmpty())
        selection = loaded.first().id;
    if (selection != m_selectedProjectID && !closeOpenFile())
        return true; // the open file's project stays selected until its text is safe

    setProjects(std::move(loaded));
    setSelectedProjectID(selection);
    refreshFiles();
    return true;
}

bool CodeProjectStore::closeAccount()
{
    if (!closeOpenFile())
        return false;
    m_accountRoot.reset();
    setFiles({});
    setProjects({});
    setSelectedProjectID(std::nullopt);
    return true;
}

void CodeProjectStore::refreshFiles()
{
    const auto folder = projectFolder();
    QStringList names;
    if (folder) {
        auto listed = listFolder(*folder, true);
        if (listed) {
            names = std::move(listed).value();
            names.removeAll(QString(kProjectFileName));
        }
    }
    // The open file gone from its folder stays open and listed: its text is never dropped
    // (the user is asked whether to save it again).
    if (m_selectedFile && !names.contains(*m_selectedFile)) {
        names.append(*m_selectedFile);
        std::sort(names.begin(), names.end());
        onDeletedOnDisk();
    }
    setFiles(std::move(names));
}

bool CodeProjectStore::createProject(const QString &name)
{
    const QString trimmed = name.trimmed();
    const qsizetype length = graphemes::count(trimmed);
    if (length == 0 || length > kProjectNameLimit || !m_accountRoot)
        return false;
    // The new project takes the selection: the open file belongs to the previous one and is
    // closed first, or nothing happens while its text cannot be saved.
    if (!closeOpenFile())
        return false;

    CodeProject project = CodeProject::make(trimmed);
    std::error_code error;
    fs::create_directory(nativePath(joined(*m_accountRoot, canonicalUuidText(project.id))), error);
    if (error) {
        setNotice(codetexts::createProjectFailed(describe(error)));
        return false;
    }
    const auto saved = save(project);
    if (!saved) {
        setNotice(codetexts::createProjectFailed(vexa::describe(saved.error())));
        return false;
    }
    QList<CodeProject> projects = m_projects;
    projects.prepend(project);
    setProjects(std::move(projects));
    setSelectedProjectID(project.id);
    refreshFiles();
    setNotice(std::nullopt);
    return true;
}

void CodeProjectStore::selectProject(const QUuid &id)
{
    if (!closeOpenFile())
        return;
    setSelectedProjectID(id);
    refreshFiles();
}

bool CodeProjectStore::createFile(const QString &name)
{
    const QString trimmed = name.trimmed();
    const auto folder = projectFolder();
    if (!isSafeFileName(trimmed) || !folder) {
        setNotice(codetexts::unsafeFileName());
        return false;
    }
    const QString path = joined(*folder, trimmed);
    if (nameTaken(*folder, trimmed)) {
        setNotice(codetexts::fileExists());
        return false;
    }
    // The new file opens in place of the open one, whose text must be safe first.
    if (!saveFile(true))
        return false;
    const auto written = writeAtomically(path, QByteArray());
    if (!written) {
        setNotice(codetexts::createFileFailed(written.error()));
        return false;
    }
    refreshFiles();
    selectFile(trimmed);
    setNotice(std::nullopt);
    return true;
}

void CodeProjectStore::selectFile(const QString &name)
{
    const auto folder = projectFolder();
    if (!isSafeFileName(name) || !m_files.contains(name) || !folder)
        return;
    // The open file is already on screen, edits and all: reading it again would drop them.
    if (m_selectedFile == name && !m_openFilePath.isEmpty())
        return;
    // Switching away from text that cannot be saved keeps it open, with the save's error.
    if (!saveFile(true))
        return;

    const QString previousPath = m_openFilePath;
    m_openFilePath = joined(*folder, name);
    if (!readOpenFile()) {
        m_openFilePath = previousPath;
        return;
    }
    setSelectedFile(name);
    setNotice(std::nullopt);
}

bool CodeProjectStore::saveFile(bool silent)
{
    const auto folder = projectFolder();
    if (!m_selectedFile || !isSafeFileName(*m_selectedFile) || !folder)
        return true;
    const QString path = joined(*folder, *m_selectedFile);
    // The text belongs to the file it was read from; any other target is refused.
    if (path != m_openFilePath)
        return true;
    // A read-only file is never written (its text cannot change in the editor).
    if (m_openFileReadOnly)
        return true;
    // Nothing to keep: rewriting unchanged text would only undo changes made outside.
    if (silent && !modified())
        return true;
    // Saved with the line endings it was read with; the editor hands back "\n" only.
    const QByteArray bytes = withLineEnding(withNewlines(editorText()), m_openFileLineEnding).toUtf8();
    const auto written = writeAtomically(path, bytes);
    if (!written) {
        setNotice(codetexts::saveFailed(written.error()));
        return false;
    }
    // The app's own save is not a change from outside; it answers one pending, too.
    m_watch.noteContent(bytes);
    const bool wasMissing = std::exchange(m_openFileMissing, false);
    setDiskChange(DiskChange::None);
    setOpenFileText(m_editorText);
    if (wasMissing)
        refreshFiles();
    if (!silent)
        setNotice(codetexts::savedLocally());
    return true;
}

bool CodeProjectStore::closeOpenFile()
{
    if (!m_selectedFile)
        return true;
    if (!saveFile(true))
        return false;
    m_openFilePath.clear();
    m_openFileMissing = false;
    m_watch.watch({}, {});
    setDiskChange(DiskChange::None);
    setOpenFileText({});
    setSelectedFile(std::nullopt);
    setEditorText(QString());
    return true;
}

void CodeProjectStore::importFiles(const QList<QUrl> &urls)
{
    const auto folder = projectFolder();
    if (!folder)
        return;
    int count = 0;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString source = url.toLocalFile();
        const QString name = QFileInfo(source).fileName();
        if (!isSafeFileName(name))
            continue;
        const QString target = joined(*folder, name);
        if (nameTaken(*folder, name))
            continue;
        QFile file(source);
        if (!QFileInfo(source).isFile() || !file.open(QIODevice::ReadOnly))
            continue;
        // One byte over the limit is enough to refuse; larger files are not read whole.
        const QByteArray bytes = file.read(kImportLimit + 1);
        if (bytes.size() > kImportLimit || file.error() != QFileDevice::NoError)
            continue;
        if (!decodeUtf8(bytes))
            continue;
        if (writeAtomically(target, bytes))
            ++count;
    }
    refreshFiles();
    setNotice(codetexts::importSummary(count));
}

Outcome<ClientError> CodeProjectStore::save(const CodeProject &project)
{
    if (!m_accountRoot)
        return ClientError(VexaError::invalidResponse());
    return writeCodeProject(*m_accountRoot, project);
}

void CodeProjectStore::update(const CodeProject &project)
{
    const auto it = std::find_if(m_projects.cbegin(), m_projects.cend(),
                                 [&](const CodeProject &p) { return p.id == project.id; });
    if (it == m_projects.cend())
        return;
    const qsizetype index = it - m_projects.cbegin();
    QList<CodeProject> projects = m_projects;
    projects[index] = project;
    sortNewestFirst(projects);
    setProjects(std::move(projects));
}

void CodeProjectStore::setEditorText(const QString &text)
{
    if (editorText() == text)
        return;
    m_editorText = text;
    Q_EMIT editorTextChanged();
    Q_EMIT modifiedChanged();
}

void CodeProjectStore::setOpenFileText(const QString &text)
{
    m_openFileText = text;
    if (m_openFileText.isEmpty() && m_openFilePath.isEmpty())
    {
        m_openFileReadOnly = false; // closed
        m_openFileLinesCut = false;
    }
    Q_EMIT modifiedChanged();
}

QString CodeProjectStore::lineEndingName() const
{
    if (m_openFileLineEnding == u"\r\n")
        return QStringLiteral("CRLF");
    if (m_openFileLineEnding == u"\r")
        return QStringLiteral("CR");
    return QStringLiteral("LF");
}

void CodeProjectStore::setProjects(QList<CodeProject> projects)
{
    m_projects = std::move(projects);
    Q_EMIT projectsChanged();
    Q_EMIT projectChanged();
}

void CodeProjectStore::setFiles(QStringList files)
{
    if (m_files == files)
        return;
    m_files = std::move(files);
    Q_EMIT filesChanged();
}

void CodeProjectStore::setSelectedProjectID(std::optional<QUuid> id)
{
    if (m_selectedProjectID == id)
        return;
    m_selectedProjectID = id;
    Q_EMIT selectedProjectIDChanged();
    Q_EMIT projectChanged();
}

void CodeProjectStore::setSelectedFile(std::optional<QString> name)
{
    if (m_selectedFile == name)
        return;
    m_selectedFile = std::move(name);
    Q_EMIT selectedFileChanged();
}

void CodeProjectStore::setNotice(std::optional<QString> notice)
{
    if (!notice && !m_notice)
        return;
    // The same text written again still notifies: the alert shows it again.
    m_notice = std::move(notice);
    Q_EMIT noticeChanged();
}

void CodeProjectStore::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}

} // namespace vexa
