// The CommonMark project's own examples through the answer renderer: none crashes or hangs,
// and each one's text equals the text of md4c's own HTML renderer for the same input (the same
// dialect). The one difference the renderer declares — a single newline breaks the line —
// changes no text, so texts are compared with every run of white space taken as one space.

#include "answerblocks.h"
#include "awaittask.h"

#include <md4c-html.h>
#include <md4c.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace vexa::answer;

namespace {

QString md4cHtml(const QByteArray &markdown)
{
    QByteArray out;
    md_html(markdown.constData(), MD_SIZE(markdown.size()),
            [](const MD_CHAR *text, MD_SIZE size, void *sink) {
                static_cast<QByteArray *>(sink)->append(text, qsizetype(size));
            },
            &out, MD_DIALECT_GITHUB | MD_FLAG_NOHTML, 0);
    return QString::fromUtf8(out);
}

// The text of HTML as a reader gets it: block tags part words, inline tags do not, a picture
// is its description, and the few entities md4c writes are characters again.
QString htmlText(const QString &html)
{
    static const QRegularExpression picture(QStringLiteral("<img [^>]*alt=\"([^\"]*)\"[^>]*>"));
    static const QRegularExpression blockTag(QStringLiteral(
        "</?(p|li|ul|ol|h[1-6]|pre|blockquote|table|thead|tbody|tr|td|th|hr|br|div)\\b[^>]*>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.replace(picture, QStringLiteral("\\1"));
    text.replace(blockTag, QStringLiteral(" "));
    text.replace(tag, QString());
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

QString normalized(const QString &text)
{
    return text.simplified();
}

} // namespace

class CommonMarkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void examples_data();
    void examples();
};

void CommonMarkTest::examples_data()
{
    QTest::addColumn<QString>("markdown");

    const QString path = qEnvironmentVariable("VEXA_COMMONMARK_EXAMPLES");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        QFAIL(qPrintable(QStringLiteral("no CommonMark examples at \"%1\"").arg(path)));
    const QJsonArray examples = QJsonDocument::fromJson(file.readAll()).array();
    QVERIFY2(examples.size() > 600, "the examples file is incomplete");
    for (const QJsonValue &value : examples) {
        const QJsonObject example = value.toObject();
        // The examples write tabs as arrows.
        QString markdown = example.value(QLatin1String("markdown")).toString();
        markdown.replace(QStringLiteral("→"), QStringLiteral("\t"));
        const QString name = QStringLiteral("%1 (%2)")
                                 .arg(example.value(QLatin1String("number")).toInt())
                                 .arg(example.value(QLatin1String("section")).toString());
        QTest::newRow(qPrintable(name)) << markdown;
    }
}

void CommonMarkTest::examples()
{
    QFETCH(QString, markdown);
    QElapsedTimer timer;
    timer.start();
    const Answer answer = parseAnswer(markdown);
    const QString spoken = spokenText(answer);
    QVERIFY2(timer.elapsed() < vexa::test::scaledMs(1000), qPrintable(QString::number(timer.elapsed())));
    Q_UNUSED(spoken)
    QCOMPARE(normalized(plainText(answer)), normalized(htmlText(md4cHtml(markdown.toUtf8()))));
}

QTEST_GUILESS_MAIN(CommonMarkTest)
#include "tst_commonmark.moc"
