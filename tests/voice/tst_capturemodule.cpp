// The microphone's code and Qt Multimedia under it are loaded with their module when listening
// first asks for the microphone, and not before: a process that never listens keeps them out.
// One process, in order: the second step depends on what the first did not load.
#include "awaittask.h"
#include "processmaps.h"
#include "voiceservice.h"

#include <QTest>

using namespace vexa::voice;
using vexa::test::mapped;

class CaptureModuleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void notLoadedByTheVoiceService();
    void loadedByTheFirstRequest();

private:
    std::shared_ptr<AudioCapture> m_capture;
};

void CaptureModuleTest::notLoadedByTheVoiceService()
{
    VoiceService service;
    m_capture = VoicePlatform::system().capture;
    QVERIFY(!m_capture->isRunning());
    m_capture->stop();
    m_capture->removeTap(0);
    QVERIFY(!mapped("vexa-audio-capture"));
    QVERIFY(!mapped("libQt6Multimedia"));
}

// The real capture answers through the module: access is granted on the desktop, and starting
// either runs or says why in the user's words (machines without a sound card have no device).
void CaptureModuleTest::loadedByTheFirstRequest()
{
    const std::optional<bool> allowed = vexa::test::awaitTask(m_capture->requestMicrophoneAccess());
    QCOMPARE(allowed, std::optional(true));
    QVERIFY(mapped("vexa-audio-capture"));
    QVERIFY(mapped("libQt6Multimedia"));

    std::atomic_int buffers = 0;
    m_capture->installTap(0, 512, [&](const AudioBuffer &) { ++buffers; });
    m_capture->prepare();
    const std::optional<VoiceError> error = m_capture->start();
    if (error) {
        QVERIFY(!error->description.isEmpty());
        QVERIFY(!m_capture->isRunning());
    } else {
        QVERIFY(m_capture->isRunning());
        m_capture->stop();
        QVERIFY(!m_capture->isRunning());
    }
    m_capture->removeTap(0);
    const int seen = buffers;
    QTest::qWait(50);
    QCOMPARE(int(buffers), seen); // the removed tap is never called again
}

QTEST_GUILESS_MAIN(CaptureModuleTest)
#include "tst_capturemodule.moc"
