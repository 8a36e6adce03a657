// Test helper: rewrites a cookie file through the real jar as fast as it can, until it is killed
// or has written `count` times. Every write holds kCookies cookies c0..cN whose values all carry
// the write's generation, so a file mixing two writes (or cut short) is told from a whole one.
//   cookie_save_loop <cookie file> <count> rewrite|fresh
// "fresh" removes the file before each write, so every write creates it anew.
// Prints "ready" once the first write is done.

#include "cookiesaveloop.h"
#include "cookiestore.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkCookie>
#include <QUrl>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const QString path = args.at(1);
    const int count = args.at(2).toInt();
    const bool fresh = args.at(3) == QLatin1String("fresh");

    vexa::PersistentCookieJar jar(path);
    const QUrl origin(QStringLiteral("http://127.0.0.1/"));
    for (int generation = 1; generation <= count; ++generation) {
        if (fresh)
            QFile::remove(path);
        if (!jar.setCookiesFromUrl(vexa::test::cookieGeneration(generation), origin)
            || !jar.lastSaveSucceeded())
            return 1;
        if (generation == 1) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
    return 0;
}
