// The chat screen's text rules, picture addresses, and how the message model follows the
// client's list without resetting the view (answers' Markdown: tests/answer).

#include "awaittask.h"
#include "chatfixture.h"
#include "chatmodels.h"
#include "chatrules.h"

#include <QSignalSpy>
#include <QUrlQuery>

using namespace vexa;
using namespace vexa::chat;
using namespace vexa::test;

class ChatRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quote_data();
    void quote();
    void dictation_data();
    void dictation();
    void exportText_data();
    void exportText();
    void imageAddress_data();
    void imageAddress();
    void mailBody_data();
    void mailBody();
    void modelFollowsEntries_data();
    void modelFollowsEntries();
    void answersPreparedAhead_data();
    void answersPreparedAhead();
};

void ChatRulesTest::quote_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("quoted"); // what follows the lead-in, before the empty line

    const QString longAnswer = QString(300, QLatin1Char('a')) + QString(200, QLatin1Char('b'));
    QTest::newRow("500 characters: the first 160") << longAnswer << QString(160, QLatin1Char('a'));
    QTest::newRow("shorter answer whole") << "Коротко." << "Коротко.";
    QTest::newRow("exactly 160") << QString(160, QLatin1Char('x')) << QString(160, QLatin1Char('x'));
    // A family emoji is seven code points and eleven UTF-16 units, yet one character.
    const QString family = QStringLiteral("👨‍👩‍👧‍👦");
    QString emojis;
    for (int i = 0; i < 170; ++i)
        emojis += family;
    QString emojiPrefix;
    for (int i = 0; i < 160; ++i)
        emojiPrefix += family;
    QTest::newRow("emoji clusters count once") << emojis << emojiPrefix;
    // "е" + combining diaeresis stays together at the cut.
    const QString accented = QString(159, QLatin1Char('x')) + QStringLiteral("е\u0308") + "yyy";
    QTest::newRow("combining mark not split")
        << accented << QString(159, QLatin1Char('x')) + QStringLiteral("е\u0308");
    QTest::newRow("empty answer") << QString() << QString();
}

void ChatRulesTest::quote()
{
    QFETCH(QString, answer);
    QFETCH(QString, quoted);
    QCOMPARE(quotedDraft(answer),
             QStringLiteral("По поводу вашего ответа: ") + quoted + QStringLiteral("\n\n"));
}

void ChatRulesTest::dictation_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("transcript");
    QTest::addColumn<QString>("draft");

    QTest::newRow("word and word") << "Привет" << "мир" << "Привет мир";
    QTest::newRow("empty draft: transcript alone") << "" << "мир" << "мир";
    QTest::newRow("empty transcript: draft alone") << "Привет" << "" << "Привет";
    QTest::newRow("draft ending in a space still gets one")
        << "Привет " << "мир" << "Привет  мир";
    QTest::newRow("both empty") << "" << "" << "";
}

void ChatRulesTest::dictation()
{
    QFETCH(QString, prefix);
    QFETCH(QString, transcript);
    QFETCH(QString, draft);
    QCOMPARE(dictatedDraft(prefix, transcript), draft);
}

void ChatRulesTest::exportText_data()
{
    QTest::addColumn<QList<ChatEntry>>("entries");
    QTest::addColumn<QString>("text");

    QTest::newRow("question and answer")
        << QList<ChatEntry>{userEntry("Как дела?"), answerEntry("Отлично!")}
        << "Вы: Как дела?\n\nVexa: Отлично!";
    QTest::newRow("no title, dates or pictures")
        << QList<ChatEntry>{entry(ChatEntry::Role::Assistant, "Вот картинка",
                                  QStringLiteral("https://vexa.ai/i.png"))}
        << "Vexa: Вот картинка";
    QTest::newRow("line breaks inside a message stay")
        << QList<ChatEntry>{userEntry("a\nb"), userEntry("c")} << "Вы: a\nb\n\nВы: c";
    QTest::newRow("empty chat") << QList<ChatEntry>{} << "";
}

void ChatRulesTest::exportText()
{
    QFETCH(QList<ChatEntry>, entries);
    QFETCH(QString, text);
    QCOMPARE(conversationExport(entries), text);
}

void ChatRulesTest::imageAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("shown"); // "" = no picture

    QTest::newRow("https") << "https://cdn.vexa.ai/a.png" << "https://cdn.vexa.ai/a.png";
    QTest::newRow("relative to the service") << "/media/a.png" << "https://vexa.ai/media/a.png";
    QTest::newRow("data URL") << "data:image/png;base64,iVBORw0K" << "data:image/png;base64,iVBORw0K";
    QTest::newRow("surrounding blanks") << "  https://vexa.ai/a.png " << "https://vexa.ai/a.png";
    QTest::newRow("local file refused") << "file:///etc/passwd" << "";
    QTest::newRow("script refused") << "javascript:alert(1)" << "";
    QTest::newRow("not a URL") << "http://exa mple.com/a b" << "";
    QTest::newRow("blank") << "   " << "";
}

void ChatRulesTest::imageAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, shown);
    QCOMPARE(entryImageUrl(address, QUrl(QStringLiteral("https://vexa.ai"))).toString(), shown);
    QVERIFY(entryImageUrl(std::nullopt, QUrl(QStringLiteral("https://vexa.ai"))).isEmpty());
}

void ChatRulesTest::mailBody_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("body");

    QTest::newRow("dialog") << "Вы: Привет\n\nVexa: Здравствуйте & #1 = ?"
                            << "Вы: Привет\r\n\r\nVexa: Здравствуйте & #1 = ?";
    QTest::newRow("plus stays a plus") << "1+1" << "1+1";
}

void ChatRulesTest::mailBody()
{
    QFETCH(QString, text);
    QFETCH(QString, body);
    const QUrl url = mailUrl(text);
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    const QByteArray encoded = url.toEncoded();
    const QByteArray value = encoded.mid(encoded.indexOf("body=") + 5);
    QVERIFY2(!value.contains('&') && !value.contains('#') && !value.contains('+'), encoded);
    QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(value)), body);
}

void ChatRulesTest::modelFollowsEntries_data()
{
    QTest::addColumn<QStringList>("before"); // "u:text" or "a:text"
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("removed");

    QTest::newRow("optimistic entry appended") << QStringList{"u:a", "a:b"}
                                               << QStringList{"u:a", "a:b", "u:c"} << 1 << 0;
    QTest::newRow("failed send takes it out") << QStringList{"u:a", "a:b", "u:c"}
                                              << QStringList{"u:a", "a:b"} << 0 << 1;
    QTest::newRow("server copy of the same messages") << QStringList{"u:a", "a:b"}
                                                      << QStringList{"u:a", "a:b"} << 0 << 0;
    QTest::newRow("server copy after a send")
        << QStringList{"u:a", "a:b", "u:c  📎", "a:d"} << QStringList{"u:a", "a:b", "u:c", "a:d"}
        << 1 << 1;
    QTest::newRow("another chat") << QStringList{"u:a", "a:b"} << QStringList{"u:x"} << 1 << 2;
    QTest::newRow("same text, other speaker") << QStringList{"u:a"} << QStringList{"a:a"} << 1
                                              << 1;
    QTest::newRow("to empty") << QStringList{"u:a", "a:b"} << QStringList{} << 0 << 2;
}

void ChatRulesTest::modelFollowsEntries()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(int, inserted);
    QFETCH(int, removed);

    auto toEntries = [](const QStringList &list) {
        QList<ChatEntry> entries;
        for (const QString &item : list)
            entries.append(item.startsWith(QLatin1String("u:")) ? userEntry(item.mid(2))
                                                                : answerEntry(item.mid(2)));
        return entries;
    };
    ChatEntryModel model;
    model.setEntries(toEntries(before), QUrl());
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
    int insertedRows = 0;
    int removedRows = 0;
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [&](const QModelIndex &, int first, int last) { insertedRows += last - first + 1; });
    connect(&model, &QAbstractItemModel::rowsRemoved, this,
            [&](const QModelIndex &, int first, int last) { removedRows += last - first + 1; });

    const QList<ChatEntry> target = toEntries(after);
    model.setEntries(target, QUrl());

    QCOMPARE(resets.count(), 0);
    QCOMPARE(insertedRows, inserted);
    QCOMPARE(removedRows, removed);
    QCOMPARE(model.rowCount(), target.size());
    for (int i = 0; i < target.size(); ++i) {
        const QModelIndex index = model.index(i);
        QCOMPARE(model.data(index, ChatEntryModel::TextRole).toString(), target.at(i).text);
        QCOMPARE(model.data(index, ChatEntryModel::IsUserRole).toBool(),
                 target.at(i).role == ChatEntry::Role::User);
        // Rows carry the new ids, so the context menu finds the entries in the client's list.
        QCOMPARE(model.data(index, ChatEntryModel::EntryIDRole).toString(),
                 target.at(i).id.toString(QUuid::WithoutBraces));
    }
}

// Answers near the rows a list shows are parsed and coloured on the worker before they are
// asked for, so a scroll that reaches them finds their code coloured at once; the user's words
// near them are drawn ahead too; farther rows are left alone. A list that has not moved since
// it opened has only a few rows drawn ahead (each holds its pictures); once it moves, more.
void ChatRulesTest::answersPreparedAhead_data()
{
    QTest::addColumn<bool>("moved");
    QTest::addColumn<int>("reach");
    QTest::newRow("at rest") << false << int(ChatEntryModel::kPrepareAtRest);
    QTest::newRow("moved") << true << int(ChatEntryModel::kPrepareAhead);
}

void ChatRulesTest::answersPreparedAhead()
{
    QFETCH(bool, moved);
    QFETCH(int, reach);
    QString code = QStringLiteral("Вот так:\n\n```kotlin\n");
    for (int i = 0; i < 300; ++i) // past what is coloured where it is shown
        code += QStringLiteral("val value%1 = %1 // note\n").arg(i);
    code += QStringLiteral("```");
    QList<ChatEntry> entries;
    for (int i = 0; i < 60; ++i)
        entries.append(i % 2 == 0 ? userEntry(QStringLiteral("Вопрос %1").arg(i)) : answerEntry(code));
    ChatEntryModel model;
    model.setEntries(entries, QUrl());
    if (moved)
        model.listMoved();

    const int shown = 31;
    QCOMPARE(model.data(model.index(shown), ChatEntryModel::LayoutRole).toString(), QStringLiteral("blocks"));
    const int ahead = shown + reach;
    const int behind = shown - reach;
    QVERIFY(vexa::test::waitUntil([&] { return model.isPrepared(ahead) && model.isPrepared(behind); }));
    QVERIFY(!model.isPrepared(ahead + 2));
    QVERIFY(!model.isPrepared(behind - 2));
    for (int row = behind; row <= ahead; ++row) // answers and the user's words alike
        QVERIFY2(model.isPrepared(row), qPrintable(QString::number(row)));

    // Answers are the odd rows: the farthest one drawn ahead has its code coloured.
    const int farthestAnswer = ahead % 2 ? ahead : ahead - 1;
    if (farthestAnswer == shown)
        return; // none is drawn ahead
    auto *answer = model.data(model.index(farthestAnswer), ChatEntryModel::DrawnBlocksRole).value<answer::AnswerModel *>();
    QVERIFY(answer);
    QVERIFY(answer->data(answer->index(1), answer::AnswerModel::CodeHtmlRole).toString().contains(QStringLiteral("<font color=")));
}

QTEST_GUILESS_MAIN(ChatRulesTest)
#include "tst_chatrules.moc"
