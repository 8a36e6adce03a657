#include "toolsviewmodel.h"

#include "detachedtask.h"
#include "toolsrules.h"
#include "workspacerules.h"

#include <QJsonObject>

#include <algorithm>
#include <QVariantMap>

namespace vexa {

using namespace content;

namespace {

QString buttonName(CharacterButton button)
{
    switch (button) {
    case CharacterButton::Active: return QStringLiteral("active");
    case CharacterButton::Enable: return QStringLiteral("enable");
    case CharacterButton::Open: return QStringLiteral("open");
    case CharacterButton::None: break;
    }
    return QStringLiteral("none");
}

} // namespace

ToolsViewModel::ToolsViewModel(QObject *parent)
    : ToolsViewModel(VexaClient::shared(), chat::ChatPlatform::system(), parent)
{
}

ToolsViewModel::ToolsViewModel(VexaClient *client, std::shared_ptr<chat::ChatPlatform> platform,
                               QObject *parent)
    : QObject(parent)
    , m_client(client)
    , m_platform(std::move(platform))
    , m_actionRows(new KeyedRowModel({"title"}, this))
    , m_characterRows(new KeyedRowModel({"name", "story", "emoji", "portrait", "button"}, this))
{
    if (client) {
        connect(client, &VexaClient::stateChanged, this, &ToolsViewModel::followState);
        connect(client, &VexaClient::stateChanged, this, &ToolsViewModel::searchChanged);
    }
    followState();
}

QList<VexaAction> ToolsViewModel::stateActions() const
{
    if (!m_client || !m_client->state())
        return {};
    return m_client->state()->actions.value_or(QList<VexaAction>());
}

// The selection keeps to an action that exists: the first one when the state arrives (also
// after the screen appeared) or when the chosen one went away.
void ToolsViewModel::followState()
{
    const QList<VexaAction> list = stateActions();
    const bool listed = std::any_of(list.cbegin(), list.cend(),
                                    [this](const VexaAction &a) { return a.id == m_selectedAction; });
    if (!list.isEmpty() && !listed)
        m_selectedAction = list.constFirst().id;
    QVariantList keys;
    QList<QVariantMap> rows;
    for (const VexaAction &action : list) {
        keys.append(action.id);
        rows.append({{QStringLiteral("title"), action.title}});
    }
    m_actionRows->setRows(keys, rows);
    Q_EMIT actionsChanged();
    Q_EMIT actionChanged();
}

void ToolsViewModel::setQuery(const QString &query)
{
    if (m_query == query)
        return;
    m_query = query;
    Q_EMIT queryChanged();
    Q_EMIT searchChanged();
}

bool ToolsViewModel::canSearch() const
{
    return m_client && !m_searchBusy && hasVisibleText(m_query)
        && featureAllows(m_client->state(), &VexaFeatures::webSearch);
}

void ToolsViewModel::setActionInput(const QString &input)
{
    if (m_actionInput == input)
        return;
    m_actionInput = input;
    Q_EMIT actionInputChanged();
    Q_EMIT actionChanged();
}

bool ToolsViewModel::canRunAction() const
{
    return m_client && !m_actionBusy && hasVisibleText(m_actionInput) && !stateActions().isEmpty();
}

void ToolsViewModel::setSelectedAction(qint64 id)
{
    if (m_selectedAction == id)
        return;
    m_selectedAction = id;
    Q_EMIT actionsChanged();
}

int ToolsViewModel::selectedActionIndex() const
{
    const QList<VexaAction> list = stateActions();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).id == m_selectedAction)
            return int(i);
    }
    return list.isEmpty() ? -1 : 0;
}

void ToolsViewModel::selectActionAt(int row)
{
    const QList<VexaAction> list = stateActions();
    if (row >= 0 && row < list.size())
        setSelectedAction(list.at(row).id);
}

void ToolsViewModel::setCharacters(QList<VexaCharacter> characters)
{
    m_characters = std::move(characters);
    const QUrl origin = m_client ? m_client->baseURL() : QUrl();
    QVariantList keys;
    QList<QVariantMap> rows;
    for (const VexaCharacter &character : std::as_const(m_characters)) {
        keys.append(character.id);
        rows.append({{QStringLiteral("name"), character.name},
                     {QStringLiteral("story"), character.story.value_or(QString())},
                     {QStringLiteral("emoji"), characterEmoji(character)},
                     {QStringLiteral("portrait"), portraitSource(character.portraitURL, origin)},
                     {QStringLiteral("button"), buttonName(characterButton(character))}});
    }
    m_characterRows->setRows(keys, rows);
    Q_EMIT charactersChanged();
}

void ToolsViewModel::setActivating(bool activating)
{
    if (m_activating == activating)
        return;
    m_activating = activating;
    Q_EMIT activatingChanged();
}

void ToolsViewModel::appear()
{
    detach(loadCharacters());
}

void ToolsViewModel::reloadCharacters()
{
    if (!m_charactersLoading)
        detach(loadCharacters());
}

QCoro::Task<> ToolsViewModel::loadCharacters()
{
    if (!m_client)
        co_return;
    QPointer<ToolsViewModel> self(this);
    m_charactersLoading = true;
    Q_EMIT charactersLoadingChanged();
    auto reply = co_await m_client->fetch<CharactersResponse>(QString::fromUtf8("/api/characters"));
    if (!self)
        co_return;
    m_charactersLoading = false;
    if (reply)
        setCharacters(reply->characters.value_or(QList<VexaCharacter>()));
    else if (m_client)
        m_client->showNotice(describe(reply.error()));
    Q_EMIT charactersLoadingChanged();
}

void ToolsViewModel::search()
{
    if (!canSearch())
        return;
    m_searchBusy = true;
    Q_EMIT searchChanged();
    detach(runSearch(m_query));
}

QCoro::Task<> ToolsViewModel::runSearch(QString query)
{
    QPointer<ToolsViewModel> self(this);
    QJsonObject body;
    body.insert(QString::fromUtf8("query"), query);
    auto reply = co_await m_client->request(QString::fromUtf8("/api/search"), body);
    if (!self || !m_client)
        co_return;
    if (reply) {
        m_client->applyReplyState(*reply);
        m_searchResult = searchAnswerText(*reply);
    } else {
        m_client->showNotice(describe(reply.error()));
    }
    m_searchBusy = false;
    Q_EMIT searchChanged();
}

void ToolsViewModel::runAction()
{
    if (!canRunAction())
        return;
    const auto action = chosenAction(stateActions(), m_selectedAction);
    if (!action)
        return;
    m_actionBusy = true;
    Q_EMIT actionChanged();
    detach(runActionTask(*action, m_actionInput));
}

QCoro::Task<> ToolsViewModel::runActionTask(VexaAction action, QString input)
{
    QPointer<ToolsViewModel> self(this);
    QJsonObject body;
    body.insert(QString::fromUtf8("instruction"), action.instruction.value_or(QString()));
    body.insert(QString::fromUtf8("input"), input);
    auto reply = co_await m_client->request(QString::fromUtf8("/api/actions/run"), body);
    if (!self || !m_client)
        co_return;
    if (reply) {
        m_client->applyReplyState(*reply);
        m_actionResult = actionAnswerText(*reply);
    } else {
        m_client->showNotice(describe(reply.error()));
    }
    m_actionBusy = false;
    Q_EMIT actionChanged();
}

void ToolsViewModel::activateCharacter(const QString &id)
{
    if (!m_client || m_activating || id.isEmpty())
        return;
    setActivating(true);
    detach(runActivate(id));
}

QCoro::Task<> ToolsViewModel::runActivate(QString id)
{
    QPointer<ToolsViewModel> self(this);
    QJsonObject body;
    body.insert(QString::fromUtf8("character_id"), id);
    auto reply = co_await m_client->request(QString::fromUtf8("/api/character/activate"), body);
    if (!self || !m_client)
        co_return;
    if (reply) {
        m_client->applyReplyState(*reply);
        co_await loadCharacters();
        if (!self)
            co_return;
    } else {
        m_client->showNotice(describe(reply.error()));
    }
    setActivating(false);
}

void ToolsViewModel::openPurchaseLink(int row)
{
    if (row < 0 || row >= m_characters.size())
        return;
    if (const auto link = purchaseLink(m_characters.at(row)))
        m_platform->openExternally(*link);
}

void ToolsViewModel::copyText(const QString &text)
{
    m_platform->copyText(text);
}

} // namespace vexa
