// The part of highlighting that runs GNU source-highlight, built as a module of its own
// (engine.h says why); everything here is reached through the table at the end of the file.
#include "engine.h"
#include "languagetable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <srchilite/formatter.h>
#include <srchilite/formattermanager.h>
#include <srchilite/formatterparams.h>
#include <srchilite/langdefmanager.h>
#include <srchilite/regexrulefactory.h>
#include <srchilite/sourcehighlighter.h>

#include <boost/make_shared.hpp>

#include <map>
#include <memory>
#include <mutex>
#include <thread>

Q_LOGGING_CATEGORY(lcHighlight, "vexa.highlight", QtWarningMsg)

namespace vexa::highlight {
namespace {

using detail::LanguageInfo;

// Where the project's own definitions are: beside an installed app
// (<prefix>/share/vexa-ai/highlight), else the install prefix it was built for, else the source
// tree (a build that was never installed: tests, benchmarks, `./vexa run`).
QString ownLanguagesDir()
{
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath()
                          + QStringLiteral("/../share/vexa-ai/highlight");
    candidates << QStringLiteral(VEXA_HIGHLIGHT_INSTALLED_DIR)
               << QStringLiteral(VEXA_HIGHLIGHT_SOURCE_DIR);
    for (const QString &dir : candidates)
        if (QFileInfo::exists(dir + QStringLiteral("/markdown.lang")))
            return QDir::cleanPath(dir);
    return {};
}

// The runs of one line, collected as source-highlight formats it: one formatter per element
// name, each knowing its role; the parameters carry the run's byte offset in the line.
struct LineSink {
    std::vector<std::pair<int, Span>> runs; // byte offset, span with byte length
};

class RoleFormatter final : public srchilite::Formatter {
public:
    RoleFormatter(Role role, LineSink *sink) : m_role(role), m_sink(sink) {}
    void format(const std::string &s, const srchilite::FormatterParams *params) override
    {
        if (m_role == Role::Plain || s.empty() || !params || params->start < 0)
            return;
        m_sink->runs.push_back({params->start, Span{params->start, int(s.size()), m_role}});
    }

private:
    Role m_role;
    LineSink *m_sink;
};

// What one language needs to highlight: its state machine, read once, and the formatters.
struct LoadedLanguage {
    srchilite::HighlightStatePtr state;
    std::unique_ptr<srchilite::FormatterManager> formatters;
    LineSink sink;
    // The tokenizer states met at lines' ends, each given a number (0: a text's start) that a
    // later call starts a line from. A state is the current state and the stack under it.
    struct SavedState {
        srchilite::HighlightStatePtr current;
        std::vector<srchilite::HighlightStatePtr> stack; // top first
    };
    std::vector<SavedState> states;
    std::map<std::vector<const void *>, int> stateIds;
};

// More distinct states than this (a definition whose states nest without end) are not kept:
// lines after such a state start over from the text's start state.
constexpr size_t kMaxStates = 100000;

// Everything of source-highlight lives behind this lock: its state machines count their ids in
// a global without synchronisation, and the definitions' cache is one map.
struct Library {
    std::mutex lock;
    srchilite::RegexRuleFactory factory;
    std::unique_ptr<srchilite::LangDefManager> manager;
    std::map<std::string, std::unique_ptr<LoadedLanguage>> loaded; // nullptr: failed to load
    QString ownDir;
    bool located = false;
};

Library &library()
{
    static Library lib;
    return lib;
}

// Called with the lock held. nullptr when the definition cannot be read.
LoadedLanguage *load(Library &lib, const LanguageInfo &info)
{
    const auto found = lib.loaded.find(info.name);
    if (found != lib.loaded.end())
        return found->second.get();
    if (!lib.located) {
        lib.ownDir = ownLanguagesDir();
        lib.located = true;
        lib.manager = std::make_unique<srchilite::LangDefManager>(&lib.factory);
    }
    std::unique_ptr<LoadedLanguage> loaded;
    const std::string dir = info.own ? lib.ownDir.toStdString()
                                     : std::string(VEXA_SRCHILITE_DATA_DIR);
    try {
        if (dir.empty())
            throw std::runtime_error("the project's language folder was not found");
        auto l = std::make_unique<LoadedLanguage>();
        l->state = lib.manager->getHighlightState(dir, info.langFile);
        l->formatters = std::make_unique<srchilite::FormatterManager>(
            srchilite::FormatterPtr(new RoleFormatter(Role::Plain, &l->sink)));
        for (const std::string element : {"keyword", "label", "type", "usertype", "classname",
                 "string", "regexp", "valquote", "specialchar", "comment", "todo", "number",
                 "preproc", "function", "predef_func", "symbol", "cbracket", "colon", "variable",
                 "predef_var", "url", "key", "keyquote", "attribute", "oldfile", "newfile",
                 "difflines", "tag", "heading", "emphasis", "link", "inserted", "removed"}) {
            const Role role = detail::roleForElement(info, element);
            l->formatters->addFormatter(element,
                srchilite::FormatterPtr(new RoleFormatter(role, &l->sink)));
        }
        l->states.push_back({l->state, {}});
        l->stateIds.emplace(std::vector<const void *>{l->state.get()}, 0);
        loaded = std::move(l);
    } catch (const std::exception &e) {
        qCWarning(lcHighlight) << "cannot read the definition of" << info.name << "in"
                               << QString::fromStdString(dir) << ":" << e.what();
    } catch (...) {
        qCWarning(lcHighlight) << "cannot read the definition of" << info.name;
    }
    LoadedLanguage *raw = loaded.get();
    lib.loaded.emplace(info.name, std::move(loaded));
    return raw;
}

// Byte offsets of a line's UTF-8 form to UTF-16 offsets of the line. QString's UTF-8 is always
// well-formed (a lone surrogate becomes U+FFFD, three bytes for one unit), so lead bytes alone
// tell where each code point starts: four-byte ones are two units.
class Utf8ToUtf16 {
public:
    explicit Utf8ToUtf16(const QByteArray &utf8) : m_utf8(utf8)
    {
        for (char c : utf8)
            if (uchar(c) >= 0x80) {
                m_ascii = false;
                break;
            }
    }
    int operator()(int byteOffset)
    {
        if (m_ascii)
            return byteOffset;
        // Runs arrive in increasing order: walk on from the last answer.
        if (byteOffset < m_byte) {
            m_byte = 0;
            m_unit = 0;
        }
        while (m_byte < byteOffset && m_byte < m_utf8.size()) {
            const uchar c = uchar(m_utf8[m_byte]);
            if ((c & 0xC0) != 0x80)
                m_unit += c >= 0xF0 ? 2 : 1;
            ++m_byte;
        }
        // Inside a code point (never from a definition matching whole characters): its end.
        while (m_byte < m_utf8.size() && (uchar(m_utf8[m_byte]) & 0xC0) == 0x80)
            ++m_byte;
        return m_unit;
    }

private:
    const QByteArray &m_utf8;
    bool m_ascii = true;
    int m_byte = 0;
    int m_unit = 0;
};

// The number of the highlighter's state now (see LoadedLanguage::states). Lock held.
int saveState(LoadedLanguage &lang, srchilite::SourceHighlighter &highlighter)
{
    LoadedLanguage::SavedState saved{highlighter.getCurrentState(), {}};
    std::vector<const void *> key{saved.current.get()};
    if (const auto stack = highlighter.getStateStack()) {
        srchilite::HighlightStateStack copy = *stack;
        for (; !copy.empty(); copy.pop()) {
            key.push_back(copy.top().get());
            saved.stack.push_back(copy.top());
        }
    }
    const auto found = lang.stateIds.find(key);
    if (found != lang.stateIds.end())
        return found->second;
    if (lang.states.size() >= kMaxStates)
        return 0;
    const int id = int(lang.states.size());
    lang.states.push_back(std::move(saved));
    lang.stateIds.emplace(std::move(key), id);
    return id;
}

// Puts the highlighter in a numbered state (an unknown number: a text's start). Lock held.
void restoreState(LoadedLanguage &lang, srchilite::SourceHighlighter &highlighter, int id)
{
    if (id <= 0 || size_t(id) >= lang.states.size()) {
        highlighter.setCurrentState(highlighter.getMainState());
        highlighter.clearStateStack();
        return;
    }
    const LoadedLanguage::SavedState &saved = lang.states[size_t(id)];
    highlighter.setCurrentState(saved.current);
    auto stack = boost::make_shared<srchilite::HighlightStateStack>();
    for (auto it = saved.stack.rbegin(); it != saved.stack.rend(); ++it)
        stack->push(*it);
    highlighter.setStateStack(stack);
}

// The runs of one line, from the highlighter's current state (which it moves on). False when
// the library gave up on the line: it stays plain and the state starts over. Lock held.
bool lineRuns(LoadedLanguage &lang, srchilite::SourceHighlighter &highlighter, QStringView line,
              QList<Span> &spans)
{
    const QByteArray utf8 = line.toUtf8();
    lang.sink.runs.clear();
    try {
        highlighter.highlightParagraph(std::string(utf8.constData(), size_t(utf8.size())));
    } catch (const std::exception &e) {
        // Boost.Regex gives up on a match past its complexity bound.
        qCDebug(lcHighlight) << "a line left plain:" << e.what();
        lang.sink.runs.clear();
        highlighter.setCurrentState(highlighter.getMainState());
        highlighter.clearStateStack();
        return false;
    }
    Utf8ToUtf16 toUnits(utf8);
    spans.reserve(qsizetype(lang.sink.runs.size()));
    for (const auto &[byteStart, run] : lang.sink.runs) {
        const int start = toUnits(byteStart);
        const int end = toUnits(byteStart + run.length);
        if (end <= start)
            continue;
        // Neighbouring runs of one role are one span (a quote and the string it opens).
        if (!spans.isEmpty() && spans.last().role == run.role
            && spans.last().start + spans.last().length == start)
            spans.last().length += end - start;
        else
            spans.append(Span{start, end - start, run.role});
    }
    return true;
}

// Takes the library's lock, waiting no longer than the budget's time; then the language.
LoadedLanguage *lockedLanguage(std::unique_lock<std::mutex> &guard, const LanguageInfo &info,
                               std::chrono::steady_clock::time_point started,
                               std::chrono::milliseconds time)
{
    while (!guard.try_lock()) {
        if (std::chrono::steady_clock::now() - started > time)
            return nullptr;
        std::this_thread::yield();
    }
    return load(library(), info);
}

} // namespace

namespace {

// Whether the text may be looked at at all; `info` is its language, null when not coloured.
// Sizes `result.lines` to the text's lines.
const LanguageInfo *prepareResult(const QString &language, const QString &code, const Budget &budget,
                                  Result &result)
{
    const qsizetype lineCount = code.count(u'\n') + 1;
    result.lines.resize(lineCount);
    const QString canonical = detail::findLanguage(language) ? language : canonicalLanguage(language);
    const LanguageInfo *info = detail::findLanguage(canonical);
    if (!info || code.isEmpty())
        return nullptr;
    if (code.size() > budget.maxChars || lineCount > budget.maxLines) {
        result.complete = false;
        return nullptr;
    }
    return info;
}

// The runs of every line of `code` into `result`, within the budget. Lock held.
void runLines(LoadedLanguage &lang, const QString &code, std::chrono::steady_clock::time_point started,
              const Budget &budget, Result &result)
{
    srchilite::SourceHighlighter highlighter(lang.state);
    highlighter.setFormatterManager(lang.formatters.get());
    highlighter.setOptimize(false);
    srchilite::FormatterParams params;
    highlighter.setFormatterParams(&params);

    qsizetype from = 0;
    for (qsizetype i = 0; i < result.lines.size(); ++i) {
        qsizetype to = code.indexOf(u'\n', from);
        if (to < 0)
            to = code.size();
        const QStringView line = QStringView(code).mid(from, to - from);
        from = to + 1;
        if (std::chrono::steady_clock::now() - started > budget.time) {
            result.complete = false;
            break;
        }
        if (line.isEmpty())
            continue;
        if (line.size() > budget.maxLineChars) {
            // Its states are skipped too: a string or comment it opens is not carried on.
            result.complete = false;
            continue;
        }
        if (!lineRuns(lang, highlighter, line, result.lines[i]))
            result.complete = false;
    }
}

Result highlightCode(const QString &language, const QString &code, Budget budget)
{
    const auto started = std::chrono::steady_clock::now();
    Result result;
    const LanguageInfo *info = prepareResult(language, code, budget, result);
    if (!info)
        return result;
    // Waiting for another thread's turn counts against the time too.
    std::unique_lock guard(library().lock, std::defer_lock);
    LoadedLanguage *lang = lockedLanguage(guard, *info, started, budget.time);
    if (!lang) {
        result.complete = false;
        return result;
    }
    runLines(*lang, code, started, budget, result);
    return result;
}

std::optional<Result> highlightCodeIfReady(const QString &language, const QString &code, Budget budget)
{
    const auto started = std::chrono::steady_clock::now();
    Result result;
    const LanguageInfo *info = prepareResult(language, code, budget, result);
    if (!info)
        return result;
    std::unique_lock guard(library().lock, std::try_to_lock);
    if (!guard.owns_lock())
        return std::nullopt;
    const auto found = library().loaded.find(info->name);
    if (found == library().loaded.end())
        return std::nullopt;
    if (!found->second) { // its definition failed: plain, as highlight() gives it
        result.complete = false;
        return result;
    }
    runLines(*found->second, code, started, budget, result);
    return result;
}

LinesResult highlightCodeLines(const QString &language, const QStringList &lines, int startState,
                               Budget budget)
{
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    LinesResult result;
    const QString canonical = detail::findLanguage(language) ? language : canonicalLanguage(language);
    const LanguageInfo *info = detail::findLanguage(canonical);
    std::unique_lock guard(library().lock, std::defer_lock);
    LoadedLanguage *lang = info ? lockedLanguage(guard, *info, started, budget.time) : nullptr;
    if (!lang) {
        // Unknown, or a definition that cannot be read (the lock was taken): plain, the state
        // staying the text's start. Out of time waiting for the lock: nothing done.
        if (!info || guard.owns_lock()) {
            result.lines.resize(lines.size());
            result.endStates.fill(0, lines.size());
        }
        result.complete = !info;
        return result;
    }
    srchilite::SourceHighlighter highlighter(lang->state);
    highlighter.setFormatterManager(lang->formatters.get());
    highlighter.setOptimize(false);
    srchilite::FormatterParams params;
    highlighter.setFormatterParams(&params);
    restoreState(*lang, highlighter, startState);
    int state = startState;
    result.lines.reserve(lines.size());
    result.endStates.reserve(lines.size());
    for (const QString &line : lines) {
        // At least one line each call, so a caller going on from the last end state advances.
        if (!result.lines.isEmpty() && Clock::now() - started > budget.time) {
            result.complete = false;
            break;
        }
        QList<Span> spans;
        if (line.size() > budget.maxLineChars) {
            // Plain, and the state passes it unchanged (a string it opens is not carried on).
        } else if (!line.isEmpty()) {
            lineRuns(*lang, highlighter, line, spans);
            state = saveState(*lang, highlighter);
        }
        result.lines.append(std::move(spans));
        result.endStates.append(state);
    }
    return result;
}

} // namespace

} // namespace vexa::highlight

extern "C" Q_DECL_EXPORT const vexa::highlight::detail::Engine *vexa_highlight_engine()
{
    using namespace vexa::highlight;
    static const detail::Engine engine{detail::kEngineAbi, &highlightCode, &highlightCodeIfReady,
                                       &highlightCodeLines};
    return &engine;
}
