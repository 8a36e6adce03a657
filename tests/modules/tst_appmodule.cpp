// A module is taken only when it is a module of this build: a missing file, a file that is not
// a library, a library without the entry point or one built for another table are each refused
// with the reason, and the search goes on to the next candidate.
#include "appmodule.h"

#include <QTemporaryDir>
#include <QTest>

#include "../../src/voice/platform/capturemodule.h"

using namespace vexa;

class AppModuleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void takesOnlyAModuleOfThisBuild_data();
    void takesOnlyAModuleOfThisBuild();
};

void AppModuleTest::takesOnlyAModuleOfThisBuild_data()
{
    QTest::addColumn<QString>("builtPath");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<quint32>("abi");
    QTest::addColumn<QString>("whyNot"); // empty: taken

    const QString module = QStringLiteral(VEXA_AUDIO_CAPTURE_BUILT);
    const quint32 abi = voice::detail::kCaptureModuleAbi;
    QTest::newRow("this build's") << module << QByteArray("vexa_audio_capture") << abi << QString();
    QTest::newRow("another build's") << module << QByteArray("vexa_audio_capture") << abi + 1
                                     << QStringLiteral("built for another version");
    QTest::newRow("without the entry point") << module << QByteArray("vexa_no_such_entry") << abi
                                             << QStringLiteral("vexa_no_such_entry");
    QTest::newRow("not a library") << QStringLiteral(__FILE__) << QByteArray("vexa_audio_capture") << abi
                                   << QStringLiteral(__FILE__);
    QTest::newRow("nowhere") << QStringLiteral("/nonexistent/vexa-no-module.so") << QByteArray("vexa_audio_capture")
                             << abi << QStringLiteral("not found in");
}

void AppModuleTest::takesOnlyAModuleOfThisBuild()
{
    QFETCH(QString, builtPath);
    QFETCH(QByteArray, entry);
    QFETCH(quint32, abi);
    QFETCH(QString, whyNot);

    // Named so that no installed copy is found beside the test or in the prefix.
    const QByteArray path = builtPath.toUtf8();
    const modules::ModuleFile wanted{"vexa-module-under-test.so", path.constData(), entry.constData(), abi};
    QString reason;
    const auto *table = modules::load<voice::detail::CaptureModule>(wanted, &reason);
    if (whyNot.isEmpty()) {
        QVERIFY2(table, qPrintable(reason));
        QCOMPARE(table->abi, abi);
        std::unique_ptr<voice::AudioCapture> capture(table->create());
        QVERIFY(!capture->isRunning());
    } else {
        QVERIFY(!table);
        QVERIFY2(reason.contains(whyNot), qPrintable(reason));
    }
}

QTEST_GUILESS_MAIN(AppModuleTest)
#include "tst_appmodule.moc"
