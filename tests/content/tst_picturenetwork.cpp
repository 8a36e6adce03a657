// QML's picture loads and the session: managers made on another thread send the session cookie
// to the service's origin only (never to another port, scheme or host), follow sign-in and
// sign-out, and never take cookies from picture replies. In the real tools screen a portrait
// behind the session loads, and a portrait from another origin loads without the cookie, as
// the services' request logs show.

#include "contentfixture.h"
#include "cookiestore.h"
#include "picturenetwork.h"
#include "toolsviewmodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QThread>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_ContentPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ChatPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

namespace {

QNetworkCookie sessionCookie(const QString &domain)
{
    QNetworkCookie cookie("vexa_session", "secret-token");
    cookie.setDomain(domain);
    cookie.setPath(QStringLiteral("/"));
    return cookie;
}

struct FetchResult {
    QMutex mutex;
    bool done = false;
    int status = 0;
    QByteArray contentType;
    QThread *thread = nullptr;
};

// Makes a manager with the factory on its own thread, as QML's loader does, and fetches one
// address there.
class LoaderThread
{
public:
    explicit LoaderThread(QQmlNetworkAccessManagerFactory &factory) : m_factory(factory)
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
    }
    ~LoaderThread()
    {
        QMetaObject::invokeMethod(&m_context, [this] { delete m_manager; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    std::shared_ptr<FetchResult> fetch(const QUrl &url)
    {
        auto result = std::make_shared<FetchResult>();
        QMetaObject::invokeMethod(&m_context, [this, url, result] {
            if (!m_manager)
                m_manager = m_factory.create(nullptr);
            QNetworkReply *reply = m_manager->get(QNetworkRequest(url));
            QObject::connect(reply, &QNetworkReply::finished, reply, [reply, result] {
                QMutexLocker lock(&result->mutex);
                result->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                result->contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
                result->thread = QThread::currentThread();
                result->done = true;
                reply->deleteLater();
            });
        });
        return result;
    }

    QThread *thread() { return &m_thread; }

private:
    QQmlNetworkAccessManagerFactory &m_factory;
    QThread m_thread;
    QObject m_context;
    QNetworkAccessManager *m_manager = nullptr;
};

bool finished(const std::shared_ptr<FetchResult> &result)
{
    return waitUntil([&] {
        QMutexLocker lock(&result->mutex);
        return result->done;
    });
}

void collect(QQuickItem *item, const QString &name, QList<QQuickItem *> &out)
{
    if (!item)
        return;
    if (item->objectName() == name)
        out.append(item);
    const auto children = item->childItems();
    for (QQuickItem *child : children)
        collect(child, name, out);
}

} // namespace

class PictureNetworkTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ContentFixture> f;
    std::unique_ptr<service::LocalService> other; // another origin: same host, another port

private Q_SLOTS:
    void initTestCase()
    {
        QQuickStyle::setStyle(QStringLiteral("Material"));
    }
    void init()
    {
        f = std::make_unique<ContentFixture>();
        QVERIFY(f->start());
        other = std::make_unique<service::LocalService>();
        QVERIFY(other->listen());
    }
    void cleanup()
    {
        VexaClient::setShared(nullptr);
        other.reset();
        f.reset();
    }

    void sameOrigin_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("origin");
        QTest::addColumn<bool>("same");
        QTest::newRow("same") << "http://127.0.0.1:8080/a.png" << "http://127.0.0.1:8080" << true;
        QTest::newRow("other port") << "http://127.0.0.1:8081/a.png" << "http://127.0.0.1:8080" << false;
        QTest::newRow("other scheme") << "https://127.0.0.1:8080/a.png" << "http://127.0.0.1:8080" << false;
        QTest::newRow("default port spelled out") << "https://vexa.ai:443/p" << "https://vexa.ai" << true;
        QTest::newRow("host in capitals") << "https://VEXA.ai/p" << "https://vexa.ai" << true;
        QTest::newRow("subdomain") << "https://cdn.vexa.ai/p" << "https://vexa.ai" << false;
        QTest::newRow("look-alike host") << "https://vexa.ai.example.com/p" << "https://vexa.ai" << false;
        QTest::newRow("user info trick") << "https://vexa.ai@evil.example/p" << "https://vexa.ai" << false;
        QTest::newRow("embedded picture") << "data:image/png;base64,AA" << "https://vexa.ai" << false;
        QTest::newRow("no origin") << "https://vexa.ai/p" << "" << false;
    }
    void sameOrigin()
    {
        QFETCH(QString, url);
        QFETCH(QString, origin);
        QFETCH(bool, same);
        QCOMPARE(isSameOrigin(QUrl(url), QUrl(origin)), same);
    }

    void cookieViewSendsOnlyToTheOrigin_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("sent");
        QTest::newRow("the service") << "http://127.0.0.1:8080/api/characters/mira/portrait" << true;
        QTest::newRow("another port") << "http://127.0.0.1:9000/portraits/mira" << false;
        QTest::newRow("another scheme") << "https://127.0.0.1:8080/portraits/mira" << false;
        QTest::newRow("another host") << "http://localhost:8080/portraits/mira" << false;
    }
    void cookieViewSendsOnlyToTheOrigin()
    {
        QFETCH(QString, url);
        QFETCH(bool, sent);
        auto snapshot = std::make_shared<CookieSnapshot>();
        snapshot->replace({sessionCookie(QStringLiteral("127.0.0.1"))});
        SessionCookieView view(QUrl(QStringLiteral("http://127.0.0.1:8080")), snapshot);
        QCOMPARE(view.cookiesForUrl(QUrl(url)).size(), sent ? 1 : 0);
        // A picture reply cannot plant or replace a cookie.
        QVERIFY(!view.setCookiesFromUrl({QNetworkCookie("vexa_session", "evil")}, QUrl(url)));
        QCOMPARE(snapshot->cookies().constFirst().value(), QByteArray("secret-token"));
    }

    void snapshotFollowsSignInAndSignOut()
    {
        auto snapshot = f->client->cookieJar()->snapshot();
        QCOMPARE(snapshot->cookies().size(), 1);
        QCOMPARE(snapshot->cookies().constFirst().name(), QByteArray("vexa_session"));
        f->client->signOut();
        QVERIFY(snapshot->cookies().isEmpty());
        QVERIFY(awaitVoid(f->client->signIn(QStringLiteral("123456"))));
        QCOMPARE(snapshot->cookies().size(), 1);
        // A client started later reads the jar's file into its snapshot.
        TestClient again(f->service->baseUrl().toString(), f->dir.filePath(QStringLiteral("cookies")));
        QCOMPARE(again.cookieJar()->snapshot()->cookies().size(), 1);
    }

    void loaderThreadSendsTheSessionOnlyToTheService()
    {
        const auto factory = PictureNetworkFactory::forClient(*f->client);
        LoaderThread loader(*factory);
        const QUrl portrait = f->service->baseUrl().resolved(QUrl(QStringLiteral("/api/characters/mira/portrait")));
        const QUrl elsewhere = other->baseUrl().resolved(QUrl(QStringLiteral("/portraits/arkady")));
        const auto own = loader.fetch(portrait);
        const auto foreign = loader.fetch(elsewhere);
        QVERIFY(finished(own));
        QVERIFY(finished(foreign));
        QCOMPARE(own->status, 200);
        QCOMPARE(own->contentType, QByteArray("image/png"));
        QCOMPARE(own->thread, loader.thread());
        QCOMPARE(foreign->status, 200);
        const auto ownLog = f->service->requests(portrait.path());
        QCOMPARE(ownLog.size(), 1);
        QVERIFY(ownLog.first().header("cookie").contains("vexa_session="));
        const auto foreignLog = other->requests(elsewhere.path());
        QCOMPARE(foreignLog.size(), 1);
        QVERIFY(!foreignLog.first().hasHeader("cookie"));

        // Signed out, the same manager has nothing to send, and the service refuses.
        f->client->signOut();
        const auto refused = loader.fetch(portrait);
        QVERIFY(finished(refused));
        QCOMPARE(refused->status, 401);
        QVERIFY(!f->service->requests(portrait.path()).last().hasHeader("cookie"));
    }

    void setCookieFromAPictureIsIgnored()
    {
        service::ScriptedReply planted;
        planted.headers = {{"Content-Type", "image/png"}, {"Set-Cookie", "vexa_session=planted; Path=/"}};
        planted.body = "not really a picture";
        other->script("GET", QStringLiteral("/portraits/evil"), planted);
        const auto factory = PictureNetworkFactory::forClient(*f->client);
        LoaderThread loader(*factory);
        QVERIFY(finished(loader.fetch(other->baseUrl().resolved(QUrl(QStringLiteral("/portraits/evil"))))));
        const auto cookies = f->client->cookieJar()->snapshot()->cookies();
        QCOMPARE(cookies.size(), 1);
        QVERIFY(cookies.constFirst().value() != "planted");
    }

    void portraitsLoadInTheToolsScreen()
    {
        // The catalogue names one portrait behind the session and one on another origin.
        const QString own = f->service->baseUrl().resolved(QUrl(QStringLiteral("/api/characters/mira/portrait"))).toString();
        const QString foreign = other->baseUrl().resolved(QUrl(QStringLiteral("/portraits/arkady"))).toString();
        const QJsonObject catalogue{
            {QStringLiteral("ok"), true},
            {QStringLiteral("characters"),
             QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("mira")},
                                    {QStringLiteral("name"), QStringLiteral("Мира")},
                                    {QStringLiteral("is_unlocked"), true},
                                    {QStringLiteral("portrait_url"), own}},
                        QJsonObject{{QStringLiteral("id"), QStringLiteral("arkady")},
                                    {QStringLiteral("name"), QStringLiteral("Аркадий Петрович")},
                                    {QStringLiteral("is_unlocked"), true},
                                    // plain http on another origin: not loaded at all
                                    {QStringLiteral("portrait_url"), foreign}}}}};
        service::ScriptedReply reply;
        reply.body = QJsonDocument(catalogue).toJson(QJsonDocument::Compact);
        f->service->script("GET", QStringLiteral("/api/characters"), reply);

        VexaClient::setShared(f->client.get());
        const auto factory = PictureNetworkFactory::forClient(*f->client);
        QQuickView view;
        view.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        view.engine()->setNetworkAccessManagerFactory(factory.get());
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(900, 1400);
        view.setSource(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Content/ToolsView.qml")));
        QCOMPARE(view.status(), QQuickView::Ready);
        view.show();

        QList<QQuickItem *> pictures;
        QVERIFY(waitUntil([&] {
            pictures.clear();
            collect(view.rootObject(), QStringLiteral("portraitImage"), pictures);
            return pictures.size() == 2;
        }));
        QVERIFY(waitUntil([&] { return pictures.at(0)->property("status").toInt() == 1; })); // Ready
        QCOMPARE(pictures.at(0)->property("source").toUrl(), QUrl(own));
        const auto ownLog = f->service->requests(QStringLiteral("/api/characters/mira/portrait"));
        QCOMPARE(ownLog.size(), 1);
        QVERIFY(ownLog.first().header("cookie").contains("vexa_session="));
        QVERIFY(pictures.at(1)->property("source").toUrl().isEmpty());
        QVERIFY(other->requests().isEmpty());
    }

    // Any picture QML loads (a chat picture answer, an https portrait) goes through the same
    // managers: from another origin it arrives without the cookie.
    void foreignPicturesLoadWithoutTheCookie()
    {
        const auto factory = PictureNetworkFactory::forClient(*f->client);
        QQmlEngine engine;
        engine.setNetworkAccessManagerFactory(factory.get());
        const QUrl own = f->service->baseUrl().resolved(QUrl(QStringLiteral("/api/characters/mira/portrait")));
        const QUrl foreign = other->baseUrl().resolved(QUrl(QStringLiteral("/portraits/arkady")));
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import QtQuick\n"
                                         "Row {\n"
                                         "  property alias own: a.status\n"
                                         "  property alias foreign: b.status\n"
                                         "  Image { id: a; asynchronous: true; cache: false; source: \"%1?v=2\" }\n"
                                         "  Image { id: b; asynchronous: true; cache: false; source: \"%2\" }\n"
                                         "}\n").arg(own.toString(), foreign.toString()).toUtf8(), QUrl());
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        QVERIFY(waitUntil([&] { return root->property("own").toInt() == 1 && root->property("foreign").toInt() == 1; }));
        QVERIFY(f->service->requests(own.path()).last().header("cookie").contains("vexa_session="));
        const auto foreignLog = other->requests(foreign.path());
        QCOMPARE(foreignLog.size(), 1);
        QVERIFY(!foreignLog.first().hasHeader("cookie"));
    }
};

QTEST_MAIN(PictureNetworkTest)
#include "tst_picturenetwork.moc"
