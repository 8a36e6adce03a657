// The voice library's rules over fake voices: which rows a search and the favourites filter
// leave, which row (or the automatic choice) is marked for a pin, the counts line, what a change
// of language resets and keeps, samples, and the catalog's refreshes (from an empty list, queued
// behind a running one).
#include "awaittask.h"
#include "voicefakes.h"
#include "voicelibraryviewmodel.h"
#include "voicesamples.h"
#include "voicetexts.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace vexa::voice;
using namespace vexa::voice::fakes;

namespace {

VoiceInventory inventory()
{
    return VoiceInventory(
        {
            voice(QStringLiteral("v.ru-RU.Milena"), QStringLiteral("Milena"), QStringLiteral("ru-RU"),
                  VoiceInfo::QualityPremium, VoiceInfo::GenderFemale),
            voice(QStringLiteral("v.ru-RU.Yuri"), QStringLiteral("Yuri"), QStringLiteral("ru-RU"),
                  VoiceInfo::QualityEnhanced, VoiceInfo::GenderMale),
            voice(QStringLiteral("v.ru-RU.Irina"), QStringLiteral("Irina"), QStringLiteral("ru-RU"),
                  VoiceInfo::QualityDefault, VoiceInfo::GenderFemale),
            voice(QStringLiteral("v.ru-RU.Bells"), QStringLiteral("Bells"), QStringLiteral("ru-RU"),
                  VoiceInfo::QualityDefault, VoiceInfo::GenderUnspecified, VoiceInfo::kNoveltyTrait),
            voice(QStringLiteral("v.en-US.Samantha"), QStringLiteral("Samantha"),
                  QStringLiteral("en-US"), VoiceInfo::QualityPremium, VoiceInfo::GenderFemale),
            voice(QStringLiteral("v.en-GB.Daniel"), QStringLiteral("Daniel"),
                  QStringLiteral("en-GB"), VoiceInfo::QualityDefault, VoiceInfo::GenderMale),
        },
        {});
}

struct LibraryRig
{
    QTemporaryDir dir;
    std::shared_ptr<FakeSynthesizer> voices = std::make_shared<FakeSynthesizer>();
    std::shared_ptr<FakeSynthesizer> samples = std::make_shared<FakeSynthesizer>();
    std::unique_ptr<VoiceLibraryViewModel> library;

    explicit LibraryRig(VoiceInventory listed = inventory(), bool hold = false)
    {
        voices->inventory = listed;
        voices->holdListings = hold;
        samples->inventory = listed;
        library = std::make_unique<VoiceLibraryViewModel>(
            voices,
            VoicePlatform{std::make_shared<FakeCapture>(), std::make_shared<FakeRecognition>(),
                          samples, std::make_shared<ManualClock>()},
            dir.filePath(QStringLiteral("prefs.ini")));
        library->setSearchLocale(QLocale(QLocale::Russian, QLocale::Russia));
        settle();
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QStringList rows() const
    {
        QStringList names;
        for (const auto &row : library->voices()->rows())
            names << row.name;
        return names;
    }
    QStringList marked() const
    {
        QStringList names;
        for (const auto &row : library->voices()->rows())
            if (row.selected)
                names << row.name;
        return names;
    }
};

} // namespace

class VoiceLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void filtering_data();
    void filtering();
    void marking_data();
    void marking();
    void languageChangeResetsSearchAndKeepsPins();
    void samplesAndSelection();
    void refreshWorksFromAnEmptyList();
    void refreshDuringAFillIsQueued();
    void availabilityWaitsForTheListing_data();
    void availabilityWaitsForTheListing();
};

void VoiceLibraryTest::filtering_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("onlyFavorites");
    QTest::addColumn<QStringList>("favorites");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("countsLine");
    QTest::addColumn<QString>("emptyText");

    const QStringList none;
    const QString noVoices = texts::noVoicesFound();
    const QString noFavorites = texts::noFavoriteVoices();
    // Best first, the novelty voice last; the other language never shows.
    QTest::newRow("all Russian") << "ru-RU" << "" << false << none
                                 << QStringList{"Milena", "Yuri", "Irina", "Bells"}
                                 << "Доступно: 4 · показано: 4" << "";
    QTest::newRow("quality label") << "ru-RU" << "Premium" << false << none
                                   << QStringList{"Milena"} << "Доступно: 4 · показано: 1" << "";
    QTest::newRow("gender label") << "ru-RU" << "женский" << false << none
                                  << QStringList{"Milena", "Irina"}
                                  << "Доступно: 4 · показано: 2" << "";
    QTest::newRow("Cyrillic case folding") << "ru-RU" << "МУЖСКОЙ" << false << none
                                           << QStringList{"Yuri"}
                                           << "Доступно: 4 · показано: 1" << "";
    QTest::newRow("name, any case") << "ru-RU" << "iRiNa" << false << none
                                    << QStringList{"Irina"} << "Доступно: 4 · показано: 1" << "";
    // The name and the details are joined by one space: a query across it matches.
    QTest::newRow("across name and details") << "ru-RU" << "yuri enh" << false << none
                                             << QStringList{"Yuri"}
                                             << "Доступно: 4 · показано: 1" << "";
    // Used as typed: the leading space cannot match the start of a name.
    QTest::newRow("untrimmed query") << "ru-RU" << " Milena" << false << none << none
                                     << "Доступно: 4 · показано: 0" << noVoices;
    QTest::newRow("nothing found") << "ru-RU" << "Zzz" << false << none << none
                                   << "Доступно: 4 · показано: 0" << noVoices;
    QTest::newRow("favourites only") << "ru-RU" << "" << true
                                     << QStringList{"v.ru-RU.Irina", "v.en-US.Samantha"}
                                     << QStringList{"Irina"} << "Доступно: 4 · показано: 1" << "";
    QTest::newRow("no favourites of this language")
        << "ru-RU" << "" << true << QStringList{"v.en-US.Samantha"} << none
        << "Доступно: 4 · показано: 0" << noFavorites;
    QTest::newRow("favourites and search") << "ru-RU" << "Premium" << true
                                           << QStringList{"v.ru-RU.Irina"} << none
                                           << "Доступно: 4 · показано: 0" << noFavorites;
    // Every English accent is one language.
    QTest::newRow("English accents") << "en-US" << "" << false << none
                                     << QStringList{"Samantha", "Daniel"}
                                     << "Доступно: 2 · показано: 2" << "";
}

void VoiceLibraryTest::filtering()
{
    QFETCH(QString, locale);
    QFETCH(QString, query);
    QFETCH(bool, onlyFavorites);
    QFETCH(QStringList, favorites);
    QFETCH(QStringList, expected);
    QFETCH(QString, countsLine);
    QFETCH(QString, emptyText);

    LibraryRig rig;
    rig.library->setLocale(locale);
    for (const QString &id : favorites)
        rig.library->toggleFavorite(id);
    rig.library->setOnlyFavorites(onlyFavorites);
    rig.library->setQuery(query);

    QCOMPARE(rig.rows(), expected);
    QCOMPARE(rig.library->countsLine(), countsLine);
    QCOMPARE(rig.library->emptyText(), emptyText);
    for (const auto &row : rig.library->voices()->rows())
        QCOMPARE(row.favorite, favorites.contains(row.identifier));
}

void VoiceLibraryTest::marking_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QStringList>("marked");
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("title");

    QTest::newRow("automatic") << "" << QStringList{} << true << false
                               << "Автоматически · Milena · Premium";
    QTest::newRow("pinned voice") << "v.ru-RU.Yuri" << QStringList{"Yuri"} << false << false
                                  << "Yuri · " + VexaVoiceCatalog::details(inventory().voices().at(1));
    // Uninstalled: warned, and neither a row nor the automatic choice is marked.
    QTest::newRow("uninstalled") << "v.ru-RU.Gone" << QStringList{} << false << true
                                 << texts::pinnedVoiceUnavailable();
    // A voice of another language cannot speak Russian.
    QTest::newRow("other language") << "v.en-US.Samantha" << QStringList{} << false << true
                                    << texts::pinnedVoiceUnavailable();
}

void VoiceLibraryTest::marking()
{
    QFETCH(QString, pin);
    QFETCH(QStringList, marked);
    QFETCH(bool, automatic);
    QFETCH(bool, warning);
    QFETCH(QString, title);

    LibraryRig rig;
    if (!pin.isEmpty())
        rig.library->selectVoice(pin);
    QCOMPARE(rig.library->selection(), pin);
    QCOMPARE(rig.marked(), marked);
    QCOMPARE(rig.library->automaticSelected(), automatic);
    QCOMPARE(rig.library->selectionMissing(), warning);
    QCOMPARE(rig.library->automaticTitle(), title);
}

void VoiceLibraryTest::languageChangeResetsSearchAndKeepsPins()
{
    LibraryRig rig;
    rig.library->selectVoice(QStringLiteral("v.ru-RU.Irina"));
    rig.library->setQuery(QStringLiteral("Irina"));
    rig.library->setOnlyFavorites(true);
    rig.library->listen(QStringLiteral("v.ru-RU.Irina"));
    QVERIFY(rig.library->previewSpeaking());

    rig.library->setLocale(QStringLiteral("en-US"));
    QCOMPARE(rig.library->query(), QString());
    QVERIFY(!rig.library->onlyFavorites());
    QVERIFY(!rig.library->previewSpeaking());
    QVERIFY(rig.library->automaticSelected());
    rig.library->selectVoice(QStringLiteral("v.en-GB.Daniel"));
    QCOMPARE(rig.marked(), QStringList{QStringLiteral("Daniel")});

    rig.library->setLocale(QStringLiteral("ru-RU"));
    QCOMPARE(rig.library->selection(), QStringLiteral("v.ru-RU.Irina"));
    QCOMPARE(rig.marked(), QStringList{QStringLiteral("Irina")});
    // A library opened later shows the stored language and pins.
    auto second = std::make_unique<VoiceLibraryViewModel>(
        rig.voices,
        VoicePlatform{std::make_shared<FakeCapture>(), std::make_shared<FakeRecognition>(),
                      rig.samples, std::make_shared<ManualClock>()},
        rig.dir.filePath(QStringLiteral("prefs.ini")));
    LibraryRig::settle();
    QCOMPARE(second->locale(), QStringLiteral("ru-RU"));
    QCOMPARE(second->selection(), QStringLiteral("v.ru-RU.Irina"));
}

void VoiceLibraryTest::samplesAndSelection()
{
    LibraryRig rig;
    rig.library->setRate(0.9);
    QCOMPARE(rig.library->rate(), 0.62);
    rig.library->listen(QStringLiteral("v.ru-RU.Yuri"));
    LibraryRig::settle();
    QCOMPARE(rig.samples->spoken.size(), size_t(1));
    QCOMPARE(rig.samples->spoken.back().voiceIdentifier, QStringLiteral("v.ru-RU.Yuri"));
    QCOMPARE(rig.samples->spoken.back().text, texts::samplePhrase(QStringLiteral("ru-RU")));
    QCOMPARE(rig.samples->spoken.back().rate, 0.62f);
    QVERIFY(rig.library->automaticSelected()); // listening chooses nothing

    const int stops = rig.samples->stops;
    rig.library->selectVoice(QStringLiteral("v.ru-RU.Yuri"));
    QVERIFY(rig.samples->stops > stops);
    QVERIFY(!rig.library->previewSpeaking());

    // The automatic row goes back to the best voice and lets it be heard.
    rig.library->selectAutomatic();
    LibraryRig::settle();
    QVERIFY(rig.library->automaticSelected());
    QCOMPARE(rig.samples->spoken.back().voiceIdentifier, QStringLiteral("v.ru-RU.Milena"));

    rig.library->disappear();
    QVERIFY(!rig.library->previewSpeaking());
    QVERIFY(!rig.samples->playing());
}

void VoiceLibraryTest::refreshWorksFromAnEmptyList()
{
    // The speech service was not running when the library opened: nothing listed.
    LibraryRig rig(VoiceInventory({}, {}));
    QCOMPARE(rig.library->availableCount(), 0);
    QCOMPARE(rig.library->emptyText(), texts::noVoicesFound());

    rig.voices->inventory = inventory();
    rig.library->refreshVoices();
    QVERIFY(vexa::test::waitUntil([&] { return rig.library->availableCount() == 4; }));
    QCOMPARE(rig.rows().first(), QStringLiteral("Milena"));
}

void VoiceLibraryTest::refreshDuringAFillIsQueued()
{
    LibraryRig rig(VoiceInventory({}, {}), /*hold*/ true);
    QVERIFY(rig.library->loading());
    // A voice is installed while the first listing runs, and the user asks again.
    rig.voices->inventory = inventory();
    rig.library->refreshVoices();
    QVERIFY(rig.library->catalog()->refreshQueued());
    const int listings = rig.voices->listings;

    rig.voices->holdListings = false;
    rig.voices->listingGate.release();
    QVERIFY(vexa::test::waitUntil([&] { return !rig.library->loading(); }));
    QCOMPARE(rig.voices->listings, listings + 1);
    QCOMPARE(rig.library->availableCount(), 4);
}

void VoiceLibraryTest::availabilityWaitsForTheListing_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<bool>("missing");
    QTest::newRow("installed pin") << QStringLiteral("v.ru-RU.Yuri") << false;
    QTest::newRow("uninstalled pin") << QStringLiteral("v.ru-RU.Gone") << true;
    QTest::newRow("automatic") << QString() << false;
}

// Until the first listing is in, neither the warning nor the automatic row's caption says a
// voice is unusable; once it is, both tell the truth.
void VoiceLibraryTest::availabilityWaitsForTheListing()
{
    QFETCH(QString, pin);
    QFETCH(bool, missing);
    LibraryRig rig(inventory(), /*hold*/ true);
    rig.library->selectVoice(pin);
    QVERIFY(rig.library->loading());
    QVERIFY(!rig.library->selectionMissing());
    QCOMPARE(rig.library->automaticTitle(), QString());

    rig.voices->holdListings = false;
    rig.voices->listingGate.release();
    QVERIFY(vexa::test::waitUntil([&] { return !rig.library->loading(); }));
    QCOMPARE(rig.library->selectionMissing(), missing);
    const QString title = rig.library->automaticTitle();
    QCOMPARE(title, VexaVoiceCatalog::selectionTitle(inventory(), pin, QStringLiteral("ru-RU")));
    QCOMPARE(title.startsWith(QStringLiteral("Сохранённый голос недоступен")), missing);
}

QTEST_MAIN(VoiceLibraryTest)
#include "tst_voicelibrary.moc"
