#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace vexa::voice {

// Word errors of a hypothesis against a reference: substitutions, insertions and deletions of
// the cheapest alignment. Case and punctuation do not count.
struct WordErrors
{
    int errors = 0;
    int referenceWords = 0;

    double rate() const { return referenceWords > 0 ? double(errors) / referenceWords : 0.0; }
    WordErrors &operator+=(const WordErrors &other)
    {
        errors += other.errors;
        referenceWords += other.referenceWords;
        return *this;
    }
};

QStringList normalizedWords(const QString &text);
WordErrors wordErrors(const QString &reference, const QString &hypothesis);

// A Sphinx transcription file: "<s> words </s> (utterance-id)" per line → id to words.
QHash<QString, QString> readTranscriptions(const QString &path);

} // namespace vexa::voice
