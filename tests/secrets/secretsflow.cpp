// Test helper: the app's own client, made the way the app makes it (configured origin, cookie
// file in the data folder, the desktop's keyring when one answers), signs in with a one-time code
// and chats, then ends. Its logging, its files and its output are what the test reads.
//   secrets_flow <sign-in code>
// Exits 0 when signed in and answered; prints "flow done".

#include "cookiestore.h"
#include "vexaclient.h"

#include <QGuiApplication>
#include <QTimer>
#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

#include <chrono>
#include <cstdio>
#include <optional>

namespace {

QString question()
{
    return QStringLiteral("Привет! Что нового?");
}

QCoro::Task<int> flow(vexa::VexaClient *client, QString code)
{
    co_await client->cookieJar()->loaded();
    co_await client->restoreSession();
    co_await client->signIn(code);
    if (!client->isSignedIn())
        co_return 3;
    co_await client->syncChats();
    co_await client->createChat();
    const std::optional<QString> answer = co_await client->send(question());
    if (!answer)
        co_return 4;
    co_await client->refresh();
    co_return client->isSignedIn() ? 0 : 5;
}

QCoro::Task<> runAndQuit(vexa::VexaClient *client, QString code)
{
    const int result = co_await flow(client, code);
    // The last cookie may still be on its way to the keyring (the file holds it until then);
    // ending here would leave the file behind as if there were no keyring.
    for (int waited = 0; !client->cookieJar()->isSettled() && waited < 20000; waited += 20)
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
    std::printf("flow done %d\n", result);
    std::fflush(stdout);
    QCoreApplication::exit(result);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2)
        return 2;
    vexa::VexaClient client;
    std::optional<QCoro::Task<>> running;
    QTimer::singleShot(0, &app, [&] { running.emplace(runAndQuit(&client, args.at(1))); });
    return app.exec();
}
