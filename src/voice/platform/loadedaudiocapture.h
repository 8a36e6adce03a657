#pragma once

#include "../audiocapture.h"

#include <memory>

namespace vexa::voice {

// The default microphone (QtAudioCapture) in its module (capturemodule.h), loaded off the main
// thread when listening first asks for access, and kept. Without the module, access is granted
// and starting fails with the reason, as a missing device does.
class LoadedAudioCapture final : public AudioCapture
{
public:
    LoadedAudioCapture();
    ~LoadedAudioCapture() override;

    QCoro::Task<bool> requestMicrophoneAccess() override;
    void installTap(int bus, int bufferFrames, AudioTap tap) override;
    void removeTap(int bus) override;
    void prepare() override;
    std::optional<VoiceError> start() override;
    void stop() override;
    bool isRunning() const override;

private:
    // The capture, the module loaded here (on the main thread) if access was not asked first;
    // null without the module.
    AudioCapture *capture();

    std::unique_ptr<AudioCapture> m_capture;
    bool m_tried = false;
};

} // namespace vexa::voice
