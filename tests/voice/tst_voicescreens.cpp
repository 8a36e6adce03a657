// The voice library and conversation sheets as people meet them, offscreen: the library is
// searched, a voice chosen and the sheet closed from the keyboard, and a star clicked with the
// mouse; the conversation starts with Enter, answers through the local service, pauses behind
// the voice library and ends everything when Esc closes it.
#include "awaittask.h"
#include "conversationrig.h"
#include "voicefakes.h"
#include "voicelibraryviewmodel.h"
#include "voicesamples.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QStandardPaths>
#include <QTest>

#include <functional>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_VoicePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;
using namespace vexa::voice;
using namespace vexa::voice::fakes;

namespace {

const QByteArray kHost = R"(
import QtQuick
import VexaAI.Voice
Item {
    id: root
    required property VoiceLibraryViewModel libraryModel
    required property VoiceConversationViewModel conversationModel
    width: 820
    height: 780
    VexaVoiceLibraryView { objectName: "library"; viewModel: root.libraryModel }
    VoiceConversationView { objectName: "conversation"; viewModel: root.conversationModel }
}
)";

QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name && root->isVisible())
        return root;
    const auto children = root->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, name))
            return found;
    }
    return nullptr;
}

VoicePlatform fakePlatform(std::shared_ptr<FakeSynthesizer> synthesizer,
                           std::shared_ptr<ManualClock> clock,
                           std::shared_ptr<FakeRecognition> recognition = nullptr)
{
    return VoicePlatform{std::make_shared<FakeCapture>(),
                         recognition ? recognition : std::make_shared<FakeRecognition>(),
                         std::move(synthesizer), std::move(clock)};
}

} // namespace

class VoiceScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void libraryFromTheKeyboard();
    void conversationFromTheKeyboard();
    void libraryKeyboardThroughManyVoices();
    void voiceNamesFitTheirRows();

private:
    // A catalogue of `count` voices the way speech-dispatcher names them, listed in the library.
    void listVoices(int count);
    QQuickItem *focusedItem() const { return m_view->activeFocusItem(); }
    // The voice row holding the keyboard, and its index (-1 outside the rows).
    int focusedRow() const
    {
        for (QQuickItem *item = focusedItem(); item; item = item->parentItem()) {
            if (item->property("identifier").isValid() && item->property("index").isValid())
                return item->property("index").toInt();
        }
        return -1;
    }
    // Whether the focused control lies wholly inside the list's viewport.
    bool focusedInSight() const
    {
        QQuickItem *item = focusedItem();
        QQuickItem *list = findItem(m_view->contentItem(), QStringLiteral("voiceList"));
        if (!item || !list)
            return false;
        const QRectF box = item->mapRectToItem(list, QRectF(0, 0, item->width(), item->height()));
        return box.top() >= 0 && box.bottom() <= list->height();
    }

    QObject *sheet(const char *name) { return m_view->rootObject()->findChild<QObject *>(name); }
    QString focused() const
    {
        QQuickItem *item = m_view->activeFocusItem();
        return item ? item->objectName() : QString();
    }
    // Presses Tab until the named control has the focus; false if it never gets it.
    bool tabTo(const QString &name, int most = 40)
    {
        for (int i = 0; i < most; ++i) {
            if (focused() == name)
                return true;
            QTest::keyClick(m_view.get(), Qt::Key_Tab);
        }
        return focused() == name;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<FakeSynthesizer> m_voices;
    std::shared_ptr<FakeSynthesizer> m_speaker;
    std::shared_ptr<FakeRecognition> m_recognition;
    std::shared_ptr<ManualClock> m_clock;
    std::unique_ptr<ConversationRig> m_conversation;
    std::unique_ptr<VoiceLibraryViewModel> m_library;
    std::unique_ptr<QQuickView> m_view;
};

void VoiceScreensTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QQuickStyle::setStyle(QStringLiteral("Material"));
}

void VoiceScreensTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_voices = std::make_shared<FakeSynthesizer>();
    m_voices->inventory = VoiceInventory(
        {fakes::voice(QStringLiteral("v.ru-RU.Milena"), QStringLiteral("Milena"), QStringLiteral("ru-RU"),
               VoiceInfo::QualityPremium, VoiceInfo::GenderFemale),
         fakes::voice(QStringLiteral("v.ru-RU.Yuri"), QStringLiteral("Yuri"), QStringLiteral("ru-RU"),
               VoiceInfo::QualityDefault, VoiceInfo::GenderMale)},
        {});
    m_speaker = std::make_shared<FakeSynthesizer>();
    m_speaker->inventory = m_voices->inventory;
    m_recognition = std::make_shared<FakeRecognition>();
    m_clock = std::make_shared<ManualClock>();
    m_conversation = std::make_unique<ConversationRig>(fakePlatform(m_speaker, m_clock, m_recognition));
    QVERIFY(m_conversation->restore());
    m_library = std::make_unique<VoiceLibraryViewModel>(
        m_voices, fakePlatform(m_speaker, m_clock), m_dir->filePath(QStringLiteral("library.ini")));

    QFile host(m_dir->filePath(QStringLiteral("Host.qml")));
    QVERIFY(host.open(QIODevice::WriteOnly));
    host.write(kHost);
    host.close();
    m_view = std::make_unique<QQuickView>();
    m_view->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
    m_view->setInitialProperties(
        {{QStringLiteral("libraryModel"), QVariant::fromValue(m_library.get())},
         {QStringLiteral("conversationModel"),
          QVariant::fromValue(m_conversation->conversation.get())}});
    m_view->setSource(QUrl::fromLocalFile(host.fileName()));
    QVERIFY2(m_view->status() == QQuickView::Ready,
             qPrintable(QDebug::toString(m_view->errors())));
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get(), vexa::test::scaledMs(5000)));
    m_view->requestActivate();
}

void VoiceScreensTest::cleanup()
{
    m_view.reset();
    m_library.reset();
    m_conversation.reset();
    // A silence monitor still asleep holds the clock; woken with its owner gone, it ends.
    m_clock->advance(std::chrono::seconds(1));
    m_clock.reset();
}

void VoiceScreensTest::libraryFromTheKeyboard()
{
    QObject *library = sheet("library");
    QVERIFY(library);
    QMetaObject::invokeMethod(library, "open");
    QVERIFY(waitUntil([&] { return library->property("opened").toBool(); }));
    QVERIFY(waitUntil([&] { return focused() == QStringLiteral("voiceSearch"); }));

    for (const char key : {'y', 'u', 'r', 'i'})
        QTest::keyClick(m_view.get(), key);
    QCOMPARE(m_library->query(), QStringLiteral("yuri"));
    QCOMPARE(m_library->shownCount(), 1);

    // To the row's "Выбрать" and Enter.
    QVERIFY(tabTo(QStringLiteral("choose")));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(m_library->selection(), QStringLiteral("v.ru-RU.Yuri"));

    // "Послушать" with Space plays the sample of that voice.
    QVERIFY(tabTo(QStringLiteral("listen")));
    QTest::keyClick(m_view.get(), Qt::Key_Space);
    QVERIFY(waitUntil([&] { return !m_speaker->spoken.empty(); }));
    QCOMPARE(m_speaker->spoken.back().voiceIdentifier, QStringLiteral("v.ru-RU.Yuri"));

    // The star with the mouse.
    QQuickItem *star = findItem(m_view->contentItem(), QStringLiteral("favorite"));
    QVERIFY(star);
    const QPointF centre = star->mapToScene(QPointF(star->width() / 2, star->height() / 2));
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, centre.toPoint());
    QVERIFY(m_library->voices()->rows().first().favorite);

    // F5 lists the voices again.
    const int listings = m_voices->listings;
    QTest::keyClick(m_view.get(), Qt::Key_F5);
    QVERIFY(waitUntil([&] { return m_voices->listings > listings && !m_library->loading(); }));

    // Esc closes the sheet and the sample with it.
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !library->property("visible").toBool(); }));
    QVERIFY(!m_library->previewSpeaking());
}

void VoiceScreensTest::conversationFromTheKeyboard()
{
    VoiceConversationViewModel &vm = *m_conversation->conversation;
    QObject *conversation = sheet("conversation");
    QVERIFY(conversation);
    QMetaObject::invokeMethod(conversation, "open");
    QVERIFY(waitUntil([&] { return vm.mainButtonEnabled() && !vm.choosingModel(); }));
    QVERIFY(waitUntil([&] { return focused() == QStringLiteral("mainButton"); }));

    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(waitUntil([&] { return vm.voice()->isListening(); }));
    QVERIFY(vm.active());

    m_recognition->emitResult(QStringLiteral("Какая сегодня погода"), true);
    QVERIFY(waitUntil([&] { return !m_speaker->spoken.empty() && !vm.processing(); }));
    QQuickItem *answer = findItem(m_view->contentItem(), QStringLiteral("lastAnswer"));
    QVERIFY(answer);
    QCOMPARE(answer->property("text").toString(), vm.lastAnswer());

    // Space while the answer is spoken: silence at once and listening, the answer on screen.
    QVERIFY(m_speaker->playing());
    const QString firstAnswer = vm.lastAnswer();
    QTest::keyPress(m_view.get(), Qt::Key_Space);
    QTest::keyRelease(m_view.get(), Qt::Key_Space);
    QVERIFY(!m_speaker->playing());
    QVERIFY(waitUntil([&] { return vm.voice()->isListening(); }));
    QCOMPARE(vm.lastAnswer(), firstAnswer);
    QVERIFY(vm.active()); // the focused main button did not take the Space

    // Held while listening: push-to-talk. A pause does not end the phrase; letting go does.
    QTest::keyPress(m_view.get(), Qt::Key_Space);
    QVERIFY(vm.holdingToTalk());
    m_recognition->emitResult(QStringLiteral("Сколько времени"));
    for (int step = 0; step < 30; ++step) {
        m_clock->advance(std::chrono::milliseconds(100));
        QCoreApplication::processEvents();
    }
    QVERIFY(vm.voice()->isListening());
    const qsizetype sent = m_conversation->chatBodies().size();
    QTest::keyRelease(m_view.get(), Qt::Key_Space);
    QVERIFY(!vm.holdingToTalk());
    QVERIFY(waitUntil([&] { return m_conversation->chatBodies().size() == sent + 1 && !vm.processing(); }));
    QCOMPARE(m_conversation->chatBodies().last().value(QStringLiteral("message")).toString(),
             QStringLiteral("Сколько времени"));

    // "Выбрать голос" pauses the conversation under the library.
    QVERIFY(tabTo(QStringLiteral("chooseVoice")));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(vm.showingVoices());
    QVERIFY(vm.paused());
    QVERIFY(!vm.voice()->isSpeaking());
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !vm.showingVoices(); }));
    QVERIFY(waitUntil([&] { return vm.voice()->isListening(); }));

    // Esc on the conversation closes it: nothing listens or speaks any more.
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !conversation->property("visible").toBool(); }));
    QVERIFY(!vm.active());
    QVERIFY(!vm.voice()->isListening());
    QVERIFY(!vm.voice()->isSpeaking());
}

void VoiceScreensTest::listVoices(int count)
{
    QList<VoiceInfo> voices;
    for (int i = 0; i < count; ++i) {
        voices.append(fakes::voice(QStringLiteral("speechd.ru-RU.Russian+Voice%1").arg(i),
                                   QStringLiteral("Russian (Latvia)+Adam %1").arg(i),
                                   QStringLiteral("ru-RU"), VoiceInfo::QualityDefault,
                                   VoiceInfo::GenderMale));
    }
    m_voices->inventory = VoiceInventory(voices, {});
    m_library->refreshVoices();
    QVERIFY(waitUntil([&] { return m_library->shownCount() == count && !m_library->loading(); }));
}

// 300 voices from the keyboard: Tab enters the rows at the first voice, the arrows walk the
// voices (made as they come into sight) with the list following, and Tab leaves the list for
// the footer; Shift+Tab comes back to the same voice.
void VoiceScreensTest::libraryKeyboardThroughManyVoices()
{
    listVoices(300);
    QObject *library = sheet("library");
    QMetaObject::invokeMethod(library, "open");
    QVERIFY(waitUntil([&] { return focused() == QStringLiteral("voiceSearch"); }));

    QVERIFY(tabTo(QStringLiteral("onlyFavorites")));
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QCOMPARE(focused(), QStringLiteral("favorite"));
    QCOMPARE(focusedRow(), 0);
    QVERIFY(focusedInSight());
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QCOMPARE(focused(), QStringLiteral("choose"));

    for (int i = 0; i < 150; ++i)
        QTest::keyClick(m_view.get(), Qt::Key_Down);
    QVERIFY(waitUntil([&] { return focusedRow() == 150; }));
    QCOMPARE(focused(), QStringLiteral("choose"));
    QVERIFY(waitUntil([&] { return focusedInSight(); }));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(m_library->selection(), m_library->voices()->rows().at(150).identifier);

    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QCOMPARE(focused(), QStringLiteral("listen"));
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QCOMPARE(focused(), QStringLiteral("downloadHelp"));
    QVERIFY(waitUntil([&] { return focusedInSight(); }));

    QTest::keyClick(m_view.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focused(), QStringLiteral("listen"));
    QCOMPARE(focusedRow(), 150);
    QVERIFY(waitUntil([&] { return focusedInSight(); }));
    QTest::keyClick(m_view.get(), Qt::Key_Up);
    QVERIFY(waitUntil([&] { return focusedRow() == 149; }));
    QCOMPARE(focused(), QStringLiteral("listen"));
    QVERIFY(waitUntil([&] { return focusedInSight(); }));
}

// At the sheet's default width a voice's name is shown whole (on two lines if it must), not cut
// off with "…".
void VoiceScreensTest::voiceNamesFitTheirRows()
{
    listVoices(12);
    QObject *library = sheet("library");
    QMetaObject::invokeMethod(library, "open");
    QVERIFY(waitUntil([&] { return library->property("opened").toBool(); }));
    QQuickItem *list = findItem(m_view->contentItem(), QStringLiteral("voiceList"));
    QVERIFY(list);
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 12; }));
    QList<QQuickItem *> names;
    std::function<void(QQuickItem *)> collect = [&](QQuickItem *item) {
        if (item->objectName() == QLatin1String("voiceName") && item->isVisible())
            names << item;
        for (QQuickItem *child : item->childItems())
            collect(child);
    };
    collect(list);
    QVERIFY(!names.isEmpty());
    for (QQuickItem *name : names) {
        QVERIFY2(name->property("text").toString().startsWith(QStringLiteral("Russian (Latvia)+Adam")),
                 qPrintable(name->property("text").toString()));
        QVERIFY2(!name->property("truncated").toBool(), qPrintable(name->property("text").toString()));
    }
}

QTEST_MAIN(VoiceScreensTest)
#include "tst_voicescreens.moc"
