// When an answer is announced, and how: only while the window is not active and the profile's
// switch is on; attention always with the notice, alone where no service answers; the notice's
// texts (the chat's title, the answer's first line as plain text, at most 120 characters,
// "Ответ не получен" for a failure); withdrawn when the user comes back; the user's choice asks
// for the window on that chat.

#include "answernotifier.h"
#include "awaittask.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace vexa;
using namespace vexa::test;

namespace {

class FakeNotifications : public DesktopNotifications
{
public:
    QList<DesktopNotice> shown;
    QList<Handle> withdrawn;
    Handle show(const DesktopNotice &notice) override
    {
        shown.append(notice);
        return Handle(shown.size());
    }
    void withdraw(Handle handle) override { withdrawn.append(handle); }
};

AnswerEvent chatAnswer(const QString &text, const QString &title = QStringLiteral("Рецепт борща"))
{
    AnswerEvent event;
    event.chatID = QStringLiteral("chat-1");
    event.title = title;
    event.text = text;
    return event;
}

struct Rig {
    QTemporaryDir dir;
    VexaClient client{QStringLiteral("http://127.0.0.1:9"), dir.filePath(QStringLiteral("cookies"))};
    FakeNotifications notifications;
    QWindow window;
    AnswerNotifier notifier{&client, &notifications,
                            std::make_unique<NotificationPreferences>(ini())};
    int attention = 0;

    Rig()
    {
        notifier.setWindow(&window);
        notifier.setAttentionRequest([this] { ++attention; });
    }
    QString ini() const { return dir.filePath(QStringLiteral("prefs.ini")); }
    void answer(const AnswerEvent &event) { Q_EMIT client.answerArrived(event); }
    bool activate()
    {
        window.show();
        window.requestActivate();
        return waitUntil([this] { return window.isActive(); });
    }
};

} // namespace

class AnswerNotifierTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void texts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");

        const int chat = int(AnswerEvent::Kind::Chat);
        QTest::newRow("first line, marks gone")
            << chat << "Рецепт борща" << "\n\n## Борщ **по-киевски**\n\nСвёкла…" << false
            << "Рецепт борща" << "Борщ по-киевски";
        QTest::newRow("markup stays text") << chat << "Т" << "<b>жирный</b> & <script>" << false
                                           << "Т" << "<b>жирный</b> & <script>";
        QTest::newRow("a chat without a title") << chat << "  " << "Да." << false << "Чат с Vexa"
                                                << "Да.";
        QTest::newRow("a failed send") << chat << "Рецепт борща" << "" << true << "Рецепт борща"
                                       << "Ответ не получен";
        QTest::newRow("code assistant") << int(AnswerEvent::Kind::Code) << "" << "```cpp\nint x;\n```" << false
                                        << "Vexa Code" << "int x;";
        QTest::newRow("a picture") << int(AnswerEvent::Kind::Image) << "" << "" << false << "Изображения"
                                   << "Изображение готово";
        QTest::newRow("a picture that failed") << int(AnswerEvent::Kind::Image) << "" << "" << true
                                               << "Изображения" << "Ответ не получен";
    }

    void texts()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, failed);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        AnswerEvent event = chatAnswer(text, title);
        event.kind = AnswerEvent::Kind(kind);
        event.failed = failed;
        const DesktopNotice notice = AnswerNotifier::noticeFor(event);
        QCOMPARE(notice.summary, summary);
        QCOMPARE(notice.body, body);
    }

    void longFirstLineIsCut_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("words") << QStringLiteral("слово ").repeated(40);
        QTest::newRow("one long word") << QStringLiteral("а").repeated(300);
        // A cut inside a surrogate pair would leave half a character.
        QTest::newRow("emoji") << QString::fromUtf8("😀").repeated(200);
    }

    void longFirstLineIsCut()
    {
        QFETCH(QString, line);
        const QString body = AnswerNotifier::firstLine(line + QStringLiteral("\nвторая строка"));
        QVERIFY2(body.size() <= AnswerNotifier::kBodyChars + 1, qPrintable(body));
        QVERIFY(body.size() > AnswerNotifier::kBodyChars / 2);
        QVERIFY(body.endsWith(QChar(0x2026)));
        QVERIFY(!body.at(body.size() - 2).isHighSurrogate());
        QVERIFY(line.startsWith(body.chopped(1)));
    }

    void onlyInTheBackground()
    {
        Rig rig;
        rig.answer(chatAnswer(QStringLiteral("Первый")));
        QCOMPARE(rig.notifications.shown.size(), 1);
        QCOMPARE(rig.attention, 1);
        QCOMPARE(rig.notifier.openNotices(), 1);

        // Back at the window: what is shown is withdrawn, and nothing new is announced.
        QVERIFY(rig.activate());
        QCOMPARE(rig.notifications.withdrawn, QList<DesktopNotifications::Handle>({1}));
        QCOMPARE(rig.notifier.openNotices(), 0);
        rig.answer(chatAnswer(QStringLiteral("Второй")));
        QCOMPARE(rig.notifications.shown.size(), 1);
        QCOMPARE(rig.attention, 1);
    }

    void switchTurnsItOff()
    {
        Rig rig;
        rig.answer(chatAnswer(QStringLiteral("Первый")));
        // Turned off: the open notice goes, and later answers are quiet.
        NotificationPreferences(rig.ini()).setNotifyAnswers(false);
        QCOMPARE(rig.notifications.withdrawn.size(), 1);
        rig.answer(chatAnswer(QStringLiteral("Второй")));
        QCOMPARE(rig.notifications.shown.size(), 1);
        QCOMPARE(rig.attention, 1);
        // Stored, and on by default.
        QVERIFY(!NotificationPreferences(rig.ini()).notifyAnswers());
        QTemporaryDir fresh;
        QVERIFY(NotificationPreferences(fresh.filePath(QStringLiteral("p.ini"))).notifyAnswers());
    }

    void withoutAServiceOnlyAttention()
    {
        Rig rig;
        rig.answer(chatAnswer(QStringLiteral("Первый")));
        Q_EMIT rig.notifications.unavailable(1);
        QCOMPARE(rig.attention, 1);
        QCOMPARE(rig.notifier.openNotices(), 0);
        // Nothing to withdraw later.
        QVERIFY(rig.activate());
        QVERIFY(rig.notifications.withdrawn.isEmpty());
    }

    void choosingTheNoticeOpensItsChat()
    {
        Rig rig;
        QSignalSpy open(&rig.notifier, &AnswerNotifier::openRequested);
        rig.answer(chatAnswer(QStringLiteral("Первый")));
        AnswerEvent other = chatAnswer(QStringLiteral("Второй"));
        other.chatID = QStringLiteral("chat-2");
        rig.answer(other);
        Q_EMIT rig.notifications.activated(2);
        QCOMPARE(open.size(), 1);
        QCOMPARE(open.first().first().value<AnswerEvent>().chatID, QStringLiteral("chat-2"));
        // The user is back: the other notice is withdrawn too; a stale choice does nothing.
        QCOMPARE(rig.notifications.withdrawn.size(), 2);
        Q_EMIT rig.notifications.activated(1);
        QCOMPARE(open.size(), 1);
    }
};

QTEST_MAIN(AnswerNotifierTest)
#include "tst_answernotifier.moc"
