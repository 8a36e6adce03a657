#include "communityrules.h"

#include <QTextBoundaryFinder>

namespace vexa::community {

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

QString nonEmpty(const std::optional<QString> &text)
{
    return text && !text->isEmpty() ? *text : QString();
}

// Sentence and clause ends; a closing quote or bracket after one of them ends the part too.
bool endsWithPunctuation(const QString &part)
{
    static const QString enders = QStringLiteral(".!?…:;");
    qsizetype end = part.size();
    while (end > 0) {
        const QChar c = part.at(end - 1);
        const auto category = c.category();
        if (category == QChar::Punctuation_Close || category == QChar::Punctuation_FinalQuote
            || c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            --end;
            continue;
        }
        return enders.contains(c);
    }
    return false;
}

} // namespace

QString groupName(const VexaCommunity &group)
{
    if (const QString title = nonEmpty(group.title); !title.isEmpty())
        return title;
    if (const QString name = nonEmpty(group.name); !name.isEmpty())
        return name;
    return QStringLiteral("Сообщество");
}

QString groupDescription(const std::optional<VexaCommunity> &detail, const VexaCommunity &row)
{
    if (detail && detail->description)
        return *detail->description;
    return row.description.value_or(QString());
}

qint64 groupMembers(const std::optional<VexaCommunity> &detail, const VexaCommunity &row)
{
    if (detail && detail->membersCount)
        return *detail->membersCount;
    return row.membersCount.value_or(0);
}

bool isMember(const std::optional<VexaCommunity> &detail)
{
    return detail && detail->isMember.value_or(false);
}

bool isAnonymous(const VexaCommunityPost &post)
{
    return post.isAnonymous == 1;
}

QString postAuthor(const VexaCommunityPost &post)
{
    if (isAnonymous(post))
        return QStringLiteral("Анонимно");
    if (post.username)
        return QLatin1Char('@') + *post.username;
    if (post.firstName)
        return *post.firstName;
    return QStringLiteral("Участник");
}

QString forumAuthor(const VexaForumPost &post)
{
    return post.authorName.value_or(QStringLiteral("Пользователь"));
}

bool acceptsReplies(const VexaForumTopic &topic)
{
    return !topic.isLocked.value_or(false);
}

QString trimSpacesAndTabs(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

qsizetype perceivedLength(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

bool isAcceptableTitle(const QString &title)
{
    return perceivedLength(trimSpacesAndTabs(title)) >= kMinimumTitleLength;
}

bool hasText(const QString &text)
{
    return !trimSpacesAndTabs(text).isEmpty();
}

QString topicsPath()
{
    return QStringLiteral("/api/forum/topics");
}

QString groupsPath()
{
    return QStringLiteral("/api/community/list");
}

QString newTopicPath()
{
    return QStringLiteral("/api/forum/topic");
}

QString topicPath(qint64 topicId)
{
    return QStringLiteral("/api/forum/topic/") + QString::number(topicId);
}

QString topicReplyPath(qint64 topicId)
{
    return topicPath(topicId) + QStringLiteral("/reply");
}

QString groupPath(qint64 groupId)
{
    return QStringLiteral("/api/community/") + QString::number(groupId);
}

QString membershipPath(qint64 groupId, bool leave)
{
    return groupPath(groupId) + (leave ? QStringLiteral("/leave") : QStringLiteral("/join"));
}

QString groupPostPath(qint64 groupId)
{
    return groupPath(groupId) + QStringLiteral("/post");
}

QString likePath(qint64 postId)
{
    return QStringLiteral("/api/community/post/") + QString::number(postId)
        + QStringLiteral("/like");
}

QString spokenJoin(const QStringList &parts)
{
    QString joined;
    for (const QString &raw : parts) {
        const QString part = raw.trimmed();
        if (part.isEmpty())
            continue;
        if (!joined.isEmpty())
            joined += endsWithPunctuation(joined) ? QStringLiteral(" ") : QStringLiteral(". ");
        joined += part;
    }
    return joined;
}

QString groupRowSpoken(const VexaCommunity &group)
{
    return spokenJoin({groupName(group), group.description.value_or(QString()),
                       membersText(group.membersCount.value_or(0))});
}

QString topicRowSpoken(const VexaForumTopic &topic)
{
    return spokenJoin({topic.title, repliesText(topic)});
}

QString postSpoken(const VexaCommunityPost &post)
{
    return spokenJoin({postAuthor(post) + QStringLiteral(": ") + post.content,
                       post.createdAt.value_or(QString()), likesText(post)});
}

QString forumPostSpoken(const VexaForumPost &post)
{
    return spokenJoin({forumAuthor(post) + QStringLiteral(": ") + post.body,
                       post.createdAt.value_or(QString())});
}

QString noTopicsText()
{
    return QStringLiteral("Тем пока нет.");
}

QString noGroupsText()
{
    return QStringLiteral("Групп пока нет.");
}

QString noPostsText()
{
    return QStringLiteral("Сообщений пока нет.");
}

QString failedListText()
{
    return QStringLiteral("Запрос не выполнен.");
}

QString repliesText(const VexaForumTopic &topic)
{
    return QStringLiteral("Ответов: ") + QString::number(topic.postsCount.value_or(0));
}

QString membersText(qint64 members)
{
    return QStringLiteral("Участников: ") + QString::number(members);
}

QString likesText(const VexaCommunityPost &post)
{
    return QStringLiteral("♡ ") + QString::number(post.totalLikes.value_or(0));
}

} // namespace vexa::community
