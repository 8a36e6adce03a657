#include "voicefakes.h"

namespace vexa::voice::fakes {

QCoro::Task<> ManualClock::sleep(std::chrono::milliseconds duration)
{
    co_await Wait{this, m_now + duration};
}

void ManualClock::advance(std::chrono::milliseconds by)
{
    const TimePoint target = m_now + by;
    // Wake sleepers one at a time in deadline order; a woken one may sleep again before target.
    while (!m_sleepers.empty() && m_sleepers.begin()->first <= target) {
        const auto next = m_sleepers.begin();
        m_now = next->first;
        const std::coroutine_handle<> handle = next->second;
        m_sleepers.erase(next);
        handle.resume();
    }
    m_now = target;
}

QCoro::Task<bool> FakeCapture::requestMicrophoneAccess()
{
    calls << QStringLiteral("microphone");
    if (microphoneGate.hold)
        co_await qCoro(&microphoneGate, &Gate::released);
    co_return microphoneAllowed;
}

void FakeCapture::installTap(int bus, int bufferFrames, AudioTap tap)
{
    calls << QStringLiteral("installTap %1 %2").arg(bus).arg(bufferFrames);
    ++tapsInstalled;
    ++liveTaps;
    maxTapsAtOnce = std::max(maxTapsAtOnce, liveTaps);
    m_tap = std::move(tap);
    m_bufferFrames = bufferFrames;
}

void FakeCapture::removeTap(int bus)
{
    calls << QStringLiteral("removeTap %1").arg(bus);
    liveTaps = std::max(0, liveTaps - 1);
    m_tap = nullptr;
}

std::optional<VoiceError> FakeCapture::start()
{
    calls << QStringLiteral("start");
    ++starts;
    if (startError)
        return startError;
    running = true;
    return std::nullopt;
}

void FakeCapture::stop()
{
    calls << QStringLiteral("stop");
    running = false;
}

void FakeCapture::deliver(const std::vector<float> &samples, int sampleRate)
{
    if (m_tap)
        m_tap(AudioBuffer{samples.empty() ? nullptr : samples.data(), qsizetype(samples.size()),
                          sampleRate});
}

void FakeRequest::append(const AudioBuffer &)
{
    ++buffers;
}

std::shared_ptr<RecognitionRequest> FakeRecognizer::makeRequest(RecognitionOptions options)
{
    auto request = std::make_shared<FakeRequest>(options);
    m_owner->requests.push_back(request);
    return request;
}

std::unique_ptr<RecognitionTask> FakeRecognizer::startTask(std::shared_ptr<RecognitionRequest>,
                                                          RecognitionHandler handler)
{
    auto state = std::make_shared<FakeTaskState>();
    state->handler = std::move(handler);
    m_owner->tasks.push_back(state);
    return std::make_unique<FakeTask>(state);
}

QCoro::Task<SpeechAuthorization> FakeRecognition::requestAuthorization()
{
    ++authorizationRequests;
    if (authorizationGate.hold)
        co_await qCoro(&authorizationGate, &Gate::released);
    co_return authorization;
}

std::shared_ptr<SpeechRecognizer> FakeRecognition::makeRecognizer(const QString &locale)
{
    recognizerLocales.push_back(locale);
    const auto it = locales.find(locale);
    if (it == locales.end())
        return nullptr;
    return std::make_shared<FakeRecognizer>(this, it->second.available, it->second.onDevice);
}

void FakeRecognition::emitResult(const QString &text, bool isFinal)
{
    if (!tasks.empty() && tasks.back()->handler)
        tasks.back()->handler(RecognitionResult{text, isFinal}, std::nullopt);
}

void FakeRecognition::emitError(const QString &description)
{
    if (!tasks.empty() && tasks.back()->handler)
        tasks.back()->handler(std::nullopt, VoiceError{description});
}

QCoro::Task<VoiceInventory> FakeSynthesizer::installedVoices()
{
    ++listings;
    if (holdListings)
        co_await qCoro(&listingGate, &Gate::released);
    co_return VoiceInventory(inventory);
}

QCoro::Task<VoiceInventory> FakeSynthesizer::reloadVoices()
{
    ++listings;
    if (holdListings)
        co_await qCoro(&listingGate, &Gate::released);
    co_return VoiceInventory(inventory);
}

UtteranceId FakeSynthesizer::speak(const Utterance &utterance)
{
    spoken.push_back(utterance);
    m_current = ++m_next;
    ids.push_back(m_current);
    return m_current;
}

void FakeSynthesizer::stopSpeaking()
{
    ++stops;
    m_current = 0; // a stopped utterance reports nothing
}

void FakeSynthesizer::finishCurrent(UtteranceEnd end)
{
    const UtteranceId id = m_current;
    if (id == 0)
        return;
    m_current = 0;
    if (m_handler)
        m_handler(id, end);
}

} // namespace vexa::voice::fakes
