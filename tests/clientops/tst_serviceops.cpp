// The client against the local service's own endpoints: what a person trying the app sees.

#include "opsfixture.h"
#include "servicestate.h"

#include <QBuffer>
#include <QFile>
#include <QSet>

using namespace vexa;
using namespace vexa::test;

namespace {

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, 80, 255 - y * 255 / h));
    return image;
}

qint64 usedToday(const VexaClient &client)
{
    return client.state()->limits->usedDay.value_or(-1);
}

const QString kCodePrompt = QStringLiteral(
    "Ты помощник по программированию. Работай с локальным проектом Демо. Предлагай конкретные "
    "изменения и объясняй их; не утверждай, что изменил файлы сам.\n"
    "Файл: main.py\n```\nimport sys\n\ndef parse(line):\n    return line.split(',')\n\n"
    "def main():\n    for line in sys.stdin:\n        print(parse(line))\n```\n"
    "Запрос: Напиши тесты для этого файла");

} // namespace

class ServiceOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversationInNewChat_data();
    void conversationInNewChat();
    void attachmentsAreReported_data();
    void attachmentsAreReported();
    void dailyLimitRunsOut();
    void codeQuestionGetsCodeAnswer();
    void settings_data();
    void settings();
    void picturesDrawnAndEdited();
    void textImageModel();
    void savedAnswersPagesAndSearch();
    void recipesAndFavourites();
    void voiceRecommendation();
};

void ServiceOpsTest::conversationInNewChat_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected"); // a part of the answer
    QTest::newRow("question is quoted") << "Как выбрать велосипед?" << "> Как выбрать велосипед?";
    QTest::newRow("code question gets code") << "Напиши функцию на Python для суммы"
                                             << "```python";
    QTest::newRow("comparison gets a table") << "Чай или кофе?" << "| Критерий | Чай | кофе |";
}

void ServiceOpsTest::conversationInNewChat()
{
    QFETCH(QString, message);
    QFETCH(QString, expected);
    OpsFixture f;
    QVERIFY(f.restore());
    const QString oldChat = *f.client->activeChatID();
    const qint64 used = usedToday(*f.client);

    VEXA_AWAIT_VOID(f.client->createChat());
    QVERIFY(f.client->activeChatID() != std::optional(oldChat));
    QCOMPARE(f.client->chats().first().title, QStringLiteral("Новый чат"));

    VEXA_AWAIT_VOID(f.client->send(message));
    QVERIFY2(!f.client->hasNotice(), qPrintable(f.client->noticeText()));
    QCOMPARE(f.client->entries().size(), 2);
    QCOMPARE(f.client->entries().first().text, message);
    QVERIFY2(f.client->entries().last().text.contains(expected),
             qPrintable(f.client->entries().last().text));
    QCOMPARE(f.client->chats().first().title, message.left(40));
    QCOMPARE(usedToday(*f.client), used + 1);

    // The same question gets the same answer; the old chat is still there to go back to.
    const QString answer = f.client->entries().last().text;
    VEXA_AWAIT_VOID(f.client->send(message));
    QCOMPARE(f.client->entries().last().text, answer);
    VEXA_AWAIT_VOID(f.client->selectChat(oldChat));
    QCOMPARE(f.client->activeChatID(), std::optional(oldChat));
    QVERIFY(f.client->entries().first().text != message);
}

void ServiceOpsTest::attachmentsAreReported_data()
{
    QTest::addColumn<bool>("photo");
    QTest::addColumn<QByteArray>("fileBytes"); // empty: no file
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("photo") << true << QByteArray() << QStringList{"640×480", "JPEG"};
    QTest::newRow("text file") << false << QByteArray("первая строка\nвторая\n")
                               << QStringList{"«заметки.txt»", "Текст, строк: 2", "первая строка"};
    QTest::newRow("binary file") << false << QByteArray("\x89PNG\0\0\x01", 7)
                                 << QStringList{"«заметки.txt»", "7 Б", "двоичное"};
    QTest::newRow("both") << true << QByteArray("x") << QStringList{"640×480", "«заметки.txt»"};
}

void ServiceOpsTest::attachmentsAreReported()
{
    QFETCH(bool, photo);
    QFETCH(QByteArray, fileBytes);
    QFETCH(QStringList, expected);
    OpsFixture f;
    QVERIFY(f.restore());
    const QString path = f.dir.filePath(QStringLiteral("заметки.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fileBytes);
    file.close();

    VEXA_AWAIT_VOID(f.client->send(QString(), photo ? std::optional(gradient(640, 480)) : std::nullopt,
                                   fileBytes.isEmpty() ? std::nullopt : std::optional(path)));
    QVERIFY2(!f.client->hasNotice(), qPrintable(f.client->noticeText()));
    const QString answer = f.client->entries().last().text;
    for (const QString &part : expected)
        QVERIFY2(answer.contains(part), qPrintable(part + QStringLiteral(" missing in: ") + answer));
    const ChatEntry question = f.client->entries().at(f.client->entries().size() - 2);
    QCOMPARE(question.text, QStringLiteral("📎 Вложение"));
    // The question keeps a small copy of the photo for the history.
    QCOMPARE(question.imageURL.has_value(), photo);
    if (photo)
        QVERIFY(question.imageURL->startsWith(QLatin1String("data:image/jpeg;base64,")));
}

void ServiceOpsTest::dailyLimitRunsOut()
{
    OpsFixture f;
    f.service.state().limits.day = 13;
    f.service.state().limits.usedDay = 12;
    QVERIFY(f.restore());
    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Последний вопрос на сегодня")));
    QVERIFY(!f.client->hasNotice());
    const auto entries = f.client->entries();

    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Ещё один")));
    QCOMPARE(f.client->noticeText(),
             QStringLiteral("Дневной лимит запросов исчерпан (13 из 13). Он обновится завтра, а "
                            "больше запросов дают тарифы в Telegram-боте."));
    QCOMPARE(f.client->entries().size(), entries.size());
    QCOMPARE(f.client->entries().last().id, entries.last().id);
    QCOMPARE(usedToday(*f.client), 13);
}

void ServiceOpsTest::codeQuestionGetsCodeAnswer()
{
    OpsFixture f;
    QVERIFY(f.restore());
    const auto active = f.client->activeChatID();
    VEXA_AWAIT(conversation, f.client->createCodeConversation());
    QVERIFY(conversation);
    QCOMPARE(f.client->activeChatID(), active);

    VEXA_AWAIT(answer, f.client->askCode(kCodePrompt, *conversation));
    QVERIFY(answer);
    QVERIFY2(answer->contains(QLatin1String("`main.py`")), qPrintable(*answer));
    QVERIFY(answer->contains(QStringLiteral("> Напиши тесты для этого файла")));
    QVERIFY(answer->contains(QLatin1String("`parse`, `main`")));
    QVERIFY(answer->contains(QLatin1String("```python\nfrom main import parse")));

    VEXA_AWAIT_VOID(f.client->syncChats());
    QCOMPARE(f.client->activeChatID(), active);
    QCOMPARE(f.client->chats().first().id, *conversation);
    QCOMPARE(f.client->chats().first().title, QStringLiteral("Vexa Code · Демо"));
}

void ServiceOpsTest::settings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("notice"); // empty: applied
    QTest::newRow("chat model") << "model" << "vexa-smart" << "";
    QTest::newRow("model of another tariff")
        << "model" << "vexa-ultra"
        << "Модель «Vexa Ultra» недоступна на вашем тарифе. Выберите другую или смените тариф в Telegram-боте.";
    QTest::newRow("unknown model") << "model" << "gpt-9" << "Модель «gpt-9» не найдена.";
    QTest::newRow("length") << "response_length" << "detailed" << "";
    QTest::newRow("creativity") << "creativity" << "creative" << "";
    QTest::newRow("bad value") << "creativity" << "wild"
                               << "Недопустимое значение «wild» для настройки «creativity».";
    QTest::newRow("image model") << "image_model" << "vexa-sketch" << "";
}

void ServiceOpsTest::settings()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, notice);
    OpsFixture f;
    QVERIFY(f.restore());
    if (name == QLatin1String("model"))
        VEXA_AWAIT_VOID(f.client->selectModel(value));
    else
        VEXA_AWAIT_VOID(f.client->updateSetting(name, value));
    QCOMPARE(f.client->noticeText(), notice);
    const VexaState &state = *f.client->state();
    const std::optional<QString> now = name == QLatin1String("model")           ? state.model
                                     : name == QLatin1String("response_length") ? state.settings->responseLength
                                     : name == QLatin1String("creativity")      ? state.settings->creativity
                                                                                : state.imageModel;
    QCOMPARE(now == std::optional(value), notice.isEmpty());

    // The next answer follows the settings.
    if (notice.isEmpty() && name == QLatin1String("model")) {
        VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Привет")));
        QVERIFY(f.client->entries().last().text.isEmpty() == false);
        QCOMPARE(f.lastBody(QStringLiteral("/api/chat")).value(QLatin1String("model")).toString(), value);
    }
}

void ServiceOpsTest::picturesDrawnAndEdited()
{
    OpsFixture f;
    QVERIFY(f.restore());
    const qint64 credits = *f.client->state()->limits->imageCredits;

    VEXA_AWAIT(sunset, f.client->generateImage(QStringLiteral("Закат над морем"), QStringLiteral("vexa-image")));
    QVERIFY2(sunset, qPrintable(f.client->noticeText()));
    QCOMPARE(sunset->size(), QSize(512, 512));
    VEXA_AWAIT(again, f.client->generateImage(QStringLiteral("Закат над морем"), QStringLiteral("vexa-image")));
    QVERIFY(again);
    QCOMPARE(again->convertToFormat(QImage::Format_RGB32), sunset->convertToFormat(QImage::Format_RGB32));
    VEXA_AWAIT(city, f.client->generateImage(QStringLiteral("Ночной город"), QStringLiteral("vexa-image-hd")));
    QVERIFY(city);
    QCOMPARE(city->size(), QSize(768, 768));
    QCOMPARE(*f.client->state()->imageModel, QStringLiteral("vexa-image-hd"));
    QCOMPARE(*f.client->state()->limits->imageCredits, credits - 3);

    // An edit changes the picture visibly and keeps its size.
    const QImage photo = gradient(300, 200);
    VEXA_AWAIT(gray, f.client->editImage(photo, QStringLiteral("Сделай чёрно-белым")));
    QVERIFY2(gray, qPrintable(f.client->noticeText()));
    QCOMPARE(gray->size(), photo.size());
    const QRgb inside = gray->pixel(150, 100);
    QCOMPARE(qRed(inside), qGreen(inside));
    QCOMPARE(qGreen(inside), qBlue(inside));
    QVERIFY(gray->pixel(1, 1) != gray->pixel(150, 100)); // the frame

    f.service.state().limits.imageCredits = 0;
    VEXA_AWAIT(none, f.client->generateImage(QStringLiteral("кот"), QStringLiteral("vexa-image")));
    QVERIFY(!none);
    QCOMPARE(f.client->noticeText(), QStringLiteral("Кредиты на изображения закончились. Пополнить их можно в Telegram-боте."));
}

void ServiceOpsTest::textImageModel()
{
    OpsFixture f;
    QVERIFY(f.restore());
    VEXA_AWAIT(text, f.client->generateImage(QStringLiteral("Кот на луне"), QStringLiteral("vexa-describe")));
    QVERIFY(!text);
    QVERIFY(!f.client->hasNotice());
    QVERIFY(f.client->imageTextResultText().contains(QStringLiteral("«Кот на луне»")));
    QCOMPARE(*f.client->state()->imageOutputType, QStringLiteral("text"));

    VEXA_AWAIT(described, f.client->editImage(gradient(400, 100), QStringLiteral("Что здесь?")));
    QVERIFY(!described);
    QVERIFY2(f.client->imageTextResultText().contains(QStringLiteral("400×100")),
             qPrintable(f.client->imageTextResultText()));

    VEXA_AWAIT(picture, f.client->generateImage(QStringLiteral("Кот на луне"), QStringLiteral("vexa-image")));
    QVERIFY(picture);
    QVERIFY(!f.client->imageTextResult());
    QCOMPARE(*f.client->state()->imageOutputType, QStringLiteral("image"));
}

void ServiceOpsTest::savedAnswersPagesAndSearch()
{
    OpsFixture f;
    VEXA_AWAIT(first, f.client->savedAnswers(0, QString()));
    QVERIFY(first);
    QCOMPARE(first->answers.size(), 5);
    QVERIFY(first->hasMore);
    const qint64 used = first->used;
    QCOMPARE(first->capacity, 50);
    VEXA_AWAIT(second, f.client->savedAnswers(1, QString()));
    QVERIFY(second);
    QCOMPARE(second->answers.size(), used - 5);
    QVERIFY(!second->hasMore);

    VEXA_AWAIT(kazan, f.client->savedAnswers(0, QStringLiteral("казани")));
    QVERIFY(kazan);
    QCOMPARE(kazan->answers.size(), 1);
    QVERIFY(kazan->answers.first().content.contains(QStringLiteral("Кремль")));

    VEXA_AWAIT_VOID(f.client->saveAnswer(QStringLiteral("## Рецепт: сырники & чай = завтрак\n\nТворог, яйцо, мука.")));
    QCOMPARE(f.client->noticeText(), QStringLiteral("Ответ сохранён. Откройте Пространство → Сохранённые ответы."));
    VEXA_AWAIT(found, f.client->savedAnswers(0, QStringLiteral("сырники & чай = завтрак")));
    QVERIFY(found);
    QCOMPARE(found->used, used + 1);
    QCOMPARE(found->answers.size(), 1);
    QCOMPARE(found->answers.first().title, QStringLiteral("Рецепт: сырники & чай = завтрак"));

    VEXA_AWAIT(deleted, f.client->deleteSavedAnswer(found->answers.first().id));
    QVERIFY(deleted);
    VEXA_AWAIT(again, f.client->deleteSavedAnswer(found->answers.first().id));
    QVERIFY(!again);
    VEXA_AWAIT(after, f.client->savedAnswers(0, QString()));
    QVERIFY(after);
    QCOMPARE(after->used, used);
}

void ServiceOpsTest::recipesAndFavourites()
{
    OpsFixture f;
    VEXA_AWAIT(all, f.client->fetch<VexaRecipesResponse>(QStringLiteral("/api/workspace/recipes")));
    QVERIFY(all);
    QCOMPARE(all->recipes.size(), 16);
    QMap<QString, int> perCategory;
    QSet<QString> ids;
    for (const VexaPromptRecipe &r : all->recipes) {
        ++perCategory[r.category.value_or(QString())];
        ids.insert(r.id);
    }
    QCOMPARE(ids.size(), 16);
    QCOMPARE(perCategory.keys(), QStringList({"code", "study", "work", "writing"}));

    VexaPromptRecipe recipe = all->recipes.at(1);
    const bool was = recipe.isFavorite.value_or(false);
    VEXA_AWAIT(toggled, f.client->favoriteRecipe(recipe));
    QVERIFY(toggled);
    QCOMPARE(toggled->at(1).isFavorite, std::optional(!was));
    VEXA_AWAIT(back, f.client->favoriteRecipe(toggled->at(1)));
    QCOMPARE(back->at(1).isFavorite, std::optional(was));

    recipe.id = QStringLiteral("no-such-recipe");
    VEXA_AWAIT(missing, f.client->favoriteRecipe(recipe));
    QVERIFY(!missing);
    QCOMPARE(describe(missing.error()), QStringLiteral("Сценарий не найден."));
}

void ServiceOpsTest::voiceRecommendation()
{
    OpsFixture f;
    VEXA_AWAIT(fast, f.client->voiceRecommendation());
    QVERIFY(fast);
    QCOMPARE(fast->model, QStringLiteral("vexa-fast"));
    for (auto &m : f.service.state().models)
        m.isAvailable = m.id == QLatin1String("vexa-code");
    VEXA_AWAIT(onlyOne, f.client->voiceRecommendation());
    QVERIFY(onlyOne);
    QCOMPARE(onlyOne->model, QStringLiteral("vexa-code"));
    QVERIFY(onlyOne->reason.contains(onlyOne->title));
}

QTEST_MAIN(ServiceOpsTest)
#include "tst_serviceops.moc"
