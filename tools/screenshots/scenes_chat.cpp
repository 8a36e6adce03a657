// The chat: the welcome panel of a new chat, a conversation with Markdown, code and a picture,
// the in-chat search with its counter, the composer holding a photo and a file, and the chat
// list sheet at both widths.

#include "scene.h"

#include "chatviewmodel.h"
#include "localservice.h"
#include "servicestate.h"
#include "vexaclient.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

service::ChatMessage message(const QString &role, const QString &text, qint64 timeMs,
                             const QString &imageUrl = QString())
{
    service::ChatMessage m;
    m.role = role;
    m.text = text;
    m.timeMs = timeMs;
    if (!imageUrl.isEmpty())
        m.imageUrl = imageUrl;
    return m;
}

// A chat made for the picture: a Markdown answer with a list and code, then a drawing.
void putShowcaseChat(service::LocalService &service)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    service::Chat chat;
    chat.id = QStringLiteral("chat-showcase");
    chat.title = QStringLiteral("Сумма списка на Python");
    chat.messages = {
        message(QStringLiteral("user"), QStringLiteral("Как посчитать сумму списка на Python?"),
                now - 60'000),
        message(QStringLiteral("assistant"),
                QStringLiteral("Проще всего — встроенной функцией **sum**:\n\n"
                               "- работает с любым *итерируемым* объектом;\n"
                               "- второй аргумент задаёт начальное значение.\n\n"
                               "```python\nvalues = [3, 5, 8]\nprint(sum(values))  # 16\n```\n\n"
                               "Подробнее — в [документации](https://docs.python.org/3/)."),
                now - 59'000),
        message(QStringLiteral("user"), QStringLiteral("Нарисуй змею, которая складывает числа."),
                now - 30'000),
        message(QStringLiteral("assistant"), QStringLiteral("Готово! Вот ваша змея-математик."),
                now - 29'000, service::ServiceState::demoImageDataUrl(7, 320)),
    };
    service.state().chats.prepend(chat);
    service.state().activeChatId = chat.id;
}

QCoro::Task<ChatViewModel *> showChat(SceneContext &context)
{
    if (!co_await signInAndShowSections(context))
        co_return nullptr;
    const bool shown = co_await context.waitUntil(
        [&context] { return context.findByClass("vexa::ChatViewModel") != nullptr; },
        QString::fromLatin1("the chat screen"));
    if (!shown)
        co_return nullptr;
    co_return qobject_cast<ChatViewModel *>(context.findByClass("vexa::ChatViewModel"));
}

QCoro::Task<bool> stageWelcome(SceneContext &context)
{
    ChatViewModel *chat = co_await showChat(context);
    if (!chat)
        co_return false;
    // The chat list fetches the chats when it appears; a new chat waits for that to end.
    if (!co_await context.waitUntil([&context] { return !context.client().chatsLoading(); },
                                    QString::fromLatin1("the chat list")))
        co_return false;
    co_await context.client().createChat();
    const bool shown = co_await context.waitUntil(
        [&context, chat] {
            return !chat->hasEntries()
                && context.find(QString::fromLatin1("welcomePanel")) != nullptr;
        },
        QString::fromLatin1("the welcome panel"));
    co_await context.settle();
    co_return shown;
}

QCoro::Task<bool> stageConversation(SceneContext &context)
{
    ChatViewModel *chat = co_await showChat(context);
    if (!chat)
        co_return false;
    const bool listed = co_await context.waitUntil(
        [chat] { return chat->visibleEntries()->rowCount() == 4; },
        QString::fromLatin1("the showcase chat"));
    co_await context.settle(800ms); // the picture decodes off the main thread
    co_return listed;
}

QCoro::Task<bool> stageSearch(SceneContext &context)
{
    ChatViewModel *chat = co_await showChat(context);
    if (!chat)
        co_return false;
    if (!co_await context.waitUntil([chat] { return chat->hasEntries(); },
                                    QString::fromLatin1("the messages")))
        co_return false;
    chat->setSearchVisible(true);
    chat->setSearchText(QString::fromUtf8("КАЗАН"));
    co_await context.settle(600ms);
    co_return chat->foundCount() > 0;
}

QCoro::Task<bool> stageAttachments(SceneContext &context)
{
    ChatViewModel *chat = co_await showChat(context);
    if (!chat)
        co_return false;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString photo = QDir(folder).filePath(QString::fromLatin1("vexa-screenshot-photo.png"));
    const QString notes = QDir(folder).filePath(QString::fromUtf8("Отчёт за квартал.pdf"));
    QImage picture(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(40 + x / 2, 90 + y / 3, 200 - x / 4));
    picture.save(photo);
    QFile file(notes);
    if (file.open(QIODevice::WriteOnly))
        file.write("%PDF-1.4\n");
    file.close();
    chat->composer()->pickPhoto(QUrl::fromLocalFile(photo));
    chat->composer()->attachFile(QUrl::fromLocalFile(notes));
    chat->composer()->setDraft(QString::fromUtf8("Сравни фото с графиком из отчёта"));
    const bool attached = co_await context.waitUntil(
        [chat] { return chat->composer()->hasAttachedImage() && !chat->composer()->attachedFile().isEmpty(); },
        QString::fromLatin1("both attachments"));
    co_await context.settle();
    co_return attached;
}

QCoro::Task<bool> stageChatList(SceneContext &context)
{
    ChatViewModel *chat = co_await showChat(context);
    if (!chat)
        co_return false;
    chat->setShowingChats(true);
    const bool opened = co_await context.waitUntil(
        [&context] {
            QObject *sheet = context.find(QString::fromLatin1("chatListSheet"));
            return sheet && sheet->property("opened").toBool();
        },
        QString::fromLatin1("the chat list sheet"));
    co_await context.settle(600ms);
    co_return opened;
}

} // namespace

QList<Scene> chatScenes()
{
    return {
        {QStringLiteral("chat-welcome"), QStringLiteral("a new chat: the welcome panel"), kWide,
         nullptr, stageWelcome},
        {QStringLiteral("chat-conversation"),
         QStringLiteral("Markdown with a list, code and a link, and a drawn picture"), kWide,
         putShowcaseChat, stageConversation},
        {QStringLiteral("chat-search"), QStringLiteral("searching \"КАЗАН\", with the counter"),
         kWide, nullptr, stageSearch},
        {QStringLiteral("chat-attachments"),
         QStringLiteral("the composer with a photo, a file and a draft"), kWide, nullptr,
         stageAttachments},
        {QStringLiteral("chat-list-wide"), QStringLiteral("the chat list sheet (1280×800)"),
         kWide, nullptr, stageChatList},
        {QStringLiteral("chat-list-compact"), QStringLiteral("the chat list sheet (420×860)"),
         kCompact, nullptr, stageChatList},
    };
}

} // namespace vexa::screenshots
