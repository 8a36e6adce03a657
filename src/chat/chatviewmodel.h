#pragma once

// The chat screen's state and rules. ChatView.qml lays it out and binds to it; everything
// shared (messages, chats, account, busy flags) is read from the client, and only the screen's
// own state lives here: the composer (a ChatComposer of its own), the search, the open sheets
// and the screen's voice.

#include "chatcomposer.h"
#include "chatmodels.h"
#include "chatplatform.h"
#include "chatpreferences.h"
#include "vexaclient.h"
#include "voicepreferences.h"
#include "voiceservice.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace vexa {

class ChatViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)

    // The draft, its attachments, dictation and sending.
    Q_PROPERTY(vexa::chat::ChatComposer *composer READ composer CONSTANT)

    // Sheets and pickers.
    Q_PROPERTY(bool showingUtilities READ showingUtilities WRITE setShowingUtilities NOTIFY showingUtilitiesChanged)
    Q_PROPERTY(bool showingPhotoPicker READ showingPhotoPicker WRITE setShowingPhotoPicker NOTIFY showingPhotoPickerChanged)
    Q_PROPERTY(bool showingFilePicker READ showingFilePicker WRITE setShowingFilePicker NOTIFY showingFilePickerChanged)
    Q_PROPERTY(bool showingChats READ showingChats WRITE setShowingChats NOTIFY showingChatsChanged)
    Q_PROPERTY(bool showingVoiceConversation READ showingVoiceConversation WRITE setShowingVoiceConversation NOTIFY showingVoiceConversationChanged)

    // Search.
    Q_PROPERTY(bool searchVisible READ searchVisible WRITE setSearchVisible NOTIFY searchVisibleChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool searchCounterVisible READ searchCounterVisible NOTIFY visibleEntriesChanged)
    Q_PROPERTY(int foundCount READ foundCount NOTIFY visibleEntriesChanged)

    // Header and list, derived from the client.
    Q_PROPERTY(QString chatTitle READ chatTitle NOTIFY chatTitleChanged)
    Q_PROPERTY(QVariantList availableModels READ availableModels NOTIFY modelsChanged)
    Q_PROPERTY(QString modelTitle READ modelTitle NOTIFY modelsChanged)
    Q_PROPERTY(bool modelMenuEnabled READ modelMenuEnabled NOTIFY busyChanged)
    Q_PROPERTY(bool canCreateChat READ canCreateChat NOTIFY busyChanged)
    Q_PROPERTY(bool thinking READ thinking NOTIFY busyChanged)
    // The chat has messages (the list, not the welcome panel; sharing and copying offered).
    Q_PROPERTY(bool hasEntries READ hasEntries NOTIFY hasEntriesChanged)
    Q_PROPERTY(vexa::ChatEntryModel *visibleEntries READ visibleEntries CONSTANT)
    Q_PROPERTY(QString conversationExport READ conversationExport NOTIFY hasEntriesChanged)

    // Look.
    Q_PROPERTY(double textSize READ textSize NOTIFY textSizeChanged)

public:
    using VoiceFactory = std::function<voice::VoicePlatform()>;

    // The desktop's platform and the user's defaults store.
    // Works on VexaClient::shared() until another client is set.
    explicit ChatViewModel(QObject *parent = nullptr);
    // Tests: fakes for the desktop and the voice, preferences from INI files.
    ChatViewModel(std::shared_ptr<chat::ChatPlatform> platform, VoiceFactory voice,
                  const QString &preferencesIni, QObject *parent = nullptr);
    ~ChatViewModel() override;

    VexaClient *client() const { return m_client.data(); }
    void setClient(VexaClient *client);

    chat::ChatComposer *composer() const { return m_composer; }

    bool showingUtilities() const { return m_showingUtilities; }
    void setShowingUtilities(bool showing);
    bool showingPhotoPicker() const { return m_showingPhotoPicker; }
    void setShowingPhotoPicker(bool showing);
    bool showingFilePicker() const { return m_showingFilePicker; }
    void setShowingFilePicker(bool showing);
    bool showingChats() const { return m_showingChats; }
    void setShowingChats(bool showing);
    bool showingVoiceConversation() const { return m_showingVoiceConversation; }
    void setShowingVoiceConversation(bool showing);

    bool searchVisible() const { return m_searchVisible; }
    // Hiding the bar also empties the query.
    void setSearchVisible(bool visible);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    bool searchCounterVisible() const { return m_searchVisible && !m_searchText.isEmpty(); }
    int foundCount() const { return m_entryModel->rowCount(); }
    // Case folding follows the user's locale; tests pick one.
    void setSearchLocale(const QLocale &locale);

    QString chatTitle() const;
    QVariantList availableModels() const;
    QString modelTitle() const;
    bool modelMenuEnabled() const;
    bool canCreateChat() const;
    bool thinking() const;
    bool hasEntries() const;
    ChatEntryModel *visibleEntries() const { return m_entryModel; }
    QString conversationExport() const;

    double textSize() const { return m_chatPreferences->textSize(); }
    // The screen's voice, made on first use (listing voices and opening the microphone is
    // work a screen that never speaks should not pay for).
    voice::VoiceService *voice();
    voice::VoicePreferences *voicePreferences() const { return m_voicePreferences.get(); }

    // Header.
    Q_INVOKABLE void selectModel(const QString &id);
    Q_INVOKABLE void createChat();
    // The chat's text size from the keyboard, in the profile slider's range and store: +1 and -1
    // step to the next whole size up or down, 0 goes back to the default.
    Q_INVOKABLE void zoomText(int step);
    Q_INVOKABLE void toggleSearch();
    Q_INVOKABLE void clearSearch();
    Q_INVOKABLE void copyConversation();

    // A message's context menu, by entry id.
    Q_INVOKABLE void copyEntry(const QString &entryID);
    Q_INVOKABLE void saveEntry(const QString &entryID);
    Q_INVOKABLE void speakEntry(const QString &entryID);
    Q_INVOKABLE void quoteEntry(const QString &entryID);
    // The code blocks of a message (one after another, a blank line between), or its tables
    // as tab-separated text when it has no code, for the keyboard: false when the message has
    // neither and the clipboard was left alone.
    Q_INVOKABLE bool copyEntryCode(const QString &entryID);

    // Sharing a text: the clipboard, a file, or a new mail.
    Q_INVOKABLE void copyText(const QString &text);
    Q_INVOKABLE void shareByMail(const QString &text);
    Q_INVOKABLE void saveTextAs(const QUrl &fileUrl, const QString &text);

    Q_INVOKABLE void openImage(const QUrl &url);
    // Links inside answers: https and mail addresses only (http opens as https).
    Q_INVOKABLE void openLink(const QUrl &url);
    // A link clicked in a message (the entry it is in, for the record).
    Q_INVOKABLE void activateLink(const QString &entryID, const QString &link);

    // The screen left the window: no more listening or talking.
    Q_INVOKABLE void disappear();

Q_SIGNALS:
    void clientChanged();
    void showingUtilitiesChanged();
    void showingPhotoPickerChanged();
    void showingFilePickerChanged();
    void showingChatsChanged();
    void showingVoiceConversationChanged();
    void searchVisibleChanged();
    void searchTextChanged();
    void visibleEntriesChanged();
    void chatTitleChanged();
    void modelsChanged();
    void busyChanged();
    void hasEntriesChanged();
    void textSizeChanged();
    // The message count changed, or another chat is shown: show the last message at the
    // bottom. `animated` when the same chat goes on (the list may glide there); another chat
    // opens at its end at once.
    void scrollToEndRequested(bool animated);

private:
    // A new chat asked for from outside the window: opened, its draft in the composer, focused.
    void takeComposeRequest();
    void onEntriesChanged();
    void refilter();
    void speak(const QString &text);
    std::optional<ChatEntry> entryByID(const QString &entryID) const;

    QPointer<VexaClient> m_client;
    QList<QMetaObject::Connection> m_clientConnections;
    std::shared_ptr<chat::ChatPlatform> m_platform;
    VoiceFactory m_voiceFactory;
    std::unique_ptr<voice::VoicePreferences> m_voicePreferences;
    std::unique_ptr<ChatPreferences> m_chatPreferences;
    voice::VoiceService *m_voice = nullptr;
    ChatEntryModel *m_entryModel;
    chat::ChatComposer *m_composer;

    bool m_showingUtilities = false;
    bool m_showingPhotoPicker = false;
    bool m_showingFilePicker = false;
    bool m_showingChats = false;
    bool m_showingVoiceConversation = false;

    bool m_searchVisible = false;
    QString m_searchText;
    QLocale m_searchLocale;
    QStringList m_foldedTexts; // client entries' texts folded for search; empty until needed

    qsizetype m_lastEntryCount = 0;
    std::optional<QString> m_entriesChatID; // the chat the shown entries belong to
};

} // namespace vexa
