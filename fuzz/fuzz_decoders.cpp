// Every reply decoder over arbitrary bytes: none may crash, hang or read out of bounds, and a
// decoded value must hold what the strict rules promise.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "vexastate.h"

#include <QSet>

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

// Whether some object of a syntactically valid input names one key twice (keys compared after
// their escapes are decoded, as the parser compares them). The parser keeps the last copy of
// such a key; the reader refuses the object at the first copy it cannot take or at the second
// copy, so on these inputs the two can only be compared on the input with the repeats removed.
bool repeatsAKey(records::JsonReader &reader)
{
    switch (reader.peek()) {
    case records::JsonReader::Kind::Object: {
        if (!reader.enterObject())
            return false;
        QSet<QString> keys;
        bool repeated = false;
        while (reader.nextMember()) {
            const QString key = reader.key();
            if (keys.contains(key))
                repeated = true;
            keys.insert(key);
            if (repeatsAKey(reader))
                repeated = true;
        }
        return repeated;
    }
    case records::JsonReader::Kind::Array: {
        if (!reader.enterArray())
            return false;
        bool repeated = false;
        while (reader.nextElement()) {
            if (repeatsAKey(reader))
                repeated = true;
        }
        return repeated;
    }
    default:
        reader.skipValue();
        return false;
    }
}

struct Parsed {
    QJsonDocument document;
    bool valid = false;
    bool repeatedKeys = false;
    QByteArray withoutRepeats; // the document written out again: one copy of every key, the last
};

Parsed parse(const QByteArray &bytes)
{
    Parsed out;
    QJsonParseError parseError;
    out.document = QJsonDocument::fromJson(bytes, &parseError);
    out.valid = parseError.error == QJsonParseError::NoError && out.document.isObject();
    if (out.valid) {
        records::JsonReader reader(bytes);
        out.repeatedKeys = repeatsAKey(reader);
        if (out.repeatedKeys) {
            out.withoutRepeats = out.document.toJson(QJsonDocument::Compact);
            // Only a faithful copy stands in for the input (a lone surrogate, say, is not
            // written back as it was read).
            if (QJsonDocument::fromJson(out.withoutRepeats) != out.document)
                out.withoutRepeats.clear();
        }
    }
    return out;
}

// The reply reader and the parsed-document path share one set of rules: they must agree on
// every input without a repeated key. With one, the reader may refuse what the parser decodes
// (never the other way round), and both must agree again once the repeats are gone.
template <typename T>
void decodeAs(const QByteArray &bytes, const Parsed &parsedInput)
{
    const auto streamed = decodeJson<T>(bytes);
    if (!parsedInput.valid) {
        check(!streamed);
        return;
    }
    const auto parsed = records::decodeObject<T>(parsedInput.document.object());
    if (!parsedInput.repeatedKeys) {
        check(bool(streamed) == bool(parsed));
        return;
    }
    if (!parsed)
        check(!streamed);
    if (!parsedInput.withoutRepeats.isEmpty())
        check(bool(decodeJson<T>(parsedInput.withoutRepeats)) == bool(parsed));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    const Parsed parsed = parse(bytes);
    decodeAs<VexaState>(bytes, parsed);
    decodeAs<VexaChatsResponse>(bytes, parsed);
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
    decodeAs<VexaResponse>(bytes, parsed);
    decodeAs<CharactersResponse>(bytes, parsed);
    decodeAs<VexaRecipesResponse>(bytes, parsed);
    decodeAs<VexaSavedResponse>(bytes, parsed);
    decodeAs<PlansResponse>(bytes, parsed);
    decodeAs<VexaVoiceRecommendation>(bytes, parsed);
    decodeAs<CommunitiesResponse>(bytes, parsed);
    decodeAs<CommunityDetailResponse>(bytes, parsed);
    decodeAs<ForumListResponse>(bytes, parsed);
    decodeAs<ForumTopicResponse>(bytes, parsed);

    // The stored entry form must survive a round trip whenever it decodes.
    if (parsed.valid) {
        if (auto entry = decodeChatEntry(parsed.document.object())) {
            auto again = decodeChatEntry(encodeChatEntry(*entry));
            check(bool(again));
            check(again->id == entry->id && again->text == entry->text && again->role == entry->role);
        }
    }
    return 0;
}
