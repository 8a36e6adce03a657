// The images screen's rules (model order and choice, when the buttons work) and its work
// against the local service: generating, editing, text answers, keeping the shown picture when
// a call yields none, the newest picked file winning, and saving exact PNG bytes atomically.

#include "awaittask.h"
#include "accountfixture.h"
#include "decode.h"
#include "imagesviewmodel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QStandardPaths>

using namespace vexa;
using namespace vexa::test;

namespace {

class TestClient : public VexaClient
{
public:
    using VexaClient::VexaClient;
    using VexaClient::setGenerating;
    using VexaClient::setState;
};

std::optional<VexaState> stateFrom(const QByteArray &json)
{
    if (json.isEmpty())
        return std::nullopt;
    auto decoded = records::decodeJson<VexaState>(json);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

QStringList ids(const QList<ImageModelChoice> &models)
{
    QStringList out;
    for (const auto &m : models)
        out.append(m.id);
    return out;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class ImagesViewModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void modelOrderAndChoice_data();
    void modelOrderAndChoice();
    void enablement_data();
    void enablement();
    void generateSendsPromptAsTyped();
    void resultSurvivesCallsWithoutPicture_data();
    void resultSurvivesCallsWithoutPicture();
    void editSendsSourceAndResultCanBeEditedAgain();
    void newestPickWins_data();
    void newestPickWins();
    void savedPngHasExactBytes();
    void failedSaveKeepsPictureAndOldFile();
    void tariffsLinkAndCopy();
};

void ImagesViewModelTest::modelOrderAndChoice_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("no state") << QByteArray() << QStringList() << QString();
    QTest::newRow("empty map, no model") << QByteArray(R"({"image_models":{}})") << QStringList() << QString();
    QTest::newRow("titles decide, not keys")
        << QByteArray(R"({"image_models":{"a":"Б","b":"А"}})") << QStringList{"b", "a"} << "b";
    QTest::newRow("account model wins over the first")
        << QByteArray(R"({"image_models":{"a":"Б","b":"А"},"image_model":"a"})") << QStringList{"b", "a"} << "a";
    // UTF-16 order would put the emoji (a surrogate pair) before U+FF21.
    QTest::newRow("code points, not UTF-16 units")
        << QByteArray(R"({"image_models":{"x":"😀","y":"Ａ"}})") << QStringList{"y", "x"} << "y";
    QTest::newRow("equal titles keep key order (stable)")
        << QByteArray(R"({"image_models":{"m2":"Same","m1":"Same","z":"A"}})")
        << QStringList{"z", "m1", "m2"} << "z";
    QTest::newRow("upper case before lower (plain comparison)")
        << QByteArray(R"({"image_models":{"l":"art","u":"Zen"}})") << QStringList{"u", "l"} << "u";
}

void ImagesViewModelTest::modelOrderAndChoice()
{
    QFETCH(QByteArray, state);
    QFETCH(QStringList, order);
    QFETCH(QString, chosen);
    const auto decoded = stateFrom(state);
    QCOMPARE(decoded.has_value(), !state.isEmpty());
    QCOMPARE(ids(ImagesViewModel::sortedModels(decoded)), order);
    QCOMPARE(ImagesViewModel::initialModel(decoded), chosen);
}

void ImagesViewModelTest::enablement_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<bool>("withSource");
    QTest::addColumn<bool>("generating");
    QTest::addColumn<bool>("canGenerate");
    QTest::addColumn<bool>("canEdit");
    QTest::addColumn<bool>("warning");

    const QByteArray able = R"({"can_generate_images":true,"image_models":{"m":"M"}})";
    QTest::newRow("all set") << able << "кот" << true << false << true << true << false;
    QTest::newRow("no state: disabled, no warning") << QByteArray() << "кот" << true << false << false << false << false;
    QTest::newRow("flag absent: disabled, no warning")
        << QByteArray(R"({"image_models":{"m":"M"}})") << "кот" << true << false << false << false << false;
    QTest::newRow("flag false: disabled, warning")
        << QByteArray(R"({"can_generate_images":false,"image_models":{"m":"M"}})") << "кот" << true << false
        << false << false << true;
    QTest::newRow("white space and line breaks only") << able << " \n\t " << true << false << false << false << false;
    QTest::newRow("word with spaces around") << able << "  кот \n" << false << false << true << false << false;
    QTest::newRow("no picture to edit") << able << "кот" << false << false << true << false << false;
    QTest::newRow("an image call runs") << able << "кот" << true << true << false << false << false;
    QTest::newRow("no model to choose")
        << QByteArray(R"({"can_generate_images":true,"image_models":{}})") << "кот" << true << false
        << false << true << false;
}

void ImagesViewModelTest::enablement()
{
    QFETCH(QByteArray, state);
    QFETCH(QString, prompt);
    QFETCH(bool, withSource);
    QFETCH(bool, generating);
    QFETCH(bool, canGenerate);
    QFETCH(bool, canEdit);
    QFETCH(bool, warning);

    QTemporaryDir dir;
    TestClient client(QStringLiteral("http://127.0.0.1:9"), dir.filePath(QStringLiteral("c")));
    client.setState(stateFrom(state));
    auto platform = std::make_shared<FakeImagesPlatform>();
    ImagesViewModel view(platform);
    view.setClient(&client);
    view.appear();
    view.setPrompt(prompt);
    view.setEditPrompt(prompt);
    if (withSource) {
        view.pickPicture(QUrl::fromLocalFile(QStringLiteral("/tmp/a.png")));
        platform->finishLoad(0, testPicture(8, 8, Qt::red));
        QVERIFY(waitUntil([&] { return view.hasSource(); }));
    }
    client.setGenerating(generating);
    QCOMPARE(view.canGenerate(), canGenerate);
    QCOMPARE(view.canEdit(), canEdit);
    QCOMPARE(view.showUnavailable(), warning);
}

void ImagesViewModelTest::generateSendsPromptAsTyped()
{
    OpsFixture f;
    QVERIFY(f.restore());
    auto platform = std::make_shared<FakeImagesPlatform>();
    ImagesViewModel view(platform);
    view.setClient(f.client.get());
    view.appear();
    QVERIFY(!view.selectedModel().isEmpty());
    view.setPrompt(QStringLiteral("  кот-космонавт \n"));
    VEXA_AWAIT_VOID(view.runGenerate());
    QVERIFY(view.hasResult());
    QCOMPARE(f.lastBody(QStringLiteral("/api/image/generate")).value("prompt").toString(),
             QStringLiteral("  кот-космонавт \n"));
    QCOMPARE(f.lastBody(QStringLiteral("/api/image/generate")).value("model").toString(), view.selectedModel());
}

void ImagesViewModelTest::resultSurvivesCallsWithoutPicture_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("text");

    QTest::newRow("failed generation") << 500 << QByteArray(R"({"ok":false,"error":"Сбой"})") << false << QString();
    QTest::newRow("failed edit") << 500 << QByteArray(R"({"ok":false,"error":"Сбой"})") << true << QString();
    QTest::newRow("unreadable picture") << 200 << QByteArray(R"({"ok":true,"image_url":"data:image/png;base64,!!"})")
                                        << false << QString();
    QTest::newRow("text answer to an edit")
        << 200 << QByteArray(R"({"ok":true,"output_type":"text","text":"На фото кот."})") << true
        << QStringLiteral("На фото кот.");
}

void ImagesViewModelTest::resultSurvivesCallsWithoutPicture()
{
    QFETCH(int, status);
    QFETCH(QByteArray, reply);
    QFETCH(bool, edit);
    QFETCH(QString, text);

    OpsFixture f;
    QVERIFY(f.restore());
    auto platform = std::make_shared<FakeImagesPlatform>();
    ImagesViewModel view(platform);
    view.setClient(f.client.get());
    view.appear();
    view.setPrompt(QStringLiteral("кот"));
    VEXA_AWAIT_VOID(view.runGenerate());
    QVERIFY(view.hasResult());
    const QImage first = view.result();

    view.editResult();
    view.setEditPrompt(QStringLiteral("добавь шляпу"));
    f.script("POST", QStringLiteral("/api/image/generate"), status, reply);
    if (edit)
        VEXA_AWAIT_VOID(view.runEdit());
    else
        VEXA_AWAIT_VOID(view.runGenerate());
    QVERIFY(!f.client->generating());
    QVERIFY(view.hasResult());
    QVERIFY(samePixels(view.result(), first));
    QCOMPARE(view.hasTextResult(), !text.isEmpty());
    QCOMPARE(view.textResult(), text);
    if (text.isEmpty())
        QVERIFY(f.client->hasNotice());

    // After a text answer the picture is an earlier prompt's: saving or copying "the result"
    // does not hand it out. After a failure it is still the latest picture.
    const bool earlier = !text.isEmpty();
    QCOMPARE(view.resultIsEarlier(), earlier);
    view.saveResult(QUrl::fromLocalFile(QDir::temp().filePath(QStringLiteral("result.png"))));
    view.copyResult();
    QVERIFY(waitUntil([&] { return !view.saving(); }));
    QCOMPARE(platform->savedPictures.size(), earlier ? 0 : 1);
    QCOMPARE(platform->copiedImages.size(), earlier ? 0 : 1);

    // The next picture is the result again.
    f.service.clearScripts();
    VEXA_AWAIT_VOID(view.runGenerate());
    QVERIFY(view.hasResult());
    QVERIFY(!view.resultIsEarlier());
}

void ImagesViewModelTest::editSendsSourceAndResultCanBeEditedAgain()
{
    OpsFixture f;
    QVERIFY(f.restore());
    auto platform = std::make_shared<FakeImagesPlatform>();
    ImagesViewModel view(platform);
    view.setClient(f.client.get());
    view.appear();
    view.pickPicture(QUrl::fromLocalFile(QStringLiteral("/photos/cat.jpg")));
    QCOMPARE(platform->loads.size(), 1);
    QCOMPARE(platform->loads[0].path, QStringLiteral("/photos/cat.jpg"));
    platform->finishLoad(0, testPicture(64, 48, Qt::blue));
    QVERIFY(waitUntil([&] { return view.hasSource(); }));
    view.setEditPrompt(QStringLiteral("сделай фон зелёным"));
    VEXA_AWAIT_VOID(view.runEdit());
    QVERIFY(view.hasResult());
    const QJsonObject body = f.lastBody(QStringLiteral("/api/image/generate"));
    QVERIFY(body.value("image_url").toString().startsWith(QStringLiteral("data:image/jpeg;base64,")));
    QCOMPARE(body.value("prompt").toString(), QStringLiteral("сделай фон зелёным"));
    QVERIFY(!view.editPrompt().isEmpty()); // the instruction stays for another try

    view.editResult();
    QVERIFY(samePixels(view.source(), view.result()));
}

void ImagesViewModelTest::newestPickWins_data()
{
    QTest::addColumn<bool>("olderFinishesLast");
    QTest::addColumn<bool>("newerDecodes");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("older pick finishes last") << true << true << QColor(Qt::green);
    QTest::newRow("older pick finishes first") << false << true << QColor(Qt::green);
    // A newer file that is no picture leaves the earlier source; the older pick does not sneak in.
    QTest::newRow("newer pick is not a picture") << true << false << QColor(Qt::blue);
}

void ImagesViewModelTest::newestPickWins()
{
    QFETCH(bool, olderFinishesLast);
    QFETCH(bool, newerDecodes);
    QFETCH(QColor, expected);

    QTemporaryDir dir;
    TestClient client(QStringLiteral("http://127.0.0.1:9"), dir.filePath(QStringLiteral("c")));
    auto platform = std::make_shared<FakeImagesPlatform>();
    ImagesViewModel view(platform);
    view.setClient(&client);
    view.pickPicture(QUrl::fromLocalFile(QStringLiteral("/a.png")));
    platform->finishLoad(0, testPicture(4, 4, Qt::blue));
    QVERIFY(waitUntil([&] { return view.hasSource(); }));

    view.pickPicture(QUrl::fromLocalFile(QStringLiteral("/older.png")));
    view.pickPicture(QUrl::fromLocalFile(QStringLiteral("/newer.png")));
    QVERIFY(view.loadingPicture());
    const QImage newer = newerDecodes ? testPicture(4, 4, Qt::green) : QImage();
    if (olderFinishesLast) {
        platform->finishLoad(2, newer);
        QVERIFY(waitUntil([&] { return !view.loadingPicture(); }));
        platform->finishLoad(1, testPicture(4, 4, Qt::red));
    } else {
        platform->finishLoad(1, testPicture(4, 4, Qt::red));
        platform->finishLoad(2, newer);
    }
    QTest::qWait(vexa::test::scaledMs(50));
    QVERIFY(waitUntil([&] { return !view.loadingPicture(); }));
    QCOMPARE(view.source().pixelColor(0, 0), expected);
}

void ImagesViewModelTest::savedPngHasExactBytes()
{
    OpsFixture f;
    QVERIFY(f.restore());
    ImagesViewModel view(account::ImagesPlatform::system());
    view.setClient(f.client.get());
    view.appear();
    view.setPrompt(QStringLiteral("закат"));
    VEXA_AWAIT_VOID(view.runGenerate());
    QVERIFY(view.hasResult());

    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("закат.png"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older, longer file that must be replaced entirely");
    old.close();
    VEXA_AWAIT_VOID(view.runSave(path));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), account::pngBytes(view.result()));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("закат.png")});
    QCOMPARE(view.status(), QStringLiteral("Сохранено: закат.png"));

    // A name without a suffix gets ".png".
    VEXA_AWAIT_VOID(view.runSave(out.filePath(QStringLiteral("второй"))));
    QVERIFY(QFile::exists(out.filePath(QStringLiteral("второй.png"))));
}

void ImagesViewModelTest::failedSaveKeepsPictureAndOldFile()
{
    OpsFixture f;
    QVERIFY(f.restore());
    ImagesViewModel view(account::ImagesPlatform::system());
    view.setClient(f.client.get());
    view.appear();
    view.setPrompt(QStringLiteral("закат"));
    VEXA_AWAIT_VOID(view.runGenerate());
    QVERIFY(view.hasResult());
    QTemporaryDir out;
    VEXA_AWAIT_VOID(view.runSave(out.filePath(QStringLiteral("нет/такой/папки.png"))));
    QVERIFY(view.status().startsWith(QStringLiteral("Не удалось сохранить файл")));
    QVERIFY(view.hasResult());
    QVERIFY(!view.saving());
}

void ImagesViewModelTest::tariffsLinkAndCopy()
{
    OpsFixture f;
    QVERIFY(f.restore());
    auto platform = std::make_shared<FakeImagesPlatform>();
    ImagesViewModel view(platform);
    view.setClient(f.client.get());
    view.openTariffs();
    QCOMPARE(platform->opened, QList<QUrl>{VexaClient::telegramURL()});
    view.copyResult(); // nothing to copy yet
    QVERIFY(platform->copiedImages.isEmpty());
    view.appear();
    view.setPrompt(QStringLiteral("закат"));
    VEXA_AWAIT_VOID(view.runGenerate());
    view.copyResult();
    QCOMPARE(platform->copiedImages.size(), 1);
    QVERIFY(samePixels(platform->copiedImages.first(), view.result()));
}

QTEST_MAIN(ImagesViewModelTest)
#include "tst_imagesviewmodel.moc"
