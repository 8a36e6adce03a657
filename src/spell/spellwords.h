#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace vexa::spell {

// The languages whose dictionaries the checker uses; a word goes to the one of its script.
enum class Language : quint8 { Russian, English };
inline constexpr int kLanguageCount = 2;

// One word of a line to check: where it is (UTF-16 offsets into the line) and its language.
struct Word {
    int start = 0;
    int length = 0;
    Language language = Language::Russian;

    friend bool operator==(const Word &, const Word &) = default;
};

// The words of one line of a text that are worth checking. What is left out: fenced code (a line
// opening or closing ``` or ~~~ and every line between them; `inFence` carries that state from one
// line to the next and is updated), `code spans`, links (anything with "://", "www." at the
// start), e-mail addresses, chat commands ("/web"), words touching digits or underscores
// (identifiers, "mp3"), single letters, words in capitals (abbreviations), words with a capital
// after a small letter (names in code), and words of other scripts. A word is letters with
// inner hyphens and apostrophes ("что-то", "don't"); one that mixes Cyrillic and Latin letters
// goes to the language of most of them, whose dictionary then rejects it (a common slip of the
// keyboard layout).
QList<Word> wordsToCheck(QStringView line, bool &inFence);

// Whether the line opens or closes fenced code (``` or ~~~ after any indentation).
bool isFenceLine(QStringView line);

// The text a dictionary looks up for a word: the typographic apostrophe as the plain one.
QString lookupForm(QStringView word);

} // namespace vexa::spell
