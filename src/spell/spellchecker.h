#pragma once

#include "spellwords.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <array>
#include <memory>

namespace vexa::spell {

class SpellPreferences;
struct Engine;

// A misspelled word of a line: UTF-16 offsets into it.
struct Misspelling {
    int start = 0;
    int length = 0;

    friend bool operator==(const Misspelling &, const Misspelling &) = default;
};

// The app's spelling service: the Russian and English hunspell dictionaries, the personal word
// list and the words skipped this session. Every lookup runs on one worker thread of its own
// (dictionaries are loaded there once, in the background); the main thread only asks the cache,
// so a key press never waits for a dictionary. Words the cache does not know are queued and
// looked up in batches; `checked` announces their verdicts.
class SpellChecker : public QObject
{
    Q_OBJECT

public:
    struct Options {
        QStringList dictionaryDirs;
        QString personalPath;
        QString preferencesIni; // empty: the app's defaults store
    };
    // Debian's dictionaries (/usr/share/hunspell and the other system data folders) and the
    // personal list in the app's data folder.
    static Options systemOptions();
    // The application's one checker, created on first use with systemOptions().
    static SpellChecker *shared();

    enum class Status { Loading, Ready, Unavailable };
    enum class Verdict { Correct, Misspelled, Unknown };
    static constexpr int kMaxSuggestions = 5;
    // Words looked up per trip to the worker: a long text's first verdicts come back early.
    static constexpr int kBatchWords = 2000;
    // Verdicts kept per language before the cache starts over.
    static constexpr int kMaxCachedWords = 200000;
    // What the worker found when loading (dictionaries, the personal list).
    struct LoadReport;

    explicit SpellChecker(Options options, QObject *parent = nullptr);
    ~SpellChecker() override;

    // Loads the dictionaries and the personal list on the worker (the first call only).
    void load();
    Status status() const { return m_status; }
    // Why nothing is underlined, or which language goes unchecked; empty when both are checked.
    QString statusText() const { return m_statusText; }
    bool hasLanguage(Language language) const { return m_languages[size_t(language)]; }
    // The user's "Проверять орфографию".
    bool enabled() const;
    SpellPreferences *preferences() const { return m_preferences.get(); }

    // The word's verdict if known; an unknown word is queued. A word of a language without a
    // dictionary is correct.
    Verdict verdict(const QString &word, Language language);
    // The misspelled words of a whole line, found on the worker: for lines too long to go
    // through word by word on the main thread at each key press. Words accepted by then count
    // as right.
    QFuture<QList<Misspelling>> checkLine(const QString &line, bool inFence);
    // Up to kMaxSuggestions corrections, announced by suggestionsReady.
    void requestSuggestions(const QString &word, Language language);
    // The personal list (kept across restarts) and the words skipped until the app quits.
    void addToDictionary(const QString &word);
    void ignore(const QString &word);
    bool isAccepted(const QString &word) const;
    // Whether words added go to the file (false: it could not be read, so it is left alone).
    bool personalListWritable() const { return m_personalWritable; }
    // How many lookups are queued or on the worker (tests, benchmarks).
    int pendingWords() const { return int(m_queued.size() + m_inFlight); }
    // Whether the dictionaries were asked for (they load once, on the first words to check).
    bool loadStarted() const { return m_loadStarted; }

Q_SIGNALS:
    void statusChanged();
    void enabledChanged();
    // Verdicts came in; `misspelled` holds the words among them found wrong.
    void checked(const QSet<QString> &misspelled);
    // A word was added to the personal list or skipped: it is correct from now on.
    void accepted(const QString &word);
    void suggestionsReady(const QString &word, const QStringList &suggestions);
    // Adding to the personal list did not reach the file.
    void personalListFailed();

private:
    void loaded(const LoadReport &report);
    void scheduleBatch();
    void sendBatch();

    Options m_options;
    std::unique_ptr<SpellPreferences> m_preferences;
    QThreadPool m_worker;
    std::shared_ptr<Engine> m_engine;
    Status m_status = Status::Loading;
    bool m_loadStarted = false;
    QString m_statusText;
    std::array<bool, kLanguageCount> m_languages{};
    std::array<QHash<QString, bool>, kLanguageCount> m_cache;
    std::array<QSet<QString>, kLanguageCount> m_queuedWords;
    QList<std::pair<QString, Language>> m_queued;
    qsizetype m_inFlight = 0;
    bool m_batchScheduled = false;
    QSet<QString> m_personal;
    QSet<QString> m_ignored;
    bool m_personalWritable = true;
};

} // namespace vexa::spell
