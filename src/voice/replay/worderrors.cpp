#include "worderrors.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace vexa::voice {

QStringList normalizedWords(const QString &text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    for (const QChar c : text.toLower())
        cleaned.append(c.isLetterOrNumber() || c == u'\'' ? c : QChar(u' '));
    return cleaned.split(u' ', Qt::SkipEmptyParts);
}

WordErrors wordErrors(const QString &reference, const QString &hypothesis)
{
    const QStringList ref = normalizedWords(reference);
    const QStringList hyp = normalizedWords(hypothesis);
    // Levenshtein distance over words, one row at a time.
    std::vector<int> previous(size_t(hyp.size()) + 1), current(size_t(hyp.size()) + 1);
    for (size_t j = 0; j < previous.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= ref.size(); ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= hyp.size(); ++j) {
            const int substitution =
                previous[size_t(j - 1)] + (ref[i - 1] == hyp[j - 1] ? 0 : 1);
            current[size_t(j)] =
                std::min({substitution, previous[size_t(j)] + 1, current[size_t(j - 1)] + 1});
        }
        std::swap(previous, current);
    }
    return WordErrors{previous[size_t(hyp.size())], int(ref.size())};
}

QHash<QString, QString> readTranscriptions(const QString &path)
{
    QHash<QString, QString> transcriptions;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return transcriptions;
    static const QRegularExpression line(QStringLiteral(R"(^\s*(.*?)\s*\(([^()]+)\)\s*$)"));
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine());
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        QString words = match.captured(1);
        words.remove(QStringLiteral("<s>")).remove(QStringLiteral("</s>"));
        transcriptions.insert(match.captured(2).trimmed(), words.simplified());
    }
    return transcriptions;
}

} // namespace vexa::voice
