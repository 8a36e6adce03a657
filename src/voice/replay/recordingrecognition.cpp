#include "recordingrecognition.h"

#include "../platform/pocketsphinxrecognition.h"
#include "../voicelevel.h"
#include "wavfilecapture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <atomic>
#include <future>

namespace vexa::voice {

std::optional<RecordingTranscript> recognizeRecording(const QString &wavPath,
                                                      const QString &language,
                                                      double timeoutSeconds)
{
    std::optional<PcmRecording> recording = readWav(wavPath);
    if (!recording)
        return std::nullopt;

    QElapsedTimer clock;
    clock.start();
    PocketSphinxRecognition recognition;
    const std::shared_ptr<SpeechRecognizer> recognizer = recognition.makeRecognizer(language);
    if (!recognizer || !recognizer->isAvailable())
        return std::nullopt;
    const std::shared_ptr<RecognitionRequest> request =
        recognizer->makeRequest(RecognitionOptions{.reportPartialResults = true,
                                                   .requiresOnDeviceRecognition = true});

    WavFileCapture capture(std::move(*recording), WavFileCapture::Pace::AsFastAsPossible);
    std::atomic<int> loudBuffers{0};
    capture.installTap(kCaptureBus, kCaptureBufferFrames, [&](const AudioBuffer &buffer) {
        request->append(buffer);
        if (isVoiceLevel(sampledLevel(buffer.levelSamples(), buffer.frameLength)))
            ++loudBuffers;
    });
    capture.setRecordingEndHandler([request] { request->endAudio(); });

    std::promise<std::optional<QString>> finalText;
    std::atomic<bool> answered{false};
    auto answer = [&](std::optional<QString> text) {
        if (!answered.exchange(true))
            finalText.set_value(std::move(text));
    };
    std::unique_ptr<RecognitionTask> task = recognizer->startTask(
        request, [&](std::optional<RecognitionResult> result, std::optional<VoiceError> error) {
            if (error)
                answer(std::nullopt);
            else if (result && result->isFinal)
                answer(result->formattedString);
        });
    if (capture.start())
        return std::nullopt;

    std::future<std::optional<QString>> waiting = finalText.get_future();
    const bool ready = waiting.wait_for(std::chrono::duration<double>(timeoutSeconds))
                       == std::future_status::ready;
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    task->cancel();
    capture.stop();
    capture.removeTap(kCaptureBus);
    if (!ready)
        return std::nullopt;
    std::optional<QString> text = waiting.get();
    if (!text)
        return std::nullopt;
    return RecordingTranscript{*text, seconds};
}

std::optional<RecordingTranscript> recognizeWithBarePocketSphinx(const QString &wavPath,
                                                                 double timeoutSeconds)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pocketsphinx_continuous"));
    if (program.isEmpty())
        return std::nullopt;
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, {QStringLiteral("-infile"), wavPath, QStringLiteral("-logfn"),
                            QStringLiteral("/dev/null")});
    if (!process.waitForFinished(int(timeoutSeconds * 1000)) || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    // One line per utterance the tool's detector found.
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    return RecordingTranscript{out.simplified(), seconds};
}

} // namespace vexa::voice
