#pragma once

#include "../audiocapture.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vexa::voice {

// Mono audio read from a WAV file.
struct PcmRecording
{
    std::vector<float> samples;
    int sampleRate = 0;
    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0.0; }
};

// 8-, 16- and 32-bit integer or 32-bit float PCM; channels are averaged. The error in words.
std::optional<PcmRecording> readWav(const QString &path, QString *error = nullptr);

// A microphone that plays a recording: buffers come from a thread of their own, either as fast
// as the tap takes them or at the pace of real time, followed by silence for as long as the
// capture keeps running (a quiet room after the speaker stops).
class WavFileCapture final : public AudioCapture
{
public:
    enum class Pace { AsFastAsPossible, RealTime };

    WavFileCapture(PcmRecording recording, Pace pace);
    ~WavFileCapture() override;

    // Called on the capture thread once the last buffer of the recording has been delivered.
    void setRecordingEndHandler(std::function<void()> handler);
    bool recordingDelivered() const { return m_delivered.load(); }

    QCoro::Task<bool> requestMicrophoneAccess() override;
    void installTap(int bus, int bufferFrames, AudioTap tap) override;
    void removeTap(int bus) override;
    void prepare() override {}
    std::optional<VoiceError> start() override;
    void stop() override;
    bool isRunning() const override { return m_thread.joinable(); }

private:
    void play();
    void deliver(const float *samples, qsizetype frames);

    const PcmRecording m_recording;
    const Pace m_pace;
    std::mutex m_tapMutex;
    AudioTap m_tap;
    int m_bufferFrames = 1024;
    std::function<void()> m_recordingEnd;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_delivered{false};
};

} // namespace vexa::voice
