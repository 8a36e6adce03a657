#pragma once

#include "../audiocapture.h"

#include <QThread>

#include <memory>
#include <mutex>

namespace vexa::voice {

class CaptureWorker;

// The default microphone through QAudioSource. The source lives on its own thread; buffers are
// converted to mono float, cut into taps of the requested size and handed to the tap there.
class QtAudioCapture final : public AudioCapture
{
public:
    QtAudioCapture();
    ~QtAudioCapture() override;

    // Desktop systems ask no permission of the application itself.
    QCoro::Task<bool> requestMicrophoneAccess() override;
    void installTap(int bus, int bufferFrames, AudioTap tap) override;
    void removeTap(int bus) override;
    void prepare() override;
    std::optional<VoiceError> start() override;
    void stop() override;
    bool isRunning() const override;

private:
    // Shared with the capture thread; the mutex makes removeTap wait for a tap call in progress.
    struct TapSlot
    {
        std::mutex mutex;
        AudioTap tap;
        int bufferFrames = 1024;
    };

    std::shared_ptr<TapSlot> m_tap;
    QThread m_thread;
    CaptureWorker *m_worker = nullptr; // lives on m_thread
    bool m_running = false;
};

} // namespace vexa::voice
