// Every colour of the app's QML is VexaTheme's, by role: the theme file is the one place that
// writes a colour; the screens bind its roles (or colours made from them by Qt.lighter, Qt.tint,
// VexaTheme.withAlpha).

#include "colourrules.h"
#include "sourcetexts.h"

#include <QTest>

using namespace vexa::test;

namespace {

const QString kThemeFile = QStringLiteral("src/shell/style/VexaTheme.qml");

QString listed(const QList<TextFinding> &found)
{
    QStringList lines;
    for (const TextFinding &finding : found)
        lines.append(finding.toString());
    return lines.join(u'\n');
}

} // namespace

class QmlColoursTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("findings");
        QTest::addColumn<int>("line"); // of the first finding

        QTest::newRow("a role") << qmlProbe(QStringLiteral("Text { color: VexaTheme.error }")) << 0 << 0;
        QTest::newRow("a hex colour") << qmlProbe(QStringLiteral("Text { color: \"#ff6b6b\" }")) << 1 << 3;
        QTest::newRow("a short hex colour with alpha")
            << qmlProbe(QStringLiteral("Rectangle {\n  border.color: \"#f00a\" }")) << 1 << 4;
        QTest::newRow("a hex colour in a choice")
            << qmlProbe(QStringLiteral("Button { property bool on\n  icon.color: on ? \"#e5484d\" : VexaTheme.accent }"))
            << 1 << 4;
        QTest::newRow("a hex colour in a function")
            << qmlProbe(QStringLiteral("Item { function shade() { return \"#2a2f47\" } }")) << 1 << 3;
        QTest::newRow("a hex colour on a custom property")
            << qmlProbe(QStringLiteral("Item { property color glow: \"#ffd60a\" }")) << 1 << 3;
        QTest::newRow("a Material colour") << qmlProbe(QStringLiteral("Label { Material.foreground: \"#ff6b6b\" }"))
                                          << 1 << 3;
        QTest::newRow("Qt.rgba of numbers") << qmlProbe(QStringLiteral("Rectangle { color: Qt.rgba(0, 0, 0, 0.5) }"))
                                            << 1 << 3;
        QTest::newRow("Qt.rgba of a role's parts")
            << qmlProbe(QStringLiteral("Rectangle { color: Qt.rgba(VexaTheme.accent.r, VexaTheme.accent.g, 1, 0.2) }"))
            << 1 << 3;
        QTest::newRow("Qt.hsla") << qmlProbe(QStringLiteral("Rectangle { color: Qt.hsla(0.5, 1, 0.5, 1) }")) << 1 << 3;
        QTest::newRow("a colour's name") << qmlProbe(QStringLiteral("Text { color: \"white\" }")) << 1 << 3;
        QTest::newRow("a colour's name on a tint") << qmlProbe(QStringLiteral("Button { property color tint\n  tint: \"cyan\" }"))
                                                   << 1 << 4;
        QTest::newRow("transparent") << qmlProbe(QStringLiteral("Rectangle { color: hovered ? VexaTheme.hoverFill : \"transparent\" }"))
                                     << 0 << 0;
        QTest::newRow("a colour's word as text") << qmlProbe(QStringLiteral("Text { text: \"white\" }")) << 0 << 0;
        QTest::newRow("a hash in a text") << qmlProbe(QStringLiteral("Text { text: \"#1 of 5\" }")) << 0 << 0;
        QTest::newRow("a colour made from a role")
            << qmlProbe(QStringLiteral("Rectangle { color: Qt.lighter(VexaTheme.accent, 1.4) }")) << 0 << 0;
        QTest::newRow("a role with another alpha")
            << qmlProbe(QStringLiteral("Rectangle { color: VexaTheme.withAlpha(VexaTheme.cardShadow, 0.05) }")) << 0 << 0;
        QTest::newRow("a colour in a comment") << qmlProbe(QStringLiteral("Text { color: VexaTheme.error } // was \"#ff6b6b\""))
                                               << 0 << 0;
        QTest::newRow("not QML") << QStringLiteral("Item { color: }") << 1 << 1;
    }

    void rules()
    {
        QFETCH(QString, document);
        QFETCH(int, findings);
        QFETCH(int, line);
        const auto found = colourLiterals(QStringLiteral("Probe.qml"), document);
        QVERIFY2(found.size() == findings, qPrintable(listed(found)));
        if (findings > 0)
            QCOMPARE(found.first().line, line);
    }

    void appColoursAreTheThemes()
    {
        const QStringList files = appSources({QStringLiteral(".qml")});
        QVERIFY(files.size() > 100);
        QVERIFY2(files.contains(kThemeFile), qPrintable(kThemeFile + QStringLiteral(" has moved")));
        QList<TextFinding> found;
        for (const QString &file : files) {
            if (file != kThemeFile)
                found += colourLiterals(file, readSource(file));
        }
        QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 colours outside the theme:\n").arg(found.size())
                                             + listed(found)));
        // The rule reads the real files: the theme's own colours are found.
        QVERIFY(colourLiterals(kThemeFile, readSource(kThemeFile)).size() > 20);
    }
};

QTEST_GUILESS_MAIN(QmlColoursTest)
#include "tst_qmlcolours.moc"
