#include "personalwords.h"
#include "spellchecker.h"
#include "spelldictionary.h"
#include "spellpreferences.h"
#include "spellsettings.h"

#include "awaittask.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vexa::spell;
using vexa::test::waitUntil;

// The Debian dictionaries through hunspell, bad dictionary files, and the checker's cache, personal
// list and status. The dictionaries are the installed ones (hunspell-ru, hunspell-en-us).
class TstSpellChecker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void debianDictionaries_data();
    void debianDictionaries();
    void suggestions_data();
    void suggestions();
    void koi8Dictionary();
    void badDictionaries_data();
    void badDictionaries();
    void verdictsArriveFromTheWorker();
    void withoutDictionaries();
    void oneLanguageOnly();
    void personalListSurvivesRestart();
    void personalListUnreadable();
    void personalListHuge();
    void ignoreIsForTheSession();

private:
    QStringList systemDirs() const { return {QStringLiteral("/usr/share/hunspell")}; }
    std::unique_ptr<SpellChecker> makeChecker(const QStringList &dirs, const QString &personal);
    // The checker's verdict once known.
    SpellChecker::Verdict settled(SpellChecker &checker, const QString &word, Language language);

    QTemporaryDir m_dir;
    std::array<std::unique_ptr<Dictionary>, kLanguageCount> m_dictionaries;
};

void TstSpellChecker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int i = 0; i < kLanguageCount; ++i) {
        const Dictionary::Files files = Dictionary::find(systemDirs(), Language(i));
        QVERIFY2(!files.isEmpty(), "install hunspell-ru and hunspell-en-us (tools/debian-packages.txt)");
        QString error;
        m_dictionaries[i] = Dictionary::load(files, Language(i), &error);
        QVERIFY2(m_dictionaries[i], qPrintable(error));
    }
}

std::unique_ptr<SpellChecker> TstSpellChecker::makeChecker(const QStringList &dirs, const QString &personal)
{
    return std::make_unique<SpellChecker>(
        SpellChecker::Options{dirs, personal, m_dir.filePath(QStringLiteral("prefs.ini"))});
}

SpellChecker::Verdict TstSpellChecker::settled(SpellChecker &checker, const QString &word, Language language)
{
    SpellChecker::Verdict verdict = checker.verdict(word, language);
    waitUntil([&] {
        verdict = checker.verdict(word, language);
        return verdict != SpellChecker::Verdict::Unknown;
    });
    return verdict;
}

void TstSpellChecker::debianDictionaries_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("correct");

    QTest::newRow("ru word") << Language::Russian << u"молоко"_qs << true;
    QTest::newRow("ru inflected") << Language::Russian << u"молоком"_qs << true;
    QTest::newRow("ru capitalised") << Language::Russian << u"Москва"_qs << true;
    QTest::newRow("ru ё") << Language::Russian << u"ёлка"_qs << true;
    QTest::newRow("ru hyphenated") << Language::Russian << u"как-нибудь"_qs << true;
    QTest::newRow("ru hyphenated parts") << Language::Russian << u"красно-зелёный"_qs << true;
    QTest::newRow("ru typo") << Language::Russian << u"превет"_qs << false;
    QTest::newRow("ru typo in a part") << Language::Russian << u"красно-зилёный"_qs << false;
    QTest::newRow("ru word with a latin letter") << Language::Russian << u"cлово"_qs << false;
    QTest::newRow("en word") << Language::English << u"receive"_qs << true;
    QTest::newRow("en apostrophe") << Language::English << u"don't"_qs << true;
    QTest::newRow("en typographic apostrophe") << Language::English << u"don’t"_qs << true;
    QTest::newRow("en typo") << Language::English << u"recieve"_qs << false;
    QTest::newRow("en word with a cyrillic letter") << Language::English << u"wоrd"_qs << false;
}

void TstSpellChecker::debianDictionaries()
{
    QFETCH(Language, language);
    QFETCH(QString, word);
    QFETCH(bool, correct);
    QCOMPARE(m_dictionaries[size_t(language)]->check(word), correct);
}

void TstSpellChecker::suggestions_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ru") << Language::Russian << u"превет"_qs << u"привет"_qs;
    QTest::newRow("ru capitalised") << Language::Russian << u"Превет"_qs << u"Привет"_qs;
    QTest::newRow("en") << Language::English << u"recieve"_qs << u"receive"_qs;
}

void TstSpellChecker::suggestions()
{
    QFETCH(Language, language);
    QFETCH(QString, word);
    QFETCH(QString, expected);
    const QStringList found = m_dictionaries[size_t(language)]->suggest(word, SpellChecker::kMaxSuggestions);
    QVERIFY2(found.contains(expected), qPrintable(found.join(u", ")));
    QVERIFY(found.size() <= SpellChecker::kMaxSuggestions);
}

// Older Debian dictionaries were KOI8-R: words go to hunspell in the dictionary's encoding and
// suggestions come back from it.
void TstSpellChecker::koi8Dictionary()
{
    const QString dir = m_dir.filePath(QStringLiteral("koi8"));
    QVERIFY(QDir().mkpath(dir));
    QStringEncoder koi8("KOI8-R");
    QVERIFY2(koi8.isValid(), "Qt without KOI8-R");
    QFile aff(dir + u"/ru_RU.aff"_qs), dic(dir + u"/ru_RU.dic"_qs);
    QVERIFY(aff.open(QIODevice::WriteOnly) && dic.open(QIODevice::WriteOnly));
    aff.write(koi8.encode(u"SET KOI8-R\nTRY оеаитнрсвлкдмпуяызбгчйхжшюцщэфъё\n"_qs));
    dic.write(koi8.encode(u"3\nдом\nкот\nмолоко\n"_qs));
    aff.close();
    dic.close();
    QString error;
    auto dictionary = Dictionary::load(Dictionary::find({dir}, Language::Russian), Language::Russian, &error);
    QVERIFY2(dictionary, qPrintable(error));
    QVERIFY(dictionary->check(u"молоко"_qs));
    QVERIFY(!dictionary->check(u"малоко"_qs));
    // Letters KOI8-R has no place for: wrong, not garbled into a match.
    QVERIFY(!dictionary->check(u"кот\u0301"_qs));
    QVERIFY(dictionary->suggest(u"малоко"_qs, 5).contains(u"молоко"_qs));
}

void TstSpellChecker::badDictionaries_data()
{
    QTest::addColumn<QByteArray>("aff");
    QTest::addColumn<QByteArray>("dic");

    QFile realAff(u"/usr/share/hunspell/en_US.aff"_qs);
    QVERIFY(realAff.open(QIODevice::ReadOnly));
    const QByteArray aff = realAff.readAll();
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 131 + 7) % 256);
    QTest::newRow("missing .dic") << aff << QByteArray();
    QTest::newRow("empty .dic") << aff << QByteArray("");
    QTest::newRow("truncated .dic") << aff << QByteArray("79013\n0/nm\n1/n1\n");
    QTest::newRow("noise .dic") << aff << noise;
    QTest::newRow("noise both") << noise << noise;
}

// A dictionary that is missing or broken is reported with its reason, never used and never a
// crash; the checker then goes without that language.
void TstSpellChecker::badDictionaries()
{
    QFETCH(QByteArray, aff);
    QFETCH(QByteArray, dic);
    const QString dir = m_dir.filePath(QStringLiteral("bad-") + QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(dir));
    QFile affFile(dir + u"/en_US.aff"_qs);
    QVERIFY(affFile.open(QIODevice::WriteOnly));
    affFile.write(aff);
    affFile.close();
    if (!dic.isNull()) {
        QFile dicFile(dir + u"/en_US.dic"_qs);
        QVERIFY(dicFile.open(QIODevice::WriteOnly));
        dicFile.write(dic);
    }
    QString error;
    const Dictionary::Files files{dir + u"/en_US.aff"_qs, dir + u"/en_US.dic"_qs};
    QVERIFY(!Dictionary::load(files, Language::English, &error));
    QVERIFY(!error.isEmpty());

    auto checker = makeChecker({dir}, m_dir.filePath(QStringLiteral("none.txt")));
    checker->load();
    QVERIFY(waitUntil([&] { return checker->status() != SpellChecker::Status::Loading; }));
    QCOMPARE(checker->status(), SpellChecker::Status::Unavailable);
    QVERIFY(!checker->hasLanguage(Language::English));
    QCOMPARE(checker->verdict(u"recieve"_qs, Language::English), SpellChecker::Verdict::Correct);
}

// Lookups never happen on the caller's thread: the first answer is "unknown", the verdicts
// follow with `checked` naming the misspelled words, and are kept.
void TstSpellChecker::verdictsArriveFromTheWorker()
{
    auto checker = makeChecker(systemDirs(), m_dir.filePath(QStringLiteral("p1.txt")));
    QSignalSpy checkedSpy(checker.get(), &SpellChecker::checked);
    QCOMPARE(checker->verdict(u"превет"_qs, Language::Russian), SpellChecker::Verdict::Unknown);
    QCOMPARE(checker->verdict(u"hello"_qs, Language::English), SpellChecker::Verdict::Unknown);
    QVERIFY(waitUntil([&] { return checker->pendingWords() == 0 && checker->status() == SpellChecker::Status::Ready; }));
    QVERIFY(waitUntil([&] {
        for (const auto &args : checkedSpy)
            if (args.at(0).value<QSet<QString>>().contains(u"превет"_qs))
                return true;
        return false;
    }));
    QCOMPARE(checker->verdict(u"превет"_qs, Language::Russian), SpellChecker::Verdict::Misspelled);
    QCOMPARE(checker->verdict(u"hello"_qs, Language::English), SpellChecker::Verdict::Correct);
    QCOMPARE(checker->pendingWords(), 0);
    QVERIFY(checker->statusText().isEmpty());
    SpellSettings settings(checker.get());
    QVERIFY(settings.available());
    QVERIFY(settings.enabled());
}

void TstSpellChecker::withoutDictionaries()
{
    auto checker = makeChecker({m_dir.filePath(QStringLiteral("empty"))}, m_dir.filePath(QStringLiteral("p2.txt")));
    SpellSettings settings(checker.get());
    QVERIFY(waitUntil([&] { return checker->status() != SpellChecker::Status::Loading; }));
    QCOMPARE(checker->status(), SpellChecker::Status::Unavailable);
    QVERIFY(!settings.available());
    QVERIFY2(settings.note().contains(u"hunspell-ru"_qs) && settings.note().contains(u"hunspell-en-us"_qs),
             qPrintable(settings.note()));
    QCOMPARE(checker->verdict(u"превет"_qs, Language::Russian), SpellChecker::Verdict::Correct);
}

void TstSpellChecker::oneLanguageOnly()
{
    const QString dir = m_dir.filePath(QStringLiteral("english-only"));
    QVERIFY(QDir().mkpath(dir));
    for (const char *ext : {".aff", ".dic"})
        QVERIFY(QFile::copy(u"/usr/share/hunspell/en_US"_qs + QLatin1String(ext), dir + u"/en_US"_qs + QLatin1String(ext)));
    auto checker = makeChecker({dir}, m_dir.filePath(QStringLiteral("p3.txt")));
    QCOMPARE(settled(*checker, u"recieve"_qs, Language::English), SpellChecker::Verdict::Misspelled);
    QCOMPARE(checker->status(), SpellChecker::Status::Ready);
    QCOMPARE(checker->verdict(u"превет"_qs, Language::Russian), SpellChecker::Verdict::Correct);
    QVERIFY2(checker->statusText().contains(u"hunspell-ru"_qs), qPrintable(checker->statusText()));
}

void TstSpellChecker::personalListSurvivesRestart()
{
    const QString path = m_dir.filePath(QStringLiteral("restart/deep/personal.txt"));
    {
        auto checker = makeChecker(systemDirs(), path);
        QCOMPARE(settled(*checker, u"Vexaбот"_qs, Language::Russian), SpellChecker::Verdict::Misspelled);
        QCOMPARE(settled(*checker, u"кодогенерацыя"_qs, Language::Russian), SpellChecker::Verdict::Misspelled);
        QSignalSpy accepted(checker.get(), &SpellChecker::accepted);
        checker->addToDictionary(u"кодогенерацыя"_qs);
        QCOMPARE(accepted.size(), 1);
        QCOMPARE(checker->verdict(u"кодогенерацыя"_qs, Language::Russian), SpellChecker::Verdict::Correct);
        // The sentence's first word is the same word.
        QCOMPARE(checker->verdict(u"Кодогенерацыя"_qs, Language::Russian), SpellChecker::Verdict::Correct);
    } // the checker waits for its worker, which writes the word
    auto again = makeChecker(systemDirs(), path);
    QCOMPARE(settled(*again, u"кодогенерацыя"_qs, Language::Russian), SpellChecker::Verdict::Correct);
    QCOMPARE(settled(*again, u"Vexaбот"_qs, Language::Russian), SpellChecker::Verdict::Misspelled);
    QVERIFY(again->personalListWritable());
}

// A list that cannot be read (here a folder where the file should be) is left as it is: the
// session's additions stay in memory.
void TstSpellChecker::personalListUnreadable()
{
    const QString path = m_dir.filePath(QStringLiteral("folder-list"));
    QVERIFY(QDir().mkpath(path + u"/inside"_qs));
    const PersonalWords read = PersonalWords::read(path);
    QVERIFY(!read.writable);
    auto checker = makeChecker(systemDirs(), path);
    QCOMPARE(settled(*checker, u"превет"_qs, Language::Russian), SpellChecker::Verdict::Misspelled);
    QVERIFY(!checker->personalListWritable());
    checker->addToDictionary(u"превет"_qs);
    QCOMPARE(checker->verdict(u"превет"_qs, Language::Russian), SpellChecker::Verdict::Correct);
    checker.reset();
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QFileInfo::exists(path + u"/inside"_qs));
}

// A 10 MB list: the first megabyte is read (in the background), the rest kept; a word added is
// appended after all of it.
void TstSpellChecker::personalListHuge()
{
    const QString path = m_dir.filePath(QStringLiteral("huge.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray line = QStringLiteral("словоодин\n").toUtf8();
    const QByteArray tail = QStringLiteral("словохвост").toUtf8(); // no final line break
    qint64 written = 0;
    while (written < 10 * 1024 * 1024)
        written += file.write(line);
    file.write(tail);
    file.close();
    const qint64 before = QFileInfo(path).size();

    const PersonalWords read = PersonalWords::read(path);
    QVERIFY(read.truncated);
    QVERIFY(read.writable);
    QVERIFY(read.words.contains(u"словоодин"_qs));
    QVERIFY(!read.words.contains(u"словохвост"_qs));

    auto checker = makeChecker(systemDirs(), path);
    QCOMPARE(settled(*checker, u"словоодин"_qs, Language::Russian), SpellChecker::Verdict::Correct);
    checker->addToDictionary(u"новоеслово"_qs);
    checker.reset();
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QVERIFY(after.size() > before);
    QVERIFY(after.seek(before - tail.size()));
    QCOMPARE(after.readAll(), tail + "\n" + QStringLiteral("новоеслово\n").toUtf8());
}

void TstSpellChecker::ignoreIsForTheSession()
{
    const QString path = m_dir.filePath(QStringLiteral("p4.txt"));
    {
        auto checker = makeChecker(systemDirs(), path);
        QCOMPARE(settled(*checker, u"recieve"_qs, Language::English), SpellChecker::Verdict::Misspelled);
        checker->ignore(u"recieve"_qs);
        QCOMPARE(checker->verdict(u"recieve"_qs, Language::English), SpellChecker::Verdict::Correct);
    }
    QVERIFY(!QFileInfo::exists(path));
    auto again = makeChecker(systemDirs(), path);
    QCOMPARE(settled(*again, u"recieve"_qs, Language::English), SpellChecker::Verdict::Misspelled);
}

QTEST_GUILESS_MAIN(TstSpellChecker)
#include "tst_spellchecker.moc"
