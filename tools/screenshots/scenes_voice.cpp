// The voice sheets: the voice library at both widths, and the conversation in each of its
// states (before starting, listening with a live phrase, waiting for the answer, speaking,
// paused under the voice library). The sheets are the real QML with real view-models over the
// local service; the microphone, the recognizer and the speaker are stand-ins that the stage
// drives, since the machine that renders has none of them.

#include "scene.h"

#include "localservice.h"
#include "vexaaiapp.h"
#include "vexaclient.h"
#include "voiceconversationviewmodel.h"
#include "voicelibraryviewmodel.h"

#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;
using namespace vexa::voice;

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

// A microphone in a quiet room: it runs, and hears nothing.
class QuietCapture final : public AudioCapture
{
public:
    QCoro::Task<bool> requestMicrophoneAccess() override { co_return true; }
    void installTap(int, int, AudioTap) override {}
    void removeTap(int) override {}
    void prepare() override {}
    std::optional<VoiceError> start() override
    {
        m_running = true;
        return std::nullopt;
    }
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }

private:
    bool m_running = false;
};

// A recognizer that reports what the stage tells it to have heard.
class StagedRecognition final : public SpeechRecognitionService
{
public:
    QCoro::Task<SpeechAuthorization> requestAuthorization() override
    {
        co_return SpeechAuthorization::Authorized;
    }
    std::shared_ptr<SpeechRecognizer> makeRecognizer(const QString &) override
    {
        return std::make_shared<Recognizer>(this);
    }
    void hear(const QString &text, bool isFinal)
    {
        if (m_handler)
            m_handler(RecognitionResult{text, isFinal}, std::nullopt);
    }

private:
    struct Request final : RecognitionRequest
    {
        void append(const AudioBuffer &) override {}
        void endAudio() override {}
    };
    struct Task final : RecognitionTask
    {
        StagedRecognition *owner;
        explicit Task(StagedRecognition *owner) : owner(owner) {}
        void cancel() override { owner->m_handler = nullptr; }
    };
    struct Recognizer final : SpeechRecognizer
    {
        StagedRecognition *owner;
        explicit Recognizer(StagedRecognition *owner) : owner(owner) {}
        bool isAvailable() const override { return true; }
        bool supportsOnDeviceRecognition() const override { return true; }
        std::shared_ptr<RecognitionRequest> makeRequest(RecognitionOptions) override
        {
            return std::make_shared<Request>();
        }
        std::unique_ptr<RecognitionTask> startTask(std::shared_ptr<RecognitionRequest>,
                                                   RecognitionHandler handler) override
        {
            owner->m_handler = std::move(handler);
            return std::make_unique<Task>(owner);
        }
    };
    RecognitionHandler m_handler;
};

// Voices as a speech service with a few Russian and English packages lists them; it speaks
// without a sound and never finishes, so the speaking state stays on screen.
class SilentSynthesizer final : public SpeechSynthesizer
{
public:
    QCoro::Task<VoiceInventory> installedVoices() override { co_return voices(); }
    QCoro::Task<VoiceInventory> reloadVoices() override { co_return voices(); }
    UtteranceId speak(const Utterance &) override { return ++m_next; }
    void stopSpeaking() override {}
    void setEndHandler(std::function<void(UtteranceId, UtteranceEnd)>) override {}

    static VoiceInventory voices()
    {
        auto voice = [](const char *name, const char *tag, int gender) {
            const QString language = QString::fromLatin1(tag);
            const QString n = QString::fromUtf8(name);
            return VoiceInfo{systemVoiceIdentifier(QStringLiteral("speechd"), language, n), n,
                             language, VoiceInfo::QualityDefault, gender, 0};
        };
        return VoiceInventory(
            {voice("Anna", "ru-RU", VoiceInfo::GenderFemale),
             voice("Elena", "ru-RU", VoiceInfo::GenderFemale),
             voice("Aleksandr", "ru-RU", VoiceInfo::GenderMale),
             voice("Irina", "ru-RU", VoiceInfo::GenderFemale),
             voice("Russian", "ru-RU", VoiceInfo::GenderUnspecified),
             voice("Russian+Alex", "ru-RU", VoiceInfo::GenderMale),
             voice("Slt", "en-US", VoiceInfo::GenderFemale),
             voice("Alan", "en-GB", VoiceInfo::GenderMale)},
            {{QStringLiteral("ru-RU"), QStringLiteral("speechd.ru-RU.Anna")}});
    }

private:
    UtteranceId m_next = 0;
};

QString preferencesPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString path = QDir(folder).filePath(QStringLiteral("vexa-screenshot-voice.ini"));
    QFile::remove(path);
    return path;
}

// A sheet of the voice module over the app's window, with the view-model the stage made.
QCoro::Task<QObject *> openSheet(SceneContext &context, const char *file, QObject *viewModel)
{
    QQmlComponent component(&context.app().engine(),
                            QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Voice/")
                                 + QString::fromLatin1(file)));
    QObject *sheet = component.createWithInitialProperties(
        {{QStringLiteral("viewModel"), QVariant::fromValue(viewModel)}});
    if (!sheet) {
        context.fail(component.errorString());
        co_return nullptr;
    }
    sheet->setParent(context.window());
    sheet->setProperty("parent", QVariant::fromValue(context.window()->contentItem()));
    viewModel->setParent(sheet);
    QMetaObject::invokeMethod(sheet, "open");
    const bool opened = co_await context.waitUntil(
        [sheet] { return sheet->property("opened").toBool(); }, QStringLiteral("the sheet"));
    co_return opened ? sheet : nullptr;
}

QCoro::Task<bool> stageLibrary(SceneContext &context)
{
    if (!co_await signInAndShowSections(context))
        co_return false;
    auto *library = new VoiceLibraryViewModel(
        std::make_shared<SilentSynthesizer>(),
        VoicePlatform{std::make_shared<QuietCapture>(), std::make_shared<StagedRecognition>(),
                      std::make_shared<SilentSynthesizer>(), std::make_shared<SteadyVoiceClock>()},
        preferencesPath());
    library->selectVoice(QStringLiteral("speechd.ru-RU.Elena"));
    library->toggleFavorite(QStringLiteral("speechd.ru-RU.Elena"));
    library->toggleFavorite(QStringLiteral("speechd.ru-RU.Aleksandr"));
    QObject *sheet = co_await openSheet(context, "VexaVoiceLibraryView.qml", library);
    if (!sheet)
        co_return false;
    co_await context.settle(600ms);
    co_return library->availableCount() == 6;
}

enum class Moment { Idle, Listening, Answering, Speaking, Paused };

// In "prepare": the answer to a spoken phrase takes its time, so waiting can be shown.
void slowAnswer(service::LocalService &service)
{
    service::ScriptedReply reply;
    reply.body = QByteArrayLiteral(R"({"ok":true,"answer":"Завтра в Казани облачно, +4 °C."})");
    reply.delay = 20s;
    service.script("POST", QStringLiteral("/api/chat"), reply);
}

// In "prepare": an answer written in Markdown, shown as the chat shows it (and spoken plain).
void markdownAnswer(service::LocalService &service)
{
    service::ScriptedReply reply;
    reply.body = QStringLiteral(
        R"({"ok":true,"answer":"**Завтра в Казани** облачно.\n\n| Время | °C | Ветер |\n|:--|--:|:-:|\n)"
        R"(| Утро | +2 | 3 м/с |\n| День | +4 | 5 м/с |\n| Вечер | +1 | 4 м/с |\n\n)"
        R"(- возьмите *зонт*;\n- [x] шарф уже в списке"})").toUtf8();
    service.script("POST", QStringLiteral("/api/chat"), reply);
}

QCoro::Task<bool> stageConversation(SceneContext &context, Moment moment)
{
    if (!co_await signInAndShowSections(context))
        co_return false;
    auto recognition = std::make_shared<StagedRecognition>();
    auto *conversation = new VoiceConversationViewModel(
        &context.client(),
        VoicePlatform{std::make_shared<QuietCapture>(), recognition,
                      std::make_shared<SilentSynthesizer>(), std::make_shared<SteadyVoiceClock>()},
        preferencesPath());
    QObject *sheet = co_await openSheet(context, "VoiceConversationView.qml", conversation);
    if (!sheet)
        co_return false;
    if (!co_await context.waitUntil(
            [conversation] { return conversation->mainButtonEnabled(); },
            QStringLiteral("the fast model")))
        co_return false;
    if (moment != Moment::Idle) {
        conversation->toggleConversation();
        if (!co_await context.waitUntil(
                [conversation] { return conversation->voice()->isListening(); },
                QStringLiteral("listening")))
            co_return false;
    }
    const QString phrase = QStringLiteral("Какая погода будет завтра в Казани");
    if (moment == Moment::Listening)
        recognition->hear(phrase, false);
    if (moment == Moment::Answering || moment == Moment::Speaking || moment == Moment::Paused)
        recognition->hear(phrase, true);
    if (moment == Moment::Speaking || moment == Moment::Paused) {
        if (!co_await context.waitUntil(
                [conversation] { return conversation->voice()->isSpeaking(); },
                QStringLiteral("the spoken answer")))
            co_return false;
    }
    if (moment == Moment::Paused)
        conversation->setShowingVoices(true);
    co_await context.settle(700ms);
    co_return true;
}

} // namespace

QList<Scene> voiceScenes()
{
    auto at = [](Moment moment) {
        return [moment](SceneContext &context) { return stageConversation(context, moment); };
    };
    return {
        {QStringLiteral("voice-library-wide"),
         QStringLiteral("the voice library: a pinned voice, favourites (1280×800)"), kWide, nullptr,
         stageLibrary},
        {QStringLiteral("voice-library-compact"),
         QStringLiteral("the voice library (420×860)"), kCompact, nullptr, stageLibrary},
        {QStringLiteral("voice-conversation-idle"),
         QStringLiteral("the conversation before it starts, with the fast model"), kWide, nullptr,
         at(Moment::Idle)},
        {QStringLiteral("voice-conversation-listening"),
         QStringLiteral("listening, with the phrase heard so far"), kWide, nullptr,
         at(Moment::Listening)},
        {QStringLiteral("voice-conversation-answering"),
         QStringLiteral("the phrase sent, waiting for the answer"), kWide, slowAnswer,
         at(Moment::Answering)},
        {QStringLiteral("voice-conversation-speaking"),
         QStringLiteral("the answer being spoken (420×860)"), kCompact, nullptr,
         at(Moment::Speaking)},
        {QStringLiteral("voice-conversation-markdown"),
         QStringLiteral("an answer with a table and a list, drawn as in the chat"), kWide,
         markdownAnswer, at(Moment::Speaking)},
        {QStringLiteral("voice-conversation-paused"),
         QStringLiteral("paused while the voice library is open"), kWide, nullptr,
         at(Moment::Paused)},
    };
}

} // namespace vexa::screenshots
