#pragma once

// What cookie_save_loop writes, and how a test tells a whole write from a torn one.

#include <QList>
#include <QNetworkCookie>

#include <optional>

namespace vexa::test {

inline constexpr int kLoopCookies = 24;

inline QList<QNetworkCookie> cookieGeneration(int generation)
{
    QList<QNetworkCookie> cookies;
    // Values of different lengths, so that a torn write cannot end on a line boundary by luck.
    const QByteArray padding = QByteArray(40 + (generation % 7) * 30, 'x');
    for (int i = 0; i < kLoopCookies; ++i) {
        QNetworkCookie cookie("c" + QByteArray::number(i),
                              "g" + QByteArray::number(generation) + "-" + padding);
        cookie.setPath(QStringLiteral("/"));
        cookies.append(cookie);
    }
    return cookies;
}

// The generation every cookie carries, or nothing when the cookies are not one whole write.
inline std::optional<int> wholeGeneration(const QList<QNetworkCookie> &cookies)
{
    if (cookies.size() != kLoopCookies)
        return std::nullopt;
    const QByteArray value = cookies.first().value();
    const qsizetype dash = value.indexOf('-');
    bool ok = false;
    const int generation = dash > 1 ? value.mid(1, dash - 1).toInt(&ok) : 0;
    if (!ok)
        return std::nullopt;
    const QList<QNetworkCookie> expected = cookieGeneration(generation);
    for (const QNetworkCookie &want : expected) {
        const bool found = std::any_of(cookies.begin(), cookies.end(), [&](const QNetworkCookie &c) {
            return c.name() == want.name() && c.value() == want.value();
        });
        if (!found)
            return std::nullopt;
    }
    return generation;
}

} // namespace vexa::test
