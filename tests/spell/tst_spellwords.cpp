#include "spellwords.h"

#include <QTest>

using namespace vexa::spell;

// The words a line hands to the dictionaries, written "word:ru" or "word:en", and what is left
// out. A fault here underlines code, links and addresses, or hides real words from the checker.
class TstSpellWords : public QObject
{
    Q_OBJECT

private slots:
    void words_data();
    void words();
    void fencesAcrossLines();
};

namespace {

QStringList describe(const QString &line, bool inFence = false)
{
    QStringList out;
    for (const Word &w : wordsToCheck(line, inFence))
        out.append(line.mid(w.start, w.length) + (w.language == Language::Russian ? u":ru"_qs : u":en"_qs));
    return out;
}

} // namespace

void TstSpellWords::words_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("russian") << u"Привет, как дела?"_qs << QStringList{u"Привет:ru"_qs, u"как:ru"_qs, u"дела:ru"_qs};
    QTest::newRow("english") << u"Hello there, world!"_qs << QStringList{u"Hello:en"_qs, u"there:en"_qs, u"world:en"_qs};
    QTest::newRow("mixed languages, per word")
        << u"Открой файл README и сделай commit please"_qs
        << QStringList{u"Открой:ru"_qs, u"файл:ru"_qs, u"сделай:ru"_qs, u"commit:en"_qs, u"please:en"_qs};
    QTest::newRow("hyphen and apostrophes")
        << u"что-то don't it’s -тире- конец-"_qs
        << QStringList{u"что-то:ru"_qs, u"don't:en"_qs, u"it’s:en"_qs, u"тире:ru"_qs, u"конец:ru"_qs};
    QTest::newRow("code span skipped") << u"вызови `fooo barr` сейчас"_qs << QStringList{u"вызови:ru"_qs, u"сейчас:ru"_qs};
    QTest::newRow("double backticks hold a single one")
        << u"пиши ``a ` bcd`` тут"_qs << QStringList{u"пиши:ru"_qs, u"тут:ru"_qs};
    QTest::newRow("unclosed backtick is text") << u"пиши `ошибко"_qs << QStringList{u"пиши:ru"_qs, u"ошибко:ru"_qs};
    QTest::newRow("links") << u"см. https://example.org/путь?q=слово и www.site.ru/страница конец"_qs
                           << QStringList{u"см:ru"_qs, u"конец:ru"_qs};
    QTest::newRow("e-mail and mentions") << u"пишите ivan.petrov@mail.ru или @vexa #тег"_qs
                                        << QStringList{u"пишите:ru"_qs, u"или:ru"_qs};
    QTest::newRow("command") << u"/web отправь"_qs << QStringList{u"отправь:ru"_qs};
    QTest::newRow("digits and identifiers") << u"mp3 2-й x86 snake_case слово"_qs << QStringList{u"слово:ru"_qs};
    QTest::newRow("capitals and camel case") << u"НДС API QtQuick iPhone Москва"_qs << QStringList{u"Москва:ru"_qs};
    QTest::newRow("single letters") << u"я и a I"_qs << QStringList{};
    QTest::newRow("mixed script goes to the majority")
        << u"cлово wоrd"_qs << QStringList{u"cлово:ru"_qs, u"wоrd:en"_qs};
    QTest::newRow("other scripts") << u"Ελληνικά 日本語 слово"_qs << QStringList{u"слово:ru"_qs};
    QTest::newRow("ё and accents") << u"ёлка café"_qs << QStringList{u"ёлка:ru"_qs, u"café:en"_qs};
}

void TstSpellWords::words()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(line), expected);
}

void TstSpellWords::fencesAcrossLines()
{
    const QStringList lines = {u"до блока"_qs, u"```python"_qs, u"def ошибко(): pass"_qs, u"```"_qs, u"после"_qs,
                               u"  ~~~"_qs, u"внутри"_qs};
    bool inFence = false;
    QStringList all;
    for (const QString &line : lines) {
        for (const Word &w : wordsToCheck(line, inFence))
            all.append(line.mid(w.start, w.length));
    }
    QCOMPARE(all, (QStringList{u"до"_qs, u"блока"_qs, u"после"_qs}));
    // The last fence is still open after the text.
    QVERIFY(inFence);
}

QTEST_APPLESS_MAIN(TstSpellWords)
#include "tst_spellwords.moc"
