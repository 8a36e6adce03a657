// The chat screen's text rules, the Markdown cut of answers, picture addresses, and how the
// message model follows the client's list without resetting the view.

#include "chatfixture.h"
#include "chatmodels.h"
#include "chatrules.h"
#include "markdownblocks.h"
#include "markdowntext.h"

#include <QSignalSpy>
#include <QUrlQuery>

using namespace vexa;
using namespace vexa::chat;
using namespace vexa::test;

using Blocks = QList<MarkdownBlock>;
Q_DECLARE_METATYPE(Blocks)

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
    void markdown_data();
    void markdown();
    void prose_data();
    void prose();
    void answerWithCode();
    void answerKeepsLines_data();
    void answerKeepsLines();
    void imageAddress_data();
    void imageAddress();
    void mailBody_data();
    void mailBody();
    void modelFollowsEntries_data();
    void modelFollowsEntries();
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

void ChatRulesTest::markdown_data()
{
    using K = MarkdownBlock::Kind;
    QTest::addColumn<QString>("text");
    QTest::addColumn<Blocks>("blocks");

    QTest::newRow("prose only") << "**Да**, конечно.\n\n- один\n- два"
                                << Blocks{{K::Prose, "**Да**, конечно.\n\n- один\n- два", ""}};
    QTest::newRow("code with language between prose")
        << "Вот функция:\n\n```python\ndef f():\n    return 1\n```\n\nГотово."
        << Blocks{{K::Prose, "Вот функция:", ""},
                  {K::Code, "def f():\n    return 1", "python"},
                  {K::Prose, "Готово.", ""}};
    QTest::newRow("tildes, longer closing fence, CRLF")
        << "~~~\r\nx = 1\r\n~~~~~\r\n" << Blocks{{K::Code, "x = 1", ""}};
    QTest::newRow("backticks inside a tilde block stay code")
        << "~~~sh\n```\necho\n~~~" << Blocks{{K::Code, "```\necho", "sh"}};
    QTest::newRow("unclosed fence runs to the end")
        << "Начало\n```js\nlet a;\nlet b;" << Blocks{{K::Prose, "Начало", ""},
                                                    {K::Code, "let a;\nlet b;", "js"}};
    QTest::newRow("inline triple backticks are not a fence")
        << "Используйте ```code``` в тексте" << Blocks{{K::Prose, "Используйте ```code``` в тексте", ""}};
    QTest::newRow("four spaces in is not a fence")
        << "    ```\n    x" << Blocks{{K::Prose, "    ```\n    x", ""}};
    QTest::newRow("blank lines in code kept")
        << "```\na\n\nb\n```" << Blocks{{K::Code, "a\n\nb", ""}};
    QTest::newRow("empty answer") << "" << Blocks{};
}

void ChatRulesTest::markdown()
{
    QFETCH(QString, text);
    QFETCH(Blocks, blocks);
    const Blocks actual = splitMarkdown(text);
    if (actual != blocks) {
        for (const auto &b : actual)
            qWarning() << int(b.kind) << b.text << b.language;
    }
    QCOMPARE(actual, blocks);
}

void ChatRulesTest::prose_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("plain");

    QTest::newRow("bold and italic") << "**Да**, *конечно* и ***очень***"
                                     << "<b>Да</b>, <i>конечно</i> и <b><i>очень</i></b>"
                                     << "Да, конечно и очень";
    QTest::newRow("unpaired stars stay") << "2 * 3 = 6, a** b" << "2 * 3 = 6, a** b"
                                         << "2 * 3 = 6, a** b";
    QTest::newRow("snake_case is not italic") << "use snake_case_name here"
                                              << "use snake_case_name here"
                                              << "use snake_case_name here";
    QTest::newRow("html is escaped") << "<b>x</b> & \"y\"" << "&lt;b&gt;x&lt;/b&gt; &amp; &quot;y&quot;"
                                     << "<b>x</b> & \"y\"";
    QTest::newRow("inline code is literal")
        << "Вызовите `f(**x**)`" << "Вызовите <font color=\"#9ecbff\">f(**x**)</font>"
        << "Вызовите f(**x**)";
    QTest::newRow("web link") << "См. [документацию](https://vexa.ai/docs)"
                              << "См. <a href=\"https://vexa.ai/docs\"><u><font color=\"#7cc4ff\">документацию</font></u></a>"
                              << "См. документацию";
    QTest::newRow("script link keeps only its text")
        << "[нажми](javascript:alert(1))" << "нажми" << "нажми";
    QTest::newRow("single line break shows, blank line a paragraph")
        << "Первая строка\nвторая\n\nНовый абзац" << "Первая строка<br>вторая<br><br>Новый абзац"
        << "Первая строка\nвторая\n\nНовый абзац";
    QTest::newRow("every line of a poem")
        << "Мороз и солнце;\nдень чудесный!\nЕщё ты дремлешь,\nдруг прелестный"
        << "Мороз и солнце;<br>день чудесный!<br>Ещё ты дремлешь,<br>друг прелестный"
        << "Мороз и солнце;\nдень чудесный!\nЕщё ты дремлешь,\nдруг прелестный";
    QTest::newRow("address with Windows line ends")
        << "г. Москва,\r\nул. Тверская, 1\r\n" << "г. Москва,<br>ул. Тверская, 1"
        << "г. Москва,\nул. Тверская, 1";
    QTest::newRow("hard break then a line: one break")
        << "раз  \nдва\\\nтри" << "раз<br>два<br>три" << "раз\nдва\nтри";
    QTest::newRow("emphasis across a line break still pairs")
        << "**жирный\nтекст**" << "<b>жирный<br>текст</b>" << "жирный\nтекст";
    QTest::newRow("continuation line of a list item")
        << "- шаг один\n  подробнее" << "•&nbsp;шаг один<br>&nbsp;&nbsp;&nbsp;&nbsp;подробнее"
        << "• шаг один\n    подробнее";
    QTest::newRow("hard break") << "Строка  \nдругая" << "Строка<br>другая" << "Строка\nдругая";
    QTest::newRow("bullets and numbers")
        << "Список:\n- один\n  - вложенный\n2. два" << "Список:<br><br>•&nbsp;один<br>&nbsp;&nbsp;&nbsp;&nbsp;◦&nbsp;вложенный<br>2.&nbsp;два"
        << "Список:\n\n• один\n    ◦ вложенный\n2. два";
    QTest::newRow("heading") << "## План\nТекст" << "<b><font size=\"+1\">План</font></b><br><br>Текст"
                             << "План\n\nТекст";
    QTest::newRow("setext heading") << "Итоги\n=====" << "<b><font size=\"+2\">Итоги</font></b>"
                                    << "Итоги";
    QTest::newRow("quote") << "> цитата" << "<font color=\"#b8bccc\">▍&nbsp;<i>цитата</i></font>"
                           << "цитата";
    QTest::newRow("table: bold header, rule dropped")
        << "| A | B |\n|---|:-:|\n| 1 | 2 |"
        << "<b>A&nbsp;&nbsp;<font color=\"#b8bccc\">│</font>&nbsp;&nbsp;B</b><br>1&nbsp;&nbsp;<font color=\"#b8bccc\">│</font>&nbsp;&nbsp;2"
        << "A │ B\n1 │ 2";
    QTest::newRow("strikethrough") << "~~было~~ стало" << "<s>было</s> стало" << "было стало";
    QTest::newRow("escaped star") << "\\*не курсив\\*" << "*не курсив*" << "*не курсив*";
}

void ChatRulesTest::prose()
{
    QFETCH(QString, markdown);
    QFETCH(QString, html);
    QFETCH(QString, plain);
    const ProseText text = renderProse(markdown);
    QCOMPARE(text.html, html);
    QCOMPARE(text.plain, plain);
}

void ChatRulesTest::answerWithCode()
{
    const AnswerText answer = renderAnswer(
        QStringLiteral("Смотрите:\n\n```py\nif a < b:\n\treturn 1\n```\n\nИ ещё:\n\n```\nx\n```"));
    // Styled text: code in <pre> (spaces and breaks kept as they are), a copy link per block,
    // the last block left open so no empty line trails it.
    QCOMPARE(answer.html,
             QStringLiteral("Смотрите:<br><br><font color=\"#b8bccc\" size=\"2\">py&nbsp;&nbsp;</font>"
                            "<a href=\"#copy-0\"><font color=\"#7cc4ff\" size=\"2\">Копировать код</font></a>"
                            "<pre><font color=\"#d6deeb\">if a &lt; b:\n    return 1</font></pre>"
                            "<br>И ещё:<br><br>"
                            "<a href=\"#copy-1\"><font color=\"#7cc4ff\" size=\"2\">Копировать код</font></a>"
                            "<pre><font color=\"#d6deeb\">x</font>"));
    // Rich text for selecting: the same lines written out with unbreakable spaces.
    QVERIFY2(answer.editHtml.contains(QStringLiteral(
                 "<br><font face=\"Courier New,courier\" color=\"#d6deeb\">if&nbsp;a&nbsp;&lt;&nbsp;b:<br>"
                 "&nbsp;&nbsp;&nbsp;&nbsp;return&nbsp;1</font><br><br>И ещё:")),
             qPrintable(answer.editHtml));
    QVERIFY(!answer.editHtml.contains(QLatin1String("<pre>")));
    QCOMPARE(answer.spoken, QStringLiteral("Смотрите:\n\nif a < b:\n\treturn 1\n\nИ ещё:\n\nx"));
    QCOMPARE(copyCodeIndex(copyCodeLink(3)), std::optional<int>(3));
    QCOMPARE(copyCodeIndex(QStringLiteral("https://x/#copy-1")), std::nullopt);
}

void ChatRulesTest::answerKeepsLines_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("html");    // a part the styled text must hold
    QTest::addColumn<QString>("spoken");

    QTest::newRow("lines around code, code as written")
        << "Шаги:\nоткрыть\nзакрыть\n```\na\n\n  b\n```\nИтог\nготово"
        << "Шаги:<br>открыть<br>закрыть<br><br><a href=\"#copy-0\">"
        << "Шаги:\nоткрыть\nзакрыть\n\na\n\n  b\n\nИтог\nготово";
    QTest::newRow("code block keeps its blank lines")
        << "```\nx\n\n\ny\n```" << "<pre><font color=\"#d6deeb\">x\n\n\ny</font>"
        << "x\n\n\ny";
    QTest::newRow("prose after code keeps its lines")
        << "```\nx\n```\nодин\nдва" << "</pre><br>один<br>два" << "x\n\nодин\nдва";
}

void ChatRulesTest::answerKeepsLines()
{
    QFETCH(QString, answer);
    QFETCH(QString, html);
    QFETCH(QString, spoken);
    const AnswerText text = renderAnswer(answer);
    QVERIFY2(text.html.contains(html), qPrintable(text.html));
    QCOMPARE(text.spoken, spoken);
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

QTEST_GUILESS_MAIN(ChatRulesTest)
#include "tst_chatrules.moc"
