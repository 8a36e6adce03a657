#include "pocketsphinxrecognition.h"

#include "pcmresampler.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QLoggingCategory>
#include <QThreadPool>

#include <pocketsphinx.h>

#include <condition_variable>
#include <optional>
#include <type_traits>
#include <mutex>
#include <vector>

namespace vexa::voice {

namespace {

Q_LOGGING_CATEGORY(lcSphinx, "vexa.voice.sphinx", QtWarningMsg)

constexpr int kDecoderRate = 16000;
// The decoder's voice detector is checked after each chunk; this is the chunk the bare
// PocketSphinx command-line tool uses, so utterances are cut at the same places.
constexpr qsizetype kChunkSamples = 2048;

QString decoderLoadError()
{
    return QStringLiteral("Не удалось загрузить модель распознавания речи.");
}

// Decoding threads outlive the services that start them by at most one chunk; the application
// waits for them when it exits.
QThreadPool &decodingPool()
{
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(8);
        qAddPostRoutine([] {
            decodingPool().waitForDone();
        });
        return created;
    }();
    return *pool;
}

// The audio of one recognition: filled by the capture thread, drained by the decoding thread.
class SphinxRequest final : public RecognitionRequest
{
public:
    explicit SphinxRequest(RecognitionOptions options) : m_options(options) {}

    const RecognitionOptions &options() const { return m_options; }

    void append(const AudioBuffer &buffer) override
    {
        std::lock_guard lock(m_mutex);
        if (m_ended || m_cancelled)
            return;
        m_resampler.push(buffer.samples, buffer.frameLength, buffer.sampleRate, m_pending);
        m_wake.notify_one();
    }

    void endAudio() override
    {
        std::lock_guard lock(m_mutex);
        if (m_ended)
            return;
        m_resampler.flush(m_pending);
        m_ended = true;
        m_wake.notify_one();
    }

    void cancel()
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_wake.notify_one();
    }

    enum class Take { Audio, Ended, Cancelled };

    // Blocks until there is audio, the audio has ended, or the recognition is cancelled.
    Take take(std::vector<int16_t> &chunk)
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_cancelled || m_ended || m_read < m_pending.size(); });
        if (m_cancelled)
            return Take::Cancelled;
        if (m_read == m_pending.size())
            return Take::Ended;
        const size_t count = std::min(size_t(kChunkSamples), m_pending.size() - m_read);
        chunk.assign(m_pending.begin() + qsizetype(m_read),
                     m_pending.begin() + qsizetype(m_read + count));
        m_read += count;
        if (m_read == m_pending.size()) {
            m_pending.clear();
            m_read = 0;
        }
        return Take::Audio;
    }

private:
    const RecognitionOptions m_options;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    PcmResampler m_resampler{kDecoderRate};
    std::vector<int16_t> m_pending;
    size_t m_read = 0;
    bool m_ended = false;
    bool m_cancelled = false;
};

// Delivers to the handler until cancelled; cancel() waits for a delivery in progress.
class Reporter
{
public:
    explicit Reporter(RecognitionHandler handler) : m_handler(std::move(handler)) {}

    void report(std::optional<RecognitionResult> result, std::optional<VoiceError> error)
    {
        std::lock_guard lock(m_mutex);
        if (m_handler)
            m_handler(std::move(result), std::move(error));
    }

    void cancel()
    {
        std::lock_guard lock(m_mutex);
        m_handler = nullptr;
    }

private:
    std::mutex m_mutex;
    RecognitionHandler m_handler;
};

// The text so far: finished utterances, then the one being heard; first letter capitalised.
class TranscriptBuilder
{
public:
    void commit(const char *hypothesis)
    {
        const QString words = QString::fromUtf8(hypothesis ? hypothesis : "").simplified();
        if (!words.isEmpty())
            m_committed.append(words);
    }

    QString text(const char *partial = nullptr) const
    {
        QStringList parts = m_committed;
        const QString current = QString::fromUtf8(partial ? partial : "").simplified();
        if (!current.isEmpty())
            parts.append(current);
        QString joined = parts.join(u' ');
        if (!joined.isEmpty())
            joined[0] = joined[0].toUpper();
        return joined;
    }

private:
    QStringList m_committed;
};

// The recogniser and what it pulls in (sphinxbase, BLAS, LAPACK, the Fortran runtime) are opened
// when the first recognition starts rather than with the app: a window that never listens does
// not load them, and the first frame does not wait for them. The header still declares every
// function, so each pointer keeps the library's own signature.
struct SphinxLibrary {
    decltype(&cmd_ln_init) cmdLnInit = nullptr;
    decltype(&cmd_ln_free_r) cmdLnFree = nullptr;
    decltype(&ps_args) args = nullptr;
    decltype(&ps_init) init = nullptr;
    decltype(&ps_free) freeDecoder = nullptr;
    decltype(&ps_start_utt) startUtterance = nullptr;
    decltype(&ps_process_raw) processRaw = nullptr;
    decltype(&ps_get_in_speech) inSpeech = nullptr;
    decltype(&ps_end_utt) endUtterance = nullptr;
    decltype(&ps_get_hyp) hypothesis = nullptr;
};

// Opened once for the process (the library stays loaded); null when it is missing or lacks one
// of the functions, with the reason logged.
const SphinxLibrary *sphinxLibrary()
{
    static const std::optional<SphinxLibrary> loaded = []() -> std::optional<SphinxLibrary> {
        QLibrary library(QStringLiteral(VEXA_POCKETSPHINX_SONAME));
        if (!library.load()) {
            qCWarning(lcSphinx, "The speech recogniser could not be loaded: %s",
                      qPrintable(library.errorString()));
            return std::nullopt;
        }
        SphinxLibrary functions;
        bool complete = true;
        auto resolve = [&](auto &pointer, const char *name) {
            pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(library.resolve(name));
            if (!pointer) {
                qCWarning(lcSphinx, "The speech recogniser lacks %s", name);
                complete = false;
            }
        };
        resolve(functions.cmdLnInit, "cmd_ln_init");
        resolve(functions.cmdLnFree, "cmd_ln_free_r");
        resolve(functions.args, "ps_args");
        resolve(functions.init, "ps_init");
        resolve(functions.freeDecoder, "ps_free");
        resolve(functions.startUtterance, "ps_start_utt");
        resolve(functions.processRaw, "ps_process_raw");
        resolve(functions.inSpeech, "ps_get_in_speech");
        resolve(functions.endUtterance, "ps_end_utt");
        resolve(functions.hypothesis, "ps_get_hyp");
        if (!complete)
            return std::nullopt;
        return functions;
    }();
    return loaded ? &*loaded : nullptr;
}

void decode(const SpeechModel &model, const std::shared_ptr<SphinxRequest> &request,
            const std::shared_ptr<Reporter> &reporter)
{
    const SphinxLibrary *const ps = sphinxLibrary();
    if (!ps) {
        reporter->report(std::nullopt, VoiceError{decoderLoadError()});
        return;
    }
    const QByteArray acoustic = model.acousticModel.toLocal8Bit();
    const QByteArray language = model.languageModel.toLocal8Bit();
    const QByteArray dictionary = model.dictionary.toLocal8Bit();
    const auto freeConfig = [ps](cmd_ln_t *config) { ps->cmdLnFree(config); };
    const auto freeDecoder = [ps](ps_decoder_t *decoder) { ps->freeDecoder(decoder); };
    std::unique_ptr<cmd_ln_t, decltype(freeConfig)> config(
        ps->cmdLnInit(nullptr, ps->args(), TRUE, "-hmm", acoustic.constData(), "-lm",
                      language.constData(), "-dict", dictionary.constData(), "-logfn", "/dev/null",
                      nullptr),
        freeConfig);
    std::unique_ptr<ps_decoder_t, decltype(freeDecoder)> decoder(
        config ? ps->init(config.get()) : nullptr, freeDecoder);
    if (!decoder) {
        reporter->report(std::nullopt, VoiceError{decoderLoadError()});
        return;
    }

    const bool partials = request->options().reportPartialResults;
    TranscriptBuilder transcript;
    QString reported;
    auto publish = [&](const QString &text, bool isFinal) {
        if (!isFinal && text == reported)
            return;
        reported = text;
        reporter->report(RecognitionResult{text, isFinal}, std::nullopt);
    };

    ps->startUtterance(decoder.get());
    bool inUtterance = false;
    std::vector<int16_t> chunk;
    for (;;) {
        const SphinxRequest::Take taken = request->take(chunk);
        if (taken == SphinxRequest::Take::Cancelled)
            return;
        if (taken == SphinxRequest::Take::Ended)
            break;
        ps->processRaw(decoder.get(), chunk.data(), chunk.size(), FALSE, FALSE);
        const bool inSpeech = ps->inSpeech(decoder.get());
        if (inSpeech && !inUtterance) {
            inUtterance = true;
        } else if (!inSpeech && inUtterance) {
            // The detector heard the end of an utterance: its full decode replaces the partial.
            ps->endUtterance(decoder.get());
            transcript.commit(ps->hypothesis(decoder.get(), nullptr));
            ps->startUtterance(decoder.get());
            inUtterance = false;
            publish(transcript.text(), false);
        } else if (inUtterance && partials) {
            publish(transcript.text(ps->hypothesis(decoder.get(), nullptr)), false);
        }
    }
    ps->endUtterance(decoder.get());
    transcript.commit(ps->hypothesis(decoder.get(), nullptr));
    publish(transcript.text(), true);
}

class SphinxTask final : public RecognitionTask
{
public:
    SphinxTask(std::shared_ptr<SphinxRequest> request, std::shared_ptr<Reporter> reporter)
        : m_request(std::move(request)), m_reporter(std::move(reporter))
    {
    }
    ~SphinxTask() override { cancel(); }

    void cancel() override
    {
        m_reporter->cancel();
        if (m_request)
            m_request->cancel();
    }

private:
    std::shared_ptr<SphinxRequest> m_request;
    std::shared_ptr<Reporter> m_reporter;
};

class SphinxRecognizer final : public SpeechRecognizer
{
public:
    explicit SphinxRecognizer(std::optional<SpeechModel> model) : m_model(std::move(model)) {}

    bool isAvailable() const override { return m_model.has_value(); }
    bool supportsOnDeviceRecognition() const override { return true; }

    std::shared_ptr<RecognitionRequest> makeRequest(RecognitionOptions options) override
    {
        return std::make_shared<SphinxRequest>(options);
    }

    std::unique_ptr<RecognitionTask> startTask(std::shared_ptr<RecognitionRequest> request,
                                               RecognitionHandler handler) override
    {
        auto reporter = std::make_shared<Reporter>(std::move(handler));
        auto sphinxRequest = std::dynamic_pointer_cast<SphinxRequest>(request);
        if (!m_model || !sphinxRequest) {
            reporter->report(std::nullopt, VoiceError{decoderLoadError()});
            return std::make_unique<SphinxTask>(sphinxRequest, reporter);
        }
        decodingPool().start([model = *m_model, sphinxRequest, reporter] {
            decode(model, sphinxRequest, reporter);
        });
        return std::make_unique<SphinxTask>(sphinxRequest, reporter);
    }

private:
    std::optional<SpeechModel> m_model;
};

} // namespace

PocketSphinxRecognition::PocketSphinxRecognition() : PocketSphinxRecognition(findSpeechModel) {}

PocketSphinxRecognition::PocketSphinxRecognition(ModelLookup lookup) : m_lookup(std::move(lookup))
{
}

QCoro::Task<SpeechAuthorization> PocketSphinxRecognition::requestAuthorization()
{
    co_return SpeechAuthorization::Authorized;
}

std::shared_ptr<SpeechRecognizer> PocketSphinxRecognition::makeRecognizer(const QString &locale)
{
    std::optional<SpeechModel> model = m_lookup(locale);
    if (!model)
        return nullptr;
    return std::make_shared<SphinxRecognizer>(std::move(model));
}

} // namespace vexa::voice
