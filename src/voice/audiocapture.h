#pragma once

#include "voiceerror.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

namespace vexa::voice {

// One captured buffer: mono 32-bit float samples at `sampleRate`. The pointers are valid only
// during the tap call; `samples` is null when the device delivered no sample data.
// `firstChannel` is the input's first channel alone, as the level check reads it, when the
// device records more than one (the mono samples mix them); null when `samples` is that channel.
struct AudioBuffer
{
    const float *samples = nullptr;
    qsizetype frameLength = 0;
    int sampleRate = 0;
    const float *firstChannel = nullptr;

    const float *levelSamples() const { return firstChannel ? firstChannel : samples; }
};

// Called on the capture thread for every buffer, never on the main thread.
using AudioTap = std::function<void(const AudioBuffer &)>;

// The microphone: permission, one tap per bus, and the engine that feeds it.
class AudioCapture
{
public:
    virtual ~AudioCapture() = default;

    // Answers on the main thread whether the app may record.
    virtual QCoro::Task<bool> requestMicrophoneAccess() = 0;

    // Buffers of `bufferFrames` frames go to `tap` once the engine runs. The caller keeps at most
    // one tap per bus; after removeTap returns, the old tap is not running and is never called
    // again.
    virtual void installTap(int bus, int bufferFrames, AudioTap tap) = 0;
    virtual void removeTap(int bus) = 0;

    virtual void prepare() = 0;
    // Starts delivering buffers; the error, in the user's words, when the device cannot start.
    virtual std::optional<VoiceError> start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace vexa::voice
