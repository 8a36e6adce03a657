// The chat screen's rules on a client whose state the test sets: the composer, search,
// quoting, dictation, the header's menus, message actions and attachments.

#include "awaittask.h"
#include "chatfixture.h"

#include <QSignalSpy>

using namespace vexa;
using namespace vexa::test;
using namespace vexa::voice;

namespace {

VexaModel model(const QString &id, const QString &title, bool available)
{
    VexaModel m;
    m.id = id;
    m.title = title;
    m.isAvailable = available;
    return m;
}

QStringList visibleTexts(const ChatViewModel &view)
{
    QStringList texts;
    const ChatEntryModel *model = view.visibleEntries();
    for (int i = 0; i < model->rowCount(); ++i)
        texts.append(model->data(model->index(i), ChatEntryModel::TextRole).toString());
    return texts;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace

class ChatViewModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void canSend_data();
    void canSend();
    void search_data();
    void search();
    void searchBarClosing();
    void quoting();
    void dictationMerge_data();
    void dictationMerge();
    void header_data();
    void header();
    void conversationMenu();
    void messageActions();
    void photoLoads_data();
    void photoLoads();
    void filesDropsAndPaste();
    void sendClearsComposerAndFailureGivesItBack_data();
    void sendClearsComposerAndFailureGivesItBack();
    void scrollsWhenTheCountChanges();
};

void ChatViewModelTest::canSend_data()
{
    QTest::addColumn<QString>("draft");
    QTest::addColumn<bool>("photo");
    QTest::addColumn<bool>("file");
    QTest::addColumn<bool>("sending");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("empty") << "" << false << false << false << false;
    QTest::newRow("blanks and line breaks") << " \n\t \r\n " << false << false << false << false;
    QTest::newRow("non-breaking and ideographic spaces")
        << QStringLiteral("\u00a0\u3000") << false << false << false << false;
    QTest::newRow("text") << "Привет" << false << false << false << true;
    QTest::newRow("blanks with a photo") << "  \n" << true << false << false << true;
    QTest::newRow("blanks with a file") << "  " << false << true << false << true;
    QTest::newRow("text while sending") << "Привет" << false << false << true << false;
    QTest::newRow("photo while sending") << "" << true << false << true << false;
}

void ChatViewModelTest::canSend()
{
    QFETCH(QString, draft);
    QFETCH(bool, photo);
    QFETCH(bool, file);
    QFETCH(bool, sending);
    QFETCH(bool, enabled);

    ChatRig rig;
    rig.composer()->setDraft(draft);
    if (photo) {
        rig.platform->clipboardPicture = picture();
        QVERIFY(rig.composer()->pasteAttachment());
    }
    if (file) {
        const QString path = writeFile(rig.dir, QStringLiteral("notes.txt"), "notes");
        rig.composer()->attachFile(QUrl::fromLocalFile(path));
    }
    rig.client->setSending(sending);
    QCOMPARE(rig.composer()->canSend(), enabled);
    QCOMPARE(rig.composer()->property("canSend").toBool(), enabled); // what the button binds to

    // A press on a disabled button (or Enter) sends nothing and keeps the composer.
    if (!enabled) {
        rig.composer()->send();
        QCOMPARE(rig.composer()->draft(), draft);
        QCOMPARE(rig.composer()->hasAttachedImage(), photo);
        QVERIFY(rig.client->entries().isEmpty());
    }
}

void ChatViewModelTest::search_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<bool>("counter");

    const QStringList all{"Привет, как дела?", "Отлично, спасибо", "ПРИВЕТСТВУЮ всех",
                          "Islak zemin", "ıslak zemin"};
    QTest::newRow("bar hidden: everything") << false << "привет" << "ru_RU" << all << false;
    QTest::newRow("capitals with blanks match lower case")
        << true << "  ПРИВЕТ \n" << "ru_RU"
        << QStringList{"Привет, как дела?", "ПРИВЕТСТВУЮ всех"} << true;
    QTest::newRow("blanks only: counter over everything") << true << "   " << "ru_RU" << all
                                                         << true;
    QTest::newRow("empty query: no counter") << true << "" << "ru_RU" << all << false;
    QTest::newRow("no match") << true << "погода" << "ru_RU" << QStringList{} << true;
    QTest::newRow("Turkish: I folds to dotless i")
        << true << "ISLAK" << "tr_TR" << QStringList{"Islak zemin", "ıslak zemin"} << true;
    QTest::newRow("elsewhere: I folds to i")
        << true << "ISLAK" << "en_US" << QStringList{"Islak zemin"} << true;
}

void ChatViewModelTest::search()
{
    QFETCH(bool, visible);
    QFETCH(QString, query);
    QFETCH(QString, locale);
    QFETCH(QStringList, found);
    QFETCH(bool, counter);

    ChatRig rig;
    rig.view->setSearchLocale(QLocale(locale));
    QList<ChatEntry> entries;
    const QStringList all{"Привет, как дела?", "Отлично, спасибо", "ПРИВЕТСТВУЮ всех",
                          "Islak zemin", "ıslak zemin"};
    for (const QString &text : all)
        entries.append(entries.size() % 2 ? answerEntry(text) : userEntry(text));
    rig.client->setEntries(entries);

    rig.view->setSearchVisible(true);
    rig.view->setSearchText(query);
    if (!visible) {
        // Typed, then the bar was hidden from the menu.
        rig.view->toggleSearch();
        QVERIFY(rig.view->searchText().isEmpty());
    }
    QCOMPARE(visibleTexts(*rig.view), found);
    QCOMPARE(rig.view->searchCounterVisible(), counter);
    QCOMPARE(rig.view->foundCount(), found.size());

    // New messages are searched as they arrive.
    entries.append(answerEntry(QStringLiteral("привет ещё раз")));
    rig.client->setEntries(entries);
    const bool newOneMatches = !visible || query.trimmed().isEmpty()
        || QLocale(locale).toLower(QStringLiteral("привет ещё раз"))
               .contains(QLocale(locale).toLower(query.trimmed()));
    QCOMPARE(rig.view->foundCount(), found.size() + (newOneMatches ? 1 : 0));
}

void ChatViewModelTest::searchBarClosing()
{
    ChatRig rig;
    rig.client->setEntries({userEntry("один"), answerEntry("два")});
    rig.view->toggleSearch();
    rig.view->setSearchText(QStringLiteral("один"));
    QCOMPARE(rig.view->foundCount(), 1);

    // The clear button empties the query and leaves the bar open.
    rig.view->clearSearch();
    QVERIFY(rig.view->searchVisible());
    QCOMPARE(rig.view->foundCount(), 2);

    // Hiding through the menu forgets the query: reopening starts empty.
    rig.view->setSearchText(QStringLiteral("два"));
    rig.view->toggleSearch();
    QVERIFY(!rig.view->searchVisible());
    rig.view->toggleSearch();
    QCOMPARE(rig.view->searchText(), QString());
    QCOMPARE(rig.view->foundCount(), 2);
}

void ChatViewModelTest::quoting()
{
    ChatRig rig;
    const QString answer = QString(200, QLatin1Char('z')) + QString(300, QLatin1Char('q'));
    const ChatEntry question = userEntry(QStringLiteral("Вопрос"));
    const ChatEntry reply = answerEntry(answer);
    rig.client->setEntries({question, reply});
    rig.composer()->setDraft(QStringLiteral("старый черновик"));

    rig.view->quoteEntry(reply.id.toString());
    QCOMPARE(rig.composer()->draft(), QStringLiteral("По поводу вашего ответа: ")
                                    + QString(160, QLatin1Char('z')) + QStringLiteral("\n\n"));
    QVERIFY(rig.composer()->draftFocused());

    // Only answers are quoted.
    rig.composer()->setDraft(QStringLiteral("своё"));
    rig.view->quoteEntry(question.id.toString());
    QCOMPARE(rig.composer()->draft(), QStringLiteral("своё"));
}

void ChatViewModelTest::dictationMerge_data()
{
    QTest::addColumn<QString>("draft");
    // Successive live transcripts; "user:…" is the user setting the composer's text meanwhile.
    QTest::addColumn<QStringList>("heard");
    QTest::addColumn<QString>("result");

    QTest::newRow("one word after one word") << "Привет" << QStringList{"мир"} << "Привет мир";
    QTest::newRow("empty draft") << "" << QStringList{"мир"} << "мир";
    QTest::newRow("live text replaces, not appends")
        << "Итак:" << QStringList{"раз", "раз два", "раз два три"} << "Итак: раз два три";
    QTest::newRow("transcript cleared while listening: the draft alone")
        << "Итак:" << QStringList{"раз", ""} << "Итак:";
    QTest::newRow("typed after the words: kept")
        << "Итак:" << QStringList{"раз", "user:Итак: раз!", "раз два"} << "Итак: раз два!";
    QTest::newRow("typed before the words: kept")
        << "" << QStringList{"раз", "user:Вот: раз", "раз два"} << "Вот: раз два";
    QTest::newRow("typed before the first words: they follow it")
        << "" << QStringList{"user:Список", "раз"} << "Список раз";
    QTest::newRow("a quote replaced the words: the words go on after it")
        << "Итак:" << QStringList{"раз", "user:Итак: раз\n> цитата\n", "раз два"} << "Итак: раз два\n> цитата\n";
    QTest::newRow("dictated words edited: the text stays as edited")
        << "Итак:" << QStringList{"раз", "user:Итак: рас", "раз два"} << "Итак: рас";
    QTest::newRow("composer emptied: stays empty")
        << "Итак:" << QStringList{"раз", "user:", "раз два"} << "";
}

void ChatViewModelTest::dictationMerge()
{
    QFETCH(QString, draft);
    QFETCH(QStringList, heard);
    QFETCH(QString, result);

    ChatRig rig;
    rig.composer()->setDraft(draft);
    QVERIFY(!rig.composer()->listening());
    rig.composer()->toggleDictation();
    QVERIFY(waitUntil([&] {
        ChatRig::settle();
        return rig.composer()->listening();
    }));
    QCOMPARE(rig.composer()->dictationPrefix(), draft);
    QCOMPARE(rig.voice.recognition->recognizerLocales.back(), QStringLiteral("ru-RU"));
    for (const QString &text : heard) {
        if (text.startsWith(QLatin1String("user:"))) {
            rig.composer()->setDraft(text.mid(5));
            continue;
        }
        rig.voice.recognition->emitResult(text);
        ChatRig::settle();
    }
    QCOMPARE(rig.composer()->draft(), result);

    // Stopping keeps what was dictated.
    rig.composer()->toggleDictation();
    QVERIFY(!rig.composer()->listening());
    QCOMPARE(rig.composer()->draft(), result);
}

void ChatViewModelTest::header_data()
{
    QTest::addColumn<QString>("active");   // "" = none
    QTest::addColumn<QString>("current");  // the state's model, "" = none
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("busy");     // "", "sending", "selecting", "loading"
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("modelTitle");
    QTest::addColumn<bool>("menuEnabled");
    QTest::addColumn<bool>("newChatEnabled");

    QTest::newRow("active chat, available model")
        << "c2" << "fast" << false << "" << "Путешествия" << "Быстрая" << true << true;
    QTest::newRow("no active chat") << "" << "fast" << false << "" << "Чат с Vexa" << "Быстрая"
                                    << true << true;
    QTest::newRow("active id not listed") << "c9" << "fast" << false << "" << "Чат с Vexa"
                                          << "Быстрая" << true << true;
    QTest::newRow("current model unavailable") << "c1" << "pro" << false << "" << "Рабочий"
                                               << "Модель" << true << true;
    QTest::newRow("no current model") << "c1" << "" << false << "" << "Рабочий" << "Модель"
                                      << true << true;
    QTest::newRow("model locked") << "c1" << "fast" << true << "" << "Рабочий" << "Быстрая"
                                  << false << true;
    QTest::newRow("sending") << "c1" << "fast" << false << "sending" << "Рабочий" << "Быстрая"
                             << false << false;
    QTest::newRow("switching model") << "c1" << "fast" << false << "selecting" << "Рабочий"
                                     << "Быстрая" << false << true;
    QTest::newRow("loading chats") << "c1" << "fast" << false << "loading" << "Рабочий"
                                   << "Быстрая" << true << false;
}

void ChatViewModelTest::header()
{
    QFETCH(QString, active);
    QFETCH(QString, current);
    QFETCH(bool, locked);
    QFETCH(QString, busy);
    QFETCH(QString, title);
    QFETCH(QString, modelTitle);
    QFETCH(bool, menuEnabled);
    QFETCH(bool, newChatEnabled);

    ChatRig rig;
    QCOMPARE(rig.view->chatTitle(), QStringLiteral("Чат с Vexa"));
    QCOMPARE(rig.view->modelTitle(), QStringLiteral("Модель"));
    QVERIFY(rig.view->availableModels().isEmpty());

    VexaSharedChat work{QStringLiteral("c1"), QStringLiteral("Рабочий"), {}};
    VexaSharedChat trips{QStringLiteral("c2"), QStringLiteral("Путешествия"), {}};
    rig.client->setChats({work, trips});
    rig.client->setActiveChatID(active.isEmpty() ? std::optional<QString>() : std::optional(active));
    VexaState state;
    if (!current.isEmpty())
        state.model = current;
    state.models = QList<VexaModel>{model("fast", "Быстрая", true), model("pro", "Pro", false),
                                    model("deep", "Глубокая", true)};
    if (locked)
        state.modelLocked = true;
    rig.client->setState(state);
    rig.client->setSending(busy == QLatin1String("sending"));
    rig.client->setSelectingModel(busy == QLatin1String("selecting"));
    rig.client->setChatsLoading(busy == QLatin1String("loading"));

    QCOMPARE(rig.view->chatTitle(), title);
    QCOMPARE(rig.view->modelTitle(), modelTitle);
    QCOMPARE(rig.view->modelMenuEnabled(), menuEnabled);
    QCOMPARE(rig.view->canCreateChat(), newChatEnabled);
    QStringList titles;
    for (const QVariant &item : rig.view->availableModels())
        titles.append(item.toMap().value(QStringLiteral("title")).toString());
    QCOMPARE(titles, (QStringList{"Быстрая", "Глубокая"}));
}

void ChatViewModelTest::conversationMenu()
{
    ChatRig rig;
    // An empty chat: sharing and copying are not offered, and a stray call does nothing.
    QVERIFY(!rig.view->hasEntries());
    rig.view->copyConversation();
    QVERIFY(rig.platform->copied.isEmpty());
    QVERIFY(!rig.client->hasNotice());
    // The welcome panel stays while a query is typed.
    rig.view->toggleSearch();
    rig.view->setSearchText(QStringLiteral("что-то"));
    QVERIFY(!rig.view->hasEntries());

    QSignalSpy exportChanges(rig.view.get(), &ChatViewModel::hasEntriesChanged);
    rig.client->setEntries({userEntry("Вопрос"), answerEntry("Ответ")});
    QVERIFY(rig.view->hasEntries());
    QVERIFY(!exportChanges.isEmpty());
    rig.view->copyConversation();
    QCOMPARE(rig.platform->copied, QStringList{"Вы: Вопрос\n\nVexa: Ответ"});
    QCOMPARE(rig.client->noticeText(), QStringLiteral("Диалог скопирован."));

    // Sharing: by mail and into a file; a failed write is told through the notice.
    rig.view->shareByMail(rig.view->conversationExport());
    QCOMPARE(rig.platform->opened.size(), 1);
    QCOMPARE(rig.platform->opened.first().scheme(), QStringLiteral("mailto"));
    rig.platform->saveError = QStringLiteral("Не удалось сохранить файл: нет места");
    rig.view->saveTextAs(QUrl::fromLocalFile(rig.dir.filePath("d.txt")),
                         rig.view->conversationExport());
    QCOMPARE(rig.platform->saved.size(), 1);
    QCOMPARE(rig.platform->saved.first().second, QStringLiteral("Вы: Вопрос\n\nVexa: Ответ"));
    QCOMPARE(rig.client->noticeText(), QStringLiteral("Не удалось сохранить файл: нет места"));
}

void ChatViewModelTest::messageActions()
{
    ChatRig rig;
    {
        VoicePreferences prefs(rig.preferencesPath());
        prefs.setLocale(QStringLiteral("en-US"));
        prefs.setRate(0.9);
    }
    const ChatEntry question = userEntry(QStringLiteral("Вопрос"));
    const ChatEntry reply = answerEntry(QStringLiteral("Answer"));
    rig.client->setEntries({question, reply});

    rig.view->copyEntry(question.id.toString(QUuid::WithoutBraces));
    QCOMPARE(rig.platform->copied, QStringList{"Вопрос"});

    // Speaking is for answers, in the chosen language at the clamped rate.
    rig.view->speakEntry(question.id.toString());
    rig.view->speakEntry(reply.id.toString());
    QVERIFY(waitUntil([&] {
        ChatRig::settle();
        return !rig.voice.synthesizer->spoken.empty();
    }));
    QCOMPARE(rig.voice.synthesizer->spoken.size(), size_t(1));
    QCOMPARE(rig.voice.synthesizer->spoken.front().text, QStringLiteral("Answer"));
    QCOMPARE(rig.voice.synthesizer->spoken.front().language, QStringLiteral("en-US"));
    QCOMPARE(rig.voice.synthesizer->spoken.front().rate, 0.62f);

    // Leaving the screen silences it.
    const int stops = rig.voice.synthesizer->stops;
    rig.view->disappear();
    QVERIFY(rig.voice.synthesizer->stops > stops);

    // Links in answers open only as web or mail addresses; pictures only from allowed places.
    rig.view->openLink(QUrl(QStringLiteral("https://vexa.ai/help")));
    rig.view->openLink(QUrl(QStringLiteral("file:///etc/passwd")));
    rig.view->openLink(QUrl(QStringLiteral("tg://resolve?domain=x")));
    QCOMPARE(rig.platform->opened, QList<QUrl>{QUrl(QStringLiteral("https://vexa.ai/help"))});
    // http opens as https.
    rig.view->openLink(QUrl(QStringLiteral("http://vexa.ai/plain")));
    QCOMPARE(rig.platform->opened.last(), QUrl(QStringLiteral("https://vexa.ai/plain")));
    // From the keyboard, a message's code comes all at once, or its tables when it has no code;
    // prose alone copies nothing.
    const ChatEntry code = answerEntry(QStringLiteral("a\n```\nfirst\n```\nb\n```sh\nsecond\n```\n\n| x |\n|---|\n| 1 |"));
    const ChatEntry table = answerEntry(QStringLiteral("Итог:\n\n| A | B |\n|---|---|\n| 1 | 2 |"));
    rig.client->setEntries({question, reply, code, table});
    QVERIFY(rig.view->copyEntryCode(code.id.toString()));
    QCOMPARE(rig.platform->copied.last(), QStringLiteral("first\n\nsecond"));
    QVERIFY(rig.view->copyEntryCode(table.id.toString()));
    QCOMPARE(rig.platform->copied.last(), QStringLiteral("A\tB\n1\t2"));
    QVERIFY(!rig.view->copyEntryCode(reply.id.toString()));
    QCOMPARE(rig.platform->copied.size(), 3);
    rig.view->activateLink(code.id.toString(), QStringLiteral("javascript:alert(1)"));
    rig.view->activateLink(code.id.toString(), QStringLiteral("#copy-1"));
    QCOMPARE(rig.platform->opened.size(), 2);
    rig.view->openImage(QUrl(QStringLiteral("data:image/png;base64,AAAA")));
    rig.view->openImage(QUrl(QStringLiteral("file:///tmp/x.png")));
    QCOMPARE(rig.platform->openedImages.size(), 1);
}

void ChatViewModelTest::photoLoads_data()
{
    // Steps: "pick N" (a pick from file N), "finish N ok|bad" (the N-th load ends),
    // "remove", "send"; then whether a photo is attached at the end.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("attached");

    QTest::newRow("picked and loaded") << QStringList{"pick 0", "finish 0 ok"} << true;
    QTest::newRow("undecodable: nothing, silently") << QStringList{"pick 0", "finish 0 bad"}
                                                    << false;
    QTest::newRow("removed while loading")
        << QStringList{"pick 0", "remove", "finish 0 ok"} << false;
    QTest::newRow("older pick finishing late")
        << QStringList{"pick 0", "pick 1", "finish 1 bad", "finish 0 ok"} << false;
    QTest::newRow("sent while loading") << QStringList{"pick 0", "send", "finish 0 ok"} << false;
}

void ChatViewModelTest::photoLoads()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, attached);

    ChatRig rig;
    rig.composer()->setDraft(QStringLiteral("Что на фото?"));
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words[0] == QLatin1String("pick")) {
            rig.composer()->pickPhoto(QUrl::fromLocalFile(rig.dir.filePath(words[1] + ".jpg")));
        } else if (words[0] == QLatin1String("finish")) {
            const int n = words[1].toInt();
            QVERIFY(n < rig.platform->pendingPhotos.size());
            rig.platform->finishPhoto(n, words[2] == QLatin1String("ok") ? picture() : QImage());
            QTest::qWait(vexa::test::scaledMs(30));
        } else if (words[0] == QLatin1String("remove")) {
            rig.composer()->removePhoto();
        } else if (words[0] == QLatin1String("send")) {
            rig.composer()->send();
        }
    }
    QCOMPARE(rig.composer()->hasAttachedImage(), attached);
    QCOMPARE(rig.composer()->attachedImageThumbnail().startsWith("data:image/png;base64,"), attached);
}

void ChatViewModelTest::filesDropsAndPaste()
{
    ChatRig rig;
    // A file that is not there is refused through the notice.
    rig.composer()->attachFile(QUrl::fromLocalFile(rig.dir.filePath("missing.pdf")));
    QVERIFY(rig.composer()->attachedFile().isEmpty());
    QCOMPARE(rig.client->noticeText(), QStringLiteral("Не удалось открыть выбранный файл."));

    // A drop of a picture and a document attaches both, each in its place.
    QImage image = picture();
    const QString png = rig.dir.filePath("photo.png");
    QVERIFY(image.save(png));
    const QString pdf = writeFile(rig.dir, "report.pdf", "%PDF-1.4\n%…");
    QVERIFY(rig.composer()->attachDropped({QUrl::fromLocalFile(pdf), QUrl::fromLocalFile(png),
                                     QUrl(QStringLiteral("https://example.com/x"))}));
    QCOMPARE(rig.composer()->attachedFileName(), QStringLiteral("report.pdf"));
    QCOMPARE(rig.platform->pendingPhotos.size(), 1);
    QCOMPARE(rig.platform->pendingPhotos.first().path, png);
    rig.platform->finishPhoto(0, image);
    QVERIFY(waitUntil([&] { return rig.composer()->hasAttachedImage(); }));
    QVERIFY(!rig.composer()->attachDropped({QUrl(QStringLiteral("https://example.com/x"))}));

    // Pasting a picture replaces the photo; pasting plain text attaches nothing.
    rig.composer()->removePhoto();
    rig.composer()->removeFile();
    QVERIFY(!rig.composer()->pasteAttachment());
    rig.platform->clipboardPicture = picture(10, 10);
    QVERIFY(rig.composer()->pasteAttachment());
    QVERIFY(rig.composer()->hasAttachedImage());
    QCOMPARE(rig.composer()->attachedImage()->size(), QSize(10, 10));
}

void ChatViewModelTest::sendClearsComposerAndFailureGivesItBack_data()
{
    QTest::addColumn<bool>("typesMeanwhile");
    QTest::newRow("composer untouched: draft restored") << false;
    QTest::newRow("new message started: kept") << true;
}

void ChatViewModelTest::sendClearsComposerAndFailureGivesItBack()
{
    QFETCH(bool, typesMeanwhile);

    // Port 9 on loopback refuses connections: the send fails quickly.
    ChatRig rig;
    const QString path = writeFile(rig.dir, "notes.txt", "hello");
    rig.composer()->setDraft(QStringLiteral("  Посмотри файл \n"));
    rig.composer()->attachFile(QUrl::fromLocalFile(path));
    rig.composer()->setDraftFocused(true);

    rig.composer()->send();
    QCOMPARE(rig.composer()->draft(), QString());
    QVERIFY(rig.composer()->attachedFile().isEmpty());
    QVERIFY(rig.composer()->draftFocused()); // the next message is typed at once
    QVERIFY(rig.view->thinking());
    QCOMPARE(rig.client->entries().size(), 1);
    QCOMPARE(rig.client->entries().first().text, QStringLiteral("Посмотри файл  📎"));
    if (typesMeanwhile)
        rig.composer()->setDraft(QStringLiteral("Другое"));

    QVERIFY(waitUntil([&] { return !rig.client->sending(); }));
    QVERIFY(rig.client->hasNotice());
    QVERIFY(rig.client->entries().isEmpty());
    if (typesMeanwhile) {
        QCOMPARE(rig.composer()->draft(), QStringLiteral("Другое"));
        QVERIFY(rig.composer()->attachedFile().isEmpty());
    } else {
        QCOMPARE(rig.composer()->draft(), QStringLiteral("  Посмотри файл \n"));
        QCOMPARE(rig.composer()->attachedFile(), QUrl::fromLocalFile(path));
    }
}

void ChatViewModelTest::scrollsWhenTheCountChanges()
{
    ChatRig rig;
    QSignalSpy scrolls(rig.view.get(), &ChatViewModel::scrollToEndRequested);
    const QList<ChatEntry> two{userEntry("a"), answerEntry("b")};
    rig.client->setEntries(two);
    QCOMPARE(scrolls.count(), 1);
    QCOMPARE(scrolls.last().at(0).toBool(), false); // shown after none: at its end at once
    // Same count (the server's copy with new ids): no jump.
    rig.client->setEntries({userEntry("a"), answerEntry("b")});
    QCOMPARE(scrolls.count(), 1);
    rig.client->setEntries({userEntry("a"), answerEntry("b"), userEntry("c")});
    QCOMPARE(scrolls.count(), 2);
    QCOMPARE(scrolls.last().at(0).toBool(), true); // the same chat goes on: it may glide
    // Another chat, even of the same length, opens at its end at once.
    rig.client->setActiveChatID(QStringLiteral("other"));
    rig.client->setEntries({userEntry("x"), answerEntry("y"), userEntry("z")});
    QCOMPARE(scrolls.count(), 3);
    QCOMPARE(scrolls.last().at(0).toBool(), false);
    // Emptied: nothing to scroll to.
    rig.client->setEntries({});
    QCOMPARE(scrolls.count(), 3);
}

QTEST_MAIN(ChatViewModelTest)
#include "tst_chatviewmodel.moc"
