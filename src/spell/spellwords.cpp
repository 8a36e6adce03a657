#include "spellwords.h"

namespace vexa::spell {

namespace {

bool isWordLetter(QChar c)
{
    return c.isLetter() || c.isMark();
}

bool isJoiner(QChar c)
{
    return c == u'-' || c == u'\'' || c == u'\u2019';
}

bool isCyrillic(QChar c)
{
    return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF;
}

bool isLatin(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= 0x00C0 && u <= 0x024F && u != 0x00D7 && u != 0x00F7);
}

// Where the run of backticks starting at `from` ends.
qsizetype backtickRunEnd(QStringView line, qsizetype from)
{
    while (from < line.size() && line[from] == u'`')
        ++from;
    return from;
}

// Marks the `code spans` of a line: a run of n backticks opens one, the next run of exactly n
// closes it; a run without its partner is an ordinary character.
QList<bool> codeSpans(QStringView line)
{
    QList<bool> inCode(line.size(), false);
    qsizetype i = line.indexOf(u'`');
    while (i >= 0) {
        const qsizetype run = backtickRunEnd(line, i);
        qsizetype close = -1;
        for (qsizetype j = line.indexOf(u'`', run); j >= 0; j = line.indexOf(u'`', j)) {
            const qsizetype end = backtickRunEnd(line, j);
            if (end - j == run - i) {
                close = end;
                break;
            }
            j = end;
        }
        if (close < 0) {
            i = line.indexOf(u'`', run);
            continue;
        }
        for (qsizetype k = i; k < close; ++k)
            inCode[k] = true;
        i = line.indexOf(u'`', close);
    }
    return inCode;
}

// A whitespace-separated piece that is an address of some kind rather than words.
bool isAddress(QStringView chunk)
{
    if (chunk.contains(u"://") || chunk.startsWith(u"www.", Qt::CaseInsensitive) || chunk.startsWith(u'/'))
        return true;
    const qsizetype at = chunk.indexOf(u'@');
    return at > 0 && chunk.indexOf(u'.', at) > at + 1;
}

// Whether a word is worth looking up, and in which dictionary.
bool classify(QStringView word, Language &language)
{
    int cyrillic = 0, latin = 0, letters = 0, capitals = 0;
    bool camel = false;
    QChar previous;
    for (QChar c : word) {
        if (isJoiner(c)) {
            previous = c;
            continue;
        }
        if (c.isMark())
            continue;
        ++letters;
        if (isCyrillic(c))
            ++cyrillic;
        else if (isLatin(c))
            ++latin;
        else
            return false; // another script: no dictionary for it
        if (c.isUpper()) {
            ++capitals;
            if (previous.isLower())
                camel = true;
        }
        previous = c;
    }
    if (letters < 2 || capitals == letters || camel)
        return false;
    language = cyrillic >= latin ? Language::Russian : Language::English;
    return true;
}

void wordsOfChunk(QStringView line, qsizetype from, qsizetype to, QList<Word> &words)
{
    qsizetype i = from;
    while (i < to) {
        if (!line[i].isLetter()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        qsizetype end = i + 1;
        while (end < to) {
            if (isWordLetter(line[end]))
                ++end;
            else if (isJoiner(line[end]) && end + 1 < to && line[end + 1].isLetter())
                end += 2;
            else
                break;
        }
        i = end;
        const auto touches = [](QChar c) { return c.isDigit() || c == u'_' || c == u'@' || c == u'#'; };
        if ((start > 0 && touches(line[start - 1])) || (end < line.size() && touches(line[end])))
            continue;
        Language language;
        if (classify(line.sliced(start, end - start), language))
            words.append({int(start), int(end - start), language});
    }
}

} // namespace

bool isFenceLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    return trimmed.startsWith(u"```") || trimmed.startsWith(u"~~~");
}

QList<Word> wordsToCheck(QStringView line, bool &inFence)
{
    if (isFenceLine(line)) {
        inFence = !inFence;
        return {};
    }
    if (inFence)
        return {};
    QList<Word> words;
    const QList<bool> inCode = codeSpans(line);
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i].isSpace() || inCode[i]) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < line.size() && !line[end].isSpace() && !inCode[end])
            ++end;
        if (!isAddress(line.sliced(i, end - i)))
            wordsOfChunk(line, i, end, words);
        i = end;
    }
    return words;
}

QString lookupForm(QStringView word)
{
    QString form = word.toString();
    form.replace(u'\u2019', u'\'');
    return form;
}

} // namespace vexa::spell
