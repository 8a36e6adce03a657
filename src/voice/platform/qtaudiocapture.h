#pragma once

#include "../audiocapture.h"

#include <QThread>

#include <memory>
#include <mutex>

#include <QAudioFormat>
#include <QIODevice>

#include <vector>

namespace vexa::voice {

class CaptureWorker;

// Receives raw device bytes on the capture thread and cuts them into tap buffers of mono float
// samples (the channels mixed), each with the first channel beside it for the level check.
class CaptureSink final : public QIODevice
{
public:
    CaptureSink(QAudioFormat format, std::function<void(const AudioBuffer &)> deliver);

    void setBufferFrames(int frames) { m_bufferFrames = qMax(1, frames); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    QAudioFormat m_format;
    std::function<void(const AudioBuffer &)> m_deliver;
    QByteArray m_partial;
    std::vector<float> m_pending;
    std::vector<float> m_pendingFirst; // more than one channel only
    int m_bufferFrames = 1024;
};

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
