// Opening chats and talking in them: POST /api/chats (a new active chat), POST /api/chats/select
// and POST /api/chat (a message with optional photo and file; the answer is composed by
// answers.cpp and kept in the chat together with the question).

#include "routes.h"

#include "answers.h"
#include "attachments.h"
#include "servicestate.h"

#include <QBuffer>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>

#include <memory>

namespace vexa::service {

namespace {

ApiResponse chatNotFound()
{
    return ApiResponse::error(404, QStringLiteral("Чат не найден. Обновите список чатов."));
}

ApiResponse badMember(const QString &name)
{
    return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: поле «%1» заполнено неверно.").arg(name));
}

void moveToFront(ServiceState &state, const QString &id)
{
    for (qsizetype i = 0; i < state.chats.size(); ++i) {
        if (state.chats.at(i).id == id) {
            state.chats.move(i, 0);
            return;
        }
    }
}

Chat &openNewChat(ServiceState &state)
{
    Chat chat;
    chat.id = state.newChatId();
    chat.title = QStringLiteral("Новый чат");
    state.chats.prepend(chat);
    state.activeChatId = chat.id;
    return state.chats.first();
}

// A small JPEG of the photo for the chat history: the question shows what was sent without the
// history carrying megabytes.
QJsonValue thumbnailUrl(const QByteArray &photoBytes)
{
    QImage image = QImage::fromData(photoBytes);
    if (image.isNull())
        return QJsonValue(QJsonValue::Undefined);
    if (qMax(image.width(), image.height()) > 320)
        image = image.scaled(320, 320, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 80);
    return QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(jpeg.toBase64());
}

// Refuses the request when the model's allowance for today (or the week) is used up.
std::optional<ApiResponse> limitRefusal(const ServiceState &state, const QString &modelId)
{
    if (modelId.startsWith(QLatin1String("fp-"))) {
        const auto &fp = state.funpayLimits;
        if ((fp.day >= 0 && fp.usedDay >= fp.day) || (fp.week >= 0 && fp.usedWeek >= fp.week))
            return ApiResponse::error(429, QStringLiteral("Лимит моделей FunPay исчерпан: %1 из %2 за сутки, "
                                                          "%3 из %4 за неделю.")
                                               .arg(fp.usedDay).arg(fp.day).arg(fp.usedWeek).arg(fp.week));
        return std::nullopt;
    }
    const auto &limits = state.limits;
    if (limits.day >= 0 && limits.usedDay >= limits.day)
        return ApiResponse::error(429, QStringLiteral("Дневной лимит запросов исчерпан (%1 из %2). Он обновится "
                                                      "завтра, а больше запросов дают тарифы в Telegram-боте.")
                                           .arg(limits.usedDay).arg(limits.day));
    return std::nullopt;
}

void countRequest(ServiceState &state, const QString &modelId)
{
    if (modelId.startsWith(QLatin1String("fp-"))) {
        ++state.funpayLimits.usedDay;
        ++state.funpayLimits.usedWeek;
    } else {
        ++state.limits.usedDay;
    }
    ++state.statMessages;
}

// New chats and the chat that was active before each was opened. The code workspace opens its
// conversations like any chat; when the first message shows it is one, the chat the person had
// open comes back, so the chat screen does not jump to the code conversation.
using OpenedFrom = QHash<QString, QString>;

ApiResponse sendMessage(ServiceState &state, OpenedFrom &openedFrom, const ApiRequest &request)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body)
        return ApiResponse::error(400, texts::unreadableRequest());
    const QJsonValue messageValue = body->value(QStringLiteral("message"));
    if (!messageValue.isString())
        return badMember(QStringLiteral("message"));
    const QString message = messageValue.toString().trimmed();

    QString modelId = state.model;
    if (body->contains(QStringLiteral("model"))) {
        if (!body->value(QStringLiteral("model")).isString())
            return badMember(QStringLiteral("model"));
        modelId = body->value(QStringLiteral("model")).toString();
    }
    const ChatModel *model = state.findModel(modelId);
    if (!model)
        return ApiResponse::error(400, QStringLiteral("Модель «%1» не найдена.").arg(modelId));
    if (!model->isAvailable)
        return ApiResponse::error(403, QStringLiteral("Модель «%1» недоступна на вашем тарифе.").arg(model->title));

    std::optional<PhotoInfo> photo;
    QByteArray photoBytes;
    if (body->contains(QStringLiteral("image_data_url"))) {
        const auto decoded = decodeDataUrl(body->value(QStringLiteral("image_data_url")).toString());
        if (decoded)
            photo = inspectPhoto(decoded->bytes);
        if (!photo)
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать фото. Попробуйте другое изображение."));
        photoBytes = decoded->bytes;
    }
    std::optional<FileInfo> file;
    if (body->contains(QStringLiteral("file_data"))) {
        const QJsonObject fileData = body->value(QStringLiteral("file_data")).toObject();
        const QString name = fileData.value(QStringLiteral("name")).toString();
        const auto decoded = decodeDataUrl(fileData.value(QStringLiteral("data_url")).toString());
        // An empty file has an empty payload: "data:...;base64," is fine here.
        const bool emptyFile = fileData.value(QStringLiteral("data_url")).toString().endsWith(QLatin1String(";base64,"));
        if (name.isEmpty() || (!decoded && !emptyFile))
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать файл."));
        file = inspectFile(name, decoded ? decoded->bytes : QByteArray());
    }
    if (message.isEmpty() && !photo && !file)
        return ApiResponse::error(400, QStringLiteral("Напишите сообщение или прикрепите файл."));

    Chat *chat = nullptr;
    if (body->contains(QStringLiteral("conversation_id"))) {
        if (!body->value(QStringLiteral("conversation_id")).isString())
            return badMember(QStringLiteral("conversation_id"));
        chat = state.findChat(body->value(QStringLiteral("conversation_id")).toString());
        if (!chat)
            return chatNotFound();
    }
    if (auto refusal = limitRefusal(state, modelId))
        return *refusal;
    if (!chat)
        chat = state.findChat(state.activeChatId);
    if (!chat)
        chat = &openNewChat(state);

    Question question;
    question.message = message;
    question.modelTitle = model->title;
    question.responseLength = state.settings.responseLength;
    question.photo = photo;
    question.file = file;
    const QString answer = composeAnswer(question);

    if (chat->messages.isEmpty() && chat->title == QStringLiteral("Новый чат"))
        chat->title = chatTitleFor(message, photo, file);
    const QString previous = openedFrom.take(chat->id);
    if (parseCodePrompt(message) && state.activeChatId == chat->id && state.findChat(previous))
        state.activeChatId = previous;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    ChatMessage asked;
    asked.role = QStringLiteral("user");
    const bool attached = photo || file;
    asked.text = message.isEmpty() ? QStringLiteral("📎 Вложение")
               : attached          ? message + QStringLiteral("  📎")
                                   : message;
    asked.timeMs = now;
    if (photo)
        asked.imageUrl = thumbnailUrl(photoBytes);
    ChatMessage answered;
    answered.role = QStringLiteral("assistant");
    answered.text = answer;
    answered.timeMs = now + 1;
    chat->messages.append(asked);
    chat->messages.append(answered);
    const QString chatId = chat->id;
    moveToFront(state, chatId); // invalidates `chat`
    countRequest(state, modelId);

    return ApiResponse::ok({{QStringLiteral("answer"), answer},
                            {QStringLiteral("conversation_id"), chatId},
                            {QStringLiteral("state"), state.toJson()}});
}

} // namespace

void registerChatSendRoutes(Router &router, ApiContext &context)
{
    auto openedFrom = std::make_shared<OpenedFrom>();

    // POST /api/chats {} -> a new empty chat, made active; replies with the whole list.
    router.add("POST", QStringLiteral("/api/chats"), [&context, openedFrom](const ApiRequest &) {
        const QString previous = context.state.activeChatId;
        const QString id = openNewChat(context.state).id;
        openedFrom->insert(id, previous);
        return ApiResponse::json(context.state.chatsJson());
    });

    // POST /api/chats/select {"chat_id": "..."} -> the list with that chat active.
    router.add("POST", QStringLiteral("/api/chats/select"), [&context](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body)
            return ApiResponse::error(400, texts::unreadableRequest());
        const QJsonValue id = body->value(QStringLiteral("chat_id"));
        if (!id.isString())
            return badMember(QStringLiteral("chat_id"));
        const Chat *chat = context.state.findChat(id.toString());
        if (!chat)
            return chatNotFound();
        context.state.activeChatId = chat->id;
        return ApiResponse::json(context.state.chatsJson());
    });

    // POST /api/chat {"message", "model"?, "conversation_id"?, "image_data_url"?, "file_data"?}
    router.add("POST", QStringLiteral("/api/chat"), [&context, openedFrom](const ApiRequest &request) {
        return sendMessage(context.state, *openedFrom, request);
    });
}

} // namespace vexa::service
