// The .deb as a user's machine gets it: made by CPack from this build, unpacked into a folder
// (nothing is installed on the system), its files, its metadata checked by the desktop's own
// validators, and the unpacked binary started against the local service.

#include "appprocess.h"
#include "awaittask.h"
#include "localservice.h"

#include <QDirIterator>
#include <QImage>
#include <QLibrary>
#include <QSettings>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using vexa::service::LocalService;
using vexa::test::ErrorLog;

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(vexa::test::scaledMs(timeoutMs))) {
        process.kill();
        process.waitForFinished(vexa::test::scaledMs(5000));
        return {-1, QStringLiteral("%1 did not finish").arg(program)};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

} // namespace

class PackageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void holdsTheInstalledFiles_data();
    void holdsTheInstalledFiles();
    void holdsNothingElse();
    void dependenciesAreComputed();
    void desktopEntryIsValid();
    void appStreamDataIsValid();
    void unpackedAppStarts();

private:
    QTemporaryDir m_work;
    QString m_deb;
    QString m_root;
};

void PackageTest::initTestCase()
{
    QVERIFY(m_work.isValid());
    const QString out = m_work.filePath(QStringLiteral("dist"));
    const Run cpack = run(QStringLiteral("cpack"),
                          {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                           QStringLiteral(VEXA_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out},
                          480000);
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    QVERIFY2(debs.constFirst().startsWith(QStringLiteral("vexa-ai_" VEXA_VERSION "_")), qPrintable(debs.constFirst()));
    m_deb = QDir(out).filePath(debs.constFirst());
    m_root = m_work.filePath(QStringLiteral("root"));
    const Run unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.output));
}

void PackageTest::holdsTheInstalledFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("app") << QStringLiteral("usr/bin/vexa-ai") << true;
    // Where the app looks for it beside itself: <bindir>/../lib/vexa-ai.
    QTest::newRow("highlighting module") << QStringLiteral("usr/lib/vexa-ai/vexa-highlight-engine.so") << false;
    QTest::newRow("audio capture module") << QStringLiteral("usr/lib/vexa-ai/vexa-audio-capture.so") << false;
    QTest::newRow("desktop entry") << QStringLiteral("usr/share/applications/ai.vexa.VexaAI.desktop") << false;
    QTest::newRow("appstream") << QStringLiteral("usr/share/metainfo/ai.vexa.VexaAI.metainfo.xml") << false;
    QTest::newRow("scalable icon")
        << QStringLiteral("usr/share/icons/hicolor/scalable/apps/ai.vexa.VexaAI.svg") << false;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString path = QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/ai.vexa.VexaAI.png").arg(size);
        QTest::newRow(qPrintable(QStringLiteral("icon %1").arg(size))) << path << false;
    }
}

void PackageTest::holdsTheInstalledFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(QDir(m_root).filePath(path));
    QVERIFY2(file.isFile(), qPrintable(path));
    QVERIFY(file.size() > 0);
    QCOMPARE(file.isExecutable(), executable);
    if (path.endsWith(QStringLiteral(".so"))) {
        // Loadable as packaged: its libraries are found and it offers its entry point, named
        // as the module is (vexa-audio-capture.so: vexa_audio_capture).
        QLibrary module(file.filePath());
        const QByteArray entry = file.completeBaseName().replace(u'-', u'_').toLatin1();
        QVERIFY2(module.resolve(entry.constData()), qPrintable(module.errorString()));
    }
    if (path.endsWith(QStringLiteral(".png"))) {
        const QString size = path.section(u'/', 4, 4).section(u'x', 0, 0);
        QImage icon(file.filePath());
        QCOMPARE(icon.width(), size.toInt());
        QCOMPARE(icon.height(), size.toInt());
    }
}

void PackageTest::holdsNothingElse()
{
    // No build leftovers: static libraries, headers, the local service or the test programs.
    QStringList files;
    QDirIterator it(m_root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(m_root).relativeFilePath(it.next());
    files.sort();
    // The binary, its two modules, the entry, the AppStream file, the scalable icon, nine PNG
    // sizes and the highlighter's own language definitions.
    const QStringList languages = QDir(QStringLiteral(VEXA_SOURCE_DIR "/src/highlight/languages"))
                                      .entryList({QStringLiteral("*.lang")}, QDir::Files);
    QVERIFY(!languages.isEmpty());
    for (const QString &language : languages)
        QVERIFY2(files.contains(QStringLiteral("usr/share/vexa-ai/highlight/") + language), qPrintable(language));
    QCOMPARE(files.size(), 6 + 9 + languages.size());
    for (const QString &file : std::as_const(files))
        QVERIFY2(file.startsWith(QStringLiteral("usr/bin/")) || file.startsWith(QStringLiteral("usr/share/"))
                     || file.startsWith(QStringLiteral("usr/lib/vexa-ai/")),
                 qPrintable(file));
}

void PackageTest::dependenciesAreComputed()
{
    const Run fields = run(QStringLiteral("dpkg-deb"),
                           {QStringLiteral("-f"), m_deb, QStringLiteral("Depends"), QStringLiteral("Recommends")});
    QCOMPARE(fields.exitCode, 0);
    // From the binary's shared libraries (dpkg-shlibdeps), with versions; not written by hand.
    // The recogniser, opened at run time, is listed by hand and must not be forgotten.
    for (const char *library : {"libqt6core6", "libqt6network6", "libqt6quick6", "libqt6texttospeech6",
                                "libqt6multimedia6", "libpocketsphinx3", "libhunspell", "libc6"})
        QVERIFY2(fields.output.contains(QLatin1String(library)), qPrintable(fields.output));
    QVERIFY2(fields.output.contains(QStringLiteral("qml6-module-qt-labs-folderlistmodel")), qPrintable(fields.output));
    const QString recommends = fields.output.section(QStringLiteral("Recommends:"), 1);
    QVERIFY2(recommends.contains(QStringLiteral("speech-dispatcher")), qPrintable(fields.output));
    // The desktop's own file dialogs, Qt's texts in Russian and the spelling dictionaries.
    for (const char *package : {"qt6-gtk-platformtheme", "qt6-xdgdesktopportal-platformtheme",
                                "qt6-translations-l10n", "hunspell-ru", "hunspell-en-us"})
        QVERIFY2(recommends.contains(QLatin1String(package)), qPrintable(fields.output));
}

void PackageTest::desktopEntryIsValid()
{
    const QString entry = QDir(m_root).filePath(QStringLiteral("usr/share/applications/ai.vexa.VexaAI.desktop"));
    const Run check = run(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY2(check.exitCode == 0 && check.output.trimmed().isEmpty(), qPrintable(check.output));
    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    // The window the entry starts is matched to it by its class.
    QCOMPARE(desktop.value(QStringLiteral("StartupWMClass")).toString(), QStringLiteral("VexaAI"));
    QCOMPARE(desktop.value(QStringLiteral("Exec")).toString(), QStringLiteral("vexa-ai"));
}

void PackageTest::appStreamDataIsValid()
{
    const QString metainfo = QDir(m_root).filePath(QStringLiteral("usr/share/metainfo/ai.vexa.VexaAI.metainfo.xml"));
    const Run check = run(QStringLiteral("appstreamcli"),
                          {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    QFile file(metainfo);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<release version=\"" VEXA_VERSION "\""));
}

void PackageTest::unpackedAppStarts()
{
    LocalService service;
    QVERIFY(service.listen());
    QTemporaryDir home;
    vexa::test::prepareHome(home);

    const QString binary = QDir(m_root).filePath(QStringLiteral("usr/bin/vexa-ai"));
    const Run version = run(binary, {QStringLiteral("--version")});
    QVERIFY2(version.exitCode == 0 && version.output.contains(QStringLiteral(VEXA_VERSION)),
             qPrintable(version.output));

    QProcess app;
    ErrorLog log(app);
    app.setProcessEnvironment(vexa::test::appEnvironment(home, service.baseUrl()));
    app.start(binary, {});
    QVERIFY(app.waitForStarted(vexa::test::scaledMs(10000)));
    QVERIFY2(log.waitFor("first frame", 60000), log.text.constData());
    QVERIFY(vexa::test::waitUntil([&] { return !service.requests(QStringLiteral("/api/state")).isEmpty(); }, 10000));
    app.terminate();
    QVERIFY(vexa::test::waitUntil([&] { return app.state() == QProcess::NotRunning; }, 10000));
}

QTEST_GUILESS_MAIN(PackageTest)
#include "tst_package.moc"
