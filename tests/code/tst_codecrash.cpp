// Killing a process in the middle of saving a project never leaves an unreadable project
// file: a child rewrites project.json in a loop and is killed (SIGKILL) again and again.

#include "awaittask.h"
#include "codefixtures.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

using namespace vexa;
using namespace vexa::test;

class TestCodeCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWhileSaving()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const CodeProject project = projectAt(QStringLiteral("Краш-тест"), at(0));
        QVERIFY(putProject(dir.path(), 1, project));
        const QString account = accountFolder(dir.path(), 1);
        const QString folder = projectFolder(dir.path(), 1, project.id);

        constexpr int kRounds = 25;
        QDeadlineTimer deadline(vexa::test::scaledMs(40'000));
        int killed = 0;
        for (int round = 0; round < kRounds && !deadline.hasExpired(); ++round) {
            QProcess child;
            child.start(QStringLiteral(CODE_SAVE_LOOP_PATH),
                        {account, canonicalUuidText(project.id), QStringLiteral("100000")});
            QVERIFY2(child.waitForStarted(vexa::test::scaledMs(5000)), qPrintable(child.errorString()));
            QVERIFY2(child.waitForReadyRead(vexa::test::scaledMs(10000)), "the saving process did not start writing");
            QThread::msleep(QRandomGenerator::global()->bounded(1, 40));
            if (child.state() == QProcess::Running) {
                child.kill(); // SIGKILL
                ++killed;
            }
            QVERIFY(child.waitForFinished(vexa::test::scaledMs(5000)));

            const auto bytes = readBytes(folder + "/project.json");
            QVERIFY2(bytes, "project.json is missing");
            const auto decoded = decodeCodeProject(*bytes);
            QVERIFY2(decoded, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(
                                  decoded ? QString() : decoded.error().describe())));
            QCOMPARE(decoded->id, project.id);
        }
        QVERIFY(killed > 0);
        // What a killed write may leave behind is its own business; the store lists the
        // project from project.json alone.
        CodeProjectStore store;
        store.setDataRoot(dir.path());
        store.openAccount(1);
        QCOMPARE(store.projects().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCodeCrash)
#include "tst_codecrash.moc"
