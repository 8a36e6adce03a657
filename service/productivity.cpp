#include "productivity.h"

#include "servicestate.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace vexa::service {

namespace {

// A stretch of the message around the first hit, on one line.
QString snippetAround(const QString &text, qsizetype at, qsizetype length)
{
    constexpr qsizetype kContext = 60;
    const qsizetype from = std::max<qsizetype>(0, at - kContext);
    const qsizetype to = std::min<qsizetype>(text.size(), at + length + kContext);
    QString snippet = text.mid(from, to - from).simplified();
    if (from > 0)
        snippet.prepend(QStringLiteral("…"));
    if (to < text.size())
        snippet.append(QStringLiteral("…"));
    return snippet;
}

QTimeZone accountZone()
{
    return QTimeZone(Productivity::kAccountOffsetSeconds);
}

} // namespace

Productivity::Productivity(QDateTime now)
{
    m_documents = {
        {101, QStringLiteral("Договор аренды — Казань.pdf"),
         QStringLiteral("Договор на 11 месяцев, оплата до 5-го числа, залог 40 000 ₽.")},
        {102, QStringLiteral("Резюме — Алина Сафина.docx"),
         QStringLiteral("Продуктовый аналитик, 4 года опыта, SQL и Python.")},
        {103, QStringLiteral("Отчёт за III квартал.pdf"),
         QStringLiteral("Выручка выросла на 12 %, отток клиентов снизился до 3,1 %.")},
    };
    const QDateTime moscow = now.toTimeZone(accountZone());
    const QDateTime tomorrowMorning(moscow.date().addDays(1), QTime(9, 0), accountZone());
    m_reminders = {
        {201, QStringLiteral("Позвонить Ирине Петровне насчёт крана"), tomorrowMorning.toUTC()},
        {202, QStringLiteral("Оплатить аренду"),
         QDateTime(moscow.date().addDays(3), QTime(10, 30), accountZone()).toUTC()},
    };
    m_notices = {
        {QStringLiteral("n-welcome"), QStringLiteral("Добро пожаловать в Vexa AI"),
         QStringLiteral("Чаты, изображения и голос теперь в одном приложении."),
         QStringLiteral("service"), QString(), false},
        {QStringLiteral("n-models"), QStringLiteral("Новая модель для изображений"),
         QStringLiteral("Попробуйте «Vexa Art 2»: точнее следует промпту и лучше пишет текст на картинках."),
         QStringLiteral("news"), QStringLiteral("https://vexa.ai/news/art-2"), false},
        {QStringLiteral("n-promo"), QStringLiteral("−30 % на Vexa Pro до воскресенья"),
         QStringLiteral("Промокод WINTER30 в Telegram-боте."), QStringLiteral("promo"),
         QStringLiteral("https://t.me/VexaAIBot?start=promo"), false},
    };
}

std::optional<qint64> Productivity::chatNumber(const QString &chatId)
{
    QString digits = chatId;
    if (digits.startsWith(QLatin1String("chat-")))
        digits = digits.mid(5);
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok);
    if (!ok || number <= 0)
        return std::nullopt;
    return number;
}

QJsonArray Productivity::search(const ServiceState &state, const QString &query)
{
    QJsonArray items;
    const QString needle = query.trimmed();
    if (needle.isEmpty())
        return items;
    for (const Chat &chat : state.chats) {
        for (const ChatMessage &message : chat.messages) {
            const qsizetype at = message.text.indexOf(needle, 0, Qt::CaseInsensitive);
            if (at < 0)
                continue;
            QJsonObject item{{QStringLiteral("title"), chat.title},
                             {QStringLiteral("snippet"), snippetAround(message.text, at, needle.size())}};
            if (const auto number = chatNumber(chat.id))
                item.insert(QStringLiteral("chat_id"), *number);
            items.append(item);
        }
    }
    return items;
}

std::pair<QString, qint64> Productivity::exportMarkdown(const ServiceState &state,
                                                        const QStringList &chatIds)
{
    QList<const Chat *> chosen;
    if (chatIds.isEmpty()) {
        for (const Chat &chat : state.chats)
            chosen.append(&chat);
    } else {
        for (const Chat &chat : state.chats) {
            const auto number = chatNumber(chat.id);
            for (const QString &id : chatIds) {
                if (id == chat.id || (number && chatNumber(id) == number)) {
                    chosen.append(&chat);
                    break;
                }
            }
        }
    }
    QString text;
    qint64 count = 0;
    for (const Chat *chat : chosen) {
        if (!text.isEmpty())
            text += QStringLiteral("\n---\n\n");
        text += QStringLiteral("# ") + chat->title + QStringLiteral("\n\n");
        for (const ChatMessage &message : chat->messages) {
            const bool mine = message.role == QLatin1String("user");
            text += (mine ? QStringLiteral("**Вы:**\n\n") : QStringLiteral("**Vexa AI:**\n\n"))
                + message.text + QStringLiteral("\n\n");
            ++count;
        }
    }
    return {text, count};
}

QJsonArray Productivity::documentsJson() const
{
    QJsonArray items;
    for (const Document &d : m_documents) {
        items.append(QJsonObject{{QStringLiteral("id"), d.id},
                                 {QStringLiteral("file_name"), d.fileName},
                                 {QStringLiteral("snippet"), d.summary}});
    }
    return items;
}

bool Productivity::useDocument(qint64 id)
{
    for (const Document &d : m_documents) {
        if (d.id == id) {
            m_usedDocument = d.fileName;
            return true;
        }
    }
    return false;
}

QJsonArray Productivity::remindersJson() const
{
    QJsonArray items;
    for (const Reminder &r : m_reminders) {
        items.append(QJsonObject{{QStringLiteral("id"), r.id},
                                 {QStringLiteral("reminder_text"), r.text},
                                 {QStringLiteral("body"), QStringLiteral("Придёт в Telegram-бот.")},
                                 {QStringLiteral("due_at"), double(r.due.toSecsSinceEpoch())}});
    }
    return items;
}

std::optional<QDateTime> Productivity::parseWhen(const QString &when, const QDateTime &nowUtc)
{
    const QString text = when.trimmed().toLower();
    const QDateTime now = nowUtc.toTimeZone(accountZone());
    QDateTime due;
    static const QRegularExpression in(
        QStringLiteral("^через\\s+(\\d+)\\s*(мин|минут[уы]?|ч|час|часа|часов|дн|день|дня|дней)$"));
    static const QRegularExpression at(
        QStringLiteral("^(сегодня|завтра|послезавтра)?\\s*(?:в\\s*)?(\\d{1,2})[:.](\\d{2})$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})[ t](\\d{1,2}):(\\d{2})$"));
    if (const auto m = in.match(text); m.hasMatch()) {
        const qint64 n = m.captured(1).toLongLong();
        const QString unit = m.captured(2);
        if (unit.startsWith(QStringLiteral("мин")))
            due = now.addSecs(n * 60);
        else if (unit.startsWith(QStringLiteral("ч")))
            due = now.addSecs(n * 3600);
        else
            due = now.addDays(n);
    } else if (const auto m = at.match(text); m.hasMatch()) {
        const QTime time(m.captured(2).toInt(), m.captured(3).toInt());
        if (!time.isValid())
            return std::nullopt;
        const QString day = m.captured(1);
        const int offset = day == QStringLiteral("завтра") ? 1 : day == QStringLiteral("послезавтра") ? 2 : 0;
        due = QDateTime(now.date().addDays(offset), time, accountZone());
        if (day.isEmpty() && due <= now)
            due = due.addDays(1); // a bare time that has passed today means tomorrow
    } else if (const auto m = iso.match(text); m.hasMatch()) {
        const QDate date = QDate::fromString(m.captured(1), Qt::ISODate);
        const QTime time(m.captured(2).toInt(), m.captured(3).toInt());
        if (!date.isValid() || !time.isValid())
            return std::nullopt;
        due = QDateTime(date, time, accountZone());
    } else {
        return std::nullopt;
    }
    if (!due.isValid() || due <= now)
        return std::nullopt;
    return due.toUTC();
}

const Productivity::Reminder &Productivity::addReminder(const QString &text, const QDateTime &due)
{
    m_reminders.append({++m_nextId, text, due});
    std::stable_sort(m_reminders.begin(), m_reminders.end(),
                     [](const Reminder &a, const Reminder &b) { return a.due < b.due; });
    for (const Reminder &r : m_reminders) {
        if (r.id == m_nextId)
            return r;
    }
    return m_reminders.last();
}

bool Productivity::removeReminder(qint64 id)
{
    return m_reminders.removeIf([id](const Reminder &r) { return r.id == id; }) > 0;
}

QJsonArray Productivity::noticesJson() const
{
    QJsonArray items;
    for (const Notice &n : m_notices) {
        if (n.read || (n.kind == QLatin1String("promo") && !m_promos)
            || (n.kind == QLatin1String("news") && !m_news))
            continue;
        QJsonObject item{{QStringLiteral("id"), n.id},
                         {QStringLiteral("title"), n.title},
                         {QStringLiteral("body"), n.body},
                         {QStringLiteral("kind"), n.kind},
                         {QStringLiteral("read"), n.read}};
        if (!n.url.isEmpty())
            item.insert(QStringLiteral("url"), n.url);
        items.append(item);
    }
    return items;
}

bool Productivity::markRead(const QString &id)
{
    for (Notice &n : m_notices) {
        if (n.id == id) {
            n.read = true;
            return true;
        }
    }
    return false;
}

QJsonObject Productivity::preferencesJson() const
{
    return {{QStringLiteral("news"), m_news}, {QStringLiteral("promos"), m_promos}};
}

void Productivity::setPreferences(bool news, bool promos)
{
    m_news = news;
    m_promos = promos;
}

} // namespace vexa::service
