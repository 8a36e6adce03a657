// Answers parsed into blocks: what each kind holds, that service text never becomes markup,
// which links survive, that every line break shows, how answers are spoken and tables copied,
// and that hostile input neither hangs nor loses text.

#include "answerblocks.h"
#include "answermodel.h"
#include "awaittask.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace vexa::answer;

namespace {

QString alignName(Align align)
{
    switch (align) {
    case Align::Left: return QStringLiteral("L");
    case Align::Center: return QStringLiteral("C");
    case Align::Right: return QStringLiteral("R");
    default: return QStringLiteral("-");
    }
}

// One line per block: its kind, where it sits ([indent/quotes]) and its plain text.
QStringList describe(const Answer &answer)
{
    QStringList lines;
    for (const AnswerBlock &b : answer.blocks) {
        QString place = (b.indent || b.quoteDepth)
            ? QStringLiteral("[%1/%2]").arg(b.indent).arg(b.quoteDepth) : QString();
        switch (b.kind) {
        case BlockKind::Prose: lines << QStringLiteral("prose%1: %2").arg(place, b.text.plain); break;
        case BlockKind::Quote: lines << QStringLiteral("quote%1: %2").arg(place, b.text.plain); break;
        case BlockKind::Heading:
            lines << QStringLiteral("h%1%2: %3").arg(b.level).arg(place, b.text.plain);
            break;
        case BlockKind::List: {
            QStringList items;
            for (const ListItem &item : b.items)
                items << QStringLiteral("%1%2 %3").arg(item.depth).arg(item.marker, item.text.plain);
            lines << QStringLiteral("list%1: %2").arg(place, items.join(QStringLiteral(" | ")));
            break;
        }
        case BlockKind::Code:
            lines << QStringLiteral("code %1%2: %3").arg(b.language, place, b.code);
            break;
        case BlockKind::Math:
            lines << QStringLiteral("math%1: %2 = %3").arg(place, b.code, b.text.plain);
            break;
        case BlockKind::Table: {
            QStringList aligns;
            for (Align a : b.alignments)
                aligns << alignName(a);
            QStringList rows;
            for (const auto &row : b.rows) {
                QStringList cells;
                for (const Inline &cell : row)
                    cells << cell.plain;
                rows << cells.join(QLatin1Char('|'));
            }
            lines << QStringLiteral("table %1%2: %3").arg(aligns.join(QString()), place,
                                                         rows.join(QStringLiteral(" / ")));
            break;
        }
        case BlockKind::Rule: lines << QStringLiteral("rule%1").arg(place); break;
        case BlockKind::Picture:
            lines << QStringLiteral("picture %1: %2").arg(b.source.toString(), b.text.plain);
            break;
        }
    }
    return lines;
}

// The display text of an answer's prose-like blocks, joined.
QString proseHtml(const Answer &answer)
{
    QStringList parts;
    for (const AnswerBlock &b : answer.blocks) {
        if (b.kind == BlockKind::List) {
            for (const ListItem &item : b.items)
                parts << item.text.html;
        } else if (b.kind == BlockKind::Table) {
            for (const auto &row : b.rows)
                for (const Inline &cell : row)
                    parts << cell.html;
        } else {
            parts << b.text.html;
        }
    }
    return parts.join(QStringLiteral("<br><br>"));
}

// Every tag the display text may hold; anything else means the answer's text became markup.
bool onlyOwnTags(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression own(QStringLiteral(
        "^</?(b|i|s|u|br|font|a)( color=\"#[0-9a-f]{6}\"| href=\"(https|mailto):[^\"<>]*\")?>$"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QString found = it.next().captured();
        if (!own.match(found).hasMatch()) {
            qWarning() << "foreign tag" << found;
            return false;
        }
    }
    return true;
}

QString languageName(const QString &info)
{
    return info == QLatin1String("python") || info == QLatin1String("py") ? QStringLiteral("Python") : QString();
}

} // namespace

class AnswerBlocksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blocks_data();
    void blocks();
    void prose_data();
    void prose();
    void links_data();
    void links();
    void spoken_data();
    void spoken();
    void tables();
    void hostile_data();
    void hostile();
    void displayCaps();
    void simpleAnswers_data();
    void simpleAnswers();
    void codeColours();
    void preparedAhead_data();
    void preparedAhead();
};

void AnswerBlocksTest::blocks_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QStringList>("blocks");

    QTest::newRow("code with language between prose")
        << "Вот функция:\n\n```python\ndef f():\n    return 1\n```\n\nГотово."
        << QStringList{"prose: Вот функция:", "code python: def f():\n    return 1", "prose: Готово."};
    QTest::newRow("tildes, longer closing fence, CRLF")
        << "~~~\r\nx = 1\r\n~~~~~\r\n" << QStringList{"code : x = 1"};
    QTest::newRow("backticks inside a tilde block stay code")
        << "~~~sh\n```\necho\n~~~" << QStringList{"code sh: ```\necho"};
    QTest::newRow("unclosed fence runs to the end")
        << "Начало\n```js\nlet a;\nlet b;" << QStringList{"prose: Начало", "code js: let a;\nlet b;"};
    QTest::newRow("inline triple backticks are inline code")
        << "Используйте ```code``` в тексте" << QStringList{"prose: Используйте code в тексте"};
    QTest::newRow("blank lines in code kept") << "```\na\n\n\nb\n```" << QStringList{"code : a\n\n\nb"};
    QTest::newRow("indented code") << "Так:\n\n    x = 1\n    y" << QStringList{"prose: Так:", "code : x = 1\ny"};
    QTest::newRow("empty answer") << "" << QStringList{};
    QTest::newRow("paragraphs share one text")
        << "Один\nдва\n\nТри" << QStringList{"prose: Один\nдва\n\nТри"};
    QTest::newRow("headings in three sizes")
        << "# Один\n## Два\n### Три\n###### Шесть\nИтоги\n=====\n"
        << QStringList{"h1: Один", "h2: Два", "h3: Три", "h3: Шесть", "h1: Итоги"};
    QTest::newRow("quotes nest")
        << "> цитата\n> > глубже\n\nпосле"
        << QStringList{"quote[0/1]: цитата", "quote[0/2]: глубже", "prose: после"};
    QTest::newRow("nested list and a numbered one")
        << "Список:\n- один\n  - вложенный\n    - ещё\n\n2. два"
        << QStringList{"prose: Список:", "list: 0• один | 1◦ вложенный | 2▪ ещё | 02. два"};
    QTest::newRow("ordered list keeps its start and delimiter")
        << "7) семь\n8) восемь" << QStringList{"list: 07) семь | 08) восемь"};
    QTest::newRow("task list") << "- [ ] купить\n- [x] позвонить"
                               << QStringList{"list: 0☐ купить | 0☑ позвонить"};
    QTest::newRow("continuation line of an item keeps its line")
        << "- шаг один\n  подробнее" << QStringList{"list: 0• шаг один\nподробнее"};
    QTest::newRow("an item's second paragraph hangs under it")
        << "- a\n\n  b\n- c" << QStringList{"list: 0• a | 0 b | 0• c"};
    QTest::newRow("code inside a list item")
        << "1. шаг\n\n   ```sh\n   ls\n   ```\n2. дальше"
        << QStringList{"list: 01. шаг", "code sh[1/0]: ls", "list: 02. дальше"};
    QTest::newRow("empty item keeps its marker") << "- \n- b" << QStringList{"list: 0•  | 0• b"};
    QTest::newRow("table with alignments")
        << "| A | B | C | D |\n|:--|:-:|--:|---|\n| 1 | 2 | 3 |\n"
        << QStringList{"table LCR-: A|B|C|D / 1|2|3|"};
    QTest::newRow("table inside a quote")
        << "> | a |\n> |---|\n> | b |" << QStringList{"table -[0/1]: a / b"};
    QTest::newRow("rule") << "a\n\n---\n\nb" << QStringList{"prose: a", "rule", "prose: b"};
    QTest::newRow("picture alone") << "![Кот](https://x.ru/cat.png)"
                                   << QStringList{"picture https://x.ru/cat.png: Кот"};
    QTest::newRow("local picture is its description")
        << "![пароли](file:///etc/passwd)" << QStringList{"prose: пароли"};
    QTest::newRow("picture inside prose is its description")
        << "Вот ![кот](https://x.ru/c.png) и всё" << QStringList{"prose: Вот кот и всё"};
    QTest::newRow("raw HTML block is text")
        << "<div>\n<script>alert(1)</script>\n</div>"
        << QStringList{"prose: <div>\n<script>alert(1)</script>\n</div>"};
}

void AnswerBlocksTest::blocks()
{
    QFETCH(QString, markdown);
    QFETCH(QStringList, blocks);
    QCOMPARE(describe(parseAnswer(markdown)), blocks);
}

void AnswerBlocksTest::prose_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("plain");

    QTest::newRow("bold and italic") << "**Да**, *конечно* и ***очень***"
                                     << "<b>Да</b>, <i>конечно</i> и <i><b>очень</b></i>"
                                     << "Да, конечно и очень";
    QTest::newRow("unpaired stars stay") << "2 * 3 = 6, a** b" << "2 * 3 = 6, a** b"
                                         << "2 * 3 = 6, a** b";
    QTest::newRow("snake_case is not italic") << "use snake_case_name here"
                                              << "use snake_case_name here"
                                              << "use snake_case_name here";
    QTest::newRow("html is escaped") << "<b>x</b> & \"y\"" << "&lt;b&gt;x&lt;/b&gt; &amp; &quot;y&quot;"
                                     << "<b>x</b> & \"y\"";
    QTest::newRow("entities decoded, then escaped again")
        << "&lt;b&gt; &amp;copy; &copy; &#x41; &#0; &nosuch;"
        << "&lt;b&gt; &amp;copy; © A \uFFFD &amp;nosuch;" << "<b> &copy; © A \uFFFD &nosuch;";
    QTest::newRow("inline code is literal")
        << "Вызовите `f(**x**)`" << "Вызовите <font color=\"#9ecbff\">f(**x**)</font>"
        << "Вызовите f(**x**)";
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
    QTest::newRow("strikethrough") << "~~было~~ стало" << "<s>было</s> стало" << "было стало";
    QTest::newRow("escaped star") << "\\*не курсив\\*" << "*не курсив*" << "*не курсив*";
    QTest::newRow("NUL becomes the replacement character")
        << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << "a\uFFFDb" << "a\uFFFDb";
    QTest::newRow("bidi controls are kept as characters")
        << "abc\u202Edef\u2066x\u2069" << "abc\u202Edef\u2066x\u2069" << "abc\u202Edef\u2066x\u2069";
}

void AnswerBlocksTest::prose()
{
    QFETCH(QString, markdown);
    QFETCH(QString, html);
    QFETCH(QString, plain);
    const Answer answer = parseAnswer(markdown);
    QCOMPARE(proseHtml(answer), html);
    QCOMPARE(plainText(answer), plain);
}

void AnswerBlocksTest::links_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("href"); // "" = shown as text only
    QTest::addColumn<QString>("plain");

    QTest::newRow("https") << "См. [документацию](https://vexa.ai/docs)" << "https://vexa.ai/docs"
                           << "См. документацию";
    QTest::newRow("http opens as https") << "[сайт](http://vexa.ai/a?b=1)" << "https://vexa.ai/a?b=1"
                                         << "сайт";
    QTest::newRow("mail") << "[почта](mailto:help@vexa.ai)" << "mailto:help@vexa.ai" << "почта";
    QTest::newRow("script") << "[нажми](javascript:alert(1))" << "" << "нажми";
    QTest::newRow("script, upper case, entity-hidden")
        << "[x](JaVaScRiPt&#58;alert(1))" << "" << "x";
    QTest::newRow("local file") << "[x](file:///etc/passwd)" << "" << "x";
    QTest::newRow("data") << "[x](data:text/html;base64,PHNjcmlwdD4=)" << "" << "x";
    QTest::newRow("relative") << "[x](/settings)" << "" << "x";
    QTest::newRow("autolink") << "<https://vexa.ai>" << "https://vexa.ai" << "https://vexa.ai";
    QTest::newRow("bare address") << "на https://vexa.ai/p сайте" << "https://vexa.ai/p"
                                  << "на https://vexa.ai/p сайте";
    QTest::newRow("www address") << "www.vexa.ai" << "https://www.vexa.ai" << "www.vexa.ai";
    QTest::newRow("bare mail address") << "пишите help@vexa.ai" << "mailto:help@vexa.ai"
                                       << "пишите help@vexa.ai";
    QTest::newRow("quote in the address stays inside the attribute")
        << "[x](https://a.ru/\"onmouseover=alert(1))" << "https://a.ru/%22onmouseover=alert(1)" << "x";
}

void AnswerBlocksTest::links()
{
    QFETCH(QString, markdown);
    QFETCH(QString, href);
    QFETCH(QString, plain);
    const Answer answer = parseAnswer(markdown);
    const QString html = proseHtml(answer);
    QVERIFY2(onlyOwnTags(html), qPrintable(html));
    static const QRegularExpression link(QStringLiteral("<a href=\"([^\"]*)\">"));
    const auto match = link.match(html);
    QCOMPARE(match.hasMatch() ? match.captured(1) : QString(), href);
    QCOMPARE(plainText(answer), plain);
}

void AnswerBlocksTest::spoken_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("spoken");

    QTest::newRow("no marks") << "**Жирный**, _курсив_ и `код`" << "Жирный, курсив и код";
    QTest::newRow("code with a known language")
        << "Смотрите:\n\n```python\nprint(1)\n```" << "Смотрите:\nФрагмент кода на Python.";
    QTest::newRow("code without a language") << "```\nls\n```" << "Фрагмент кода.";
    QTest::newRow("code in an unknown language") << "```brainfuck\n+.\n```" << "Фрагмент кода.";
    QTest::newRow("table row by row")
        << "| Имя | Возраст |\n|---|---|\n| Аня | 30 |\n| Борис |  |"
        << "Имя: Аня, Возраст: 30.\nИмя: Борис.";
    QTest::newRow("links by their text") << "См. [документацию](https://x.ru) и <https://y.ru>"
                                         << "См. документацию и https://y.ru";
    QTest::newRow("numbers said, bullets and boxes not")
        << "1. один\n2. два\n\n- три\n- [x] четыре" << "1. один\n2. два\nтри\nчетыре";
    QTest::newRow("heading, quote, rule") << "# Итог\n> цитата\n\n---\n\nконец" << "Итог\nцитата\nконец";
}

void AnswerBlocksTest::spoken()
{
    QFETCH(QString, markdown);
    QFETCH(QString, spoken);
    QCOMPARE(spokenText(parseAnswer(markdown), &languageName), spoken);
}

void AnswerBlocksTest::tables()
{
    const Answer answer = parseAnswer(QStringLiteral(
        "| A | B | C |\n|---|---|---|\n| 1 \\| 2 | x | **y** |\n| a | b | c |\n| d | e | f |\n"
        "| g | h | i |\n| j | k | l |"));
    QCOMPARE(answer.blocks.size(), 1);
    const AnswerBlock &table = answer.blocks.first();
    QCOMPARE(tableAsTsv(table), QStringLiteral("A\tB\tC\n1 | 2\tx\ty\na\tb\tc\nd\te\tf\ng\th\ti\nj\tk\tl"));
    QCOMPARE(tableSummary(table), QStringLiteral("таблица, 3 столбца, 5 строк"));

    AnswerBlock shape;
    shape.kind = BlockKind::Table;
    const QList<std::tuple<int, int, QString>> counts{
        {1, 2, "таблица, 1 столбец, 1 строка"}, {2, 3, "таблица, 2 столбца, 2 строки"},
        {11, 12, "таблица, 11 столбцов, 11 строк"}, {21, 22, "таблица, 21 столбец, 21 строка"}};
    for (const auto &[columns, rows, summary] : counts) {
        shape.columns = columns;
        shape.rows = QList<QList<Inline>>(rows);
        QCOMPARE(tableSummary(shape), summary);
    }
}

void AnswerBlocksTest::hostile_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("check"); // what must hold beyond "quick, no markup"

    QString big;
    while (big.size() < 2 * 1024 * 1024)
        big += QStringLiteral("Абзац с **жирным** и [ссылкой](https://x.ru) и `кодом`.\nСтрока.\n\n");
    QTest::newRow("2 MB answer") << big << "text";
    QString line(2 * 1024 * 1024, QLatin1Char('w'));
    for (qsizetype i = 7; i < line.size(); i += 9)
        line[i] = QLatin1Char(' ');
    QTest::newRow("2 MB paragraph in one line") << line << "text";
    QString strong = QStringLiteral("**") + QString(300000, QLatin1Char('x')) + QStringLiteral("**");
    QTest::newRow("long bold paragraph cut with its tags") << strong << "text";
    QString items;
    for (int i = 0; i < 10000; ++i)
        items += QStringLiteral("- пункт %1\n").arg(i);
    QTest::newRow("10,000 list items") << items << "items:10000";
    QString nested;
    for (int i = 0; i < 500; ++i)
        nested += QString(i * 2, QLatin1Char(' ')) + QStringLiteral("- уровень %1\n").arg(i);
    QTest::newRow("lists nested 500 deep") << nested << "items:500";
    QString quotes = QString(500, QLatin1Char('>')) + QStringLiteral(" глубоко");
    QTest::newRow("quotes nested 500 deep") << quotes << "text";
    QString wide = QStringLiteral("|");
    QString wideRule = QStringLiteral("|");
    QString wideRow = QStringLiteral("|");
    for (int i = 0; i < 2000; ++i) {
        wide += QStringLiteral(" h%1 |").arg(i);
        wideRule += QStringLiteral("---|");
        wideRow += QStringLiteral(" v%1 |").arg(i);
    }
    QTest::newRow("table 1 x 2,000") << wide + "\n" + wideRule + "\n" + wideRow << "columns:2000";
    QString tall = QStringLiteral("| a | b | c |\n|---|---|---|\n");
    for (int i = 0; i < 50000; ++i)
        tall += QStringLiteral("| %1 | x | y |\n").arg(i);
    QTest::newRow("table of 50,000 rows") << tall << "rows:50001";
    QTest::newRow("1 MB single-line code")
        << QStringLiteral("```\n") + QString(1024 * 1024, QLatin1Char('x')) + QStringLiteral("\n```")
        << "code:1048576";
    QString fences;
    for (int i = 0; i < 2000; ++i)
        fences += QStringLiteral("```\nx\n~~~\n");
    QTest::newRow("unclosed and mismatched fences") << fences << "text";
    QTest::newRow("NUL, bidi and HTML")
        << QStringLiteral("&lt;script&gt; <img src=x onerror=alert(1)>\u202E") + QChar(0)
               + QStringLiteral(" <a href=\"javascript:x\">y</a>")
        << "text";
    QString emphasis;
    for (int i = 0; i < 20000; ++i)
        emphasis += QStringLiteral("*_~`[");
    QTest::newRow("delimiter soup") << emphasis << "text";
}

void AnswerBlocksTest::hostile()
{
    QFETCH(QString, markdown);
    QFETCH(QString, check);

    QElapsedTimer timer;
    timer.start();
    const Answer answer = parseAnswer(markdown);
    const qint64 parseMs = timer.elapsed();
    qInfo("parsed %lld characters in %lld ms", qint64(markdown.size()), parseMs);
    QVERIFY2(parseMs < vexa::test::scaledMs(10000), qPrintable(QString::number(parseMs)));

    qsizetype items = 0;
    for (const AnswerBlock &b : answer.blocks) {
        QVERIFY(b.indent <= kMaxDepth && b.quoteDepth <= kMaxDepth);
        QVERIFY(b.kind == BlockKind::Code || b.kind == BlockKind::Table || b.kind == BlockKind::List
                || b.text.plain.size() <= kMaxProseChars + 1);
        QVERIFY2(onlyOwnTags(b.text.html), qPrintable(b.text.html.left(200)));
        for (const ListItem &item : b.items) {
            QVERIFY(item.depth <= kMaxDepth);
            QVERIFY(onlyOwnTags(item.text.html));
        }
        items += b.items.size();
    }
    if (check.startsWith(QLatin1String("items:"))) {
        QCOMPARE(items, check.mid(6).toLongLong());
    } else if (check.startsWith(QLatin1String("columns:"))) {
        QCOMPARE(answer.blocks.size(), 1);
        QCOMPARE(answer.blocks.first().columns, check.mid(8).toInt());
    } else if (check.startsWith(QLatin1String("rows:"))) {
        QCOMPARE(answer.blocks.size(), 1);
        QCOMPARE(answer.blocks.first().rows.size(), check.mid(5).toLongLong());
    } else if (check.startsWith(QLatin1String("code:"))) {
        QCOMPARE(answer.blocks.size(), 1);
        QCOMPARE(answer.blocks.first().code.size(), check.mid(5).toLongLong());
    } else {
        // Nothing of the text is lost: every letter of the answer is still there, in order.
        QString letters;
        for (const QChar c : markdown)
            if (c.isLetterOrNumber())
                letters += c;
        QString kept;
        for (const QChar c : plainText(answer))
            if (c.isLetterOrNumber())
                kept += c;
        // Link addresses are not text (they stay behind the link).
        kept.remove(QStringLiteral("httpsxru"));
        letters.remove(QStringLiteral("httpsxru"));
        QVERIFY2(kept.contains(letters.right(std::min<qsizetype>(40, letters.size() / 2))) && kept.size() >= letters.size() * 9 / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(kept.size()).arg(letters.size())));
    }

    // What a message lays out stays within the caps, and says what it leaves out.
    AnswerModel model;
    model.setMarkdown(markdown);
    QVERIFY(vexa::test::waitUntil([&] { return model.ready(); }, 30000));
    QVERIFY(model.rowCount() <= kMaxBlocks + 1);
    qsizetype shown = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        shown += model.data(index, AnswerModel::HtmlRole).toString().size()
            + model.data(index, AnswerModel::CodeRole).toString().size();
        QVERIFY(model.data(index, AnswerModel::ItemsRole).toList().size() <= AnswerModel::kMaxShownListItems);
        const QVariantList cells = model.data(index, AnswerModel::CellsRole).toList();
        QVERIFY(cells.size() <= AnswerModel::kMaxShownTableRows + 1);
        for (const QVariant &cellRow : cells)
            QVERIFY(cellRow.toStringList().size() <= AnswerModel::kMaxShownTableColumns);
    }
    QVERIFY2(shown < 8 * kMaxShownChars, qPrintable(QString::number(shown)));
}

void AnswerBlocksTest::displayCaps()
{
    // Over-long tables, lists and code say how much they leave out; copying takes it all.
    QString tall = QStringLiteral("| a | b |\n|---|---|\n");
    for (int i = 0; i < 5000; ++i)
        tall += QStringLiteral("| %1 | x |\n").arg(i);
    AnswerModel model;
    model.setMarkdown(tall);
    QVERIFY(vexa::test::waitUntil([&] { return model.ready(); }));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0), AnswerModel::HiddenRole).toString(),
             QStringLiteral("… ещё 4\u00A0940 строк"));
    // Rows the grid's picture leaves out are counted with them.
    QCOMPARE(model.hiddenRowsLine(0, 60), QStringLiteral("… ещё 5\u00A0000 строк"));
    QCOMPARE(model.hiddenRowsLine(1, 60), QString());
    QVERIFY(model.blockCopyText(0).endsWith(QStringLiteral("4999\tx")));

    QString code = QStringLiteral("```\n");
    for (int i = 0; i < 3000; ++i)
        code += QStringLiteral("line %1\n").arg(i);
    code += QStringLiteral("```\n\nпосле");
    model.setMarkdown(code);
    QVERIFY(vexa::test::waitUntil([&] { return model.ready(); }));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(0), AnswerModel::HiddenRole).toString(),
             QStringLiteral("… ещё 1\u00A0500 строк кода"));
    QVERIFY(model.blockCopyText(0).endsWith(QStringLiteral("line 2999")));
    QCOMPARE(model.data(model.index(1), AnswerModel::KindRole).toString(), QStringLiteral("prose"));

    // A long answer is parsed off the main thread: no rows until it is ready.
    QString big;
    while (big.size() <= kParseInPlaceChars)
        big += QStringLiteral("Абзац.\n\n");
    model.setMarkdown(big);
    QVERIFY(!model.ready());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(vexa::test::waitUntil([&] { return model.ready(); }));
    QVERIFY(model.rowCount() > 0);
}

void AnswerBlocksTest::simpleAnswers_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("html"); // "" = drawn block by block

    QTest::newRow("prose and a list in one text")
        << "**Да**:\n\n- один\n  - два\n3. три"
        << "<b>Да</b>:<br><br>•&nbsp; один<br>&nbsp;&nbsp;&nbsp;&nbsp;◦&nbsp; два<br>3.&nbsp; три";
    QTest::newRow("heading and quote")
        << "# Итог\n> раз\n> два"
        << "<b><font size=\"+2\">Итог</font></b><br><br><font color=\"#c9cbe0\"><i>▍&nbsp;раз<br>▍&nbsp;два</i></font>";
    QTest::newRow("markup stays text") << "<b>x</b>" << "&lt;b&gt;x&lt;/b&gt;";
    QTest::newRow("code: blocks") << "Так:\n\n```\nx\n```" << "";
    QTest::newRow("table: blocks") << "| a |\n|---|\n| b |" << "";
    QTest::newRow("picture: blocks") << "![кот](https://x.ru/c.png)" << "";
    QTest::newRow("code inside a list: blocks") << "- a\n\n  ```\n  x\n  ```" << "";
}

void AnswerBlocksTest::simpleAnswers()
{
    QFETCH(QString, markdown);
    QFETCH(QString, html);
    AnswerModel model;
    model.setMarkdown(markdown);
    QCOMPARE(model.simpleHtml(), html);
}

// A code block is coloured where it is first shown when that costs no wait, else shown plain
// and coloured once the highlighter's worker is done; colours for an answer that has since
// been replaced never reach the new one.
void AnswerBlocksTest::codeColours()
{
    const auto html = [](AnswerModel &model) {
        return model.data(model.index(0), AnswerModel::CodeHtmlRole).toString();
    };
    const auto coloured = [](const QString &text) { return text.contains(QStringLiteral("<font color=")); };

    // A language read for the first time: plain, then coloured in place of it.
    AnswerModel first;
    first.setMarkdown(QStringLiteral("```kotlin\nfun main() { val x = 1 }\n```"));
    QSignalSpy changed(&first, &QAbstractItemModel::dataChanged);
    QVERIFY(!coloured(html(first)));
    QCOMPARE(first.data(first.index(0), AnswerModel::LanguageNameRole).toString(), QStringLiteral("Kotlin"));
    QVERIFY(vexa::test::waitUntil([&] { return !changed.isEmpty(); }));
    QCOMPARE(changed.first().at(2).value<QList<int>>(), (QList<int>{AnswerModel::CodeHtmlRole, AnswerModel::CodeLinesRole}));
    QVERIFY(coloured(html(first)));

    // The next block in that language is coloured at once; no second pass.
    AnswerModel second;
    second.setMarkdown(QStringLiteral("Так:\n\n```kt\nval y = \"a<b>\"\n```"));
    QSignalSpy secondChanged(&second, &QAbstractItemModel::dataChanged);
    const QString now = second.data(second.index(1), AnswerModel::CodeHtmlRole).toString();
    QVERIFY(coloured(now));
    QVERIFY(now.contains(QStringLiteral("&lt;b&gt;")));
    QTest::qWait(50);
    QVERIFY(secondChanged.isEmpty());

    // Past what is coloured in place: plain first, coloured later.
    QString longCode = QStringLiteral("```kotlin\n");
    for (int i = 0; i < 300; ++i)
        longCode += QStringLiteral("val value%1 = %1 // note\n").arg(i);
    longCode += QStringLiteral("```");
    AnswerModel third;
    third.setMarkdown(longCode);
    QSignalSpy thirdChanged(&third, &QAbstractItemModel::dataChanged);
    QVERIFY(!coloured(html(third)));
    QVERIFY(vexa::test::waitUntil([&] { return !thirdChanged.isEmpty(); }));
    QVERIFY(coloured(html(third)));

    // Replaced before its colours came: the new answer keeps its own text.
    AnswerModel replaced;
    replaced.setMarkdown(QStringLiteral("```swift\nlet greeting = \"hi\"\n```"));
    QVERIFY(!coloured(html(replaced)));
    replaced.setMarkdown(QStringLiteral("```\nplain text\n```"));
    QSignalSpy replacedChanged(&replaced, &QAbstractItemModel::dataChanged);
    QCOMPARE(html(replaced), QStringLiteral("plain&nbsp;text"));
    QTest::qWait(300);
    QVERIFY(replacedChanged.isEmpty());
    QCOMPARE(html(replaced), QStringLiteral("plain&nbsp;text"));
}

void AnswerBlocksTest::preparedAhead_data()
{
    QTest::addColumn<QString>("markdown");
    QString longCode = QStringLiteral("```kotlin\n");
    for (int i = 0; i < 300; ++i)
        longCode += QStringLiteral("val value%1 = %1 // note\n").arg(i);
    longCode += QStringLiteral("```");
    // Past what is coloured in place: only the worker's colours can be there at once.
    QTest::newRow("long code") << longCode;
    // The runs belong to the block they were made for, not to the row at that place.
    QTest::newRow("code among other blocks")
        << QStringLiteral("Сначала текст.\n\n```python\nprint('a')\n```\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n"
                          "```sql\nSELECT 1;\n```\n\n```nosuchlanguage\nplain\n```");
    // Coloured as the panel shows it: a line cut at its length limit.
    QTest::newRow("cut line") << QStringLiteral("```python\nx = '") + QString(2500, QLatin1Char('a'))
            + QStringLiteral("'\ny = 2\n```");
    QTest::newRow("no code") << QStringLiteral("- один\n- два\n\n> цитата");
}

// An answer prepared on the worker shows exactly what the same answer parsed where it is
// shown shows once its colours have come, and at once: no second pass.
void AnswerBlocksTest::preparedAhead()
{
    QFETCH(QString, markdown);
    AnswerModel expected;
    expected.setMarkdown(markdown);
    QSignalSpy expectedChanged(&expected, &QAbstractItemModel::dataChanged);
    for (int row = 0; row < expected.rowCount(); ++row)
        expected.data(expected.index(row), AnswerModel::CodeHtmlRole);
    QTest::qWait(20);
    QVERIFY(vexa::test::waitUntil([&] {
        for (int row = 0; row < expected.rowCount(); ++row) {
            if (expected.data(expected.index(row), AnswerModel::KindRole).toString() == QLatin1String("code")
                && expected.data(expected.index(row), AnswerModel::LanguageNameRole).toString() != QLatin1String("nosuchlanguage")
                && !expected.data(expected.index(row), AnswerModel::CodeHtmlRole).toString().contains(QStringLiteral("<font")))
                return false;
        }
        return true;
    }));

    QFuture<PreparedAnswer> ahead = AnswerModel::prepareAhead(markdown);
    QVERIFY(vexa::test::waitUntil([&] { return ahead.isFinished(); }));
    AnswerModel prepared;
    prepared.setPrepared(markdown, ahead.result());
    QSignalSpy preparedChanged(&prepared, &QAbstractItemModel::dataChanged);
    QCOMPARE(prepared.markdown(), markdown);
    QCOMPARE(prepared.rowCount(), expected.rowCount());
    const QList<int> roles = expected.roleNames().keys();
    for (int row = 0; row < expected.rowCount(); ++row) {
        for (const int role : roles)
            QCOMPARE(prepared.data(prepared.index(row), role), expected.data(expected.index(row), role));
    }
    QTest::qWait(50);
    QVERIFY(preparedChanged.isEmpty());
}

QTEST_GUILESS_MAIN(AnswerBlocksTest)
#include "tst_answerblocks.moc"
