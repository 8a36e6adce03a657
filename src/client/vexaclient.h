#pragma once

// VexaClient: the application's one observable store and its only HTTP speaker.
//
// It owns the account state, the chat mirror, the busy flags and the one pending notice, and
// performs every service call. Everything runs on the main thread; each call is a coroutine
// that suspends while its request is in flight, so several may be outstanding. Busy flags make
// a second call of the same kind return at once.
//
// The implementation is split by area: vexaclient_transport.cpp (requests and error mapping),
// vexaclient_session.cpp (sign-in, restore, refresh, chat list) and one file per further area.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "expected.h"
#include "offthread.h"
#include "vexaerror.h"
#include "vexastate.h"
#include "waitlist.h"

#include <QImage>
#include <QJsonObject>
#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <QPointer>
#include <QUrl>
#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QNetworkAccessManager;
class QQmlEngine;
class QJSEngine;

namespace vexa {

class PersistentCookieJar;
class SecretStore;

template <typename T>
using Result = Expected<T, ClientError>;

// Per-request idle timeouts by path and the overall limit per request. Tests shrink them.
struct TransportTimeouts {
    std::chrono::milliseconds sessionIdle{45'000}; // the session's default; every request overrides it
    std::chrono::milliseconds idle{60'000};
    std::chrono::milliseconds chatIdle{90'000};   // exactly "/api/chat"
    std::chrono::milliseconds imageIdle{180'000}; // paths under "/api/image/"
    std::chrono::milliseconds resourceLimit{240'000};

    std::chrono::milliseconds idleFor(QStringView path) const;
};

// A request's JSON body as it goes out. An object is written out where it is handed over (the
// small bodies of nearly every call); a large one (attachments, pictures) is written on the
// thread pool and arrives here as bytes.
class RequestBody
{
public:
    // Implicit: every call site hands over an object.
    RequestBody(const QJsonObject &object);
    // JSON already written out, one object.
    static RequestBody encoded(QByteArray json);

    const QByteArray &json() const { return m_json; }

private:
    RequestBody() = default;
    QByteArray m_json;
};

// How a request of the user's that waits for an answer ended: a chat message, a question to the
// code assistant, a picture. Reported when the answer arrives (or does not), for the desktop's
// notice while the window is in the background.
struct AnswerEvent {
    enum class Kind { Chat, Code, Image };
    Kind kind = Kind::Chat;
    QString chatID; // the chat the message went to (Chat), the code conversation (Code)
    QString title;  // the chat's title; empty where there is none
    QString text;   // the answer (Markdown); empty for a picture and for a failure
    bool failed = false;
};

} // namespace vexa
Q_DECLARE_METATYPE(vexa::AnswerEvent)
namespace vexa {

class VexaClient : public QObject
{
    Q_OBJECT
    // QML knows the type but never makes one: Qt 6.4 default-constructs a singleton type that
    // has a default constructor instead of asking create(), which would give QML a second,
    // signed-out client. View-models hold the application's client (shared()) and expose it.
    QML_ELEMENT
    QML_UNCREATABLE("The application owns the one VexaClient")
    Q_PROPERTY(std::optional<vexa::VexaState> state READ state NOTIFY stateChanged)
    Q_PROPERTY(QList<vexa::ChatEntry> entries READ entries NOTIFY entriesChanged)
    Q_PROPERTY(QList<vexa::VexaSharedChat> chats READ chats NOTIFY chatsChanged)
    Q_PROPERTY(QString activeChatID READ activeChatIDText NOTIFY activeChatIDChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(bool sending READ sending NOTIFY sendingChanged)
    Q_PROPERTY(bool generating READ generating NOTIFY generatingChanged)
    Q_PROPERTY(bool chatsLoading READ chatsLoading NOTIFY chatsLoadingChanged)
    Q_PROPERTY(bool selectingModel READ selectingModel NOTIFY selectingModelChanged)
    Q_PROPERTY(QString notice READ noticeText NOTIFY noticeChanged)
    Q_PROPERTY(bool hasNotice READ hasNotice NOTIFY noticeChanged)
    Q_PROPERTY(QString imageTextResult READ imageTextResultText NOTIFY imageTextResultChanged)
    Q_PROPERTY(bool isSignedIn READ isSignedIn NOTIFY stateChanged)
    Q_PROPERTY(QUrl baseURL READ baseURL CONSTANT)
    Q_PROPERTY(QUrl telegramURL READ telegramURL CONSTANT)

public:
    // The application's client: the configured origin and the cookie file in the data directory.
    explicit VexaClient(QObject *parent = nullptr);
    // An explicit origin and cookie file (tests, tools). An origin that ServiceOrigin refuses
    // makes every request fail with its explanation; nothing is sent.
    VexaClient(const QString &baseURL, const QString &cookieFilePath, QObject *parent = nullptr);
    // The same, with the session kept in this secret store (a keyring) instead of the file.
    VexaClient(const QString &baseURL, const QString &cookieFilePath,
               std::shared_ptr<SecretStore> secrets, QObject *parent = nullptr);
    ~VexaClient() override;

    // The application's one client; set once by the application entry.
    static void setShared(VexaClient *client);
    static VexaClient *shared();

    // Published state.
    const std::optional<VexaState> &state() const { return m_state; }
    const QList<ChatEntry> &entries() const { return m_entries; }
    const QList<VexaSharedChat> &chats() const { return m_chats; }
    const std::optional<QString> &activeChatID() const { return m_activeChatID; }
    QString activeChatIDText() const { return m_activeChatID.value_or(QString()); }
    bool loading() const { return m_loading; }
    bool sending() const { return m_sending; }
    bool generating() const { return m_generating; }
    bool chatsLoading() const { return m_chatsLoading; }
    bool selectingModel() const { return m_selectingModel; }
    const std::optional<QString> &notice() const { return m_notice; }
    QString noticeText() const { return m_notice.value_or(QString()); }
    bool hasNotice() const { return m_notice.has_value(); }
    const std::optional<QString> &imageTextResult() const { return m_imageTextResult; }
    QString imageTextResultText() const { return m_imageTextResult.value_or(QString()); }
    bool isSignedIn() const { return m_state && m_state->hasUserID(); }

    // The service origin requests go to (scheme and host, no path), or empty when refused.
    QUrl baseURL() const { return m_baseURL; }
    static QUrl telegramURL();
    // Why the configured origin was refused; empty when it is in use.
    QString originError() const { return m_originError; }

    QNetworkAccessManager *networkAccessManager() const { return m_network; }
    PersistentCookieJar *cookieJar() const { return m_cookies; }

    void setTimeouts(const TransportTimeouts &timeouts) { m_timeouts = timeouts; }
    const TransportTimeouts &timeouts() const { return m_timeouts; }

    // Size limits of what the client uploads, measured before Base64.
    static constexpr qsizetype kMaxPhotoBytes = 8'000'000;     // chat photo, as JPEG
    static constexpr qsizetype kMaxFileBytes = 8'000'000;      // chat file, raw bytes
    static constexpr qsizetype kMaxEditBytes = 12 * 1024 * 1024; // picture to edit, as JPEG
    static constexpr int kPhotoJpegQuality = 68;
    static constexpr int kEditJpegQuality = 88;

    // How pictures become JPEG (quality 0 to 100). An empty result means the picture could not
    // be encoded. Pictures are never scaled: only the quality makes them smaller. Tests swap the
    // encoder to hit the size limits to the byte.
    using JpegEncoder = std::function<QByteArray(const QImage &, int quality)>;
    static QByteArray encodeJpeg(const QImage &image, int quality);
    void setJpegEncoder(JpegEncoder encoder);

    // Writing the notice shows the alert; the shell clears it when the alert goes away.
    Q_INVOKABLE void clearNotice() { setNotice(std::nullopt); }
    // A screen's own message for the same alert (a copied dialog, an unreadable file).
    Q_INVOKABLE void showNotice(const QString &text) { setNotice(text); }

    // For screens that make their own calls (bonus, promo codes, community…): the account state a
    // reply carries becomes the client's state; a reply without one changes nothing.
    void applyReplyState(const VexaResponse &reply);
    // Hides the messages shown until the next chat synchronisation brings them back; nothing is
    // sent to the service.
    Q_INVOKABLE void clearEntries() { setEntries({}); }

    // --- Transport ---------------------------------------------------------------------------
    // The raw bytes of a 2xx reply. 401 signs out first, then fails as unauthenticated.
    QCoro::Task<Result<QByteArray>> requestData(QString path, QByteArray method,
                                                std::optional<RequestBody> body);
    // The reply envelope; `ok` false is a failure carrying the service's text.
    QCoro::Task<Result<VexaResponse>> request(QString path,
                                              std::optional<RequestBody> body = std::nullopt,
                                              std::optional<QByteArray> method = std::nullopt);
    // A request whose reply matters only for the account state it carries: that state applied,
    // a failure told through the notice. True when the service accepted it.
    QCoro::Task<bool> change(QString path, std::optional<RequestBody> body = std::nullopt);
    // GET and decode a record; its own `ok` is the caller's business.
    template <records::HasSchema T>
    QCoro::Task<Result<T>> fetch(QString path);
    // POST and decode a record; no `ok` check either.
    template <records::HasSchema T>
    QCoro::Task<Result<T>> fetchWithBody(QString path, QJsonObject body);
    // A reply body decoded into a record: in place up to inPlaceLimit bytes, else on the thread
    // pool (the main thread keeps drawing meanwhile). Either way the same record or error.
    template <records::HasSchema T>
    static QCoro::Task<Result<T>> decodeReplyAsync(QByteArray bytes,
                                                   qsizetype inPlaceLimit = offthread::kDecodeInPlaceBytes);
    // Only for the productivity and notices endpoints: the reply as a JSON object.
    QCoro::Task<Result<QJsonObject>> utility(QString path,
                                             std::optional<QJsonObject> body = std::nullopt,
                                             std::optional<QByteArray> method = std::nullopt);

    // --- Session -----------------------------------------------------------------------------
    QCoro::Task<> restoreSession();
    QCoro::Task<> signIn(QString code);
    Q_INVOKABLE void signOut();
    QCoro::Task<> refresh();
    QCoro::Task<> syncChats();

    // --- Chats and sending ---------------------------------------------------------------------
    QCoro::Task<> createChat();
    QCoro::Task<> selectChat(QString id);
    // A photo is sent as JPEG (quality 0.68, at most 8,000,000 bytes; one that cannot be
    // encoded is refused); a file (a local path) as raw bytes, at most 8,000,000. The answer's
    // text when the message was delivered and answered, nothing when it was not: the entry list
    // is the service's copy afterwards and says nothing about this message.
    QCoro::Task<std::optional<QString>> send(QString text, std::optional<QImage> image = std::nullopt,
                       std::optional<QString> filePath = std::nullopt,
                       std::optional<QString> modelOverride = std::nullopt);

    // --- Models and images -------------------------------------------------------------------
    QCoro::Task<> selectModel(QString id);
    QCoro::Task<bool> selectImageModel(QString id);
    QCoro::Task<std::optional<QImage>> generateImage(QString prompt, QString model);
    QCoro::Task<std::optional<QImage>> editImage(QImage picture, QString prompt);

    // --- Account operations ------------------------------------------------------------------
    // Those returning Result hand failures to the caller; the others report through notice.
    QCoro::Task<Result<VexaSavedResponse>> savedAnswers(qint64 page, QString query);
    QCoro::Task<> saveAnswer(QString text);
    QCoro::Task<Outcome<ClientError>> deleteSavedAnswer(qint64 id);
    QCoro::Task<Result<QList<VexaPromptRecipe>>> favoriteRecipe(VexaPromptRecipe recipe);
    QCoro::Task<> updateSetting(QString name, QString value);
    QCoro::Task<Result<VexaVoiceRecommendation>> voiceRecommendation();
    QCoro::Task<Result<QString>> createCodeConversation();
    QCoro::Task<Result<QString>> askCode(QString message, QString conversationID);

    // Commands for screens: start the operation and return at once.
    Q_INVOKABLE void startRestoreSession();
    Q_INVOKABLE void startSignIn(const QString &code);
    Q_INVOKABLE void startRefresh();
    Q_INVOKABLE void startSyncChats();
    Q_INVOKABLE void startCreateChat();
    Q_INVOKABLE void startSelectChat(const QString &id);
    // Text with an optional file (a local file URL; empty for none). A photo goes through send().
    Q_INVOKABLE void startSend(const QString &text, const QUrl &file = QUrl());
    Q_INVOKABLE void startSelectModel(const QString &id);
    Q_INVOKABLE void startSaveAnswer(const QString &text);
    Q_INVOKABLE void startUpdateSetting(const QString &name, const QString &value);

Q_SIGNALS:
    void stateChanged();
    void entriesChanged();
    void chatsChanged();
    void activeChatIDChanged();
    void loadingChanged();
    void sendingChanged();
    void generatingChanged();
    void chatsLoadingChanged();
    void selectingModelChanged();
    void noticeChanged();
    void imageTextResultChanged();
    // An answer arrived, or the request that waited for one failed.
    void answerArrived(const vexa::AnswerEvent &event);

protected:
    // Setters: each assignment notifies (records have no equality, so state always does).
    void setState(std::optional<VexaState> state);
    void setEntries(QList<ChatEntry> entries);
    void setChats(QList<VexaSharedChat> chats);
    void setActiveChatID(std::optional<QString> id);
    void setLoading(bool value);
    void setSending(bool value);
    void setGenerating(bool value);
    void setChatsLoading(bool value);
    void setSelectingModel(bool value);
    void setNotice(std::optional<QString> notice);
    void setImageTextResult(std::optional<QString> text);

    // Installs a chat-list reply into chats, activeChatID and (when the active chat is listed)
    // entries.
    void applyChats(const VexaChatsResponse &reply);

private:
    void init(const QString &baseURL, const QString &cookieFilePath,
              std::shared_ptr<SecretStore> secrets);
    // Applies a successful image reply with its picture already decoded (nothing when it could
    // not be): the picture, nothing for a text result (kept in imageTextResult), or
    // invalidResponse when the picture cannot be read.
    Result<std::optional<QImage>> takeImageReply(const VexaResponse &reply,
                                                 std::optional<QImage> picture);
    // Ends a generation or an edit with its reply: decodes the picture on the pool, then the
    // picture, or nothing and the notice.
    QCoro::Task<std::optional<QImage>> finishImageRequest(Result<VexaResponse> reply);
    // Drops the entry with this id wherever it is now; the list may have been replaced.
    void removeEntry(const QUuid &id);
    void reportChatAnswer(const std::optional<QString> &sentTo, const std::optional<QString> &answer);
    void reportAnswer(AnswerEvent::Kind kind, const QString &conversationID, const QString &text,
                      bool failed);
    template <records::HasSchema T>
    static Result<T> decodeReply(const QByteArray &bytes);

    QNetworkAccessManager *m_network = nullptr;
    PersistentCookieJar *m_cookies = nullptr;
    // Requests held until the keyring's read of the session has ended (or the client closes).
    WaitList m_cookieWaiters;
    // Chat-list syncs asked for while another was on its way, held until that one has ended, so
    // a caller that awaits syncChats() (a session restore) goes on with the chats in.
    WaitList m_chatsWaiters;
    // Set once the client has begun to go away: nothing new is sent from then on.
    bool m_closing = false;
    QUrl m_baseURL;
    QString m_originError;
    TransportTimeouts m_timeouts;
    JpegEncoder m_jpegEncoder = &VexaClient::encodeJpeg;

    std::optional<VexaState> m_state;
    QList<ChatEntry> m_entries;
    QList<VexaSharedChat> m_chats;
    std::optional<QString> m_activeChatID;
    bool m_loading = false;
    bool m_sending = false;
    bool m_generating = false;
    bool m_chatsLoading = false;
    bool m_selectingModel = false;
    std::optional<QString> m_notice;
    std::optional<QString> m_imageTextResult;
};

template <records::HasSchema T>
Result<T> VexaClient::decodeReply(const QByteArray &bytes)
{
    auto decoded = records::decodeJson<T>(bytes);
    if (!decoded)
        return ClientError(VexaError::invalidResponse());
    return std::move(decoded).value();
}

template <records::HasSchema T>
QCoro::Task<Result<T>> VexaClient::decodeReplyAsync(QByteArray bytes, qsizetype inPlaceLimit)
{
    if (bytes.size() <= inPlaceLimit)
        co_return decodeReply<T>(bytes);
    // The future is awaited as a value: its result is a copy sharing the decoded lists.
    Result<T> decoded = co_await offthread::run(&VexaClient::decodeReply<T>, std::move(bytes));
    co_return decoded;
}

template <records::HasSchema T>
QCoro::Task<Result<T>> VexaClient::fetch(QString path)
{
    auto bytes = co_await requestData(std::move(path), QByteArrayLiteral("GET"), std::nullopt);
    if (!bytes)
        co_return bytes.error();
    auto decoded = co_await decodeReplyAsync<T>(std::move(*bytes));
    co_return decoded;
}

template <records::HasSchema T>
QCoro::Task<Result<T>> VexaClient::fetchWithBody(QString path, QJsonObject body)
{
    auto bytes = co_await requestData(std::move(path), QByteArrayLiteral("POST"), std::move(body));
    if (!bytes)
        co_return bytes.error();
    auto decoded = co_await decodeReplyAsync<T>(std::move(*bytes));
    co_return decoded;
}

} // namespace vexa

Q_DECLARE_METATYPE(std::optional<vexa::VexaState>)
Q_DECLARE_METATYPE(vexa::ChatEntry)
Q_DECLARE_METATYPE(vexa::VexaSharedChat)
