#include "launchrequest.h"

#include <QStringDecoder>

namespace vexa {

namespace {

constexpr QByteArrayView kActivateLine = "activate\n";
constexpr QByteArrayView kNewChatLine = "new-chat\n";
// Followed by the draft in base64 (so line breaks in it do not end the line) and "\n".
constexpr QByteArrayView kAskPrefix = "ask ";

bool isAllowedControl(char16_t c)
{
    return c == u'\n' || c == u'\t' || c == u'\r';
}

} // namespace

LaunchRequest::Checked LaunchRequest::checkAskText(QByteArrayView raw)
{
    if (raw.size() > kMaxAskBytes)
        return {{}, QStringLiteral("the --ask text is too long: %1 bytes, at most %2")
                        .arg(raw.size()).arg(kMaxAskBytes)};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(raw);
    if (decoder.hasError())
        return {{}, QStringLiteral("the --ask text is not valid UTF-8")};
    for (const QChar c : std::as_const(text)) {
        if ((c.category() == QChar::Other_Control && !isAllowedControl(c.unicode())))
            return {{}, QStringLiteral("the --ask text holds control characters (U+%1)")
                            .arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper()};
    }
    return {text.trimmed(), {}};
}

QByteArray LaunchRequest::encode() const
{
    if (kind == Kind::Activate)
        return kActivateLine.toByteArray();
    if (draft.isEmpty())
        return kNewChatLine.toByteArray();
    return kAskPrefix.toByteArray() + draft.toUtf8().toBase64() + '\n';
}

std::optional<LaunchRequest> LaunchRequest::decode(QByteArrayView line)
{
    if (line == kActivateLine)
        return LaunchRequest{Kind::Activate, {}};
    if (line == kNewChatLine)
        return LaunchRequest{Kind::NewChat, {}};
    if (!line.startsWith(kAskPrefix) || !line.endsWith('\n') || line.size() > kMaxLineBytes)
        return std::nullopt;
    const QByteArrayView encoded = line.sliced(kAskPrefix.size(), line.size() - kAskPrefix.size() - 1);
    const auto decoded = QByteArray::fromBase64Encoding(encoded.toByteArray(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    // The running instance trusts the socket no more than the command line.
    Checked checked = checkAskText(*decoded);
    if (!checked.error.isEmpty())
        return std::nullopt;
    return LaunchRequest{Kind::NewChat, std::move(checked.text)};
}

} // namespace vexa
