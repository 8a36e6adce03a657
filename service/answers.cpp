#include "answers.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace vexa::service {

namespace {

bool containsAny(const QString &lower, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (lower.contains(QString::fromUtf8(word)))
            return true;
    }
    return false;
}

QString shorten(const QString &text, qsizetype max)
{
    const QString simple = text.simplified();
    return simple.size() <= max ? simple : simple.left(max - 1).trimmed() + QStringLiteral("…");
}

QString quoted(const QString &text)
{
    const QString shortText = text.size() > 280 ? text.left(279).trimmed() + QStringLiteral("…") : text;
    QStringList lines = shortText.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line.prepend(QStringLiteral("> "));
    return lines.join(QLatin1Char('\n'));
}

int pointCount(const QString &length)
{
    if (length == QLatin1String("short"))
        return 2;
    if (length == QLatin1String("detailed"))
        return 5;
    return 3;
}

QString lengthLabel(const QString &length)
{
    if (length == QLatin1String("short"))
        return QStringLiteral("кратко");
    if (length == QLatin1String("detailed"))
        return QStringLiteral("подробно");
    return QStringLiteral("обычно");
}

// The longer words of a message, in order of appearance: what the question is about.
QStringList keyWords(const QString &message, int max)
{
    static const QSet<QString> common = {
        QStringLiteral("какой"),  QStringLiteral("какая"),  QStringLiteral("какие"),
        QStringLiteral("почему"), QStringLiteral("сколько"), QStringLiteral("можно"),
        QStringLiteral("нужно"),  QStringLiteral("сделать"), QStringLiteral("помоги"),
        QStringLiteral("пожалуйста"), QStringLiteral("расскажи"), QStringLiteral("объясни"),
        QStringLiteral("который"), QStringLiteral("чтобы"), QStringLiteral("where"),
        QStringLiteral("which"),  QStringLiteral("would"),  QStringLiteral("could"),
        QStringLiteral("about"),  QStringLiteral("there"),
    };
    QStringList out;
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}+#-]{5,}"));
    auto it = word.globalMatch(message.toLower());
    while (it.hasNext() && out.size() < max) {
        const QString w = it.next().captured();
        if (!common.contains(w) && !out.contains(w))
            out.append(w);
    }
    return out;
}

QString topicLine(const QString &message)
{
    const QStringList words = keyWords(message, 3);
    if (words.isEmpty())
        return {};
    QStringList bold;
    for (const QString &w : words)
        bold.append(QStringLiteral("**") + w + QStringLiteral("**"));
    return QStringLiteral("Ключевые понятия: ") + bold.join(QStringLiteral(", ")) + QStringLiteral(".");
}

QString numbered(const QStringList &items, int count)
{
    QStringList lines;
    for (int i = 0; i < count && i < items.size(); ++i)
        lines.append(QString::number(i + 1) + QStringLiteral(". ") + items.at(i));
    return lines.join(QLatin1Char('\n'));
}

QString photoNote(const PhotoInfo &photo)
{
    return QStringLiteral("📷 **Фото получено:** %1×%2, %3, %4. Изображение %5, преобладает %6 цвет.")
        .arg(photo.size.width())
        .arg(photo.size.height())
        .arg(photo.format, sizeText(photo.bytes), photo.lightness, photo.colour);
}

QString fileNote(const FileInfo &file)
{
    QString note = QStringLiteral("📎 **Файл получен:** «%1», %2.").arg(file.name, sizeText(file.bytes));
    if (!file.text) {
        note += QStringLiteral(" Содержимое двоичное: я вижу только имя и размер.");
        return note;
    }
    const QStringList lines = file.text->split(QLatin1Char('\n'));
    const qsizetype lineCount = file.text->count(QLatin1Char('\n'))
        + (file.text->isEmpty() || file.text->endsWith(QLatin1Char('\n')) ? 0 : 1);
    note += QStringLiteral(" Текст, строк: %1.").arg(lineCount);
    QStringList head;
    for (const QString &line : lines) {
        if (head.size() == 5)
            break;
        head.append(line.size() > 120 ? line.left(119) + QStringLiteral("…") : line);
    }
    if (!file.text->trimmed().isEmpty())
        note += QStringLiteral("\n\nНачало файла:\n```\n") + head.join(QLatin1Char('\n'))
              + QStringLiteral("\n```");
    return note;
}

// ---- code -----------------------------------------------------------------------------------

struct Language {
    QString fence;   // Markdown fence tag
    QString name;    // for people
    QString comment; // line comment mark
};

Language languageFor(const QString &fileName)
{
    const QString ext = fileName.section(QLatin1Char('.'), -1).toLower();
    struct Entry {
        const char *ext, *fence, *name, *comment;
    };
    static const Entry table[] = {
        {"py", "python", "Python", "#"},         {"js", "javascript", "JavaScript", "//"},
        {"mjs", "javascript", "JavaScript", "//"}, {"ts", "typescript", "TypeScript", "//"},
        {"cpp", "cpp", "C++", "//"},             {"cc", "cpp", "C++", "//"},
        {"h", "cpp", "C/C++", "//"},             {"hpp", "cpp", "C++", "//"},
        {"c", "c", "C", "//"},                   {"swift", "swift", "Swift", "//"},
        {"kt", "kotlin", "Kotlin", "//"},        {"java", "java", "Java", "//"},
        {"go", "go", "Go", "//"},                {"rs", "rust", "Rust", "//"},
        {"rb", "ruby", "Ruby", "#"},             {"php", "php", "PHP", "//"},
        {"sh", "bash", "Shell", "#"},            {"qml", "qml", "QML", "//"},
        {"sql", "sql", "SQL", "--"},             {"cs", "csharp", "C#", "//"},
    };
    for (const Entry &e : table) {
        if (ext == QLatin1String(e.ext))
            return {QString::fromLatin1(e.fence), QString::fromUtf8(e.name), QString::fromLatin1(e.comment)};
    }
    return {QStringLiteral("text"), QStringLiteral("текст"), QStringLiteral("#")};
}

// The language a chat question names, Python when it names none.
Language languageInQuestion(const QString &lower)
{
    if (containsAny(lower, {"c++", "cpp", "qt "}))
        return languageFor(QStringLiteral("x.cpp"));
    if (containsAny(lower, {"javascript", " js", "node"}))
        return languageFor(QStringLiteral("x.js"));
    if (containsAny(lower, {"typescript"}))
        return languageFor(QStringLiteral("x.ts"));
    if (containsAny(lower, {"sql", "запрос к базе", "select "}))
        return languageFor(QStringLiteral("x.sql"));
    if (containsAny(lower, {"swift"}))
        return languageFor(QStringLiteral("x.swift"));
    if (containsAny(lower, {"kotlin"}))
        return languageFor(QStringLiteral("x.kt"));
    if (containsAny(lower, {"rust"}))
        return languageFor(QStringLiteral("x.rs"));
    if (containsAny(lower, {"golang", " go "}))
        return languageFor(QStringLiteral("x.go"));
    if (containsAny(lower, {"bash", "shell", "терминал"}))
        return languageFor(QStringLiteral("x.sh"));
    return languageFor(QStringLiteral("x.py"));
}

struct Definition {
    QString name;
    int line = 0; // 0-based
};

QList<Definition> definitionsIn(const QString &code)
{
    static const QRegularExpression keyworded(QStringLiteral(
        "^\\s*(?:export\\s+|public\\s+|private\\s+|static\\s+|async\\s+|pub\\s+)*"
        "(?:def|class|function|func|fn|fun|struct|interface|enum)\\s+([A-Za-z_][A-Za-z0-9_]*)"));
    static const QRegularExpression cLike(QStringLiteral(
        "^\\s*(?:[A-Za-z_][\\w:<>,\\*&]*\\s+)+[\\*&]?([A-Za-z_][\\w:~]*)\\s*\\([^;]*\\)\\s*(?:const)?\\s*\\{?\\s*$"));
    static const QSet<QString> notNames = {QStringLiteral("if"), QStringLiteral("for"),
                                           QStringLiteral("while"), QStringLiteral("switch"),
                                           QStringLiteral("return"), QStringLiteral("catch")};
    QList<Definition> out;
    const QStringList lines = code.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size() && out.size() < 8; ++i) {
        QRegularExpressionMatch m = keyworded.match(lines.at(i));
        if (!m.hasMatch())
            m = cLike.match(lines.at(i));
        if (m.hasMatch() && !notNames.contains(m.captured(1)))
            out.append({m.captured(1), i});
    }
    return out;
}

QString fragment(const QString &code, int fromLine, int count)
{
    return code.split(QLatin1Char('\n')).mid(fromLine, count).join(QLatin1Char('\n'));
}

QString fenced(const Language &language, const QString &code)
{
    return QStringLiteral("```") + language.fence + QLatin1Char('\n') + code
         + (code.endsWith(QLatin1Char('\n')) ? QString() : QStringLiteral("\n")) + QStringLiteral("```");
}

QString baseName(const QString &fileName)
{
    return fileName.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0);
}

QString testSkeleton(const Language &lang, const QString &file, const QString &fn)
{
    const QString module = baseName(file);
    if (lang.fence == QLatin1String("python"))
        return QStringLiteral("from %1 import %2\n\n\n"
                              "def test_%2_typical_input():\n"
                              "    assert %2(...) == ...  # пример входа и ожидаемый результат\n\n\n"
                              "def test_%2_empty_input():\n"
                              "    assert %2(...) == ...  # граничный случай\n").arg(module, fn);
    if (lang.fence == QLatin1String("javascript") || lang.fence == QLatin1String("typescript"))
        return QStringLiteral("import { %2 } from './%1';\n\n"
                              "test('%2: обычный случай', () => {\n"
                              "  expect(%2(/* вход */)).toEqual(/* ожидаемое */);\n"
                              "});\n\n"
                              "test('%2: пустой вход', () => {\n"
                              "  expect(() => %2()).not.toThrow();\n"
                              "});\n").arg(module, fn);
    if (lang.fence == QLatin1String("go"))
        return QStringLiteral("func Test%1(t *testing.T) {\n"
                              "\tgot := %1(/* вход */)\n"
                              "\tif got != /* ожидаемое */ {\n"
                              "\t\tt.Errorf(\"%1() = %v\", got)\n"
                              "\t}\n"
                              "}\n").arg(fn);
    if (lang.fence == QLatin1String("rust"))
        return QStringLiteral("#[cfg(test)]\nmod tests {\n    use super::*;\n\n"
                              "    #[test]\n    fn %1_typical_input() {\n"
                              "        assert_eq!(%1(/* вход */), /* ожидаемое */);\n    }\n}\n").arg(fn);
    return QStringLiteral("%1 Проверка для %2: обычный случай, пустой вход, ошибочный вход.\n"
                          "%1 1. Вызовите %2 с типичными данными и сравните результат с ожидаемым.\n"
                          "%1 2. Передайте пустые данные: функция не должна падать.\n"
                          "%1 3. Передайте некорректные данные: ошибка должна быть понятной.\n")
        .arg(lang.comment, fn);
}

QString guardSkeleton(const Language &lang, const QString &fn)
{
    if (lang.fence == QLatin1String("python"))
        return QStringLiteral("try:\n    result = %1(data)\nexcept (ValueError, KeyError) as error:\n"
                              "    print(f\"%1 не справилась: {error}\")\n    raise\n").arg(fn);
    if (lang.fence == QLatin1String("javascript") || lang.fence == QLatin1String("typescript"))
        return QStringLiteral("try {\n  const result = %1(data);\n} catch (error) {\n"
                              "  console.error('%1 не справилась:', error);\n  throw error;\n}\n").arg(fn);
    if (lang.fence == QLatin1String("cpp") || lang.fence == QLatin1String("c"))
        return QStringLiteral("if (!input.isValid()) {\n    // сообщите об ошибке до вызова\n"
                              "    return {};\n}\nconst auto result = %1(input);\n").arg(fn);
    return QStringLiteral("%1 Проверьте входные данные до вызова %2 и обработайте ошибку рядом с ним.\n")
        .arg(lang.comment, fn);
}

QString codeAnswer(const CodePrompt &prompt, const Question &question)
{
    const QString lower = prompt.request.toLower();
    QStringList parts;
    parts.append(QStringLiteral("**Vexa Code · проект «%1»**").arg(prompt.project));
    parts.append(quoted(prompt.request));

    if (!prompt.fileName) {
        const Language lang = languageInQuestion(lower);
        parts.append(QStringLiteral("Файл не выбран, поэтому отвечаю в целом. Откройте файл слева — "
                                    "тогда разберу конкретный код."));
        parts.append(QStringLiteral("Набросок на %1:").arg(lang.name));
        parts.append(fenced(lang, QStringLiteral("%1 %2\n%1 1. Опишите входные данные.\n"
                                                 "%1 2. Выделите шаг обработки в отдельную функцию.\n"
                                                 "%1 3. Добавьте проверку на пустой вход.\n")
                                      .arg(lang.comment, shorten(prompt.request, 80))));
        return parts.join(QStringLiteral("\n\n"));
    }

    const QString &file = *prompt.fileName;
    const Language lang = languageFor(file);
    const QString code = prompt.fileText;
    const int lineCount = code.isEmpty() ? 0 : int(code.split(QLatin1Char('\n')).size());
    const QList<Definition> defs = definitionsIn(code);
    QString overview = QStringLiteral("Смотрю файл `%1` (%2, строк: %3).").arg(file, lang.name).arg(lineCount);
    if (defs.isEmpty()) {
        overview += QStringLiteral(" Явных определений функций или классов не нашёл.");
    } else {
        QStringList names;
        for (const Definition &d : defs)
            names.append(QStringLiteral("`") + d.name + QStringLiteral("`"));
        overview += QStringLiteral(" Определения: ") + names.join(QStringLiteral(", ")) + QStringLiteral(".");
    }
    parts.append(overview);

    const QString fn = defs.isEmpty() ? baseName(file) : defs.first().name;
    const int from = defs.isEmpty() ? 0 : defs.first().line;
    if (code.trimmed().isEmpty()) {
        parts.append(QStringLiteral("Файл пока пустой. Можно начать с такого каркаса:"));
        parts.append(fenced(lang, QStringLiteral("%1 %2: %3\n").arg(lang.comment, file,
                                                                     shorten(prompt.request, 80))));
    } else if (containsAny(lower, {"тест", "test"})) {
        parts.append(QStringLiteral("Тесты для `%1` — обычный случай и граничный:").arg(fn));
        parts.append(fenced(lang, testSkeleton(lang, file, fn)));
    } else if (containsAny(lower, {"ошибк", "баг", "исключ", "падает", "не работает", "error", "bug"})) {
        parts.append(QStringLiteral("Чтобы ошибка не терялась, обработайте её там, где вызывается `%1`:").arg(fn));
        parts.append(fenced(lang, guardSkeleton(lang, fn)));
    } else if (containsAny(lower, {"коммент", "документ", "docstring", "опиши"})) {
        parts.append(QStringLiteral("Комментарий к `%1`:").arg(fn));
        const QString doc = lang.fence == QLatin1String("python")
            ? fragment(code, from, 1) + QStringLiteral("\n    \"\"\"Что делает %1, что принимает и что возвращает.\"\"\"").arg(fn)
            : lang.comment + QStringLiteral(" %1: что делает, что принимает и что возвращает.\n").arg(fn)
                  + fragment(code, from, 1);
        parts.append(fenced(lang, doc));
    } else {
        parts.append(QStringLiteral("Ключевой фрагмент — начало `%1`:").arg(fn));
        parts.append(fenced(lang, fragment(code, from, 12)));
        QStringList advice;
        const QStringList lines = code.split(QLatin1Char('\n'));
        const auto longLines = std::count_if(lines.begin(), lines.end(),
                                             [](const QString &l) { return l.size() > 100; });
        const auto todos = std::count_if(lines.begin(), lines.end(), [](const QString &l) {
            return l.contains(QLatin1String("TODO")) || l.contains(QLatin1String("FIXME"));
        });
        if (lineCount > 300)
            advice.append(QStringLiteral("файл длинный — разделите его на модули по смыслу;"));
        if (longLines > 0)
            advice.append(QStringLiteral("строк длиннее 100 символов: %1 — их проще читать, разбив на части;").arg(longLines));
        if (todos > 0)
            advice.append(QStringLiteral("отметок TODO/FIXME: %1 — решите, какие из них важны сейчас;").arg(todos));
        advice.append(QStringLiteral("дайте функциям имена-глаголы и держите каждую короче экрана;"));
        advice.append(QStringLiteral("добавьте проверку входных данных в начале `%1`.").arg(fn));
        QStringList bullets;
        for (int i = 0; i < advice.size() && i < pointCount(question.responseLength); ++i)
            bullets.append(QStringLiteral("- ") + advice.at(i));
        parts.append(QStringLiteral("Что я бы поправил:\n") + bullets.join(QLatin1Char('\n')));
    }
    parts.append(QStringLiteral("Перенесите изменения в файл сами и сохраните его — я правок в проекте не делаю."));
    return parts.join(QStringLiteral("\n\n"));
}

// ---- ordinary chat ----------------------------------------------------------------------------

QString chatCodeAnswer(const Question &q, const QString &lower)
{
    const Language lang = languageInQuestion(lower);
    const QString topic = shorten(q.message, 70);
    QString code;
    if (lang.fence == QLatin1String("python"))
        code = QStringLiteral("def solve(data):\n    \"\"\"%1\"\"\"\n    result = []\n"
                              "    for item in data:\n        result.append(item)  # обработка одного элемента\n"
                              "    return result\n\n\nprint(solve([1, 2, 3]))\n").arg(topic);
    else if (lang.fence == QLatin1String("sql"))
        code = QStringLiteral("-- %1\nSELECT column_name, COUNT(*) AS total\nFROM table_name\n"
                              "GROUP BY column_name\nORDER BY total DESC;\n").arg(topic);
    else if (lang.fence == QLatin1String("cpp"))
        code = QStringLiteral("// %1\n#include <iostream>\n#include <vector>\n\nint main()\n{\n"
                              "    std::vector<int> data{1, 2, 3};\n    for (int item : data)\n"
                              "        std::cout << item << '\\n'; // обработка одного элемента\n}\n").arg(topic);
    else
        code = QStringLiteral("%1 %2\n%1 1. Прочитайте входные данные.\n%1 2. Обработайте каждый элемент.\n"
                              "%1 3. Верните или выведите результат.\n").arg(lang.comment, topic);
    QStringList parts;
    parts.append(quoted(q.message));
    parts.append(QStringLiteral("Вот заготовка на %1, от которой удобно оттолкнуться:").arg(lang.name));
    parts.append(fenced(lang, code));
    const QStringList steps = {
        QStringLiteral("Замените обработку элемента на свою логику."),
        QStringLiteral("Проверьте код на маленьком примере."),
        QStringLiteral("Добавьте обработку пустого и некорректного входа."),
        QStringLiteral("Вынесите повторяющиеся части в функции."),
        QStringLiteral("Пришлите ошибку целиком, если что-то не запускается, — разберём."),
    };
    parts.append(numbered(steps, pointCount(q.responseLength)));
    return parts.join(QStringLiteral("\n\n"));
}

QString generalAnswer(const Question &q, const QString &lower)
{
    const int points = pointCount(q.responseLength);
    QStringList parts;
    parts.append(quoted(q.message));
    const QString topic = topicLine(q.message);

    if (containsAny(lower, {"привет", "здравствуй", "добрый день", "добрый вечер", "доброе утро", "hello"})
        && q.message.size() < 60) {
        parts.clear();
        parts.append(QStringLiteral("Привет! Я **Vexa AI**. Вот с чем могу помочь:"));
        parts.append(numbered({QStringLiteral("ответить на вопрос или объяснить тему;"),
                               QStringLiteral("написать или отредактировать текст;"),
                               QStringLiteral("помочь с кодом;"),
                               QStringLiteral("разобрать фото или файл — прикрепите их к сообщению;"),
                               QStringLiteral("нарисовать картинку в разделе «Изображения».")},
                              5));
        return parts.join(QStringLiteral("\n\n"));
    }

    const qsizetype orAt = lower.indexOf(QStringLiteral(" или "));
    if (orAt > 0 || containsAny(lower, {"сравни", " vs "})) {
        QString left = QStringLiteral("Вариант А"), right = QStringLiteral("Вариант Б");
        if (orAt > 0) {
            const QStringList leftWords = q.message.left(orAt).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const QStringList rightWords = q.message.mid(orAt + 5).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (!leftWords.isEmpty())
                left = leftWords.last();
            if (!rightWords.isEmpty())
                right = rightWords.first();
            right.remove(QRegularExpression(QStringLiteral("[?.!,]+$")));
        }
        parts.append(QStringLiteral("Сравним по главным критериям:"));
        parts.append(QStringLiteral("| Критерий | %1 | %2 |\n|---|---|---|\n"
                                    "| Когда подходит | если важна привычность | если важна новизна |\n"
                                    "| Затраты | известны заранее | стоит оценить |\n"
                                    "| Риск | ниже | выше, но и выигрыш больше |").arg(left, right));
        parts.append(QStringLiteral("**Итог:** выбирайте то, что лучше отвечает вашей главной цели."));
    } else if (containsAny(lower, {"почему", "зачем", "why"})) {
        parts.append(QStringLiteral("Чаще всего причины такие:"));
        parts.append(numbered({QStringLiteral("так сложилось исторически или так удобнее большинству;"),
                               QStringLiteral("это дешевле или проще, чем альтернативы;"),
                               QStringLiteral("так меньше рисков и ошибок;"),
                               QStringLiteral("на это влияют внешние условия — правила, климат, спрос;"),
                               QStringLiteral("у каждого случая есть свои детали — расскажите о своём.")},
                              points));
    } else if (containsAny(lower, {"идеи", "идей", "список", "план", "варианты", "посоветуй", "что посмотреть"})) {
        parts.append(QStringLiteral("Несколько вариантов на выбор:"));
        parts.append(numbered({QStringLiteral("начните с самого простого и быстрого варианта;"),
                               QStringLiteral("выберите то, что давно хотелось попробовать;"),
                               QStringLiteral("спросите совета у тех, кто уже это делал;"),
                               QStringLiteral("оставьте время на отдых между делами;"),
                               QStringLiteral("запишите, что понравилось, — пригодится в следующий раз.")},
                              points));
    } else if (containsAny(lower, {"что такое", "кто такой", "кто такая", "what is"})) {
        parts.append(QStringLiteral("**Коротко:** это понятие лучше всего объяснить через то, "
                                    "для чего оно нужно и чем отличается от похожих."));
        parts.append(numbered({QStringLiteral("**Суть** — одно-два предложения, без терминов."),
                               QStringLiteral("**Пример** — где это встречается в жизни."),
                               QStringLiteral("**Отличие** — от чего его часто не отличают."),
                               QStringLiteral("**Где почитать** — энциклопедия или учебник по теме."),
                               QStringLiteral("**Что дальше** — связанные понятия.")},
                              points));
    } else {
        parts.append(containsAny(lower, {"как ", "how"}) ? QStringLiteral("Пошагово:")
                                                        : QStringLiteral("Вот что я предлагаю:"));
        parts.append(numbered({QStringLiteral("Сформулируйте, какой результат нужен в итоге."),
                               QStringLiteral("Разбейте задачу на небольшие шаги и начните с самого простого."),
                               QStringLiteral("Проверьте результат на маленьком примере."),
                               QStringLiteral("Зафиксируйте, что сработало, — пригодится в следующий раз."),
                               QStringLiteral("Если застрянете, пришлите подробности — разберём вместе.")},
                              points));
    }
    if (!topic.isEmpty())
        parts.append(topic);
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace

std::optional<CodePrompt> parseCodePrompt(const QString &message)
{
    static const QString intro = QStringLiteral("Ты помощник по программированию. Работай с локальным проектом ");
    static const QString rule = QStringLiteral(". Предлагай конкретные изменения и объясняй их; "
                                               "не утверждай, что изменил файлы сам.\n");
    static const QString fileMark = QStringLiteral("Файл: ");
    static const QString requestMark = QStringLiteral("Запрос: ");
    if (!message.startsWith(intro))
        return std::nullopt;
    const qsizetype ruleAt = message.indexOf(rule, intro.size());
    if (ruleAt < 0)
        return std::nullopt;
    CodePrompt prompt;
    prompt.project = message.mid(intro.size(), ruleAt - intro.size());
    const QString rest = message.mid(ruleAt + rule.size());
    if (rest.startsWith(fileMark)) {
        const qsizetype nameEnd = rest.indexOf(QLatin1Char('\n'));
        const QString closing = QStringLiteral("\n```\n") + requestMark;
        const qsizetype closeAt = rest.lastIndexOf(closing);
        const QString opening = QStringLiteral("\n```\n");
        if (nameEnd < 0 || closeAt < 0 || rest.mid(nameEnd, opening.size()) != opening
            || closeAt < nameEnd + opening.size() - 1)
            return std::nullopt;
        prompt.fileName = rest.mid(fileMark.size(), nameEnd - fileMark.size());
        const qsizetype textStart = nameEnd + opening.size();
        prompt.fileText = closeAt >= textStart ? rest.mid(textStart, closeAt - textStart) : QString();
        prompt.request = rest.mid(closeAt + closing.size());
    } else if (rest.startsWith(requestMark)) {
        prompt.request = rest.mid(requestMark.size());
    } else {
        return std::nullopt;
    }
    return prompt;
}

QString composeAnswer(const Question &question)
{
    if (const auto code = parseCodePrompt(question.message))
        return codeAnswer(*code, question);

    const QString lower = question.message.toLower();
    QStringList parts;
    if (question.message.isEmpty()) {
        parts.append(QStringLiteral("Вот что я вижу во вложении:"));
    } else if (containsAny(lower, {"код", "python", "c++", "javascript", "функци", "скрипт", "sql",
                                   "```", "программ", "алгоритм", "code"})) {
        parts.append(chatCodeAnswer(question, lower));
    } else {
        parts.append(generalAnswer(question, lower));
    }
    if (question.photo)
        parts.append(photoNote(*question.photo));
    if (question.file)
        parts.append(fileNote(*question.file));
    if (question.message.isEmpty())
        parts.append(QStringLiteral("Напишите, что с этим сделать: описать, проверить, пересказать или найти ошибки."));
    parts.append(QStringLiteral("_%1 · длина ответа: %2_").arg(question.modelTitle, lengthLabel(question.responseLength)));
    return parts.join(QStringLiteral("\n\n"));
}

QString chatTitleFor(const QString &message, const std::optional<PhotoInfo> &photo,
                     const std::optional<FileInfo> &file)
{
    if (const auto code = parseCodePrompt(message))
        return QStringLiteral("Vexa Code · ") + shorten(code->project, 40);
    const QString firstLine = message.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (!firstLine.isEmpty())
        return shorten(firstLine, 40);
    if (file)
        return QStringLiteral("Файл «") + shorten(file->name, 30) + QStringLiteral("»");
    if (photo)
        return QStringLiteral("Фото");
    return QStringLiteral("Новый чат");
}

} // namespace vexa::service
