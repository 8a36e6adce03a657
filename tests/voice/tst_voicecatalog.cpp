// Voice selection rules, labels, identifiers, the catalog object and the stored preferences.
#include "awaittask.h"
#include "vexavoicecatalog.h"
#include "voicefakes.h"
#include "voicepreferences.h"
#include "voicesamples.h"
#include "voicetexts.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vexa::voice;
using namespace vexa::voice::fakes;

Q_DECLARE_METATYPE(QList<vexa::voice::VoiceInfo>)
using DefaultVoices = QHash<QString, QString>;

class VoiceCatalogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameLanguage_data();
    void sameLanguage();
    void resolve_data();
    void resolve();
    void sorted_data();
    void sorted();
    void bestVoice_data();
    void bestVoice();
    void details_data();
    void details();
    void selectionTitle_data();
    void selectionTitle();
    void identifiers_data();
    void identifiers();
    void catalogPublishesAWholeListing();
    void favorites_data();
    void favorites();
    void preferences();
};

namespace {

QStringList ids(const QList<VoiceInfo> &voices)
{
    QStringList list;
    for (const VoiceInfo &v : voices)
        list << v.identifier;
    return list;
}

VoiceInventory russianAndEnglish()
{
    return VoiceInventory(
        {voice("ru.milena", "Milena", "ru-RU", 1, 2), voice("ru.yuri", "Yuri", "ru-RU", 2, 1),
         voice("com.apple.voice.compact.ru-RU.Katya", "Katya", "ru-RU", 1, 2),
         voice("en.daniel", "Daniel", "en-GB", 2, 1), voice("en.fred", "Fred", "en-US", 1, 1),
         voice("en.bells", "Bells", "en-US", 1, 0, VoiceInfo::kNoveltyTrait)},
        {{"ru-RU", "ru.milena"}, {"en-US", "en.fred"}});
}

} // namespace

void VoiceCatalogTest::initTestCase()
{
    // Labels and collation follow the user's locale; the app speaks Russian.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void VoiceCatalogTest::sameLanguage_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");

    QTest::newRow("British and American English") << "en-GB" << "en-US" << true;
    QTest::newRow("bare EN and en-US") << "EN" << "en-US" << true;
    QTest::newRow("region against none") << "ru" << "ru-RU" << true;
    QTest::newRow("Russian and English") << "ru-RU" << "en-US" << false;
    QTest::newRow("two empty tags") << "" << "" << true;
    QTest::newRow("only dashes count as empty") << "--" << "" << true;
    QTest::newRow("empty against a language") << "" << "ru-RU" << false;
    QTest::newRow("leading dash skipped") << "-ru-RU" << "ru" << true;
    QTest::newRow("underscore is not a separator") << "ru_RU" << "ru" << false;
    QTest::newRow("prefix is not the language") << "r" << "ru" << false;
}

void VoiceCatalogTest::sameLanguage()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(VexaVoiceCatalog::sameLanguage(a, b), same);
    QCOMPARE(VexaVoiceCatalog::sameLanguage(b, a), same);
}

void VoiceCatalogTest::resolve_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("resolved"); // "" = nothing

    QTest::newRow("empty") << "" << "";
    QTest::newRow("installed") << "ru.yuri" << "ru.yuri";
    QTest::newRow("unknown") << "ru.gone" << "";
    QTest::newRow("super-compact renamed to compact")
        << "com.apple.voice.super-compact.ru-RU.Katya" << "com.apple.voice.compact.ru-RU.Katya";
    QTest::newRow("super-compact with no compact voice")
        << "com.apple.voice.super-compact.ru-RU.Pavel" << "";
    QTest::newRow("rename needs the dots around it") << "super-compact-Katya" << "";
}

void VoiceCatalogTest::resolve()
{
    QFETCH(QString, identifier);
    QFETCH(QString, resolved);
    const auto voice = VexaVoiceCatalog::resolve(russianAndEnglish(), identifier);
    QCOMPARE(voice ? voice->identifier : QString(), resolved);
}

void VoiceCatalogTest::sorted_data()
{
    QTest::addColumn<QList<VoiceInfo>>("voices");
    QTest::addColumn<DefaultVoices>("defaults");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("expected");

    const QHash<QString, QString> none;

    QTest::newRow("only the language, any region")
        << QList<VoiceInfo>{voice("a", "Anna", "ru-RU"), voice("b", "Bob", "en-US"),
                            voice("c", "Carl", "ru")}
        << none << "ru-RU" << QStringList{"a", "c"};
    QTest::newRow("duplicate: first listed survives")
        << QList<VoiceInfo>{voice("first", "Anna", "ru-RU"), voice("second", "Anna", "ru-RU")}
        << none << "ru-RU" << QStringList{"first"};
    QTest::newRow("duplicate: a super-compact one gives way")
        << QList<VoiceInfo>{voice("x.super-compact.Anna", "Anna", "ru-RU"),
                            voice("x.compact.Anna", "Anna", "ru-RU")}
        << none << "ru-RU" << QStringList{"x.compact.Anna"};
    QTest::newRow("not duplicates: quality differs")
        << QList<VoiceInfo>{voice("std", "Anna", "ru-RU", 1), voice("enh", "Anna", "ru-RU", 2)}
        << none << "ru-RU" << QStringList{"enh", "std"};
    QTest::newRow("premium before the default, default before the rest")
        << QList<VoiceInfo>{voice("a", "Aaron", "en-US"), voice("d", "Zed", "en-US"),
                            voice("p", "Pia", "en-US", 3)}
        << QHash<QString, QString>{{"en-US", "d"}} << "en-US" << QStringList{"p", "d", "a"};
    QTest::newRow("novelty last whatever its quality")
        << QList<VoiceInfo>{voice("n", "Bells", "en-US", 3, 2, VoiceInfo::kNoveltyTrait),
                            voice("s", "Zoe", "en-US", 1)}
        << QHash<QString, QString>{{"en-US", "n"}} << "en-US" << QStringList{"s", "n"};
    QTest::newRow("gendered before unspecified")
        << QList<VoiceInfo>{voice("u", "Adam", "ru-RU", 1, 0), voice("f", "Zoya", "ru-RU", 1, 2)}
        << none << "ru-RU" << QStringList{"f", "u"};
    QTest::newRow("exact language tag before other regions")
        << QList<VoiceInfo>{voice("gb", "Arthur", "en-GB"), voice("us", "Zack", "en-US")}
        << none << "en-US" << QStringList{"us", "gb"};
    QTest::newRow("names: case-insensitive, digits by value")
        << QList<VoiceInfo>{voice("10", "voice 10", "ru-RU"), voice("B", "Voice 2", "ru-RU"),
                            voice("a", "voice 1", "ru-RU")}
        << none << "ru-RU" << QStringList{"a", "B", "10"};
    QTest::newRow("same name and language: identifier decides")
        << QList<VoiceInfo>{voice("z", "Anna", "ru-RU", 1, 1), voice("y", "anna", "ru-RU", 1, 1)}
        << none << "ru-RU" << QStringList{"y", "z"};
    QTest::newRow("empty tags form one language")
        << QList<VoiceInfo>{voice("e", "Echo", ""), voice("r", "Rita", "ru-RU")}
        << none << "" << QStringList{"e"};
    QTest::newRow("bare tag EN asks for all English")
        << QList<VoiceInfo>{voice("us", "Amy", "en-US"), voice("gb", "Ben", "en-GB")}
        << none << "EN" << QStringList{"us", "gb"};
}

void VoiceCatalogTest::sorted()
{
    QFETCH(QList<VoiceInfo>, voices);
    QFETCH(DefaultVoices, defaults);
    QFETCH(QString, locale);
    QFETCH(QStringList, expected);

    const VoiceInventory installed(voices, defaults);
    QCOMPARE(ids(VexaVoiceCatalog::sorted(installed, voices, locale)), expected);
}

void VoiceCatalogTest::bestVoice_data()
{
    QTest::addColumn<QList<VoiceInfo>>("voices");
    QTest::addColumn<DefaultVoices>("defaults");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("best"); // "" = none

    QTest::newRow("first of the sorted list")
        << QList<VoiceInfo>{voice("a", "Anna", "ru-RU"), voice("p", "Pavel", "ru-RU", 3)}
        << QHash<QString, QString>{} << "ru-RU" << "p";
    QTest::newRow("novelty never best, even as the only voice")
        << QList<VoiceInfo>{voice("n", "Bells", "en-US", 3, 0, VoiceInfo::kNoveltyTrait)}
        << QHash<QString, QString>{{"en-US", "n"}} << "en-US" << "";
    QTest::newRow("nothing for the language")
        << QList<VoiceInfo>{voice("a", "Anna", "ru-RU")} << QHash<QString, QString>{} << "de-DE"
        << "";
}

void VoiceCatalogTest::bestVoice()
{
    QFETCH(QList<VoiceInfo>, voices);
    QFETCH(DefaultVoices, defaults);
    QFETCH(QString, locale);
    QFETCH(QString, best);
    const auto found = VexaVoiceCatalog::bestVoice(VoiceInventory(voices, defaults), locale);
    QCOMPARE(found ? found->identifier : QString(), best);
}

void VoiceCatalogTest::details_data()
{
    QTest::addColumn<VoiceInfo>("voice");
    QTest::addColumn<QString>("details");

    QTest::newRow("premium female American")
        << voice("a", "Ava", "en-US", 3, 2) << "Premium · английский (США) · женский";
    QTest::newRow("enhanced male Russian")
        << voice("b", "Yuri", "ru-RU", 2, 1) << "Enhanced · улучшенный · русский (Россия) · мужской";
    QTest::newRow("standard, no gender") << voice("c", "Echo", "ru", 1, 0) << "Стандартный · русский";
    QTest::newRow("unknown quality is standard") << voice("d", "Odd", "ru", 7, 5) << "Стандартный · русский";
    QTest::newRow("no tag: quality alone") << voice("e", "Nil", "", 1, 0) << "Стандартный";
    QTest::newRow("unknown language: the tag itself") << voice("f", "X", "qqq", 1, 0) << "Стандартный · qqq";
}

void VoiceCatalogTest::details()
{
    QFETCH(VoiceInfo, voice);
    QFETCH(QString, details);
    QCOMPARE(VexaVoiceCatalog::details(voice), details);
}

void VoiceCatalogTest::selectionTitle_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");

    QTest::newRow("automatic") << "" << "ru-RU" << "Автоматически · Yuri · Enhanced · улучшенный";
    QTest::newRow("automatic without voices") << "" << "de-DE" << "Автоматически · Системный голос";
    QTest::newRow("pinned") << "ru.milena" << "ru-RU"
                            << "Milena · Стандартный · русский (Россия) · женский";
    QTest::newRow("pinned through the compact rename")
        << "com.apple.voice.super-compact.ru-RU.Katya" << "ru-RU"
        << "Katya · Стандартный · русский (Россия) · женский";
    QTest::newRow("pinned voice uninstalled") << "ru.gone" << "ru-RU" << texts::pinnedVoiceUnavailable();
    QTest::newRow("pinned voice of another language")
        << "en.daniel" << "ru-RU" << texts::pinnedVoiceUnavailable();
    QTest::newRow("pinned British voice for American English")
        << "en.daniel" << "en-US" << "Daniel · Enhanced · улучшенный · английский (Британия) · мужской";
}

void VoiceCatalogTest::selectionTitle()
{
    QFETCH(QString, identifier);
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QCOMPARE(VexaVoiceCatalog::selectionTitle(russianAndEnglish(), identifier, locale), title);
}

void VoiceCatalogTest::identifiers_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("found"); // what the platform lookup answers, "" = nothing

    QTest::newRow("exact") << "speechd.ru-RU.Russian+Alex" << "speechd.ru-RU.Russian+Alex";
    QTest::newRow("tag spelled with underscore") << "speechd.ru_RU.Russian+Alex"
                                                 << "speechd.ru-RU.Russian+Alex";
    QTest::newRow("dot inside the name") << "speechd.en-US.Mr. Smith" << "speechd.en-US.Mr. Smith";
    QTest::newRow("other engine") << "flite.ru-RU.Russian+Alex" << "";
    QTest::newRow("not our scheme") << "Russian" << "";
}

void VoiceCatalogTest::identifiers()
{
    QFETCH(QString, identifier);
    QFETCH(QString, found);
    const VoiceInventory installed(
        {voice(systemVoiceIdentifier("speechd", "ru-RU", "Russian+Alex"), "Russian+Alex", "ru-RU"),
         voice(systemVoiceIdentifier("speechd", "en-US", "Mr. Smith"), "Mr. Smith", "en-US")},
        {});
    const auto voice = installed.platformVoice(identifier);
    QCOMPARE(voice ? voice->identifier : QString(), found);
}

void VoiceCatalogTest::catalogPublishesAWholeListing()
{
    auto synthesizer = std::make_shared<FakeSynthesizer>();
    synthesizer->inventory = russianAndEnglish();
    VexaVoiceCatalog catalog(synthesizer);
    QSignalSpy changed(&catalog, &VexaVoiceCatalog::voicesChanged);
    QVERIFY(vexa::test::waitUntil([&] { return !catalog.loading(); }));
    QCOMPARE(catalog.count(), 6);
    QCOMPARE(catalog.sortedVoices(QStringLiteral("ru-RU")).size(), 3);
    QCOMPARE(catalog.selectionTitleFor(QString(), QStringLiteral("en-US")),
             QStringLiteral("Автоматически · Daniel · Enhanced · улучшенный"));

    // A refresh replaces the list with what the platform lists now.
    synthesizer->inventory = VoiceInventory({voice("solo", "Solo", "ru-RU")}, {});
    const int before = int(changed.count());
    catalog.refresh();
    QVERIFY(vexa::test::waitUntil([&] { return changed.count() > before && !catalog.loading(); }));
    QCOMPARE(catalog.count(), 1);
    QCOMPARE(catalog.voices().first().identifier, QStringLiteral("solo"));
}

void VoiceCatalogTest::favorites_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("decoded");

    QTest::newRow("default") << "[]" << QStringList{};
    QTest::newRow("strings") << R"(["b","a"])" << QStringList{"a", "b"};
    QTest::newRow("duplicates collapse") << R"(["a","a"])" << QStringList{"a"};
    QTest::newRow("not JSON") << "a,b" << QStringList{};
    QTest::newRow("an object") << R"({"a":1})" << QStringList{};
    QTest::newRow("a number among strings") << R"(["a",1])" << QStringList{};
    QTest::newRow("a bare string") << R"("a")" << QStringList{};
    QTest::newRow("empty text") << "" << QStringList{};
}

void VoiceCatalogTest::favorites()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, decoded);

    const QSet<QString> set = VoicePreferences::decodeFavorites(stored);
    QStringList sortedSet(set.cbegin(), set.cend());
    sortedSet.sort();
    QCOMPARE(sortedSet, decoded);

    // Toggling starts from what was readable and stores a sorted array.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prefs.ini"));
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(VoicePreferences::kFavoritesKey, stored);
    }
    VoicePreferences preferences(path);
    QVERIFY(preferences.toggleFavorite(QStringLiteral("c")));
    QStringList expected = decoded;
    expected << QStringLiteral("c");
    expected.sort();
    QCOMPARE(preferences.favoriteVoices().size(), expected.size());
    preferences.flush();
    QSettings reread(path, QSettings::IniFormat);
    QCOMPARE(reread.value(VoicePreferences::kFavoritesKey).toString(),
             *VoicePreferences::encodeFavorites(QSet<QString>(expected.cbegin(), expected.cend())));
    QVERIFY(!preferences.toggleFavorite(QStringLiteral("c")));
    QVERIFY(!preferences.isFavorite(QStringLiteral("c")));
}

void VoiceCatalogTest::preferences()
{
    QCOMPARE(*VoicePreferences::encodeFavorites({QStringLiteral("b"), QStringLiteral("a")}),
             QStringLiteral(R"(["a","b"])"));
    QCOMPARE(VoicePreferences::pinnedVoiceKey(QStringLiteral("en-US")), QStringLiteral("vexa_voice_id_en"));
    QCOMPARE(VoicePreferences::pinnedVoiceKey(QStringLiteral("en-GB")), QStringLiteral("vexa_voice_id_ru"));
    QCOMPARE(VoicePreferences::pinnedVoiceKey(QStringLiteral("ru-RU")), QStringLiteral("vexa_voice_id_ru"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prefs.ini"));
    VoicePreferences first(path);
    VoicePreferences second(path);
    QCOMPARE(first.locale(), QStringLiteral("ru-RU"));
    QCOMPARE(first.rate(), 0.5);
    QVERIFY(!first.allowOnline());
    QVERIFY(!first.autoSpeak());

    // One screen pins voices; another sees each language keep its own pin.
    QSignalSpy englishChanged(&second, &VoicePreferences::englishVoiceIDChanged);
    first.setPinnedVoice(QStringLiteral("ru-RU"), QStringLiteral("ru.milena"));
    first.setPinnedVoice(QStringLiteral("en-US"), QStringLiteral("en.fred"));
    QCOMPARE(englishChanged.count(), 1);
    QCOMPARE(second.pinnedVoice(QStringLiteral("ru-RU")), QStringLiteral("ru.milena"));
    QCOMPARE(second.englishVoiceID(), QStringLiteral("en.fred"));

    // A stored rate that is not a number reads as the default.
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(VoicePreferences::kRateKey, QStringLiteral("fast"));
    }
    QCOMPARE(VoicePreferences(path).rate(), 0.5);
}

QTEST_GUILESS_MAIN(VoiceCatalogTest)
#include "tst_voicecatalog.moc"
