#include "speechenginehost.h"

#include <QCoreApplication>
#include <QCoro/QCoroSignal>
#include <QHash>
#include <QLocale>
#include <QTextToSpeech>
#include <QVoice>

#include <algorithm>

namespace vexa::voice {

namespace {

QString tagOf(const QLocale &locale)
{
    return locale.name().replace(u'_', u'-');
}

int genderOf(const QVoice &voice)
{
    switch (voice.gender()) {
    case QVoice::Male:
        return VoiceInfo::GenderMale;
    case QVoice::Female:
        return VoiceInfo::GenderFemale;
    default:
        return VoiceInfo::GenderUnspecified;
    }
}

// Our rates put the normal pace at 0.5; Qt's at 0 on a -1 … 1 scale.
double qtRate(float rate)
{
    return std::clamp((double(rate) - 0.5) * 2.0, -1.0, 1.0);
}

} // namespace

// Owns the QTextToSpeech engine; every call runs on the host's thread.
class SpeechEngineWorker : public QObject
{
public:
    explicit SpeechEngineWorker(SpeechEngineHost *host) : m_host(host) {}

    VoiceInventory listVoices()
    {
        // An engine that came up without a speech server (speech-dispatcher not running yet,
        // or it failed) never recovers by itself; a new listing makes a new one.
        if (m_engineTried && !m_current
            && (!m_engine || m_engine->state() == QTextToSpeech::Error
                || m_engine->availableLocales().isEmpty())) {
            m_engine.reset();
            m_engineTried = false;
        }
        ensureEngine();
        m_voiceById.clear();
        if (!m_engine)
            return {};
        const QString engineName = m_engine->engine();
        QList<VoiceInfo> voices;
        QHash<QString, QString> defaults;
        for (const QLocale &locale : m_engine->availableLocales()) {
            if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
                continue;
            m_engine->setLocale(locale);
            // What the engine picks for a language when asked for no particular voice.
            const QVoice chosen = m_engine->voice();
            for (const QVoice &voice : m_engine->availableVoices()) {
                const QString tag = tagOf(voice.locale().language() == QLocale::C
                                              ? locale
                                              : voice.locale());
                const QString id = systemVoiceIdentifier(engineName, tag, voice.name());
                if (m_voiceById.contains(id))
                    continue;
                voices.append(VoiceInfo{id, voice.name(), tag, VoiceInfo::QualityDefault,
                                        genderOf(voice), 0});
                m_voiceById.insert(id, voice);
                if (voice == chosen && !defaults.contains(tagOf(locale)))
                    defaults.insert(tagOf(locale), id);
            }
        }
        return VoiceInventory(std::move(voices), std::move(defaults));
    }

    void speak(quint64 owner, UtteranceId id, const Utterance &utterance)
    {
        ensureEngine();
        if (m_current && m_current->owner != owner)
            report(m_current->owner, m_current->id, UtteranceEnd::Interrupted);
        m_current.reset();
        // Nothing to say, or nothing to say it with: the utterance is over before it began.
        if (!m_engine || m_engine->state() == QTextToSpeech::Error
            || utterance.text.trimmed().isEmpty()) {
            report(owner, id, UtteranceEnd::Finished);
            return;
        }
        if (const auto voice = m_voiceById.constFind(utterance.voiceIdentifier);
            voice != m_voiceById.constEnd()) {
            m_engine->setLocale(voice->locale());
            m_engine->setVoice(*voice);
        } else if (const QLocale locale(utterance.language); locale.language() != QLocale::C) {
            m_engine->setLocale(locale);
        }
        m_engine->setRate(qtRate(utterance.rate));
        m_current = Current{owner, id, false};
        m_engine->say(utterance.text);
    }

    void stop(quint64 owner)
    {
        if (!m_current || m_current->owner != owner)
            return;
        m_current.reset();
        if (m_engine)
            m_engine->stop(QTextToSpeech::BoundaryHint::Immediate);
    }

    void shutdown()
    {
        m_current.reset();
        m_engine.reset();
    }

private:
    struct Current
    {
        quint64 owner;
        UtteranceId id;
        bool begun;
    };

    void ensureEngine()
    {
        if (m_engine || m_engineTried)
            return;
        m_engineTried = true;
        const QStringList engines = QTextToSpeech::availableEngines();
        if (engines.isEmpty())
            return;
        const QString engine =
            engines.contains(QStringLiteral("speechd")) ? QStringLiteral("speechd") : engines.first();
        m_engine = std::make_unique<QTextToSpeech>(engine);
        QObject::connect(m_engine.get(), &QTextToSpeech::stateChanged, this,
                         [this](QTextToSpeech::State state) { onState(state); });
    }

    // The engine reports states, not utterances: an utterance ends with the first Ready after it
    // began speaking. A Ready before that belongs to the stop of the previous one.
    void onState(QTextToSpeech::State state)
    {
        if (!m_current)
            return;
        if (state == QTextToSpeech::Speaking) {
            m_current->begun = true;
        } else if ((state == QTextToSpeech::Ready && m_current->begun)
                   || state == QTextToSpeech::Error) {
            // An engine error ends the turn as well; waiting for more would hang the speaker.
            const Current ended = *m_current;
            m_current.reset();
            report(ended.owner, ended.id, UtteranceEnd::Finished);
        }
    }

    void report(quint64 owner, UtteranceId id, UtteranceEnd end)
    {
        SpeechEngineHost *host = m_host;
        QMetaObject::invokeMethod(
            host, [host, owner, id, end] { Q_EMIT host->utteranceEnded(owner, id, end); },
            Qt::QueuedConnection);
    }

    SpeechEngineHost *m_host;
    std::unique_ptr<QTextToSpeech> m_engine;
    bool m_engineTried = false;
    QHash<QString, QVoice> m_voiceById;
    std::optional<Current> m_current;
};

std::shared_ptr<SpeechEngineHost> SpeechEngineHost::instance()
{
    static std::shared_ptr<SpeechEngineHost> host;
    if (!host) {
        host.reset(new SpeechEngineHost);
        // The engine thread must end while the application object still exists.
        qAddPostRoutine([] { host.reset(); });
    }
    return host;
}

SpeechEngineHost::SpeechEngineHost()
{
    qRegisterMetaType<vexa::voice::UtteranceId>("vexa::voice::UtteranceId");
    qRegisterMetaType<vexa::voice::UtteranceEnd>("vexa::voice::UtteranceEnd");
    m_thread.setObjectName(QStringLiteral("vexa-speech"));
    m_worker = new SpeechEngineWorker(this);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

SpeechEngineHost::~SpeechEngineHost()
{
    SpeechEngineWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->shutdown(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete worker; // its thread has ended: nothing runs on it any more
}

void SpeechEngineHost::startListing()
{
    m_listing = true;
    SpeechEngineWorker *worker = m_worker;
    // The host outlives its thread (its destructor waits for it), so the worker may name it.
    SpeechEngineHost *host = this;
    QMetaObject::invokeMethod(
        worker,
        [worker, host] {
            VoiceInventory listed = worker->listVoices();
            QMetaObject::invokeMethod(
                host,
                [host, listed] {
                    host->m_voices = listed;
                    host->m_listing = false;
                    Q_EMIT host->voicesListed();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

QCoro::Task<VoiceInventory> SpeechEngineHost::voices(bool reload)
{
    if (m_voices && !reload)
        co_return VoiceInventory(*m_voices); // a copy: QCoro 0.8 moves from co_returned lvalues
    // A listing under way is as fresh as a new one would be.
    if (!m_listing)
        startListing();
    co_await qCoro(this, &SpeechEngineHost::voicesListed);
    co_return m_voices.value_or(VoiceInventory());
}

void SpeechEngineHost::warmUp()
{
    if (!m_voices && !m_listing)
        startListing();
}

quint64 SpeechEngineHost::newOwner()
{
    return ++m_nextOwner;
}

UtteranceId SpeechEngineHost::speak(quint64 owner, const Utterance &utterance)
{
    const UtteranceId id = ++m_nextUtterance;
    SpeechEngineWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, owner, id, utterance] { worker->speak(owner, id, utterance); },
        Qt::QueuedConnection);
    return id;
}

void SpeechEngineHost::stop(quint64 owner)
{
    SpeechEngineWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, owner] { worker->stop(owner); }, Qt::QueuedConnection);
}

} // namespace vexa::voice
