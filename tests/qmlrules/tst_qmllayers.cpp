// The style's raised buttons draw their background through an item layer (for an elevation
// shadow). The software renderer keeps every such layer as a pixmap of its own and draws no
// shadow from it, so the app's buttons bring their own background: TextButton, ProminentButton,
// IconButton, or a flat one.

#include "qmldocuments.h"
#include "sourcetexts.h"

#include <QTest>

using namespace vexa::test;

namespace {

const QStringList kLayeredTypes{QStringLiteral("Button"), QStringLiteral("RoundButton"),
                                QStringLiteral("DelayButton")};

// "file:line: Type" for each raised button of the style's own drawing in the document.
QStringList layeredButtons(const QString &file, const QString &code)
{
    const auto document = parseQml(file, code);
    if (!document->error.isEmpty())
        return {file + QStringLiteral(": ") + document->error};
    QStringList found;
    for (const QmlObject *object : document->all()) {
        if (!kLayeredTypes.contains(object->type))
            continue;
        const bool ownBackground = object->objects.contains(QStringLiteral("background"))
            || object->scripts.contains(QStringLiteral("background"));
        const bool flat = object->sources.value(QStringLiteral("flat")) == QStringLiteral("true");
        if (!ownBackground && !flat)
            found.append(QStringLiteral("%1:%2: %3").arg(file).arg(object->line).arg(object->type));
    }
    return found;
}

} // namespace

class QmlLayersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("findings");

        QTest::newRow("the style's button") << qmlProbe(QStringLiteral("Item { Button { text: \"Обновить\" } }")) << 1;
        QTest::newRow("a round one") << qmlProbe(QStringLiteral("Item { RoundButton { text: \"+\" } }")) << 1;
        QTest::newRow("with its own background")
            << qmlProbe(QStringLiteral("Button { background: Rectangle { radius: 4 } }")) << 0;
        QTest::newRow("flat") << qmlProbe(QStringLiteral("Row { RoundButton { flat: true } }")) << 0;
        QTest::newRow("flat only sometimes") << qmlProbe(QStringLiteral("Row { Button { flat: hovered } }")) << 1;
        QTest::newRow("the app's text button") << qmlProbe(QStringLiteral("Row { TextButton { text: \"Открыть\" } }")) << 0;
        QTest::newRow("one of two") << qmlProbe(QStringLiteral("Row { Button { flat: true }\n Button { text: \"Да\" } }")) << 1;
    }

    void rules()
    {
        QFETCH(QString, document);
        QFETCH(int, findings);
        const QStringList found = layeredButtons(QStringLiteral("Probe.qml"), document);
        QVERIFY2(found.size() == findings, qPrintable(found.join(u'\n')));
    }

    void appButtonsDrawTheirOwnBackground()
    {
        const QStringList files = appSources({QStringLiteral(".qml")});
        QVERIFY(files.size() > 100);
        QStringList found;
        for (const QString &file : files)
            found += layeredButtons(file, readSource(file));
        QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 buttons drawn through a layer:\n").arg(found.size())
                                             + found.join(u'\n')));
        // The rule reads the real files: the shared button's own root is a Button with a background.
        QVERIFY(readSource(QStringLiteral("src/shell/style/TextButton.qml")).contains(u"background:"));
    }
};

QTEST_GUILESS_MAIN(QmlLayersTest)
#include "tst_qmllayers.moc"
