// Strict decoding of the service's records, the lenient chat fields, and the stored entry form.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "validutf8.h"
#include "vexastate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

using namespace vexa;
using records::decodeJson;

namespace {

// A state fragment wrapped into a full, otherwise valid state.
QByteArray stateWith(const QByteArray &members)
{
    return "{" + members + "}";
}

template <typename T>
QString failurePath(const QByteArray &json)
{
    auto decoded = decodeJson<T>(json);
    return decoded ? QStringLiteral("<decoded>") : decoded.error().path;
}

} // namespace

class DecodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stateRules_data();
    void stateRules();
    void emptyStateHasNoFields();
    void fullStateKeepsValuesAndOrder();
    void integersAcceptOnlyIntegralNumbers_data();
    void integersAcceptOnlyIntegralNumbers();

    void envelope_data();
    void envelope();

    void replyText_data();
    void replyText();

    void sharedChat_data();
    void sharedChat();
    void chatsResponse_data();
    void chatsResponse();
    void repeatedShortStringsKeepTheirOwnText();
    void validUtf8Builds_data();
    void validUtf8Builds();
    void messageToEntry_data();
    void messageToEntry();

    void catalogReplies_data();
    void catalogReplies();

    void storedEntryRoundTrip();
    void storedEntryRejects_data();
    void storedEntryRejects();
};

void DecodingTest::stateRules_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("failurePath"); // empty: decodes

    QTest::newRow("null provider limits") << stateWith(R"("funpay_limits": null)") << QString();
    QTest::newRow("partial provider limits") << stateWith(R"("funpay_limits": {"day": 5})")
                                             << "funpay_limits.week";
    QTest::newRow("provider limits complete")
        << stateWith(R"("funpay_limits": {"day": 5, "week": 9, "used_day": 0, "used_week": 1})") << QString();
    QTest::newRow("model without availability")
        << stateWith(R"("models": [{"id":"a","title":"A","is_available":true},
                                   {"id":"b","title":"B","is_available":false},
                                   {"id":"c","title":"C"}])")
        << "models[2].is_available";
    QTest::newRow("availability as number")
        << stateWith(R"("models": [{"id":"a","title":"A","is_available":1}])") << "models[0].is_available";
    QTest::newRow("user id as string") << stateWith(R"("user": {"user_id": "42"})") << "user.user_id";
    QTest::newRow("user id as integer") << stateWith(R"("user": {"user_id": 42})") << QString();
    QTest::newRow("empty image models") << stateWith(R"("image_models": {})") << QString();
    QTest::newRow("image model title not a string") << stateWith(R"("image_models": {"a": 1})")
                                                    << "image_models.a";
    QTest::newRow("bool as 1") << stateWith(R"("can_generate_images": 1)") << "can_generate_images";
    QTest::newRow("bool as null") << stateWith(R"("can_generate_images": null)") << QString();
    QTest::newRow("bool as string") << stateWith(R"("model_locked": "true")") << "model_locked";
    QTest::newRow("memory without date") << stateWith(R"("memories": [{"id": 1, "content": "x"}])") << QString();
    QTest::newRow("memory without content") << stateWith(R"("memories": [{"id": 1}])") << "memories[0].content";
    QTest::newRow("memory content null") << stateWith(R"("memories": [{"id": 1, "content": null}])")
                                         << "memories[0].content";
    QTest::newRow("models not an array") << stateWith(R"("models": {"id": "a"})") << "models";
    QTest::newRow("nested streak wrong") << stateWith(R"("stats": {"streak": {"current_streak": 1.5}})")
                                         << "stats.streak.current_streak";
    QTest::newRow("unknown keys ignored") << stateWith(R"("surprise": [1, {"x": null}], "plan": {"title": "Pro"})")
                                          << QString();
    QTest::newRow("project id string") << stateWith(R"("projects": [{"id": "1", "name": "n"}])") << "projects[0].id";
    QTest::newRow("action title missing") << stateWith(R"("actions": [{"id": 3}])") << "actions[0].title";
    QTest::newRow("settings number") << stateWith(R"("settings": {"creativity": 5})") << "settings.creativity";
    QTest::newRow("user not an object") << stateWith(R"("user": [])") << "user";
}

void DecodingTest::stateRules()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, failurePath);
    auto decoded = decodeJson<VexaState>(json);
    if (failurePath.isEmpty()) {
        QVERIFY2(decoded, qPrintable(decoded ? QString() : decoded.error().describe()));
    } else {
        QVERIFY(!decoded);
        QCOMPARE(decoded.error().path, failurePath);
    }
}

void DecodingTest::emptyStateHasNoFields()
{
    auto state = decodeJson<VexaState>("{}");
    QVERIFY(state);
    QVERIFY(!state->user && !state->plan && !state->model && !state->models && !state->limits);
    QVERIFY(!state->funpayLimits && !state->stats && !state->canGenerateImages && !state->imageModels);
    QVERIFY(!state->imageModel && !state->imageModelLocked && !state->modelLocked && !state->imageOutputType);
    QVERIFY(!state->memories && !state->projects && !state->actions && !state->referral);
    QVERIFY(!state->dailyBonus && !state->features && !state->settings);
    QVERIFY(!state->hasUserID());
}

void DecodingTest::fullStateKeepsValuesAndOrder()
{
    const QByteArray json = R"({
        "user": {"user_id": 7, "username": "alina", "first_name": "Алина"},
        "plan": {"id": "pro", "title": "Pro", "expires_label": "до 1 мая"},
        "model": "m2",
        "models": [{"id": "m2", "title": "Второй", "is_available": true, "description": null},
                   {"id": "m1", "title": "Первый", "is_available": false, "description": "d"}],
        "limits": {"minute": -1, "day": 100, "week": 500, "used_day": 3, "bonus_requests": 2, "image_credits": 0},
        "funpay_limits": {"day": 5, "week": 9, "used_day": 1, "used_week": 2},
        "stats": {"messages": 12, "images": 1, "streak": {"current_streak": 4}},
        "can_generate_images": true,
        "image_models": {"flux": "Flux", "sd": "SD"},
        "daily_bonus": {"claimed": false, "amount": 5},
        "features": {"long_memory": true, "web_search": false},
        "settings": {"mode": "chat", "response_length": "short"}
    })";
    auto state = decodeJson<VexaState>(json);
    QVERIFY2(state, qPrintable(state ? QString() : state.error().describe()));
    QVERIFY(state->hasUserID());
    QCOMPARE(*state->user->userID, 7);
    QCOMPARE(*state->user->firstName, QStringLiteral("Алина"));
    QCOMPARE(state->models->size(), 2);
    QCOMPARE(state->models->at(0).id, QStringLiteral("m2")); // the service's order
    QVERIFY(!state->models->at(0).description);
    QCOMPARE(*state->limits->minute, -1);
    QCOMPARE(state->funpayLimits->used_week, 2);
    QCOMPARE(*state->stats->streak->currentStreak, 4);
    QCOMPARE(state->imageModels->value(QStringLiteral("flux")), QStringLiteral("Flux"));
    QVERIFY(!state->features->projects);
    QCOMPARE(*state->settings->responseLength, QStringLiteral("short"));
}

void DecodingTest::integersAcceptOnlyIntegralNumbers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("integer") << QByteArray("42") << true << qint64(42);
    QTest::newRow("integral double") << QByteArray("42.0") << true << qint64(42);
    QTest::newRow("negative") << QByteArray("-3") << true << qint64(-3);
    QTest::newRow("large exact") << QByteArray("9007199254740993") << true << qint64(9007199254740993LL);
    QTest::newRow("fraction") << QByteArray("1.5") << false << qint64(0);
    QTest::newRow("too large") << QByteArray("1e30") << false << qint64(0);
    QTest::newRow("string") << QByteArray("\"42\"") << false << qint64(0);
    QTest::newRow("bool") << QByteArray("true") << false << qint64(0);
}

void DecodingTest::integersAcceptOnlyIntegralNumbers()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, accepted);
    QFETCH(qint64, expected);
    auto state = decodeJson<VexaState>(R"({"limits": {"day": )" + value + "}}");
    QCOMPARE(bool(state), accepted);
    if (accepted)
        QCOMPARE(*state->limits->day, expected);
}

void DecodingTest::envelope_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::newRow("only ok") << QByteArray(R"({"ok": true})") << true;
    QTest::newRow("ok as string") << QByteArray(R"({"ok": "true"})") << false;
    QTest::newRow("ok missing") << QByteArray(R"({"answer": "hi"})") << false;
    QTest::newRow("bad template fails envelope")
        << QByteArray(R"({"ok": true, "templates": [{"id":"a","title":"t","category":"c","prompt":"p","kind":"k"}]})")
        << false;
    QTest::newRow("good template")
        << QByteArray(R"({"ok": true, "templates": [{"id":"a","title":"t","category":"c","prompt":"p","kind":"k","custom":false}]})")
        << true;
    QTest::newRow("bad nested state fails envelope")
        << QByteArray(R"({"ok": true, "state": {"models": [{"id": "a"}]}})") << false;
    QTest::newRow("not an object") << QByteArray(R"([{"ok": true}])") << false;
    QTest::newRow("not json") << QByteArray("<html>ok</html>") << false;
    QTest::newRow("empty body") << QByteArray("") << false;
}

void DecodingTest::envelope()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    QCOMPARE(bool(decodeJson<VexaResponse>(json)), decodes);
}

// Reply bytes are read in one pass; these rows pin the syntax it shares with Qt's parser.
void DecodingTest::replyText_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("answer"); // "<fails>" when the reply is refused
    QTest::newRow("escapes") << QByteArray(R"({"ok":true,"answer":"a\"b\\c\/d\n\t\u0041\u00e9"})")
                             << QStringLiteral("a\"b\\c/d\n\tA\u00e9");
    QTest::newRow("single-character escapes only") << QByteArray(R"({"ok":true,"answer":"\"Пр\\и\/в\nе\tт\r\b\f😀\n"})")
                                                   << QStringLiteral("\"Пр\\и/в\nе\tт\r\b\f😀\n");
    QTest::newRow("escaped key") << QByteArray(R"({"ok":true,"\u0061nswer":"x"})") << "x";
    QTest::newRow("escaped quote in a key") << QByteArray(R"({"ok":true,"a\"b":1,"answer":"x"})") << "x";
    QTest::newRow("surrogate pair") << QByteArray(R"({"ok":true,"answer":"\ud83d\ude00"})") << QStringLiteral("😀");
    QTest::newRow("raw utf-8") << QByteArray("{\"ok\":true,\"answer\":\"Привет 👋\"}") << QStringLiteral("Привет 👋");
    QTest::newRow("white space around") << QByteArray(" \r\n\t{ \"ok\" : true , \"answer\" : \"x\" }\n") << "x";
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF{\"ok\":true,\"answer\":\"x\"}") << "x";
    QTest::newRow("unknown members skipped") << QByteArray(R"({"x":[{"y":[1,2,{"z":null}]},"s",-1.5e3,true],"ok":true,"answer":"x"})") << "x";
    QTest::newRow("trailing text") << QByteArray(R"({"ok":true,"answer":"x"} x)") << "<fails>";
    QTest::newRow("two objects") << QByteArray(R"({"ok":true}{"ok":true})") << "<fails>";
    QTest::newRow("repeated key") << QByteArray(R"({"ok":true,"answer":"a","answer":"b"})") << "<fails>";
    QTest::newRow("unterminated") << QByteArray(R"({"ok":true,"answer":"x")") << "<fails>";
    QTest::newRow("trailing comma") << QByteArray(R"({"ok":true,"answer":"x",})") << "<fails>";
    QTest::newRow("invalid utf-8") << QByteArray("{\"ok\":true,\"answer\":\"\xC0\xAF\"}") << "<fails>";
    QTest::newRow("encoded surrogate") << QByteArray("{\"ok\":true,\"answer\":\"\xED\xA0\x80\"}") << "<fails>";
    QTest::newRow("short unicode escape") << QByteArray(R"({"ok":true,"answer":"\u12"})") << "<fails>";
    QTest::newRow("syntax error in skipped member") << QByteArray(R"({"ok":true,"x":[1,,2],"answer":"x"})") << "<fails>";
    QTest::newRow("leading zero") << QByteArray(R"({"ok":true,"answer":"x","n":01})") << "<fails>";
    QTest::newRow("infinite number") << QByteArray(R"({"ok":true,"answer":"x","n":1e400})") << "<fails>";
    // Corners Qt's parser reads leniently and no JSON encoder writes: refused whole.
    QTest::newRow("raw control character") << QByteArray("{\"ok\":true,\"answer\":\"a\x01b\"}") << "<fails>";
    QTest::newRow("raw control character in a key") << QByteArray("{\"ok\":true,\"a\x01\":1,\"answer\":\"x\"}") << "<fails>";
    QTest::newRow("unknown escape after simple ones") << QByteArray(R"({"ok":true,"answer":"\n\"\a"})") << "<fails>";
    QTest::newRow("unknown escape") << QByteArray(R"({"ok":true,"answer":"\a"})") << "<fails>";
    QTest::newRow("lone surrogate escape") << QByteArray(R"({"ok":true,"answer":"\ud800x"})") << "<fails>";
    // Both ways of decoding agree with Qt's parser on a mark that opens a string.
    QTest::newRow("mark opening a string") << QByteArray("{\"ok\":true,\"answer\":\"\xEF\xBB\xBF\xD0\x90\"}") << QStringLiteral("А");
    QTest::newRow("mark in a string with escapes") << QByteArray("{\"ok\":true,\"answer\":\"\xEF\xBB\xBF\\n\"}") << QStringLiteral("\uFEFF\n");
    QTest::newRow("mark opening a key") << QByteArray("{\"ok\":true,\"\xEF\xBB\xBF" "answer\":\"x\"}") << "<fails>";
    QTest::newRow("bare point number") << QByteArray(R"({"ok":true,"answer":"x","n":1.})") << "<fails>";
    QTest::newRow("bad literal in skipped member") << QByteArray(R"({"ok":true,"x":[tru],"answer":"x"})") << "<fails>";
    QTest::newRow("big integer in skipped member")
        << QByteArray(R"({"ok":true,"x":123456789012345678901234567890,"answer":"x"})") << "x";
    QTest::newRow("long mixed text")
        << QByteArray("{\"ok\":true,\"answer\":\"" + QByteArray("abc \xd0\x9f\xd1\x80\xd0\xb8 \xe4\xb8\xad\xf0\x9f\x91\x8b").repeated(9) + "\"}")
        << QString::fromUtf8(QByteArray("abc \xd0\x9f\xd1\x80\xd0\xb8 \xe4\xb8\xad\xf0\x9f\x91\x8b").repeated(9));
    // Escaped text is unescaped into a buffer of the reader's own: past its first size, and past
    // the size it keeps (a one-off buffer).
    for (const int repeats : {2000, 150000}) {
        const QByteArray piece = "\\n\\\"\xd0\x9f\xd1\x80\xd0\xb8 ";
        QTest::newRow(qPrintable(QStringLiteral("escaped text of %1 bytes").arg(piece.size() * repeats)))
            << QByteArray("{\"ok\":true,\"answer\":\"" + piece.repeated(repeats) + "\"}")
            << QStringLiteral("\n\"При ").repeated(repeats);
    }
    QByteArray deep = R"({"ok":true,"answer":"x","n":)";
    deep += QByteArray(1100, '[') + QByteArray(1100, ']') + "}";
    QTest::newRow("nesting too deep") << deep << "<fails>";
}

void DecodingTest::replyText()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, answer);
    auto reply = decodeJson<VexaResponse>(json);
    if (answer == QLatin1String("<fails>")) {
        QVERIFY(!reply);
        return;
    }
    QVERIFY2(reply, qPrintable(reply ? QString() : reply.error().describe()));
    QCOMPARE(reply->answer.value_or(QString()), answer);
}

// Both builds of the UTF-8 converter against Qt's own, over every way text can fall on the
// sixteen-byte blocks: runs of ASCII, two-byte letters with a lead in the last lane, three- and
// four-byte characters, and text that ends exactly where a block does.
void DecodingTest::validUtf8Builds_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray pieces[] = {"a", "\xd0\x96", "\xe4\xb8\xad", "\xf0\x9f\x98\x80", " "};
    for (int prefix = 0; prefix <= 17; ++prefix) {
        for (int letters : {1, 7, 8, 9, 15, 16, 17, 40}) {
            QByteArray cyrillic = QByteArray(prefix, 'x');
            for (int i = 0; i < letters; ++i)
                cyrillic += i % 5 == 4 ? QByteArray(" ") : QByteArray("\xd1\x8f");
            QTest::newRow(qPrintable(QStringLiteral("%1 ascii, %2 letters").arg(prefix).arg(letters))) << cyrillic;
        }
        QByteArray mixed = QByteArray(prefix, 'y');
        for (int i = 0; i < 60; ++i)
            mixed += pieces[(i * 7 + prefix) % 5];
        QTest::newRow(qPrintable(QStringLiteral("%1 ascii, mixed widths").arg(prefix))) << mixed;
    }
    QTest::newRow("empty") << QByteArray();
}

void DecodingTest::validUtf8Builds()
{
    QFETCH(QByteArray, text);
    const QString expected = QString::fromUtf8(text);
    const std::string_view view(text.constData(), size_t(text.size()));
    namespace detail = records::detail;
    QCOMPARE(detail::fromValidUtf8Portable(view), expected);
    if (detail::shuffleAvailable())
        QCOMPARE(detail::fromValidUtf8Shuffled(view), expected);
    QCOMPARE(records::fromValidUtf8(view), expected);
}

void DecodingTest::sharedChat_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("messages");
    const QByteArray message = R"({"role": "user", "text": "Привет"})";
    QTest::newRow("integer id") << QByteArray(R"({"id": 5, "title": "T"})") << true << "5" << "T" << 0;
    QTest::newRow("string id") << QByteArray(R"({"id": "abc", "title": "T"})") << true << "abc" << "T" << 0;
    QTest::newRow("null id") << QByteArray(R"({"id": null})") << false << "" << "" << 0;
    QTest::newRow("bool id") << QByteArray(R"({"id": true})") << false << "" << "" << 0;
    QTest::newRow("fraction id") << QByteArray(R"({"id": 1.5})") << false << "" << "" << 0;
    QTest::newRow("null title") << QByteArray(R"({"id": "a", "title": null})") << true << "a" << "Новый чат" << 0;
    QTest::newRow("no title") << QByteArray(R"({"id": "a"})") << true << "a" << "Новый чат" << 0;
    QTest::newRow("numeric title") << QByteArray(R"({"id": "a", "title": 3})") << true << "a" << "Новый чат" << 0;
    QTest::newRow("good messages") << QByteArray(R"({"id": "a", "messages": [)" + message + "," + message + "]}")
                                   << true << "a" << "Новый чат" << 2;
    QTest::newRow("one bad message empties the list")
        << QByteArray(R"({"id": "a", "messages": [)" + message + R"(, {"role": "assistant"}]})") << true << "a"
        << "Новый чат" << 0;
    QTest::newRow("messages not an array") << QByteArray(R"({"id": "a", "messages": "x"})") << true << "a"
                                           << "Новый чат" << 0;
}

void DecodingTest::sharedChat()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    auto chat = decodeJson<VexaSharedChat>(json);
    QCOMPARE(bool(chat), decodes);
    if (!decodes)
        return;
    QFETCH(QString, id);
    QFETCH(QString, title);
    QFETCH(int, messages);
    QCOMPARE(chat->id, id);
    QCOMPARE(chat->title, title);
    QCOMPARE(chat->messages.size(), messages);
}

void DecodingTest::chatsResponse_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<int>("chats");
    QTest::addColumn<QString>("active"); // "<none>" for no value
    QTest::newRow("integer active id") << QByteArray(R"({"ok": true, "chats": [{"id": 12}], "active_chat_id": 12})")
                                       << true << 1 << "12";
    QTest::newRow("fraction active id") << QByteArray(R"({"ok": true, "active_chat_id": 1.5})") << true << 0 << "<none>";
    QTest::newRow("null active id") << QByteArray(R"({"ok": true, "active_chat_id": null})") << true << 0 << "<none>";
    QTest::newRow("string active id") << QByteArray(R"({"ok": false, "active_chat_id": "x"})") << true << 0 << "x";
    QTest::newRow("no ok") << QByteArray(R"({"chats": [{"id": "a"}], "active_chat_id": "a"})") << false << 0 << "";
    QTest::newRow("one unreadable chat empties the list")
        << QByteArray(R"({"ok": true, "chats": [{"id": "a"}, {"id": null}], "active_chat_id": "a"})") << true << 0 << "a";
    QTest::newRow("chats not an array") << QByteArray(R"({"ok": true, "chats": {}})") << true << 0 << "<none>";
}

void DecodingTest::chatsResponse()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    auto reply = decodeJson<VexaChatsResponse>(json);
    QCOMPARE(bool(reply), decodes);
    if (!decodes)
        return;
    QFETCH(int, chats);
    QFETCH(QString, active);
    QCOMPARE(reply->chats.size(), chats);
    QCOMPARE(reply->activeChatID.value_or(QStringLiteral("<none>")), active);
}

// Short strings are handed out again from a small cache while a reply is read; strings that share
// a length or a cache slot (far more distinct ones here than slots) must each keep their own text.
void DecodingTest::repeatedShortStringsKeepTheirOwnText()
{
    QStringList words;
    for (int length = 1; length <= 34; ++length) {
        for (int variant = 0; variant < 12; ++variant) {
            QString ascii(length, QLatin1Char('a' + variant));
            ascii[length - 1] = QLatin1Char('z' - variant);
            words << ascii << QString(length / 2 + 1, QChar(0x0430 + variant)); // Cyrillic: 2 bytes each
        }
    }
    words << QStringLiteral("user") << QStringLiteral("usex") << QStringLiteral("😀") << QStringLiteral("a\"b");
    QJsonArray messages;
    QList<QPair<QString, QString>> expected;
    for (int i = 0; i < 3000; ++i) {
        const QString role = words.at((i * 7) % words.size());
        const QString text = words.at((i * 13 + i / 5) % words.size());
        messages.append(QJsonObject{{QStringLiteral("role"), role}, {QStringLiteral("text"), text}});
        expected.append({role, text});
    }
    const QJsonObject chat{{QStringLiteral("id"), QStringLiteral("c")}, {QStringLiteral("messages"), messages}};
    const QByteArray json = QJsonDocument(QJsonObject{{QStringLiteral("ok"), true},
                                                      {QStringLiteral("chats"), QJsonArray{chat}}})
                                .toJson(QJsonDocument::Compact);
    auto reply = decodeJson<VexaChatsResponse>(json);
    QVERIFY(reply);
    QCOMPARE(reply->chats.size(), 1);
    const QList<VexaSharedMessage> &decoded = reply->chats.first().messages;
    QCOMPARE(decoded.size(), expected.size());
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        QCOMPARE(decoded.at(i).role, expected.at(i).first);
        QCOMPARE(decoded.at(i).text, expected.at(i).second);
    }
}

void DecodingTest::messageToEntry_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("role");
    QTest::addColumn<qint64>("msecsSinceEpoch");
    QTest::addColumn<QString>("image");
    const int user = int(ChatEntry::Role::User), assistant = int(ChatEntry::Role::Assistant);
    QTest::newRow("user") << QByteArray(R"({"role":"user","text":"t","time":1500})") << user << qint64(1500) << "";
    QTest::newRow("system is assistant") << QByteArray(R"({"role":"system","text":"t"})") << assistant << qint64(0) << "";
    QTest::newRow("User is assistant") << QByteArray(R"({"role":"User","text":"t"})") << assistant << qint64(0) << "";
    QTest::newRow("time with fraction") << QByteArray(R"({"role":"assistant","text":"t","time":1733000000123.0})")
                                        << assistant << qint64(1733000000123) << "";
    QTest::newRow("image") << QByteArray(R"({"role":"assistant","text":"t","image_url":"https://x/y.png"})")
                           << assistant << qint64(0) << "https://x/y.png";
}

void DecodingTest::messageToEntry()
{
    QFETCH(QByteArray, json);
    QFETCH(int, role);
    QFETCH(qint64, msecsSinceEpoch);
    QFETCH(QString, image);
    auto message = decodeJson<VexaSharedMessage>(json);
    QVERIFY(message);
    const ChatEntry a = message->toEntry();
    const ChatEntry b = message->toEntry();
    QCOMPARE(int(a.role), role);
    QCOMPARE(a.createdAt.toMSecsSinceEpoch(), msecsSinceEpoch);
    QCOMPARE(a.imageURL.value_or(QString()), image);
    QCOMPARE(a.text, QStringLiteral("t"));
    QVERIFY(a.id != b.id); // a fresh identity each conversion
}

void DecodingTest::catalogReplies_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    const QByteArray okOnly = R"({"ok": true})";
    QTest::newRow("plans ok only") << "plans" << okOnly << true;
    QTest::newRow("characters ok only") << "characters" << okOnly << true;
    QTest::newRow("communities ok only") << "communities" << okOnly << true;
    QTest::newRow("forum ok only") << "forum" << okOnly << true;
    QTest::newRow("recipes ok only") << "recipes" << okOnly << false;
    QTest::newRow("saved ok only") << "saved" << okOnly << false;
    QTest::newRow("saved without has_more")
        << "saved" << QByteArray(R"({"ok":true,"answers":[{"id":1,"title":"t","content":"c"}],"used":1,"capacity":50})")
        << false;
    QTest::newRow("saved complete")
        << "saved" << QByteArray(R"({"ok":true,"answers":[{"id":1,"title":"t","content":"c"}],"used":1,"capacity":50,"has_more":false})")
        << true;
    QTest::newRow("anonymous as bool") << "community" << QByteArray(R"({"ok":true,"posts":[{"id":1,"content":"c","is_anonymous":true}]})") << false;
    QTest::newRow("anonymous as int") << "community" << QByteArray(R"({"ok":true,"posts":[{"id":1,"content":"c","is_anonymous":1}]})") << true;
    QTest::newRow("topic with updated_at only")
        << "topic" << QByteArray(R"({"ok":true,"topic":{"id":1,"title":"t","updated_at":"вчера"}})") << true;
    QTest::newRow("plan feature not a string")
        << "plans" << QByteArray(R"({"ok":true,"plans":[{"id":"p","title":"P","features":["a",2]}]})") << false;
    QTest::newRow("character without name") << "characters" << QByteArray(R"({"ok":true,"characters":[{"id":"c"}]})") << false;
    QTest::newRow("voice recommendation") << "voice" << QByteArray(R"({"model":"m","title":"T","reason":"r"})") << true;
    QTest::newRow("voice recommendation partial") << "voice" << QByteArray(R"({"model":"m","title":"T"})") << false;
    QTest::newRow("recipe without hint")
        << "recipes" << QByteArray(R"({"ok":true,"recipes":[{"id":"r","title":"t","prompt":"p"}]})") << false;
    QTest::newRow("forum post body missing")
        << "topic" << QByteArray(R"({"ok":true,"posts":[{"id":1,"author_name":"a"}]})") << false;
}

void DecodingTest::catalogReplies()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    bool result = false;
    if (type == QLatin1String("plans"))
        result = bool(decodeJson<PlansResponse>(json));
    else if (type == QLatin1String("characters"))
        result = bool(decodeJson<CharactersResponse>(json));
    else if (type == QLatin1String("communities"))
        result = bool(decodeJson<CommunitiesResponse>(json));
    else if (type == QLatin1String("community"))
        result = bool(decodeJson<CommunityDetailResponse>(json));
    else if (type == QLatin1String("forum"))
        result = bool(decodeJson<ForumListResponse>(json));
    else if (type == QLatin1String("topic")) {
        auto topic = decodeJson<ForumTopicResponse>(json);
        result = bool(topic);
        if (topic && topic->topic)
            QVERIFY(!topic->topic->updatedAt); // only the formatted key is read
    } else if (type == QLatin1String("recipes"))
        result = bool(decodeJson<VexaRecipesResponse>(json));
    else if (type == QLatin1String("saved"))
        result = bool(decodeJson<VexaSavedResponse>(json));
    else if (type == QLatin1String("voice"))
        result = bool(decodeJson<VexaVoiceRecommendation>(json));
    else
        QFAIL("unknown type in test row");
    QCOMPARE(result, decodes);
}

void DecodingTest::storedEntryRoundTrip()
{
    ChatEntry entry = ChatEntry::make(ChatEntry::Role::Assistant, QStringLiteral("Ответ\n«цитата» 🙂"));
    entry.createdAt = QDateTime(QDate(2024, 5, 1), QTime(12, 30, 15, 250), QTimeZone::utc());
    QJsonObject object = encodeChatEntry(entry);
    QVERIFY(!object.contains(QLatin1String("imageURL")));
    const QString id = object.value(QLatin1String("id")).toString();
    QCOMPARE(id.size(), 36);
    QCOMPARE(id, id.toUpper());
    QCOMPARE(object.value(QLatin1String("role")).toString(), QStringLiteral("assistant"));
    // 2024-05-01T12:30:15.25Z is 736259415.25 s after 2001-01-01T00:00:00Z.
    QCOMPARE(object.value(QLatin1String("createdAt")).toDouble(), 736259415.25);

    auto back = decodeChatEntry(object);
    QVERIFY(back);
    QCOMPARE(back->id, entry.id);
    QCOMPARE(back->text, entry.text);
    QCOMPARE(back->createdAt, entry.createdAt);
    QVERIFY(!back->imageURL);

    entry.imageURL = QStringLiteral("data:image/png;base64,AAAA");
    auto withImage = decodeChatEntry(encodeChatEntry(entry));
    QVERIFY(withImage);
    QCOMPARE(*withImage->imageURL, *entry.imageURL);
}

void DecodingTest::storedEntryRejects_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    const QByteArray id = R"("id":"6F9619FF-8B86-D011-B42D-00C04FC964FF")";
    QTest::newRow("valid") << QByteArray("{" + id + R"(,"role":"user","text":"t","createdAt":1})") << true;
    QTest::newRow("lower-case id") << QByteArray(R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","role":"user","text":"t","createdAt":1})") << true;
    QTest::newRow("null image") << QByteArray("{" + id + R"(,"role":"user","text":"t","createdAt":1,"imageURL":null})") << true;
    QTest::newRow("unknown role") << QByteArray("{" + id + R"(,"role":"system","text":"t","createdAt":1})") << false;
    QTest::newRow("braced id") << QByteArray(R"({"id":"{6F9619FF-8B86-D011-B42D-00C04FC964FF}","role":"user","text":"t","createdAt":1})") << false;
    QTest::newRow("not a uuid") << QByteArray(R"({"id":"hello","role":"user","text":"t","createdAt":1})") << false;
    QTest::newRow("date as string") << QByteArray("{" + id + R"(,"role":"user","text":"t","createdAt":"1"})") << false;
    QTest::newRow("text missing") << QByteArray("{" + id + R"(,"role":"user","createdAt":1})") << false;
}

void DecodingTest::storedEntryRejects()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    QCOMPARE(bool(decodeChatEntry(object)), decodes);
}

QTEST_GUILESS_MAIN(DecodingTest)
#include "tst_decoding.moc"
