#include "engine.h"
#include "languagetable.h"

#include <appmodule.h>

#include <QLoggingCategory>

#include <atomic>

Q_LOGGING_CATEGORY(lcHighlightEngine, "vexa.highlight", QtWarningMsg)

namespace vexa::highlight {

namespace {

const detail::Engine *loadEngine()
{
    static constexpr modules::ModuleFile wanted{"vexa-highlight-engine.so", VEXA_HIGHLIGHT_ENGINE_BUILT,
                                                "vexa_highlight_engine", detail::kEngineAbi};
    QString whyNot;
    if (const auto *loaded = modules::load<detail::Engine>(wanted, &whyNot))
        return loaded;
    qCWarning(lcHighlightEngine).noquote()
        << "Code is shown without colours: the highlighting module could not be loaded:" << whyNot;
    return nullptr;
}

std::atomic_bool g_loadTried = false;

// Loaded on the first call (from any thread) and kept for the rest of the run. nullptr when
// none of the candidates is a module of this build: code then stays plain, and the warning
// says why once.
const detail::Engine *engine()
{
    static const detail::Engine *const loaded = loadEngine();
    // Only once the load is over: a caller that must not wait sees it tried or not at all.
    g_loadTried.store(true, std::memory_order_release);
    return loaded;
}

// The canonical name of a language coloured here, or empty. The module is handed this name, so
// it finds the language at once instead of reading the fence's words again.
QString colouredName(const QString &language)
{
    if (detail::findLanguage(language))
        return language;
    const QString canonical = canonicalLanguage(language);
    return detail::findLanguage(canonical) ? canonical : QString();
}

// Every line plain: for a language not coloured here (complete, and without loading the
// module), or without the module (not what was asked for).
Result plain(const QString &code, bool complete)
{
    Result result;
    result.lines.resize(code.count(u'\n') + 1);
    result.complete = complete;
    return result;
}

LinesResult plainLines(const QStringList &lines, bool complete)
{
    LinesResult result;
    result.lines.resize(lines.size());
    result.endStates.fill(0, lines.size());
    result.complete = complete;
    return result;
}

} // namespace

Result highlight(const QString &language, const QString &code, Budget budget)
{
    const QString name = colouredName(language);
    if (name.isEmpty())
        return plain(code, true);
    const detail::Engine *loaded = engine();
    return loaded ? loaded->highlight(name, code, budget) : plain(code, false);
}

std::optional<Result> highlightIfReady(const QString &language, const QString &code, Budget budget)
{
    const QString name = colouredName(language);
    if (name.isEmpty())
        return plain(code, true);
    // Loading the module is a wait too (a few milliseconds): that is the worker's to do.
    if (!g_loadTried.load(std::memory_order_acquire))
        return std::nullopt;
    const detail::Engine *loaded = engine();
    return loaded ? loaded->highlightIfReady(name, code, budget) : plain(code, false);
}

LinesResult highlightLines(const QString &language, const QStringList &lines, int startState,
                           Budget budget)
{
    const QString name = colouredName(language);
    if (name.isEmpty())
        return plainLines(lines, true);
    const detail::Engine *loaded = engine();
    return loaded ? loaded->highlightLines(name, lines, startState, budget) : plainLines(lines, false);
}

} // namespace vexa::highlight
