// Every reply decoder over arbitrary bytes: none may crash, hang or read out of bounds, and a
// decoded value must hold what the strict rules promise.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "vexastate.h"

#include <cstdint>
#include <cstdlib>

using namespace vexa;
using records::decodeJson;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The reply reader and the parsed-document path share one set of rules: they must agree on
// every input, except that the reader alone refuses a record key given twice.
template <typename T>
void decodeAs(const QByteArray &bytes)
{
    const auto streamed = decodeJson<T>(bytes);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        check(!streamed);
        return;
    }
    const auto parsed = records::decodeObject<T>(document.object());
    if (parsed)
        check(streamed || streamed.error().reason == QLatin1String("repeated key"));
    else
        check(!streamed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    decodeAs<VexaState>(bytes);
    decodeAs<VexaChatsResponse>(bytes);
    if (auto state = decodeJson<VexaState>(bytes); state && state->models) {
        for (const VexaModel &model : *state->models)
            (void)model.id.size(); // required members are present in every decoded model
    }
    if (auto chats = decodeJson<VexaChatsResponse>(bytes)) {
        for (const VexaSharedChat &chat : chats->chats) {
            check(!chat.title.isNull());
            for (const VexaSharedMessage &message : chat.messages) {
                const ChatEntry entry = message.toEntry();
                check(entry.createdAt.isValid());
            }
        }
    }
    decodeAs<VexaResponse>(bytes);
    decodeAs<CharactersResponse>(bytes);
    decodeAs<VexaRecipesResponse>(bytes);
    decodeAs<VexaSavedResponse>(bytes);
    decodeAs<PlansResponse>(bytes);
    decodeAs<VexaVoiceRecommendation>(bytes);
    decodeAs<CommunitiesResponse>(bytes);
    decodeAs<CommunityDetailResponse>(bytes);
    decodeAs<ForumListResponse>(bytes);
    decodeAs<ForumTopicResponse>(bytes);

    // The stored entry form must survive a round trip whenever it decodes.
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (document.isObject()) {
        if (auto entry = decodeChatEntry(document.object())) {
            auto again = decodeChatEntry(encodeChatEntry(*entry));
            check(bool(again));
            check(again->id == entry->id && again->text == entry->text && again->role == entry->role);
        }
    }
    return 0;
}
