// A code panel's code as one picture: drawn where it is shown, or taken as drawn ahead; drawn
// again when the text size changes; not drawn when too large (the panel shows text instead);
// what is drawn reaches the screen, on the panel's ground, in the roles' colours.
#include "answermodel.h"
#include "awaittask.h"
#include "codepicture.h"
#include "codetext.h"
#include "highlight.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QTest>

using namespace vexa::answer;

namespace {

CodeLines coloured(const QString &language, const QString &code)
{
    return {code, vexa::highlight::highlight(language, code).lines, nullptr};
}

} // namespace

class CodeTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QQuickView>();
        m_window->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_window->setColor(Qt::white);
        m_window->resize(500, 300);
        QQmlComponent component(m_window->engine());
        component.setData("import QtQuick\nimport VexaAI.Answer\n"
                          "CodeText { x: 10; y: 10; font.family: \"DejaVu Sans Mono\"; font.pointSize: 12;"
                          " color: \"#dddddd\"; ground: \"#101820\" }", QUrl());
        m_item.reset(qobject_cast<CodeText *>(component.create()));
        QVERIFY2(m_item, qPrintable(component.errorString()));
        m_item->setParentItem(m_window->contentItem());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), vexa::test::scaledMs(5000)));
    }
    void cleanup()
    {
        m_item.reset();
        m_window.reset();
    }

    // Drawn where it is shown, then reached the screen: the ground fills the item and the
    // keyword is in its role's colour, not in the plain code colour.
    void drawnAndShown()
    {
        m_item->setLines(QVariant::fromValue(coloured(QStringLiteral("python"), QStringLiteral("def f():\n    return 1"))));
        QVERIFY(vexa::test::waitUntil([&] { return m_item->drawn(); }));
        QVERIFY(m_item->implicitWidth() > 50 && m_item->implicitHeight() > 20);
        QCOMPARE(lastCodeStyle(), m_item->picture()->style);

        const QColor keyword = m_item->picture()->style.roles[size_t(vexa::highlight::Role::Keyword)];
        QImage shot;
        const auto shows = [&](const QColor &wanted) {
            for (int y = 10; y < 10 + int(m_item->implicitHeight()); ++y) {
                for (int x = 10; x < 10 + int(m_item->implicitWidth()); ++x) {
                    if (shot.pixelColor(x, y) == wanted)
                        return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT((shot = m_window->grabWindow().convertToFormat(QImage::Format_RGB32),
                                  shot.pixelColor(12, 12) == QColor(0x10, 0x18, 0x20)),
                                 vexa::test::scaledMs(5000));
        QVERIFY(shows(keyword));
    }

    // Code drawn ahead in the style the item shows is taken as it is, with its size, before
    // any frame; after the text size changes, what comes drawn in the old size is drawn again.
    void drawnAhead()
    {
        m_item->setLines(QVariant::fromValue(coloured(QStringLiteral("sql"), QStringLiteral("SELECT 1;"))));
        QVERIFY(vexa::test::waitUntil([&] { return m_item->drawn(); }));
        const CodeStyle style = m_item->picture()->style;

        CodeLines ahead = coloured(QStringLiteral("cpp"), QStringLiteral("int main() {\n    return 0;\n}"));
        const auto aheadPicture = drawCode(ahead.code, ahead.runs, style);
        ahead.ahead = handOff(aheadPicture);
        m_item->setLines(QVariant::fromValue(ahead));
        QCOMPARE(m_item->picture(), aheadPicture);
        QCOMPARE(m_item->implicitHeight(), aheadPicture->size.height());

        QFont larger = m_item->font();
        larger.setPointSize(20);
        m_item->setFont(larger);
        CodeLines stale = coloured(QStringLiteral("cpp"), QStringLiteral("int x = 2;"));
        const auto stalePicture = drawCode(stale.code, stale.runs, style);
        stale.ahead = handOff(stalePicture);
        m_item->setLines(QVariant::fromValue(stale));
        QVERIFY(vexa::test::waitUntil([&] { return m_item->picture() && m_item->picture() != stalePicture; }));
        QCOMPARE(m_item->picture()->style.font.pointSize(), 20);
        QVERIFY(m_item->implicitHeight() > stalePicture->size.height());
    }

    // A picture past the size limit is not drawn: the item says so and holds no image.
    void tooLarge()
    {
        QString code;
        for (int i = 0; i < 1500; ++i)
            code += QStringLiteral("value_%1 = [%2]\n").arg(i).arg(QString(120, QLatin1Char('x')));
        m_item->setLines(QVariant::fromValue(CodeLines{code, {}, nullptr}));
        // Still its size, for the text shown instead.
        QVERIFY(vexa::test::waitUntil([&] { return m_item->implicitHeight() > 1000; }));
        QVERIFY(!m_item->drawn());
        QVERIFY(m_item->picture()->image.isNull());
    }

    // Once code has been shown, answers prepared ahead bring their code drawn in its style;
    // the picture goes to the items that show the block (a list may make a bubble twice) and
    // does not stay with the answer once none holds it.
    void preparedAnswersBringPictures()
    {
        m_item->setLines(QVariant::fromValue(coloured(QStringLiteral("sql"), QStringLiteral("SELECT 1;"))));
        QVERIFY(vexa::test::waitUntil([&] { return m_item->drawn(); }));
        const QString markdown = QStringLiteral("Так:\n\n```python\nprint(1)\n```\n\nИ всё.");
        QFuture<PreparedAnswer> ahead = AnswerModel::prepareAhead(markdown);
        QVERIFY(vexa::test::waitUntil([&] { return ahead.isFinished(); }));
        auto picture = ahead.result().codePictures.value(1);
        QVERIFY(picture && picture->drawn);
        QCOMPARE(picture->style, m_item->picture()->style);

        AnswerModel model;
        model.setPrepared(markdown, ahead.result());
        const QVariant first = model.data(model.index(1), AnswerModel::CodeLinesRole);
        QCOMPARE(first.value<CodeLines>().ahead->picture, picture);
        m_item->setLines(first);
        QCOMPARE(m_item->picture(), picture);
        // Taken out of the value: a copy of it left behind (a script's) holds no picture.
        QVERIFY(!first.value<CodeLines>().takePicture());
        // Asked again while the item shows it: the same picture, not one to draw again.
        const auto again = model.data(model.index(1), AnswerModel::CodeLinesRole).value<CodeLines>();
        QCOMPARE(again.takePicture(), picture);
        QCOMPARE(again.code, first.value<CodeLines>().code);

        // Once the item shows other code, the answer holds no picture.
        const std::weak_ptr<const CodePicture> shown = picture;
        picture.reset();
        ahead = {};
        m_item->setLines(QVariant::fromValue(coloured(QStringLiteral("sql"), QStringLiteral("SELECT 2;"))));
        QVERIFY(vexa::test::waitUntil([&] { return shown.expired(); }));
        const auto after = model.data(model.index(1), AnswerModel::CodeLinesRole).value<CodeLines>();
        QVERIFY(!after.ahead);
        QCOMPARE(after.code, again.code);
        QCOMPARE(after.runs, again.runs);
    }

private:
    std::unique_ptr<QQuickView> m_window;
    std::unique_ptr<CodeText> m_item;
};

QTEST_MAIN(CodeTextTest)
#include "tst_codetext.moc"
