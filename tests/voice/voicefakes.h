#pragma once

#include "audiocapture.h"
#include "speechrecognition.h"
#include "speechsynthesizer.h"
#include "voiceclock.h"
#include "voiceservice.h"

#include <QCoro/QCoroSignal>
#include <QObject>

#include <coroutine>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vexa::voice::fakes {

// Time that moves only when a test says so. Sleepers wake in deadline order as it passes them.
class ManualClock final : public VoiceClock
{
public:
    TimePoint now() const override { return m_now; }
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override;

    void advance(std::chrono::milliseconds by);
    int sleepers() const { return int(m_sleepers.size()); }

private:
    struct Wait
    {
        ManualClock *clock;
        TimePoint deadline;
        bool await_ready() const noexcept { return deadline <= clock->m_now; }
        void await_suspend(std::coroutine_handle<> handle)
        {
            clock->m_sleepers.emplace(deadline, handle);
        }
        void await_resume() const noexcept {}
    };

    TimePoint m_now{std::chrono::seconds(1000)};
    std::multimap<TimePoint, std::coroutine_handle<>> m_sleepers;
};

// Answers permission requests now or when released; pending requests can be answered later.
class Gate : public QObject
{
    Q_OBJECT
public:
    bool hold = false;
    void release() { emit released(); }
signals:
    void released();
};

class FakeCapture final : public AudioCapture
{
public:
    bool microphoneAllowed = true;
    Gate microphoneGate;
    std::optional<VoiceError> startError;

    int tapsInstalled = 0;  // installTap calls in total
    int maxTapsAtOnce = 0;  // most taps ever installed together
    int liveTaps = 0;
    int starts = 0;
    bool running = false;
    QStringList calls;      // order of engine operations

    QCoro::Task<bool> requestMicrophoneAccess() override;
    void installTap(int bus, int bufferFrames, AudioTap tap) override;
    void removeTap(int bus) override;
    void prepare() override { calls << QStringLiteral("prepare"); }
    std::optional<VoiceError> start() override;
    void stop() override;
    bool isRunning() const override { return running; }

    bool hasTap() const { return bool(m_tap); }
    int requestedBufferFrames() const { return m_bufferFrames; }
    // Feeds one buffer to the tap on the calling thread, as the audio thread would.
    void deliver(const std::vector<float> &samples, int sampleRate = 16000);

private:
    AudioTap m_tap;
    int m_bufferFrames = 0;
};

class FakeRequest final : public RecognitionRequest
{
public:
    explicit FakeRequest(RecognitionOptions options) : options(options) {}
    void append(const AudioBuffer &buffer) override;
    void endAudio() override { ++endAudioCalls; }

    RecognitionOptions options;
    std::atomic<int> buffers{0};
    std::atomic<int> endAudioCalls{0};
};

// What the test sees of a task; outlives the task the service owns.
struct FakeTaskState
{
    RecognitionHandler handler;
    bool cancelled = false;
    bool destroyed = false;
};

class FakeTask final : public RecognitionTask
{
public:
    explicit FakeTask(std::shared_ptr<FakeTaskState> state) : m_state(std::move(state)) {}
    ~FakeTask() override { m_state->destroyed = true; }
    void cancel() override
    {
        m_state->cancelled = true;
        m_state->handler = nullptr;
    }

private:
    std::shared_ptr<FakeTaskState> m_state;
};

class FakeRecognition;

class FakeRecognizer final : public SpeechRecognizer
{
public:
    FakeRecognizer(FakeRecognition *owner, bool available, bool onDevice)
        : m_owner(owner), m_available(available), m_onDevice(onDevice)
    {
    }
    bool isAvailable() const override { return m_available; }
    bool supportsOnDeviceRecognition() const override { return m_onDevice; }
    std::shared_ptr<RecognitionRequest> makeRequest(RecognitionOptions options) override;
    std::unique_ptr<RecognitionTask> startTask(std::shared_ptr<RecognitionRequest> request,
                                               RecognitionHandler handler) override;

private:
    FakeRecognition *m_owner;
    bool m_available;
    bool m_onDevice;
};

class FakeRecognition final : public SpeechRecognitionService
{
public:
    struct Support
    {
        bool available = true;
        bool onDevice = true;
    };

    SpeechAuthorization authorization = SpeechAuthorization::Authorized;
    Gate authorizationGate;
    std::map<QString, Support> locales{{QStringLiteral("ru-RU"), {}},
                                       {QStringLiteral("en-US"), {}}};

    std::vector<std::weak_ptr<FakeRequest>> requests;
    std::vector<std::shared_ptr<FakeTaskState>> tasks;
    std::vector<QString> recognizerLocales;
    int authorizationRequests = 0;

    QCoro::Task<SpeechAuthorization> requestAuthorization() override;
    std::shared_ptr<SpeechRecognizer> makeRecognizer(const QString &locale) override;

    std::shared_ptr<FakeRequest> lastRequest() const
    {
        return requests.empty() ? nullptr : requests.back().lock();
    }
    // Calls the last task's handler, as the recognizer's thread would.
    void emitResult(const QString &text, bool isFinal = false);
    void emitError(const QString &description);
};

class FakeSynthesizer final : public SpeechSynthesizer
{
public:
    VoiceInventory inventory;
    std::vector<Utterance> spoken;
    std::vector<UtteranceId> ids;
    int stops = 0;
    int listings = 0;
    // While set, listings wait for listingGate.release() (then answer the inventory of that time).
    bool holdListings = false;
    Gate listingGate;

    QCoro::Task<VoiceInventory> installedVoices() override;
    QCoro::Task<VoiceInventory> reloadVoices() override;
    UtteranceId speak(const Utterance &utterance) override;
    void stopSpeaking() override;
    void setEndHandler(std::function<void(UtteranceId, UtteranceEnd)> handler) override
    {
        m_handler = std::move(handler);
    }

    // The platform reports the current utterance's end (only if one is playing).
    void finishCurrent(UtteranceEnd end = UtteranceEnd::Finished);
    // A report for any utterance, e.g. one that was already on its way when it was stopped.
    void reportEnd(UtteranceId id, UtteranceEnd end)
    {
        if (m_handler)
            m_handler(id, end);
    }
    bool playing() const { return m_current != 0; }

private:
    std::function<void(UtteranceId, UtteranceEnd)> m_handler;
    UtteranceId m_next = 0;
    UtteranceId m_current = 0;
};

// One set of fake voice parts, shared by every VoiceService made from them.
struct FakeVoiceParts {
    std::shared_ptr<FakeCapture> capture = std::make_shared<FakeCapture>();
    std::shared_ptr<FakeRecognition> recognition = std::make_shared<FakeRecognition>();
    std::shared_ptr<FakeSynthesizer> synthesizer = std::make_shared<FakeSynthesizer>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();

    VoicePlatform platform() const { return {capture, recognition, synthesizer, clock}; }
    std::function<VoicePlatform()> factory() const { return [this] { return platform(); }; }
};

} // namespace vexa::voice::fakes
