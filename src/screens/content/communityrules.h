#pragma once

// The community section's display and input rules: names and authors as they are shown, who
// counts as a member, when a title, a reply or a post may be sent, and the service paths of a
// group, a post and a topic (identifiers always written as decimal numbers).

#include "catalogrecords.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

namespace vexa::community {

// "Сообщество" when a group has neither a title nor a name.
QString groupName(const VexaCommunity &group);
// The loaded detail's description, else the tapped row's, else empty.
QString groupDescription(const std::optional<VexaCommunity> &detail, const VexaCommunity &row);
// The loaded detail's member count, else the tapped row's, else 0.
qint64 groupMembers(const std::optional<VexaCommunity> &detail, const VexaCommunity &row);
// Membership is what the group's own detail says; a list row's flag is never trusted.
bool isMember(const std::optional<VexaCommunity> &detail);

// Only the integer 1 marks an anonymous post (0, 2 and an absent flag do not).
bool isAnonymous(const VexaCommunityPost &post);
QString postAuthor(const VexaCommunityPost &post);
QString forumAuthor(const VexaForumPost &post);
// An absent "is_locked" accepts replies.
bool acceptsReplies(const VexaForumTopic &topic);

// Spaces (every Unicode space separator) and tabs removed from both ends; line breaks stay.
QString trimSpacesAndTabs(const QString &text);
// User-perceived characters: an accented letter or a composed emoji counts once.
qsizetype perceivedLength(const QString &text);
inline constexpr qsizetype kMinimumTitleLength = 3;
bool isAcceptableTitle(const QString &title);
// A reply or a post has something besides spaces and tabs.
bool hasText(const QString &text);

QString topicsPath();
QString groupsPath();
QString newTopicPath();
QString topicPath(qint64 topicId);
QString topicReplyPath(qint64 topicId);
QString groupPath(qint64 groupId);
// "leave" for a member, "join" otherwise.
QString membershipPath(qint64 groupId, bool leave);
QString groupPostPath(qint64 groupId);
QString likePath(qint64 postId);

// The parts of an accessible name read as sentences: each part trimmed, empty ones left out,
// and ". " between them unless a part already ends with its own punctuation ("…", "!", "?",
// also inside a closing quote or bracket), which then takes only a space.
QString spokenJoin(const QStringList &parts);
// What a screen reader says for a group row, a topic row, a group post and a forum post.
QString groupRowSpoken(const VexaCommunity &group);
QString topicRowSpoken(const VexaForumTopic &topic);
QString postSpoken(const VexaCommunityPost &post);
QString forumPostSpoken(const VexaForumPost &post);

// Texts of the screens.
QString noTopicsText();
QString noGroupsText();
QString noPostsText();
// A list whose reply said it failed.
QString failedListText();
QString repliesText(const VexaForumTopic &topic);
QString membersText(qint64 members);
QString likesText(const VexaCommunityPost &post);

} // namespace vexa::community

// The opened rows travel through QML as opaque values.
Q_DECLARE_METATYPE(vexa::VexaForumTopic)
Q_DECLARE_METATYPE(vexa::VexaCommunity)
