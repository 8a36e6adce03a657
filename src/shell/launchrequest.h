#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace vexa {

// What a launch asks of the app: only to show the window, or to open a new chat (with the
// composer filled in from `--ask`, not sent). A later launch sends it to the running instance
// over the one-instance socket as one line.
struct LaunchRequest
{
    enum class Kind { Activate, NewChat };

    Kind kind = Kind::Activate;
    QString draft; // NewChat only; may be empty

    // Longest `--ask` text taken, in bytes of UTF-8: a question, not a document.
    static constexpr qsizetype kMaxAskBytes = 32 * 1024;
    // Longest line the running instance reads: the encoded longest question and its keyword.
    static constexpr qsizetype kMaxLineBytes = kMaxAskBytes * 4 / 3 + 64;

    // The `--ask` value as the command line gave it (raw bytes): the text, or why it is refused
    // (too long, not UTF-8, control characters other than line breaks and tabs).
    struct Checked
    {
        QString text;
        QString error;
    };
    static Checked checkAskText(QByteArrayView raw);

    QByteArray encode() const;
    // A line read from the socket (with its line break); nullopt for anything else.
    static std::optional<LaunchRequest> decode(QByteArrayView line);

    friend bool operator==(const LaunchRequest &, const LaunchRequest &) = default;
};

} // namespace vexa
