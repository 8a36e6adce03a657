// The voice types as screens get them: created from QML with the system's parts.
#include "awaittask.h"
#include "voicetexts.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_VoicePlugin)

class VoiceQmlTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void screensCreateTheTypes();
    void listeningOnThisMachineEndsTruthfully();
};

namespace {

std::unique_ptr<QObject> create(QQmlEngine &engine, const QByteArray &qml)
{
    QQmlComponent component(&engine);
    component.setData("import QtQml\nimport VexaAI.Voice\n" + qml, QUrl());
    std::unique_ptr<QObject> object(component.create());
    if (!object)
        qWarning() << component.errors();
    return object;
}

} // namespace

void VoiceQmlTest::screensCreateTheTypes()
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    const auto root = create(engine, R"(
        QtObject {
            property VoiceService voice: VoiceService {}
            property VoicePreferences preferences: VoicePreferences {}
            property Component catalog: Component { VexaVoiceCatalog {} }
            property string state: voice.isListening + "|" + voice.isSpeaking + "|"
                + voice.speechFinishedCount + "|" + voice.transcript + "|"
                + voice.finalTranscript + "|" + voice.errorMessage + "|" + preferences.locale
                + "|" + preferences.rate
        })");
    QVERIFY(root);
    QCOMPARE(root->property("state").toString(), QStringLiteral("false|false|0||||ru-RU|0.5"));
}

void VoiceQmlTest::listeningOnThisMachineEndsTruthfully()
{
    // With a microphone this listens; on a machine without one it must say so, not hang.
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    const auto voice = create(engine, "VoiceService {}");
    QVERIFY(voice);
    QMetaObject::invokeMethod(voice.get(), "startListening", Q_ARG(QString, QStringLiteral("en-US")),
                              Q_ARG(bool, false));
    QVERIFY(vexa::test::waitUntil([&] {
        return voice->property("isListening").toBool()
               || !voice->property("errorMessage").toString().isEmpty();
    }));
    const QString error = voice->property("errorMessage").toString();
    qInfo("listening: %d, error: %s", voice->property("isListening").toBool(), qPrintable(error));
    QVERIFY(error.isEmpty()
            || error.startsWith(vexa::voice::texts::microphoneStartFailedPrefix()));
    QMetaObject::invokeMethod(voice.get(), "stopListening");
    QVERIFY(!voice->property("isListening").toBool());
}

QTEST_GUILESS_MAIN(VoiceQmlTest)
#include "tst_voiceqml.moc"
