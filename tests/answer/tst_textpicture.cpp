// A text block as one picture: laid out exactly as the list's selection (a rich-text TextEdit)
// lays the same text out, so the selection lies over it; its links are where they are drawn
// and open on a click; texts drawn ahead in the style last shown are taken, not drawn again.
#include "answerblocks.h"
#include "awaittask.h"
#include "textpicture.h"

#include <QFontMetricsF>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

using namespace vexa::answer;

class TextPictureTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QQuickView>();
        m_window->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_window->setColor(Qt::white);
        m_window->resize(400, 300);
        QQmlComponent component(m_window->engine());
        component.setData("import QtQuick\nimport VexaAI.Answer\nItem {\n"
                          " property alias picture: picture\n property alias edit: edit\n"
                          " TextPicture { id: picture; x: 10; y: 10; width: 300; role: \"prose\"; inset: 14;"
                          " color: \"#2040c0\"; font.pointSize: 12 }\n"
                          " TextEdit { id: edit; x: 10; y: 150; width: 300; textFormat: TextEdit.RichText;"
                          " wrapMode: TextEdit.Wrap; font: picture.font; text: picture.text; readOnly: true }\n}",
                          QUrl());
        m_root.reset(qobject_cast<QQuickItem *>(component.create()));
        QVERIFY2(m_root, qPrintable(component.errorString()));
        m_root->setParentItem(m_window->contentItem());
        m_picture = m_root->property("picture").value<TextPicture *>();
        m_edit = m_root->property("edit").value<QQuickItem *>();
        QVERIFY(m_picture && m_edit);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), vexa::test::scaledMs(5000)));
    }
    void cleanup()
    {
        m_root.reset();
        m_window.reset();
    }

    void laidOutAsTheSelection_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::newRow("one line") << "Коротко.";
        QTest::newRow("wrapped") << QString(QStringLiteral("Длинная строка текста, которая переносится. ")).repeated(6);
        QTest::newRow("line breaks") << "Первая строка\nвторая строка\nтретья";
        QTest::newRow("styles") << "**Жирный**, *курсив*, `код` и ~~зачёркнутый~~ текст.";
        QTest::newRow("link") << "См. [документацию](https://example.org/docs) и https://example.org.";
        QTest::newRow("heading") << "## Заголовок";
    }
    // A picture taller or wider than its selection would put the selected text beside the
    // letters the user sees; every kind of markup the renderer makes lays out the same.
    void laidOutAsTheSelection()
    {
        QFETCH(QString, markdown);
        m_picture->setText(parseAnswer(markdown).blocks.value(0).text.html);
        QVERIFY(!m_picture->text().isEmpty());
        QCOMPARE(m_picture->implicitHeight(), m_edit->implicitHeight());
        QVERIFY2(qAbs(m_picture->contentWidth() - m_edit->property("contentWidth").toReal()) < 1,
                 qPrintable(QStringLiteral("%1 against %2").arg(m_picture->contentWidth())
                                .arg(m_edit->property("contentWidth").toReal())));
    }

    void links_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<int>("width");
        QTest::newRow("in a line") << "Текст [ссылка](https://a.example/x) и ещё текст." << 300;
        QTest::newRow("wrapped over lines")
            << "Текст [очень длинная ссылка из многих слов, которая не помещается](https://b.example/) конец." << 150;
        QTest::newRow("two links") << "[один](https://one.example/) и [два](https://two.example/)" << 300;
    }
    // Every letter of the text: the link the picture finds there is the one the selection's
    // document has there (none between them); a click on a link opens it.
    void links()
    {
        QFETCH(QString, markdown);
        QFETCH(int, width);
        m_picture->setWidth(width);
        m_edit->setWidth(width);
        m_picture->setText(parseAnswer(markdown).blocks.value(0).text.html);
        const int length = m_edit->property("length").toInt();
        int linked = 0;
        for (int i = 0; i < length; ++i) {
            QRectF letter;
            QMetaObject::invokeMethod(m_edit, "positionToRectangle", Q_RETURN_ARG(QRectF, letter), Q_ARG(int, i));
            QRectF next;
            QMetaObject::invokeMethod(m_edit, "positionToRectangle", Q_RETURN_ARG(QRectF, next), Q_ARG(int, i + 1));
            if (!qFuzzyCompare(letter.y(), next.y()) || next.x() <= letter.x())
                continue; // the letter before a line's end
            const QPointF middle((letter.x() + next.x()) / 2, letter.center().y());
            QString expected;
            QMetaObject::invokeMethod(m_edit, "linkAt", Q_RETURN_ARG(QString, expected), Q_ARG(qreal, middle.x()),
                                      Q_ARG(qreal, middle.y()));
            QCOMPARE(m_picture->linkAt(middle.x(), middle.y()), expected);
            if (!expected.isEmpty()) {
                ++linked;
                if (linked == 1) {
                    QSignalSpy opened(m_picture, &TextPicture::linkActivated);
                    QTest::mouseClick(m_window.get(), Qt::LeftButton, Qt::NoModifier,
                                      m_picture->mapToScene(middle).toPoint());
                    QCOMPARE(opened.size(), 1);
                    QCOMPARE(opened.first().first().toString(), expected);
                }
            }
        }
        QVERIFY(linked > 2);
    }

    // The text reaches the screen in its colour; its links in the renderer's link colour.
    void drawnInItsColour()
    {
        m_picture->setText(parseAnswer(QStringLiteral("██ текст [ссылка](https://a.example/)")).blocks.value(0).text.html);
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = m_window->grabWindow().convertToFormat(QImage::Format_RGB32),
                                  shot.pixelColor(14, 10 + int(m_picture->implicitHeight() / 2)) == QColor(0x20, 0x40, 0xc0)),
                                 vexa::test::scaledMs(5000));
    }

    void label_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sameWidthAs"); // plain text drawn as wide
        QTest::newRow("a caption") << "Копировать код" << "Копировать код";
        QTest::newRow("markup is text") << "<b>C++</b>" << "&lt;b&gt;C++&lt;/b&gt;";
        QTest::newRow("a link is text") << "<a href=\"https://x.example\">x</a>"
                                        << "&lt;a href=\"https://x.example\"&gt;x&lt;/a&gt;";
    }
    // A label (a panel's language name, a button's caption; the name comes from the answer) is
    // plain text on one line however narrow the item: markup in it is shown, never obeyed.
    void label()
    {
        QFETCH(QString, text);
        QFETCH(QString, sameWidthAs);
        m_picture->setWidth(20);
        m_picture->setLabel(true);
        m_picture->setText(text);
        QVERIFY(m_picture->drawn()->links.isEmpty());
        const QFontMetricsF metrics(m_picture->font());
        QVERIFY2(m_picture->implicitHeight() < 1.5 * metrics.height(), qPrintable(QString::number(m_picture->implicitHeight())));
        TextStyle style;
        style.font = m_picture->font();
        style.width = 1000;
        QCOMPARE(m_picture->contentWidth(), drawText(sameWidthAs, style)->size.width());
        // Shown again (a pooled panel lent to the next answer), it is not drawn again.
        const auto first = m_picture->drawn();
        m_picture->setText(QStringLiteral("другое"));
        m_picture->setText(text);
        QCOMPARE(m_picture->drawn(), first);
    }

    void drawnAhead_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<qreal>("pointSize");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("taken");
        QTest::newRow("prose") << "Абзац, подготовленный заранее." << 12.0 << 300 << true;
        QTest::newRow("a quote: no quote shown yet") << "> Цитата." << 12.0 << 300 << false;
        QTest::newRow("after the text size changed") << "Ещё один абзац." << 14.0 << 300 << false;
        QTest::newRow("in a narrower answer") << "Абзац в узком окне." << 12.0 << 250 << false;
    }
    // Once a prose text was shown, prose about to be shown is drawn in its style: the next item
    // showing it takes it as it is. Texts of another width or size are not taken.
    void drawnAhead()
    {
        QFETCH(QString, markdown);
        QFETCH(qreal, pointSize);
        QFETCH(int, width);
        QFETCH(bool, taken);
        m_picture->setInset(0);
        m_picture->setText(QStringLiteral("Показанный текст ") + QString::fromLatin1(QTest::currentDataTag()));
        const AnswerBlock block = parseAnswer(markdown).blocks.value(0);
        const int before = TextPicture::preparedCount();
        TextPicture::prepare(block, block.text.html);
        const bool prepared = TextPicture::preparedCount() == before + 1;
        QCOMPARE(prepared, block.kind == BlockKind::Prose);
        QFont font = m_picture->font();
        font.setPointSizeF(pointSize);
        m_picture->setFont(font);
        m_picture->setWidth(width);
        m_picture->setText(block.text.html);
        QCOMPARE(TextPicture::preparedCount(), taken ? before : before + int(prepared));
        // What was taken is what drawing it there gives.
        const TextStyle style{font, m_picture->color(), qreal(width), 1, m_window->effectiveDevicePixelRatio()};
        const auto drawn = drawText(block.text.html, style);
        QCOMPARE(m_picture->drawn()->size, drawn->size);
        QCOMPARE(m_picture->drawn()->image, drawn->image);
    }

    // The same text about to be shown in two rows (a question asked again) is drawn once and
    // taken by both showings; a third draws it itself.
    void drawnAheadForEachRowShowingIt()
    {
        m_picture->setInset(0);
        m_picture->setText(QStringLiteral("Показанный текст"));
        const AnswerBlock block = parseAnswer(QStringLiteral("Тот же ответ ещё раз.")).blocks.value(0);
        const int before = TextPicture::preparedCount();
        TextPicture::prepare(block, block.text.html);
        TextPicture::prepare(block, block.text.html);
        QCOMPARE(TextPicture::preparedCount(), before + 1);
        m_picture->setText(block.text.html);
        const auto first = m_picture->drawn();
        QCOMPARE(TextPicture::preparedCount(), before + 1);
        m_picture->setText(QStringLiteral("Между ними"));
        m_picture->setText(block.text.html);
        QCOMPARE(m_picture->drawn(), first);
        QCOMPARE(TextPicture::preparedCount(), before);
        m_picture->setText(QStringLiteral("Между ними"));
        m_picture->setText(block.text.html);
        QVERIFY(m_picture->drawn() != first);
        QCOMPARE(m_picture->drawn()->image, first->image);
    }

    // A block item lent to another block has its text, size and width set one after another;
    // in a batch it is laid out once, in the style it ends with, and a text that goes away in
    // the batch is not touched when it ends.
    void laidOutOnceInABatch()
    {
        m_picture->setText(QStringLiteral("Прежний текст"));
        QSignalSpy laidOut(m_picture, &TextPicture::laidOut);
        const QString html = parseAnswer(QStringLiteral("Новый текст, **жирный** и длинный.")).blocks.value(0).text.html;
        QFont font = m_picture->font();
        font.setPointSizeF(15);
        {
            auto *gone = new TextPicture(m_root.get());
            gone->setText(QStringLiteral("Уходит"));
            TextLayoutBatch batch;
            m_picture->setText(html);
            m_picture->setFont(font);
            m_picture->setWidth(220);
            gone->setWidth(120);
            delete gone;
            QCOMPARE(laidOut.size(), 0);
        }
        QCOMPARE(laidOut.size(), 1);
        const TextStyle style{font, m_picture->color(), 220, 1, m_window->effectiveDevicePixelRatio()};
        QCOMPARE(m_picture->drawn()->image, drawText(html, style)->image);
    }

private:
    std::unique_ptr<QQuickView> m_window;
    std::unique_ptr<QQuickItem> m_root;
    TextPicture *m_picture = nullptr;
    QQuickItem *m_edit = nullptr;
};

QTEST_MAIN(TextPictureTest)
#include "tst_textpicture.moc"
