#pragma once

#include "audiocapture.h"
#include "voiceerror.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vexa::voice {

enum class SpeechAuthorization { NotDetermined, Denied, Restricted, Authorized };

struct RecognitionResult
{
    QString formattedString; // best transcription of everything heard so far
    bool isFinal = false;
};

// Audio for one recognition. append() is called from the capture thread, endAudio() from the
// main thread; implementations accept both concurrently.
class RecognitionRequest
{
public:
    virtual ~RecognitionRequest() = default;
    virtual void append(const AudioBuffer &buffer) = 0;
    virtual void endAudio() = 0;
};

struct RecognitionOptions
{
    bool reportPartialResults = true;
    bool requiresOnDeviceRecognition = false;
};

// Called repeatedly, on any thread, with a result, an error, or both. Never called again once
// RecognitionTask::cancel() has returned.
using RecognitionHandler =
    std::function<void(std::optional<RecognitionResult>, std::optional<VoiceError>)>;

class RecognitionTask
{
public:
    virtual ~RecognitionTask() = default;
    virtual void cancel() = 0;
};

// A recognizer for one locale.
class SpeechRecognizer
{
public:
    virtual ~SpeechRecognizer() = default;
    virtual bool isAvailable() const = 0;
    virtual bool supportsOnDeviceRecognition() const = 0;
    virtual std::shared_ptr<RecognitionRequest> makeRequest(RecognitionOptions options) = 0;
    virtual std::unique_ptr<RecognitionTask> startTask(std::shared_ptr<RecognitionRequest> request,
                                                       RecognitionHandler handler) = 0;
};

// The platform's speech recognition: authorization and recognizers by locale.
class SpeechRecognitionService
{
public:
    virtual ~SpeechRecognitionService() = default;
    virtual QCoro::Task<SpeechAuthorization> requestAuthorization() = 0;
    // Null when the platform has no recognizer for `locale` (a tag such as "ru-RU").
    virtual std::shared_ptr<SpeechRecognizer> makeRecognizer(const QString &locale) = 0;
};

} // namespace vexa::voice
