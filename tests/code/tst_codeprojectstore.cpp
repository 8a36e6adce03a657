// The code project store against a temporary data directory: the project file, listing and
// ordering, selection, file names, import limits, and that editor text never lands in another
// project's folder.

#include "codefixtures.h"
#include "codefilenames.h"
#include "codeprojectstore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTest>

using namespace vexa;
using namespace vexa::test;

namespace {
constexpr qint64 kUser = 42;
constexpr qint64 kOtherUser = 77;

const QString kUnsafeName = QStringLiteral("Введите имя файла без /, \\ или ..");
const QString kImportTail =
    QStringLiteral(". Поддерживаются текстовые UTF-8 до 2 МБ без замены существующих.");
} // namespace

class TestCodeProjectStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    // A store with the test account open and one selected project "P".
    std::unique_ptr<CodeProjectStore> openStoreWithProject()
    {
        auto store = std::make_unique<CodeProjectStore>();
        store->setDataRoot(m_root);
        store->openAccount(kUser);
        store->createProject(QStringLiteral("P"));
        return store;
    }

    QString selectedFolder(const CodeProjectStore &store) { return store.projectFolder().value_or(QString()); }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
    }

    void projectFileForm()
    {
        CodeProject project = projectAt(QStringLiteral("Демо"),
                                        QDateTime(QDate(2001, 1, 1), QTime(0, 1), Qt::UTC));
        project.messages.append(ChatEntry::make(ChatEntry::Role::User, QStringLiteral("q")));
        const QByteArray bytes = encodeCodeProject(project);

        QVERIFY(!bytes.contains('\n'));
        QVERIFY(!bytes.contains(": "));
        const QJsonObject object = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(object.value("id").toString(), project.id.toString(QUuid::WithoutBraces).toUpper());
        QCOMPARE(object.value("updatedAt").toDouble(), 60.0);
        QVERIFY(!object.contains("conversationID"));

        project.conversationID = QStringLiteral("c-1");
        auto decoded = decodeCodeProject(encodeCodeProject(project));
        QVERIFY(decoded);
        QCOMPARE(decoded->id, project.id);
        QCOMPARE(decoded->name, project.name);
        QCOMPARE(decoded->conversationID, project.conversationID);
        QCOMPARE(decoded->updatedAt, project.updatedAt);
        QCOMPARE(decoded->messages.size(), 1);
        QCOMPARE(decoded->messages.first().id, project.messages.first().id);
    }

    void projectFileReading_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("readable");
        const QByteArray id = "\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\"";
        QTest::newRow("keys in another order, null conversation")
            << "{\"updatedAt\":1.5,\"messages\":[],\"conversationID\":null,\"name\":\"n\"," + id + "}"
            << true;
        QTest::newRow("braced id") << QByteArray("{\"id\":\"{0F8FAD5B-D9CB-469F-A165-70867728950E}\","
                                                 "\"name\":\"n\",\"messages\":[],\"updatedAt\":0}")
                                   << false;
        QTest::newRow("no messages") << "{" + id + ",\"name\":\"n\",\"updatedAt\":0}" << false;
        QTest::newRow("updatedAt as text")
            << "{" + id + ",\"name\":\"n\",\"messages\":[],\"updatedAt\":\"0\"}" << false;
        QTest::newRow("conversation as number")
            << "{" + id + ",\"name\":\"n\",\"messages\":[],\"updatedAt\":0,\"conversationID\":5}"
            << false;
        QTest::newRow("one bad entry")
            << "{" + id + ",\"name\":\"n\",\"updatedAt\":0,\"messages\":[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\","
                          "\"role\":\"system\",\"text\":\"t\",\"createdAt\":0}]}"
            << false;
        QTest::newRow("not JSON") << QByteArray("{\"id\":") << false;
    }

    void projectFileReading()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, readable);
        QCOMPARE(bool(decodeCodeProject(json)), readable);
    }

    void listingSkipsWhatIsNotAProject()
    {
        const CodeProject good = projectAt(QStringLiteral("good"), at(0));
        QVERIFY(putProject(m_root, kUser, good));
        const QString account = accountFolder(m_root, kUser);
        QVERIFY(putFile(account + "/stray.txt", "hello"));
        QVERIFY(QDir().mkpath(account + "/empty-folder"));
        const QUuid brokenID = QUuid::createUuid();
        const QString broken = account + "/" + canonicalUuidText(brokenID);
        QVERIFY(QDir().mkpath(broken));
        QVERIFY(putFile(broken + "/project.json", "{\"id\": broken"));
        // A copy of the good project under another folder name would alias it.
        const QString copy = account + "/copy";
        QVERIFY(QDir().mkpath(copy));
        QVERIFY(QFile::copy(projectFolder(m_root, kUser, good.id) + "/project.json", copy + "/project.json"));

        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);

        QCOMPARE(store.projects().size(), 1);
        QCOMPARE(store.projects().first().id, good.id);
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(good.id));
        QVERIFY(!store.hasNotice());
        // Unreadable projects are left as they were.
        QCOMPARE(readBytes(broken + "/project.json"), std::optional<QByteArray>("{\"id\": broken"));
    }

    void newestFirstAndStable()
    {
        // Equal dates keep the listing order (folder names, which are the ids).
        QList<CodeProject> same;
        for (int i = 0; i < 3; ++i) {
            same.append(projectAt(QStringLiteral("same %1").arg(i), at(100)));
            QVERIFY(putProject(m_root, kUser, same.last()));
        }
        const CodeProject older = projectAt(QStringLiteral("older"), at(50));
        const CodeProject newer = projectAt(QStringLiteral("newer"), at(200));
        QVERIFY(putProject(m_root, kUser, older));
        QVERIFY(putProject(m_root, kUser, newer));
        std::sort(same.begin(), same.end(), [](const CodeProject &a, const CodeProject &b) {
            return canonicalUuidText(a.id) < canonicalUuidText(b.id);
        });

        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);
        auto order = [&] {
            QList<QUuid> ids;
            for (const CodeProject &p : store.projects())
                ids.append(p.id);
            return ids;
        };
        const QList<QUuid> listed{newer.id, same[0].id, same[1].id, same[2].id, older.id};
        QCOMPARE(order(), listed);
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(newer.id));

        // Updating the last of the equal ones without a new date keeps everyone in place.
        CodeProject renamed = same[2];
        renamed.name = QStringLiteral("renamed");
        store.update(renamed);
        QCOMPARE(order(), listed);
        QCOMPARE(store.projects().at(3).name, QStringLiteral("renamed"));

        // A newer date moves it to the front; the other equal ones keep their order.
        renamed.updatedAt = at(300);
        store.update(renamed);
        QCOMPARE(order(), (QList<QUuid>{same[2].id, newer.id, same[0].id, same[1].id, older.id}));

        // An unknown project is not added, and update never writes.
        store.update(projectAt(QStringLiteral("stranger"), at(400)));
        QCOMPARE(store.projects().size(), 5);
        QCOMPARE(readProject(m_root, kUser, same[2].id)->name, same[2].name);
    }

    void selectionAcrossAccounts()
    {
        const CodeProject a1 = projectAt(QStringLiteral("a1"), at(10));
        const CodeProject a2 = projectAt(QStringLiteral("a2"), at(20));
        const CodeProject b1 = projectAt(QStringLiteral("b1"), at(5));
        const CodeProject b2 = projectAt(QStringLiteral("b2"), at(6));
        QVERIFY(putProject(m_root, kUser, a1) && putProject(m_root, kUser, a2));
        QVERIFY(putProject(m_root, kOtherUser, b1) && putProject(m_root, kOtherUser, b2));
        QVERIFY(putFile(projectFolder(m_root, kOtherUser, b2.id) + "/b.txt", "b"));

        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(a2.id));
        store.selectProject(a1.id);
        store.openAccount(kUser);
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(a1.id)); // kept when listed

        store.openAccount(kOtherUser);
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(b2.id)); // the newest
        QCOMPARE(store.files(), QStringList{"b.txt"});

        store.openAccount(555); // an account without projects
        QCOMPARE(store.projects().size(), 0);
        QCOMPARE(store.selectedProjectID(), std::nullopt);
        QVERIFY(store.files().isEmpty());
        QVERIFY(QFileInfo(accountFolder(m_root, 555)).isDir());

        store.openAccount(std::nullopt);
        QCOMPARE(store.accountRoot(), std::nullopt);
        QVERIFY(store.projects().isEmpty());
        store.createProject(QStringLiteral("nowhere"));
        QVERIFY(store.projects().isEmpty());
    }

    void accountFolderCannotBeOpened()
    {
        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);
        store.createProject(QStringLiteral("P"));
        QVERIFY(store.hasProject());

        // The data root is a plain file now: no folder can be made under it.
        CodeProjectStore blocked;
        const QString fileRoot = m_root + "/not-a-folder";
        QVERIFY(putFile(fileRoot, "x"));
        blocked.setDataRoot(fileRoot);
        blocked.openAccount(kUser);
        QVERIFY(blocked.noticeText().startsWith(QStringLiteral("Не удалось открыть проекты: ")));
        QVERIFY(blocked.noticeText().size() > QStringLiteral("Не удалось открыть проекты: ").size());

        // Another account that fails to open does not leave this account's projects open.
        store.setDataRoot(fileRoot);
        store.openAccount(kOtherUser);
        QVERIFY(store.noticeText().startsWith(QStringLiteral("Не удалось открыть проекты: ")));
        QVERIFY(store.projects().isEmpty());
        QCOMPARE(store.projectFolder(), std::nullopt);
    }

    void projectNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("created");
        QTest::newRow("trimmed") << QStringLiteral("  Бот \n") << QStringLiteral("Бот");
        QTest::newRow("blank") << QStringLiteral("   ") << QString();
        QTest::newRow("80") << QString(80, QChar('x')) << QString(80, QChar('x'));
        QTest::newRow("81") << QString(81, QChar('x')) << QString();
    }

    void projectNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, created);
        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);
        QSignalSpy notices(&store, &CodeProjectStore::noticeChanged);
        store.createProject(name);
        QVERIFY(!store.hasNotice());
        if (created.isEmpty()) {
            QVERIFY(store.projects().isEmpty());
            QCOMPARE(notices.count(), 0);
            QCOMPARE(QDir(accountFolder(m_root, kUser)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
            return;
        }
        QCOMPARE(store.projects().size(), 1);
        QCOMPARE(store.projectName(), created);
        const auto onDisk = readProject(m_root, kUser, store.projects().first().id);
        QVERIFY(onDisk);
        QCOMPARE(onDisk->name, created);
        QCOMPARE(onDisk->conversationID, std::nullopt);
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QStringLiteral("main.py") << true;
        QTest::newRow("leading dot") << QStringLiteral(".env") << false;
        QTest::newRow("slash") << QStringLiteral("src/main.py") << false;
        QTest::newRow("backslash") << QStringLiteral("src\\main.py") << false;
        QTest::newRow("two dots") << QStringLiteral("a..b") << false;
        QTest::newRow("parent") << QStringLiteral("..") << false;
        QTest::newRow("project file") << QStringLiteral("project.json") << false;
        QTest::newRow("project file, other case") << QStringLiteral("Project.json") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("100") << QString(100, QChar('a')) << true;
        QTest::newRow("101") << QString(101, QChar('a')) << false;
        // 80 letters with a combining accent are 160 code units but 80 characters (240 bytes).
        QTest::newRow("80 accented") << QStringLiteral("e\u0301").repeated(80) << true;
        QTest::newRow("101 accented") << QStringLiteral("e\u0301").repeated(101) << false;
        // 100 characters, but 300 bytes: more than a file name can hold.
        QTest::newRow("100 accented") << QStringLiteral("e\u0301").repeated(100) << false;
    }

    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(isSafeFileName(name), safe);
        if (name.toUtf8().size() > 255)
            return; // beyond what the file system takes in one name

        auto store = openStoreWithProject();
        store->createFile(name);
        if (safe) {
            QVERIFY(!store->hasNotice());
            QCOMPARE(store->selectedFile(), std::optional<QString>(name));
            QCOMPARE(store->files(), QStringList{name});
            QVERIFY(QFileInfo(selectedFolder(*store) + "/" + name).isFile());
        } else {
            QCOMPARE(store->noticeText(), kUnsafeName);
            QCOMPARE(store->selectedFile(), std::nullopt);
            QVERIFY(store->files().isEmpty());
        }
        // project.json itself is never replaced by a new file.
        QVERIFY(readProject(m_root, kUser, *store->selectedProjectID()));
    }

    void createFileRules()
    {
        CodeProjectStore closed;
        closed.setDataRoot(m_root);
        closed.openAccount(kUser);
        closed.createFile(QStringLiteral("a.txt"));
        QCOMPARE(closed.noticeText(), kUnsafeName); // no project selected

        auto store = openStoreWithProject();
        store->createFile(QStringLiteral(" a.txt "));
        QCOMPARE(store->selectedFile(), std::optional<QString>("a.txt"));
        store->setEditorText(QStringLiteral("kept"));
        store->createFile(QStringLiteral("a.txt"));
        QCOMPARE(store->noticeText(), QStringLiteral("Файл уже существует."));
        QCOMPARE(store->editorText(), QStringLiteral("kept"));

        // A folder, or a link pointing nowhere, takes the name too.
        QVERIFY(QDir().mkdir(selectedFolder(*store) + "/dir"));
        store->createFile(QStringLiteral("dir"));
        QCOMPARE(store->noticeText(), QStringLiteral("Файл уже существует."));
        QVERIFY(QFile::link(m_root + "/missing-target", selectedFolder(*store) + "/link"));
        store->createFile(QStringLiteral("link"));
        QCOMPARE(store->noticeText(), QStringLiteral("Файл уже существует."));
        QVERIFY(!QFileInfo::exists(m_root + "/missing-target"));
    }

    void listingAndHiddenFiles()
    {
        auto store = openStoreWithProject();
        const QString folder = selectedFolder(*store);
        QVERIFY(putFile(folder + "/b.txt", "b"));
        QVERIFY(putFile(folder + "/B.txt", "B"));
        QVERIFY(putFile(folder + "/.secret", "do not touch"));
        QVERIFY(QDir().mkdir(folder + "/sub"));
        QVERIFY(QFile::link(folder + "/b.txt", folder + "/alias.txt"));
        store->refreshFiles();
        // Plain, case-sensitive order; no project.json, no folders, no links.
        QCOMPARE(store->files(), (QStringList{".secret", "B.txt", "b.txt"}));

        store->selectFile(QStringLiteral("b.txt"));
        store->setEditorText(QStringLiteral("changed"));
        store->selectFile(QStringLiteral(".secret"));
        QCOMPARE(store->selectedFile(), std::optional<QString>("b.txt"));
        store->selectFile(QStringLiteral("project.json"));
        store->selectFile(QStringLiteral("sub"));
        QCOMPARE(store->selectedFile(), std::optional<QString>("b.txt"));
        store->saveFile(false);
        QCOMPARE(readBytes(folder + "/.secret"), std::optional<QByteArray>("do not touch"));
        QCOMPARE(readBytes(folder + "/b.txt"), std::optional<QByteArray>("changed"));

        // The open file removed by someone else stays open with its text, still listed, and
        // the user is asked whether to save it again.
        QVERIFY(QFile::remove(folder + "/b.txt"));
        store->refreshFiles();
        QCOMPARE(store->selectedFile(), std::optional<QString>("b.txt"));
        QCOMPARE(store->editorText(), QStringLiteral("changed"));
        QCOMPARE(store->files(), (QStringList{".secret", "B.txt", "b.txt"}));
        QCOMPARE(store->diskChange(), CodeProjectStore::DiskChange::Deleted);
    }

    void openingAndSaving()
    {
        auto store = openStoreWithProject();
        const QString folder = selectedFolder(*store);
        const QByteArray bom = "\xEF\xBB\xBFprint('привет')\r\n";
        QVERIFY(putFile(folder + "/bom.py", bom));
        QVERIFY(putFile(folder + "/bad.bin", "ok\xC3\x28"));
        QVERIFY(putFile(folder + "/a.txt", "first"));
        store->refreshFiles();

        store->selectFile(QStringLiteral("a.txt"));
        store->setEditorText(QStringLiteral("edited"));
        store->selectFile(QStringLiteral("bad.bin"));
        QCOMPARE(store->noticeText(), QStringLiteral("Можно редактировать только текстовые файлы UTF-8."));
        QCOMPARE(store->selectedFile(), std::optional<QString>("a.txt"));
        QCOMPARE(store->editorText(), QStringLiteral("edited"));
        // Leaving the file for another saved it silently.
        QCOMPARE(readBytes(folder + "/a.txt"), std::optional<QByteArray>("edited"));

        // Saved bytes are the text as read: the byte-order mark and line ends survive.
        store->selectFile(QStringLiteral("bom.py"));
        QCOMPARE(store->selectedFile(), std::optional<QString>("bom.py"));
        store->saveFile(false);
        QCOMPARE(store->noticeText(), QStringLiteral("Файл сохранён локально."));
        QCOMPARE(readBytes(folder + "/bom.py"), std::optional<QByteArray>(bom));

        // A silent save leaves the notice alone; clicking the open file again keeps its edits
        // (it is not read again, whatever changed on disk).
        store->clearNotice();
        store->setEditorText(QStringLiteral("unsaved"));
        QVERIFY(putFile(folder + "/bom.py", "from outside"));
        store->selectFile(QStringLiteral("bom.py"));
        QCOMPARE(store->editorText(), QStringLiteral("unsaved"));
        store->setEditorText(QStringLiteral("silent"));
        store->saveFile(true);
        QVERIFY(!store->hasNotice());
        QCOMPARE(readBytes(folder + "/bom.py"), std::optional<QByteArray>("silent"));
    }

    void saveFailureKeepsText()
    {
        auto store = openStoreWithProject();
        store->createFile(QStringLiteral("a.txt"));
        store->setEditorText(QStringLiteral("precious"));
        // A folder took the file's place: the atomic rename cannot replace it.
        const QString path = selectedFolder(*store) + "/a.txt";
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        store->saveFile(true);
        QVERIFY(store->noticeText().startsWith(QStringLiteral("Не удалось сохранить файл: ")));
        QVERIFY(store->noticeText().size() > QStringLiteral("Не удалось сохранить файл: ").size());
        QCOMPARE(store->editorText(), QStringLiteral("precious"));
        QCOMPARE(store->selectedFile(), std::optional<QString>("a.txt"));
    }

    void import_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("imported");
        QTest::newRow("2,000,000 bytes") << QStringLiteral("big.txt") << QByteArray(2'000'000, 'a') << true;
        QTest::newRow("2,000,001 bytes") << QStringLiteral("big.txt") << QByteArray(2'000'001, 'a') << false;
        QTest::newRow("Cyrillic text") << QStringLiteral("ru.md") << QByteArray("Привет") << true;
        QTest::newRow("not UTF-8") << QStringLiteral("latin1.txt") << QByteArray("caf\xE9") << false;
        QTest::newRow("broken in the middle") << QStringLiteral("mid.txt") << QByteArray("a\xC3\x28" "b") << false;
        QTest::newRow("hidden") << QStringLiteral(".env") << QByteArray("A=1") << false;
        QTest::newRow("project file") << QStringLiteral("project.json") << QByteArray("{}") << false;
    }

    void import()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, imported);
        QTemporaryDir source;
        QVERIFY(putFile(source.filePath(name), bytes));

        auto store = openStoreWithProject();
        store->importFiles({QUrl::fromLocalFile(source.filePath(name))});
        QCOMPARE(store->noticeText(), QStringLiteral("Импортировано файлов: %1").arg(imported ? 1 : 0) + kImportTail);
        const QString target = selectedFolder(*store) + "/" + name;
        if (imported) {
            QCOMPARE(store->files(), QStringList{name});
            QCOMPARE(readBytes(target), std::optional<QByteArray>(bytes));
        } else {
            QVERIFY(store->files().isEmpty());
            QVERIFY(readProject(m_root, kUser, *store->selectedProjectID()));
            if (name != QStringLiteral("project.json"))
                QVERIFY(!QFileInfo::exists(target));
        }
    }

    void importNeverReplaces()
    {
        QTemporaryDir source;
        QVERIFY(putFile(source.filePath("a.txt"), "new a"));
        QVERIFY(putFile(source.filePath("b.txt"), "new b"));
        QVERIFY(QDir(source.path()).mkdir("folder"));

        auto store = openStoreWithProject();
        store->createFile(QStringLiteral("a.txt"));
        store->setEditorText(QStringLiteral("old a"));
        store->saveFile(true);
        store->importFiles({QUrl::fromLocalFile(source.filePath("a.txt")),
                            QUrl::fromLocalFile(source.filePath("b.txt")),
                            QUrl::fromLocalFile(source.filePath("b.txt")), // once only
                            QUrl::fromLocalFile(source.filePath("folder")),
                            QUrl::fromLocalFile(source.filePath("missing.txt")),
                            QUrl(QStringLiteral("https://example.com/c.txt"))});
        QCOMPARE(store->noticeText(), QStringLiteral("Импортировано файлов: 1") + kImportTail);
        const QString folder = selectedFolder(*store);
        QCOMPARE(readBytes(folder + "/a.txt"), std::optional<QByteArray>("old a"));
        QCOMPARE(readBytes(folder + "/b.txt"), std::optional<QByteArray>("new b"));
        QCOMPARE(store->files(), (QStringList{"a.txt", "b.txt"}));
        QCOMPARE(store->selectedFile(), std::optional<QString>("a.txt"));

        // Without a project nothing happens at all.
        CodeProjectStore closed;
        closed.setDataRoot(m_root);
        closed.importFiles({QUrl::fromLocalFile(source.filePath("b.txt"))});
        QVERIFY(!closed.hasNotice());
    }

    // A silent save that fails before a switch keeps the file open with its text and the
    // save's error, and the switch is not made.
    void failedSilentSaveNeverSwitches_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("another file") << QStringLiteral("file");
        QTest::newRow("the same file again") << QStringLiteral("same");
        QTest::newRow("another project") << QStringLiteral("project");
        QTest::newRow("a new project") << QStringLiteral("newProject");
        QTest::newRow("a new file") << QStringLiteral("newFile");
        QTest::newRow("another account") << QStringLiteral("account");
        QTest::newRow("signed out") << QStringLiteral("signout");
    }

    void failedSilentSaveNeverSwitches()
    {
        QFETCH(QString, change);
        const CodeProject first = projectAt(QStringLiteral("first"), at(20));
        const CodeProject second = projectAt(QStringLiteral("second"), at(10));
        QVERIFY(putProject(m_root, kUser, first) && putProject(m_root, kUser, second));
        const QString folder = projectFolder(m_root, kUser, first.id);
        QVERIFY(putFile(folder + "/main.py", "old") && putFile(folder + "/other.py", "other"));

        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);
        store.selectFile(QStringLiteral("main.py"));
        store.setEditorText(QStringLiteral("precious"));
        // A folder took the file's place: the atomic rename cannot replace it.
        QVERIFY(QFile::remove(folder + "/main.py"));
        QVERIFY(QDir().mkdir(folder + "/main.py"));

        if (change == QStringLiteral("file"))
            store.selectFile(QStringLiteral("other.py"));
        else if (change == QStringLiteral("same"))
            store.selectFile(QStringLiteral("main.py"));
        else if (change == QStringLiteral("project"))
            store.selectProject(second.id);
        else if (change == QStringLiteral("newProject"))
            QVERIFY(!store.createProject(QStringLiteral("third")));
        else if (change == QStringLiteral("newFile"))
            QVERIFY(!store.createFile(QStringLiteral("new.py")));
        else if (change == QStringLiteral("account"))
            QVERIFY(!store.openAccount(kOtherUser));
        else
            QVERIFY(!store.openAccount(std::nullopt));

        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(first.id));
        QCOMPARE(store.selectedFile(), std::optional<QString>("main.py"));
        QCOMPARE(store.editorText(), QStringLiteral("precious"));
        if (change != QStringLiteral("same"))
            QVERIFY2(store.noticeText().startsWith(QStringLiteral("Не удалось сохранить файл: ")),
                     qPrintable(store.noticeText()));
        QCOMPARE(store.projects().size(), 2);
        QVERIFY(!QFile::exists(folder + "/new.py"));

        // Once the file can be written again the edits reach it and the switch goes through.
        QVERIFY(QDir().rmdir(folder + "/main.py"));
        store.selectProject(second.id);
        QCOMPARE(readBytes(folder + "/main.py"), std::optional<QByteArray>("precious"));
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(second.id));
    }

    // The editor gives back "\n" only; a file keeps the line endings it was written with.
    void lineEndingsKept_data()
    {
        QTest::addColumn<QByteArray>("onDisk");
        QTest::addColumn<QByteArray>("saved"); // after "x = 0" is typed on a new first line
        QTest::addColumn<QString>("endingName"); // as the status line shows it
        QTest::newRow("Unix") << QByteArray("a\nb\n") << QByteArray("x = 0\na\nb\n") << "LF";
        QTest::newRow("Windows") << QByteArray("a\r\nb\r\n") << QByteArray("x = 0\r\na\r\nb\r\n") << "CRLF";
        QTest::newRow("old Mac") << QByteArray("a\rb\r") << QByteArray("x = 0\ra\rb\r") << "CR";
        QTest::newRow("one line, no ending") << QByteArray("a") << QByteArray("x = 0\na") << "LF";
    }

    void lineEndingsKept()
    {
        QFETCH(QByteArray, onDisk);
        QFETCH(QByteArray, saved);
        QFETCH(QString, endingName);
        auto store = openStoreWithProject();
        const QString path = selectedFolder(*store) + "/f.txt";
        QVERIFY(putFile(path, onDisk));
        store->refreshFiles();
        store->selectFile(QStringLiteral("f.txt"));
        QVERIFY(!store->editorText().contains(QLatin1Char('\r')));
        QCOMPARE(store->lineEndingName(), endingName);
        QVERIFY(!store->modified());
        QVERIFY(!store->readOnly());

        // Unchanged text is not written at all.
        store->saveFile(true);
        QCOMPARE(readBytes(path), std::optional<QByteArray>(onDisk));
        store->setEditorText(QStringLiteral("x = 0\n") + store->editorText());
        QVERIFY(store->modified());
        store->saveFile(false);
        QCOMPARE(readBytes(path), std::optional<QByteArray>(saved));
        QVERIFY(!store->modified());
    }

    // Files over the editable size open read-only and are never written; the next file
    // opened is editable again.
    void largeFilesReadOnly_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("readOnly");
        // Lines of 100 bytes: the size alone decides.
        const qint64 limit = CodeProjectStore::kEditableFileBytes;
        QTest::newRow("at the limit") << limit << false;
        QTest::newRow("one byte over") << limit + 1 << true;
    }

    // A line too long to lay out at a keystroke makes a file read-only whatever its size; such
    // lines are shown cut (the rest of the file as it is), and the file is never written.
    void longLinesReadOnly_data()
    {
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<bool>("readOnly");
        const int longest = int(CodeProjectStore::kEditableLineChars);
        QTest::newRow("at the limit") << QList<int>{10, longest, 3} << false;
        QTest::newRow("one character over") << QList<int>{10, longest + 1, 3} << true;
        QTest::newRow("the last line, no newline after it") << QList<int>{5, 2 * longest} << true;
        QTest::newRow("one 1 MB line") << QList<int>{1024 * 1024} << true;
    }

    void longLinesReadOnly()
    {
        QFETCH(QList<int>, lines);
        QFETCH(bool, readOnly);
        auto store = openStoreWithProject();
        const QString folder = selectedFolder(*store);
        QByteArray bytes;
        QStringList expected;
        for (int i = 0; i < lines.size(); ++i) {
            const QByteArray line(lines.at(i), char('a' + i));
            bytes += line + (i + 1 < lines.size() ? "\r\n" : "");
            expected.append(line.size() > CodeProjectStore::kEditableLineChars
                                ? QString::fromLatin1(line.left(CodeProjectStore::kShownLineChars)) + QStringLiteral(" …")
                                : QString::fromLatin1(line));
        }
        QVERIFY(putFile(folder + "/min.js", bytes));
        store->refreshFiles();
        store->selectFile(QStringLiteral("min.js"));
        QCOMPARE(store->readOnly(), readOnly);
        QCOMPARE(store->editorText(), expected.join(u'\n'));
        QVERIFY(!store->modified());
        QCOMPARE(store->readOnlyReason().contains(QStringLiteral("20 000")), readOnly);
        store->setEditorText(store->editorText() + QStringLiteral("b"));
        store->saveFile(false);
        QCOMPARE(readBytes(folder + "/min.js")->size(), readOnly ? bytes.size() : bytes.size() + 1);
    }

    void largeFilesReadOnly()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, readOnly);
        auto store = openStoreWithProject();
        const QString folder = selectedFolder(*store);
        QByteArray big(bytes, 'a');
        for (qint64 at = 99; at < bytes; at += 100)
            big[at] = '\n';
        QVERIFY(putFile(folder + "/big.txt", big));
        QVERIFY(putFile(folder + "/small.txt", "s"));
        store->refreshFiles();
        store->selectFile(QStringLiteral("big.txt"));
        QCOMPARE(store->selectedFile(), std::optional<QString>("big.txt"));
        QCOMPARE(store->readOnly(), readOnly);
        QCOMPARE(store->readOnlyReason().isEmpty(), !readOnly);
        store->setEditorText(store->editorText() + QStringLiteral("b"));
        store->saveFile(false);
        QCOMPARE(readBytes(folder + "/big.txt")->size(), readOnly ? bytes : bytes + 1);
        store->selectFile(QStringLiteral("small.txt"));
        QVERIFY(!store->readOnly());
    }

    // Editor text read from one project never reaches another project's folder, whatever
    // moves the selection: the open file is saved into its own folder, then closed.
    void noCrossProjectWrite_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("select another project") << QStringLiteral("select");
        QTest::newRow("create a project") << QStringLiteral("create");
        QTest::newRow("another account") << QStringLiteral("account");
        QTest::newRow("signed out") << QStringLiteral("signout");
        QTest::newRow("selected project gone") << QStringLiteral("vanished");
    }

    void noCrossProjectWrite()
    {
        QFETCH(QString, change);
        const CodeProject first = projectAt(QStringLiteral("first"), at(20));
        const CodeProject second = projectAt(QStringLiteral("second"), at(10));
        QVERIFY(putProject(m_root, kUser, first) && putProject(m_root, kUser, second));
        // The other account holds a project under the same id, with the same file names.
        QVERIFY(putProject(m_root, kOtherUser, first));
        const QString firstFile = projectFolder(m_root, kUser, first.id) + "/main.py";
        const QString secondFile = projectFolder(m_root, kUser, second.id) + "/main.py";
        const QString otherFile = projectFolder(m_root, kOtherUser, first.id) + "/main.py";
        QVERIFY(putFile(firstFile, "first") && putFile(secondFile, "second") && putFile(otherFile, "other"));

        CodeProjectStore store;
        store.setDataRoot(m_root);
        store.openAccount(kUser);
        QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(first.id));
        store.selectFile(QStringLiteral("main.py"));
        store.setEditorText(QStringLiteral("edited first"));

        if (change == QStringLiteral("select")) {
            store.selectProject(second.id);
        } else if (change == QStringLiteral("create")) {
            store.createProject(QStringLiteral("third"));
        } else if (change == QStringLiteral("account")) {
            store.openAccount(kOtherUser);
            QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(first.id));
        } else if (change == QStringLiteral("signout")) {
            store.openAccount(std::nullopt);
        } else {
            QVERIFY(QDir(projectFolder(m_root, kUser, first.id)).removeRecursively());
            store.openAccount(kUser);
            // The unsaved text keeps its project selected rather than moving on without it.
            QCOMPARE(store.selectedProjectID(), std::optional<QUuid>(first.id));
        }

        if (change == QStringLiteral("vanished")) {
            // Its folder is gone, so the edits cannot be saved: they stay open, with the error.
            QCOMPARE(store.selectedFile(), std::optional<QString>("main.py"));
            QCOMPARE(store.editorText(), QStringLiteral("edited first"));
            QVERIFY(store.noticeText().startsWith(QStringLiteral("Не удалось сохранить файл: ")));
        } else {
            QCOMPARE(store.selectedFile(), std::nullopt);
            QCOMPARE(store.editorText(), QString());
        }
        // Whatever is open next, the old text is gone from the editor and no save brings it back.
        if (store.files().contains(QStringLiteral("main.py")))
            store.selectFile(QStringLiteral("main.py"));
        store.saveFile(false);
        store.saveFile(true);
        if (change != QStringLiteral("vanished"))
            QCOMPARE(readBytes(firstFile), std::optional<QByteArray>("edited first"));
        QCOMPARE(readBytes(secondFile), std::optional<QByteArray>("second"));
        QCOMPARE(readBytes(otherFile), std::optional<QByteArray>("other"));
    }
};

QTEST_GUILESS_MAIN(TestCodeProjectStore)
#include "tst_codeprojectstore.moc"
