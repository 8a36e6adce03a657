#include "spellchecker.h"

#include "personalwords.h"
#include "spelldictionary.h"
#include "spellpreferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFutureWatcher>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace vexa::spell {

// What lives on the worker: used by one task at a time (the worker has one thread).
struct Engine {
    std::array<std::unique_ptr<Dictionary>, kLanguageCount> dictionaries;
    // Verdicts of the long lines' words, which repeat from one check of a line to the next.
    std::array<QHash<QString, bool>, kLanguageCount> verdicts;
};

struct SpellChecker::LoadReport {
    std::array<bool, kLanguageCount> languages{};
    std::array<QString, kLanguageCount> problems;
    PersonalWords personal;
};

namespace {

using Lookup = QList<std::pair<QString, Language>>;

QString packageOf(Language language)
{
    return language == Language::Russian ? QStringLiteral("hunspell-ru") : QStringLiteral("hunspell-en-us");
}

// Worker: the dictionaries and the personal list.
SpellChecker::LoadReport loadAll(std::shared_ptr<Engine> engine, QStringList dirs, QString personalPath)
{
    SpellChecker::LoadReport report;
    for (int i = 0; i < kLanguageCount; ++i) {
        const auto language = Language(i);
        const Dictionary::Files files = Dictionary::find(dirs, language);
        if (files.isEmpty()) {
            report.problems[i] = QStringLiteral("словарь %1 не установлен (пакет %2)")
                                     .arg(Dictionary::name(language), packageOf(language));
            continue;
        }
        QString error;
        engine->dictionaries[i] = Dictionary::load(files, language, &error);
        report.languages[i] = bool(engine->dictionaries[i]);
        report.problems[i] = error;
    }
    report.personal = PersonalWords::read(personalPath);
    return report;
}

// Worker: the verdicts of a batch, in its order (true: spelled right).
QList<bool> checkAll(std::shared_ptr<Engine> engine, Lookup words)
{
    QList<bool> verdicts;
    verdicts.reserve(words.size());
    for (const auto &[word, language] : words) {
        Dictionary *dictionary = engine->dictionaries[size_t(language)].get();
        verdicts.append(!dictionary || dictionary->check(word));
    }
    return verdicts;
}

QList<Misspelling> findMisspellings(std::shared_ptr<Engine> engine, QString line, bool inFence,
                                   QSet<QString> accepted)
{
    QList<Misspelling> found;
    for (const Word &w : wordsToCheck(line, inFence)) {
        Dictionary *dictionary = engine->dictionaries[size_t(w.language)].get();
        if (!dictionary)
            continue;
        const QString word = line.sliced(w.start, w.length);
        auto &verdicts = engine->verdicts[size_t(w.language)];
        auto known = verdicts.constFind(word);
        if (known == verdicts.cend()) {
            if (verdicts.size() >= SpellChecker::kMaxCachedWords)
                verdicts.clear();
            known = verdicts.insert(word, dictionary->check(word));
        }
        if (!known.value() && !accepted.contains(word))
            found.append({w.start, w.length});
    }
    return found;
}

QStringList suggestFor(std::shared_ptr<Engine> engine, QString word, Language language)
{
    Dictionary *dictionary = engine->dictionaries[size_t(language)].get();
    return dictionary ? dictionary->suggest(word, SpellChecker::kMaxSuggestions) : QStringList();
}

bool appendWord(QString path, QString word)
{
    return PersonalWords::append(path, word);
}

// Runs `future`'s result into `done` on the main thread, unless `owner` has gone.
template <typename T, typename Done>
void whenDone(QObject *owner, QFuture<T> future, Done done)
{
    auto *watcher = new QFutureWatcher<T>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, done] {
        watcher->deleteLater();
        done(watcher->result());
    });
    watcher->setFuture(future);
}

QString firstLowered(const QString &word)
{
    if (word.isEmpty() || !word.front().isUpper())
        return word;
    QString lowered = word;
    lowered[0] = lowered.front().toLower();
    return lowered;
}

} // namespace

SpellChecker::Options SpellChecker::systemOptions()
{
    Options options;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        options.dictionaryDirs.append(QDir(dir).filePath(QStringLiteral("hunspell")));
    if (!options.dictionaryDirs.contains(QStringLiteral("/usr/share/hunspell")))
        options.dictionaryDirs.append(QStringLiteral("/usr/share/hunspell"));
    options.personalPath = PersonalWords::defaultPath();
    return options;
}

SpellChecker *SpellChecker::shared()
{
    static QPointer<SpellChecker> checker;
    if (!checker)
        checker = new SpellChecker(systemOptions(), QCoreApplication::instance());
    return checker;
}

SpellChecker::SpellChecker(Options options, QObject *parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_preferences(std::make_unique<SpellPreferences>(m_options.preferencesIni)),
      m_engine(std::make_shared<Engine>())
{
    // Lookups are quick (microseconds) but dictionaries are not safe across threads: one
    // thread does all of them, in the order asked.
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
    connect(m_preferences.get(), &SpellPreferences::enabledChanged, this, &SpellChecker::enabledChanged);
}

// The worker is waited for (a dictionary still loading finishes first); its watchers go with
// this object, so nothing comes back afterwards.
SpellChecker::~SpellChecker() = default;

bool SpellChecker::enabled() const
{
    return m_preferences->enabled();
}

void SpellChecker::load()
{
    if (m_loadStarted)
        return;
    m_loadStarted = true;
    whenDone(this, QtConcurrent::run(&m_worker, &loadAll, m_engine, m_options.dictionaryDirs, m_options.personalPath),
             [this](const LoadReport &report) { loaded(report); });
}

void SpellChecker::loaded(const LoadReport &report)
{
    m_languages = report.languages;
    for (const QString &word : report.personal.words)
        m_personal.insert(word);
    m_personalWritable = report.personal.writable;
    const bool any = m_languages[0] || m_languages[1];
    if (!any) {
        m_statusText = QStringLiteral("Проверка орфографии недоступна: %1; %2.")
                           .arg(report.problems[0], report.problems[1]);
    } else if (!m_languages[size_t(Language::Russian)]) {
        m_statusText = QStringLiteral("Русские слова не проверяются: %1.").arg(report.problems[0]);
    } else if (!m_languages[size_t(Language::English)]) {
        m_statusText = QStringLiteral("Английские слова не проверяются: %1.").arg(report.problems[1]);
    }
    m_status = any ? Status::Ready : Status::Unavailable;
    Q_EMIT statusChanged();
    // Words asked for while loading go to the worker now; without dictionaries every word is
    // correct.
    if (any) {
        scheduleBatch();
    } else {
        m_queued.clear();
        for (auto &words : m_queuedWords)
            words.clear();
    }
    Q_EMIT checked({});
}

bool SpellChecker::isAccepted(const QString &word) const
{
    if (m_personal.isEmpty() && m_ignored.isEmpty())
        return false;
    return m_personal.contains(word) || m_ignored.contains(word) || m_personal.contains(firstLowered(word))
           || m_ignored.contains(firstLowered(word));
}

SpellChecker::Verdict SpellChecker::verdict(const QString &word, Language language)
{
    if (m_status == Status::Unavailable || (m_status == Status::Ready && !m_languages[size_t(language)]))
        return Verdict::Correct;
    if (isAccepted(word))
        return Verdict::Correct;
    const auto &cache = m_cache[size_t(language)];
    const auto found = cache.constFind(word);
    if (found != cache.cend())
        return found.value() ? Verdict::Correct : Verdict::Misspelled;
    load();
    auto &queued = m_queuedWords[size_t(language)];
    if (!queued.contains(word)) {
        queued.insert(word);
        m_queued.append({word, language});
        if (m_status == Status::Ready)
            scheduleBatch();
    }
    return Verdict::Unknown;
}

void SpellChecker::scheduleBatch()
{
    // One batch at a time: what is asked for meanwhile goes in the next one.
    if (m_batchScheduled || m_inFlight > 0 || m_queued.isEmpty())
        return;
    m_batchScheduled = true;
    QTimer::singleShot(0, this, &SpellChecker::sendBatch);
}

void SpellChecker::sendBatch()
{
    m_batchScheduled = false;
    if (m_queued.isEmpty())
        return;
    const qsizetype count = std::min<qsizetype>(m_queued.size(), kBatchWords);
    Lookup batch = m_queued.first(count);
    m_queued.remove(0, count);
    m_inFlight = count;
    whenDone(this, QtConcurrent::run(&m_worker, &checkAll, m_engine, batch), [this, batch](const QList<bool> &verdicts) {
        m_inFlight = 0;
        QSet<QString> misspelled;
        for (qsizetype i = 0; i < batch.size() && i < verdicts.size(); ++i) {
            const auto &[word, language] = batch.at(i);
            auto &cache = m_cache[size_t(language)];
            if (cache.size() >= kMaxCachedWords)
                cache.clear();
            cache.insert(word, verdicts.at(i));
            m_queuedWords[size_t(language)].remove(word);
            if (!verdicts.at(i))
                misspelled.insert(word);
        }
        scheduleBatch();
        Q_EMIT checked(misspelled);
    });
}

QFuture<QList<Misspelling>> SpellChecker::checkLine(const QString &line, bool inFence)
{
    load();
    // The accepted words as the line's words are spelled: as written and with a small first
    // letter both.
    QSet<QString> accepted = m_personal + m_ignored;
    for (const QString &word : std::as_const(m_personal))
        if (!word.isEmpty() && word.front().isLower())
            accepted.insert(word.front().toUpper() + word.sliced(1));
    for (const QString &word : std::as_const(m_ignored))
        if (!word.isEmpty() && word.front().isLower())
            accepted.insert(word.front().toUpper() + word.sliced(1));
    return QtConcurrent::run(&m_worker, &findMisspellings, m_engine, line, inFence, accepted);
}

void SpellChecker::requestSuggestions(const QString &word, Language language)
{
    load();
    whenDone(this, QtConcurrent::run(&m_worker, &suggestFor, m_engine, word, language),
             [this, word](const QStringList &suggestions) { Q_EMIT suggestionsReady(word, suggestions); });
}

void SpellChecker::addToDictionary(const QString &word)
{
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty() || m_personal.contains(trimmed))
        return;
    m_personal.insert(trimmed);
    Q_EMIT accepted(trimmed);
    if (!m_personalWritable)
        return;
    whenDone(this, QtConcurrent::run(&m_worker, &appendWord, m_options.personalPath, trimmed), [this](bool written) {
        if (!written)
            Q_EMIT personalListFailed();
    });
}

void SpellChecker::ignore(const QString &word)
{
    if (word.isEmpty() || m_ignored.contains(word))
        return;
    m_ignored.insert(word);
    Q_EMIT accepted(word);
}

} // namespace vexa::spell
