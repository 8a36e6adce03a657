// The chat screen: its client, voice, sheets, search and the message list (the composer is a
// ChatComposer of its own).

#include "chatviewmodel.h"

#include "composerequests.h"

#include "answerblocks.h"
#include "chatrules.h"

#include <algorithm>
#include <cmath>

namespace vexa {

namespace {

QString untitledChatTitle()
{
    return QStringLiteral("Чат с Vexa");
}

QString dialogCopiedNotice()
{
    return QStringLiteral("Диалог скопирован.");
}

} // namespace

ChatViewModel::ChatViewModel(QObject *parent)
    : ChatViewModel(chat::ChatPlatform::system(), &voice::VoicePlatform::system, QString(), parent)
{
}

ChatViewModel::ChatViewModel(std::shared_ptr<chat::ChatPlatform> platform, VoiceFactory voice,
                             const QString &preferencesIni, QObject *parent)
    : QObject(parent),
      m_platform(std::move(platform)),
      m_voiceFactory(std::move(voice)),
      m_voicePreferences(std::make_unique<voice::VoicePreferences>(preferencesIni)),
      m_chatPreferences(std::make_unique<ChatPreferences>(preferencesIni)),
      m_entryModel(new ChatEntryModel(this)),
      m_composer(new chat::ChatComposer(m_platform, m_voicePreferences.get(),
                                        [this] { return this->voice(); }, this))
{
    connect(m_chatPreferences.get(), &ChatPreferences::textSizeChanged, this,
            &ChatViewModel::textSizeChanged);
    // Answers to what the composer sent are read aloud when the user asked for that.
    connect(m_composer, &chat::ChatComposer::answered, this, [this](const QString &answer) {
        if (m_voicePreferences->autoSpeak())
            speak(answer);
    });
    // The application's client unless a host hands in another.
    setClient(VexaClient::shared());
    connect(&chat::ComposeRequests::instance(), &chat::ComposeRequests::newChatRequested, this,
            &ChatViewModel::takeComposeRequest);
    connect(this, &ChatViewModel::busyChanged, this, &ChatViewModel::takeComposeRequest);
    // One made at start-up waited for the chat screen.
    if (chat::ComposeRequests::instance().hasNewChat())
        QMetaObject::invokeMethod(this, &ChatViewModel::takeComposeRequest, Qt::QueuedConnection);
}

ChatViewModel::~ChatViewModel()
{
    disappear();
}

void ChatViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    for (const auto &connection : std::as_const(m_clientConnections))
        disconnect(connection);
    m_clientConnections.clear();
    m_client = client;
    m_composer->setClient(client);
    if (client) {
        m_clientConnections = {
            connect(client, &VexaClient::entriesChanged, this, &ChatViewModel::onEntriesChanged),
            connect(client, &VexaClient::chatsChanged, this, &ChatViewModel::chatTitleChanged),
            connect(client, &VexaClient::activeChatIDChanged, this,
                    &ChatViewModel::chatTitleChanged),
            connect(client, &VexaClient::stateChanged, this, &ChatViewModel::modelsChanged),
            connect(client, &VexaClient::stateChanged, this, &ChatViewModel::busyChanged),
            connect(client, &VexaClient::sendingChanged, this, &ChatViewModel::busyChanged),
            connect(client, &VexaClient::chatsLoadingChanged, this, &ChatViewModel::busyChanged),
            connect(client, &VexaClient::selectingModelChanged, this,
                    &ChatViewModel::busyChanged),
        };
    }
    m_foldedTexts.clear();
    m_lastEntryCount = client ? client->entries().size() : 0;
    m_entriesChatID = client ? client->activeChatID() : std::nullopt;
    refilter();
    Q_EMIT clientChanged();
    Q_EMIT chatTitleChanged();
    Q_EMIT modelsChanged();
    Q_EMIT busyChanged();
    Q_EMIT hasEntriesChanged();
}

// ---- Voice ----

voice::VoiceService *ChatViewModel::voice()
{
    if (!m_voice) {
        m_voice = new voice::VoiceService(m_voiceFactory(), this);
        m_composer->useVoice(m_voice);
    }
    return m_voice;
}

void ChatViewModel::speak(const QString &text)
{
    const QString language = m_voicePreferences->locale();
    // An answer is read as its plain text: no Markdown marks, code and tables said in words.
    voice()->speak(answer::spokenAnswer(text), language, m_voicePreferences->pinnedVoice(language),
                   m_voicePreferences->rate());
}

void ChatViewModel::disappear()
{
    if (!m_voice)
        return;
    m_voice->stopListening();
    m_voice->stopSpeaking();
}

// ---- Sheets ----

void ChatViewModel::setShowingUtilities(bool showing)
{
    if (m_showingUtilities == showing)
        return;
    m_showingUtilities = showing;
    Q_EMIT showingUtilitiesChanged();
}

void ChatViewModel::setShowingPhotoPicker(bool showing)
{
    if (m_showingPhotoPicker == showing)
        return;
    m_showingPhotoPicker = showing;
    Q_EMIT showingPhotoPickerChanged();
}

void ChatViewModel::setShowingFilePicker(bool showing)
{
    if (m_showingFilePicker == showing)
        return;
    m_showingFilePicker = showing;
    Q_EMIT showingFilePickerChanged();
}

void ChatViewModel::setShowingChats(bool showing)
{
    if (m_showingChats == showing)
        return;
    m_showingChats = showing;
    Q_EMIT showingChatsChanged();
}

void ChatViewModel::setShowingVoiceConversation(bool showing)
{
    if (m_showingVoiceConversation == showing)
        return;
    m_showingVoiceConversation = showing;
    Q_EMIT showingVoiceConversationChanged();
}

// ---- Search and the list ----

void ChatViewModel::setSearchVisible(bool visible)
{
    if (m_searchVisible == visible)
        return;
    m_searchVisible = visible;
    if (!visible)
        setSearchText(QString());
    Q_EMIT searchVisibleChanged();
    refilter();
}

void ChatViewModel::setSearchText(const QString &text)
{
    if (m_searchText == text)
        return;
    m_searchText = text;
    Q_EMIT searchTextChanged();
    refilter();
}

void ChatViewModel::setSearchLocale(const QLocale &locale)
{
    m_searchLocale = locale;
    m_foldedTexts.clear();
    refilter();
}

void ChatViewModel::toggleSearch()
{
    setSearchVisible(!m_searchVisible);
}

void ChatViewModel::clearSearch()
{
    setSearchText(QString());
}

void ChatViewModel::onEntriesChanged()
{
    m_foldedTexts.clear();
    const qsizetype count = m_client->entries().size();
    refilter();
    Q_EMIT hasEntriesChanged(); // also the export text's signal
    // The client names the active chat before it installs that chat's entries. Another chat, or
    // one shown again after none was (a sign-in), opens at its end; the same one glides there.
    const bool otherChat = m_client->activeChatID() != m_entriesChatID;
    m_entriesChatID = m_client->activeChatID();
    if (count != m_lastEntryCount || otherChat) {
        const bool goesOn = !otherChat && m_lastEntryCount > 0;
        m_lastEntryCount = count;
        if (count > 0)
            Q_EMIT scrollToEndRequested(goesOn);
    }
}

void ChatViewModel::refilter()
{
    const QList<ChatEntry> all = m_client ? m_client->entries() : QList<ChatEntry>();
    const QUrl origin = m_client ? m_client->baseURL() : QUrl();
    const QString query = chat::searchQuery(m_searchText);
    if (!m_searchVisible || query.isEmpty()) {
        m_entryModel->setEntries(all, origin);
        Q_EMIT visibleEntriesChanged();
        return;
    }
    if (m_foldedTexts.size() != all.size()) {
        m_foldedTexts.clear();
        m_foldedTexts.reserve(all.size());
        for (const ChatEntry &entry : all)
            m_foldedTexts.append(chat::foldCase(entry.text, m_searchLocale));
    }
    const QString needle = chat::foldCase(query, m_searchLocale);
    QList<ChatEntry> found;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (m_foldedTexts.at(i).contains(needle))
            found.append(all.at(i));
    }
    m_entryModel->setEntries(found, origin);
    Q_EMIT visibleEntriesChanged();
}

bool ChatViewModel::hasEntries() const
{
    return m_client && !m_client->entries().isEmpty();
}

QString ChatViewModel::conversationExport() const
{
    return m_client ? chat::conversationExport(m_client->entries()) : QString();
}

// ---- Header ----

QString ChatViewModel::chatTitle() const
{
    if (!m_client || !m_client->activeChatID())
        return untitledChatTitle();
    const QString &active = *m_client->activeChatID();
    for (const VexaSharedChat &chat : m_client->chats()) {
        if (chat.id == active)
            return chat.title;
    }
    return untitledChatTitle();
}

QVariantList ChatViewModel::availableModels() const
{
    QVariantList models;
    if (!m_client || !m_client->state() || !m_client->state()->models)
        return models;
    for (const VexaModel &model : *m_client->state()->models) {
        if (!model.isAvailable)
            continue;
        QVariantMap item;
        item.insert(QStringLiteral("id"), model.id);
        item.insert(QStringLiteral("title"), model.title);
        models.append(item);
    }
    return models;
}

QString ChatViewModel::modelTitle() const
{
    if (m_client && m_client->state() && m_client->state()->model
        && m_client->state()->models) {
        const QString &current = *m_client->state()->model;
        for (const VexaModel &model : *m_client->state()->models) {
            if (model.isAvailable && model.id == current)
                return model.title;
        }
    }
    return QStringLiteral("Модель");
}

bool ChatViewModel::modelMenuEnabled() const
{
    if (!m_client || m_client->selectingModel() || m_client->sending())
        return false;
    return !(m_client->state() && m_client->state()->modelLocked.value_or(false));
}

bool ChatViewModel::canCreateChat() const
{
    return m_client && !m_client->sending() && !m_client->chatsLoading();
}

bool ChatViewModel::thinking() const
{
    return m_client && m_client->sending();
}

void ChatViewModel::selectModel(const QString &id)
{
    if (m_client && modelMenuEnabled())
        m_client->startSelectModel(id);
}

void ChatViewModel::createChat()
{
    if (m_client && canCreateChat())
        m_client->startCreateChat();
}

void ChatViewModel::zoomText(int step)
{
    const double size = textSize();
    double next = ChatPreferences::kDefaultTextSize;
    if (step > 0)
        next = std::floor(size) + 1.0;
    else if (step < 0)
        next = std::ceil(size) - 1.0;
    next = std::clamp(next, ChatPreferences::kMinTextSize, ChatPreferences::kMaxTextSize);
    if (next != size)
        m_chatPreferences->setTextSize(next);
}

void ChatViewModel::takeComposeRequest()
{
    auto &requests = chat::ComposeRequests::instance();
    // It waits for the signed-in chat screen with its chats in, and for a message on its way:
    // the question goes to a new chat, never into one whose history is still coming.
    if (!requests.hasNewChat() || !m_client || !m_client->isSignedIn() || m_client->chatsLoading()
        || (hasEntries() && !canCreateChat()))
        return;
    const auto draft = requests.takeNewChat();
    if (!draft)
        return;
    // An empty chat is already new: a second one is not made for nothing.
    if (hasEntries())
        createChat();
    m_composer->putDraft(chat::draftWithRequested(m_composer->draft(), *draft));
}

void ChatViewModel::copyConversation()
{
    if (!hasEntries())
        return;
    m_platform->copyText(conversationExport());
    m_client->showNotice(dialogCopiedNotice());
}

// ---- Messages ----

std::optional<ChatEntry> ChatViewModel::entryByID(const QString &entryID) const
{
    if (!m_client)
        return std::nullopt;
    const QUuid id(entryID);
    for (const ChatEntry &entry : m_client->entries()) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

void ChatViewModel::copyEntry(const QString &entryID)
{
    if (const auto entry = entryByID(entryID))
        m_platform->copyText(entry->text);
}

void ChatViewModel::saveEntry(const QString &entryID)
{
    const auto entry = entryByID(entryID);
    if (entry && entry->role == ChatEntry::Role::Assistant)
        m_client->startSaveAnswer(entry->text);
}

void ChatViewModel::speakEntry(const QString &entryID)
{
    const auto entry = entryByID(entryID);
    if (entry && entry->role == ChatEntry::Role::Assistant)
        speak(entry->text);
}

void ChatViewModel::quoteEntry(const QString &entryID)
{
    const auto entry = entryByID(entryID);
    if (!entry || entry->role != ChatEntry::Role::Assistant)
        return;
    m_composer->putDraft(chat::quotedDraft(entry->text));
}

bool ChatViewModel::copyEntryCode(const QString &entryID)
{
    const auto entry = entryByID(entryID);
    if (!entry)
        return false;
    // The code blocks; a message without code gives its tables (tab-separated) instead.
    QStringList code;
    QStringList tables;
    for (const answer::AnswerBlock &block : answer::parseAnswer(entry->text).blocks) {
        if (block.kind == answer::BlockKind::Code)
            code.append(block.code);
        else if (block.kind == answer::BlockKind::Table)
            tables.append(answer::tableAsTsv(block));
    }
    const QStringList &copied = code.isEmpty() ? tables : code;
    if (copied.isEmpty())
        return false;
    m_platform->copyText(copied.join(QStringLiteral("\n\n")));
    return true;
}

void ChatViewModel::copyText(const QString &text)
{
    m_platform->copyText(text);
}

void ChatViewModel::shareByMail(const QString &text)
{
    m_platform->openExternally(chat::mailUrl(text));
}

void ChatViewModel::saveTextAs(const QUrl &fileUrl, const QString &text)
{
    if (!fileUrl.isLocalFile())
        return;
    if (const auto error = m_platform->saveText(fileUrl.toLocalFile(), text); error && m_client)
        m_client->showNotice(*error);
}

void ChatViewModel::openImage(const QUrl &url)
{
    const QUrl allowed = entryImageUrl(url.toString(), m_client ? m_client->baseURL() : QUrl());
    if (!allowed.isEmpty())
        m_platform->openImage(allowed);
}

void ChatViewModel::activateLink(const QString &entryID, const QString &link)
{
    Q_UNUSED(entryID)
    openLink(QUrl(link));
}

void ChatViewModel::openLink(const QUrl &url)
{
    const QUrl target = answer::openableLink(url.toString());
    if (!target.isEmpty())
        m_platform->openExternally(target);
}

} // namespace vexa
