#pragma once

#include "spellwords.h"

#include <QString>
#include <QStringConverter>
#include <QStringList>

#include <memory>

class Hunspell;

namespace vexa::spell {

// One hunspell dictionary (an .aff and a .dic file). Loading reads tens of megabytes and takes a
// good part of a second, and hunspell keeps per-call state: an instance lives on the checker's one
// worker thread and is used only there.
class Dictionary {
public:
    // The dictionary files of a language ("ru_RU", "en_US") in the first of `dirs` holding both;
    // empty when none does.
    struct Files {
        QString aff;
        QString dic;
        bool isEmpty() const { return aff.isEmpty(); }
    };
    static Files find(const QStringList &dirs, Language language);
    static QString name(Language language);

    // Reads the files; null with the reason in `error` when they are missing, unreadable, too
    // large, in an encoding Qt cannot convert to, or do not behave as a dictionary of the
    // language (a word every dictionary of it has is rejected, or nonsense accepted).
    static std::unique_ptr<Dictionary> load(const Files &files, Language language, QString *error);
    ~Dictionary();

    // Whether the word is spelled right; a hyphenated word is also right when each of its parts
    // is. A word the dictionary's encoding cannot hold is wrong.
    bool check(const QString &word);
    // Up to `limit` corrections, best first.
    QStringList suggest(const QString &word, int limit);

    // Files larger than this are not taken for a dictionary (Debian's largest is about 4 MB).
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

private:
    Dictionary() = default;
    bool encode(const QString &word, std::string &out);
    bool checkWhole(const QString &word);

    std::unique_ptr<Hunspell> m_hunspell;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
};

} // namespace vexa::spell
