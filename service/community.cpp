#include "community.h"

#include <QJsonArray>
#include <QLocale>

namespace vexa::service {

namespace {

CommunityPost groupPost(qint64 id, const QString &content, const QString &username,
                        const QString &firstName, int anonymous, qint64 likes,
                        const QString &createdAt)
{
    return {id, content, username, firstName, anonymous, likes, createdAt};
}

QJsonObject groupJsonObject(const CommunityGroup &group)
{
    QJsonObject object{{QStringLiteral("id"), group.id},
                       {QStringLiteral("members_count"), group.members},
                       {QStringLiteral("is_member"), group.member},
                       {QStringLiteral("community_type"), group.type}};
    if (!group.name.isEmpty())
        object.insert(QStringLiteral("name"), group.name);
    if (!group.title.isEmpty())
        object.insert(QStringLiteral("title"), group.title);
    if (!group.description.isEmpty())
        object.insert(QStringLiteral("description"), group.description);
    return object;
}

QJsonObject postJsonObject(const CommunityPost &post)
{
    QJsonObject object{{QStringLiteral("id"), post.id},
                       {QStringLiteral("content"), post.content},
                       {QStringLiteral("is_anonymous"), post.anonymous},
                       {QStringLiteral("total_likes"), post.likes},
                       {QStringLiteral("created_at_fmt"), post.createdAt}};
    // An anonymous post does not give its author away.
    if (!post.anonymous && !post.username.isEmpty())
        object.insert(QStringLiteral("username"), post.username);
    if (!post.anonymous && !post.firstName.isEmpty())
        object.insert(QStringLiteral("first_name"), post.firstName);
    return object;
}

QJsonObject topicJsonObject(const ForumTopic &topic)
{
    return {{QStringLiteral("id"), topic.id},
            {QStringLiteral("title"), topic.title},
            {QStringLiteral("posts_count"), qint64(topic.posts.size())},
            {QStringLiteral("is_locked"), topic.locked},
            {QStringLiteral("updated_at_fmt"), topic.updatedAt}};
}

QJsonObject forumPostJsonObject(const ForumPost &post)
{
    QJsonObject object{{QStringLiteral("id"), post.id},
                       {QStringLiteral("body"), post.body},
                       {QStringLiteral("created_at_fmt"), post.createdAt}};
    if (!post.author.isEmpty())
        object.insert(QStringLiteral("author_name"), post.author);
    return object;
}

} // namespace

Community::Community()
{
    m_groups = {
        {1, QStringLiteral("prompt_club"), QStringLiteral("Клуб промпт-инженеров"),
         QStringLiteral("Делимся удачными запросами, разбираем неудачные и учимся ставить "
                        "нейросети задачи так, чтобы с первого раза получалось то, что нужно."),
         1284, true, QStringLiteral("public"),
         {groupPost(11,
                    QStringLiteral("Лайфхак дня: попросите модель сначала задать вам три "
                                   "уточняющих вопроса, а уже потом писать текст. Ответы "
                                   "стали заметно точнее 👌"),
                    QStringLiteral("marina_writes"), QStringLiteral("Марина"), 0, 42,
                    QStringLiteral("6 дек. 2026, 21:14")),
          groupPost(12,
                    QStringLiteral("Стесняюсь спросить: а как вы просите модель не "
                                   "придумывать источники? У меня она всё равно иногда "
                                   "ссылается на несуществующие статьи."),
                    QString(), QString(), 1, 7, QStringLiteral("6 дек. 2026, 18:40")),
          groupPost(13,
                    QStringLiteral("Собрал шаблон для разбора договоров:\n"
                                   "1) кратко перескажи суть;\n"
                                   "2) выпиши сроки и штрафы;\n"
                                   "3) отметь пункты, которые стоит обсудить с юристом.\n\n"
                                   "Работает и для договоров аренды, и для трудовых. Главное — "
                                   "не забывать, что это помощник, а не юрист, и перепроверять "
                                   "всё, что касается денег и сроков. Если у кого-то есть "
                                   "вариант лучше — делитесь, дополню и закреплю здесь."),
                    QString(), QStringLiteral("Игорь"), 0, 118,
                    QStringLiteral("5 дек. 2026, 09:03")),
          groupPost(14, QStringLiteral("Всем привет! Я новенький 🙂"), QString(), QString(), 0, 3,
                    QStringLiteral("4 дек. 2026, 12:00"))}},
        {2, QStringLiteral("design_ai"), QStringLiteral("Дизайн с ИИ 🎨"),
         QStringLiteral("Генерация картинок, логотипов и иллюстраций: показываем результаты и "
                        "делимся промптами."),
         642, false, QStringLiteral("public"),
         {groupPost(21,
                    QStringLiteral("Попробовала стиль «акварель, мягкий свет, утро в горах» — "
                                   "получилось так красиво, что поставила на рабочий стол 🏔️"),
                    QStringLiteral("olga_art"), QString(), 0, 56,
                    QStringLiteral("6 дек. 2026, 10:22"))}},
        {3, QStringLiteral("Python и автоматизация"), QString(),
         QStringLiteral("Скрипты, боты и таблицы: автоматизируем рутину вместе с ассистентом."),
         315, false, QStringLiteral("public"), {}},
        {4, QStringLiteral("Книжный клуб 📚"), QString(), QString(), 87, true,
         QStringLiteral("private"),
         {groupPost(41, QStringLiteral("В декабре читаем «Мастера и Маргариту». Обсуждение в "
                                       "субботу!"),
                    QStringLiteral("librarian"), QStringLiteral("Вера"), 0, 12,
                    QStringLiteral("1 дек. 2026, 19:30"))}},
        // A group the service knows neither by name nor by title.
        {5, QString(), QString(),
         QStringLiteral("Тестовая группа для тех, кто только знакомится с Vexa AI."), 9, false,
         QStringLiteral("public"), {}},
    };

    m_topics = {
        {1, QStringLiteral("Как сохранять удачные ответы в коллекцию?"), false,
         QStringLiteral("6 дек. 2026, 20:05"),
         {{101,
           QStringLiteral("Подскажите, где найти ответы, которые я сохранил в боте? В "
                          "приложении не вижу."),
           QStringLiteral("Андрей"), QStringLiteral("6 дек. 2026, 19:41")},
          {102,
           QStringLiteral("Они в разделе «Рабочее пространство», карточка с сохранёнными "
                          "ответами. Коллекция общая с ботом."),
           QStringLiteral("Команда Vexa"), QStringLiteral("6 дек. 2026, 19:58")},
          {103, QStringLiteral("Нашёл, спасибо! 🙏"), QStringLiteral("Андрей"),
           QStringLiteral("6 дек. 2026, 20:05")}}},
        {2, QStringLiteral("Правила форума"), true, QStringLiteral("1 ноя. 2026, 10:00"),
         {{201,
           QStringLiteral("Пишите по теме, уважайте собеседников и не публикуйте личные данные. "
                          "Реклама и спам удаляются без предупреждения. Вопросы об оплате — в "
                          "поддержку через бота."),
           QStringLiteral("Команда Vexa"), QStringLiteral("1 ноя. 2026, 10:00")}}},
        {3, QStringLiteral("Идеи для новых функций 💡"), false,
         QStringLiteral("5 дек. 2026, 22:17"),
         {{301,
           QStringLiteral("Было бы здорово, если бы голосовой режим умел отвечать разными "
                          "голосами для разных персонажей. Например, строгий преподаватель "
                          "английского говорит одним голосом, а весёлый собеседник для "
                          "прогулок — другим. И ещё хочется, чтобы можно было продолжить "
                          "голосовой разговор с того места, где остановился, даже после "
                          "перезапуска приложения."),
           QStringLiteral("Светлана"), QStringLiteral("5 дек. 2026, 21:50")},
          {302, QStringLiteral("Плюсую! И тёмную тему для экспорта диалогов в PDF."), QString(),
           QStringLiteral("5 дек. 2026, 22:17")}}},
        {4, QStringLiteral("Голосовой режим не слышит микрофон"), false,
         QStringLiteral("4 дек. 2026, 15:32"),
         {{401,
           QStringLiteral("На ноутбуке нажимаю на микрофон, а индикатор не двигается. В других "
                          "программах микрофон работает."),
           QStringLiteral("Дмитрий"), QStringLiteral("4 дек. 2026, 15:10")},
          {402,
           QStringLiteral("Проверьте, что приложению разрешён доступ к микрофону в настройках "
                          "системы, и перезапустите его."),
           QStringLiteral("Команда Vexa"), QStringLiteral("4 дек. 2026, 15:32")}}},
    };
}

QString Community::displayDate(const QDateTime &time)
{
    return QLocale(QLocale::Russian, QLocale::Russia)
        .toString(time, QStringLiteral("d MMM yyyy, HH:mm"));
}

CommunityGroup *Community::group(qint64 id)
{
    for (CommunityGroup &group : m_groups) {
        if (group.id == id)
            return &group;
    }
    return nullptr;
}

ForumTopic *Community::topic(qint64 id)
{
    for (ForumTopic &topic : m_topics) {
        if (topic.id == id)
            return &topic;
    }
    return nullptr;
}

QJsonObject Community::groupsJson() const
{
    QJsonArray groups;
    for (const CommunityGroup &group : m_groups)
        groups.append(groupJsonObject(group));
    return {{QStringLiteral("ok"), true}, {QStringLiteral("communities"), groups}};
}

std::optional<QJsonObject> Community::groupJson(qint64 id) const
{
    for (const CommunityGroup &group : m_groups) {
        if (group.id != id)
            continue;
        QJsonArray posts;
        for (const CommunityPost &post : group.posts)
            posts.append(postJsonObject(post));
        return QJsonObject{{QStringLiteral("ok"), true},
                           {QStringLiteral("community"), groupJsonObject(group)},
                           {QStringLiteral("posts"), posts}};
    }
    return std::nullopt;
}

bool Community::setMember(qint64 id, bool member)
{
    CommunityGroup *found = group(id);
    if (!found)
        return false;
    // Joining twice (or leaving twice) changes nothing.
    if (found->member != member) {
        found->member = member;
        found->members = qMax<qint64>(0, found->members + (member ? 1 : -1));
    }
    return true;
}

Community::PostResult Community::post(qint64 groupId, const QString &content, bool anonymous,
                                      const QString &username, const QString &firstName)
{
    CommunityGroup *found = group(groupId);
    if (!found)
        return PostResult::NoGroup;
    if (!found->member)
        return PostResult::NotMember;
    found->posts.prepend(groupPost(m_nextPostId++, content, username, firstName,
                                   anonymous ? 1 : 0, 0,
                                   displayDate(QDateTime::currentDateTime())));
    return PostResult::Posted;
}

bool Community::like(qint64 postId)
{
    for (CommunityGroup &group : m_groups) {
        for (CommunityPost &post : group.posts) {
            if (post.id == postId) {
                ++post.likes;
                return true;
            }
        }
    }
    return false;
}

QJsonObject Community::topicsJson() const
{
    QJsonArray topics;
    for (const ForumTopic &topic : m_topics)
        topics.append(topicJsonObject(topic));
    return {{QStringLiteral("ok"), true}, {QStringLiteral("topics"), topics}};
}

std::optional<QJsonObject> Community::topicJson(qint64 id) const
{
    for (const ForumTopic &topic : m_topics) {
        if (topic.id != id)
            continue;
        QJsonArray posts;
        for (const ForumPost &post : topic.posts)
            posts.append(forumPostJsonObject(post));
        return QJsonObject{{QStringLiteral("ok"), true},
                           {QStringLiteral("topic"), topicJsonObject(topic)},
                           {QStringLiteral("posts"), posts}};
    }
    return std::nullopt;
}

qint64 Community::createTopic(const QString &title, const QString &body, const QString &author)
{
    const QString now = displayDate(QDateTime::currentDateTime());
    ForumTopic topic{m_nextTopicId++, title, false, now, {}};
    if (!body.trimmed().isEmpty())
        topic.posts.append({m_nextPostId++, body, author, now});
    m_topics.prepend(topic);
    return topic.id;
}

Community::ReplyResult Community::reply(qint64 topicId, const QString &body,
                                        const QString &author)
{
    ForumTopic *found = topic(topicId);
    if (!found)
        return ReplyResult::NoTopic;
    if (found->locked)
        return ReplyResult::Locked;
    const QString now = displayDate(QDateTime::currentDateTime());
    found->posts.append({m_nextPostId++, body, author, now});
    found->updatedAt = now;
    return ReplyResult::Replied;
}

} // namespace vexa::service
