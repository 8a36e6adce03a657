#pragma once

// Catalogue and community replies: characters, prompt recipes, saved answers, tariffs, the voice
// model recommendation, community groups and the forum. Decoded strictly, never sent.

#include "decode.h"

namespace vexa {

using records::field::optional;
using records::field::required;

struct VexaCharacter {
    QString id;
    QString name;
    std::optional<QString> emoji;
    std::optional<QString> story;
    std::optional<QString> manner;
    std::optional<bool> isUnlocked;
    std::optional<bool> isActive;
    std::optional<QString> botBuyURL;
    std::optional<QString> portraitURL;

    static auto schema()
    {
        using C = VexaCharacter;
        return std::tuple{required("id", &C::id), required("name", &C::name),
                          optional("emoji", &C::emoji), optional("story", &C::story),
                          optional("manner", &C::manner), optional("is_unlocked", &C::isUnlocked),
                          optional("is_active", &C::isActive),
                          optional("bot_buy_url", &C::botBuyURL),
                          optional("portrait_url", &C::portraitURL)};
    }
};

struct CharactersResponse {
    bool ok = false;
    std::optional<QList<VexaCharacter>> characters;

    static auto schema()
    {
        return std::tuple{required("ok", &CharactersResponse::ok),
                          optional("characters", &CharactersResponse::characters)};
    }
};

struct VexaPromptRecipe {
    QString id;
    QString title;
    QString prompt;
    QString hint;
    std::optional<QString> category;
    std::optional<bool> isFavorite;

    static auto schema()
    {
        using R = VexaPromptRecipe;
        return std::tuple{required("id", &R::id), required("title", &R::title),
                          required("prompt", &R::prompt), required("hint", &R::hint),
                          optional("category", &R::category),
                          optional("is_favorite", &R::isFavorite)};
    }
};

struct VexaRecipesResponse {
    bool ok = false;
    QList<VexaPromptRecipe> recipes;

    static auto schema()
    {
        return std::tuple{required("ok", &VexaRecipesResponse::ok),
                          required("recipes", &VexaRecipesResponse::recipes)};
    }
};

struct VexaSavedAnswer {
    qint64 id = 0;
    QString title;
    QString content;

    static auto schema()
    {
        return std::tuple{required("id", &VexaSavedAnswer::id),
                          required("title", &VexaSavedAnswer::title),
                          required("content", &VexaSavedAnswer::content)};
    }
};

// One page of the saved-answers collection shared with the bot.
struct VexaSavedResponse {
    bool ok = false;
    QList<VexaSavedAnswer> answers;
    qint64 used = 0;
    qint64 capacity = 0;
    bool hasMore = false;

    static auto schema()
    {
        using S = VexaSavedResponse;
        return std::tuple{required("ok", &S::ok), required("answers", &S::answers),
                          required("used", &S::used), required("capacity", &S::capacity),
                          required("has_more", &S::hasMore)};
    }
};

struct VexaPlanOffer {
    QString id;
    QString title;
    std::optional<qint64> dailyLimit;
    std::optional<QList<QString>> features; // one line per advantage, in display order
    std::optional<bool> isCurrent;
    std::optional<QString> botBuyURL;

    static auto schema()
    {
        using P = VexaPlanOffer;
        return std::tuple{required("id", &P::id), required("title", &P::title),
                          optional("daily_limit", &P::dailyLimit),
                          optional("features", &P::features),
                          optional("is_current", &P::isCurrent),
                          optional("bot_buy_url", &P::botBuyURL)};
    }
};

struct PlansResponse {
    bool ok = false;
    std::optional<QList<VexaPlanOffer>> plans;
    std::optional<QString> error; // why a reply with `ok` false lists nothing

    static auto schema()
    {
        return std::tuple{required("ok", &PlansResponse::ok),
                          optional("plans", &PlansResponse::plans),
                          optional("error", &PlansResponse::error)};
    }
};

// The fast chat model the service suggests for hands-free conversation (top level of the reply).
struct VexaVoiceRecommendation {
    QString model;
    QString title;
    QString reason;

    static auto schema()
    {
        return std::tuple{required("model", &VexaVoiceRecommendation::model),
                          required("title", &VexaVoiceRecommendation::title),
                          required("reason", &VexaVoiceRecommendation::reason)};
    }
};

struct VexaCommunity {
    qint64 id = 0;
    std::optional<QString> name;
    std::optional<QString> title;
    std::optional<QString> description;
    std::optional<qint64> membersCount;
    std::optional<bool> isMember;
    std::optional<QString> communityType;

    static auto schema()
    {
        using C = VexaCommunity;
        return std::tuple{required("id", &C::id), optional("name", &C::name),
                          optional("title", &C::title), optional("description", &C::description),
                          optional("members_count", &C::membersCount),
                          optional("is_member", &C::isMember),
                          optional("community_type", &C::communityType)};
    }
};

struct VexaCommunityPost {
    qint64 id = 0;
    QString content;
    std::optional<QString> username;
    std::optional<QString> firstName;
    std::optional<qint64> isAnonymous; // an integer flag on the wire, not a boolean
    std::optional<qint64> totalLikes;
    std::optional<QString> createdAt;  // already formatted by the service

    static auto schema()
    {
        using P = VexaCommunityPost;
        return std::tuple{required("id", &P::id), required("content", &P::content),
                          optional("username", &P::username),
                          optional("first_name", &P::firstName),
                          optional("is_anonymous", &P::isAnonymous),
                          optional("total_likes", &P::totalLikes),
                          optional("created_at_fmt", &P::createdAt)};
    }
};

struct CommunitiesResponse {
    bool ok = false;
    std::optional<QList<VexaCommunity>> communities;

    static auto schema()
    {
        return std::tuple{required("ok", &CommunitiesResponse::ok),
                          optional("communities", &CommunitiesResponse::communities)};
    }
};

struct CommunityDetailResponse {
    bool ok = false;
    std::optional<VexaCommunity> community;
    std::optional<QList<VexaCommunityPost>> posts;

    static auto schema()
    {
        return std::tuple{required("ok", &CommunityDetailResponse::ok),
                          optional("community", &CommunityDetailResponse::community),
                          optional("posts", &CommunityDetailResponse::posts)};
    }
};

struct VexaForumTopic {
    qint64 id = 0;
    QString title;
    std::optional<qint64> postsCount;
    std::optional<bool> isLocked;
    std::optional<QString> updatedAt; // already formatted by the service

    static auto schema()
    {
        using T = VexaForumTopic;
        return std::tuple{required("id", &T::id), required("title", &T::title),
                          optional("posts_count", &T::postsCount),
                          optional("is_locked", &T::isLocked),
                          optional("updated_at_fmt", &T::updatedAt)};
    }
};

struct VexaForumPost {
    qint64 id = 0;
    QString body;
    std::optional<QString> authorName;
    std::optional<QString> createdAt; // already formatted by the service

    static auto schema()
    {
        using P = VexaForumPost;
        return std::tuple{required("id", &P::id), required("body", &P::body),
                          optional("author_name", &P::authorName),
                          optional("created_at_fmt", &P::createdAt)};
    }
};

struct ForumListResponse {
    bool ok = false;
    std::optional<QList<VexaForumTopic>> topics;

    static auto schema()
    {
        return std::tuple{required("ok", &ForumListResponse::ok),
                          optional("topics", &ForumListResponse::topics)};
    }
};

struct ForumTopicResponse {
    bool ok = false;
    std::optional<VexaForumTopic> topic;
    std::optional<QList<VexaForumPost>> posts;

    static auto schema()
    {
        return std::tuple{required("ok", &ForumTopicResponse::ok),
                          optional("topic", &ForumTopicResponse::topic),
                          optional("posts", &ForumTopicResponse::posts)};
    }
};

} // namespace vexa
