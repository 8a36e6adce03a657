// Names that come from outside the app (typed into "new file", or the names of imported files)
// never write anything outside the project's folder, never make a file that hides or disguises
// itself, and two names that differ only in Unicode normalisation are one name: neither replaces
// the other's content.

#include "codefilenames.h"
#include "codeprojectstore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace vexa;

namespace {

constexpr qint64 kUser = 7;

// Every entry under root (files, folders, links; hidden ones too) with what it holds.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray content = "<folder>";
        if (info.isSymLink()) {
            content = "<link to " + QFile::encodeName(info.symLinkTarget()) + ">";
        } else if (info.isFile()) {
            QFile file(path);
            content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        entries.insert(QDir(root).relativeFilePath(path), content);
    }
    return entries;
}

// What changed under root outside `inside` (a folder under root).
QStringList changedOutside(const QMap<QString, QByteArray> &before,
                           const QMap<QString, QByteArray> &after, const QString &inside)
{
    QStringList changed;
    auto outside = [&](const QString &path) {
        return path != inside && !path.startsWith(inside + QLatin1Char('/'));
    };
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (outside(it.key()) && before.value(it.key(), "<absent>") != it.value())
            changed.append(it.key());
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (outside(it.key()) && !after.contains(it.key()))
            changed.append(it.key() + QStringLiteral(" (removed)"));
    }
    return changed;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString kNfc = QStringLiteral("\u0439.txt");        // "й" as one code point
const QString kNfd = QStringLiteral("\u0438\u0306.txt");  // "и" + combining breve

} // namespace

class TestHostileNames : public QObject
{
    Q_OBJECT

    QTemporaryDir m_sandbox;
    QString m_root;    // sandbox/data: the store's data root
    QString m_sources; // sandbox/sources: files to import
    QString m_previousCwd;

    std::unique_ptr<CodeProjectStore> openStore()
    {
        auto store = std::make_unique<CodeProjectStore>();
        store->setDataRoot(m_root);
        store->openAccount(kUser);
        store->createProject(QStringLiteral("P"));
        return store;
    }
    QString projectPath(const CodeProjectStore &store) const
    {
        return QDir(m_sandbox.path()).relativeFilePath(store.projectFolder().value_or(QString()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_sandbox.isValid());
        // Relative paths land in the sandbox too, where they are seen.
        m_previousCwd = QDir::currentPath();
        QVERIFY(QDir(m_sandbox.path()).mkpath(QStringLiteral("cwd/deeper")));
        QVERIFY(QDir::setCurrent(m_sandbox.filePath(QStringLiteral("cwd/deeper"))));
    }
    void cleanupTestCase() { QDir::setCurrent(m_previousCwd); }

    void init()
    {
        static int round = 0;
        ++round;
        m_root = m_sandbox.filePath(QStringLiteral("data%1").arg(round));
        m_sources = m_sandbox.filePath(QStringLiteral("sources%1").arg(round));
        QVERIFY(QDir().mkpath(m_root) && QDir().mkpath(m_sources));
    }

    void createdNamesStayInTheFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("created");
        const QString absolute = m_sandbox.filePath(QStringLiteral("absolute.txt"));
        QTest::newRow("parent") << QStringLiteral("../x") << false;
        QTest::newRow("parent of parent") << QStringLiteral("../../x") << false;
        QTest::newRow("down and up") << QStringLiteral("a/../../x") << false;
        QTest::newRow("absolute") << absolute << false;
        QTest::newRow("NUL then parent") << QStringLiteral("a") + QChar(0) + QStringLiteral("/../../x") << false;
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b.txt") << false;
        QTest::newRow("newline") << QStringLiteral("a\nb.txt") << false;
        QTest::newRow("carriage return") << QStringLiteral("a\rb.txt") << false;
        QTest::newRow("escape") << QStringLiteral("a\x1b[31mb.txt") << false;
        QTest::newRow("right-to-left override") << QStringLiteral("doc\u202Etxt.exe") << false;
        QTest::newRow("256 ASCII bytes") << QString(256, QLatin1Char('a')) << false;
        // 64 characters, 256 bytes: within the character limit, beyond the file system's.
        QTest::newRow("256 bytes of emoji") << QStringLiteral("\U0001F600").repeated(64) << false;
        QTest::newRow("90 accented letters, 270 bytes") << QStringLiteral("e\u0301").repeated(90) << false;
        // The atomic save's temporary name is 7 bytes longer and must fit as well.
        QTest::newRow("248 bytes") << QStringLiteral("\U0001F600").repeated(62) << true;
        QTest::newRow("249 bytes") << QStringLiteral("\U0001F600").repeated(62) + 'a' << false;
        QTest::newRow("Cyrillic, 180 bytes") << QStringLiteral("\u0436").repeated(90) << true;
        QTest::newRow("plain") << QStringLiteral("main.py") << true;
    }

    void createdNamesStayInTheFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, created);
        auto store = openStore();
        QVERIFY(store->projectFolder());
        const auto before = snapshot(m_sandbox.path());

        QCOMPARE(store->createFile(name), created);
        const auto after = snapshot(m_sandbox.path());
        const QStringList outside = changedOutside(before, after, projectPath(*store));
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join('\n')));
        if (created) {
            QCOMPARE(store->files(), QStringList{name});
            QVERIFY(QFileInfo(*store->projectFolder() + '/' + name).isFile());
        } else {
            QVERIFY(store->files().isEmpty());
            QCOMPARE(QDir(*store->projectFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                             | QDir::NoDotAndDotDot),
                     QStringList{"project.json"});
        }
    }

    void importedNamesStayInTheFolder_data()
    {
        // A name on disk (created in the sources folder) or only in the URL handed over.
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("onDisk");
        QTest::addColumn<bool>("imported");
        QTest::newRow("newline") << QStringLiteral("a\nb.txt") << true << false;
        QTest::newRow("tab") << QStringLiteral("a\tb.txt") << true << false;
        QTest::newRow("right-to-left override") << QStringLiteral("doc\u202Etxt.exe") << true << false;
        QTest::newRow("leading dot") << QStringLiteral(".bashrc") << true << false;
        QTest::newRow("two dots") << QStringLiteral("..x") << true << false;
        QTest::newRow("249 bytes") << QStringLiteral("\U0001F600").repeated(62) + 'c' << true << false;
        QTest::newRow("NUL in the URL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b.txt") << false << false;
        QTest::newRow("NUL then parent in the URL")
            << QStringLiteral("ok.txt") + QChar(0) + QStringLiteral("/../../x") << false << false;
        QTest::newRow("300 bytes in the URL") << QString(300, QLatin1Char('d')) << false << false;
        QTest::newRow("plain") << QStringLiteral("ok.txt") << true << true;
    }

    void importedNamesStayInTheFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, onDisk);
        QFETCH(bool, imported);
        const QString source = m_sources + QLatin1Char('/') + name;
        if (onDisk)
            QVERIFY(putFile(source, "print(1)\n"));
        QVERIFY(putFile(m_sources + QStringLiteral("/ok.txt"), "print(1)\n")); // what a NUL cuts to
        auto store = openStore();
        const auto before = snapshot(m_sandbox.path());

        store->importFiles({QUrl::fromLocalFile(source)});
        const auto after = snapshot(m_sandbox.path());
        const QStringList outside = changedOutside(before, after, projectPath(*store));
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join('\n')));
        QCOMPARE(store->files(), imported ? QStringList{name} : QStringList());
        QCOMPARE(QDir(*store->projectFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                         | QDir::NoDotAndDotDot).size(),
                 imported ? 2 : 1);
    }

    // "й" composed and decomposed look the same and are one name: the second is refused, and
    // the first keeps its content whichever way the second arrives.
    void normalisationTwinsAreOneName_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("composed, then decomposed") << kNfc << kNfd;
        QTest::newRow("decomposed, then composed") << kNfd << kNfc;
    }

    void normalisationTwinsAreOneName()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY(first != second);
        QVERIFY(sameFileName(first, second));

        auto store = openStore();
        QVERIFY(store->createFile(first));
        store->setEditorText(QStringLiteral("первый"));
        QVERIFY(store->saveFile(false));
        const QString firstPath = *store->projectFolder() + '/' + first;
        QCOMPARE(readAll(firstPath), QByteArray("первый"));

        // Typed again the other way: refused as existing.
        QVERIFY(!store->createFile(second));
        QCOMPARE(store->noticeText(), QStringLiteral("Файл уже существует."));

        // Imported the other way, alone and next to its twin: nothing replaced, nothing added.
        QVERIFY(putFile(m_sources + '/' + second, "второй"));
        store->importFiles({QUrl::fromLocalFile(m_sources + '/' + second)});
        QCOMPARE(store->files(), QStringList{first});
        QCOMPARE(readAll(firstPath), QByteArray("первый"));

        // Both at once into an empty project: the first listed wins, the other is left out.
        QVERIFY(putFile(m_sources + '/' + first, "первый из двух"));
        QVERIFY(store->createProject(QStringLiteral("Q")));
        store->importFiles({QUrl::fromLocalFile(m_sources + '/' + first),
                            QUrl::fromLocalFile(m_sources + '/' + second)});
        QCOMPARE(store->files(), QStringList{first});
        QCOMPARE(readAll(*store->projectFolder() + '/' + first), QByteArray("первый из двух"));
    }
};

QTEST_GUILESS_MAIN(TestHostileNames)
#include "tst_hostilenames.moc"
