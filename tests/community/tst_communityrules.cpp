// The section's display and input rules, row by row: names, authors and anonymity, where
// membership comes from, the three-character title rule, locked topics and request paths.

#include "communityrules.h"
#include "decode.h"

#include <QtTest>

using namespace vexa;

namespace {

template <typename T>
T decoded(const QByteArray &json)
{
    auto result = records::decodeJson<T>(json);
    if (!result)
        qFatal("test data does not decode: %s", json.constData());
    return *result;
}

} // namespace

class CommunityRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupName_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title wins") << QByteArray(R"({"id":1,"title":"Клуб","name":"club"})")
                                    << "Клуб";
        QTest::newRow("name without title") << QByteArray(R"({"id":1,"name":"club"})") << "club";
        QTest::newRow("null title") << QByteArray(R"({"id":1,"title":null,"name":"club"})")
                                    << "club";
        QTest::newRow("empty title falls to name")
            << QByteArray(R"({"id":1,"title":"","name":"club"})") << "club";
        QTest::newRow("neither") << QByteArray(R"({"id":1})") << "Сообщество";
        QTest::newRow("markup stays text")
            << QByteArray(R"({"id":1,"title":"<b>Жирный</b>"})") << "<b>Жирный</b>";
    }
    void groupName()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QCOMPARE(community::groupName(decoded<VexaCommunity>(json)), expected);
    }

    void postAuthor_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("anonymous");
        QTest::newRow("flag 1 hides the user name")
            << QByteArray(R"({"id":1,"content":"x","is_anonymous":1,"username":"ivan"})")
            << "Анонимно" << true;
        QTest::newRow("flag 0, nothing known")
            << QByteArray(R"({"id":1,"content":"x","is_anonymous":0})") << "Участник" << false;
        QTest::newRow("flag 2 is not anonymous")
            << QByteArray(R"({"id":1,"content":"x","is_anonymous":2,"username":"ivan"})")
            << "@ivan" << false;
        QTest::newRow("no flag, user name")
            << QByteArray(R"({"id":1,"content":"x","username":"ivan","first_name":"Иван"})")
            << "@ivan" << false;
        QTest::newRow("first name only")
            << QByteArray(R"({"id":1,"content":"x","first_name":"Иван"})") << "Иван" << false;
        QTest::newRow("null flag")
            << QByteArray(R"({"id":1,"content":"x","is_anonymous":null})") << "Участник" << false;
        QTest::newRow("negative flag")
            << QByteArray(R"({"id":1,"content":"x","is_anonymous":-1,"first_name":"Иван"})")
            << "Иван" << false;
    }
    void postAuthor()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QFETCH(bool, anonymous);
        const auto post = decoded<VexaCommunityPost>(json);
        QCOMPARE(community::postAuthor(post), expected);
        QCOMPARE(community::isAnonymous(post), anonymous);
    }

    void forumAuthorAndLikes()
    {
        QCOMPARE(community::forumAuthor(decoded<VexaForumPost>(R"({"id":1,"body":"x"})")),
                 QStringLiteral("Пользователь"));
        QCOMPARE(community::forumAuthor(
                     decoded<VexaForumPost>(R"({"id":1,"body":"x","author_name":"Оля"})")),
                 QStringLiteral("Оля"));
        QCOMPARE(community::likesText(decoded<VexaCommunityPost>(R"({"id":1,"content":"x"})")),
                 QStringLiteral("♡ 0"));
    }

    // Accessible names read as sentences: one period between parts, none added after a part
    // that brings its own punctuation, and the date of a post said with it.
    void spokenNames_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("group: description ends with a period")
            << QByteArray(R"({"id":1,"title":"Клуб","description":"Обо всём.","members_count":3})")
            << "Клуб. Обо всём. Участников: 3";
        QTest::newRow("group: description without one")
            << QByteArray(R"({"id":1,"title":"Клуб","description":"Обо всём","members_count":3})")
            << "Клуб. Обо всём. Участников: 3";
        QTest::newRow("group: question, ellipsis, exclamation in quotes")
            << QByteArray(R"({"id":1,"title":"Кто здесь?","description":"Пишите «сюда!»"})")
            << "Кто здесь? Пишите «сюда!» Участников: 0";
        QTest::newRow("group: ellipsis and trailing space")
            << QByteArray(R"({"id":1,"name":"Клуб…","description":"Скоро начнём.  "})")
            << "Клуб… Скоро начнём. Участников: 0";
        QTest::newRow("group: emoji and a bracket take a period")
            << QByteArray(R"j({"id":1,"title":"Книги 📚","description":"(по субботам)"})j")
            << "Книги 📚. (по субботам). Участников: 0";
        QTest::newRow("group: no description, blank one")
            << QByteArray(R"({"id":1,"title":"Клуб","description":"  "})")
            << "Клуб. Участников: 0";
        QTest::newRow("post: text with a period, date, likes")
            << QByteArray(R"({"id":1,"content":"Привет.","first_name":"Вера","total_likes":2,"created_at_fmt":"1 дек. 2026, 19:30"})")
            << "Вера: Привет. 1 дек. 2026, 19:30. ♡ 2";
        QTest::newRow("post: no date")
            << QByteArray(R"({"id":1,"content":"Привет 🙂","is_anonymous":1})")
            << "Анонимно: Привет 🙂. ♡ 0";
        QTest::newRow("forum post: date")
            << QByteArray(R"({"id":1,"body":"Нашёл!","author_name":"Андрей","created_at_fmt":"6 дек. 2026, 20:05"})")
            << "Андрей: Нашёл! 6 дек. 2026, 20:05";
    }
    void spokenNames()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        const QString tag = QString::fromUtf8(QTest::currentDataTag());
        if (tag.startsWith(QStringLiteral("group")))
            QCOMPARE(community::groupRowSpoken(decoded<VexaCommunity>(json)), expected);
        else if (tag.startsWith(QStringLiteral("post")))
            QCOMPARE(community::postSpoken(decoded<VexaCommunityPost>(json)), expected);
        else
            QCOMPARE(community::forumPostSpoken(decoded<VexaForumPost>(json)), expected);
    }

    // The tapped row's flag is never trusted; the loaded detail decides, and its description
    // and member count win over the row's.
    void membershipAndHeader_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("detail"); // empty: not loaded
        QTest::addColumn<bool>("member");
        QTest::addColumn<QString>("description");
        QTest::addColumn<qint64>("members");
        QTest::newRow("row says member, nothing loaded")
            << QByteArray(R"({"id":5,"is_member":true,"description":"из списка","members_count":3})")
            << QByteArray() << false << "из списка" << qint64(3);
        QTest::newRow("row says member, detail says no")
            << QByteArray(R"({"id":5,"is_member":true})")
            << QByteArray(R"({"id":5,"is_member":false,"members_count":8})") << false << ""
            << qint64(8);
        QTest::newRow("row says no, detail says member")
            << QByteArray(R"({"id":5,"is_member":false,"description":"старое"})")
            << QByteArray(R"({"id":5,"is_member":true,"description":"новое"})") << true
            << "новое" << qint64(0);
        QTest::newRow("detail without flag")
            << QByteArray(R"({"id":5,"members_count":4})") << QByteArray(R"({"id":5})") << false
            << "" << qint64(4);
    }
    void membershipAndHeader()
    {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, detail);
        QFETCH(bool, member);
        QFETCH(QString, description);
        QFETCH(qint64, members);
        const auto tapped = decoded<VexaCommunity>(row);
        std::optional<VexaCommunity> loaded;
        if (!detail.isEmpty())
            loaded = decoded<VexaCommunity>(detail);
        QCOMPARE(community::isMember(loaded), member);
        QCOMPARE(community::groupDescription(loaded, tapped), description);
        QCOMPARE(community::groupMembers(loaded, tapped), members);
    }

    void topicTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("two letters and spaces") << "  аб   " << false;
        QTest::newRow("two letters and tabs") << "\tаб\t\t" << false;
        QTest::newRow("no-break spaces count as spaces") << "\u00a0аб\u00a0" << false;
        QTest::newRow("spaces between count") << "а б" << true;
        QTest::newRow("three letters") << "абв" << true;
        QTest::newRow("three letters in spaces") << "  абв  " << true;
        QTest::newRow("two letters with combining accents") << "е\u0301ё\u0308" << false;
        QTest::newRow("three with combining accent") << "е\u0301жи" << true;
        QTest::newRow("two emoji") << "👍🎉" << false;
        QTest::newRow("two family emoji (joined)") << "👨\u200d👩\u200d👧👍" << false;
        QTest::newRow("two flags") << "🇷🇺🇬🇧" << false;
        QTest::newRow("two skin-toned hands") << "👍🏽👋🏿" << false;
        QTest::newRow("three emoji") << "👍🎉🚀" << true;
        QTest::newRow("line break is not trimmed") << "\nаб" << true;
    }
    void topicTitle()
    {
        QFETCH(QString, title);
        QFETCH(bool, accepted);
        QCOMPARE(community::isAcceptableTitle(title), accepted);
    }

    void replyText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sendable");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("spaces and tabs") << " \t \u2003" << false;
        QTest::newRow("one letter") << " я " << true;
        QTest::newRow("one emoji") << "🙂" << true;
    }
    void replyText()
    {
        QFETCH(QString, text);
        QFETCH(bool, sendable);
        QCOMPARE(community::hasText(text), sendable);
    }

    void locked_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("accepts");
        QTest::newRow("locked") << QByteArray(R"({"id":1,"title":"t","is_locked":true})") << false;
        QTest::newRow("open") << QByteArray(R"({"id":1,"title":"t","is_locked":false})") << true;
        QTest::newRow("absent") << QByteArray(R"({"id":1,"title":"t"})") << true;
        QTest::newRow("null") << QByteArray(R"({"id":1,"title":"t","is_locked":null})") << true;
    }
    void locked()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, accepts);
        QCOMPARE(community::acceptsReplies(decoded<VexaForumTopic>(json)), accepts);
    }

    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("topic") << community::topicPath(42) << "/api/forum/topic/42";
        QTest::newRow("reply") << community::topicReplyPath(7) << "/api/forum/topic/7/reply";
        QTest::newRow("group") << community::groupPath(1234567890123)
                               << "/api/community/1234567890123";
        QTest::newRow("join") << community::membershipPath(3, false) << "/api/community/3/join";
        QTest::newRow("leave") << community::membershipPath(3, true) << "/api/community/3/leave";
        QTest::newRow("post") << community::groupPostPath(3) << "/api/community/3/post";
        QTest::newRow("like") << community::likePath(11) << "/api/community/post/11/like";
    }
    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(path, expected);
    }
};

QTEST_GUILESS_MAIN(CommunityRulesTest)
#include "tst_communityrules.moc"
