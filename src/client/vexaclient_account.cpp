// Single-purpose account calls: the saved-answers collection shared with the bot, favourite
// prompt recipes, answer settings, the voice model recommendation, and the two calls the local
// code workspace uses to talk to the assistant outside the visible chat.
//
// saveAnswer and updateSetting serve the store and report through notice; the others serve one
// screen and hand their failure to it.

#include "vexaclient.h"
#include "detachedtask.h"

namespace vexa {

namespace {

QString answerSavedNotice()
{
    return QStringLiteral("Ответ сохранён. Откройте Пространство → Сохранённые ответы.");
}

// One query value, percent-encoded as UTF-8. What a query may carry stays; the item separators
// ("&", "="), the fragment mark, "%" and "+" (which form decoders read as a space) are encoded.
QString queryValue(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value, QByteArrayLiteral("!$'()*,;:@/?")));
}

QString savedAnswersPath(qint64 page, const QString &query)
{
    return QStringLiteral("/api/workspace/answers?page=") + QString::number(page)
        + QStringLiteral("&q=") + queryValue(query);
}

QJsonObject contentBody(const QString &text)
{
    QJsonObject body;
    body.insert(QStringLiteral("content"), text);
    return body;
}

QJsonObject favoriteBody(const VexaPromptRecipe &recipe)
{
    QJsonObject body;
    body.insert(QStringLiteral("enabled"), !recipe.isFavorite.value_or(false));
    return body;
}

// The identifier goes in verbatim (recipe ids are the service's own slugs), so one that would
// lead the request elsewhere (another path segment, a query, a fragment, an escape, a dot
// segment) has no path at all.
std::optional<QString> favoritePath(const QString &id)
{
    static const QString kPathCharacters = QStringLiteral("/?#%\\");
    if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String(".."))
        return std::nullopt;
    for (const QChar c : id) {
        if (kPathCharacters.contains(c))
            return std::nullopt;
    }
    return QStringLiteral("/api/workspace/recipes/") + id + QStringLiteral("/favorite");
}

QJsonObject settingBody(const QString &name, const QString &value)
{
    QJsonObject body;
    body.insert(name, value);
    return body;
}

QJsonObject askBody(const QString &message, const QString &conversationID,
                    const std::optional<VexaState> &state)
{
    QJsonObject body;
    body.insert(QStringLiteral("message"), message);
    body.insert(QStringLiteral("conversation_id"), conversationID);
    if (state && state->model)
        body.insert(QStringLiteral("model"), *state->model);
    return body;
}

// The decoder's own account of what was wrong with the recommendation.
ClientError recommendationFailure(const records::DecodeError &error)
{
    return PlatformError{PlatformError::Source::Json, 0,
                         QStringLiteral("Ответ сервера не разобран: %1.").arg(error.describe())};
}

} // namespace

QCoro::Task<Result<VexaSavedResponse>> VexaClient::savedAnswers(qint64 page, QString query)
{
    co_return co_await fetch<VexaSavedResponse>(savedAnswersPath(page, query));
}

QCoro::Task<> VexaClient::saveAnswer(QString text)
{
    QPointer<VexaClient> self(this);
    const bool saved = co_await change(QString::fromLatin1("/api/workspace/answers"),
                                       contentBody(text));
    if (self && saved)
        setNotice(answerSavedNotice());
}

QCoro::Task<Outcome<ClientError>> VexaClient::deleteSavedAnswer(qint64 id)
{
    QPointer<VexaClient> self(this);
    auto reply = co_await request(QString::fromLatin1("/api/workspace/answers/") + QString::number(id),
                                  std::nullopt, QByteArray("DELETE"));
    if (!reply)
        co_return reply.error();
    if (self && reply->state)
        setState(reply->state);
    co_return Outcome<ClientError>();
}

QCoro::Task<Result<QList<VexaPromptRecipe>>> VexaClient::favoriteRecipe(VexaPromptRecipe recipe)
{
    const std::optional<QString> path = favoritePath(recipe.id);
    if (!path)
        co_return ClientError(VexaError::invalidResponse()); // nothing is sent
    auto reply = co_await fetchWithBody<VexaRecipesResponse>(*path, favoriteBody(recipe));
    if (!reply)
        co_return reply.error();
    co_return std::move(reply->recipes);
}

QCoro::Task<> VexaClient::updateSetting(QString name, QString value)
{
    QPointer<VexaClient> self(this);
    const bool updated = co_await change(QString::fromLatin1("/api/settings/update"),
                                         settingBody(name, value));
    if (self && updated)
        setNotice(std::nullopt);
}

QCoro::Task<Result<VexaVoiceRecommendation>> VexaClient::voiceRecommendation()
{
    auto bytes = co_await requestData(QString::fromLatin1("/api/voice/recommendation"),
                                      QByteArray("GET"), std::nullopt);
    if (!bytes)
        co_return bytes.error();
    auto decoded = records::decodeJson<VexaVoiceRecommendation>(*bytes);
    if (!decoded)
        co_return recommendationFailure(decoded.error());
    co_return std::move(decoded).value();
}

QCoro::Task<Result<QString>> VexaClient::createCodeConversation()
{
    // Only the new conversation's id is wanted: the chat screen's mirror stays as it is.
    auto reply = co_await fetchWithBody<VexaChatsResponse>(QString::fromLatin1("/api/chats"),
                                                           QJsonObject());
    if (!reply)
        co_return reply.error();
    if (!reply->ok || !reply->activeChatID)
        co_return ClientError(VexaError::invalidResponse());
    co_return *reply->activeChatID;
}

QCoro::Task<Result<QString>> VexaClient::askCode(QString message, QString conversationID)
{
    QPointer<VexaClient> self(this);
    auto reply = co_await request(QString::fromLatin1("/api/chat"),
                                  askBody(message, conversationID, m_state));
    const bool answered = reply && reply->answer && !reply->answer->isEmpty();
    if (self)
        reportAnswer(AnswerEvent::Kind::Code, conversationID,
                     answered ? *reply->answer : QString(), !answered);
    if (!reply)
        co_return reply.error();
    if (!answered)
        co_return ClientError(VexaError::invalidResponse());
    if (self && reply->state)
        setState(reply->state);
    co_return *reply->answer;
}

void VexaClient::reportAnswer(AnswerEvent::Kind kind, const QString &conversationID,
                              const QString &text, bool failed)
{
    AnswerEvent event;
    event.kind = kind;
    event.chatID = conversationID;
    event.text = text;
    event.failed = failed;
    Q_EMIT answerArrived(event);
}

void VexaClient::startSaveAnswer(const QString &text)
{
    detach(saveAnswer(text));
}

void VexaClient::startUpdateSetting(const QString &name, const QString &value)
{
    detach(updateSetting(name, value));
}

} // namespace vexa
