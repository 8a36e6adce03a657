// Switching models, generating and editing pictures, and reading image replies.

#include "opsfixture.h"

#include <QBuffer>
#include <QSignalSpy>

using namespace vexa;
using namespace vexa::test;

namespace {

const QByteArray kLocked = R"({"image_model":"flux","image_model_locked":true})";

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage picture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    return image;
}

QByteArray imageReply(const QByteArray &imageURL)
{
    return R"({"ok":true,"image_url":")" + imageURL + R"("})";
}

// Something the service failed at, so that clearing the notice can be seen.
void leaveANotice(OpsFixture &f)
{
    awaitVoid(f.client->send(QStringLiteral("x"), std::nullopt, std::nullopt, QStringLiteral("?")));
}

} // namespace

class ImageOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void imageReplies_data();
    void imageReplies();
    void nextGenerationClearsTextResult();
    void imageModelSwitchBeforeGeneration_data();
    void imageModelSwitchBeforeGeneration();
    void editSizeLimitAndBody_data();
    void editSizeLimitAndBody();
    void oneImageRequestAtATime();
    void selectModel_data();
    void selectModel();
};

void ImageOpsTest::imageReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QSize>("size");       // invalid: no picture
    QTest::addColumn<QString>("textResult"); // null: none
    QTest::addColumn<QString>("notice");

    QByteArray png = encoded(picture(5, 3), "PNG");
    while (png.size() % 3 == 0)
        png.append('\0'); // trailing bytes after the end chunk are ignored; forces "=" padding
    const QByteArray b64 = png.toBase64();
    QVERIFY(b64.endsWith('='));
    const QByteArray jpeg = encoded(picture(4, 4), "JPEG").toBase64();

    QTest::newRow("PNG inside a JPEG data URL")
        << imageReply("data:image/jpeg;base64," + b64) << QSize(5, 3) << QString() << "";
    QTest::newRow("bare Base64") << imageReply(b64) << QSize(5, 3) << QString() << "";
    QTest::newRow("JPEG data URL") << imageReply("data:image/jpeg;base64," + jpeg) << QSize(4, 4)
                                   << QString() << "";
    QTest::newRow("line break in the payload")
        << imageReply("data:image/png;base64," + b64.left(8) + "\\n" + b64.mid(8)) << QSize()
        << QString() << kInvalidText;
    QTest::newRow("padding missing") << imageReply(b64.left(b64.indexOf('='))) << QSize()
                                     << QString() << kInvalidText;
    QTest::newRow("not Base64") << imageReply("data:image/png;base64,***") << QSize() << QString()
                                << kInvalidText;
    QTest::newRow("not a picture") << imageReply(QByteArray("plain words").toBase64()) << QSize()
                                   << QString() << kInvalidText;
    QTest::newRow("empty payload") << imageReply("data:image/png;base64,") << QSize() << QString()
                                   << kInvalidText;
    QTest::newRow("no image_url") << QByteArray(R"({"ok":true})") << QSize() << QString()
                                  << kInvalidText;
    QTest::newRow("text output")
        << QByteArray(R"({"ok":true,"output_type":"text","text":"На фото кот.","image_url":"x"})")
        << QSize() << QStringLiteral("На фото кот.") << "";
    QTest::newRow("text output without text")
        << QByteArray(R"({"ok":true,"output_type":"text"})") << QSize() << QString() << "";
    QTest::newRow("tariff limit") << QByteArray(R"({"ok":false,"error":"Нет кредитов."})")
                                  << QSize() << QString() << "Нет кредитов.";
}

void ImageOpsTest::imageReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(QSize, size);
    QFETCH(QString, textResult);
    QFETCH(QString, notice);
    OpsFixture f;
    QVERIFY(f.loadState(kLocked));
    leaveANotice(f);
    QVERIFY(f.client->hasNotice());
    f.script("POST", QStringLiteral("/api/image/generate"), 200, reply);

    VEXA_AWAIT(image, f.client->generateImage(QStringLiteral("кот"), QStringLiteral("flux")));
    QCOMPARE(image.has_value(), size.isValid());
    if (image)
        QCOMPARE(image->size(), size);
    QCOMPARE(f.client->imageTextResult(),
             textResult.isNull() ? std::nullopt : std::optional(textResult));
    QCOMPARE(f.client->noticeText(), notice);
    QVERIFY(!f.client->generating());
}

void ImageOpsTest::nextGenerationClearsTextResult()
{
    OpsFixture f;
    QVERIFY(f.loadState(kLocked));
    f.script("POST", QStringLiteral("/api/image/generate"), 200,
             R"({"ok":true,"output_type":"text","text":"Описание","state":{"image_model":"describe","image_model_locked":true,"image_output_type":"text"}})",
             0, 1);
    VEXA_AWAIT(first, f.client->generateImage(QStringLiteral("a"), QStringLiteral("flux")));
    QVERIFY(!first);
    QCOMPARE(f.client->imageTextResultText(), QStringLiteral("Описание"));
    QCOMPARE(f.client->state()->imageOutputType, std::optional(QStringLiteral("text")));

    f.script("POST", QStringLiteral("/api/image/generate"), 500, "boom", 200);
    auto second = f.client->generateImage(QStringLiteral("b"), QStringLiteral("flux"));
    QVERIFY(f.client->generating());
    QVERIFY(!f.client->imageTextResult());
    VEXA_AWAIT(result, std::move(second));
    QVERIFY(!result);
    QCOMPARE(f.client->noticeText(), QStringLiteral("Ошибка сервера (HTTP 500)."));
}

void ImageOpsTest::imageModelSwitchBeforeGeneration_data()
{
    QTest::addColumn<QByteArray>("state"); // empty: none
    QTest::addColumn<int>("switchStatus");   // 0: no switch expected
    QTest::addColumn<QByteArray>("switchReply");
    QTest::addColumn<bool>("generated");
    QTest::addColumn<QString>("notice");

    const QByteArray switched = R"({"ok":true,"state":{"image_model":"flux"}})";
    QTest::newRow("locked: no switch") << kLocked << 0 << QByteArray() << true << "";
    QTest::newRow("unlocked: switch first")
        << QByteArray(R"({"image_model":"old","image_model_locked":false})") << 200 << switched
        << true << "";
    QTest::newRow("no state: switch first") << QByteArray() << 200 << switched << true << "";
    QTest::newRow("switch refused") << QByteArray(R"({"image_model":"old"})") << 403
                                    << QByteArray(R"({"error":"Модель недоступна."})") << false
                                    << "Модель недоступна.";
    QTest::newRow("switch ok false") << QByteArray() << 200
                                     << QByteArray(R"({"ok":false,"error":"Заблокировано."})")
                                     << false << "Заблокировано.";
}

void ImageOpsTest::imageModelSwitchBeforeGeneration()
{
    QFETCH(QByteArray, state);
    QFETCH(int, switchStatus);
    QFETCH(QByteArray, switchReply);
    QFETCH(bool, generated);
    QFETCH(QString, notice);
    OpsFixture f;
    if (!state.isEmpty())
        QVERIFY(f.loadState(state));
    if (switchStatus)
        f.script("POST", QStringLiteral("/api/settings/update"), switchStatus, switchReply);
    const QByteArray png = encoded(picture(2, 2), "PNG").toBase64();
    f.script("POST", QStringLiteral("/api/image/generate"), 200, imageReply(png));
    f.service.clearRequests();

    VEXA_AWAIT(image, f.client->generateImage(QStringLiteral("горы"), QStringLiteral("flux")));
    QCOMPARE(image.has_value(), generated);
    QCOMPARE(f.client->noticeText(), notice);
    QVERIFY(!f.client->generating());

    QStringList order;
    for (const auto &r : f.service.requests())
        order.append(r.path);
    QStringList expected;
    if (switchStatus)
        expected.append(QStringLiteral("/api/settings/update"));
    if (generated)
        expected.append(QStringLiteral("/api/image/generate"));
    QCOMPARE(order, expected);
    if (switchStatus) {
        QCOMPARE(f.lastBody(QStringLiteral("/api/settings/update")),
                 QJsonObject({{QStringLiteral("image_model"), QStringLiteral("flux")}}));
    }
    if (generated) {
        QCOMPARE(f.lastBody(QStringLiteral("/api/image/generate")),
                 QJsonObject({{QStringLiteral("prompt"), QStringLiteral("горы")},
                              {QStringLiteral("model"), QStringLiteral("flux")}}));
    }
}

void ImageOpsTest::editSizeLimitAndBody_data()
{
    QTest::addColumn<qsizetype>("jpegBytes");
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("model");
    QTest::newRow("exactly 12 MiB") << qsizetype(12'582'912) << kLocked << true << "flux";
    QTest::newRow("one byte more") << qsizetype(12'582'913) << kLocked << false << "";
    QTest::newRow("cannot encode") << qsizetype(0) << kLocked << false << "";
    QTest::newRow("no image model in the state")
        << qsizetype(100) << QByteArray(R"({"image_model_locked":false})") << true << "";
    QTest::newRow("no state") << qsizetype(100) << QByteArray() << true << "";
}

void ImageOpsTest::editSizeLimitAndBody()
{
    QFETCH(qsizetype, jpegBytes);
    QFETCH(QByteArray, state);
    QFETCH(bool, sent);
    QFETCH(QString, model);
    OpsFixture f;
    if (!state.isEmpty())
        QVERIFY(f.loadState(state));
    int quality = -1;
    f.client->setJpegEncoder([&](const QImage &, int q) {
        quality = q;
        return QByteArray(jpegBytes, 'e');
    });
    f.script("POST", QStringLiteral("/api/image/generate"), 200,
             imageReply(encoded(picture(6, 6), "PNG").toBase64()));
    QSignalSpy generating(f.client.get(), &VexaClient::generatingChanged);

    VEXA_AWAIT(image, f.client->editImage(picture(30, 30), QStringLiteral("в стиле акварели")));
    QCOMPARE(quality, 88);
    QCOMPARE(image.has_value(), sent);
    QCOMPARE(f.count(QStringLiteral("/api/image/generate")), sent ? 1 : 0);
    QCOMPARE(f.count(QStringLiteral("/api/settings/update")), 0);
    if (!sent) {
        QCOMPARE(f.client->noticeText(),
                 QStringLiteral("Изображение слишком большое или повреждено. Выберите файл до 12 МБ."));
        QCOMPARE(generating.count(), 0);
        return;
    }
    QCOMPARE(generating.count(), 2);
    const QJsonObject body = f.lastBody(QStringLiteral("/api/image/generate"));
    QCOMPARE(body.value(QLatin1String("model")), QJsonValue(model));
    QCOMPARE(body.value(QLatin1String("prompt")).toString(), QStringLiteral("в стиле акварели"));
    const QString url = body.value(QLatin1String("image_url")).toString();
    QVERIFY(url.startsWith(QLatin1String("data:image/jpeg;base64,")));
    QCOMPARE(QByteArray::fromBase64(url.mid(23).toLatin1()), QByteArray(jpegBytes, 'e'));
}

void ImageOpsTest::oneImageRequestAtATime()
{
    OpsFixture f;
    QVERIFY(f.loadState(kLocked));
    f.script("POST", QStringLiteral("/api/image/generate"), 200,
             imageReply(encoded(picture(2, 2), "PNG").toBase64()), 300);
    auto first = f.client->editImage(picture(8, 8), QStringLiteral("ярче"));
    QVERIFY(f.client->generating());
    VEXA_AWAIT(second, f.client->generateImage(QStringLiteral("b"), QStringLiteral("flux")));
    VEXA_AWAIT(third, f.client->editImage(picture(8, 8), QStringLiteral("c")));
    QVERIFY(!second && !third);
    VEXA_AWAIT(result, std::move(first));
    QVERIFY(result);
    QCOMPARE(f.count(QStringLiteral("/api/image/generate")), 1);
}

void ImageOpsTest::selectModel_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("model");  // the state's model afterwards
    QTest::addColumn<QString>("notice");
    QTest::newRow("switched") << 200 << QByteArray(R"({"ok":true,"state":{"model":"smart"}})")
                              << "smart" << "";
    QTest::newRow("switched, no state in reply") << 200 << QByteArray(R"({"ok":true})") << "fast"
                                                 << "";
    QTest::newRow("unavailable") << 400
                                 << QByteArray(R"({"ok":false,"error":"Модель недоступна."})")
                                 << "fast" << "Модель недоступна.";
}

void ImageOpsTest::selectModel()
{
    QFETCH(int, status);
    QFETCH(QByteArray, reply);
    QFETCH(QString, model);
    QFETCH(QString, notice);
    OpsFixture f;
    QVERIFY(f.loadState(R"({"model":"fast"})"));
    leaveANotice(f);
    f.script("POST", QStringLiteral("/api/settings/update"), status, reply, 100);
    auto task = f.client->selectModel(QStringLiteral("smart"));
    QVERIFY(f.client->selectingModel());
    VEXA_AWAIT_VOID(f.client->selectModel(QStringLiteral("other"))); // ignored while one runs
    VEXA_AWAIT_VOID(std::move(task));
    QVERIFY(!f.client->selectingModel());
    QCOMPARE(f.client->state()->model, std::optional(model));
    QCOMPARE(f.client->noticeText(), notice);
    QCOMPARE(f.count(QStringLiteral("/api/settings/update")), 1);
    QCOMPARE(f.lastBody(QStringLiteral("/api/settings/update")),
             QJsonObject({{QStringLiteral("model"), QStringLiteral("smart")}}));
}

QTEST_MAIN(ImageOpsTest)
#include "tst_imageops.moc"
