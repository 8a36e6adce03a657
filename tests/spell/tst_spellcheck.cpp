#include "spellcheck.h"
#include "spellchecker.h"
#include "spellpreferences.h"

#include "awaittask.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_SpellPlugin)

using namespace vexa::spell;
using vexa::test::waitUntil;

namespace {

// The words of the document drawn with the spelling underline.
QStringList underlined(QTextDocument *doc)
{
    QStringList words;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (const QTextLayout::FormatRange &r : b.layout()->formats()) {
            if (r.format.boolProperty(SpellCheck::misspelledProperty()))
                words.append(b.text().mid(r.start, r.length));
        }
    }
    return words;
}

// A laid-out document (edits are announced only to one) under a SpellCheck with the test's
// checker.
struct CheckedDocument {
    QTextDocument doc;
    SpellCheck check;

    CheckedDocument(SpellChecker *checker, const QString &text)
    {
        doc.documentLayout();
        doc.setPlainText(text);
        check.setChecker(checker);
        check.setTextDocument(&doc);
    }
};

} // namespace

// SpellCheck on a document (the underlines, the menu's actions, the switch, a long text) and in
// the app's text field with its menu, from the mouse and the keyboard. Real dictionaries.
class TstSpellCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void underlines_data();
    void underlines();
    void dictionariesWaitForWords();
    void fenceOpenedAboveChangesBelow();
    void replaceIsOneUndoStep();
    void wordBeingTypedWaits();
    void addedWordLosesItsUnderline();
    void switchOffTakesUnderlinesAway();
    void longTextKeyPressStaysWithinAFrame();
    void menuInTheTextField();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SpellChecker> m_checker;
};

void TstSpellCheck::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TstSpellCheck::init()
{
    static int round = 0;
    ++round;
    m_checker = std::make_unique<SpellChecker>(SpellChecker::Options{
        {QStringLiteral("/usr/share/hunspell")}, m_dir.filePath(QStringLiteral("personal%1.txt").arg(round)),
        m_dir.filePath(QStringLiteral("prefs%1.ini").arg(round))});
}

void TstSpellCheck::cleanup()
{
    m_checker.reset();
}

void TstSpellCheck::underlines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("russian") << u"Превет, как дила?"_qs << QStringList{u"Превет"_qs, u"дила"_qs};
    QTest::newRow("english") << u"I recieve teh letter"_qs << QStringList{u"recieve"_qs, u"teh"_qs};
    QTest::newRow("mixed") << u"Открой фаил и сделай comit сейчас"_qs << QStringList{u"фаил"_qs, u"comit"_qs};
    QTest::newRow("code, links and mail left alone")
        << u"Запусти `ошибко fooo` и ```\ndef ашибка(): pass\n```\nпиши на ivan@mali.ru или https://ссылко.рф ашибка"_qs
        << QStringList{u"ашибка"_qs};
    QTest::newRow("all right") << u"Всё правильно, everything is fine."_qs << QStringList{};
}

void TstSpellCheck::underlines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    CheckedDocument checked(m_checker.get(), text);
    QTextDocument &doc = checked.doc;
    SpellCheck &check = checked.check;
    check.setUnderlineColor(Qt::green);
    QVERIFY(check.active());
    QVERIFY2(waitUntil([&] { return m_checker->pendingWords() == 0 && underlined(&doc) == expected; }),
             qPrintable(underlined(&doc).join(u", ")));
    QCOMPARE(doc.toPlainText(), text);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (const QTextLayout::FormatRange &r : b.layout()->formats())
            QCOMPARE(r.format.underlineColor(), QColor(Qt::green));
    // Qt Quick draws a straight underline in the text's colour, and no wavy one.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (const QTextLayout::FormatRange &r : b.layout()->formats())
            QVERIFY(r.format.fontUnderline() && r.format.foreground().color() == QColor(Qt::green));
}

// An empty field costs no dictionaries (they hold about 18 MB) until something is typed in
// it; the first word then loads them and is checked.
void TstSpellCheck::dictionariesWaitForWords()
{
    CheckedDocument checked(m_checker.get(), QString());
    QVERIFY(checked.check.active());
    QTest::qWait(50);
    QVERIFY(!m_checker->loadStarted());
    QTextCursor(&checked.doc).insertText(u"Скажи превет всем"_qs);
    QVERIFY(m_checker->loadStarted());
    QVERIFY(waitUntil([&] { return underlined(&checked.doc) == QStringList{u"превет"_qs}; }));
}

// A fence typed above a paragraph takes its words out; removing it brings them back.
void TstSpellCheck::fenceOpenedAboveChangesBelow()
{
    CheckedDocument checked(m_checker.get(), u"начало\nашибка тут\nконец"_qs);
    QTextDocument &doc = checked.doc;
    QVERIFY(waitUntil([&] { return underlined(&doc) == QStringList{u"ашибка"_qs}; }));
    QTextCursor cursor(doc.findBlockByNumber(1));
    cursor.insertText(u"```\n"_qs);
    QVERIFY(underlined(&doc).isEmpty());
    doc.undo();
    QCOMPARE(underlined(&doc), QStringList{u"ашибка"_qs});
}

void TstSpellCheck::replaceIsOneUndoStep()
{
    CheckedDocument checked(m_checker.get(), u"Скажи превет всем"_qs);
    QTextDocument &doc = checked.doc;
    SpellCheck &check = checked.check;
    QVERIFY(waitUntil([&] { return !underlined(&doc).isEmpty(); }));
    // The cursor just after the word counts; a correct word or a space has no menu.
    QCOMPARE(check.misspelledAt(12).value(u"word"_qs).toString(), u"превет"_qs);
    QCOMPARE(check.misspelledAt(6).value(u"start"_qs).toInt(), 6);
    QVERIFY(check.misspelledAt(2).isEmpty());
    QVERIFY(check.misspelledAt(100).isEmpty());

    QSignalSpy ready(&check, &SpellCheck::suggestionsReady);
    check.requestSuggestions(u"превет"_qs);
    QVERIFY(waitUntil([&] { return ready.size() == 1; }));
    const QStringList suggestions = ready.at(0).at(1).toStringList();
    QVERIFY2(suggestions.contains(u"привет"_qs), qPrintable(suggestions.join(u", ")));

    // The text moved on while the menu was open: nothing is replaced.
    QVERIFY(!check.replace(7, u"превет"_qs, u"привет"_qs));
    QVERIFY(check.replace(6, u"превет"_qs, u"привет"_qs));
    QCOMPARE(doc.toPlainText(), u"Скажи привет всем"_qs);
    QVERIFY(waitUntil([&] { return underlined(&doc).isEmpty(); }));
    doc.undo();
    QCOMPARE(doc.toPlainText(), u"Скажи превет всем"_qs);
}

// The word the cursor ends is still being typed: it is underlined once the cursor leaves it.
void TstSpellCheck::wordBeingTypedWaits()
{
    CheckedDocument checked(m_checker.get(), u"Скажи превет\nи дила"_qs);
    checked.check.setCursorPosition(12);
    QVERIFY(waitUntil([&] { return !checked.check.misspelledAt(12).isEmpty() && m_checker->pendingWords() == 0; }));
    QVERIFY(waitUntil([&] { return underlined(&checked.doc) == QStringList{u"дила"_qs}; }));
    checked.check.setCursorPosition(19);
    QCOMPARE(underlined(&checked.doc), QStringList{u"превет"_qs});
}

void TstSpellCheck::addedWordLosesItsUnderline()
{
    CheckedDocument first(m_checker.get(), u"Vexa-бот: кодогенерацыя\nещё раз кодогенерацыя и recieve"_qs);
    CheckedDocument second(m_checker.get(), u"кодогенерацыя recieve"_qs);
    QTextDocument &doc = first.doc, &otherDoc = second.doc;
    SpellCheck &check = first.check;
    QVERIFY(waitUntil([&] { return underlined(&doc).count(u"кодогенерацыя"_qs) == 2 && underlined(&otherDoc).size() == 2; }));
    check.addToDictionary(u"кодогенерацыя"_qs);
    check.ignore(u"recieve"_qs);
    // Every field of the app, not only the one whose menu was used.
    QCOMPARE(underlined(&doc), QStringList{u"Vexa-бот"_qs});
    QCOMPARE(underlined(&otherDoc), QStringList{});
}

void TstSpellCheck::switchOffTakesUnderlinesAway()
{
    CheckedDocument checked(m_checker.get(), u"превет recieve"_qs);
    QTextDocument &doc = checked.doc;
    SpellCheck &check = checked.check;
    QVERIFY(waitUntil([&] { return underlined(&doc).size() == 2; }));
    QSignalSpy activeSpy(&check, &SpellCheck::activeChanged);
    m_checker->preferences()->setEnabled(false);
    QCOMPARE(activeSpy.size(), 1);
    QVERIFY(!check.active());
    QVERIFY(underlined(&doc).isEmpty());
    QVERIFY(check.misspelledAt(2).isEmpty());
    m_checker->preferences()->setEnabled(true);
    QCOMPARE(underlined(&doc).size(), 2);
    check.setEnabled(false);
    QVERIFY(underlined(&doc).isEmpty());
}

// 200,000 characters in one paragraph: its words are looked up on the worker, and a key press
// costs no more than a frame above what the same press costs without spelling (Qt lays the
// whole paragraph out again at each press either way).
void TstSpellCheck::longTextKeyPressStaysWithinAFrame()
{
    QString text;
    const QStringList words = {u"привет"_qs, u"превет"_qs, u"hello"_qs, u"world"_qs, u"молоко"_qs,
                               u"кодогенерацыя"_qs, u"recieve"_qs, u"сегодня"_qs};
    for (int i = 0; text.size() < 200000; ++i)
        text += words.at(i % words.size()) + (i % 7 == 0 ? u"ab "_qs : u" "_qs);
    text.truncate(200000);
    // The same paragraph twice, with and without spelling; presses alternate between them, so
    // the machine's other work falls on both alike.
    QTextDocument plainDoc;
    plainDoc.documentLayout();
    plainDoc.setPlainText(text);
    CheckedDocument checked(m_checker.get(), text);
    QVERIFY(waitUntil([&] { return underlined(&checked.doc).size() > 5000; }, vexa::test::scaledMs(30000)));
    const int before = int(underlined(&checked.doc).size());

    QTextCursor plainCursor(&plainDoc), spelledCursor(&checked.doc);
    plainCursor.setPosition(100000);
    spelledCursor.setPosition(100000);
    QList<qint64> plain, spelled;
    const auto press = [](QTextCursor &cursor, QList<qint64> &times) {
        QElapsedTimer timer;
        timer.start();
        cursor.insertText(u"ы"_qs);
        times.append(timer.elapsed());
    };
    for (int i = 0; i < 9; ++i) {
        press(plainCursor, plain);
        press(spelledCursor, spelled);
    }
    qInfo() << "presses without spelling (ms):" << plain << "with:" << spelled;
    std::sort(plain.begin(), plain.end());
    std::sort(spelled.begin(), spelled.end());
    const qint64 plainMedian = plain.at(plain.size() / 2), spelledMedian = spelled.at(spelled.size() / 2);
    qInfo("key press in a 200,000-character paragraph: median %lld ms, without spelling %lld ms",
          spelledMedian, plainMedian);
    QVERIFY2(spelledMedian - plainMedian < vexa::test::scaledMs(16), qPrintable(QString::number(spelledMedian)));
    // The paragraph's underlines are back once the typing pauses.
    QVERIFY(waitUntil([&] { return underlined(&checked.doc).size() >= before; }));
}

// The app's text field: the right click and the menu key open the word's menu; the keyboard
// takes a correction, which replaces the word.
void TstSpellCheck::menuInTheTextField()
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import QtQuick.Controls
        import VexaAI.Style
        ApplicationWindow {
            width: 500; height: 300; visible: true
            property alias field: field
            GrowingTextArea { id: field; anchors.fill: parent; areaName: "area"; placeholderText: "Поле" }
        }
    )", QUrl());
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto *area = root->findChild<QQuickItem *>(u"area"_qs);
    QVERIFY(area);
    auto *check = area->findChild<SpellCheck *>();
    QVERIFY(check);
    check->setChecker(m_checker.get());
    // Every field has a menu, but it is made when it first opens.
    QVERIFY(!area->findChild<QObject *>(u"spellingMenu"_qs));

    area->setProperty("text", u"Скажи превет"_qs);
    area->forceActiveFocus();
    area->setProperty("cursorPosition", 12);
    QVERIFY(waitUntil([&] { return !check->misspelledAt(12).isEmpty(); }));

    // Shift+F10 at the cursor; the corrections arrive while it is open.
    QTest::keyClick(window, Qt::Key_F10, Qt::ShiftModifier);
    QObject *menu = nullptr;
    QVERIFY(waitUntil([&] {
        menu = area->findChild<QObject *>(u"spellingMenu"_qs);
        return menu && menu->property("opened").toBool();
    }));
    QVERIFY(waitUntil([&] { return !menu->property("searching").toBool(); }));
    const QStringList suggestions = menu->property("suggestions").toStringList();
    QVERIFY2(suggestions.size() <= 5 && suggestions.contains(u"привет"_qs), qPrintable(suggestions.join(u", ")));
    for (qsizetype i = 0; i <= suggestions.indexOf(u"привет"_qs); ++i)
        QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    QVERIFY(waitUntil([&] { return !menu->property("visible").toBool(); }));
    QCOMPARE(area->property("text").toString(), u"Скажи привет"_qs);
    QVERIFY(area->hasActiveFocus());

    // A right click on a misspelled word; "Пропустить" from the keyboard (past the disabled rows).
    area->setProperty("text", u"recieve it"_qs);
    QVERIFY(waitUntil([&] { return !check->misspelledAt(2).isEmpty(); }));
    QRectF inWord;
    QVERIFY(QMetaObject::invokeMethod(area, "positionToRectangle", Q_RETURN_ARG(QRectF, inWord), Q_ARG(int, 3)));
    QTest::mouseClick(window, Qt::RightButton, {}, area->mapToScene(inWord.center()).toPoint());
    QVERIFY(waitUntil([&] { return menu->property("opened").toBool() && !menu->property("searching").toBool(); }));
    QCOMPARE(menu->property("word").toString(), u"recieve"_qs);
    const qsizetype corrections = menu->property("suggestions").toStringList().size();
    for (qsizetype i = 0; i < corrections + 2; ++i)
        QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    QVERIFY(waitUntil([&] { return !menu->property("visible").toBool(); }));
    QVERIFY(check->misspelledAt(2).isEmpty());
    QCOMPARE(area->property("text").toString(), u"recieve it"_qs);

    // The menu key on a correct word does nothing; the key reaches the field as usual.
    area->setProperty("cursorPosition", 9);
    QTest::keyClick(window, Qt::Key_Menu);
    QTest::qWait(50);
    QVERIFY(!menu->property("visible").toBool());
}

QTEST_MAIN(TstSpellCheck)
#include "tst_spellcheck.moc"
