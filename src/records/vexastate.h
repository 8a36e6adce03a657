#pragma once

// The account as the service describes it: the reply of /api/state and the "state" member of
// every reply envelope. Values only: decoded once, never built or sent by the client.

#include "decode.h"

namespace vexa {

using records::field::optional;
using records::field::required;

struct VexaUser {
    std::optional<qint64> userID;
    std::optional<QString> username;
    std::optional<QString> firstName;

    static auto schema()
    {
        return std::tuple{optional("user_id", &VexaUser::userID),
                          optional("username", &VexaUser::username),
                          optional("first_name", &VexaUser::firstName)};
    }
};

struct VexaPlan {
    std::optional<QString> id;
    std::optional<QString> title;
    std::optional<QString> expiresLabel;

    static auto schema()
    {
        return std::tuple{optional("id", &VexaPlan::id), optional("title", &VexaPlan::title),
                          optional("expires_label", &VexaPlan::expiresLabel)};
    }
};

struct VexaModel {
    QString id;
    QString title;
    std::optional<QString> description;
    bool isAvailable = false;

    static auto schema()
    {
        return std::tuple{required("id", &VexaModel::id), required("title", &VexaModel::title),
                          optional("description", &VexaModel::description),
                          required("is_available", &VexaModel::isAvailable)};
    }
};

// Allowances per minute, day and week (negative = unlimited) and counters.
struct VexaLimits {
    std::optional<qint64> minute;
    std::optional<qint64> day;
    std::optional<qint64> week;
    std::optional<qint64> usedDay;
    std::optional<qint64> bonusRequests;
    std::optional<qint64> imageCredits;

    static auto schema()
    {
        return std::tuple{optional("minute", &VexaLimits::minute),
                          optional("day", &VexaLimits::day), optional("week", &VexaLimits::week),
                          optional("used_day", &VexaLimits::usedDay),
                          optional("bonus_requests", &VexaLimits::bonusRequests),
                          optional("image_credits", &VexaLimits::imageCredits)};
    }
};

// The FunPay model group's own allowances; the service always sends all four.
struct VexaProviderLimits {
    qint64 day = 0;
    qint64 week = 0;
    qint64 used_day = 0;
    qint64 used_week = 0;

    static auto schema()
    {
        return std::tuple{required("day", &VexaProviderLimits::day),
                          required("week", &VexaProviderLimits::week),
                          required("used_day", &VexaProviderLimits::used_day),
                          required("used_week", &VexaProviderLimits::used_week)};
    }
};

struct VexaStreak {
    std::optional<qint64> currentStreak;

    static auto schema() { return std::tuple{optional("current_streak", &VexaStreak::currentStreak)}; }
};

struct VexaStats {
    std::optional<qint64> messages;
    std::optional<qint64> images;
    std::optional<VexaStreak> streak;

    static auto schema()
    {
        return std::tuple{optional("messages", &VexaStats::messages),
                          optional("images", &VexaStats::images),
                          optional("streak", &VexaStats::streak)};
    }
};

struct VexaSettings {
    std::optional<QString> mode;
    std::optional<QString> responseLength;
    std::optional<QString> creativity;
    std::optional<QString> language;

    static auto schema()
    {
        return std::tuple{optional("mode", &VexaSettings::mode),
                          optional("response_length", &VexaSettings::responseLength),
                          optional("creativity", &VexaSettings::creativity),
                          optional("language", &VexaSettings::language)};
    }
};

struct VexaFeatures {
    std::optional<bool> longMemory;
    std::optional<bool> projects;
    std::optional<bool> actions;
    std::optional<bool> webSearch;

    static auto schema()
    {
        return std::tuple{optional("long_memory", &VexaFeatures::longMemory),
                          optional("projects", &VexaFeatures::projects),
                          optional("actions", &VexaFeatures::actions),
                          optional("web_search", &VexaFeatures::webSearch)};
    }
};

struct VexaReferral {
    std::optional<QString> link;

    static auto schema() { return std::tuple{optional("link", &VexaReferral::link)}; }
};

struct VexaDailyBonus {
    std::optional<bool> claimed;
    std::optional<qint64> amount;

    static auto schema()
    {
        return std::tuple{optional("claimed", &VexaDailyBonus::claimed),
                          optional("amount", &VexaDailyBonus::amount)};
    }
};

// Memories, server projects and saved actions share one shape: an integer id, one required
// text and two optional texts.
struct VexaMemory {
    qint64 id = 0;
    QString content;
    std::optional<QString> source;
    std::optional<QString> createdAt;

    static auto schema()
    {
        return std::tuple{required("id", &VexaMemory::id), required("content", &VexaMemory::content),
                          optional("source", &VexaMemory::source),
                          optional("created_at", &VexaMemory::createdAt)};
    }
};

struct VexaProject {
    qint64 id = 0;
    QString name;
    std::optional<QString> description;
    std::optional<QString> updatedAt;

    static auto schema()
    {
        return std::tuple{required("id", &VexaProject::id), required("name", &VexaProject::name),
                          optional("description", &VexaProject::description),
                          optional("updated_at", &VexaProject::updatedAt)};
    }
};

struct VexaAction {
    qint64 id = 0;
    QString title;
    std::optional<QString> description;
    std::optional<QString> instruction;

    static auto schema()
    {
        return std::tuple{required("id", &VexaAction::id), required("title", &VexaAction::title),
                          optional("description", &VexaAction::description),
                          optional("instruction", &VexaAction::instruction)};
    }
};

// Every field may be absent: `{}` is a valid, empty state.
struct VexaState {
    std::optional<VexaUser> user;
    std::optional<VexaPlan> plan;
    std::optional<QString> model;
    std::optional<QList<VexaModel>> models;
    std::optional<VexaLimits> limits;
    std::optional<VexaProviderLimits> funpayLimits;
    std::optional<VexaStats> stats;
    std::optional<bool> canGenerateImages;
    std::optional<QMap<QString, QString>> imageModels; // identifier -> title
    std::optional<QString> imageModel;
    std::optional<bool> imageModelLocked;
    std::optional<bool> modelLocked;
    std::optional<QString> imageOutputType;
    std::optional<QList<VexaMemory>> memories;
    std::optional<QList<VexaProject>> projects;
    std::optional<QList<VexaAction>> actions;
    std::optional<VexaReferral> referral;
    std::optional<VexaDailyBonus> dailyBonus;
    std::optional<VexaFeatures> features;
    std::optional<VexaSettings> settings;

    // Signed in means: a user with a user id. Nothing else in the state matters for that.
    bool hasUserID() const { return user && user->userID.has_value(); }

    static auto schema()
    {
        return std::tuple{optional("user", &VexaState::user),
                          optional("plan", &VexaState::plan),
                          optional("model", &VexaState::model),
                          optional("models", &VexaState::models),
                          optional("limits", &VexaState::limits),
                          optional("funpay_limits", &VexaState::funpayLimits),
                          optional("stats", &VexaState::stats),
                          optional("can_generate_images", &VexaState::canGenerateImages),
                          optional("image_models", &VexaState::imageModels),
                          optional("image_model", &VexaState::imageModel),
                          optional("image_model_locked", &VexaState::imageModelLocked),
                          optional("model_locked", &VexaState::modelLocked),
                          optional("image_output_type", &VexaState::imageOutputType),
                          optional("memories", &VexaState::memories),
                          optional("projects", &VexaState::projects),
                          optional("actions", &VexaState::actions),
                          optional("referral", &VexaState::referral),
                          optional("daily_bonus", &VexaState::dailyBonus),
                          optional("features", &VexaState::features),
                          optional("settings", &VexaState::settings)};
    }
};

} // namespace vexa
