#include "contentdata.h"

#include "pictures.h"

#include <QBuffer>
#include <QJsonArray>
#include <QRegularExpression>
#include <QUrl>

namespace vexa::service {

CharacterCatalog::CharacterCatalog()
{
    using P = Character::Portrait;
    characters = {
        {QStringLiteral("mira"), QStringLiteral("Мира"), QStringLiteral("🌿"),
         QStringLiteral("Спокойная собеседница: выслушает, поможет разложить мысли по полочкам."),
         QStringLiteral("мягко и без спешки"), true, QString(), P::Session},
        {QStringLiteral("arkady"), QStringLiteral("Аркадий Петрович"), QStringLiteral("🎓"),
         QStringLiteral("Строгий, но справедливый преподаватель математики из Казани."),
         QStringLiteral("по делу, с задачами на дом"), true, QString(), P::Public},
        {QStringLiteral("luna"), QStringLiteral("Луна"), QStringLiteral("🌙"),
         QStringLiteral("Сочиняет сказки на ночь и стихи к праздникам."), QString(), true, QString(),
         P::None},
        {QStringLiteral("shelest"), QStringLiteral("Детектив Шелест"), QString(),
         QStringLiteral("Разбирает запутанные истории и задаёт неудобные вопросы."), QString(), false,
         QStringLiteral("https://t.me/VexaAIBot?start=character_shelest"), P::None},
    };
}

const Character *CharacterCatalog::find(const QString &id) const
{
    for (const Character &character : characters) {
        if (character.id == id)
            return &character;
    }
    return nullptr;
}

QString CharacterCatalog::publicPortraitPath(const QString &id)
{
    return QStringLiteral("/portraits/") + id;
}

QString CharacterCatalog::sessionPortraitPath(const QString &id)
{
    return QStringLiteral("/api/characters/") + id + QStringLiteral("/portrait");
}

QJsonObject CharacterCatalog::toJson(const QString &origin) const
{
    QJsonArray list;
    for (const Character &c : characters) {
        QJsonObject item{{QStringLiteral("id"), c.id},
                         {QStringLiteral("name"), c.name},
                         {QStringLiteral("is_unlocked"), c.unlocked},
                         {QStringLiteral("is_active"), c.id == activeId}};
        if (!c.emoji.isEmpty())
            item.insert(QStringLiteral("emoji"), c.emoji);
        if (!c.story.isEmpty())
            item.insert(QStringLiteral("story"), c.story);
        if (!c.manner.isEmpty())
            item.insert(QStringLiteral("manner"), c.manner);
        if (!c.buyUrl.isEmpty())
            item.insert(QStringLiteral("bot_buy_url"), c.buyUrl);
        if (c.portrait == Character::Portrait::Public)
            item.insert(QStringLiteral("portrait_url"), origin + publicPortraitPath(c.id));
        else if (c.portrait == Character::Portrait::Session)
            item.insert(QStringLiteral("portrait_url"), origin + sessionPortraitPath(c.id));
        list.append(item);
    }
    return {{QStringLiteral("ok"), true}, {QStringLiteral("characters"), list}};
}

QByteArray CharacterCatalog::portraitPng(const Character &character)
{
    auto cached = m_portraits.constFind(character.id);
    if (cached != m_portraits.constEnd())
        return *cached;
    const QImage picture = drawPicture(character.name + QStringLiteral(" портрет"), PictureStyle::Painting)
                               .scaled(144, 144, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    m_portraits.insert(character.id, png);
    return png;
}

QString composeSearchAnswer(const QString &query)
{
    const QString topic = query.simplified();
    return QStringLiteral("Коротко о главном по запросу «%1»:\n\n"
                          "• Свежие публикации сходятся в основном: тема активно обсуждается, "
                          "данные обновлялись на этой неделе.\n"
                          "• Расхождения касаются деталей: сверяйте цифры с первоисточником.\n\n"
                          "Источники:\n"
                          "1. https://ria.ru/\n"
                          "2. https://habr.com/ru/news/")
        .arg(topic);
}

namespace {

QStringList sentences(const QString &text)
{
    static const QRegularExpression split(QStringLiteral("(?<=[.!?…])\\s+"));
    QStringList parts;
    for (const QString &part : text.simplified().split(split, Qt::SkipEmptyParts))
        parts.append(part.trimmed());
    return parts;
}

QString tidy(QString text)
{
    static const QRegularExpression spaces(QStringLiteral("[ \\t]{2,}"));
    static const QRegularExpression beforePunctuation(QStringLiteral("\\s+([,.!?;:])"));
    text.replace(spaces, QStringLiteral(" "));
    text.replace(beforePunctuation, QStringLiteral("\\1"));
    text = text.trimmed();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    if (!text.isEmpty() && !QStringLiteral(".!?…").contains(text.back()))
        text.append(QLatin1Char('.'));
    return text;
}

} // namespace

QString composeActionAnswer(const QString &instruction, const QString &input)
{
    const QString rule = instruction.toLower();
    const QStringList parts = sentences(input);
    if (rule.contains(QStringLiteral("переска")) || rule.contains(QStringLiteral("кратк"))) {
        QString answer = QStringLiteral("Главное:\n");
        for (qsizetype i = 0; i < parts.size() && i < 5; ++i)
            answer += QStringLiteral("%1. %2\n").arg(i + 1).arg(parts.at(i));
        return answer.trimmed();
    }
    if (rule.contains(QStringLiteral("орфограф")) || rule.contains(QStringLiteral("исправ")))
        return tidy(input);
    if (rule.isEmpty() || rule.contains(QStringLiteral("письм")))
        return QStringLiteral("Здравствуйте!\n\n%1\n\nС уважением,\nАлина").arg(tidy(input));
    return QStringLiteral("Готово по инструкции «%1»:\n\n%2").arg(instruction.trimmed(), tidy(input));
}

} // namespace vexa::service
