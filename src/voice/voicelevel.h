#pragma once

#include <QtGlobal>

#include <chrono>
#include <cmath>

// Phrase-end detection constants and the microphone level check. The level is compared as a
// 32-bit float, strictly greater than the threshold.
namespace vexa::voice {

inline constexpr int kCaptureBus = 0;
inline constexpr int kCaptureBufferFrames = 1024;
inline constexpr float kLevelThreshold = 0.018f;
inline constexpr int kLevelStride = 8;
inline constexpr std::chrono::milliseconds kSilencePollInterval{150};
inline constexpr std::chrono::milliseconds kQuietAfterVoice{900};
inline constexpr std::chrono::milliseconds kQuietAfterTranscript{650};

// Root mean square of every kLevelStride-th sample (0, 8, 16, … below frameLength): the count is
// (frameLength + 7) / 8. No samples, or none to read, give 0. Runs on the audio thread: no
// allocation.
inline float sampledLevel(const float *samples, qsizetype frameLength) noexcept
{
    if (!samples || frameLength <= 0)
        return 0.0f;
    const qsizetype count = (frameLength + kLevelStride - 1) / kLevelStride;
    float sum = 0.0f;
    for (qsizetype i = 0; i < frameLength; i += kLevelStride)
        sum += samples[i] * samples[i];
    return std::sqrt(sum / float(count));
}

inline bool isVoiceLevel(float level) noexcept
{
    return level > kLevelThreshold;
}

} // namespace vexa::voice
