#include "servicestate.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QtMath>

namespace vexa::service {

namespace {

QJsonObject withOptional(QJsonObject object, const QString &key, const QString &value)
{
    if (!value.isEmpty())
        object.insert(key, value);
    return object;
}

ChatMessage message(const QString &role, const QString &text, std::optional<qint64> timeMs,
                    const QJsonValue &imageUrl = QJsonValue(QJsonValue::Undefined))
{
    ChatMessage m;
    m.role = role;
    m.text = text;
    m.timeMs = timeMs;
    m.imageUrl = imageUrl;
    return m;
}

constexpr qint64 kMinute = 60 * 1000;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;

} // namespace

ServiceState::ServiceState()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QDate today = QDate::currentDate();

    username = QStringLiteral("alina_vexa");
    firstName = QStringLiteral("Алина");

    planId = QStringLiteral("pro");
    planTitle = QStringLiteral("Vexa Pro");
    planExpiresLabel = QStringLiteral("до ") + today.addDays(27).toString(QStringLiteral("dd.MM.yyyy"));

    model = QStringLiteral("vexa-fast");
    models = {
        {QStringLiteral("vexa-fast"), QStringLiteral("Vexa Fast"),
                QStringLiteral("Быстрые ответы на каждый день"), true},
        {QStringLiteral("vexa-smart"), QStringLiteral("Vexa Smart"),
                QStringLiteral("Рассуждает и решает сложные задачи"), true},
        {QStringLiteral("vexa-code"), QStringLiteral("Vexa Code"),
                QStringLiteral("Пишет и объясняет код"), true},
        {QStringLiteral("vexa-mini"), QStringLiteral("Vexa Mini"), QString(), true},
        {QStringLiteral("fp-gpt-4o"), QStringLiteral("GPT-4o · FP"),
                QStringLiteral("Модель группы FunPay, свой лимит"), true},
        {QStringLiteral("vexa-ultra"), QStringLiteral("Vexa Ultra"),
                QStringLiteral("Доступна на тарифе Ultra"), false},
    };

    limits = {10, 200, -1, 12, 5, 30}; // a negative allowance means unlimited
    funpayLimits = {20, 100, 3, 17};

    statMessages = 1284;
    statImages = 37;
    currentStreak = 6;

    canGenerateImages = true;
    imageModels = {
        {QStringLiteral("vexa-image"), QStringLiteral("Vexa Image"), QStringLiteral("image")},
        {QStringLiteral("vexa-image-hd"), QStringLiteral("Vexa Image HD"), QStringLiteral("image")},
        {QStringLiteral("vexa-sketch"), QStringLiteral("Набросок"), QStringLiteral("image")},
        {QStringLiteral("vexa-describe"), QStringLiteral("Описание картинки"), QStringLiteral("text")},
    };
    imageModel = QStringLiteral("vexa-image");
    imageModelLocked = false;
    modelLocked = false;

    const auto dateText = [&](int daysAgo) {
        return today.addDays(-daysAgo).toString(QStringLiteral("dd.MM.yyyy"));
    };
    memories = {
        {1, QStringLiteral("Меня зовут Алина, я живу в Казани."), QStringLiteral("chat"), dateText(40)},
        {2, QStringLiteral("Предпочитаю короткие ответы с примерами."), QStringLiteral("settings"),
                dateText(12)},
        {3, QStringLiteral("Изучаю Python и пишу диплом по анализу данных."), QString(), QString()},
    };
    projects = {
        {1, QStringLiteral("Диплом"), QStringLiteral("Анализ данных о погоде в Татарстане"),
                dateText(2)},
        {2, QStringLiteral("Поездка в Грузию"), QString(), dateText(9)},
    };
    actions = {
        {1, QStringLiteral("Краткий пересказ"), QStringLiteral("Сжимает текст до главного"),
                QStringLiteral("Перескажи текст в пяти пунктах, без вводных фраз.")},
        {2, QStringLiteral("Проверка орфографии"), QStringLiteral("Исправляет ошибки и опечатки"),
                QStringLiteral("Исправь орфографию и пунктуацию, ничего не меняя по смыслу.")},
        {3, QStringLiteral("Письмо коллеге"), QString(), QString()},
    };

    referralLink = QStringLiteral("https://t.me/VexaAIBot?start=ref_%1").arg(userId);
    dailyBonusClaimed = false;
    dailyBonusAmount = 5;

    features = {true, true, true, true};
    settings = {QStringLiteral("assistant"), QStringLiteral("normal"), QStringLiteral("balanced"),
                QStringLiteral("ru")};

    // Chats, most recent first.
    Chat kazan;
    kazan.id = QStringLiteral("chat-4");
    kazan.title = QStringLiteral("Выходные в Казани");
    kazan.messages = {
        message(QStringLiteral("user"), QStringLiteral("Что посмотреть в Казани за два дня?"),
                now - 3 * kHour),
        message(QStringLiteral("assistant"),
                QStringLiteral("Вот план на выходные:\n\n"
                               "**Суббота**\n"
                               "1. Казанский кремль и мечеть Кул-Шариф.\n"
                               "2. Прогулка по улице Баумана.\n\n"
                               "**Воскресенье**\n"
                               "1. Старо-Татарская слобода.\n"
                               "2. Вечером — набережная Кабана."),
                now - 3 * kHour + 9000),
        message(QStringLiteral("user"), QStringLiteral("А где попробовать эчпочмак?"), now - 2 * kHour),
        message(QStringLiteral("assistant"),
                QStringLiteral("Загляните в чайный дом в Старо-Татарской слободе: там пекут эчпочмаки "
                               "и губадию, а чай подают с чак-чаком."),
                now - 2 * kHour + 7000, QJsonValue(QJsonValue::Null)),
    };

    Chat picture;
    picture.id = QStringLiteral("chat-3");
    picture.title = QStringLiteral("Кот-космонавт");
    picture.messages = {
        message(QStringLiteral("user"), QStringLiteral("Нарисуй кота-космонавта на фоне Луны."),
                now - kDay - 5 * kHour),
        message(QStringLiteral("assistant"), QStringLiteral("Готово! Вот ваш кот-космонавт."),
                now - kDay - 5 * kHour + 15000, QJsonValue(demoImageDataUrl(3))),
    };

    Chat letter;
    letter.id = QStringLiteral("chat-2");
    letter.title = QStringLiteral("Письмо арендодателю");
    letter.messages = {
        message(QStringLiteral("user"),
                QStringLiteral("Помоги вежливо попросить арендодателя починить кран."), std::nullopt),
        message(QStringLiteral("assistant"),
                QStringLiteral("Здравствуйте, Ирина Петровна!\n\nНа кухне подтекает кран. "
                               "Не могли бы вы прислать мастера на этой неделе? Я буду дома после 18:00.\n\n"
                               "Спасибо!\nАлина"),
                std::nullopt),
        message(QStringLiteral("user"), QStringLiteral("Спасибо, отлично."), now - 3 * kDay),
    };

    Chat python;
    python.id = QStringLiteral("chat-1");
    python.title = QStringLiteral("Python: словари");
    python.messages = {
        message(QStringLiteral("user"), QStringLiteral("Как посчитать, сколько раз встречается каждое слово?"),
                now - 6 * kDay),
        message(QStringLiteral("assistant"),
                QStringLiteral("Удобнее всего взять `collections.Counter`:\n\n"
                               "```python\n"
                               "from collections import Counter\n\n"
                               "words = text.lower().split()\n"
                               "print(Counter(words).most_common(5))\n"
                               "```"),
                now - 6 * kDay + 12000),
    };

    chats = {kazan, picture, letter, python};
    activeChatId = kazan.id;
}

QJsonObject ServiceState::toJson() const
{
    QJsonObject state;

    state.insert(QStringLiteral("user"),
                 QJsonObject{{QStringLiteral("user_id"), userId},
                             {QStringLiteral("username"), username},
                             {QStringLiteral("first_name"), firstName}});
    state.insert(QStringLiteral("plan"),
                 withOptional(QJsonObject{{QStringLiteral("id"), planId},
                                          {QStringLiteral("title"), planTitle}},
                              QStringLiteral("expires_label"), planExpiresLabel));
    state.insert(QStringLiteral("model"), model);

    QJsonArray modelArray;
    for (const ChatModel &m : models) {
        modelArray.append(withOptional(QJsonObject{{QStringLiteral("id"), m.id},
                                                   {QStringLiteral("title"), m.title},
                                                   {QStringLiteral("is_available"), m.isAvailable}},
                                       QStringLiteral("description"), m.description));
    }
    state.insert(QStringLiteral("models"), modelArray);

    state.insert(QStringLiteral("limits"),
                 QJsonObject{{QStringLiteral("minute"), limits.minute},
                             {QStringLiteral("day"), limits.day},
                             {QStringLiteral("week"), limits.week},
                             {QStringLiteral("used_day"), limits.usedDay},
                             {QStringLiteral("bonus_requests"), limits.bonusRequests},
                             {QStringLiteral("image_credits"), limits.imageCredits}});
    state.insert(QStringLiteral("funpay_limits"),
                 QJsonObject{{QStringLiteral("day"), funpayLimits.day},
                             {QStringLiteral("week"), funpayLimits.week},
                             {QStringLiteral("used_day"), funpayLimits.usedDay},
                             {QStringLiteral("used_week"), funpayLimits.usedWeek}});
    state.insert(QStringLiteral("stats"),
                 QJsonObject{{QStringLiteral("messages"), statMessages},
                             {QStringLiteral("images"), statImages},
                             {QStringLiteral("streak"),
                              QJsonObject{{QStringLiteral("current_streak"), currentStreak}}}});
    state.insert(QStringLiteral("can_generate_images"), canGenerateImages);

    QJsonObject imageModelMap;
    for (const ImageModel &m : imageModels)
        imageModelMap.insert(m.id, m.title);
    state.insert(QStringLiteral("image_models"), imageModelMap);
    state.insert(QStringLiteral("image_model"), imageModel);
    state.insert(QStringLiteral("image_model_locked"), imageModelLocked);
    state.insert(QStringLiteral("model_locked"), modelLocked);
    state.insert(QStringLiteral("image_output_type"), imageOutputType());

    QJsonArray memoryArray;
    for (const Memory &m : memories) {
        QJsonObject o{{QStringLiteral("id"), m.id}, {QStringLiteral("content"), m.content}};
        o = withOptional(o, QStringLiteral("source"), m.source);
        o = withOptional(o, QStringLiteral("created_at"), m.createdAt);
        memoryArray.append(o);
    }
    state.insert(QStringLiteral("memories"), memoryArray);

    QJsonArray projectArray;
    for (const Project &p : projects) {
        QJsonObject o{{QStringLiteral("id"), p.id}, {QStringLiteral("name"), p.name}};
        o = withOptional(o, QStringLiteral("description"), p.description);
        o = withOptional(o, QStringLiteral("updated_at"), p.updatedAt);
        projectArray.append(o);
    }
    state.insert(QStringLiteral("projects"), projectArray);

    QJsonArray actionArray;
    for (const Action &a : actions) {
        QJsonObject o{{QStringLiteral("id"), a.id}, {QStringLiteral("title"), a.title}};
        o = withOptional(o, QStringLiteral("description"), a.description);
        o = withOptional(o, QStringLiteral("instruction"), a.instruction);
        actionArray.append(o);
    }
    state.insert(QStringLiteral("actions"), actionArray);

    state.insert(QStringLiteral("referral"),
                 withOptional(QJsonObject{}, QStringLiteral("link"), referralLink));
    state.insert(QStringLiteral("daily_bonus"),
                 QJsonObject{{QStringLiteral("claimed"), dailyBonusClaimed},
                             {QStringLiteral("amount"), dailyBonusAmount}});
    state.insert(QStringLiteral("features"),
                 QJsonObject{{QStringLiteral("long_memory"), features.longMemory},
                             {QStringLiteral("projects"), features.projects},
                             {QStringLiteral("actions"), features.actions},
                             {QStringLiteral("web_search"), features.webSearch}});

    QJsonObject settingsObject;
    settingsObject = withOptional(settingsObject, QStringLiteral("mode"), settings.mode);
    settingsObject = withOptional(settingsObject, QStringLiteral("response_length"),
                                  settings.responseLength);
    settingsObject = withOptional(settingsObject, QStringLiteral("creativity"), settings.creativity);
    settingsObject = withOptional(settingsObject, QStringLiteral("language"), settings.language);
    state.insert(QStringLiteral("settings"), settingsObject);

    return state;
}

QJsonObject ServiceState::messageJson(const ChatMessage &message)
{
    QJsonObject o{{QStringLiteral("role"), message.role}, {QStringLiteral("text"), message.text}};
    if (message.timeMs)
        o.insert(QStringLiteral("time"), *message.timeMs);
    if (!message.imageUrl.isUndefined())
        o.insert(QStringLiteral("image_url"), message.imageUrl);
    return o;
}

QJsonObject ServiceState::chatJson(const Chat &chat)
{
    QJsonArray messages;
    for (const ChatMessage &m : chat.messages)
        messages.append(messageJson(m));
    return QJsonObject{{QStringLiteral("id"), chat.id},
                       {QStringLiteral("title"), chat.title},
                       {QStringLiteral("messages"), messages}};
}

QJsonObject ServiceState::chatsJson() const
{
    QJsonArray list;
    for (const Chat &chat : chats)
        list.append(chatJson(chat));
    QJsonObject reply{{QStringLiteral("ok"), true}, {QStringLiteral("chats"), list}};
    if (!activeChatId.isEmpty())
        reply.insert(QStringLiteral("active_chat_id"), activeChatId);
    return reply;
}

Chat *ServiceState::findChat(const QString &id)
{
    // Search hits name chats by number (the service's ids are numbers; ours read "chat-<n>").
    bool number = false;
    id.toULongLong(&number);
    for (Chat &chat : chats) {
        if (chat.id == id || (number && chat.id == QStringLiteral("chat-") + id))
            return &chat;
    }
    return nullptr;
}

const Chat *ServiceState::findChat(const QString &id) const
{
    return const_cast<ServiceState *>(this)->findChat(id);
}

const ChatModel *ServiceState::findModel(const QString &id) const
{
    for (const ChatModel &m : models) {
        if (m.id == id)
            return &m;
    }
    return nullptr;
}

const ImageModel *ServiceState::findImageModel(const QString &id) const
{
    for (const ImageModel &m : imageModels) {
        if (m.id == id)
            return &m;
    }
    return nullptr;
}

QString ServiceState::imageOutputType() const
{
    const ImageModel *m = findImageModel(imageModel);
    return m ? m->outputType : QStringLiteral("image");
}

QString ServiceState::newChatId()
{
    QString id;
    do {
        id = QStringLiteral("chat-%1").arg(++m_nextChatNumber);
    } while (findChat(id));
    return id;
}

qint64 ServiceState::nextItemId()
{
    return ++m_nextItemId;
}

QString ServiceState::demoImageDataUrl(int seed, int size)
{
    // A night sky with a moon: a vertical gradient, a disc and a few stars. Plain pixel work,
    // so it needs no QGuiApplication and no fonts.
    QImage image(size, size, QImage::Format_RGB32);
    const double hue = (seed * 47) % 360;
    for (int y = 0; y < size; ++y) {
        const double t = double(y) / (size - 1);
        const QColor top = QColor::fromHsv(int(hue), 160, 60);
        const QColor bottom = QColor::fromHsv(int(hue + 40) % 360, 120, 170);
        const QRgb row = qRgb(int(top.red() + (bottom.red() - top.red()) * t),
                              int(top.green() + (bottom.green() - top.green()) * t),
                              int(top.blue() + (bottom.blue() - top.blue()) * t));
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x)
            line[x] = row;
    }
    const double cx = size * 0.68, cy = size * 0.32, r = size * 0.18;
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            const double d = qSqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            if (d <= r)
                line[x] = qRgb(245, 238, 200);
            else if (d <= r + 1.5)
                line[x] = qRgb(200, 196, 170);
        }
    }
    quint32 rng = quint32(seed) * 2654435761u + 1;
    for (int i = 0; i < size / 6; ++i) {
        rng = rng * 1664525u + 1013904223u;
        const int x = int(rng % quint32(size));
        rng = rng * 1664525u + 1013904223u;
        const int y = int(rng % quint32(size / 2));
        image.setPixel(x, y, qRgb(255, 255, 255));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace vexa::service
