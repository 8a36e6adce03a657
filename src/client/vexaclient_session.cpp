// Signing in and out, restoring the session at launch, and mirroring the chat list.

#include "cookiestore.h"
#include "vexaclient.h"
#include "detachedtask.h"
#include "offthread.h"

#include <QQmlEngine>

namespace vexa {

namespace {
// GCC 12 cannot compile QStringLiteral inside a coroutine body ("array used as initializer"):
// texts used by coroutines are built outside them.
QString emptyCodeNotice()
{
    return QStringLiteral("Введите код из Telegram-бота.");
}
} // namespace

namespace {
QPointer<VexaClient> g_shared;
}

void VexaClient::setShared(VexaClient *client)
{
    g_shared = client;
}

VexaClient *VexaClient::shared()
{
    return g_shared.data();
}

void VexaClient::setState(std::optional<VexaState> state)
{
    m_state = std::move(state);
    Q_EMIT stateChanged();
}

void VexaClient::applyReplyState(const VexaResponse &reply)
{
    if (reply.state)
        setState(reply.state);
}

QCoro::Task<bool> VexaClient::change(QString path, std::optional<RequestBody> body)
{
    QPointer<VexaClient> self(this);
    auto reply = co_await request(std::move(path), std::move(body));
    if (!self)
        co_return false;
    if (!reply) {
        setNotice(describe(reply.error()));
        co_return false;
    }
    applyReplyState(*reply);
    co_return true;
}

void VexaClient::setEntries(QList<ChatEntry> entries)
{
    m_entries = std::move(entries);
    Q_EMIT entriesChanged();
}

namespace {

// A replaced chat list of up to this many messages in all is freed where it was replaced: freeing
// 40,000 messages took 20–30 ms here, so this many cost about a millisecond.
constexpr qsizetype kReleaseInPlaceMessages = 2000;

// Runs on the client's pool: whoever else still shares the list keeps it, the pool then only
// drops a count.
void dropChats(QList<VexaSharedChat>)
{
}

} // namespace

void VexaClient::setChats(QList<VexaSharedChat> chats)
{
    QList<VexaSharedChat> previous = std::exchange(m_chats, std::move(chats));
    Q_EMIT chatsChanged();
    // A large chat list is freed on the pool: on the main thread it held a sync's frame.
    qsizetype messages = 0;
    for (const VexaSharedChat &chat : std::as_const(previous))
        messages += chat.messages.size();
    if (messages > kReleaseInPlaceMessages)
        offthread::run(&dropChats, std::move(previous));
}

void VexaClient::setActiveChatID(std::optional<QString> id)
{
    if (m_activeChatID == id)
        return;
    m_activeChatID = std::move(id);
    Q_EMIT activeChatIDChanged();
}

void VexaClient::setLoading(bool value)
{
    if (m_loading == value)
        return;
    m_loading = value;
    Q_EMIT loadingChanged();
}

void VexaClient::setSending(bool value)
{
    if (m_sending == value)
        return;
    m_sending = value;
    Q_EMIT sendingChanged();
}

void VexaClient::setGenerating(bool value)
{
    if (m_generating == value)
        return;
    m_generating = value;
    Q_EMIT generatingChanged();
}

void VexaClient::setSelectingModel(bool value)
{
    if (m_selectingModel == value)
        return;
    m_selectingModel = value;
    Q_EMIT selectingModelChanged();
}

void VexaClient::setChatsLoading(bool value)
{
    if (m_chatsLoading == value)
        return;
    m_chatsLoading = value;
    Q_EMIT chatsLoadingChanged();
    if (!value)
        m_chatsWaiters.resumeAll();
}

void VexaClient::setNotice(std::optional<QString> notice)
{
    if (m_notice == notice)
        return;
    m_notice = std::move(notice);
    Q_EMIT noticeChanged();
}

void VexaClient::setImageTextResult(std::optional<QString> text)
{
    if (m_imageTextResult == text)
        return;
    m_imageTextResult = std::move(text);
    Q_EMIT imageTextResultChanged();
}

QCoro::Task<> VexaClient::restoreSession()
{
    if (m_loading)
        co_return;
    setLoading(true);
    QPointer<VexaClient> self(this);
    // The chat list is asked for together with the state rather than after it: a returning
    // user's window waits for both, and one round trip after the other added the list's whole
    // time (the largest reply) to every start. Only when a session goes with the request: without
    // one the list is refused (401) as surely as the state. Whether there is one is known once the
    // keyring has answered, which the state's request waits for anyway.
    if (m_cookies->isLoading()) {
        co_await m_cookieWaiters.until(m_closing || !m_cookies->isLoading());
        if (!self)
            co_return;
    }
    const QUrl chatsURL = m_baseURL.resolved(QUrl(QString::fromLatin1("/api/chats")));
    std::optional<QCoro::Task<Result<VexaChatsResponse>>> chats;
    if (!m_chatsLoading && !m_closing && !m_cookies->cookiesForUrl(chatsURL).isEmpty()) {
        setChatsLoading(true);
        chats.emplace(fetch<VexaChatsResponse>(QString::fromLatin1("/api/chats")));
    }
    auto reply = co_await request(QString::fromLatin1("/api/state"));
    if (!self)
        co_return;
    std::optional<Result<VexaChatsResponse>> chatsReply;
    if (chats) {
        chatsReply.emplace(co_await std::move(*chats));
        if (!self)
            co_return;
    }
    if (reply) {
        // The chats go in before the state that shows the screens reading them, so those are
        // built once, with their content. A list that failed leaves the mirror as it was.
        if (chatsReply && *chatsReply)
            applyChats(**chatsReply);
        setState(reply->state);
        if (!chats) {
            co_await syncChats(); // one already on its way when the restore began
            if (!self)
                co_return;
        }
    } else {
        setState(std::nullopt); // signed out quietly: no cookie, offline or a bad reply
    }
    // Held until the screens the state made are up: the chat list asks for the chats as it
    // appears, and its request ends with this one instead of fetching the list a second time.
    if (chats)
        setChatsLoading(false);
    setLoading(false);
}

QCoro::Task<> VexaClient::signIn(QString code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty()) {
        setNotice(emptyCodeNotice());
        co_return;
    }
    if (m_loading)
        co_return;
    setLoading(true);
    QPointer<VexaClient> self(this);
    QJsonObject body;
    body.insert(QLatin1String("code"), trimmed);
    auto reply = co_await request(QString::fromLatin1("/api/web/sync"), std::move(body));
    if (!self)
        co_return;
    if (reply && reply->state && reply->state->hasUserID()) {
        setImageTextResult(std::nullopt);
        setState(reply->state);
        setNotice(std::nullopt);
        co_await syncChats();
        if (!self)
            co_return;
    } else {
        // A reply without a user id is as unreadable as a broken one; the state stays.
        setNotice(reply ? VexaError::invalidResponse().description() : describe(reply.error()));
    }
    setLoading(false);
}

void VexaClient::signOut()
{
    m_cookies->removeCookiesForHost(m_baseURL.host());
    setState(std::nullopt);
    setImageTextResult(std::nullopt);
    setEntries({});
    setChats({});
    setActiveChatID(std::nullopt);
    setNotice(std::nullopt);
}

QCoro::Task<> VexaClient::refresh()
{
    QPointer<VexaClient> self(this);
    auto reply = co_await request(QString::fromLatin1("/api/state"));
    if (!self)
        co_return;
    if (reply) {
        setState(reply->state);
        if (m_state) {
            setNotice(std::nullopt);
            co_return;
        }
        setNotice(VexaError::invalidResponse().description());
        co_return;
    }
    if (isUnauthenticated(reply.error()))
        setState(std::nullopt);
    setNotice(describe(reply.error()));
}

void VexaClient::applyChats(const VexaChatsResponse &reply)
{
    setChats(reply.chats);
    setActiveChatID(reply.activeChatID);
    if (!reply.activeChatID)
        return;
    for (const VexaSharedChat &chat : reply.chats) {
        if (chat.id != *reply.activeChatID)
            continue;
        QList<ChatEntry> entries;
        entries.reserve(chat.messages.size());
        for (const VexaSharedMessage &message : chat.messages)
            entries.append(message.toEntry());
        setEntries(std::move(entries));
        return;
    }
}

QCoro::Task<> VexaClient::syncChats()
{
    // One request at a time: a sync asked for while the list is already on its way (the chat
    // list asks as it appears, while a restore or a sign-in is about to) ends with that one.
    if (m_chatsLoading) {
        co_await m_chatsWaiters.until(m_closing || !m_chatsLoading);
        co_return;
    }
    setChatsLoading(true);
    QPointer<VexaClient> self(this);
    auto reply = co_await fetch<VexaChatsResponse>(QString::fromLatin1("/api/chats"));
    if (!self)
        co_return;
    if (reply)
        applyChats(*reply); // failures leave the mirror as it was, silently
    setChatsLoading(false);
}

void VexaClient::startRestoreSession()
{
    detach(restoreSession());
}

void VexaClient::startSignIn(const QString &code)
{
    detach(signIn(code));
}

void VexaClient::startRefresh()
{
    detach(refresh());
}

void VexaClient::startSyncChats()
{
    detach(syncChats());
}

} // namespace vexa
