#include "loadedaudiocapture.h"
#include "capturemodule.h"

#include <appmodule.h>

#include <QCoro/QCoroFuture>
#include <QLoggingCategory>
#include <QtConcurrent/QtConcurrentRun>

Q_LOGGING_CATEGORY(lcCaptureModule, "vexa.voice.capture", QtWarningMsg)

namespace vexa::voice {

namespace {

// Loaded once for the process (from whichever thread asks first) and kept; null, with the reason
// logged once, when none of the candidates is a module of this build.
const detail::CaptureModule *captureModule()
{
    static const detail::CaptureModule *const loaded = [] {
        static constexpr modules::ModuleFile wanted{"vexa-audio-capture.so", VEXA_AUDIO_CAPTURE_BUILT,
                                                    "vexa_audio_capture", detail::kCaptureModuleAbi};
        QString whyNot;
        const auto *module = modules::load<detail::CaptureModule>(wanted, &whyNot);
        if (!module)
            qCWarning(lcCaptureModule).noquote()
                << "The microphone cannot be used: the audio capture module could not be loaded:" << whyNot;
        return module;
    }();
    return loaded;
}

QString moduleMissing()
{
    return QStringLiteral("модуль записи звука приложения не установлен");
}

} // namespace

LoadedAudioCapture::LoadedAudioCapture() = default;

LoadedAudioCapture::~LoadedAudioCapture() = default;

QCoro::Task<bool> LoadedAudioCapture::requestMicrophoneAccess()
{
    if (!m_tried) {
        // Opening Qt Multimedia and PulseAudio's libraries takes some milliseconds.
        const detail::CaptureModule *module = co_await QtConcurrent::run(&captureModule);
        if (!m_tried) {
            m_tried = true;
            if (module)
                m_capture.reset(module->create());
        }
    }
    if (!m_capture)
        co_return true; // not a matter of permission: start() says what is wrong
    co_return co_await m_capture->requestMicrophoneAccess();
}

AudioCapture *LoadedAudioCapture::capture()
{
    if (!m_tried) {
        m_tried = true;
        if (const detail::CaptureModule *module = captureModule())
            m_capture.reset(module->create());
    }
    return m_capture.get();
}

void LoadedAudioCapture::installTap(int bus, int bufferFrames, AudioTap tap)
{
    if (AudioCapture *loaded = capture())
        loaded->installTap(bus, bufferFrames, std::move(tap));
}

void LoadedAudioCapture::removeTap(int bus)
{
    if (m_capture)
        m_capture->removeTap(bus);
}

void LoadedAudioCapture::prepare()
{
    if (AudioCapture *loaded = capture())
        loaded->prepare();
}

std::optional<VoiceError> LoadedAudioCapture::start()
{
    AudioCapture *loaded = capture();
    return loaded ? loaded->start() : std::optional(VoiceError{moduleMissing()});
}

void LoadedAudioCapture::stop()
{
    if (m_capture)
        m_capture->stop();
}

bool LoadedAudioCapture::isRunning() const
{
    return m_capture && m_capture->isRunning();
}

} // namespace vexa::voice
