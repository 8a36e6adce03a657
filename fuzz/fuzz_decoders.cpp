// Every reply decoder over arbitrary bytes: none may crash, hang or read out of bounds, and a
// decoded value must hold what the strict rules promise.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "vexastate.h"

#include <QSet>

#include <cmath>
#include <optional>
#include <tuple>
#include <type_traits>

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

// Two decoded records are the same when every field their schema lists holds the same value.
template <typename T>
bool same(const T &a, const T &b);
template <typename T>
bool sameValue(const T &a, const T &b);
template <typename T>
bool sameValue(const std::optional<T> &a, const std::optional<T> &b);
template <typename T>
bool sameValue(const QList<T> &a, const QList<T> &b);

template <typename T>
bool sameValue(const T &a, const T &b)
{
    if constexpr (records::HasSchema<T>)
        return same(a, b);
    else if constexpr (std::is_same_v<T, double>)
        return a == b || (std::isnan(a) && std::isnan(b));
    else
        return a == b;
}

template <typename T>
bool sameValue(const std::optional<T> &a, const std::optional<T> &b)
{
    return a.has_value() == b.has_value() && (!a || sameValue(*a, *b));
}

template <typename T>
bool sameValue(const QList<T> &a, const QList<T> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameValue(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

template <typename T>
bool same(const T &a, const T &b)
{
    return std::apply([&](const auto &...field) { return (sameValue(a.*(field.member), b.*(field.member)) && ...); },
                      T::schema());
}

struct Parsed {
    QJsonDocument document;
    bool valid = false;
    bool repeatedKeys = false;
    bool readable = false;      // our reader takes the whole text as one JSON value
    QByteArray withoutRepeats; // the document written out again: one copy of every key, the last
};

Parsed parse(const QByteArray &bytes)
{
    Parsed out;
    QJsonParseError parseError;
    out.document = QJsonDocument::fromJson(bytes, &parseError);
    out.valid = parseError.error == QJsonParseError::NoError && out.document.isObject();
    {
        records::JsonReader reader(bytes);
        const auto kind = reader.peek();
        out.readable = reader.skipValue() && reader.atEnd();
        // Our syntax is the stricter one: text Qt refuses as JSON is never read as JSON here.
        if (out.readable && (kind == records::JsonReader::Kind::Object || kind == records::JsonReader::Kind::Array))
            check(parseError.error == QJsonParseError::NoError);
    }
    if (out.valid && out.readable) {
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

// The reply reader and the parsed-document path share one set of rules. Whatever Qt's parser
// refuses, the reader refuses; text only Qt reads (its lenient corners) the reader refuses
// whole; on everything else both decode the same records, except that a repeated key makes the
// reader refuse what the parser decodes (never the other way round), and once the repeats are
// gone both agree again.
template <typename T>
void decodeAs(const QByteArray &bytes, const Parsed &parsedInput)
{
    const auto streamed = decodeJson<T>(bytes);
    if (!parsedInput.valid || !parsedInput.readable) {
        check(!streamed);
        return;
    }
    const auto parsed = records::decodeObject<T>(parsedInput.document.object());
    if (!parsedInput.repeatedKeys) {
        check(bool(streamed) == bool(parsed));
        if (streamed)
            check(same(*streamed, *parsed));
        return;
    }
    if (!parsed)
        check(!streamed);
    if (!parsedInput.withoutRepeats.isEmpty()) {
        const auto again = decodeJson<T>(parsedInput.withoutRepeats);
        check(bool(again) == bool(parsed));
        if (again)
            check(same(*again, *parsed));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader copies borrowed bytes into a padded buffer and reads an owned buffer with spare
    // room in place: the record decoders get the second kind, the checks below the first.
    const QByteArray borrowed = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray bytes;
    bytes.reserve(qsizetype(size) + 64);
    bytes.append(borrowed);

    const Parsed parsed = parse(bytes);
    decodeAs<VexaState>(bytes, parsed);
    decodeAs<VexaChatsResponse>(bytes, parsed);
    if (auto state = decodeJson<VexaState>(borrowed); state && state->models) {
        for (const VexaModel &model : *state->models)
            (void)model.id.size(); // required members are present in every decoded model
    }
    if (auto chats = decodeJson<VexaChatsResponse>(borrowed)) {
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
