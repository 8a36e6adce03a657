// The workspace and tools rules, row by row: which typed texts count, what the feature switches
// allow, the recipe filter and copy format, the pager, the characters' buttons and portraits,
// the action a run uses, and what an answer without text shows.

#include "toolsrules.h"
#include "workspacerules.h"

#include <QLocale>
#include <QTest>

using namespace vexa;
using namespace vexa::content;

Q_DECLARE_METATYPE(std::optional<vexa::VexaState>)
Q_DECLARE_METATYPE(vexa::VexaCharacter)
Q_DECLARE_METATYPE(QList<vexa::VexaAction>)
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<bool>)

namespace {

std::optional<VexaState> stateWith(std::optional<VexaFeatures> features, bool present = true)
{
    if (!present)
        return std::nullopt;
    VexaState state;
    state.features = features;
    return state;
}

VexaPromptRecipe recipe(QString id, QString title, QString hint, std::optional<QString> category,
                        std::optional<bool> favorite, QString prompt = QStringLiteral("Сделай это."))
{
    return {std::move(id), std::move(title), std::move(prompt), std::move(hint), std::move(category),
            favorite};
}

QList<VexaPromptRecipe> library()
{
    return {
        recipe(QStringLiteral("post"), QStringLiteral("Пост для канала"), QStringLiteral("тексты для соцсетей"),
               QStringLiteral("writing"), true),
        recipe(QStringLiteral("letter"), QStringLiteral("Деловое письмо"), QStringLiteral("погода и встречи"),
               QStringLiteral("work"), false),
        recipe(QStringLiteral("plain"), QStringLiteral("Без категории"), QStringLiteral("просто так"),
               std::nullopt, std::nullopt),
        recipe(QStringLiteral("review"), QStringLiteral("Ревью кода"), QStringLiteral("найти ошибки"),
               QStringLiteral("code"), std::nullopt, QStringLiteral("Проверь код на Python.")),
    };
}

VexaCharacter character(std::optional<bool> unlocked, std::optional<bool> active,
                        std::optional<QString> link)
{
    VexaCharacter c;
    c.id = QStringLiteral("c");
    c.name = QStringLiteral("Мира");
    c.isUnlocked = unlocked;
    c.isActive = active;
    c.botBuyURL = std::move(link);
    return c;
}

VexaAction action(qint64 id, std::optional<QString> instruction)
{
    return {id, QStringLiteral("Действие %1").arg(id), std::nullopt, std::move(instruction)};
}

} // namespace

class ContentRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void visibleText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("counts");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("spaces") << QStringLiteral("   ") << false;
        QTest::newRow("tabs") << QStringLiteral("\t\t") << false;
        QTest::newRow("line breaks only") << QStringLiteral("\n\n") << false;
        QTest::newRow("windows line breaks") << QStringLiteral("\r\n\r\n") << false;
        QTest::newRow("mixed white space") << QStringLiteral(" \t\n \r ") << false;
        QTest::newRow("no-break space") << QStringLiteral("\u00a0") << false;
        QTest::newRow("a word") << QStringLiteral("Казань") << true;
        QTest::newRow("word inside white space") << QStringLiteral("\n  кот \t") << true;
        QTest::newRow("one dot") << QStringLiteral(".") << true;
    }
    void visibleText()
    {
        QFETCH(QString, text);
        QFETCH(bool, counts);
        QCOMPARE(hasVisibleText(text), counts);
    }

    void featureSwitch_data()
    {
        QTest::addColumn<std::optional<VexaState>>("state");
        QTest::addColumn<bool>("memory");
        QTest::addColumn<bool>("projects");
        QTest::addColumn<bool>("search");
        QTest::newRow("no state") << stateWith(std::nullopt, false) << true << true << true;
        QTest::newRow("no features") << stateWith(std::nullopt) << true << true << true;
        QTest::newRow("flags absent") << stateWith(VexaFeatures{}) << true << true << true;
        QTest::newRow("all true") << stateWith(VexaFeatures{true, true, true, true}) << true << true << true;
        QTest::newRow("memory off") << stateWith(VexaFeatures{false, std::nullopt, std::nullopt, std::nullopt})
                                    << false << true << true;
        QTest::newRow("projects off") << stateWith(VexaFeatures{std::nullopt, false, std::nullopt, std::nullopt})
                                      << true << false << true;
        QTest::newRow("search off") << stateWith(VexaFeatures{true, true, true, false}) << true << true << false;
    }
    void featureSwitch()
    {
        QFETCH(std::optional<VexaState>, state);
        QFETCH(bool, memory);
        QFETCH(bool, projects);
        QFETCH(bool, search);
        QCOMPARE(featureAllows(state, &VexaFeatures::longMemory), memory);
        QCOMPARE(featureAllows(state, &VexaFeatures::projects), projects);
        QCOMPARE(featureAllows(state, &VexaFeatures::webSearch), search);
    }

    void recipeFilter_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("ids");
        const QStringList all{QStringLiteral("post"), QStringLiteral("letter"), QStringLiteral("plain"),
                              QStringLiteral("review")};
        QTest::newRow("all, no search") << QStringLiteral("all") << QString() << all;
        QTest::newRow("favourites skip absent flags") << QStringLiteral("favorites") << QString()
                                                      << QStringList{QStringLiteral("post")};
        QTest::newRow("work skips recipes without category") << QStringLiteral("work") << QString()
                                                             << QStringList{QStringLiteral("letter")};
        QTest::newRow("study: none") << QStringLiteral("study") << QString() << QStringList{};
        QTest::newRow("capitals find a hint in small letters")
            << QStringLiteral("all") << QStringLiteral("ПОГОДА") << QStringList{QStringLiteral("letter")};
        QTest::newRow("matches the prompt") << QStringLiteral("all") << QStringLiteral("python")
                                            << QStringList{QStringLiteral("review")};
        QTest::newRow("ё is not е") << QStringLiteral("all") << QStringLiteral("ёлка") << QStringList{};
        QTest::newRow("search and category together") << QStringLiteral("code") << QStringLiteral("пост")
                                                      << QStringList{};
        QTest::newRow("query is not trimmed") << QStringLiteral("all") << QStringLiteral(" деловое ")
                                              << QStringList{};
        QTest::newRow("title and hint are joined by a space")
            << QStringLiteral("all") << QStringLiteral("канала тексты") << QStringList{QStringLiteral("post")};
    }
    void recipeFilter()
    {
        QFETCH(QString, category);
        QFETCH(QString, query);
        QFETCH(QStringList, ids);
        QStringList got;
        for (const VexaPromptRecipe &r : filterRecipes(library(), category, query))
            got.append(r.id);
        QCOMPARE(got, ids);
    }

    void recipeTexts_data()
    {
        QTest::addColumn<std::optional<bool>>("favorite");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("copied");
        QTest::newRow("favourite") << std::optional<bool>(true) << QStringLiteral("Составь план.")
                                   << QStringLiteral("⭐ Заголовок")
                                   << QStringLiteral("Составь план.\n\nВводные пользователя:\n");
        QTest::newRow("absent flag") << std::optional<bool>() << QStringLiteral("Сделай <b>это</b>")
                                     << QStringLiteral("Заголовок")
                                     << QStringLiteral("Сделай <b>это</b>\n\nВводные пользователя:\n");
        QTest::newRow("not favourite, prompt ends with a break")
            << std::optional<bool>(false) << QStringLiteral("Текст\n") << QStringLiteral("Заголовок")
            << QStringLiteral("Текст\n\n\nВводные пользователя:\n");
    }
    void recipeTexts()
    {
        QFETCH(std::optional<bool>, favorite);
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        QFETCH(QString, copied);
        const VexaPromptRecipe r = recipe(QStringLiteral("x"), QStringLiteral("Заголовок"), QString(),
                                          std::nullopt, favorite, prompt);
        QCOMPARE(recipeTitle(r), title);
        QCOMPARE(recipeCopyText(r), copied);
    }

    void pager_data()
    {
        QTest::addColumn<qint64>("page");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<std::optional<bool>>("loadedHasMore"); // nothing: no page loaded yet
        QTest::addColumn<bool>("back");
        QTest::addColumn<bool>("forward");
        QTest::newRow("before the first load") << qint64(0) << false << std::optional<bool>() << false << false;
        QTest::newRow("first page, more") << qint64(0) << false << std::optional<bool>(true) << false << true;
        QTest::newRow("first page, last") << qint64(0) << false << std::optional<bool>(false) << false << false;
        QTest::newRow("third page, more") << qint64(2) << false << std::optional<bool>(true) << true << true;
        QTest::newRow("third page, busy") << qint64(2) << true << std::optional<bool>(true) << false << false;
        QTest::newRow("last page") << qint64(4) << false << std::optional<bool>(false) << true << false;
    }
    void pager()
    {
        QFETCH(qint64, page);
        QFETCH(bool, busy);
        QFETCH(std::optional<bool>, loadedHasMore);
        QFETCH(bool, back);
        QFETCH(bool, forward);
        std::optional<VexaSavedResponse> loaded;
        if (loadedHasMore) {
            loaded.emplace();
            loaded->hasMore = *loadedHasMore;
        }
        QCOMPARE(canPageBack(page, busy), back);
        QCOMPARE(canPageForward(loaded, busy), forward);
    }

    void characterButtons_data()
    {
        QTest::addColumn<VexaCharacter>("c");
        QTest::addColumn<int>("button");
        const auto none = int(CharacterButton::None), open = int(CharacterButton::Open);
        const QString bot = QStringLiteral("https://t.me/VexaAIBot?start=character_mira");
        QTest::newRow("unlocked, active") << character(true, true, std::nullopt) << int(CharacterButton::Active);
        QTest::newRow("unlocked, not active") << character(true, false, std::nullopt) << int(CharacterButton::Enable);
        QTest::newRow("unlocked, active absent") << character(true, std::nullopt, bot) << int(CharacterButton::Enable);
        QTest::newRow("unlocked absent, https link") << character(std::nullopt, std::nullopt, bot) << open;
        QTest::newRow("locked, https link") << character(false, false, bot) << open;
        QTest::newRow("locked, no link") << character(false, false, std::nullopt) << none;
        QTest::newRow("locked, unparsable link") << character(false, false, QStringLiteral("https://exa mple.com/%zz")) << none;
        QTest::newRow("locked, plain http link") << character(false, false, QStringLiteral("http://t.me/VexaAIBot")) << none;
        QTest::newRow("locked, script link") << character(false, false, QStringLiteral("javascript:alert(1)")) << none;
        QTest::newRow("locked, local file") << character(false, false, QStringLiteral("file:///etc/passwd")) << none;
        QTest::newRow("locked, app scheme") << character(false, false, QStringLiteral("tg://resolve?domain=x")) << none;
        QTest::newRow("locked, https without host") << character(false, false, QStringLiteral("https:///path")) << none;
        QTest::newRow("locked, empty link") << character(false, false, QString()) << none;
    }
    void characterButtons()
    {
        QFETCH(VexaCharacter, c);
        QFETCH(int, button);
        QCOMPARE(int(characterButton(c)), button);
        if (button == int(CharacterButton::Open))
            QVERIFY(purchaseLink(c).has_value());
        if (button == int(CharacterButton::None))
            QVERIFY(!purchaseLink(c).has_value());
    }

    void portraits_data()
    {
        QTest::addColumn<std::optional<QString>>("given");
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("source");
        const QString local = QStringLiteral("http://127.0.0.1:8080");
        QTest::newRow("absent") << std::optional<QString>() << local << QString();
        QTest::newRow("blank") << std::optional<QString>(QStringLiteral("  ")) << local << QString();
        QTest::newRow("relative to the service")
            << std::optional<QString>(QStringLiteral("/api/characters/mira/portrait")) << local
            << QStringLiteral("http://127.0.0.1:8080/api/characters/mira/portrait");
        QTest::newRow("the service's own origin")
            << std::optional<QString>(QStringLiteral("http://127.0.0.1:8080/p/1.png")) << local
            << QStringLiteral("http://127.0.0.1:8080/p/1.png");
        QTest::newRow("another port over http")
            << std::optional<QString>(QStringLiteral("http://127.0.0.1:9090/p/1.png")) << local << QString();
        QTest::newRow("plain http elsewhere")
            << std::optional<QString>(QStringLiteral("http://cdn.example.com/p.png")) << local << QString();
        QTest::newRow("https elsewhere")
            << std::optional<QString>(QStringLiteral("https://cdn.example.com/p.png")) << local
            << QStringLiteral("https://cdn.example.com/p.png");
        QTest::newRow("local file") << std::optional<QString>(QStringLiteral("file:///home/u/.ssh/id")) << local
                                    << QString();
        QTest::newRow("embedded picture") << std::optional<QString>(QStringLiteral("data:image/png;base64,iVBO"))
                                          << local << QStringLiteral("data:image/png;base64,iVBO");
        QTest::newRow("embedded page") << std::optional<QString>(QStringLiteral("data:text/html,<b>x</b>"))
                                       << local << QString();
        QTest::newRow("qrc resource") << std::optional<QString>(QStringLiteral("qrc:/qt/qml/x.png")) << local
                                      << QString();
        QTest::newRow("relative with a refused origin")
            << std::optional<QString>(QStringLiteral("/p.png")) << QString() << QString();
    }
    void portraits()
    {
        QFETCH(std::optional<QString>, given);
        QFETCH(QString, origin);
        QFETCH(QString, source);
        QCOMPARE(portraitSource(given, QUrl(origin)).toString(QUrl::FullyEncoded), source);
    }

    void chosenActions_data()
    {
        QTest::addColumn<QList<VexaAction>>("actions");
        QTest::addColumn<qint64>("selected");
        QTest::addColumn<qint64>("chosen"); // -1: none
        const QList<VexaAction> three{action(4, QStringLiteral("Перескажи.")), action(7, std::nullopt),
                                      action(9, QStringLiteral("Исправь."))};
        QTest::newRow("the selected one") << three << qint64(9) << qint64(9);
        QTest::newRow("a selection that went away") << three << qint64(5) << qint64(4);
        QTest::newRow("nothing selected yet") << three << qint64(0) << qint64(4);
        QTest::newRow("no actions") << QList<VexaAction>() << qint64(4) << qint64(-1);
    }
    void chosenActions()
    {
        QFETCH(QList<VexaAction>, actions);
        QFETCH(qint64, selected);
        QFETCH(qint64, chosen);
        const auto got = chosenAction(actions, selected);
        QCOMPARE(got ? got->id : -1, chosen);
    }

    void answerFallbacks_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("action");
        const QString noAnswer = QStringLiteral("Ответ не получен.");
        const QString noResult = QStringLiteral("Результат не получен.");
        QTest::newRow("absent") << std::optional<QString>() << noAnswer << noResult;
        QTest::newRow("empty") << std::optional<QString>(QString()) << noAnswer << noResult;
        QTest::newRow("white space") << std::optional<QString>(QStringLiteral(" \n")) << noAnswer << noResult;
        QTest::newRow("text") << std::optional<QString>(QStringLiteral("<i>Готово</i>"))
                              << QStringLiteral("<i>Готово</i>") << QStringLiteral("<i>Готово</i>");
    }
    void answerFallbacks()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, search);
        QFETCH(QString, action);
        VexaResponse reply;
        reply.ok = true;
        reply.answer = answer;
        QCOMPARE(searchAnswerText(reply), search);
        QCOMPARE(actionAnswerText(reply), action);
    }
};

QTEST_GUILESS_MAIN(ContentRulesTest)
#include "tst_contentrules.moc"
