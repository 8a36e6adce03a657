#include "workspace.h"

#include <QRegularExpression>

namespace vexa::service {

namespace {

Recipe recipe(const char *id, const char *category, const char *title, const char *prompt,
              const char *hint, bool favorite = false)
{
    return {QString::fromLatin1(id), QString::fromUtf8(title), QString::fromUtf8(prompt),
            QString::fromUtf8(hint), QString::fromLatin1(category), favorite};
}

QJsonObject answerJson(const SavedAnswer &a)
{
    return {{QStringLiteral("id"), a.id}, {QStringLiteral("title"), a.title},
            {QStringLiteral("content"), a.content}};
}

} // namespace

Workspace::Workspace()
{
    const QStringList demo = {
        QStringLiteral("**Список покупок на неделю**\n\n- овсянка, молоко, яйца\n- курица, гречка, овощи\n- яблоки и бананы"),
        QStringLiteral("Письмо арендодателю\n\nЗдравствуйте, Ирина Петровна! На кухне подтекает кран. Не могли бы вы прислать мастера на этой неделе?"),
        QStringLiteral("# Counter в Python\n\n```python\nfrom collections import Counter\nprint(Counter(words).most_common(5))\n```"),
        QStringLiteral("План выходных в Казани: Кремль и Кул-Шариф, улица Баумана, Старо-Татарская слобода, вечером набережная Кабана."),
        QStringLiteral("Как вежливо отказаться от встречи: поблагодарите за приглашение, коротко назовите причину и предложите другое время."),
        QStringLiteral("Формула сложных процентов: S = P × (1 + r/n)^(n·t)."),
        QStringLiteral("Тема диплома: анализ погодных данных Татарстана за 30 лет — тренды температуры и осадков."),
    };
    // The demo list is written oldest first; the collection keeps the newest on top.
    for (const QString &content : demo)
        m_answers.prepend({m_nextId++, titleFor(content), content});

    m_recipes = {
        recipe("post-announce", "writing", "Анонс для соцсетей", "Напиши короткий анонс для соцсетей: о чём событие, когда и почему стоит прийти. Тон — дружелюбный, 3–4 предложения, один эмодзи.", "Событие, дата и для кого оно", true),
        recipe("text-edit", "writing", "Редактура текста", "Отредактируй текст: исправь ошибки, убери повторы и канцелярит, сохрани смысл и мой стиль. Покажи итог и список главных правок.", "Вставьте текст после запроса"),
        recipe("letter-polite", "writing", "Вежливое письмо", "Составь вежливое письмо: обращение, суть просьбы в двух предложениях, срок и благодарность в конце.", "Кому пишете и о чём просите"),
        recipe("story-kids", "writing", "Сказка для ребёнка", "Придумай добрую сказку на 5 минут чтения для ребёнка: простой сюжет, герой-животное и мягкая мораль в конце.", "Возраст ребёнка и любимый герой"),
        recipe("meeting-summary", "work", "Итоги встречи", "Сделай итоги встречи: принятые решения, задачи с ответственными и сроками, открытые вопросы. Формат — три списка.", "Вставьте заметки или расшифровку", true),
        recipe("plan-week", "work", "План недели", "Составь план рабочей недели по дням: сначала важное и срочное, на каждый день не больше трёх крупных задач.", "Перечислите задачи и дедлайны"),
        recipe("resume-bullets", "work", "Опыт для резюме", "Перепиши опыт работы для резюме: глаголы действия, измеримые результаты, 4–6 пунктов на место работы.", "Должность и чем занимались"),
        recipe("email-reply", "work", "Ответ клиенту", "Напиши ответ клиенту: поблагодари, ответь по существу, предложи следующий шаг. Без лишних извинений.", "Вставьте письмо клиента"),
        recipe("explain-simple", "study", "Объясни просто", "Объясни тему простыми словами, как школьнику: суть, пример из жизни и частая ошибка в понимании.", "Тема, которую нужно понять"),
        recipe("flashcards", "study", "Карточки для запоминания", "Сделай 10 карточек «вопрос — ответ» по теме, от простого к сложному.", "Тема или конспект"),
        recipe("essay-outline", "study", "План эссе", "Составь план эссе: тезис, три аргумента с примерами, контраргумент и вывод.", "Тема эссе и объём"),
        recipe("quiz-me", "study", "Проверь меня", "Задай мне 5 вопросов по теме по одному и после каждого ответа объясни, что верно, а что нет.", "Тема для проверки"),
        recipe("code-review", "code", "Ревью кода", "Проведи ревью кода: ошибки, читаемость, производительность. Для каждого замечания покажи исправленный фрагмент.", "Вставьте код и язык"),
        recipe("code-tests", "code", "Тесты к функции", "Напиши модульные тесты к функции: обычные случаи, граничные значения и ошибочный ввод.", "Код функции и тестовый фреймворк"),
        recipe("regex-help", "code", "Регулярное выражение", "Составь регулярное выражение и объясни каждую его часть; приведи строки, которые подходят и не подходят.", "Что нужно находить"),
        recipe("bug-hunt", "code", "Найди ошибку", "Найди причину ошибки: разбери сообщение, предположи 2–3 причины и предложи, как проверить каждую.", "Текст ошибки и фрагмент кода"),
    };
}

QString Workspace::titleFor(const QString &content)
{
    static const QRegularExpression marks(QStringLiteral("^[#>*\\-\\s`_]+|[*`_]+$"));
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line.remove(marks);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("```")))
            continue;
        return line.size() > 60 ? line.left(59).trimmed() + QStringLiteral("…") : line;
    }
    return QStringLiteral("Ответ Vexa AI");
}

QJsonObject Workspace::page(qint64 page, const QString &query) const
{
    const QString needle = query.trimmed();
    QList<SavedAnswer> found;
    for (const SavedAnswer &a : m_answers) {
        if (needle.isEmpty() || a.title.contains(needle, Qt::CaseInsensitive)
            || a.content.contains(needle, Qt::CaseInsensitive))
            found.append(a);
    }
    QJsonArray answers;
    const qint64 first = qMax<qint64>(0, page) * kPageSize;
    for (qint64 i = first; i < found.size() && i < first + kPageSize; ++i)
        answers.append(answerJson(found.at(i)));
    return {{QStringLiteral("ok"), true},
            {QStringLiteral("answers"), answers},
            {QStringLiteral("used"), used()},
            {QStringLiteral("capacity"), kCapacity},
            {QStringLiteral("has_more"), first + kPageSize < found.size()}};
}

std::optional<SavedAnswer> Workspace::save(const QString &content)
{
    if (used() >= kCapacity)
        return std::nullopt;
    SavedAnswer answer{m_nextId++, titleFor(content), content};
    m_answers.prepend(answer);
    return answer;
}

bool Workspace::remove(qint64 id)
{
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (m_answers.at(i).id == id) {
            m_answers.removeAt(i);
            return true;
        }
    }
    return false;
}

QJsonObject Workspace::recipesJson() const
{
    QJsonArray list;
    for (const Recipe &r : m_recipes) {
        list.append(QJsonObject{{QStringLiteral("id"), r.id},
                                {QStringLiteral("title"), r.title},
                                {QStringLiteral("prompt"), r.prompt},
                                {QStringLiteral("hint"), r.hint},
                                {QStringLiteral("category"), r.category},
                                {QStringLiteral("is_favorite"), r.favorite}});
    }
    return {{QStringLiteral("ok"), true}, {QStringLiteral("recipes"), list}};
}

bool Workspace::setFavorite(const QString &id, bool enabled)
{
    for (Recipe &r : m_recipes) {
        if (r.id == id) {
            r.favorite = enabled;
            return true;
        }
    }
    return false;
}

} // namespace vexa::service
