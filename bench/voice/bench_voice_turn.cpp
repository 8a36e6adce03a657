// The conversation's own time per turn: a recorded English phrase is played at the pace of
// speech through the real recognizer into the voice conversation, which sends it to the
// in-process local service and speaks the answer with a speaker that finishes at once, so the
// next turn follows. Per turn it measures
//   phrase → request: from the moment listening has ended for a completed phrase (the last step
//                     before the phrase is published) until the request has been handed to the
//                     network (the send is suspended on it);
//   answer → speech:  from the answer's arrival (the client shows it) until speaking is asked.
// The wait for the detector's next poll after the pause is long enough is reported apart: it is
// part of the phrase-end rule, not work of the application.
// Last line: voice_turn_overhead_ms=<median of the per-turn sum>.
#include "cookiestore.h"
#include "localservice.h"
#include "platform/pocketsphinxrecognition.h"
#include "replay/wavfilecapture.h"
#include "vexaclient.h"
#include "voiceconversationviewmodel.h"
#include "voicepreferences.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QNetworkCookie>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace vexa;
using namespace vexa::voice;
using Clock = std::chrono::steady_clock;

namespace {

const QString kClip = QStringLiteral(
    "/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0880.wav");
constexpr int kTurns = 7;

double ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Notes when speaking was asked for and reports the utterance finished on the next turn of
// the event loop, as a very short answer would.
class InstantSpeaker final : public SpeechSynthesizer
{
public:
    std::vector<Clock::time_point> asked;

    QCoro::Task<VoiceInventory> installedVoices() override { co_return VoiceInventory(); }
    QCoro::Task<VoiceInventory> reloadVoices() override { co_return VoiceInventory(); }
    UtteranceId speak(const Utterance &) override
    {
        asked.push_back(Clock::now());
        const UtteranceId id = ++m_next;
        QTimer::singleShot(0, [this, id] {
            if (m_handler)
                m_handler(id, UtteranceEnd::Finished);
        });
        return id;
    }
    void stopSpeaking() override {}
    void setEndHandler(std::function<void(UtteranceId, UtteranceEnd)> handler) override
    {
        m_handler = std::move(handler);
    }

private:
    std::function<void(UtteranceId, UtteranceEnd)> m_handler;
    UtteranceId m_next = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;

    auto recording = readWav(kClip);
    if (!recording) {
        std::fprintf(stderr, "cannot read %s (install pocketsphinx-testdata)\n", qPrintable(kClip));
        return 1;
    }
    const double clipSeconds = recording->seconds();

    service::LocalService service;
    if (!service.listen()) {
        std::fprintf(stderr, "the local service cannot listen\n");
        return 1;
    }
    VexaClient client(service.baseUrl().toString(), dir.filePath(QStringLiteral("cookies")));
    QNetworkCookie cookie(service::LocalService::cookieName(), service.createSession());
    cookie.setPath(QStringLiteral("/"));
    client.cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl());

    const QString preferences = dir.filePath(QStringLiteral("prefs.ini"));
    VoicePreferences(preferences).setLocale(QStringLiteral("en-US"));
    auto capture = std::make_shared<WavFileCapture>(std::move(*recording),
                                                    WavFileCapture::Pace::RealTime);
    auto speaker = std::make_shared<InstantSpeaker>();
    auto clock = std::make_shared<SteadyVoiceClock>();
    VoiceConversationViewModel conversation(
        &client, VoicePlatform{capture, std::make_shared<PocketSphinxRecognition>(), speaker, clock},
        preferences);

    // Per turn: when the detector completed the phrase, when the send was suspended on the
    // network, when the answer was shown, and how long the detector waited past the window.
    std::vector<Clock::time_point> phraseDone, requestOut, answerIn;
    std::vector<double> detectorWait;
    VoiceService *voice = conversation.voice();
    // A completed phrase first ends listening (its last step announces it), then is published;
    // the conversation reacts to the publication, before the handlers below.
    Clock::time_point listeningEnded;
    QObject::connect(voice, &VoiceService::isListeningChanged, &app, [&] {
        if (!voice->isListening())
            listeningEnded = Clock::now();
    });
    QObject::connect(voice, &VoiceService::finalTranscriptChanged, &app, [&] {
        if (!voice->finalTranscript())
            return;
        const auto now = listeningEnded;
        const auto windowEnd = std::max(voice->lastVoiceActivity() + std::chrono::milliseconds(900),
                                        voice->lastTranscriptUpdate() + std::chrono::milliseconds(650));
        detectorWait.push_back(
            std::chrono::duration<double, std::milli>(clock->now() - windowEnd).count());
        phraseDone.push_back(now);
    });
    // Connected after the conversation's own handler: runs once the send is on its way.
    QObject::connect(voice, &VoiceService::finalTranscriptChanged, &app, [&] {
        if (voice->finalTranscript() && conversation.processing())
            requestOut.push_back(Clock::now());
    });
    QObject::connect(&client, &VexaClient::entriesChanged, &app, [&] {
        if (conversation.processing() && !client.entries().isEmpty()
            && client.entries().last().role == ChatEntry::Role::Assistant
            && answerIn.size() < requestOut.size())
            answerIn.push_back(Clock::now());
    });

    bool failed = false;
    auto fail = [&](const char *why) {
        std::fprintf(stderr, "%s\n", why);
        failed = true;
        app.quit();
    };
    QObject::connect(&conversation, &VoiceConversationViewModel::lastAnswerChanged, &app, [&] {
        if (int(speaker->asked.size()) + 1 >= kTurns) {
            // The last answer is being spoken: enough turns.
            QTimer::singleShot(0, &app, [&] {
                conversation.disappear();
                app.quit();
            });
        }
    });
    QTimer::singleShot(0, &app, [&] {
        [](VexaClient *client, VoiceConversationViewModel *conversation,
           std::function<void(const char *)> fail) -> QCoro::Task<> {
            co_await client->restoreSession();
            if (!client->isSignedIn()) {
                fail("sign-in failed");
                co_return;
            }
            co_await conversation->chooseFastModel();
            if (!conversation->modelAvailable()) {
                fail("no fast model");
                co_return;
            }
            co_await conversation->startConversation();
            if (!conversation->voice()->isListening())
                fail("listening did not start");
        }(&client, &conversation, fail);
    });
    QTimer::singleShot(std::chrono::seconds(int(kTurns * (clipSeconds + 15))), &app,
                       [&] { fail("turns did not finish in time"); });
    app.exec();
    if (failed)
        return 1;

    std::vector<double> toRequest, toSpeech, sums;
    const size_t turns = std::min({phraseDone.size(), requestOut.size(), answerIn.size(),
                                   speaker->asked.size()});
    for (size_t i = 0; i < turns; ++i) {
        const double a = ms(phraseDone[i], requestOut[i]);
        const double b = ms(answerIn[i], speaker->asked[i]);
        toRequest.push_back(a);
        toSpeech.push_back(b);
        sums.push_back(a + b);
        std::printf("turn %zu: phrase→request %.2f ms, answer→speech %.2f ms, detector wait %.0f ms\n",
                    i + 1, a, b, i < detectorWait.size() ? detectorWait[i] : 0.0);
    }
    if (turns == 0) {
        std::fprintf(stderr, "no complete turn\n");
        return 1;
    }
    std::printf("%zu turns of a %.2f s phrase; medians: phrase→request %.2f ms, answer→speech "
                "%.2f ms, detector wait %.0f ms (poll every 150 ms)\n",
                turns, clipSeconds, median(toRequest), median(toSpeech), median(detectorWait));
    std::printf("voice_turn_overhead_ms=%.2f\n", median(sums));
    return 0;
}
