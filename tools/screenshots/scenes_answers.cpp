// Answers drawn block by block: a rich answer (headings, a nested and a task list, a quote, a
// table) at both widths, code in three languages, and a table wider than the bubble.

#include "scene.h"

#include "chatviewmodel.h"
#include "localservice.h"
#include "servicestate.h"

#include <QDateTime>

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

service::ChatMessage message(const QString &role, const QString &text, qint64 timeMs)
{
    service::ChatMessage m;
    m.role = role;
    m.text = text;
    m.timeMs = timeMs;
    return m;
}

void putChat(service::LocalService &service, const QString &title, const QString &question,
             const QString &answer)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    service::Chat chat;
    chat.id = QStringLiteral("chat-answers");
    chat.title = title;
    chat.messages = {message(QStringLiteral("user"), question, now - 60'000),
                     message(QStringLiteral("assistant"), answer, now - 59'000)};
    service.state().chats.prepend(chat);
    service.state().activeChatId = chat.id;
}

void putRichAnswer(service::LocalService &service)
{
    putChat(service, QStringLiteral("План переезда"), QStringLiteral("Составь план переезда в Казань"),
            QStringLiteral(
                "## План переезда\n\n"
                "Начните за **месяц** — так спокойнее.\n\n"
                "1. Жильё\n   - посмотреть районы\n     - Вахитовский\n     - Ново-Савиновский\n"
                "   - договориться о просмотре\n2. Документы\n3. Вещи\n\n"
                "### Что уже сделано\n\n- [x] купить коробки\n- [ ] заказать грузовик\n\n"
                "> Переезд — это не только вещи, но и привычки.\n> > Главное — не спешить.\n\n"
                "---\n\n"
                "| Статья | Сумма, ₽ | Когда |\n|:---|---:|:---:|\n| Грузовик | 12 000 | 1 мая |\n"
                "| Коробки | 1 500 | сейчас |\n| Уборка | 4 000 | 30 апреля |"));
}

void putCodeAnswer(service::LocalService &service)
{
    putChat(service, QStringLiteral("Сумма на трёх языках"),
            QStringLiteral("Покажи сумму массива на Python, JavaScript и SQL"),
            QStringLiteral(
                "На **Python**:\n\n```python\ndef total(values: list[int]) -> int:\n"
                "    return sum(v for v in values if v > 0)  # только положительные\n```\n\n"
                "На **JavaScript**:\n\n```javascript\nconst total = (values) =>\n"
                "  values.filter((v) => v > 0).reduce((a, b) => a + b, 0);\n```\n\n"
                "И в **SQL**:\n\n```sql\nSELECT SUM(amount) AS total FROM payments WHERE amount > 0;\n```"));
}

void putWideTable(service::LocalService &service)
{
    putChat(service, QStringLiteral("Сравнение тарифов"), QStringLiteral("Сравни тарифы в таблице"),
            QStringLiteral(
                "Сравнение по всем параметрам:\n\n"
                "| Тариф | Цена в месяц | Запросов в день | Модели | Картинки | Голос | Код | Поддержка | Пробный период |\n"
                "|:--|--:|--:|:-:|:-:|:-:|:-:|:--|:-:|\n"
                "| Базовый | 0 ₽ | 20 | быстрая | нет | да | нет | сообщество | — |\n"
                "| Плюс | 390 ₽ | 200 | все | 50 в день | да | да | почта, в течение суток | 7 дней |\n"
                "| Про | 990 ₽ | без ограничений | все, с приоритетом | без ограничений | да | да | чат, круглосуточно | 14 дней |\n\n"
                "Таблицу можно прокрутить вбок."));
}

void putMathAnswer(service::LocalService &service)
{
    putChat(service, QStringLiteral("Квадратное уравнение"), QStringLiteral("Как решить x² + 5x + 6 = 0?"),
            QStringLiteral(
                "Для уравнения $ax^2 + bx + c = 0$ дискриминант \\(D = b^2 - 4ac\\), корни:\n\n"
                "$$x_{1,2} = \\frac{-b \\pm \\sqrt{b^2 - 4ac}}{2a}$$\n\n"
                "Здесь $D = 25 - 24 = 1$, значит $x_1 = -2$ и $x_2 = -3$. Проверка стоит $0 — "
                "подставьте корни:\n\n"
                "\\[\\sum_{k=1}^{n} k = \\frac{n(n+1)}{2}, \\quad "
                "\\int_0^1 x^2\\,dx = \\frac{1}{3}, \\quad "
                "A = \\begin{pmatrix} 1 & 2 \\\\ 3 & 4 \\end{pmatrix}\\]\n\n"
                "$$f(x) = \\begin{cases} x^2, & \\text{если } x \\ge 0, \\\\ -x, & \\text{если } x < 0 "
                "\\end{cases} \\qquad \\lim_{n \\to \\infty} \\left(1 + \\frac{1}{n}\\right)^n = e$$"));
}

QCoro::Task<bool> stageAnswer(SceneContext &context)
{
    if (!co_await signInAndShowSections(context))
        co_return false;
    const bool shown = co_await context.waitUntil(
        [&context] {
            auto *chat = qobject_cast<ChatViewModel *>(context.findByClass("vexa::ChatViewModel"));
            return chat && chat->visibleEntries()->rowCount() == 2;
        },
        QString::fromLatin1("the answer"));
    co_await context.settle(800ms);
    co_return shown;
}

} // namespace

QList<Scene> answerScenes()
{
    return {
        {QStringLiteral("answer-rich-wide"),
         QStringLiteral("headings, nested and task lists, a quote, a rule and a table (1280×800)"),
         kWide, putRichAnswer, stageAnswer},
        {QStringLiteral("answer-rich-compact"), QStringLiteral("the same answer at 420×860"), kCompact,
         putRichAnswer, stageAnswer},
        {QStringLiteral("answer-code"), QStringLiteral("code panels in Python, JavaScript and SQL"),
         kWide, putCodeAnswer, stageAnswer},
        {QStringLiteral("answer-wide-table"), QStringLiteral("a table wider than the bubble, scrolling sideways"),
         kWide, putWideTable, stageAnswer},
        {QStringLiteral("answer-wide-table-compact"), QStringLiteral("the wide table at 420×860"), kCompact,
         putWideTable, stageAnswer},
        {QStringLiteral("answer-math"), QStringLiteral("formulas in an answer: in the text and on lines of their own"),
         kWide, putMathAnswer, stageAnswer},
        {QStringLiteral("answer-math-compact"), QStringLiteral("the formulas at 420×860, the widest scrolling sideways"),
         kCompact, putMathAnswer, stageAnswer},
    };
}

} // namespace vexa::screenshots
